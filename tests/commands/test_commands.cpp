#include "app/game_fixture.h"
#include "commands/taleforge_serv_serv.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

// A play screen put together by hand: pictures 1 and 3 (2 missing), text 1
// of two lines and text 3 of one (text 2 absent), list 1, text window 1.
struct Screen : TestGame {
    TForm1* form = nullptr;
    ImageControl *ris0 = nullptr, *ris2 = nullptr;
    LabelControl *line0 = nullptr, *line1 = nullptr, *line2 = nullptr;
    ListControl* list = nullptr;
    EditControl* edit = nullptr;

    Screen() {
        std::filesystem::create_directories(dir.path() / "data_game");
        form = &start();
        ControlHost& h = form->game().host();
        ris0 = &h.createImage("RIS0");
        ris2 = &h.createImage("RIS2");
        form->game().tables.pictures = {ris0, nullptr, ris2};
        line0 = &h.createLabel("TLine0");
        line1 = &h.createLabel("TLine1");
        line2 = &h.createLabel("TLine2");
        form->game().tables.labels = {line0, line1, line2};
        form->game().tables.texts = {{0, 2}, {0, 0}, {2, 1}};
        list = &h.createList("LIST0");
        form->game().tables.lists = {list};
        edit = &h.createEdit("TW0");
        form->game().tables.textWindows = {edit};
    }
    LookupResult find(const std::string& target) {
        return ComponentLookup(form->game(), "*button1*click*" + target + "#x^", "*button1*click*",
                               "#");
    }
    bool run(const std::string& target, const std::string& command) {
        return RunCommand(form->game(), find(target), command);
    }
};

} // namespace

TEST(ComponentLookup, TargetsNameTheirComponents) {
    Screen s;
    struct Expect {
        std::string target;
        Control* component;
        int textIndex;
    };
    const std::vector<Expect> rows = {
        {"picture3", s.ris2, 2},
        {"  picture3  ", s.ris2, 2}, // trimmed
        {"picture1", s.ris0, 0},
        {"picture2", nullptr, 1}, // an empty entry
        {"picture0", nullptr, -1},
        {"picture", nullptr, -1},
        {"pictureX", nullptr, -1},
        {"picture99", nullptr, 98},
        {"Picture3", nullptr, 0}, // kind words are case-sensitive
        {"text1", s.line0, 0},
        {"text3", s.line2, 2},
        {"text2", nullptr, 1}, // no such text
        {"text4", nullptr, 3},
        {"textwindow1", s.edit, 0}, // not text 1
        {"list1", s.list, 0},
        {"video", s.form->game().VideoWindow1, 0},
        {"VIDEO", s.form->game().VideoWindow1, 0},
        {"video2", s.form->game().VideoWindow1, 0},
        {"button1", nullptr, 0},
    };
    for (const auto& r : rows) {
        LookupResult found = s.find(r.target);
        EXPECT_EQ(found.component, r.component) << r.target;
        if (r.component && r.component != s.form->game().VideoWindow1) {
            EXPECT_EQ(found.textIndex, r.textIndex) << r.target;
        }
    }
    // No delimiter, no key: no target at all.
    EXPECT_EQ(
        ComponentLookup(s.form->game(), "*button1*click*picture3", "*button1*click*", "#").target,
        "");
    EXPECT_EQ(ComponentLookup(s.form->game(), "picture3#", "*button1*click*", "#").target, "");
}

TEST(ComponentLookup, TheSmallestNumbersNameNothingAndNeverOverflow) {
    // The text index is the number less one in 32 bits, wrapping as the
    // original's arithmetic does; no number below 1 names anything, and no
    // command on such a target does anything (checked for overflow by the
    // sanitizer build).
    Screen s;
    for (const char* target :
         {"text-2147483648", "text$80000000", "textwindow-2147483648", "picture-2147483648",
          "list-2147483648", "button-2147483648", "shape-2147483648", "text2147483647",
          "picture2147483647", "text-1"}) {
        const LookupResult found = s.find(target);
        EXPECT_EQ(found.component, nullptr) << target;
        for (const char* command :
             {"visible", "invisible", "textcolor clRed", "backcolor clRed", "bringtofront"})
            EXPECT_TRUE(s.run(target, command)) << target << " " << command;
    }
    EXPECT_EQ(s.find("text-2147483648").textIndex, 2147483647);
    EXPECT_EQ(s.find("text2147483647").textIndex, 2147483646);
    EXPECT_FALSE(s.line0->isHidden());
}

