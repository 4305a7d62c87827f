// Pictures and shapes of allbackpictures.txt on a main window of 1280 x 1024.
#include "app/game_fixture.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

void picture(const TestGame& g, const std::string& name, int w, int h) {
    g.picture(name, w, h, Qt::blue);
}

TForm1& startWith(TestGame& g, const std::string& backpictures) {
    std::filesystem::create_directories(g.dir.path() / "data_game");
    g.dir.write("data_game/allbackpictures.txt", backpictures);
    return g.start();
}

std::vector<std::string> tableNames(const std::vector<QPointer<QWidget>>& table) {
    std::vector<std::string> out;
    for (const auto& entry : table)
        out.push_back(entry ? controlOf(entry.data())->name() : "-");
    return out;
}

ImageControl& pictureOf(TForm1& form, std::size_t n) {
    EXPECT_GE(form.game().tables.pictures.size(), n);
    EXPECT_FALSE(form.game().tables.pictures.at(n - 1).isNull()) << "picture " << n;
    return static_cast<ImageControl&>(*controlOf(form.game().tables.pictures.at(n - 1).data()));
}

ShapeControl& shapeOf(TForm1& form, std::size_t n) {
    EXPECT_GE(form.game().tables.shapes.size(), n);
    EXPECT_FALSE(form.game().tables.shapes.at(n - 1).isNull()) << "shape " << n;
    return static_cast<ShapeControl&>(*controlOf(form.game().tables.shapes.at(n - 1).data()));
}

} // namespace

TEST(Pictures, NumbersMayBeSkippedAndMissingFilesAreReportedAsWritten) {
    TestGame g;
    picture(g, "a.png", 10, 10);
    picture(g, "sub/b.bmp", 10, 10);
    TForm1& form = startWith(g, "*picture1*name*a.png#\n"
                                "*picture2*name* sub\\B.BMP #\n" // '\' and another letter case
                                "*picture3*name*pics\\gone.bmp#\n"
                                "*picture3transparent*yes# \n"
                                "*picture5*name*a.png#\n"
                                "*Picture6*name*a.png#\n" // value keys are exact
                                "*picture51*name*a.png#\n");
    EXPECT_EQ(tableNames(form.game().tables.pictures),
              (std::vector<std::string>{"RIS0", "RIS1", "-", "-", "RIS4"}));
    ASSERT_EQ(form.game().messages(), std::vector<std::string>{"Can't find file  pics\\gone.bmp"});
    EXPECT_EQ(pictureOf(form, 2).pictureName(), form.game().state.dataFolder + "sub\\B.BMP");
    EXPECT_TRUE(pictureOf(form, 1).stretch());
    EXPECT_FALSE(pictureOf(form, 1).autoSize());
}

TEST(Pictures, SizeFollowsTheGivenSideAndThePictureProportions) {
    struct Row {
        const char* keys;
        QSize expected;
    } rows[] = {
        {"", {200, 100}},
        {"*picture1*heightinpixels*50#", {100, 50}},
        {"*picture1*widthinpixels*50#", {50, 25}},
        {"*picture1*widthinpixels*50#*picture1*heightinpixels*70#", {50, 70}}, // stretched
        {"*picture1*widthindivision*4#1#", {320, 160}},
        {"*picture1*widthindivision*3000#1#*picture1*widthinpixels*30#", {30, 15}}, // rounds to 0
        {"*picture1*heightindivision*8#1#", {256, 128}},
    };
    for (const Row& r : rows) {
        TestGame g;
        picture(g, "p.png", 200, 100);
        TForm1& form = startWith(g, std::string("*picture1*name*p.png#\n") + r.keys + "\n");
        EXPECT_EQ(pictureOf(form, 1).size(), r.expected) << r.keys;
    }
}

TEST(Pictures, CentringAndItsPixelFallback) {
    struct Row {
        const char* keys;
        QPoint expected;
    } rows[] = {
        {"*picture1*leftindivision*#center#", {490, 0}}, // (1280 - 300) / 2
        {"*picture1*topindivision*2#center#", {0, 462}}, // (1024 - 100) / 2
        {"*picture1*leftindivision*center#*picture1*leftinpixels*7#",
         {7, 0}}, // no first field: not centred
        {"*picture1*leftindivision*10#3#*picture1*topinpixels* 1 2 #", {384, 12}},
        {"*picture1*topinpixels*abc#", {0, 0}},
    };
    for (const Row& r : rows) {
        TestGame g;
        picture(g, "p.png", 300, 100);
        TForm1& form = startWith(g, std::string("*picture1*name*p.png#\n") + r.keys + "\n");
        EXPECT_EQ(pictureOf(form, 1).pos(), r.expected) << r.keys;
    }
    // As wide as the window: centring gives 0, so the pixel key decides.
    TestGame g;
    picture(g, "p.png", 300, 100);
    TForm1& form = startWith(g, "*picture1*name*p.png#\n*picture1*widthindivision*1#1#\n"
                                "*picture1*leftindivision*#center#\n*picture1*leftinpixels*9#\n"
                                "*picture2*name*p.png#\n*picture2*widthinpixels*1283#\n"
                                "*picture2*leftindivision*#center#\n");
    EXPECT_EQ(pictureOf(form, 1).x(), 9);
    EXPECT_EQ(pictureOf(form, 2).x(), -1); // wider than the window, truncated toward zero
}

