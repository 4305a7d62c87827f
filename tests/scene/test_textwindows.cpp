// Text windows: existence, defaults, height from the font, initial text,
// centring and look.
#include "app/game_fixture.h"
#include "platform/host.h"

#include <QFontMetrics>
#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

TForm1& startWithWindows(TestGame& g, const std::string& windows) {
    g.dir.write("data_game/alltextwindows.txt", windows);
    return g.start();
}

EditControl* window(TForm1& form, std::size_t index) {
    if (index >= form.game().tables.textWindows.size())
        return nullptr;
    return dynamic_cast<EditControl*>(form.game().tables.textWindows[index].data());
}

int lineHeight(const std::string& name, int points, bool bold = false) {
    FontSpec f;
    f.name = name;
    f.setSize(points);
    f.bold = bold;
    return QFontMetrics(toQFont(f)).height();
}

} // namespace

TEST(TextWindows, AnyLineNamingAWindowMakesItWithEveryDefault) {
    TestGame g;
    TForm1& form = startWithWindows(g, "*textwindow4*rightanswer*Paris#\n"
                                       "*textwindow10*text*ten#\n"
                                       "*TextWindow7*whatever#\n"
                                       "*textwindow2font*Courier New#\n"
                                       "*textwindow101*text*too far#\n");
    ASSERT_TRUE(form.game().messages().empty());
    ASSERT_EQ(form.game().tables.textWindows.size(), 10u);
    for (std::size_t i = 0; i < 10; ++i) {
        const bool built = i == 3 || i == 6 || i == 9;
        EXPECT_EQ(window(form, i) != nullptr, built) << "entry " << i;
    }
    EditControl& w = *window(form, 3);
    EXPECT_EQ(w.name(), "TW3");
    EXPECT_EQ(w.geometry(), QRect(0, 0, 1152, lineHeight("Arial", 26)));
    EXPECT_EQ(w.font().name, "Arial");
    EXPECT_EQ(w.font().size(), 26);
    EXPECT_EQ(w.text(), "");
    EXPECT_TRUE(w.border());
    EXPECT_EQ(w.color(), clWindow);
    EXPECT_FALSE(w.isHidden());
    EXPECT_EQ(window(form, 9)->name(), "TW9");
    EXPECT_EQ(window(form, 9)->text(), "ten");
}

TEST(TextWindows, HeightIsOneLineOfTheFontWithOrWithoutBorder) {
    TestGame g;
    TForm1& form = startWithWindows(g, "*textwindow1*fontsize*20#1#\n"
                                       "*textwindow2*fontsize*10#1#\n"
                                       "*textwindow2noborder*yes# \n"
                                       "*textwindow2bold*yes# \n"
                                       "*textwindow2font*Times New Roman#\n");
    EditControl& big = *window(form, 0);
    EditControl& bigger = *window(form, 1);
    EXPECT_EQ(big.height(), lineHeight("Arial", 51));
    EXPECT_EQ(bigger.height(), lineHeight("Times New Roman", 102, true));
    EXPECT_GT(bigger.height(), big.height());
    EXPECT_TRUE(big.border());
    EXPECT_FALSE(bigger.border());
    EXPECT_TRUE(bigger.font().bold);
    // The measure never shows in a window.
    EXPECT_EQ(bigger.text(), "");
}

TEST(TextWindows, InitialTextKeepsItsBlanksAndCentringUsesTheFinalSize) {
    TestGame g;
    TForm1& form = startWithWindows(g, "*textwindow1*text*  spaced  #\n"
                                       "*textwindow1*widthinpixels*400#\n"
                                       "*textwindow1*leftindivision*#center#\n"
                                       "*textwindow1*topindivision*#center#\n"
                                       "*textwindow1*leftinpixels*9#\n"
                                       "*textwindow2*text*x#\n"
                                       "*textwindow2*widthindivision*4#1#\n"
                                       "*textwindow2*leftindivision*8#3#\n"
                                       "*textwindow2*topinpixels*77#\n");
    EditControl& centred = *window(form, 0);
    EXPECT_EQ(centred.text(), "  spaced  ");
    EXPECT_EQ(centred.geometry(), QRect(440, (1024 - centred.height()) / 2, 400, centred.height()));
    EXPECT_EQ(window(form, 1)->geometry().topLeft(), QPoint(480, 77));
    EXPECT_EQ(window(form, 1)->width(), 320);
}

TEST(TextWindows, LookComesFromTheKeys) {
    TestGame g;
    TForm1& form = startWithWindows(g, "*textwindow1*text*x#\n"
                                       "*textwindow1color*clYellow#\n"
                                       "*textwindow1fontcolor*255#\n"
                                       "*textwindow1visible*no# \n"
                                       "*textwindow2*text*y#\n"
                                       "*textwindow2visible*no#\n");
    EditControl& w = *window(form, 0);
    EXPECT_EQ(w.color(), 0x00FFFF);
    EXPECT_EQ(w.font().color, 0x0000FF);
    EXPECT_TRUE(w.isHidden());
    EditControl& plain = *window(form, 1);
    EXPECT_FALSE(plain.isHidden()); // a flag needs its blank
    EXPECT_EQ(plain.font().color, form.game().host().windowFont().color);
}

TEST(TextWindows, ABadColourStopsAtThatWindow) {
    TestGame g;
    TForm1& form = startWithWindows(g, "*textwindow1*text*kept#\n"
                                       "*textwindow2*text*typed#\n"
                                       "*textwindow2fontcolor*blue#\n"
                                       "*textwindow3*text*never#\n");
    EXPECT_EQ(form.game().messages(),
              std::vector<std::string>{"'blue' is not a valid integer value"});
    ASSERT_NE(window(form, 1), nullptr);
    EXPECT_EQ(window(form, 1)->text(), ""); // stopped before its text
    EXPECT_EQ(form.game().tables.textWindows.size(), 2u);
}
