// Text lines: the label and text tables, stacking, wrapping, narrowing,
// centring and the look of a text.
#include "app/game_fixture.h"
#include "platform/host.h"
#include "scene/taleforge_serv_nadpisi.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>
#include <map>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

// The screen every widget test runs on is 1280 x 1024 with no window frame.
constexpr int kClientWidth = 1280;
constexpr int kDefaultPoints = 26; // 1024 / 40 = 25.6

TForm1& startWithTexts(TestGame& g, const std::string& texts) {
    g.dir.write("data_game/allbacktexts.txt", texts);
    return g.start();
}

LabelControl& label(TForm1& form, std::size_t index) {
    EXPECT_LT(index, form.game().tables.labels.size());
    auto* l = dynamic_cast<LabelControl*>(form.game().tables.labels.at(index).data());
    EXPECT_NE(l, nullptr) << "label " << index;
    return *l;
}

QFontMetrics metrics(const std::string& name, int points, bool bold = false) {
    FontSpec f;
    f.name = name;
    f.setSize(points);
    f.bold = bold;
    return QFontMetrics(toQFont(f));
}

using TextEntry = std::pair<std::int32_t, std::int32_t>;

} // namespace

TEST(TextLines, LabelsAreNumberedAcrossTextsAndTheTextTableHoldsTheirRanges) {
    TestGame g;
    TForm1& form = startWithTexts(g, "*text1*string1*One#\r\n"
                                     "*text1*string2*Two#\r\n"
                                     "*text3*string1*Three#\r\n"
                                     "*text3*string2*Four#\r\n"
                                     "*text3*string3*Five#\r\n");
    ASSERT_TRUE(form.game().messages().empty());
    ASSERT_EQ(form.game().tables.labels.size(), 5u);
    const char* captions[] = {"One", "Two", "Three", "Four", "Five"};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(label(form, i).name(), "TLine" + std::to_string(i));
        EXPECT_EQ(label(form, i).caption(), captions[i]);
    }
    EXPECT_EQ(form.game().tables.texts, (std::vector<TextEntry>{{0, 2}, {0, 0}, {2, 3}}));
}

TEST(TextLines, StringsStackOnePixelApartAndAGapLeavesNoHole) {
    TestGame g;
    TForm1& form = startWithTexts(g, "*text1*string1*First#\n"
                                     "*text1*string3*Third#\n"
                                     "*text1*topinpixels*40#\n"
                                     "*text1*leftinpixels*15#\n");
    ASSERT_EQ(form.game().tables.labels.size(), 2u);
    EXPECT_EQ(form.game().tables.texts, (std::vector<TextEntry>{{0, 2}}));
    LabelControl& first = label(form, 0);
    LabelControl& third = label(form, 1);
    EXPECT_EQ(first.pos(), QPoint(15, 40));
    EXPECT_EQ(third.pos(), QPoint(15, 40 + first.height() + 1));
    EXPECT_EQ(first.height(), metrics("Arial", kDefaultPoints).height());
}

TEST(TextLines, ALongStringWrapsWithinTheWidthAndPushesTheNextOneDown) {
    const std::string words = "the quick brown fox jumps over the lazy dog again and again";
    TestGame g;
    TForm1& form = startWithTexts(g, "*text1*string1*" + words +
                                         "#\n"
                                         "*text1*string2*next#\n"
                                         "*text1*widthinpixels*200#\n");
    LabelControl& wrapped = label(form, 0);
    const int lineHeight = metrics("Arial", kDefaultPoints).height();
    EXPECT_GT(wrapped.height(), 2 * lineHeight);
    EXPECT_EQ(wrapped.height() % lineHeight, 0);
    EXPECT_LE(wrapped.width(), 200);
    EXPECT_EQ(label(form, 1).y(), wrapped.height() + 1);
}

