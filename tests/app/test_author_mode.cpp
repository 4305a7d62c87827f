// Author mode: the rebuild, the watch, the inspector, and nothing of it in a
// student's game.
#include "app/author_mode.h"
#include "app/control_origin.h"
#include "app/game_fixture.h"
#include "app/inspector.h"
#include "endscreen/taleforge_serv_URA.h"
#include "playtest/script.h"
#include "support/media_fixtures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <sstream>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

// $00BBGGRR, as the game computes them.
constexpr Colour clRed = 0x0000FF, clLime = 0x00FF00, clBlue = 0xFF0000, clYellow = 0x00FFFF;

const std::string kBackPictures = "*screencolor*clYellow#\r\n"
                                  "*picture1*name*a.png#\r\n"
                                  "*picture1*widthinpixels*40#*picture1*heightinpixels*30#\r\n";

TForm1& startWith(TestGame& g, const std::string& backPictures, WatchFiles watch = WatchFiles::No) {
    std::filesystem::create_directories(g.dir.path() / "data_game");
    g.picture("a.png", 10, 10, Qt::blue);
    g.dir.write("data_game/allbackpictures.txt", backPictures);
    TForm1& form = g.start();
    new AuthorMode(form, watch); // owned by the window
    return form;
}

AuthorMode& authorOf(TForm1& form) {
    return *form.findChild<AuthorMode*>();
}

std::vector<std::string> names(const std::vector<QPointer<QWidget>>& table) {
    std::vector<std::string> out;
    for (const auto& entry : table)
        out.push_back(entry ? controlOf(entry.data())->name() : "-");
    return out;
}

std::vector<std::string> liveNames(TForm1& form) {
    std::vector<std::string> out;
    for (Control* c : form.game().host().controls())
        out.push_back(c->name());
    return out;
}

void press(QWidget& w, Qt::Key key) {
    QTest::keyClick(&w, key);
    platform::processEvents();
}

// Lets the program run until `done` holds; false after ten seconds, which
// only a broken watch takes.
template <class F> bool within10s(F done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 10000)
            return false;
        platform::processEvents();
        platform::sleepMs(5);
    }
    return true;
}

QImage shot(TForm1& form) {
    platform::processEvents();
    return form.grab().toImage();
}

} // namespace

TEST(AuthorMode, F5BuildsTheGameAgainAsAFreshStartWould) {
    TestGame g;
    TForm1& form = startWith(g, kBackPictures);
    Game& game = form.game();
    ASSERT_EQ(names(game.tables.pictures), std::vector<std::string>{"RIS0"});
    QPointer<QWidget> oldPicture = game.tables.pictures[0];
    // State a game in progress leaves behind.
    game.state.victory = true;
    game.state.pauseCounter = 7;
    game.state.start.requested = true;
    game.state.resultFolder = "/somewhere/";
    game.recordMessage("an earlier report");

    g.picture("b.png", 10, 10, Qt::red);
    g.dir.write("data_game/allbackpictures.txt", "*picture2*name*b.png#\r\n"
                                                 "*picture3*name*gone.png#\r\n");
    press(form, Qt::Key_F5);

    EXPECT_EQ(names(game.tables.pictures), (std::vector<std::string>{"-", "RIS1"}));
    EXPECT_TRUE(oldPicture.isNull() || controlOf(oldPicture.data())->destroyed());
    EXPECT_EQ(liveNames(form),
              (std::vector<std::string>{"ImageServant", "LabelServant", "VideoWindow1", "RIS1"}));
    EXPECT_EQ(game.host().colour(), clBtnFace);
    EXPECT_FALSE(game.state.victory);
    EXPECT_EQ(game.state.pauseCounter, 0);
    EXPECT_FALSE(game.state.start.requested);
    EXPECT_EQ(game.state.resultFolder, "/somewhere/"); // chosen before the game began
    // Reports of the rebuild come after the earlier ones.
    EXPECT_EQ(game.messages(),
              (std::vector<std::string>{"an earlier report", "Can't find file  gone.png"}));
    EXPECT_EQ(authorOf(form).screensBuilt(), 2);
    EXPECT_TRUE(form.isVisible());

    // Again, with the first file back: the same screen as at the start.
    g.dir.write("data_game/allbackpictures.txt", kBackPictures);
    press(form, Qt::Key_F5);
    EXPECT_EQ(names(game.tables.pictures), std::vector<std::string>{"RIS0"});
    EXPECT_EQ(game.host().colour(), clYellow);
    EXPECT_EQ(game.host().find("RIS0")->widget()->geometry(), QRect(0, 0, 40, 30));
}