TEST(RunCommand, ShowHideAndFrontActOnEveryLineOfAText) {
    Screen s;
    EXPECT_TRUE(s.run("text1", "invisible"));
    EXPECT_TRUE(s.line0->isHidden());
    EXPECT_TRUE(s.line1->isHidden());
    EXPECT_FALSE(s.line2->isHidden());
    for (const char* word : {"Visible", "VISIBLE", "visible"}) {
        s.line0->hide();
        s.run("text1", word);
        EXPECT_FALSE(s.line0->isHidden()) << word;
    }
    s.run("picture1", "invisible");
    s.run("picture1", "visible now"); // not equal: nothing
    EXPECT_TRUE(s.ris0->isHidden());

    s.run("text1", "bringtofront");
    EXPECT_GT(s.form->game().host().zOrder(*s.line1), s.form->game().host().zOrder(*s.ris2));
    EXPECT_GT(s.form->game().host().zOrder(*s.line1), s.form->game().host().zOrder(*s.line0));
}

TEST(RunCommand, ColoursAreCutFromTheCommandText) {
    Screen s;
    s.run("text1", "backcolor clYellow");
    EXPECT_EQ(s.line0->color(), 0x00FFFF);
    EXPECT_EQ(s.line1->color(), 0x00FFFF);
    s.run("list1", "textcolor $0000FF");
    EXPECT_EQ(s.list->font().color, 0x0000FF);
    s.run("list1", "backcolor clred");
    EXPECT_EQ(s.list->color(), 0x0000FF);

    // A text window takes a text colour only once something is typed.
    s.run("textwindow1", "textcolor clRed");
    EXPECT_NE(s.edit->font().color, 0x0000FF);
    s.edit->setText("   ");
    s.run("textwindow1", "textcolor clRed");
    EXPECT_NE(s.edit->font().color, 0x0000FF);
    s.edit->setText("Paris");
    s.run("textwindow1", "textcolor clRed");
    EXPECT_EQ(s.edit->font().color, 0x0000FF);

    // "textcolor 255" has no colour text: an error on a list, nothing on a picture.
    EXPECT_TRUE(s.run("picture1", "textcolor 255"));
    try {
        s.run("list1", "textcolor 255");
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'' is not a valid integer value");
    }
}

TEST(RunCommand, PauseProcessesEventsAndWaitsTenthsOfASecond) {
    Screen s;
    struct Row {
        const char* command;
        int counter;
        int minMs;
    } rows[] = {{"pause 3", 3, 300},
                {"pause", 0, 0},
                {"pause 1.5", 0, 0},
                {"pause -5", -5, 0},
                {"playsound pause.wav", 0, 0}};
    for (const auto& r : rows) {
        bool ran = false;
        QTimer::singleShot(0, [&] { ran = true; });
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(s.run("", r.command));
        EXPECT_GE(clock.elapsed(), r.minMs) << r.command;
        EXPECT_LT(clock.elapsed(), r.minMs + 2000) << r.command;
        EXPECT_EQ(s.form->game().state.pauseCounter, r.counter) << r.command;
        EXPECT_TRUE(ran) << r.command; // pending events were handled
    }
}

