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