TEST(AuthorMode, RebuildsThroughTheDriverLeaveNoWidgetsBehind) {
    // The driver runs no event loop: each rebuilt screen's controls must go
    // all the same, or a long script slows down and grows with every F5.
    TestGame g;
    TForm1& form = startWith(g, kBackPictures + "*shape1*form*circle#\r\n");
    g.dir.write("data_game/allbacktexts.txt", "*text1*string1*One#\r\n*text1*string2*Two#\r\n");
    g.dir.write("data_game/allbuttons.txt", "*button1*name*a.png#\r\n");
    std::ostringstream out;
    playtest::Runner runner(form, g.dir.path().string(), out);
    runner.runLine("key F5", "script:1");
    const auto first = QApplication::allWidgets().size();
    ASSERT_EQ(form.game().tables.buttons.size(), 1u);
    for (int i = 2; i <= 200; ++i)
        runner.runLine("key F5", "script:" + std::to_string(i));
    EXPECT_EQ(QApplication::allWidgets().size(), first);
    EXPECT_EQ(authorOf(form).screensBuilt(), 201);
    EXPECT_EQ(runner.summary(), "0 passed, 0 failed") << out.str();
}

TEST(AuthorMode, TheRebuildStopsSoundAndVideoAndResetsTheWindowResource) {
    TestGame g;
    TForm1& form = startWith(g, kBackPictures);
    Game& game = form.game();
    const QRect atStart = game.VideoWindow1->geometry();
    taleplay::testing::writeWav((g.dir.path() / "data_game/tone.wav").string(), 5000);
    game.PlayAudio(game.state.dataFolder + "tone.wav");
    const auto sound = game.soundStream();
    ASSERT_TRUE(game.audio().isPlaying(sound));
    game.VideoWindow1->setGeometry(5, 5, 300, 200);
    game.VideoWindow1->show();
    game.host().bringToFront(*game.VideoWindow1);
    press(form, Qt::Key_F5);
    EXPECT_EQ(game.soundStream(), 0u);
    EXPECT_FALSE(game.audio().isPlaying(sound));
    EXPECT_TRUE(game.VideoWindow1->isHidden());
    EXPECT_EQ(game.VideoWindow1->geometry(), atStart);
    EXPECT_EQ(game.host().zOrder(*game.VideoWindow1), 0);
    EXPECT_FALSE(game.VideoWindow1->playing());
    EXPECT_EQ(game.LabelServant->caption(), "LabelServant");
}

TEST(AuthorMode, ErrorsOfTheRebuildAreShownAndTheProgramGoesOn) {
    struct Row {
        const char* backPictures;
        bool removeFolder;
        const char* says; // the last message; "" for the data folder's report
    } rows[] = {
        {"*screencolor*clNoSuchColour#\r\n", false,
         "'clNoSuchColour' is not a valid integer value"},
        {"*picture1*name*missing.png#\r\n", false, "Can't find file  missing.png"},
        // Put back by its author a moment later, so it ends nothing.
        {"", true, ""},
    };
    for (const Row& r : rows) {
        TestGame g;
        TForm1& form = startWith(g, kBackPictures);
        if (r.removeFolder)
            std::filesystem::remove_all(g.dir.path() / "data_game");
        else
            g.dir.write("data_game/allbackpictures.txt", r.backPictures);
        press(form, Qt::Key_F5);
        const std::string says =
            *r.says ? std::string(r.says) : "Can't find file  " + g.dir.str() + "/data_game/";
        ASSERT_FALSE(form.game().messages().empty()) << says;
        EXPECT_EQ(form.game().messages().back(), says);
        EXPECT_EQ(taleplay::testing::endedCount(), 0) << says;
        EXPECT_EQ(authorOf(form).screensBuilt(), 2) << says;
    }
}