// A pause of weeks (a typo for a tenth of a second) must not freeze the
// window: it is painted while it waits, and closing it ends the program
// there instead of after the pause.
TEST(RunCommand, ALongPauseKeepsTheWindowPaintedAndClosable) {
    struct Painted : QWidget {
        using QWidget::QWidget;
        int paints = 0;
        void paintEvent(QPaintEvent*) override { ++paints; }
    };
    Screen s;
    auto* canvas = new Painted(s.form);
    canvas->setGeometry(0, 0, 50, 50);
    canvas->show();
    platform::processEvents();
    const int before = canvas->paints;
    int paintsBeforeClose = 0;
    QTimer::singleShot(100, [&] { canvas->update(); });
    QTimer::singleShot(400, [&] {
        paintsBeforeClose = canvas->paints;
        s.form->close();
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(s.run("", "pause 2147483647"), ProgramHalted);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_GT(paintsBeforeClose, before); // painted while it waited
    EXPECT_EQ(s.form->game().state.pauseCounter, 2147483647);
}

TEST(RunCommand, PlayvideoNeedsItsBlankAndReportsMissingFiles) {
    Screen s;
    s.run("", "playvideo");
    s.run("", "playvideointro.avi");
    EXPECT_EQ(s.form->game().state.videoFile, "");
    EXPECT_TRUE(s.form->game().messages().empty());
    s.run("", "playvideo intro.avi");
    EXPECT_EQ(s.form->game().state.videoFile, s.dir.str() + "/data_game/intro.avi");
    ASSERT_EQ(s.form->game().messages().size(), 1u);
    EXPECT_EQ(s.form->game().messages()[0],
              "Can't find file  " + s.dir.str() + "/data_game/intro.avi");
}

TEST(RunCommand, StartprogramRecordsTheRequestAndClosesTheWindow) {
    Screen s;
    s.dir.write("setup.sh", "#!/bin/sh\n");
    s.run("", "startprogram");
    EXPECT_FALSE(s.form->game().state.start.requested);
    s.run("", "startprogram ..\\missing.exe");
    ASSERT_EQ(s.form->game().messages().size(), 1u);
    EXPECT_EQ(s.form->game().messages()[0], "Can't find file  " + s.dir.str() + "/missing.exe");
    EXPECT_FALSE(s.form->game().state.start.requested);
    EXPECT_TRUE(s.form->isVisible());

    s.form->game().state.start = {};
    // Not executable, so the close hands it to the desktop, which has nothing
    // to open it with here; the request is what matters.
    s.run("", "startprogram ../setup.sh");
    EXPECT_TRUE(s.form->game().state.start.requested);
    EXPECT_EQ(s.form->game().state.start.file, "setup.sh");
    EXPECT_EQ(s.form->game().state.start.folder, s.dir.str() + "/");
    EXPECT_FALSE(s.form->isVisible());
}

TEST(RunCommand, StartprogramStartsExactlyTheFileItCheckedInThatFilesFolder) {
    for (const char* written : {"..\\tool\\run.sh", "../tool/run.sh", "../TOOL/Run.sh"}) {
        Screen s;
        // The program writes where it runs; a decoy of the same name stands
        // in the current folder, where the name alone would be found.
        for (const char* file : {"tool/run.sh", "run.sh"}) {
            const std::string mark = std::string(file) == "run.sh" ? "decoy-ran" : "tool-ran";
            s.dir.write(file, "#!/bin/sh\ntouch " + mark + "\n");
            std::filesystem::permissions(s.dir.path() / file, std::filesystem::perms::owner_all);
        }
        s.run("", std::string("startprogram ") + written);
        EXPECT_TRUE(s.form->game().state.start.requested) << written;
        EXPECT_FALSE(s.form->isVisible()) << written; // closed: the program is started
        QElapsedTimer clock;
        clock.start();
        while (!std::filesystem::exists(s.dir.path() / "tool/tool-ran") && clock.elapsed() < 10000)
            platform::sleepMs(20);
        EXPECT_TRUE(std::filesystem::exists(s.dir.path() / "tool/tool-ran")) << written;
        EXPECT_FALSE(std::filesystem::exists(s.dir.path() / "tool/decoy-ran")) << written;
        EXPECT_FALSE(std::filesystem::exists(s.dir.path() / "decoy-ran")) << written;
    }
}

TEST(RunCommand, ChecktextVictoryAndLostAnswerNo) {
    Screen s;
    s.dir.write("data_game/alltextwindows.txt", "*textwindow1*rightanswer*Paris#\r\n");
    s.edit->setText("paris!");
    EXPECT_TRUE(s.run("textwindow1", "checktext"));
    s.edit->setText("Lyon");
    EXPECT_FALSE(s.run("textwindow1", "checktext"));
    EXPECT_FALSE(s.run("", "checktext")); // nothing to check is never right
    EXPECT_THROW(s.run("picture1", "checktext"), InvalidCast);

    EXPECT_FALSE(s.run("", "victory"));
    EXPECT_TRUE(s.form->game().state.victory);
    EXPECT_FALSE(s.run("", "lost"));
    EXPECT_FALSE(s.form->game().state.victory);
}

TEST(RunCommand, DestroyedComponentsDoNothingAndAnswerYes) {
    Screen s;
    s.form->game().host().destroy(*s.edit);
    s.form->game().host().destroy(*s.line0);
    EXPECT_TRUE(s.run("textwindow1", "checktext"));
    EXPECT_TRUE(s.run("text1", "textcolor 255")); // the gate comes before the colour
    EXPECT_TRUE(s.run("picture1", "nonsense"));
}
