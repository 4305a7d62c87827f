#include "app/game_fixture.h"
#include "commands/taleforge_serv_serv.h"
#include "core/results.h"
#include "endscreen/taleforge_serv_URA.h"
#include "support/media_fixtures.h"

#include <QTest>
#include <fstream>
#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// A play screen with a few controls of every kind and a clicked button.
struct Played : TestGame {
    TForm1* form = nullptr;
    ImageControl* button = nullptr;
    explicit Played(const std::string& startedAs = "game") {
        std::filesystem::create_directories(dir.path() / ("data_" + startedAs));
        form = &start(startedAs);
        ControlHost& h = form->game().host();
        form->game().tables.pictures = {&h.createImage("RIS0")};
        form->game().tables.shapes = {&h.createShape("SHAP0")};
        form->game().tables.labels = {&h.createLabel("TLine0")};
        form->game().tables.texts = {{0, 1}};
        form->game().tables.lists = {&h.createList("LIST0")};
        form->game().tables.textWindows = {&h.createEdit("TW0")};
        button = &h.createImage("Nazhimalka1");
        form->game().tables.buttons = {button, &h.createImage("Nazhimalka2")};
        form->game().state.clickedControl = button;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (Control* c : form->game().host().controls())
            out.push_back(c->name());
        return out;
    }
    bool run(const std::string& command) { return RunCommand(form->game(), {}, command); }
};

} // namespace

TEST(ResultFile, NameAndContent) {
    EXPECT_EQ(ResultFileName("game.exe"), "mark for game.txt");
    EXPECT_EQ(ResultFileName("GAME.EXE"), "mark for GAME.EXE.txt");
    EXPECT_EQ(ResultFileName("a.exe.exe"), "mark for a.txt");
    EXPECT_EQ(ResultFileName("game"), "mark for game.txt");

    Played p;
    p.dir.write("mark for game.txt", "a much longer old content\r\n");
    EXPECT_FALSE(p.run("victory"));
    EXPECT_EQ(slurp(p.dir.path() / "mark for game.txt"), "5\r\n");
    p.form->game().state.clickedControl = p.button;
    EXPECT_FALSE(p.run("lost"));
    EXPECT_EQ(slurp(p.dir.path() / "mark for game.txt"), "2\r\n");
}

TEST(ResultFile, AnExistingOneInOtherLettersIsTheResultFile) {
    Played p("quest");
    ASSERT_TRUE(p.form->game().messages().empty());
    p.dir.write("Mark For Quest.txt", "2\r\n");
    EXPECT_EQ(ResultFilePath(p.form->game()), p.dir.str() + "/Mark For Quest.txt");
    p.run("victory");
    EXPECT_EQ(slurp(p.dir.path() / "Mark For Quest.txt"), "5\r\n");
    EXPECT_FALSE(std::filesystem::exists(p.dir.path() / "mark for quest.txt"));
}

namespace {

// TALEPLAY_RESULTS for one test.
struct SharedFolder {
    explicit SharedFolder(const std::string& folder) {
        ::setenv("TALEPLAY_RESULTS", folder.c_str(), 1);
    }
    ~SharedFolder() { ::unsetenv("TALEPLAY_RESULTS"); }
};

} // namespace

// The mark and the line go into the pupil's own folder, named by its login.
TEST(SharedResults, TheMarkAndALineGoIntoThePupilsFolder) {
    Played p;
    const std::filesystem::path shared = p.dir.path() / "класс 5";
    std::filesystem::create_directories(shared);
    SharedFolder env(shared.string());
    const std::filesystem::path own = shared / results::loginName();
    EXPECT_EQ(ResultFilePath(p.form->game()), (own / "mark for game.txt").string());
    p.run("victory");
    EXPECT_EQ(slurp(own / "mark for game.txt"), "5\r\n");
    EXPECT_FALSE(std::filesystem::exists(p.dir.path() / "mark for game.txt"));
    EXPECT_FALSE(std::filesystem::exists(shared / "mark for game.txt"));
    const std::string table = slurp(own / "results.csv");
    EXPECT_EQ(table.rfind("time,login,computer,game,mark\r\n", 0), 0u) << table;
    EXPECT_NE(table.find(",game,5\r\n"), std::string::npos) << table;

    // A second ending rewrites the mark and adds its line.
    p.form->game().state.clickedControl = p.button;
    p.run("lost");
    EXPECT_EQ(slurp(own / "mark for game.txt"), "2\r\n");
    EXPECT_NE(slurp(own / "results.csv").find(",game,2\r\n"), std::string::npos);
}