TEST(Pictures, FlagsNeedTheirExactFormInAnyCase) {
    TestGame g;
    picture(g, "p.png", 10, 10);
    TForm1& form = startWith(g, "*picture1*name*p.png#\n*picture2*name*p.png#\n"
                                "*picture3*name*p.png#\n*picture4*name*p.png#\n"
                                "*picture1transparent*yes#\n"   // no blank after '#'
                                "*PICTURE2TRANSPARENT*YES# \n"  // any case
                                "*picture3*transparent*yes# \n" // star after the number
                                "x *picture4visible*no# y\n");
    EXPECT_FALSE(pictureOf(form, 1).transparent());
    EXPECT_TRUE(pictureOf(form, 2).transparent());
    EXPECT_FALSE(pictureOf(form, 3).transparent());
    EXPECT_TRUE(pictureOf(form, 1).isVisibleTo(&form));
    EXPECT_FALSE(pictureOf(form, 4).isVisibleTo(&form));
}

TEST(Shapes, KindsSizesAndLook) {
    TestGame g;
    TForm1& form = startWith(g, "*shape1*form* Circle #\n*shape1*widthinpixels*80#\n"
                                "*shape2*form*ellipse#\n"
                                "*shape3*form*triangle#\n*shape3*widthinpixels*30#\n"
                                "*shape3*heightinpixels*20#\n"
                                "*shape4*form*ROUNDRECT#*shape4*widthinpixels*30#\n"
                                "*shape5*form*roundrectangle#\n"
                                "*shape6*form*roundsquare#*shape6*heightindivision*4#1#\n"
                                "*shape6*leftindivision*#center#\n"
                                "*shape7*form*rectangle#\n*shape7color*clYellow#\n"
                                "*shape7pencolor*255#\n*shape7visible*no# \n"
                                "*shape9*form*square#\n"
                                "*shape31*form*square#\n");
    struct Row {
        std::size_t n;
        ShapeKind kind;
        QRect rect;
    } rows[] = {
        {1, ShapeKind::Circle, {0, 0, 80, 80}},
        {2, ShapeKind::Ellipse, {0, 0, 0, 0}},
        {3, ShapeKind::Circle, {0, 0, 30, 20}}, // an unknown word is a circle of the size given
        {4, ShapeKind::RoundRect, {0, 0, 30, 0}},
        {5, ShapeKind::RoundRect, {0, 0, 0, 0}},
        {6, ShapeKind::RoundSquare, {512, 0, 256, 256}},
        {7, ShapeKind::Rectangle, {0, 0, 0, 0}},
        {9, ShapeKind::Square, {0, 0, 0, 0}},
    };
    for (const Row& r : rows) {
        ShapeControl& shape = shapeOf(form, r.n);
        EXPECT_EQ(shape.name(), "SHAP" + std::to_string(r.n - 1));
        EXPECT_EQ(shape.shape(), r.kind) << r.n;
        EXPECT_EQ(shape.geometry(), r.rect) << r.n;
        EXPECT_EQ(shape.penWidth(), 2) << r.n; // 1024 div 400
    }
    EXPECT_EQ(form.game().tables.shapes.size(), 9u);
    EXPECT_TRUE(form.game().tables.shapes[7].isNull());
    EXPECT_EQ(shapeOf(form, 1).brush(), 0xFFFFFF);
    EXPECT_EQ(shapeOf(form, 1).pen(), clBlack);
    EXPECT_EQ(shapeOf(form, 7).brush(), 0x00FFFF);
    EXPECT_EQ(shapeOf(form, 7).pen(), 0x0000FF);
    EXPECT_FALSE(shapeOf(form, 7).isVisibleTo(&form));
    EXPECT_TRUE(form.game().messages().empty());
}

TEST(Shapes, BadColourStopsTheBuildAndLeavesTheShapePlaced) {
    TestGame g;
    picture(g, "p.png", 10, 10);
    g.dir.write("data_game/allbuttons.txt", "*button1*name*p.png#\n");
    TForm1& form = startWith(g, "*shape1*form*rectangle#*shape1*widthinpixels*40#\n"
                                "*shape1*leftinpixels*5#\n*shape1color*red#\n"
                                "*shape1pencolor*clRed#\n"
                                "*shape2*form*rectangle#\n");
    ASSERT_EQ(form.game().messages(),
              std::vector<std::string>{"'red' is not a valid integer value"});
    ShapeControl& shape = shapeOf(form, 1);
    EXPECT_EQ(shape.geometry(), QRect(5, 0, 40, 0));
    EXPECT_EQ(shape.pen(), clBlack); // not reached
    EXPECT_EQ(form.game().tables.shapes.size(), 1u);
    EXPECT_EQ(form.game().host().find("Nazhimalka1"), nullptr); // later builders did not run
}
