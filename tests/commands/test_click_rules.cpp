#include "app/game_fixture.h"

#include <QImage>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

// Pictures 1 to 3 and text window 1, all visible, and button 2.
struct Clicks : TestGame {
    TForm1* form = nullptr;
    std::vector<ImageControl*> pics;
    EditControl* edit = nullptr;
    ImageControl* button = nullptr;

    explicit Clicks(const std::string& rules) {
        dir.write("data_game/allbuttons.txt", rules);
        dir.write("data_game/alltextwindows.txt", "*textwindow1*rightanswer*Paris#\r\n");
        form = &start();
        for (int i = 0; i < 3; ++i) {
            pics.push_back(&form->game().host().createImage("RIS" + std::to_string(i)));
            form->game().tables.pictures.emplace_back(pics.back());
        }
        // The text-window builder may have made it from the answers file.
        edit = dynamic_cast<EditControl*>(form->game().host().find("TW0"));
        if (!edit)
            edit = &form->game().host().createEdit("TW0");
        form->game().tables.textWindows = {edit};
        button = &form->game().host().createImage("Nazhimalka2");
        form->game().tables.buttons = {nullptr, button};
    }
    std::string visible() const {
        std::string v;
        for (auto* p : pics)
            v += p->isHidden() ? '-' : '+';
        return v;
    }
    void click() {
        form->runEvent([&] { form->RunClickRules(*button); });
    }
};

} // namespace

TEST(ClickRules, ASecondRuleFailingRunsAllActionsThenTheBadGroup) {
    Clicks c("*button2*click*textwindow1#checktext^picture1&invisible+picture2=invisible~\r\n"
             "*button2*click*picture9#checktext^picture1&visible+picture2=invisible~\r\n"
             "*button2*click*textwindow1#checktext^picture3&invisible+picture1=invisible~\r\n"
             "*button2*clickALLGOOD*picture1#visible^\r\n"
             "*button2*clickALLBAD*picture2#visible^\r\n");
    c.edit->setText("Paris");
    c.click();
    // Rule 1 hides 1, rule 2 (no such picture: yes) shows 1 again, rule 3
    // hides 3; all held, so the good group shows picture 1.
    EXPECT_EQ(c.visible(), "++-");

    c.pics[2]->show();
    c.edit->setText("Lyon");
    c.click();
    // Failures: rule 1 hides 2, rule 2 shows 1, rule 3 hides 1; then the bad group shows 2.
    EXPECT_EQ(c.visible(), "-++");
    EXPECT_EQ(c.form->game().state.clickedControl, c.button);
}

TEST(ClickRules, RuleLinesWithoutSeparatorsOrInOtherCase) {
    // No "^": no condition command, so the success command runs, without a
    // component since the success target also starts after "^".
    Clicks c("*button2*click*picture1#checktext&invisible+picture2=invisible~\r\n"
             "*BUTTON2*CLICK*picture3#invisible^picture3&invisible+x=y~\r\n");
    c.click();
    // The capitalised line is counted and its commands run; its condition
    // target is cut with the exact key and comes out empty, but the success
    // target is cut at "^" and "&" and names picture 3.
    EXPECT_EQ(c.visible(), "++-");
}

TEST(ClickRules, NoRulesCountAsSuccessAndErrorsStopTheClick) {
    Clicks c("*button2*clickALLGOOD*picture1#invisible^\r\n"
             "*button1*clickALLGOOD*picture2#invisible^\r\n");
    c.click();
    EXPECT_EQ(c.visible(), "-++");

    Clicks bad(
        "*button2*click*textwindow1#backcolor clBogus^picture1&invisible+picture1=invisible~\r\n"
        "*button2*click*x#y^picture2&invisible+picture2=invisible~\r\n"
        "*button2*clickALLGOOD*picture3#invisible^\r\n");
    bad.click();
    EXPECT_EQ(bad.visible(), "+++");
    ASSERT_EQ(bad.form->game().messages().size(), 1u);
    EXPECT_EQ(bad.form->game().messages()[0], "'clbogus' is not a valid integer value");
}

TEST(ClickRules, TheRuleFileFollowsTheButtonsName) {
    Clicks c("");
    auto& end = c.form->game().host().createImage("URANazhimalka3");
    EXPECT_EQ(TForm1::buttonNumberOf(end), "3");
    EXPECT_EQ(TForm1::buttonNumberOf(*c.button), "2");
    const std::string data = c.dir.str() + "/data_game/";
    EXPECT_EQ(c.form->ruleFileOf(*c.button), data + "allbuttons.txt");
    EXPECT_EQ(c.form->ruleFileOf(end), data + "lostpictures.txt");
    c.form->game().state.victory = true;
    EXPECT_EQ(c.form->ruleFileOf(end), data + "victorypictures.txt");
}

namespace {

// Two buttons built by the game itself, so their handlers are bound.
struct NestedGame : TestGame {
    TForm1* form = nullptr;
    explicit NestedGame(const std::string& rules) {
        picture("b.png", 10, 10, Qt::gray);
        dir.write("data_game/allbuttons.txt", "*button1*name*b.png#\r\n*button2*name*b.png#\r\n"
                                              "*button2*leftinpixels*50#\r\n" +
                                                  rules);
        form = &start();
    }
    ImageControl* button(int n) {
        return dynamic_cast<ImageControl*>(
            form->game().host().find("Nazhimalka" + std::to_string(n)));
    }
};

void clickLater(ImageControl* b) {
    QPointer<ImageControl> guard(b);
    QTimer::singleShot(0, [guard] {
        if (guard)
            QTest::mouseClick(guard.data(), Qt::LeftButton, {}, QPoint(2, 2));
    });
}

} // namespace

TEST(ClickRules, AClickQueuedDuringAPauseRunsInsideIt) {
    // Button 1 pauses; a click on button 1 itself waits in the queue and runs
    // inside the pause, to its end, before the outer click goes on.
    NestedGame g("*button1*click*#^&pause 1+=~\r\n*button1*clickALLGOOD*#playsound none.wav^\r\n");
    ImageControl* b1 = g.button(1);
    ASSERT_NE(b1, nullptr);
    int clicks = 0;
    clickLater(b1);
    b1->onClick = [&, inner = b1->onClick](ImageControl& b) {
        ++clicks;
        inner(b);
    };
    QTest::mouseClick(b1, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(g.form->game().messages().empty());
}

TEST(ClickRules, AnEndScreenStartedByANestedClickSparesTheOuterButtonUntilItReturns) {
    // Button 1 pauses; during the pause button 2 loses the game, which takes
    // every play-screen control away, button 1 too, while its click runs.
    NestedGame g("*button1*click*#^&pause 1+=~\r\n*button1*clickALLGOOD*#bringtofront^\r\n"
                 "*button2*click*#^&lost+=~\r\n");
    QPointer<ImageControl> b1 = g.button(1);
    ImageControl* b2 = g.button(2);
    ASSERT_TRUE(b1 && b2);
    clickLater(b2);
    QTest::mouseClick(b1.data(), Qt::LeftButton, {}, QPoint(2, 2));
    // Off the window at once, and still alive until the outer click returned.
    EXPECT_EQ(g.form->game().host().find("Nazhimalka1"), nullptr);
    EXPECT_TRUE(b2->isHidden());
    EXPECT_FALSE(g.form->game().state.victory);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(b1.isNull());
    EXPECT_TRUE(g.form->game().messages().empty());
}
