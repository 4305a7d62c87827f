// Keyboard play, the names screen readers get and reading aloud, on the real
// main window: what a key does, which control Tab reaches, what is said.
#include "app/accessible_names.h"
#include "app/game_fixture.h"
#include "app/keyboard_play.h"
#include "app/read_aloud.h"
#include "platform/focus_ring.h"
#include "platform/speech.h"
#include "platform/system.h"
#include "support/media_fixtures.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <sstream>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

// Two text windows under a question, three buttons (the second hidden, the
// third with a pressed picture and a hint), a picture with a hint, a list.
// Button 3 shows text 2 and picture 1.
TForm1& startGame(TestGame& g) {
    std::filesystem::create_directories(g.dir.path() / "data_game");
    g.picture("a.png", 20, 10, Qt::blue);
    g.picture("moon.png", 20, 10, Qt::white);
    g.picture("down.png", 20, 10, Qt::red);
    g.dir.write("data_game/allbackpictures.txt",
                "*picture1*name*moon.png#*picture1*hint*The moon#\r\n"
                "*picture1*leftinpixels*600#*picture1visible*no# \r\n");
    g.dir.write("data_game/allbacktexts.txt",
                "*text1*string1*Who &hunts at night?#*text1*topinpixels*100#"
                "*text1*leftinpixels*10#*text1*widthinpixels*300#\r\n"
                "*text2*string1*Кто там?#*text2*topinpixels*400#*text2visible*no# \r\n"
                "*list1*string1*Apple#*list1*string2*Pear#*list1*topinpixels*500#\r\n");
    g.dir.write("data_game/alltextwindows.txt",
                "*textwindow1*topinpixels*160#*textwindow1*leftinpixels*10#\r\n"
                "*textwindow2*topinpixels*300#*textwindow2*leftinpixels*400#\r\n");
    g.dir.write("data_game/allbuttons.txt",
                "*button1*name*a.png#*button1*topinpixels*600#\r\n"
                "*button2*name*a.png#*button2*topinpixels*650#*button2visible*no# \r\n"
                "*button3*name*a.png#*button3*pressedname*down.png#"
                "*button3*hint*Check the answer#*button3*topinpixels*700#\r\n"
                "*button3*clickALLGOOD*text2#visible^\r\n"
                "*button3*clickALLGOOD*picture1#visible^\r\n");
    return g.start();
}

Control& named(TForm1& form, const std::string& name) {
    Control* c = form.game().host().find(name);
    EXPECT_NE(c, nullptr) << name;
    return *c;
}

QWidget* widgetOf(TForm1& form, const std::string& name) {
    return named(form, name).widget();
}

void key(TForm1& form, Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target ? target : &form, k, mods);
    platform::processEvents();
}

std::string focusedName() {
    Control* c = controlOf(QApplication::focusWidget());
    return c ? c->name() : "-";
}

} // namespace

TEST(KeyboardPlay, TabGoesThroughVisibleTextWindowsAndButtonsInCreationOrder) {
    TestGame g;
    TForm1& form = startGame(g);
    QApplication::setActiveWindow(&form);
    // Hidden button 2 is passed over; the ends join.
    std::vector<std::string> seen;
    for (int i = 0; i < 5; ++i) {
        key(form, Qt::Key_Tab);
        seen.push_back(focusedName());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"TW0", "TW1", "Nazhimalka1", "Nazhimalka3", "TW0"}));
    key(form, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focusedName(), "Nazhimalka3");
    // Enter in a text window goes on to the next control.
    widgetOf(form, "TW0")->setFocus();
    key(form, Qt::Key_Return);
    EXPECT_EQ(focusedName(), "TW1");
}

TEST(KeyboardPlay, SpaceIsAFullClickWithThePressedPictureWhileHeld) {
    TestGame g;
    TForm1& form = startGame(g);
    QApplication::setActiveWindow(&form);
    auto& button = static_cast<ImageControl&>(named(form, "Nazhimalka3"));
    button.setFocus();
    platform::processEvents();

    QTest::keyPress(&button, Qt::Key_Space);
    EXPECT_NE(button.pictureName().find("down.png"), std::string::npos);
    EXPECT_TRUE(widgetOf(form, "TLine1")->isHidden()) << "the rules run at the release";
    QTest::keyRelease(&button, Qt::Key_Space);
    platform::processEvents();
    EXPECT_NE(button.pictureName().find("a.png"), std::string::npos);
    EXPECT_FALSE(widgetOf(form, "TLine1")->isHidden());
    EXPECT_FALSE(widgetOf(form, "RIS0")->isHidden());
}

