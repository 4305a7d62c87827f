// Keyboard play, the names screen readers get and reading aloud, on the real
// main window: what a key does, which control Tab reaches, what is said.
#include "app/accessible_names.h"
#include "app/announcements.h"
#include "app/game_fixture.h"
#include "app/keyboard_play.h"
#include "app/read_aloud.h"
#include "platform/accessibility.h"
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
    EXPECT_EQ(focusedName(), "TW0") << "the focus starts in the first text window";
    // Hidden button 2 is passed over, and the list whose items all show; the
    // ends join.
    std::vector<std::string> seen;
    for (int i = 0; i < 4; ++i) {
        key(form, Qt::Key_Tab);
        seen.push_back(focusedName());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"TW1", "Nazhimalka1", "Nazhimalka3", "TW0"}));
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
    // With the focus back where it was (a text window draws its own caret),
    // the screen is as it was.
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

namespace {

// Two riddles: the first box under its question, the second beside its
// question; button 1 checks the second box and button 2 the first (the
// right one shows a picture and "Right!" and turns the box green), button 3
// hides itself; a log that scrolls; a picture without a hint and a shape.
TForm1& startRiddles(TestGame& g) {
    std::filesystem::create_directories(g.dir.path() / "data_game");
    g.picture("a.png", 20, 10, Qt::blue);
    g.picture("stars.png", 20, 10, Qt::white);
    g.dir.write("data_game/allbackpictures.txt",
                "*picture1*name*stars.png#*picture1*hint*The hunter's stars#"
                "*picture1*topinpixels*450#*picture1visible*no# \r\n"
                "*picture2*name*a.png#*picture2*topinpixels*800#\r\n"
                "*shape1*form*circle#*shape1*topinpixels*850#\r\n");
    g.dir.write("data_game/allbacktexts.txt",
                "*text1*string1*Riddles#*text1*topinpixels*10#*text1*leftinpixels*10#\r\n"
                "*text2*string1*Who hunts?#*text2*topinpixels*100#*text2*leftinpixels*10#\r\n"
                "*text3*string1*Moon?#*text3*topinpixels*300#*text3*leftinpixels*10#\r\n"
                "*text4*string1*Right!#*text4*topinpixels*500#*text4*leftinpixels*10#"
                "*text4visible*no# \r\n"
                "*list1*string1*One#*list1*string2*Two#*list1*string3*Three#*list1*string4*Four#"
                "*list1*topinpixels*900#*list1*heightinpixels*30#\r\n");
    g.dir.write("data_game/alltextwindows.txt",
                "*textwindow1*topinpixels*120#*textwindow1*leftinpixels*10#"
                "*textwindow1*rightanswer*Orion#\r\n"
                "*textwindow2*topinpixels*300#*textwindow2*leftinpixels*200#"
                "*textwindow2*rightanswer*Luna#\r\n");
    g.dir.write(
        "data_game/allbuttons.txt",
        "*button1*name*a.png#*button1*hint*Check the moon#*button1*topinpixels*600#\r\n"
        "*button1*click*textwindow2#checktext^&+textwindow2=textcolor clRed~\r\n"
        "*button2*name*a.png#*button2*hint*Check the hunter#*button2*topinpixels*650#\r\n"
        "*button2*click*textwindow1#checktext^picture1&visible+textwindow1=textcolor clRed~\r\n"
        "*button2*clickALLGOOD*text4#visible^\r\n"
        "*button2*clickALLGOOD*textwindow1#backcolor clLime^\r\n"
        "*button3*name*a.png#*button3*hint*Go#*button3*topinpixels*700#\r\n"
        "*button3*clickALLGOOD*button3#invisible^\r\n");
    TForm1& form = g.start();
    QApplication::setActiveWindow(&form);
    platform::processEvents();
    return form;
}

// The latest announcement, as a screen reader finds it: the window's
// notification.
QString lastAnnouncement(TForm1& form) {
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&form);
    QAccessibleInterface* last = window->child(window->childCount() - 1);
    return last && last->role() == QAccessible::Notification ? last->text(QAccessible::Name)
                                                             : QString();
}

void typeInto(TForm1& form, const std::string& box, const std::string& text) {
    static_cast<EditControl&>(named(form, box)).setText(text);
}

void click(TForm1& form, const std::string& button) {
    static_cast<ImageControl&>(named(form, button)).click();
    platform::processEvents();
}

} // namespace

TEST(KeyboardPlay, AHiddenControlKeepsNoFocusAndTakesNoKey) {
    TestGame g;
    TForm1& form = startRiddles(g);
    auto& go = static_cast<ImageControl&>(named(form, "Nazhimalka3"));
    go.setFocus();
    key(form, Qt::Key_Space);
    EXPECT_TRUE(go.isHidden());
    EXPECT_NE(QApplication::focusWidget(), &go);
    // The next of the ring after it, round the end: the log, which scrolls.
    EXPECT_EQ(focusedName(), "LIST0");
    // A key sent to it all the same clicks nothing.
    form.game().state.clickedControl = nullptr;
    QTest::keyClick(&go, Qt::Key_Space);
    QTest::keyClick(&go, Qt::Key_Return);
    platform::processEvents();
    EXPECT_EQ(form.game().state.clickedControl, nullptr);
}