TEST(AuthorMode, ARebuildAskedForDuringAClickWaitsForItsEnd) {
    TestGame g;
    TForm1& form = startWith(g, kBackPictures);
    QPointer<QWidget> before = form.game().tables.pictures[0];
    form.runEvent([&] {
        form.Rebuild();
        // The click's screen is still there while the click runs.
        EXPECT_EQ(form.game().tables.pictures[0], before);
        EXPECT_FALSE(controlOf(before.data())->destroyed());
    });
    platform::processEvents();
    EXPECT_TRUE(before.isNull() || controlOf(before.data())->destroyed());
    EXPECT_EQ(authorOf(form).screensBuilt(), 2);
}

TEST(AuthorMode, KeysReachItWhateverHasTheFocus) {
    TestGame g;
    std::filesystem::create_directories(g.dir.path() / "data_game");
    g.dir.write("data_game/alltextwindows.txt", "*textwindow1*text*x#\r\n");
    g.dir.write("data_game/allbacktexts.txt", "*list1*string1*one#\r\n");
    TForm1& form = g.start();
    auto* author = new AuthorMode(form, WatchFiles::No);
    for (const char* name : {"TW0", "LIST0"}) {
        QWidget* w = form.game().host().find(name)->widget();
        const int before = author->screensBuilt();
        press(*w, Qt::Key_F5);
        EXPECT_EQ(author->screensBuilt(), before + 1) << name;
        // Held down, the key rebuilds once.
        QTest::keyPress(&form, Qt::Key_F5);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(&form, &repeat);
        platform::processEvents();
        EXPECT_EQ(author->screensBuilt(), before + 2) << name;
    }
}

TEST(AuthorMode, WithoutItTheKeysDoNothing) {
    TestGame g;
    std::filesystem::create_directories(g.dir.path() / "data_game");
    g.picture("a.png", 10, 10, Qt::blue);
    g.dir.write("data_game/allbackpictures.txt", kBackPictures);
    TForm1& form = g.start();
    const QImage before = shot(form);
    g.dir.write("data_game/allbackpictures.txt", "*screencolor*clRed#\r\n");
    press(form, Qt::Key_F5);
    press(form, Qt::Key_F12);
    EXPECT_EQ(names(form.game().tables.pictures), std::vector<std::string>{"RIS0"});
    EXPECT_EQ(form.game().host().colour(), clYellow);
    EXPECT_EQ(form.findChild<Inspector*>(), nullptr);
    EXPECT_EQ(shot(form), before);
}

TEST(AuthorMode, WatchingRebuildsWhenAFileOfTheGameChanges) {
    TestGame g;
    TForm1& form = startWith(g, kBackPictures, WatchFiles::Yes);
    AuthorMode& author = authorOf(form);
    Game& game = form.game();

    // Written in place.
    g.dir.write("data_game/allbackpictures.txt", "*screencolor*clRed#\r\n");
    ASSERT_TRUE(within10s([&] { return game.host().colour() == clRed; }));
    const int afterFirst = author.screensBuilt();

    // Saved as a new file renamed over the old one, as many editors save.
    g.dir.write("data_game/new.tmp", "*screencolor*clLime#\r\n");
    std::filesystem::rename(g.dir.path() / "data_game/new.tmp",
                            g.dir.path() / "data_game/allbackpictures.txt");
    ASSERT_TRUE(within10s([&] { return game.host().colour() == clLime; }));

    // Again in place: the renamed file is watched too.
    g.dir.write("data_game/allbackpictures.txt", "*screencolor*clBlue#\r\n");
    ASSERT_TRUE(within10s([&] { return game.host().colour() == clBlue; }));

    // A picture in a subfolder made after the start.
    g.picture("pics/c.png", 10, 10, Qt::green);
    ASSERT_TRUE(within10s([&] { return author.screensBuilt() > afterFirst + 2; }));
}

TEST(AuthorMode, TheResultFileBesideTheGameRebuildsNothing) {
    TestGame g;
    TForm1& form = startWith(g, kBackPictures, WatchFiles::Yes);
    AuthorMode& author = authorOf(form);
    g.dir.write("mark for game.txt", "5\r\n");
    // A change inside the game after it, so the test knows the watch has
    // seen everything written before.
    g.dir.write("data_game/allbackpictures.txt", "*screencolor*clRed#\r\n");
    ASSERT_TRUE(within10s([&] { return form.game().host().colour() == clRed; }));
    EXPECT_EQ(author.screensBuilt(), 2);
}