TEST(SharedResults, AFolderThatIsNotThereStopsTheSwitchAndWritesNothing) {
    Played p;
    SharedFolder env(p.dir.str() + "/no such folder");
    const auto before = p.names();
    p.form->runEvent([&] { p.run("victory"); });
    EXPECT_EQ(p.names(), before); // the play screen stays
    ASSERT_EQ(p.form->game().messages().size(), 1u);
    EXPECT_EQ(p.form->game().messages()[0], "File access denied");
    EXPECT_FALSE(std::filesystem::exists(p.dir.path() / "mark for game.txt"));
    EXPECT_FALSE(std::filesystem::exists(p.dir.path() / "no such folder"));
}

// A mark file the player could overwrite stays as it is when the table
// beside it cannot take the line.
TEST(SharedResults, AFolderThatCannotTakeTheLineChangesNothing) {
    Played p;
    const std::filesystem::path own = p.dir.path() / "shared" / results::loginName();
    std::filesystem::create_directories(own);
    p.dir.write("shared/" + results::loginName() + "/mark for game.txt", "2\r\n");
    p.dir.write("shared/" + results::loginName() + "/results.csv", "time\r\n");
    std::filesystem::permissions(own / "results.csv", std::filesystem::perms::owner_read);
    SharedFolder env((p.dir.path() / "shared").string());
    p.form->runEvent([&] { p.run("victory"); });
    ASSERT_EQ(p.form->game().messages().size(), 1u);
    EXPECT_EQ(p.form->game().messages()[0], "File access denied");
    EXPECT_EQ(slurp(own / "mark for game.txt"), "2\r\n");
    EXPECT_EQ(slurp(own / "results.csv"), "time\r\n");
}

// Where start-up sent the results of a pupil whose results folder failed:
// the mark and a line of the table, for the teacher to gather.
TEST(SharedResults, AFallbackFolderKeepsTheMarkAndALine) {
    Played p;
    const std::filesystem::path own = p.dir.path() / "own";
    std::filesystem::create_directories(own);
    p.form->game().state.resultFolder = own.string() + "/";
    p.form->game().state.resultTable = true;
    p.run("lost");
    EXPECT_EQ(slurp(own / "mark for game.txt"), "2\r\n");
    EXPECT_NE(slurp(own / "results.csv").find("," + results::loginName() + ","), std::string::npos);
}

TEST(EndScreenSwitch, KeepsOnlyTheMeasuringControlsTheVideoAndTheClickedButton) {
    Played p;
    p.dir.write("data_game/victorypictures.txt", "*screencolor*clAqua#\r\n");
    p.run("victory");
    EXPECT_EQ(p.names(), (std::vector<std::string>{"ImageServant", "LabelServant", "VideoWindow1",
                                                   "Nazhimalka1"}));
    EXPECT_TRUE(p.button->isHidden());
    EXPECT_EQ(p.form->game().host().colour(), 0xFFFF00);
    EXPECT_NE(p.form->game().FilterGraph1, nullptr);
    EXPECT_EQ(p.form->game().state.endPicturesFile, p.dir.str() + "/data_game/victorypictures.txt");
    EXPECT_EQ(p.form->game().state.endTextsFile, p.dir.str() + "/data_game/victorytexts.txt");

    // Play-screen numbers name nothing now; the kept button is still found.
    auto find = [&](const std::string& target) {
        return ComponentLookup(p.form->game(), "*b*" + target + "#", "*b*", "#").component;
    };
    for (const char* target : {"picture1", "shape1", "text1", "list1", "textwindow1", "button2"})
        EXPECT_EQ(find(target), nullptr) << target;
    EXPECT_EQ(find("button1"), p.button);
    EXPECT_TRUE(RunCommand(p.form->game(),
                           ComponentLookup(p.form->game(), "*b*textwindow1#", "*b*", "#"),
                           "checktext"));
}

TEST(EndScreenSwitch, ASecondSwitchDestroysTheKeptPlayScreenButton) {
    Played p;
    p.run("victory");
    auto& endButton = p.form->game().host().createImage("URANazhimalka1");
    p.form->game().state.clickedControl = &endButton;
    p.run("lost");
    EXPECT_EQ(p.names(), (std::vector<std::string>{"ImageServant", "LabelServant", "VideoWindow1",
                                                   "URANazhimalka1"}));
    EXPECT_TRUE(endButton.isHidden());
    EXPECT_EQ(p.form->game().state.endPicturesFile, p.dir.str() + "/data_game/lostpictures.txt");
    // Without a colour of its own the end screen keeps the window's.
    EXPECT_EQ(p.form->game().host().colour(), clBtnFace);
}

TEST(EndScreenSwitch, AResultFileThatCannotBeWrittenLeavesThePlayScreen) {
    // Root writes into read-only folders, so the test puts a folder where
    // the file goes: nobody can replace that.
    Played p;
    std::filesystem::create_directories(p.dir.path() / "mark for game.txt" / "x");
    const auto before = p.names();
    p.form->runEvent([&] { p.run("victory"); });
    EXPECT_EQ(p.names(), before);
    ASSERT_EQ(p.form->game().messages().size(), 1u);
    EXPECT_EQ(p.form->game().messages()[0], "File access denied");
    EXPECT_TRUE(p.form->game().state.victory);
    EXPECT_FALSE(p.button->isHidden());
}

