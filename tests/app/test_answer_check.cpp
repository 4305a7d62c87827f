// The answer check: what a typed answer must look like to be right.
#include "game_fixture.h"
#include "platform/host.h"
#include "platform/qtext.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

// Windows-1251 bytes.
const std::string kMoscow = "\xCC\xEE\xF1\xEA\xE2\xE0";      // Москва
const std::string kMoscowUpper = "\xCC\xCE\xD1\xCA\xC2\xC0"; // МОСКВА
const std::string kHedgehog = "\xB8\xE6\xE8\xEA";            // ёжик

// Types `text` into `edit` key by key, as a person does. QTest::keyClicks
// knows Latin-1 letters only; other characters go as the key of their
// capital with the character as the event's text, as a keyboard layout
// delivers them.
void type(QWidget* edit, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(edit, c.toLatin1());
        } else {
            const auto key = static_cast<Qt::Key>(c.toUpper().unicode());
            QTest::sendKeyEvent(QTest::Click, edit, key, QString(c), Qt::NoModifier);
        }
    }
}

EditControl& textWindow(TForm1& form, std::size_t index) {
    auto* edit = dynamic_cast<EditControl*>(form.game().tables.textWindows.at(index).data());
    EXPECT_NE(edit, nullptr);
    return *edit;
}

} // namespace

TEST(AnswerCheck, ForgivesCaseBlanksAndPunctuationButNotOtherWords) {
    TestGame g;
    g.dir.write("data_game/alltextwindows.txt",
                "*textwindow1*rightanswer*Paris#\n"
                "*textwindow1*rightanswer*Lutetia#\n"
                "some text *textwindow1*rightanswer*Rio de Janeiro#\n"
                "*textwindow1*rightanswer*" +
                    kMoscow +
                    "#\n"
                    "*textwindow1*rightanswer*\xA8\xC6\xC8\xCA#\n" // ЁЖИК
                    "*textwindow1*rightanswer*well-known#\n"
                    "*textwindow2*text*#\n");
    TForm1& form = g.start();
    ASSERT_TRUE(form.game().messages().empty());
    EditControl& first = textWindow(form, 0);
    EditControl& second = textWindow(form, 1);
    struct Row {
        std::string typed;
        bool right;
    } rows[] = {
        {"Paris", true},
        {"paris", true},
        {"PARIS", true},
        {"  Paris   ", true},
        {"Paris.", true},
        {"Paris!", true},
        {"\"Paris\"", true},
        {"Paris - ", true},
        {"Lutetia", true},
        {"Pari", false},
        {"Paris France", false},
        {"France Paris", false},
        {"", false},
        {"   ", false},
        {"rio  de   janeiro", true},
        {"Rio - de - Janeiro", true},
        {"Rio-de-Janeiro", false},
        {kMoscowUpper, true},
        {kMoscow + "!", true},
        {kHedgehog, true}, // Ё folds to ё
        {"WELL-KNOWN", true},
        {"well known", false},
    };
    for (const Row& r : rows) {
        first.setText(r.typed);
        EXPECT_EQ(form.game().EditCheck(&first, "textwindow1"), r.right) << "'" << r.typed << "'";
        // Text window 2 lists no answers: nothing is right there.
        second.setText(r.typed);
        EXPECT_FALSE(form.game().EditCheck(&second, "textwindow2")) << "'" << r.typed << "'";
    }
}

TEST(AnswerCheck, AnAnswerListedWithPunctuationNeverMatches) {
    TestGame g;
    g.dir.write("data_game/alltextwindows.txt", "*textwindow1*rightanswer*Paris!#\n"
                                                "*textwindow1*rightanswer*Rome #\n");
    TForm1& form = g.start();
    EditControl& w = textWindow(form, 0);
    for (const char* typed : {"Paris", "Paris!", "Paris !", "Rome", "Rome "}) {
        w.setText(typed);
        EXPECT_FALSE(form.game().EditCheck(&w, "textwindow1")) << typed;
    }
}

TEST(AnswerCheck, NeedsATextWindowAndItsFile) {
    TestGame g;
    g.dir.write("data_game/allbacktexts.txt", "*text1*string1*Paris#\n");
    g.dir.write("data_game/alltextwindows.txt", "*textwindow1*rightanswer*Paris#\n");
    TForm1& form = g.start();
    Control* label = controlOf(form.game().tables.labels.at(0).data());
    EXPECT_THROW(form.game().EditCheck(label, "text1"), InvalidCast);
    EXPECT_THROW(form.game().EditCheck(nullptr, "textwindow1"), InvalidCast);

    EditControl& w = textWindow(form, 0);
    w.setText("Paris");
    EXPECT_TRUE(form.game().EditCheck(&w, "textwindow1"));
    // The file is read afresh at every check.
    std::filesystem::remove(g.dir.path() / "data_game" / "alltextwindows.txt");
    EXPECT_FALSE(form.game().EditCheck(&w, "textwindow1"));
}

TEST(AnswerCheck, WhatThePlayerTypesIsCheckedInLatinAndCyrillic) {
    TestGame g;
    g.dir.write("data_game/alltextwindows.txt", "*textwindow1*widthinpixels*300#\n"
                                                "*textwindow1*rightanswer*Paris#\n"
                                                "*textwindow2*rightanswer*" +
                                                    kMoscow + "#\n");
    TForm1& form = g.start();
    EditControl& latin = textWindow(form, 0);
    EditControl& cyrillic = textWindow(form, 1);
    struct Row {
        EditControl* window;
        const char* target;
        QString typed; // as the player types it
        bool right;
    } rows[] = {
        {&latin, "textwindow1", QStringLiteral(" paris."), true},
        {&latin, "textwindow1", QStringLiteral("Parisx"), false},
        {&cyrillic, "textwindow2", QString::fromUtf8("МОСКВА"), true},
        {&cyrillic, "textwindow2", QString::fromUtf8("москва!"), true},
        {&cyrillic, "textwindow2", QString::fromUtf8("Москва-река"), false},
        {&cyrillic, "textwindow1", QString::fromUtf8("Москва"), false},
    };
    for (const Row& r : rows) {
        r.window->setText("");
        r.window->setFocus();
        type(r.window, r.typed);
        EXPECT_EQ(toQString(r.window->text()), r.typed);
        EXPECT_EQ(form.game().EditCheck(r.window, r.target), r.right) << r.typed.toStdString();
    }
    // A typed character the code page lacks reads back as '?'.
    cyrillic.setText("");
    type(&cyrillic, QString::fromUtf8("Москва✓"));
    EXPECT_EQ(cyrillic.text(), kMoscow + "?");
    EXPECT_TRUE(form.game().EditCheck(&cyrillic, "textwindow2")); // '?' is punctuation
}

TEST(Timer, StaysDisabledAndItsHandlerOnlyCountsThePauseDown) {
    TestGame g;
    std::filesystem::create_directory(g.dir.path() / "data_game");
    TForm1& form = g.start();
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 10);
    form.game().state.pauseCounter = 2;
    for (int expected : {1, 0, 0}) {
        form.Timer1Timer();
        EXPECT_EQ(form.game().state.pauseCounter, expected);
    }
}