TEST(Inspector, LabelsEveryControlWithItsNameAndLine) {
    TestGame g;
    std::filesystem::create_directories(g.dir.path() / "data_game");
    g.picture("a.png", 10, 10, Qt::blue);
    g.picture("fon.bmp", 700, 600, Qt::gray);
    g.dir.write("data_game/allbackpictures.txt", "# pictures\r\n"
                                                 "*picture12*name*a.png#\r\n"
                                                 "*picture1*name*a.png#\r\n"
                                                 "*shape2*form*circle#*shape2*heightinpixels*9#\r\n"
                                                 "*video*film.avi#\r\n");
    g.dir.write("data_game/allbacktexts.txt", "*text1*string1*One#\r\n"
                                              "*text1*string2*#\r\n"
                                              "*text1*string3*Three#\r\n"
                                              "*LIST2*string1*x#\r\n");
    g.dir.write("data_game/alltextwindows.txt", "\r\n*textwindow1*text*#\r\n");
    g.dir.write("data_game/allbuttons.txt", "*button1*click*picture1#invisible^\r\n"
                                            "*button1*name*a.png#\r\n");
    TForm1& form = g.start();
    auto* author = new AuthorMode(form, WatchFiles::No);
    author->toggleInspector();
    const QStringList labels = author->inspector()->labels();
    for (const char* label :
         {"BP0  allbackpictures.txt", "BP3  allbackpictures.txt", "picture1  allbackpictures.txt:3",
          "picture12  allbackpictures.txt:2", "shape2  allbackpictures.txt:4",
          "text1  allbacktexts.txt:1", "text1  allbacktexts.txt:3", "list2  allbacktexts.txt:4",
          "textwindow1  alltextwindows.txt:2", "button1  allbuttons.txt:2",
          "video  allbackpictures.txt:5"}) {
        EXPECT_TRUE(labels.contains(QString::fromUtf8(label)))
            << label << " in " << labels.join(" | ").toStdString();
    }
    // The measuring controls show nothing of the game.
    for (const QString& label : labels)
        EXPECT_FALSE(label.contains("Servant")) << label.toStdString();
}

TEST(Inspector, TheEndScreensControlsComeFromTheEndScreensFiles) {
    TestGame g;
    std::filesystem::create_directories(g.dir.path() / "data_game");
    g.picture("a.png", 10, 10, Qt::blue);
    g.dir.write("data_game/victorypictures.txt", "\r\n*picture1*name*a.png#\r\n"
                                                 "*button2*name*a.png#\r\n");
    g.dir.write("data_game/victorytexts.txt", "*text1*string1*Well done#\r\n");
    TForm1& form = g.start();
    form.game().state.victory = true;
    form.runEvent([&] { ShowEndScreen(form.game()); });
    const auto origin = [&](const char* name) {
        return originOf(form.game(), *form.game().host().find(name));
    };
    EXPECT_EQ(origin("uraRIS0").name, "picture1");
    EXPECT_EQ(origin("uraRIS0").line, 2);
    EXPECT_EQ(origin("uraRIS0").file, form.game().state.dataFolder + "victorypictures.txt");
    EXPECT_EQ(origin("URANazhimalka2").name, "button2");
    EXPECT_EQ(origin("URANazhimalka2").line, 3);
    EXPECT_EQ(origin("uraTLine0").name, "text1");
    EXPECT_EQ(origin("uraTLine0").file, form.game().state.dataFolder + "victorytexts.txt");
}

