// Lists: names and table, items, size and place, scroll ranges, look, and a
// bad colour stopping the rest of the screen.
#include "app/game_fixture.h"
#include "platform/host.h"

#include <QFontMetrics>
#include <QScrollBar>
#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

TForm1& startWithTexts(TestGame& g, const std::string& texts) {
    g.dir.write("data_game/allbacktexts.txt", texts);
    return g.start();
}

ListControl* list(TForm1& form, std::size_t index) {
    if (index >= form.game().tables.lists.size())
        return nullptr;
    return dynamic_cast<ListControl*>(form.game().tables.lists[index].data());
}

} // namespace

TEST(Lists, NamedByNumberMinusOneWithTheirItemsInOrder) {
    std::string file = "*list1*string1*Apple#\n"
                       "*list1*string2*#\n"
                       "*list1*string3* Cherry #\n"
                       "*list1*string4*\xC2\xE8\xF8\xED\xFF#\n"
                       "*list3*string1*Only#\n"
                       "*list11*string1*too far#\n";
    for (int k = 2; k <= 26; ++k)
        file += "*list3*string" + std::to_string(k) + "*i" + std::to_string(k) + "#\n";
    TestGame g;
    TForm1& form = startWithTexts(g, file);
    ASSERT_TRUE(form.game().messages().empty());
    ASSERT_EQ(form.game().tables.lists.size(), 3u);
    ASSERT_NE(list(form, 0), nullptr);
    EXPECT_EQ(list(form, 1), nullptr);
    ASSERT_NE(list(form, 2), nullptr);
    EXPECT_EQ(list(form, 0)->name(), "LIST0");
    EXPECT_EQ(list(form, 2)->name(), "LIST2");
    EXPECT_EQ(list(form, 0)->items(),
              (std::vector<std::string>{"Apple", " Cherry ", "\xC2\xE8\xF8\xED\xFF"}));
    EXPECT_EQ(list(form, 0)->item(2)->text(), QString::fromUtf8("Вишня"));
    EXPECT_EQ(list(form, 2)->items().size(), 25u);
    EXPECT_EQ(list(form, 2)->items().back(), "i25");
    EXPECT_EQ(list(form, 0)->frameShape(), QFrame::NoFrame);
}

TEST(Lists, SizeAndPlaceComeFromTheKeysOrTheClientWidth) {
    TestGame g;
    TForm1& form = startWithTexts(g, "*list1*string1*a#\n"
                                     "*list2*string1*b#\n"
                                     "*list2*widthindivision*4#1#\n"
                                     "*list2*heightinpixels*100#\n"
                                     "*list2*topinpixels*30#\n"
                                     "*list2*leftindivision*8#1#\n"
                                     "*list3*string1*c#\n"
                                     "*list3*widthinpixels*300#\n"
                                     "*list3*heightindivision*4#1#\n"
                                     "*list3*topindivision*#center#\n"
                                     "*list3*leftindivision*#center#\n"
                                     "*list3*leftinpixels*7#\n");
    // No keys: 9/10 of the client width wide, half the client *width* high.
    EXPECT_EQ(list(form, 0)->geometry(), QRect(0, 0, 1152, 640));
    EXPECT_EQ(list(form, 1)->geometry(), QRect(160, 30, 320, 100));
    // Centring wins over a pixel key.
    EXPECT_EQ(list(form, 2)->geometry(), QRect((1280 - 300) / 2, (1024 - 256) / 2, 300, 256));
}

