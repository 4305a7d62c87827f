#include "game_fixture.h"

#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::TestGame;

TEST(StartUp, DataFolderFollowsTheCurrentFolderAndTheStartedName) {
    struct Row {
        const char* startedAs;
        const char* folder;
    } rows[] = {
        {"game", "data_game"},
        {"/opt/games/game", "data_game"}, // the folder of the program file does not matter
        {"game.exe", "data_game"},
        {"GAME.EXE", "data_GAME.EXE"}, // the removal is case-sensitive
        {"a.exe.exe", "data_a"},
        {"my game", "data_my game"},
    };
    for (const auto& r : rows) {
        TestGame g;
        std::filesystem::create_directory(g.dir.path() / r.folder);
        TForm1& form = g.start(r.startedAs);
        EXPECT_EQ(form.game().state.dataFolder, g.dir.str() + "/" + r.folder + "/") << r.startedAs;
        EXPECT_EQ(form.game().state.workingFolder, g.dir.str() + "/");
        EXPECT_TRUE(form.game().messages().empty()) << r.startedAs;
        EXPECT_EQ(taleplay::testing::endedCount(), 0);
    }
}

// The Part's rule first; a name ending in ".EXE" in other letters then
// tries the folder without it before reporting.
TEST(StartUp, AnExeEndingInOtherLettersFallsBackToThePlainName) {
    struct Row {
        const char* startedAs;
        std::vector<std::string> folders;
        const char* played; // "" when the report comes
    } rows[] = {
        {"GAME.EXE", {"data_GAME"}, "data_GAME"},
        {"GAME.EXE", {"data_GAME.EXE", "data_GAME"}, "data_GAME.EXE"},
        {"Game.Exe", {"data_Game"}, "data_Game"},
        {"a.exe.EXE", {"data_a"}, "data_a"},
        {"GAME.EXE", {"data_game"}, ""},
        {"GAME.EXE", {}, ""},
    };
    for (const auto& r : rows) {
        TestGame g;
        for (const std::string& f : r.folders)
            std::filesystem::create_directory(g.dir.path() / f);
        TForm1& form = g.start(r.startedAs);
        if (*r.played) {
            EXPECT_EQ(form.game().state.dataFolder, g.dir.str() + "/" + r.played + "/")
                << r.startedAs;
            EXPECT_TRUE(form.game().messages().empty()) << r.startedAs;
        } else {
            // The report names the folder the Part's rule gives.
            ASSERT_EQ(form.game().messages().size(), 1u) << r.startedAs;
            EXPECT_EQ(form.game().messages()[0],
                      "Can't find file  " + g.dir.str() + "/data_" + r.startedAs + "/");
        }
    }
}

// Folders and the started name are the file system's bytes: never converted
// to Windows-1251, a '\' never taken for a separator. Game names in them are
// still found ignoring case, and the report shows each part readably.
TEST(StartUp, PlaysInFoldersOfAnyName) {
    for (const std::string folder : {"Игры", "café", "日本 語", "«A» ё", "back\\slash"}) {
        TestGame g;
        const std::filesystem::path data = g.dir.path() / folder / "data_игра";
        std::filesystem::create_directories(data / "Pics");
        g.dir.write(folder + "/data_игра/allbackpictures.txt",
                    "*picture1*name*\xc4\xee\xec.bmp#\r\n*screencolor*clRed#\r\n");
        TForm1& form = g.start("/usr/games/игра", folder);
        const ProgramState& s = form.game().state;
        EXPECT_EQ(s.workingFolder, g.dir.str() + "/" + folder + "/");
        EXPECT_EQ(s.programFileName, "игра");
        EXPECT_EQ(s.dataFolder, data.string() + "/");
        EXPECT_EQ(form.game().host().colour(), 0x0000FFu) << folder; // the file was read
        ASSERT_EQ(form.game().messages().size(), 1u) << folder;
        EXPECT_EQ(form.game().messages()[0], "Can't find file  Дом.bmp");

        // A full path in the report: the data folder of another name.
        TestGame other;
        std::filesystem::create_directories(other.dir.path() / folder);
        TForm1& missing = other.start("日本", folder);
        const std::string expected =
            "Can't find file  " + other.dir.str() + "/" + folder + "/data_日本/";
        ASSERT_EQ(missing.game().messages().size(), 1u) << folder;
        EXPECT_EQ(missing.game().messages()[0], expected);
        EXPECT_EQ(other.errorWindow->label().layoutLines(100000).join("").toStdString(), expected);
    }
}

TEST(StartUp, MissingDataFolderIsReportedAndEndsTheProgram) {
    TestGame g;
    TForm1& form = g.start("game");
    const std::string expected = "Can't find file  " + g.dir.str() + "/data_game/";
    ASSERT_EQ(form.game().messages().size(), 1u);
    EXPECT_EQ(form.game().messages()[0], expected);
    ASSERT_EQ(taleplay::testing::modals().size(), 1u);
    EXPECT_EQ(taleplay::testing::modals()[0].first, platform::ModalKind::ErrorWindow);
    EXPECT_EQ(taleplay::testing::endedCount(), 1);
    EXPECT_TRUE(g.errorWindow->haltFlag());
    // The program state was not reset and nothing was built.
    EXPECT_EQ(form.game().host().controls().size(), 3u);
}