TEST(Inspector, ThePointerShowsTheKeysOfTheControlUnderIt) {
    TestGame g;
    TForm1& form = startWith(g, "*picture1*name*a.png#\r\n"
                                "*picture12*name*a.png#\r\n"
                                "*picture1*leftinpixels*100# *picture1*topinpixels*50#\r\n"
                                "*picture1visible*yes#\r\n");
    AuthorMode& author = authorOf(form);
    author.toggleInspector();
    Inspector& inspector = *author.inspector();
    QTest::mouseMove(&form, QPoint(105, 55));
    platform::processEvents();
    EXPECT_EQ(inspector.hoverLines(),
              (QStringList{"picture1  (RIS0)", "allbackpictures.txt:1",
                           "left 100, top 50, width 10, height 10", "1: *picture1*name*a.png#",
                           "3: *picture1*leftinpixels*100# *picture1*topinpixels*50#",
                           "4: *picture1visible*yes#"}));
    // Nowhere over a control: nothing.
    QTest::mouseMove(&form, QPoint(600, 600));
    platform::processEvents();
    EXPECT_TRUE(inspector.hoverLines().isEmpty());
}

TEST(Inspector, ShownItChangesTheScreenAndHiddenAgainItLeavesItAsItWas) {
    TestGame g;
    TForm1& form = startWith(g, kBackPictures);
    const QImage before = shot(form);
    press(form, Qt::Key_F12);
    ASSERT_NE(form.findChild<Inspector*>(), nullptr);
    EXPECT_TRUE(form.findChild<Inspector*>()->shown());
    EXPECT_NE(shot(form), before);
    press(form, Qt::Key_F12);
    EXPECT_FALSE(form.findChild<Inspector*>()->shown());
    EXPECT_EQ(shot(form), before);
}

TEST(Inspector, ItStaysAboveControlsMadeLaterAndHoldsEveryReport) {
    TestGame g;
    TForm1& form = startWith(g, "*picture1*name*gone.png#\r\n");
    press(form, Qt::Key_F12);
    Inspector& inspector = *form.findChild<Inspector*>();
    g.dir.write("data_game/allbacktexts.txt", "*list1*string1*one#\r\n");
    g.dir.write("data_game/alltextwindows.txt", "*textwindow1*text*x#\r\n");
    press(form, Qt::Key_F5);
    form.game().host().bringToFront(*form.game().host().find("LIST0"));
    platform::processEvents();
    const QObjectList children = form.children();
    const auto at = [&](const QObject* o) { return children.indexOf(const_cast<QObject*>(o)); };
    EXPECT_GT(at(&inspector), at(form.game().host().find("LIST0")->widget()));
    EXPECT_GT(at(&inspector), at(form.game().host().find("TW0")->widget()));
    // Both reports, each in the section of its build, the older one greyed;
    // then what the checker finds in the files as they are now.
    ASSERT_TRUE(within10s([&] { return inspector.checked(); }));
    std::vector<std::string> rows;
    for (int i = 0; i < inspector.reports().count(); ++i)
        rows.push_back(inspector.reports().item(i)->text().toStdString());
    ASSERT_GE(rows.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(rows.begin(), rows.begin() + 4),
              (std::vector<std::string>{"First start", "Can't find file  gone.png", "Rebuild 1",
                                        "Can't find file  gone.png"}));
    EXPECT_NE(inspector.reports().item(1)->foreground().color(),
              inspector.reports().item(3)->foreground().color());
    EXPECT_EQ(rows[4].rfind("The checker on the files as they are now", 0), 0u) << rows[4];
    EXPECT_EQ(rows[5],
              "allbackpictures.txt:1: picture 'gone.png' does not exist; the player reports it");
}

// The checker's findings are about lines; the components those lines make
// are outlined, here a text line that an answer box covers.
TEST(Inspector, OutlinesWhatTheCheckerFinds) {
    TestGame g;
    TForm1& form = startWith(g, kBackPictures);
    g.dir.write("data_game/allbacktexts.txt", "*text1*string1*Question#\r\n");
    g.dir.write("data_game/alltextwindows.txt", "*textwindow1*text*#\r\n");
    press(form, Qt::Key_F5);
    press(form, Qt::Key_F12);
    Inspector& inspector = *form.findChild<Inspector*>();
    ASSERT_TRUE(within10s([&] { return inspector.checked(); }));
    platform::processEvents();
    EXPECT_EQ(inspector.flaggedLabels(), QStringList{"text1  allbacktexts.txt:1"});
    bool listed = false;
    for (int i = 0; i < inspector.reports().count(); ++i)
        listed = listed || inspector.reports().item(i)->text().contains("is covered by");
    EXPECT_TRUE(listed);
}