TEST(EndScreenSwitch, TheEndVideoHasNoDefaults) {
    struct Row {
        std::string lines;
        QRect window;
        bool playing;
        std::string videoFile;
        int reports;
    } rows[] = {
        {"*video*end.avi#\r\n", {0, 0, 640, 480}, true, "end.avi", 0},
        {"*video*end.avi#\r\n*videoscreen*widthindivision*2#1#\r\n*videoscreen*heightindivision*2#"
         "1#\r\n",
         {0, 0, 640, 512},
         true,
         "end.avi",
         0},
        {"*video*end.avi#\r\n*videoscreenvisible*no#\r\n", {0, 0, 0, 0}, false, "end.avi", 0},
        // A missing one changes nothing but the report.
        {"*video*gone.avi#\r\n", {24, 136, 65, 57}, false, "intro.avi", 1},
    };
    for (const auto& r : rows) {
        Played p;
        taleplay::testing::writeMjpegAvi(p.dir.str() + "/data_game/end.avi", 640, 480, 5, 10);
        p.dir.write("data_game/victorypictures.txt", r.lines);
        p.form->game().state.videoFile = p.dir.str() + "/data_game/intro.avi";
        p.form->game().VideoWindow1->setGeometry(24, 136, 65, 57);
        p.run("victory");
        EXPECT_EQ(p.form->game().VideoWindow1->geometry(), r.window) << r.lines;
        EXPECT_EQ(p.form->game().VideoWindow1->isVisible(), r.playing) << r.lines;
        EXPECT_EQ(p.form->game().state.videoFile, p.dir.str() + "/data_game/" + r.videoFile)
            << r.lines;
        EXPECT_EQ(static_cast<int>(p.form->game().messages().size()), r.reports) << r.lines;
    }
}

TEST(EndScreenSwitch, AnEndScreenButtonThatEndsTheGameAgainGetsAWholeNewScreen) {
    // Button 1 of every screen ends the game: the play screen's wins, the
    // victory screen's loses ("try the other ending"), the loss screen's
    // wins again ("play again"), each time with a rule after the switch.
    TestGame g;
    for (const char* name : {"b.png", "pic.png"})
        g.picture(name, 20, 20, Qt::gray);
    taleplay::testing::writeWav(g.dir.str() + "/data_game/lost.wav", 3000);
    g.dir.write("data_game/allbuttons.txt", "*button1*name*b.png#\r\n*button1*click*#victory^\r\n");
    g.dir.write("data_game/victorypictures.txt", "*button1*name*b.png#\r\n*button1*click*#lost^\r\n"
                                                 "*button1*click*button1#visible^\r\n");
    g.dir.write("data_game/lostpictures.txt", "*button1*name*b.png#\r\n*button1*click*#victory^\r\n"
                                              "*picture1*name*pic.png#\r\n*sound*lost.wav#\r\n");
    TForm1& form = g.start();
    Game& game = form.game();
    auto click = [&](const char* name) {
        auto* button = dynamic_cast<ImageControl*>(game.host().find(name));
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isVisible()) << name;
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(2, 2));
        platform::processEvents();
    };

    click("Nazhimalka1");
    auto* firstEndButton = dynamic_cast<ImageControl*>(game.host().find("URANazhimalka1"));
    ASSERT_NE(firstEndButton, nullptr);
    click("URANazhimalka1");
    EXPECT_TRUE(game.messages().empty()) << game.messages().front();
    // The loss screen is whole: its own button, its picture and its sound.
    Control* lostButton = game.host().find("URANazhimalka1");
    ASSERT_NE(lostButton, nullptr);
    EXPECT_NE(lostButton, firstEndButton);
    EXPECT_TRUE(lostButton->widget()->isVisible());
    ASSERT_EQ(game.tables.endButtons.size(), 1u);
    EXPECT_EQ(game.tables.endButtons[0], lostButton->widget());
    ASSERT_NE(game.host().find("uraRIS0"), nullptr);
    EXPECT_NE(game.soundStream(), 0u);
    EXPECT_EQ(game.audio().fileOf(game.soundStream()), g.dir.str() + "/data_game/lost.wav");
    // The clicked button stays behind, hidden, and its later rule did nothing.
    EXPECT_TRUE(firstEndButton->isHidden());

    click("URANazhimalka1");
    EXPECT_TRUE(game.messages().empty()) << game.messages().front();
    EXPECT_TRUE(game.state.victory);
    Control* again = game.host().find("URANazhimalka1");
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, lostButton);
    EXPECT_TRUE(again->widget()->isVisible());
    EXPECT_EQ(game.host().find("uraRIS0"), nullptr); // the victory screen has no picture
}