TEST(StartUp, EmptyDataFolderShowsOnlyTheWindowResource) {
    TestGame g;
    std::filesystem::create_directory(g.dir.path() / "data_game");
    TForm1& form = g.start();
    EXPECT_EQ(form.windowTitle().toStdString(), "TALEPLAY");
    EXPECT_EQ(form.game().host().colour(), clBtnFace);
    EXPECT_EQ(form.game().clientWidth(), 1280);
    EXPECT_EQ(form.game().clientHeight(), 1024);
    std::vector<std::string> names;
    for (Control* c : form.game().host().controls())
        names.push_back(c->name());
    EXPECT_EQ(names, (std::vector<std::string>{"ImageServant", "LabelServant", "VideoWindow1"}));
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(form.game().state.pauseCounter, 0);
    EXPECT_FALSE(form.game().state.start.requested);
}

TEST(StartUp, TheDataFolderMayBeADescriptionFileLookalike) {
    // A file where the data folder should be is no data folder.
    TestGame g;
    g.dir.write("data_game", "not a folder");
    TForm1& form = g.start();
    ASSERT_EQ(form.game().messages().size(), 1u);
    EXPECT_EQ(taleplay::testing::endedCount(), 1);
}

TEST(DefaultErrorHandler, ShowsTheMessageAndTheProgramGoesOn) {
    TestGame g;
    std::filesystem::create_directory(g.dir.path() / "data_game");
    TForm1& form = g.start();
    form.runEvent([] { throw ConversionError("'red' is not a valid integer value"); });
    form.runEvent([] { throw InvalidCast(); });
    ASSERT_EQ(form.game().messages().size(), 2u);
    EXPECT_EQ(form.game().messages()[0], "'red' is not a valid integer value");
    EXPECT_EQ(form.game().messages()[1], "Invalid class typecast");
    ASSERT_EQ(taleplay::testing::modals().size(), 2u);
    EXPECT_EQ(taleplay::testing::modals()[0].first, platform::ModalKind::MessageBox);
    EXPECT_EQ(taleplay::testing::endedCount(), 0);
}

TEST(Timer, LowersOnlyANonZeroPauseCounter) {
    TestGame g;
    std::filesystem::create_directory(g.dir.path() / "data_game");
    TForm1& form = g.start();
    form.Timer1Timer();
    EXPECT_EQ(form.game().state.pauseCounter, 0);
    form.game().state.pauseCounter = 2;
    form.Timer1Timer();
    EXPECT_EQ(form.game().state.pauseCounter, 1);
    EXPECT_EQ(form.Timer1->interval(), 10);
}

TEST(StartUp, BrokenDescriptionFilesNeverStopIt) {
    TestGame g;
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919) & 0xFF);
    g.dir.write("data_game/allbackpictures.txt", garbage);
    g.dir.write("data_game/allbacktexts.txt", std::string(4'000'000, '*') + "\r\n");
    g.dir.write("data_game/alltextwindows.txt", std::string("\x1a", 1));
    std::filesystem::create_directories(g.dir.path() / "data_game" / "allbuttons.txt");
    TForm1& form = g.start();
    EXPECT_TRUE(form.game().messages().empty());
    EXPECT_EQ(taleplay::testing::endedCount(), 0);
}

// Archives carry pipes and device links: where a description file, a
// picture, a sound or a video should be, such a thing is as good as missing,
// reported where a missing file is, and nothing waits on it.
TEST(StartUp, PipesAndDevicesInAGameAreMissingFiles) {
    TestGame g;
    const auto data = g.dir.path() / "data_game";
    std::filesystem::create_directories(data);
    g.dir.write("data_game/allbackpictures.txt",
                "*picture1*name*pipe.bmp#\r\n*picture2*name*zero.bmp#\r\n"
                "*sound*pipe.wav#\r\n*video*pipe.avi#\r\n");
    ASSERT_EQ(::mkfifo((data / "pipe.bmp").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((data / "pipe.wav").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((data / "pipe.avi").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((data / "allbuttons.txt").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", data / "zero.bmp");
    std::filesystem::create_symlink("/dev/zero", data / "allbacktexts.txt");
    TForm1& form = g.start();
    const std::vector<std::string> expected = {
        "Can't find file  pipe.bmp", "Can't find file  zero.bmp", "Can't find file  pipe.avi"};
    EXPECT_EQ(form.game().messages(), expected);
    EXPECT_EQ(form.game().soundStream(), 0u);
    EXPECT_EQ(form.game().host().find("RIS0"), nullptr);
}