TEST(TextLines, ASingleWordWiderThanTheTextWidensItsLabel) {
    TestGame g;
    TForm1& form = startWithTexts(g, "*text1*string1*a Pneumonoultramicroscopic b#\n"
                                     "*text1*widthinpixels*60#\n");
    LabelControl& l = label(form, 0);
    const QFontMetrics fm = metrics("Arial", kDefaultPoints);
    EXPECT_EQ(l.width(), fm.horizontalAdvance("Pneumonoultramicroscopic"));
    EXPECT_EQ(l.height(), 3 * fm.height());
}

TEST(TextLines, ATextReachingTheRightEdgeIsNarrowedByThreePixels) {
    // A caption exactly as wide as the text: it fits on one line unless the
    // text is narrowed.
    const std::string caption = "one two three four";
    const QFontMetrics fm = metrics("Arial", kDefaultPoints);
    const int w = fm.horizontalAdvance(QString::fromStdString(caption));
    struct Row {
        int left;
        int lines;
    } rows[] = {
        {kClientWidth - w, 2},     // left + width = client width: narrowed to w - 3
        {kClientWidth - w + 5, 2}, // beyond it: narrowed too
        {kClientWidth - w - 1, 1}, // one pixel short of the edge: kept
        {kClientWidth + 20, 4},    // past the edge: no width left, a word per line
    };
    for (const Row& r : rows) {
        TestGame g;
        TForm1& form = startWithTexts(g, "*text1*string1*" + caption + "#\n*text1*widthinpixels*" +
                                             std::to_string(w) + "#\n*text1*leftinpixels*" +
                                             std::to_string(r.left) + "#\n");
        EXPECT_EQ(label(form, 0).height(), r.lines * fm.height()) << "left " << r.left;
        EXPECT_EQ(label(form, 0).x(), r.left);
    }
}

TEST(TextLines, PlacedPastAnyScreenIsBuiltOutOfSight) {
    // Narrowing at the right edge adds the width to the left edge: with the
    // largest left edge a file can give, that must not overflow.
    TestGame g;
    TForm1& form = startWithTexts(g, "*text1*string1*Far#\n*text1*leftinpixels*2147483647#\n"
                                     "*text1*topinpixels*2147483647#\n"
                                     "*text2*string1*Near#\n*text2*leftinpixels*-2147483648#\n");
    ASSERT_EQ(form.game().tables.labels.size(), 2u);
    EXPECT_EQ(label(form, 0).x(), 1 << 29);
    EXPECT_EQ(label(form, 1).x(), -(1 << 29));
    for (std::size_t i : {0u, 1u})
        EXPECT_FALSE(label(form, i).geometry().intersects(form.rect())) << i;
}

TEST(TextLines, ACentredTextCentresEachLabelByItsOwnWidth) {
    TestGame g;
    TForm1& form = startWithTexts(g, "*text1*string1*Hi#\n"
                                     "*text1*string2*A much longer line#\n"
                                     "*text1*leftindivision*#center#\n"
                                     "*text1*leftinpixels*500#\n"
                                     "*text1*topindivision*#center#\n");
    for (std::size_t i = 0; i < 2; ++i) {
        LabelControl& l = label(form, i);
        EXPECT_EQ(l.x(), (kClientWidth - l.width()) / 2) << i;
    }
    EXPECT_NE(label(form, 0).width(), label(form, 1).width());
    // Never centred vertically.
    EXPECT_EQ(label(form, 0).y(), 0);
}