TEST(KeyboardPlay, FocusLeavingAHeldButtonLetsItGoUnclicked) {
    TestGame g;
    TForm1& form = startGame(g);
    QApplication::setActiveWindow(&form);
    auto& button = static_cast<ImageControl&>(named(form, "Nazhimalka3"));
    button.setFocus();
    QTest::keyPress(&button, Qt::Key_Return);
    key(form, Qt::Key_Tab);
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Return);
    platform::processEvents();
    EXPECT_NE(button.pictureName().find("a.png"), std::string::npos);
    EXPECT_TRUE(widgetOf(form, "TLine1")->isHidden());
}

TEST(KeyboardPlay, TheRingShowsOnlyAfterTheKeyboardMovedTheFocus) {
    TestGame g;
    TForm1& form = startGame(g);
    QApplication::setActiveWindow(&form);
    platform::processEvents();
    QWidget* initial = QApplication::focusWidget();
    ASSERT_NE(initial, nullptr);
    const QImage before = form.grab().toImage();
    // A mouse player's click neither focuses a button nor draws anything.
    QWidget* button = widgetOf(form, "Nazhimalka1");
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    platform::processEvents();
    EXPECT_NE(QApplication::focusWidget(), button);
    EXPECT_FALSE(form.keyboard().ring().isVisible());
    EXPECT_EQ(form.grab().toImage(), before);

    key(form, Qt::Key_Tab);
    key(form, Qt::Key_Tab);
    key(form, Qt::Key_Tab);
    ASSERT_EQ(focusedName(), "Nazhimalka1");
    const FocusRing& ring = form.keyboard().ring();
    EXPECT_TRUE(ring.isVisible());
    const int out = FocusRing::kGap + FocusRing::kWidth;
    EXPECT_EQ(ring.geometry(), button->geometry().adjusted(-out, -out, out, out));
    EXPECT_NE(form.grab().toImage(), before);

    // The next mouse press takes it away.
    QTest::mousePress(widgetOf(form, "RIS0")->parentWidget(), Qt::LeftButton, {}, QPoint(900, 900));
    QTest::mouseRelease(widgetOf(form, "RIS0")->parentWidget(), Qt::LeftButton, {},
                        QPoint(900, 900));
    platform::processEvents();
    EXPECT_FALSE(ring.isVisible());
    // With the focus back where it was (a list draws its own focus), the
    // screen is as it was.
    initial->setFocus();
    platform::processEvents();
    EXPECT_EQ(form.grab().toImage(), before);
}

TEST(KeyboardPlay, EscapeAsksAndLeavesOnlyOnYesWithoutAResult) {
    TestGame g;
    TForm1& form = startGame(g);
    QApplication::setActiveWindow(&form);
    struct Case {
        platform::Answer answer;
        bool stillOpen;
    };
    for (const Case c : {Case{platform::Answer::No, true}, Case{platform::Answer::Yes, false}}) {
        taleplay::testing::modals().clear();
        platform::setObservedAnswer(c.answer);
        key(form, Qt::Key_Escape);
        ASSERT_EQ(taleplay::testing::modals().size(), 1u);
        EXPECT_EQ(taleplay::testing::modals()[0].first, platform::ModalKind::Question);
        EXPECT_EQ(taleplay::testing::modals()[0].second, "Leave the game?");
        EXPECT_EQ(form.isVisible(), c.stillOpen);
    }
    platform::setObservedAnswer(platform::Answer::No);
    EXPECT_FALSE(std::filesystem::exists(g.dir.path() / "mark for game.txt"));
}

