#include "commands/taleforge_serv_serv.h"
#include "game_fixture.h"

#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::TestGame;

TEST(ErrorWindow, HalfTheMainWindowAtAQuarterOffset) {
    TestGame g;
    std::filesystem::create_directory(g.dir.path() / "data_game");
    TForm1& form = g.start();
    ASSERT_EQ(form.frameGeometry().size(), QSize(1280, 1024));

    MissingFileReport(form.game(), g.dir.str() + "/data_game/video.avi", Halt::No);
    TForm2& w = *g.errorWindow;
    EXPECT_EQ(w.windowTitle().toStdString(), "ERROR");
    EXPECT_EQ(w.size(), QSize(640, 512));
    EXPECT_EQ(w.pos(), QPoint(320, 256));
    EXPECT_EQ(w.label().x(), 64);
    EXPECT_EQ(w.label().y(), 24);
    EXPECT_LE(w.label().width(), 512);
    EXPECT_EQ(w.label().font().size(), 1024 / 45);
    EXPECT_TRUE(w.label().font().bold);
    EXPECT_EQ(w.label().caption(), "Can't find file  " + g.dir.str() + "/data_game/video.avi");
    // Not halting: the program goes on.
    EXPECT_FALSE(w.haltFlag());
    EXPECT_EQ(taleplay::testing::endedCount(), 0);
}

TEST(ErrorWindow, ALongPathWrapsOntoFurtherLines) {
    TestGame g;
    std::filesystem::create_directory(g.dir.path() / "data_game");
    TForm1& form = g.start();
    MissingFileReport(form.game(), "short", Halt::No);
    const int oneLine = g.errorWindow->label().height();
    std::string longPath;
    for (int i = 0; i < 12; ++i)
        longPath += "/a-rather-long-folder-name";
    MissingFileReport(form.game(), longPath, Halt::No);
    EXPECT_GE(g.errorWindow->label().height(), 2 * oneLine);
    EXPECT_LE(g.errorWindow->label().width(), 512);
}

TEST(ErrorWindow, AVeryLongNameIsBrokenIntoFullLinesOnce) {
    TestGame g;
    std::filesystem::create_directory(g.dir.path() / "data_game");
    TForm1& form = g.start();
    MissingFileReport(form.game(), "short", Halt::No);
    std::string name;
    for (int i = 0; i < 30000; ++i)
        name += static_cast<char>('a' + i % 26);
    name += " and-a-tail";
    const LabelControl& label = g.errorWindow->label();
    const int before = label.layoutsMade();
    MissingFileReport(form.game(), name, Halt::No);
    g.errorWindow->show();
    std::cerr << "after show " << label.layoutsMade() - before << " w " << label.width()
              << "\n";     // activation lays the window out again
    g.errorWindow->grab(); // and it is painted
    g.errorWindow->hide();
    EXPECT_EQ(label.layoutsMade() - before, 1);

    // Every line fits, and each cut of the long word holds as much as fits;
    // together they are the text, less the blanks where lines break.
    const int width = 512;
    const QStringList lines = label.layoutLines(width);
    const QFontMetrics fm(toQFont(label.font()));
    ASSERT_GT(lines.size(), 100);
    QString joined;
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_LE(fm.horizontalAdvance(lines[i]), width) << i;
        if (i >= 1 && i + 2 < lines.size()) {
            EXPECT_GT(fm.horizontalAdvance(lines[i] + lines[i + 1][0]), width) << i;
        }
        joined += lines[i];
    }
    EXPECT_EQ(joined.remove(' ').toStdString(),
              "Can'tfindfile" + name.substr(0, 30000) + "and-a-tail");
}