TEST(TextLines, AllLabelsOfATextShareItsLook) {
    TestGame g;
    TForm1& form = startWithTexts(g, "*text2*string1*Save && &Quit#\n"
                                     "*text2*string2*\xCF\xF0\xE8\xE2\xE5\xF2#\n"
                                     "*text2*fontsize*20#1#\n"
                                     "*text2font* Times New Roman #\n"
                                     "*text2fontcolor*clRed#*text2color*$00FFFF#\n"
                                     "*TEXT2BOLD*YES# \n"
                                     "*text2transparent*yes# \n"
                                     "*text2visible*no# \n");
    ASSERT_TRUE(form.game().messages().empty());
    for (std::size_t i = 0; i < 2; ++i) {
        LabelControl& l = label(form, i);
        EXPECT_EQ(l.font().name, "Times New Roman");
        EXPECT_EQ(l.font().size(), 51); // 1024 / 20 = 51.2
        EXPECT_TRUE(l.font().bold);
        EXPECT_EQ(l.font().color, 0x0000FF);
        EXPECT_EQ(l.color(), 0x00FFFF);
        EXPECT_TRUE(l.transparent());
        EXPECT_TRUE(l.isHidden());
    }
    EXPECT_EQ(label(form, 0).layoutLines(1000), QStringList{"Save & Quit"});
    EXPECT_EQ(label(form, 1).layoutLines(1000), QStringList{QString::fromUtf8("Привет")});
    EXPECT_EQ(form.game().tables.texts, (std::vector<TextEntry>{{0, 0}, {0, 2}}));
}

TEST(TextLines, DefaultsFollowTheWindowAndFlagsNeedTheirExactForm) {
    TestGame g;
    TForm1& form = startWithTexts(g, "*text1*string1*plain#\n"
                                     "*text1*fontsize*30#\n"      // one number reads as 0
                                     "*text1bold*yes#\n"          // no blank after "#"
                                     "*text1*transparent*yes# \n" // a star after the number
                                     "*text1visible*no#\n");
    LabelControl& l = label(form, 0);
    EXPECT_EQ(l.font().name, "Arial");
    EXPECT_EQ(l.font().size(), kDefaultPoints);
    EXPECT_FALSE(l.font().bold);
    EXPECT_FALSE(l.transparent());
    EXPECT_FALSE(l.isHidden());
    EXPECT_EQ(l.font().color, form.game().host().windowFont().color);
    // Without a colour of its own it keeps following the window's.
    EXPECT_EQ(l.color(), form.game().host().colour());
    form.game().host().setColour(0x123456);
    EXPECT_EQ(l.color(), 0x123456);
    // 9/10 of the client width, before shrinking to the caption.
    EXPECT_LT(l.width(), 1152);
}

TEST(TextLines, StringsAreTakenAsWrittenAndOnlyTheFirstTwentyFiveCount) {
    std::string file = "*text51*string1*too far#\n"
                       "*text1*string1*  blanks around  #\n"
                       "*text1*string2*   #\n"
                       "*text1*string3*no hash at the end\n";
    for (int k = 4; k <= 26; ++k)
        file += "*text1*string" + std::to_string(k) + "*s" + std::to_string(k) + "#\n";
    TestGame g;
    TForm1& form = startWithTexts(g, file);
    ASSERT_EQ(form.game().tables.labels.size(), 25u);
    EXPECT_EQ(label(form, 0).caption(), "  blanks around  ");
    EXPECT_EQ(label(form, 1).caption(), "   ");
    EXPECT_EQ(label(form, 2).caption(), "no hash at the end");
    EXPECT_EQ(label(form, 24).caption(), "s25");
    EXPECT_EQ(form.game().tables.texts.size(), 1u);
}

TEST(TextLines, AFirstStringWithoutValueNeitherBreaksTheRangeNorTheStack) {
    // Text 1's string 1 has no value, text 2's exists only in other letters:
    // both exist, and their ranges start at their first real label.
    TestGame g;
    TForm1& form = startWithTexts(g, "*text1*string1*#\n"
                                     "*text1*string2*B#\n"
                                     "*text1*string3*C#\n"
                                     "*text1*topinpixels*100#\n"
                                     "*TEXT2*STRING1*shouted#\n"
                                     "*text2*string2*D#\n"
                                     "*text2*topinpixels*300#\n"
                                     "*text3*STRING1*nothing else#\n"
                                     "*text4*string1*E#\n");
    ASSERT_TRUE(form.game().messages().empty());
    EXPECT_EQ(form.game().tables.texts, (std::vector<TextEntry>{{0, 2}, {2, 1}, {0, 0}, {3, 1}}));
    EXPECT_EQ(label(form, 0).y(), 100);
    EXPECT_EQ(label(form, 1).y(), 100 + label(form, 0).height() + 1);
    EXPECT_EQ(label(form, 2).caption(), "D");
    EXPECT_EQ(label(form, 2).y(), 300);
    EXPECT_EQ(label(form, 3).caption(), "E");
}