TEST(AccessibleNames, EveryVisibleControlHasARoleAndAName) {
    TestGame g;
    TForm1& form = startGame(g);
    struct Expected {
        const char* control;
        QAccessible::Role role;
        QString name;
    };
    const std::vector<Expected> expected{
        {"RIS0", QAccessible::Graphic, "The moon"},                 // its hint
        {"TLine0", QAccessible::StaticText, "Who hunts at night?"}, // the '&' not said
        {"TLine1", QAccessible::StaticText, "Кто там?"},
        {"LIST0", QAccessible::List, "List"},                      // nothing above it
        {"TW0", QAccessible::EditableText, "Who hunts at night?"}, // the line above
        {"TW1", QAccessible::EditableText, "Answer"},              // none above it
        {"Nazhimalka1", QAccessible::Button, "a"},                 // its picture's name
        {"Nazhimalka3", QAccessible::Button, "Check the answer"},
    };
    for (const Expected& e : expected) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widgetOf(form, e.control));
        ASSERT_NE(a, nullptr) << e.control;
        EXPECT_EQ(a->role(), e.role) << e.control;
        EXPECT_EQ(a->text(QAccessible::Name), e.name) << e.control;
    }
    // The list says its items.
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(widgetOf(form, "LIST0"));
    QStringList items;
    for (int i = 0; i < list->childCount(); ++i)
        items << list->child(i)->text(QAccessible::Name);
    EXPECT_TRUE(items.contains("Apple") && items.contains("Pear")) << items.join(',').toStdString();
    // A screen reader's press is the button's click.
    QAccessibleInterface* button =
        QAccessible::queryAccessibleInterface(widgetOf(form, "Nazhimalka3"));
    ASSERT_NE(button->actionInterface(), nullptr);
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    platform::processEvents();
    EXPECT_FALSE(widgetOf(form, "TLine1")->isHidden());
}

namespace {

// Every interface under `a`, depth first.
void collect(QAccessibleInterface* a, std::vector<QAccessibleInterface*>& out) {
    out.push_back(a);
    for (int i = 0; i < a->childCount(); ++i)
        if (QAccessibleInterface* child = a->child(i))
            collect(child, out);
}

} // namespace

// What a screen reader finds on the demo's play screen, walking the tree
// from the window down: every visible control, each with a role and a name,
// the buttons, answer boxes and the log by the demo's hints.
TEST(AccessibleNames, TheDemosPlayScreenIsNamedThroughout) {
    TestGame g;
    std::filesystem::create_directory_symlink(TALEPLAY_DEMO_FOLDER, g.dir.path() / "data_demo");
    TForm1& form = g.start("demo");
    std::vector<QAccessibleInterface*> tree;
    collect(QAccessible::queryAccessibleInterface(&form), tree);
    std::map<QWidget*, QAccessibleInterface*> found;
    for (QAccessibleInterface* a : tree)
        if (a->object() && a->object()->isWidgetType())
            found[static_cast<QWidget*>(a->object())] = a;

    int visible = 0;
    for (Control* c : form.game().host().controls()) {
        if (c->widget()->isHidden() || c->widget() == form.game().ImageServant)
            continue;
        ++visible;
        const auto it = found.find(c->widget());
        ASSERT_NE(it, found.end()) << c->name() << " is not in the tree";
        EXPECT_NE(it->second->role(), QAccessible::NoRole) << c->name();
        EXPECT_NE(it->second->role(), QAccessible::Client) << c->name();
        EXPECT_FALSE(it->second->text(QAccessible::Name).trimmed().isEmpty()) << c->name();
    }
    EXPECT_GT(visible, 100);
    struct Named {
        const char* control;
        QAccessible::Role role;
        const char* name;
    };
    for (const Named& n :
         {Named{"Nazhimalka1", QAccessible::Button, "Check the answer to the first riddle"},
          Named{"Nazhimalka2", QAccessible::Button, "Проверить ответ на вторую загадку"},
          Named{"RIS2", QAccessible::Graphic, "The stars of the Hunter"},
          Named{"TLine0", QAccessible::StaticText, "The Star Keeper · Звездочёт"},
          Named{"LIST0", QAccessible::List, "The observatory log"}, // hints before the line
          Named{"TW0", QAccessible::EditableText,
                "Answer to the first riddle: who hunts across the winter sky?"},
          Named{"TW1", QAccessible::EditableText, "Ответ на вторую загадку"}}) {
        QAccessibleInterface* a = found[widgetOf(form, n.control)];
        ASSERT_NE(a, nullptr) << n.control;
        EXPECT_EQ(a->role(), n.role) << n.control;
        EXPECT_EQ(a->text(QAccessible::Name), QString::fromUtf8(n.name)) << n.control;
    }
}