TEST(Lists, ScrollRangesFollowTheWidestItemInTheListFont) {
    const std::string wide = "A rather long item that needs scrolling sideways";
    TestGame g;
    TForm1& form = startWithTexts(g, "*list1*string1*short#\n"
                                     "*list1*string2*" +
                                         wide +
                                         "#\n"
                                         "*list1*string3*mid sized#\n"
                                         "*list1*widthinpixels*200#\n"
                                         "*list1*heightinpixels*60#\n"
                                         "*list1*fontsize*40#1#\n"
                                         "*list1font*Courier New#\n"
                                         "*list2*string1*tiny#\n"
                                         "*list2*heightinpixels*300#\n");
    platform::processEvents();
    ListControl& l = *list(form, 0);
    const QFontMetrics fm(toQFont(l.font()));
    EXPECT_EQ(l.font().name, "Courier New");
    EXPECT_EQ(l.horizontalExtent(), fm.horizontalAdvance(QString::fromStdString(wide)));
    EXPECT_EQ(l.horizontalScrollBar()->maximum(), l.horizontalExtent() - l.viewport()->width());
    // One font line per item, as a list box spaces them.
    EXPECT_EQ(l.visualItemRect(l.item(1)).top() - l.visualItemRect(l.item(0)).top(), fm.height());
    // The extent, not the items, decides the range.
    l.setHorizontalExtent(0);
    EXPECT_EQ(l.horizontalScrollBar()->maximum(), 0);
    // Three items of one font line each do not fit 60 pixels.
    EXPECT_GT(l.verticalScrollBar()->maximum(), 0);

    ListControl& narrow = *list(form, 1);
    EXPECT_EQ(narrow.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(narrow.verticalScrollBar()->maximum(), 0);
}

TEST(Lists, LookComesFromTheKeysOrThePlatformWindowColour) {
    TestGame g;
    TForm1& form = startWithTexts(g, "*list1*string1*plain#\n"
                                     "*list2*string1*styled#\n"
                                     "*list2color*clNavy#\n"
                                     "*list2fontcolor*clWhite#\n"
                                     "*list2bold*yes# \n"
                                     "*list2visible*no# \n"
                                     "*list2*fontsize*40#1#\n");
    ListControl& plain = *list(form, 0);
    EXPECT_EQ(plain.color(), clWindow);
    EXPECT_EQ(plain.font().color, form.game().host().windowFont().color);
    EXPECT_EQ(plain.font().name, "Arial");
    EXPECT_EQ(plain.font().size(), 26);
    EXPECT_FALSE(plain.isHidden());
    ListControl& styled = *list(form, 1);
    EXPECT_EQ(styled.color(), 0x800000);
    EXPECT_EQ(styled.font().color, 0xFFFFFF);
    EXPECT_TRUE(styled.font().bold);
    EXPECT_TRUE(styled.isHidden());
    EXPECT_EQ(styled.font().size(), 26); // 1024 / 40 * 1 = 25.6
}

TEST(Lists, AListWhoseFirstStringHasNoValueStillGetsItsBox) {
    // The string 1 line exists only in other letters: the list exists, and its
    // later strings go into its own box.
    TestGame g;
    TForm1& form = startWithTexts(g, "*LIST1*STRING1*shouted#\n"
                                     "*list1*string2*quiet#\n"
                                     "*list2*string1*#\n");
    ASSERT_TRUE(form.game().messages().empty());
    ASSERT_NE(list(form, 0), nullptr);
    EXPECT_EQ(list(form, 0)->items(), std::vector<std::string>{"quiet"});
    ASSERT_NE(list(form, 1), nullptr);
    EXPECT_TRUE(list(form, 1)->items().empty());
}

TEST(Lists, ABadColourStopsTheTextsAndTheTextWindows) {
    TestGame g;
    g.dir.write("data_game/alltextwindows.txt", "*textwindow1*text*x#\n");
    TForm1& form = startWithTexts(g, "*list1*string1*first#\n"
                                     "*list2*string1*second#\n"
                                     "*list2color*red#\n"
                                     "*list3*string1*third#\n"
                                     "*text1*string1*never#\n");
    ASSERT_EQ(form.game().messages(),
              std::vector<std::string>{"'red' is not a valid integer value"});
    ASSERT_NE(list(form, 1), nullptr);
    EXPECT_EQ(list(form, 1)->color(), clWindow);
    EXPECT_EQ(list(form, 2), nullptr);
    EXPECT_TRUE(form.game().tables.labels.empty());
    EXPECT_TRUE(form.game().tables.textWindows.empty());
}

TEST(Lists, AreBuiltBeforeTextLinesAndTextWindowsAfterThem) {
    // Creation order is stacking order within each layer.
    TestGame g;
    g.dir.write("data_game/alltextwindows.txt", "*textwindow1*text*x#\n");
    TForm1& form = startWithTexts(g, "*text1*string1*t#\n"
                                     "*list2*string1*b#\n"
                                     "*list1*string1*a#\n");
    std::vector<std::string> names;
    for (Control* c : form.game().host().controls())
        if (c->name().rfind("LIST", 0) == 0 || c->name().rfind("TLine", 0) == 0 ||
            c->name().rfind("TW", 0) == 0)
            names.push_back(c->name());
    EXPECT_EQ(names, (std::vector<std::string>{"LIST0", "LIST1", "TLine0", "TW0"}));
}