TEST(TextLines, MissingFileBuildsNothing) {
    TestGame g;
    std::filesystem::create_directory(g.dir.path() / "data_game");
    TForm1& form = g.start();
    EXPECT_TRUE(form.game().tables.labels.empty());
    EXPECT_TRUE(form.game().tables.texts.empty());
    EXPECT_TRUE(form.game().messages().empty());
}

TEST(TextLines, DefaultsAreFractionsOfTheScreenAndTheClientArea) {
    struct Row {
        int length;
        int fontSize, textWidth, listHeight;
    } rows[] = {
        {900, 22, 810, 450},                         // 900 / 40 = 22.5 goes to the even 22
        {768, 19, 691, 384},                         // 19.2; 691.2
        {1000, 25, 900, 500},                        // the list of a 1000 x 700 client is 900 x 500
        {1366, 34, 1229, 683}, {1030, 26, 927, 515}, // 25.75
        {1020, 26, 918, 510},                        // 25.5 goes to the even 26
    };
    for (const Row& r : rows) {
        EXPECT_EQ(defaultFontSize(r.length), r.fontSize) << r.length;
        EXPECT_EQ(defaultTextWidth(r.length), r.textWidth) << r.length;
        EXPECT_EQ(defaultListHeight(r.length), r.listHeight) << r.length;
    }
}

TEST(TextLines, FontSizesAndDefaultSizesFollowTheRealScreen) {
    // This program's screen is fixed; the playtest driver starts the game on
    // a screen of any size. With no window frames the client area is the
    // whole screen.
    const QString driver =
        QCoreApplication::applicationDirPath() + "/../../tools/playtest/taleplay-playtest";
    if (!QFile::exists(driver))
        GTEST_SKIP() << "the playtest driver is not built";
    struct Row {
        const char* screen;
        int points;
        QRect list;
    } rows[] = {
        {"1366x900", 22, QRect(0, 0, 1229, 683)}, // 22.5 goes to the even 22
        {"1024x768", 19, QRect(0, 0, 922, 512)},
        {"1000x700", 18, QRect(0, 0, 900, 500)}, // 17.5 goes to the even 18
    };
    for (const Row& r : rows) {
        TestGame g;
        g.dir.write("data_game/allbacktexts.txt", "*text1*string1*Hello#\n*list1*string1*item#\n");
        g.dir.write("data_game/alltextwindows.txt", "*textwindow1*text*typed#\n");
        g.dir.write("script.txt", "dump scene.json\n");
        QProcess run;
        run.setWorkingDirectory(QString::fromStdString(g.dir.str()));
        run.start(driver, {"--screen", r.screen, "data_game", "script.txt"});
        ASSERT_TRUE(run.waitForFinished(60000)) << r.screen;
        ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardOutput().toStdString();
        QFile dump(QString::fromStdString((g.dir.path() / "scene.json").string()));
        ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
        const QJsonObject scene = QJsonDocument::fromJson(dump.readAll()).object();
        std::map<QString, QJsonObject> controls;
        for (const QJsonValue c : scene["controls"].toArray())
            controls[c["name"].toString()] = c.toObject();
        ASSERT_EQ(controls.count("TLine0") + controls.count("LIST0") + controls.count("TW0"), 3u);
        for (const char* name : {"TLine0", "LIST0", "TW0"})
            EXPECT_EQ(controls[name]["font"].toObject()["size"].toInt(), r.points)
                << r.screen << " " << name;
        const QJsonObject& list = controls["LIST0"];
        EXPECT_EQ(QRect(list["left"].toInt(), list["top"].toInt(), list["width"].toInt(),
                        list["height"].toInt()),
                  r.list)
            << r.screen;
        EXPECT_EQ(controls["TW0"]["width"].toInt(), r.list.width()) << r.screen;
    }
}