TEST(ReadAloud, ReadsTheScreenThenNewLinesAndTheFocusedControl) {
    std::vector<std::pair<SpeechLanguage, QString>> said;
    setSpeechRecorder([&](SpeechLanguage l, const QString& text) { said.emplace_back(l, text); });
    TestGame g;
    TForm1& form = startGame(g);
    QApplication::setActiveWindow(&form);
    EXPECT_TRUE(said.empty()) << "silent until asked";

    key(form, Qt::Key_F2);
    ASSERT_TRUE(form.readAloud().on());
    ASSERT_EQ(said.size(), 1u);
    EXPECT_EQ(said[0].second, "Who hunts at night?");
    EXPECT_EQ(said[0].first, SpeechLanguage::English);

    // The focus moving says the control's name; a click's new line is read.
    said.clear();
    widgetOf(form, "Nazhimalka3")->setFocus();
    platform::processEvents();
    static_cast<ImageControl&>(named(form, "Nazhimalka3")).click();
    platform::processEvents();
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[0].second, "Check the answer");
    EXPECT_EQ(said[1].second, "Кто там?");
    EXPECT_EQ(said[1].first, SpeechLanguage::Russian);

    // F2 again: silence.
    said.clear();
    key(form, Qt::Key_F2);
    EXPECT_FALSE(form.readAloud().on());
    key(form, Qt::Key_Tab);
    EXPECT_TRUE(said.empty());
    setSpeechRecorder(nullptr);
}

// A game's sound pauses the voice: what comes up meanwhile is said after it.
TEST(ReadAloud, AGameSoundPausesTheVoice) {
    std::vector<QString> said;
    setSpeechRecorder([&](SpeechLanguage, const QString& text) { said.push_back(text); });
    TestGame g;
    TForm1& form = startGame(g);
    taleplay::testing::writeWav(g.dir.str() + "/data_game/long.wav", 1500);
    form.readAloud().turnOn();
    said.clear();
    form.game().PlayAudio(form.game().state.dataFolder + "long.wav");
    QElapsedTimer clock;
    clock.start();
    while (!form.readAloud().voice().paused() && clock.elapsed() < 5000)
        platform::processEvents();
    ASSERT_TRUE(form.readAloud().voice().paused()) << "the sound did not pause the voice";

    static_cast<ImageControl&>(named(form, "Nazhimalka3")).click();
    platform::processEvents();
    EXPECT_TRUE(said.empty());
    clock.restart();
    while (said.empty() && clock.elapsed() < 10000)
        platform::processEvents();
    EXPECT_FALSE(form.game().audio().isPlaying(form.game().soundStream()));
    EXPECT_EQ(said, std::vector<QString>{"Кто там?"});
    setSpeechRecorder(nullptr);
}

TEST(ReadAloud, WithoutAnEngineF2SaysSoOnceAndStaysOff) {
    setSpeechEngines(QStringList{});
    TestGame g;
    TForm1& form = startGame(g);
    QApplication::setActiveWindow(&form);
    std::ostringstream err;
    std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
    key(form, Qt::Key_F2);
    key(form, Qt::Key_F2);
    form.readAloud().turnOn();
    std::cerr.rdbuf(old);
    setSpeechEngines(std::nullopt);
    EXPECT_FALSE(form.readAloud().on());
    EXPECT_EQ(err.str(), "taleplay: no speech engine is installed: nothing can be read aloud\n");
}

TEST(ReadAloud, LanguageByTheLetters) {
    struct Row {
        const char* text;
        SpeechLanguage language;
    };
    for (const Row& r :
         {Row{"Orion", SpeechLanguage::English}, Row{"Луна", SpeechLanguage::Russian},
          Row{"The moon · Луна", SpeechLanguage::Russian}, Row{"42 — !", SpeechLanguage::English}})
        EXPECT_EQ(speechLanguageOf(QString::fromUtf8(r.text)), r.language) << r.text;
}

// Where an engine is installed, a voice speaks through it without blocking:
// say() returns at once, and the engine reports speaking while the program
// goes on handling events.
TEST(ReadAloud, AnInstalledEngineSpeaks) {
    Voice voice;
    if (!voice.available())
        GTEST_SKIP() << "no speech engine here";
    voice.say("Hello");
    voice.say("Привет");
    EXPECT_GE(voice.queued(), 1) << "the second text waits for the first";
    QElapsedTimer clock;
    clock.start();
    while (!voice.hasSpoken() && voice.lastError().isEmpty() && clock.elapsed() < 10000)
        platform::processEvents();
    if (!voice.hasSpoken() && !voice.lastError().isEmpty())
        GTEST_SKIP() << "the engine cannot speak here: " << voice.lastError().toStdString();
    EXPECT_TRUE(voice.hasSpoken());
    voice.stop();
    EXPECT_EQ(voice.queued(), 0);
}