TEST(Announcements, SayWhatCameIntoViewAndWhatChangedColourInReadingOrder) {
    TestGame g;
    TForm1& form = startRiddles(g);
    // The whole screen came into view at the start: questions before their
    // boxes, boxes named by their questions (above it, beside it).
    EXPECT_TRUE(lastAnnouncement(form).startsWith(
        "Riddles. Who hunts? Who hunts?, answer box. Moon? Moon?, answer box. Check the moon, "
        "button. Check the hunter, button. Go, button."))
        << lastAnnouncement(form).toStdString();
    EXPECT_FALSE(lastAnnouncement(form).contains("a.png"));

    struct Row {
        const char* answer;
        const char* button;
        const char* announced; // the same as before: nothing new was said
    };
    for (const Row& r : {Row{"Mars", "Nazhimalka2", "The answer box “Who hunts?” turned red"},
                         Row{"", "Nazhimalka1", "The answer box “Who hunts?” turned red"},
                         Row{"Orion", "Nazhimalka2",
                             "The hunter's stars. Right! The answer box “Who hunts?” turned "
                             "green"}}) {
        typeInto(form, "TW0", r.answer);
        click(form, r.button);
        EXPECT_EQ(lastAnnouncement(form).toStdString(), r.announced) << r.answer << " " << r.button;
    }
}

TEST(Announcements, ColourWords) {
    struct Row {
        Colour colour;
        const char* word;
    };
    for (const Row& r :
         {Row{0x0000FF, "red"}, Row{0x00FF00, "green"}, Row{0x1E6B1E, "green"},
          Row{0xD8F5D8, "green"}, Row{0xFFFAF0, "white"}, Row{0xE0D8FF, "pink"},
          Row{0xFF0000, "blue"}, Row{0x00FFFF, "yellow"}, Row{0x0080FF, "orange"},
          Row{0x2A4A8A, "brown"}, Row{0x800080, "purple"}, Row{0xFFFF00, "light blue"},
          Row{0x808080, "grey"}, Row{0x000000, "black"}, Row{0xFFFFFF, "white"}})
        EXPECT_EQ(colourWord(r.colour), r.word) << std::hex << r.colour;
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

// What a screen reader finds on the demo's play screen, walking the tree
// from the window down: the window's children are its content in reading
// order, each with a role and a name (the buttons, answer boxes and the log
// by the demo's hints); the decoration is not there and says nothing.
TEST(AccessibleNames, TheDemosPlayScreenPresentsItsContentInReadingOrder) {
    TestGame g;
    std::filesystem::create_directory_symlink(TALEPLAY_DEMO_FOLDER, g.dir.path() / "data_demo");
    TForm1& form = g.start("demo");
    platform::processEvents();
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&form);
    ASSERT_EQ(window->role(), QAccessible::Window);
    std::vector<std::string> children;
    for (int i = 0; i < window->childCount(); ++i) {
        QAccessibleInterface* child = window->child(i);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->parent()->object(), &form) << "the screen, not the layer painted on";
        EXPECT_EQ(window->indexOfChild(child), i);
        EXPECT_NE(child->role(), QAccessible::NoRole);
        EXPECT_FALSE(child->text(QAccessible::Name).trimmed().isEmpty());
        if (Control* c = controlOf(qobject_cast<QWidget*>(child->object())))
            children.push_back(c->name());
    }
    // Every control is either content, which is a child, or decoration,
    // which has no role and no name.
    int decoration = 0;
    for (Control* c : form.game().host().controls()) {
        const bool child = std::find(children.begin(), children.end(), c->name()) != children.end();
        const AccessibleFacts facts = accessibleFactsOf(c->widget());
        EXPECT_EQ(child, facts.role != QAccessible::NoRole) << c->name();
        if (!child) {
            EXPECT_TRUE(facts.name.isEmpty()) << c->name();
            EXPECT_TRUE(isDecoration(form.game(), *c)) << c->name();
            ++decoration;
        }
    }
    EXPECT_GT(decoration, 200) << "tiles, frames, corners, the sky, panels, shapes";
    for (const char* d : {"FON", "BP0", "RH0", "RV20", "UGOL0", "RIS0", "SHAP0", "ImageServant"})
        EXPECT_EQ(std::find(children.begin(), children.end(), d), children.end()) << d;

    // Top to bottom, left to right on a line: the title, the introduction,
    // the three headings on one line, the riddle and its answer box, the
    // button that checks it, the dome's button at the bottom.
    const auto at = [&](const char* name) {
        return std::find(children.begin(), children.end(), name) - children.begin();
    };
    for (const auto& [before, after] :
         std::vector<std::pair<const char*, const char*>>{{"TLine0", "TLine1"},
                                                          {"TLine1", "TLine3"},
                                                          {"TLine3", "TLine4"},
                                                          {"TLine4", "TLine5"},
                                                          {"TLine7", "TW0"},
                                                          {"TW0", "TW1"},
                                                          {"TW1", "Nazhimalka1"},
                                                          {"Nazhimalka1", "Nazhimalka7"}})
        EXPECT_LT(at(before), at(after)) << before << " before " << after;
    EXPECT_EQ(children.front(), "TLine0");

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
        const AccessibleFacts facts = accessibleFactsOf(widgetOf(form, n.control));
        EXPECT_EQ(facts.role, n.role) << n.control;
        EXPECT_EQ(facts.name, QString::fromUtf8(n.name)) << n.control;
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
