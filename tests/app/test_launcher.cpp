#include "app/launcher.h"
#include "app/quiet_start.h"
#include "app/taleforge_main.h"
#include "commands/taleforge_serv_serv.h"
#include "launch_support.h"
#include "support/qt_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

using namespace taleplay;
using namespace taleplay::launch;
using taleplay::testing::TempFolder;

namespace {

void waitForStartUp(TForm1& form) {
    QElapsedTimer clock;
    clock.start();
    while (!form.startUpDone() && clock.elapsed() < 10000)
        platform::processEvents();
    ASSERT_TRUE(form.startUpDone());
}

// Restores one environment variable when the test ends.
class SavedVariable {
  public:
    explicit SavedVariable(const char* name) : name_(name) {
        if (const char* v = std::getenv(name))
            value_ = v;
    }
    ~SavedVariable() {
        if (value_)
            ::setenv(name_, value_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> value_;
};

} // namespace

TEST(Launcher, AGameFoundOnTheCommandLinePlaysAsIfStartedUnderItsName) {
    TempFolder dir;
    std::filesystem::create_directories(dir.path() / "class 5b" / "data_quiz");
    const std::string folder = dir.str() + "/class 5b";
    struct Row {
        WindowMode mode;
        int width, height;
    } rows[] = {
        {{WindowKind::Sized, 1024, 768}, 1024, 768},
        {{WindowKind::Sized, 640, 480}, 640, 480},
        {{WindowKind::FullScreen, 0, 0}, 1280, 1024},
        {{WindowKind::Maximised, 0, 0}, 1280, 1024},
    };
    for (const Row& r : rows) {
        ASSERT_EQ(::chdir("/"), 0);
        const GameSearch search = findGame(folder + "/data_quiz", "/");
        ASSERT_EQ(search.games.size(), 1u);
        ASSERT_TRUE(enterGameFolder(search.games[0]));
        std::unique_ptr<TForm1> form = openGameWindow(search.games[0].name, r.mode);
        waitForStartUp(*form);
        const ProgramState& state = form->game().state;
        EXPECT_EQ(state.workingFolder, folder + "/");
        EXPECT_EQ(state.programFileName, "quiz");
        EXPECT_EQ(state.dataFolder, folder + "/data_quiz/");
        EXPECT_TRUE(form->game().messages().empty());
        EXPECT_EQ(form->game().clientWidth(), r.width);
        EXPECT_EQ(form->game().clientHeight(), r.height);
        EXPECT_EQ(form->isFullScreen(), r.mode.kind == WindowKind::FullScreen);
    }
    EXPECT_FALSE(enterGameFolder({dir.str() + "/missing", "quiz"}));
    ASSERT_EQ(::chdir("/"), 0);
}

TEST(QuietStart, ADisplayIsNeededUnlessAPlatformIsChosen) {
    // `x`: the X display asked first, as the toolkit would go nowhere else.
    struct Row {
        std::map<std::string, std::string> env;
        bool display;
        std::string x;
    } rows[] = {
        {{}, false, ""},
        {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, false, ""},
        {{{"QT_QPA_PLATFORM", ""}}, false, ""},
        {{{"DISPLAY", ":0"}}, true, ":0"},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, true, ""},
        {{{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}}, true, ""},
        {{{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":1"}, {"WAYLAND_DISPLAY", "w"}}, true, ":1"},
        {{{"QT_QPA_PLATFORM", "offscreen"}, {"DISPLAY", ":0"}}, true, ""},
        {{{"QT_QPA_PLATFORM", "vnc:size=800x600"}}, true, ""},
    };
    for (const Row& r : rows) {
        const auto lookup = [&](const char* name) -> const char* {
            auto it = r.env.find(name);
            return it == r.env.end() ? nullptr : it->second.c_str();
        };
        EXPECT_EQ(hasDisplay(lookup), r.display) << ::testing::PrintToString(r.env);
        EXPECT_EQ(onlyXDisplay(lookup), r.x) << ::testing::PrintToString(r.env);
    }
    EXPECT_STREQ(kNoDisplayMessage,
                 "taleplay: no graphical display (DISPLAY and WAYLAND_DISPLAY are not set)");
}

TEST(QuietStart, OnlyBrokenThingsAreShownUnlessVerbose) {
    for (QtMsgType type : {QtDebugMsg, QtInfoMsg, QtWarningMsg, QtCriticalMsg, QtFatalMsg}) {
        EXPECT_EQ(shouldShow(type, Verbosity::Quiet), type == QtCriticalMsg || type == QtFatalMsg)
            << type;
        EXPECT_TRUE(shouldShow(type, Verbosity::Verbose)) << type;
    }
}

TEST(QuietStart, APrivateRuntimeFolderAndGStreamerQuiet) {
    SavedVariable runtime("XDG_RUNTIME_DIR"), gst("GST_DEBUG"), tmp("TMPDIR");
    TempFolder dir;
    ::setenv("TMPDIR", dir.str().c_str(), 1);
    ::unsetenv("XDG_RUNTIME_DIR");
    ::unsetenv("GST_DEBUG");
    ASSERT_TRUE(prepareEnvironment(Verbosity::Quiet));
    const std::string made = std::getenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(made.rfind(dir.str() + "/taleplay-runtime-", 0), 0u) << made;
    struct stat st;
    ASSERT_EQ(::stat(made.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_STREQ(std::getenv("GST_DEBUG"), "0");

    // The same folder next time; a folder others may enter is not used.
    ::unsetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(prepareEnvironment(Verbosity::Quiet));
    EXPECT_EQ(std::getenv("XDG_RUNTIME_DIR"), made);
    ::chmod(made.c_str(), 0755);
    ::unsetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(prepareEnvironment(Verbosity::Quiet));
    EXPECT_NE(std::getenv("XDG_RUNTIME_DIR"), made);

    // What the session or the player set stays as it is.
    ::setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
    ::setenv("GST_DEBUG", "3", 1);
    prepareEnvironment(Verbosity::Quiet);
    EXPECT_STREQ(std::getenv("XDG_RUNTIME_DIR"), "/run/user/1000");
    EXPECT_STREQ(std::getenv("GST_DEBUG"), "3");
    ::unsetenv("GST_DEBUG");
    prepareEnvironment(Verbosity::Verbose);
    EXPECT_EQ(std::getenv("GST_DEBUG"), nullptr);
}

TEST(Launcher, AGameInAReadOnlyFolderWritesItsMarkIntoTheUsersDataFolder) {
    TempFolder dir;
    const std::string share = dir.str() + "/share";
    std::filesystem::create_directories(share + "/data_quiz");
    const GameLocation game{share, "quiz"};
    std::map<std::string, std::string> env = {{"HOME", dir.str() + "/home"}};
    auto read = [&](const char* name) -> const char* {
        auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    // A folder the player may write keeps the mark beside the game.
    EXPECT_EQ(personalResultFolder(game, read), std::nullopt);

    ::chmod(share.c_str(), 0555);
    EXPECT_EQ(personalResultFolder(game, read), dir.str() + "/home/.local/share/taleplay/results/");
    env["XDG_DATA_HOME"] = dir.str() + "/data";
    EXPECT_EQ(personalResultFolder(game, read), dir.str() + "/data/taleplay/results/");
    // A shared results folder takes every mark.
    env["TALEPLAY_RESULTS"] = dir.str() + "/results";
    EXPECT_EQ(personalResultFolder(game, read), std::nullopt);
    // A database takes rows, not the file.
    env["TALEPLAY_RESULTS"] = "service=school";
    EXPECT_EQ(personalResultFolder(game, read), dir.str() + "/data/taleplay/results/");

    // The window writes where it is told.
    ASSERT_TRUE(enterGameFolder(game));
    std::unique_ptr<TForm1> form = openGameWindow("quiz", {WindowKind::Maximised, 0, 0});
    const std::string own = dir.str() + "/mine/";
    std::filesystem::create_directories(own);
    form->game().state.resultFolder = own;
    waitForStartUp(*form);
    form->runEvent([&] { RunCommand(form->game(), {}, "victory"); });
    EXPECT_TRUE(form->game().messages().empty());
    EXPECT_TRUE(std::filesystem::exists(own + "mark for quiz.txt"));
    EXPECT_FALSE(std::filesystem::exists(share + "/mark for quiz.txt"));
    ::chmod(share.c_str(), 0755);
    ASSERT_EQ(::chdir("/"), 0);
}

// The windows carry the application's icon even where no icon theme has it:
// the one built into the program.
TEST(Launcher, TheWindowsHaveTheApplicationsIcon) {
    useApplicationIcon();
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(64, 64).size(), QSize(64, 64));
}
