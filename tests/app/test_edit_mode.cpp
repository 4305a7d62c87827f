// Edit mode on the real window: handles resize, keys nudge and remove, clicks
// run no rules, a save rebuilds once and keeps the selection, closing with
// edits not saved asks.
#include "app/author_mode.h"
#include "app/edit_form.h"
#include "app/edit_mode.h"
#include "app/edit_session.h"
#include "app/folder_watcher.h"
#include "app/game_fixture.h"
#include "endscreen/taleforge_serv_URA.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

const std::string kPictures = "*picture1*name*a.png#\r\n"
                              "*picture1*leftinpixels*100#*picture1*topinpixels*100#\r\n"
                              "*picture1*widthinpixels*40#*picture1*heightinpixels*30#\r\n"
                              "*picture2*name*a.png#*picture2*widthindivision*10#1#\r\n"
                              "*picture2*leftindivision*#center#*picture2*topinpixels*300#\r\n";
const std::string kButtons = "*button1*name*a.png#*button1*leftinpixels*600#\r\n"
                             "*button1*click*picture1#invisible^\r\n";

struct Editing {
    TestGame g;
    TForm1* form = nullptr;
    AuthorMode* author = nullptr;

    explicit Editing(WatchFiles watch = WatchFiles::No) {
        std::filesystem::create_directories(g.dir.path() / "data_game");
        g.picture("a.png", 20, 20, Qt::blue);
        g.dir.write("data_game/allbackpictures.txt", kPictures);
        g.dir.write("data_game/allbuttons.txt", kButtons);
        form = &g.start();
        author = new AuthorMode(*form, watch);
        key(Qt::Key_F6);
    }
    EditMode& mode() const { return *author->editMode(); }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) const {
        QTest::keyClick(form, k, m);
        platform::processEvents();
    }
    std::string file(const char* name) const {
        std::ifstream in(g.dir.path() / "data_game" / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void drag(QPoint from, QPoint to) const {
        QTest::mousePress(&mode(), Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(mode().mapToGlobal(to)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&mode(), &move);
        QTest::mouseRelease(&mode(), Qt::LeftButton, {}, to);
        platform::processEvents();
    }
    QRect geometryOf(const char* target) const {
        return mode().selected() == target ? mode().selectionRect() : QRect();
    }
};

} // namespace

TEST(EditMode, HandlesResizeInTheUnitOfEachSize) {
    Editing e;
    ASSERT_TRUE(e.mode().on());
    e.mode().select("picture1");
    ASSERT_EQ(e.mode().selectionRect(), QRect(100, 100, 40, 30));
    e.drag({140, 130}, {150, 135}); // the bottom right handle
    EXPECT_EQ(e.mode().selectionRect(), QRect(100, 100, 50, 35));
    // Picture 2 is a tenth of the width, centred: its right handle, dragged
    // by a tenth more, makes it two tenths; it stays centred.
    const int tenth = e.form->game().clientWidth() / 10;
    e.mode().select("picture2");
    const QRect r = e.mode().selectionRect();
    e.drag({r.right() + 1, r.center().y()}, {r.right() + 1 + tenth, r.center().y()});
    e.key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(e.file("allbackpictures.txt"),
              "*picture1*name*a.png#\r\n"
              "*picture1*leftinpixels*100#*picture1*topinpixels*100#\r\n"
              "*picture1*widthinpixels*50#*picture1*heightinpixels*35#\r\n"
              "*picture2*name*a.png#*picture2*widthindivision*10#2#\r\n"
              "*picture2*leftindivision*#center#*picture2*topinpixels*300#\r\n");
    // Rebuilt from the files, the selection kept.
    EXPECT_EQ(e.mode().selected(), "picture2");
    EXPECT_EQ(e.mode().selectionRect().width(), 2 * tenth);
    EXPECT_EQ(e.mode().selectionRect().left(), (e.form->game().clientWidth() - 2 * tenth) / 2);
    EXPECT_FALSE(e.author->editSession()->unsaved());
}

TEST(EditMode, ArrowsNudgeACentredComponentOffCentreAndUndoTakesItBack) {
    Editing e;
    e.mode().select("picture2");
    const QRect start = e.mode().selectionRect();
    // Ten pixels right: a hundredth of the width is 12.8 pixels, and the
    // nearest hundredth is where it lands.
    e.key(Qt::Key_Right, Qt::ShiftModifier);
    const int left = std::lround((start.left() + 10) * 100.0 / 1280) * 1280 / 100.0 + 0.5;
    EXPECT_EQ(e.mode().selectionRect().topLeft(), QPoint(left, start.top()));
    EXPECT_NE(e.mode().status().indexOf("no longer centred"), -1)
        << e.mode().status().toStdString();
    e.key(Qt::Key_Down);
    EXPECT_EQ(e.mode().selectionRect().topLeft(), QPoint(left, start.top() + 1));
    EXPECT_NE(e.mode().status().indexOf("Not saved yet"), -1);
    e.key(Qt::Key_Z, Qt::ControlModifier);
    e.key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(e.mode().selectionRect(), start);
    EXPECT_FALSE(e.author->editSession()->unsaved());
    e.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(e.mode().selectionRect().topLeft(), QPoint(left, start.top()));
    EXPECT_TRUE(e.author->editSession()->unsaved());
}

TEST(EditMode, ClicksRunNoRulesUntilItEnds) {
    Editing e;
    QWidget* button = e.form->game().host().find("Nazhimalka1")->widget();
    QWidget* picture = e.form->game().host().find("RIS0")->widget();
    const QPoint at = button->geometry().center();
    QTest::mouseClick(&e.mode(), Qt::LeftButton, {}, at);
    platform::processEvents();
    EXPECT_EQ(e.mode().selected(), "button1");
    EXPECT_TRUE(picture->isVisible());
    // Ended in the middle of a drag, the drag is dropped.
    QTest::mousePress(&e.mode(), Qt::LeftButton, {}, {120, 115});
    QMouseEvent move(QEvent::MouseMove, QPointF(300, 300),
                     QPointF(e.mode().mapToGlobal(QPoint(300, 300))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&e.mode(), &move);
    ASSERT_NE(picture->pos(), QPoint(100, 100));
    e.key(Qt::Key_F6);
    EXPECT_EQ(picture->pos(), QPoint(100, 100));
    EXPECT_FALSE(e.author->editSession()->unsaved());
    EXPECT_FALSE(e.mode().on());
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    platform::processEvents();
    EXPECT_FALSE(picture->isVisible());
}

TEST(EditMode, DeleteAsksAndTakesTheKeysOut) {
    Editing e;
    e.mode().select("picture1");
    taleplay::testing::modals().clear();
    platform::setObservedAnswer(platform::Answer::No);
    e.key(Qt::Key_Delete);
    ASSERT_EQ(taleplay::testing::modals().size(), 1u);
    EXPECT_EQ(taleplay::testing::modals()[0].first, platform::ModalKind::Question);
    EXPECT_FALSE(e.author->editSession()->unsaved());

    platform::setObservedAnswer(platform::Answer::Yes);
    e.key(Qt::Key_Delete);
    platform::setObservedAnswer(platform::Answer::No);
    QWidget* picture = e.form->game().host().find("RIS0")->widget();
    EXPECT_TRUE(picture->isHidden());
    EXPECT_EQ(e.mode().selected(), "");
    e.key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(e.file("allbackpictures.txt"),
              "*picture2*name*a.png#*picture2*widthindivision*10#1#\r\n"
              "*picture2*leftindivision*#center#*picture2*topinpixels*300#\r\n");
    EXPECT_EQ(e.form->game().host().find("RIS0"), nullptr);
    e.key(Qt::Key_Z, Qt::ControlModifier);
    e.key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(e.file("allbackpictures.txt"), kPictures);
    EXPECT_NE(e.form->game().host().find("RIS0"), nullptr);
}

TEST(EditMode, ClosingWithEditsNotSavedAsks) {
    for (const platform::Answer answer : {platform::Answer::No, platform::Answer::Yes}) {
        Editing e;
        e.mode().select("picture1");
        e.key(Qt::Key_Left);
        taleplay::testing::modals().clear();
        platform::setObservedAnswer(answer);
        EXPECT_TRUE(e.form->close());
        platform::setObservedAnswer(platform::Answer::No);
        ASSERT_EQ(taleplay::testing::modals().size(), 1u);
        EXPECT_NE(taleplay::testing::modals()[0].second.find("not saved"), std::string::npos);
        EXPECT_EQ(e.file("allbackpictures.txt").find("leftinpixels*99#") != std::string::npos,
                  answer == platform::Answer::Yes);
    }
    // Nothing to save: no question.
    Editing e;
    taleplay::testing::modals().clear();
    EXPECT_TRUE(e.form->close());
    EXPECT_TRUE(taleplay::testing::modals().empty());
}

TEST(EditMode, WatchingItsOwnSaveRebuildsOnce) {
    Editing e(WatchFiles::Yes);
    e.mode().select("picture1");
    e.key(Qt::Key_Up);
    const int before = e.author->screensBuilt();
    e.key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(e.author->screensBuilt(), before + 1);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 4 * FolderWatcher::kSettleMs) {
        platform::processEvents();
        platform::sleepMs(5);
    }
    EXPECT_EQ(e.author->screensBuilt(), before + 1);
    // Another program's change still rebuilds.
    e.g.dir.write("data_game/allbuttons.txt", "");
    clock.restart();
    while (e.author->screensBuilt() == before + 1 && clock.elapsed() < 10000) {
        platform::processEvents();
        platform::sleepMs(5);
    }
    EXPECT_EQ(e.author->screensBuilt(), before + 2);
}

TEST(EditMode, TheFormShowsTheKeysItWritesAndCopiesAChosenPicture) {
    Editing e;
    e.mode().select("picture1");
    const std::string folder = e.form->game().state.dataFolder;
    const auto picture = *editing::componentNamed(e.form->game(), "picture1");
    EditForm form(e.form, picture, editing::fieldsOf(*e.author->editSession(), picture), folder);
    EXPECT_EQ(form.preview().toStdString(), "*picture1*name*a.png#\n*picture1*hint*#");
    e.g.dir.write("Рисунок дома.PNG", "picture bytes");
    EXPECT_TRUE(form.usePicture((e.g.dir.path() / "Рисунок дома.PNG").string()).isEmpty());
    const auto hint = form.findChildren<QLineEdit*>().at(1);
    hint->setText("Дом");
    EXPECT_EQ(form.preview().toStdString(),
              "*picture1*name*risunok_doma.png#\n*picture1*hint*Дом#");
    EXPECT_EQ(form.fields()[0].values.front(), "risunok_doma.png");
    EXPECT_TRUE(std::filesystem::exists(e.g.dir.path() / "data_game/risunok_doma.png"));
}

TEST(EditMode, ASaveAsksBeforeWritingOverAnotherProgramsChange) {
    const std::string theirs = kPictures + "*picture3*name*a.png#\r\n";
    for (const bool removed : {false, true}) {
        SCOPED_TRACE(removed ? "removed" : "changed");
        Editing e;
        e.mode().select("picture1");
        e.key(Qt::Key_Left);
        const auto path = e.g.dir.path() / "data_game/allbackpictures.txt";
        if (removed)
            std::filesystem::remove(path);
        else
            e.g.dir.write("data_game/allbackpictures.txt", theirs);
        e.key(Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(std::filesystem::exists(path), !removed);
        if (!removed) {
            EXPECT_EQ(e.file("allbackpictures.txt"), theirs);
        }
        EXPECT_NE(e.mode().status().indexOf("changed on disk"), -1)
            << e.mode().status().toStdString();
        EXPECT_TRUE(e.author->editSession()->unsaved());
        // Asked once, the next save writes over it on purpose.
        e.key(Qt::Key_S, Qt::ControlModifier);
        EXPECT_NE(e.file("allbackpictures.txt").find("leftinpixels*99#"), std::string::npos);
        EXPECT_FALSE(e.author->editSession()->unsaved());
    }
}

TEST(EditMode, AStepOfThePlayScreenLeavesTheEndScreensNamesakeAlone) {
    Editing e;
    e.g.dir.write("data_game/victorypictures.txt",
                  "*picture1*name*a.png#*picture1*leftinpixels*300#\r\n");
    e.mode().select("picture1");
    e.key(Qt::Key_Left);
    // A rule's pause ends on the end screen while edit mode is on.
    e.form->game().state.victory = true;
    e.form->runEvent([&] { ShowEndScreen(e.form->game()); });
    QWidget* endPicture = e.form->game().host().find("uraRIS0")->widget();
    // Undone, redone and nudged there, the play screen's step moves nothing
    // of the end screen, and nothing is written from the namesake's place.
    e.key(Qt::Key_Z, Qt::ControlModifier);
    e.key(Qt::Key_Y, Qt::ControlModifier);
    e.key(Qt::Key_Right);
    EXPECT_EQ(endPicture->x(), 300);
    e.key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_NE(e.file("allbackpictures.txt").find("leftinpixels*99#"), std::string::npos);
}
