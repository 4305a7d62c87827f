// The background builder on a real main window of 1280 x 1024: screen
// colour, tiles, large background, frames and corners as controls.
#include "app/game_fixture.h"
#include "scene/taleforge_serv_backpic.h"
#include "support/pixels.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

void picture(const TestGame& g, const std::string& name, int w, int h,
             QColor colour = Qt::darkGreen) {
    g.picture(name, w, h, colour);
}

void backpictures(const TestGame& g, const std::string& text) {
    g.dir.write("data_game/allbackpictures.txt", text);
}

ImageControl& image(TForm1& form, const std::string& name) {
    Control* c = form.game().host().find(name);
    EXPECT_NE(c, nullptr) << name;
    if (!c)
        throw std::runtime_error("no control " + name);
    return static_cast<ImageControl&>(*c);
}

QRect rectOf(TForm1& form, const std::string& name) {
    return image(form, name).geometry();
}

std::vector<std::string> namesStartingWith(TForm1& form, const std::string& prefix) {
    std::vector<std::string> out;
    for (Control* c : form.game().host().controls())
        if (c->name().rfind(prefix, 0) == 0)
            out.push_back(c->name());
    return out;
}

} // namespace

TEST(Background, ScreenColourTilesAndTheirStacking) {
    TestGame g;
    picture(g, "fon.bmp", 300, 200);
    backpictures(g, "*screencolor*clRed#\n");
    TForm1& form = g.start();
    EXPECT_EQ(form.game().host().colour(), 0x0000FF);
    // 1280 x 1024: 5 columns, 6 rows; the last ones take the remainder.
    ASSERT_EQ(namesStartingWith(form, "BP").size(), 30u);
    ASSERT_EQ(form.game().tables.backgroundTiles.size(), 30u);
    EXPECT_EQ(rectOf(form, "BP0"), QRect(0, 0, 300, 200));
    EXPECT_TRUE(image(form, "BP0").autoSize());
    EXPECT_FALSE(image(form, "BP0").stretch());
    EXPECT_EQ(rectOf(form, "BP4"), QRect(1200, 0, 80, 200));
    EXPECT_EQ(rectOf(form, "BP25"), QRect(0, 1000, 300, 24));
    EXPECT_EQ(rectOf(form, "BP29"), QRect(1200, 1000, 80, 24));
    EXPECT_FALSE(image(form, "BP29").autoSize());
    // One file read once: every tile shows the same decoded picture.
    for (const std::string& name : namesStartingWith(form, "BP")) {
        EXPECT_EQ(image(form, name).picture(), image(form, "BP0").picture()) << name;
        EXPECT_EQ(image(form, name).pictureName(), image(form, "BP0").pictureName()) << name;
    }
    // Sent to the back: below even the window resource's measuring image.
    EXPECT_LT(form.game().host().zOrder(image(form, "BP0")),
              form.game().host().zOrder(*form.game().ImageServant));
    EXPECT_TRUE(form.game().messages().empty());
}

TEST(Background, MissingNamedFilesFallBackToTheDefaultsWithoutAReport) {
    TestGame g;
    picture(g, "fon.bmp", 640, 512);
    picture(g, "ramkahor.bmp", 100, 20);
    backpictures(g, "*fon*name*night.bmp#\n*framehoriz*name*gone.png#\n");
    TForm1& form = g.start();
    EXPECT_EQ(namesStartingWith(form, "BP").size(), 9u); // 3 x 3, the last ones 0 wide and high
    EXPECT_EQ(image(form, "BP0").pictureName(), form.game().state.dataFolder + "fon.bmp");
    EXPECT_EQ(image(form, "RH0").pictureName(), form.game().state.dataFolder + "ramkahor.bmp");
    EXPECT_TRUE(form.game().messages().empty());
}

TEST(Background, WithoutAnyFileNothingIsBuilt) {
    TestGame g;
    backpictures(g, "*screencolor*$00FF00#\n*fon*name*night.bmp#\n*picture1*widthinpixels*5#\n");
    TForm1& form = g.start();
    EXPECT_EQ(form.game().host().colour(), 0x00FF00);
    EXPECT_EQ(form.game().host().controls().size(), 3u); // the window resource only
}

TEST(Background, BadScreenColourStopsTheBuild) {
    TestGame g;
    picture(g, "fon.bmp", 300, 200);
    backpictures(g, "*screencolor*red#\n");
    TForm1& form = g.start();
    ASSERT_EQ(form.game().messages().size(), 1u);
    EXPECT_EQ(form.game().messages()[0], "'red' is not a valid integer value");
    EXPECT_TRUE(namesStartingWith(form, "BP").empty());
    EXPECT_EQ(form.game().host().colour(), clBtnFace);
}

TEST(LargeBackground, OneStretchedPictureAPixelInFromTheEdges) {
    TestGame g;
    picture(g, "bigfon.bmp", 40, 30);
    TForm1& form = g.start();
    ImageControl& fon = image(form, "FON");
    EXPECT_EQ(fon.geometry(), QRect(1, 1, 1278, 1022));
    EXPECT_TRUE(fon.stretch());
    EXPECT_FALSE(fon.autoSize());
    EXPECT_TRUE(fon.isVisible());
    ASSERT_EQ(form.game().tables.largeBackground.size(), 1u);
}

TEST(LargeBackground, AlternativesByTheScreenRatio) {
    TestGame g;
    picture(g, "bigfon.bmp", 4, 3);
    picture(g, "wide.png", 4, 3);
    picture(g, "square.png", 4, 3);
    picture(g, "long.png", 4, 3);
    TForm1& form = g.start();
    const std::string file = form.game().state.dataFolder + "allbackpictures.txt";
    struct Row {
        const char* text;
        QSize screen;
        const char* expected;
    } rows[] = {
        {"*bigfon*name*wide.png#*bigfon*squarename*square.png#*bigfon*longname*long.png#",
         {1280, 1024},
         "square.png"},
        {"*bigfon*name*wide.png#*bigfon*squarename*square.png#*bigfon*longname*long.png#",
         {1024, 768},
         "wide.png"}, // 1.333: neither
        {"*bigfon*name*wide.png#*bigfon*squarename*square.png#*bigfon*longname*long.png#",
         {1470, 1000},
         "wide.png"}, // 1.47 exactly
        {"*bigfon*name*wide.png#*bigfon*squarename*square.png#*bigfon*longname*long.png#",
         {1366, 768},
         "long.png"},
        {"*bigfon*name*wide.png#*bigfon*squarename*square.png#*bigfon*longname*long.png#",
         {1920, 1080},
         "long.png"},
        // A missing alternative falls back to bigfon.bmp, not to the named picture.
        {"*bigfon*name*wide.png#*bigfon*squarename*gone.png#", {1280, 1024}, "bigfon.bmp"},
        {"*bigfon*name*wide.png#*bigfon*longname*gone.png#", {1920, 1080}, "bigfon.bmp"},
        {"*bigfon*name*wide.png#", {1920, 1080}, "wide.png"},
        // Without a name of its own the alternatives are not read.
        {"*bigfon*squarename*square.png#", {1280, 1024}, "bigfon.bmp"},
        {"*bigfon*name*gone.png#*bigfon*squarename*square.png#", {1280, 1024}, "bigfon.bmp"},
    };
    for (const Row& r : rows) {
        backpictures(g, r.text);
        EXPECT_EQ(largeBackgroundName(form.game(), PictureScreen{file, ""}, r.screen), r.expected)
            << r.text;
    }
    std::filesystem::remove(g.dir.path() / "data_game" / "bigfon.bmp");
    backpictures(g, "*bigfon*name*gone.png#");
    EXPECT_EQ(largeBackgroundName(form.game(), PictureScreen{file, ""}, {1280, 1024}), "");
}

TEST(Frames, TilesAlongTheFourEdgesOnTheWindow) {
    TestGame g;
    picture(g, "ramkahor.bmp", 100, 20);
    picture(g, "ramkavert.bmp", 20, 100);
    backpictures(g, "*frametransparent*yes#\n");
    TForm1& form = g.start();
    // 1280: tile 99 (98 widened), height 20, 13 a row; 1024: v 20, u 100
    // widened to 103 (remainder 97 >= 80), 10 a column.
    const auto rh = namesStartingWith(form, "RH");
    const auto rv = namesStartingWith(form, "RV");
    ASSERT_EQ(rh.size(), 26u);
    ASSERT_EQ(rv.size(), 20u);
    EXPECT_EQ(rh.front(), "RH0");
    EXPECT_EQ(rv.front(), "RV26");
    EXPECT_EQ(rv.back(), "RV45");
    EXPECT_EQ(rectOf(form, "RH12"), QRect(1188, 0, 92, 20));
    EXPECT_EQ(rectOf(form, "RH13"), QRect(0, 1004, 99, 20));
    EXPECT_EQ(rectOf(form, "RV35"), QRect(0, 927, 20, 97));
    EXPECT_EQ(rectOf(form, "RV36"), QRect(1260, 0, 20, 103));
    EXPECT_TRUE(image(form, "RH0").transparent());
    EXPECT_TRUE(image(form, "RV45").stretch());
    EXPECT_EQ(form.game().tables.frames.size(), 46u);
    // Each edge picture is decoded once and shared by its tiles.
    EXPECT_EQ(image(form, "RH25").picture(), image(form, "RH0").picture());
    EXPECT_EQ(image(form, "RV45").picture(), image(form, "RV26").picture());
    EXPECT_NE(image(form, "RV26").picture(), image(form, "RH0").picture());
    EXPECT_EQ(image(form, "RV45").naturalSize(), QSize(20, 100));
    // The vertical frames lie over the ends of the horizontal ones.
    EXPECT_GT(form.game().host().zOrder(image(form, "RV26")),
              form.game().host().zOrder(image(form, "RH25")));
}

TEST(Frames, VerticalWidthFallsBackToItsOwnPictureWhenNoHorizontalFrameExists) {
    TestGame g;
    picture(g, "ramkavert.bmp", 30, 100);
    backpictures(g, "*framehoriz*heightinpixels*40#\n");
    TForm1& form = g.start();
    EXPECT_TRUE(namesStartingWith(form, "RH").empty());
    EXPECT_EQ(rectOf(form, "RV0").width(), 30);
    EXPECT_FALSE(image(form, "RV0").transparent());
}

TEST(Corners, OnlyTheBottomRightWithAGivenHeight) {
    TestGame g;
    picture(g, "cornerbottomright.bmp", 50, 100);
    backpictures(g, "*corner*heightinpixels*40#\n*cornertransparent*YES#\n");
    TForm1& form = g.start();
    EXPECT_EQ(namesStartingWith(form, "UGOL"), std::vector<std::string>{"UGOL3"});
    EXPECT_EQ(rectOf(form, "UGOL3"), QRect(1260, 984, 20, 40));
    EXPECT_TRUE(image(form, "UGOL3").transparent()); // flags in any case
    ASSERT_EQ(form.game().tables.corners.size(), 4u);
    EXPECT_TRUE(form.game().tables.corners[0].isNull());
    EXPECT_TRUE(form.game().tables.corners[2].isNull());
    EXPECT_EQ(form.game().tables.corners[3].data(), &image(form, "UGOL3"));
}

TEST(Corners, AllTakeTheSizeOfTheLastOneMeasured) {
    TestGame g;
    picture(g, "cornerupleft.bmp", 10, 10);
    picture(g, "c2.png", 60, 30);
    picture(g, "cornerbottomleft.bmp", 80, 40);
    backpictures(g, "*uprightcorner*name*c2.png#\n*bottomrightcorner*name*gone.bmp#\n");
    TForm1& form = g.start();
    EXPECT_EQ(namesStartingWith(form, "UGOL"),
              (std::vector<std::string>{"UGOL0", "UGOL1", "UGOL2"}));
    EXPECT_EQ(rectOf(form, "UGOL0"), QRect(0, 0, 80, 40));
    EXPECT_EQ(rectOf(form, "UGOL1"), QRect(1200, 0, 80, 40));
    EXPECT_EQ(rectOf(form, "UGOL2"), QRect(0, 984, 80, 40));
    EXPECT_EQ(image(form, "UGOL1").pictureName(), form.game().state.dataFolder + "c2.png");
}

TEST(Background, EveryKindStacksInBuildOrder) {
    TestGame g;
    picture(g, "fon.bmp", 700, 600);
    picture(g, "bigfon.bmp", 8, 8);
    picture(g, "ramkahor.bmp", 100, 20);
    picture(g, "ramkavert.bmp", 20, 100);
    picture(g, "p.png", 8, 8);
    picture(g, "cornerupleft.bmp", 8, 8);
    backpictures(g, "*picture1*name*p.png#\n*shape1*form*square#\n*shape1*widthinpixels*5#\n");
    g.dir.write("data_game/allbuttons.txt", "*button1*name*p.png#\n");
    TForm1& form = g.start();
    const char* order[] = {"BP3",  "BP0",   "FON",   "RH0",        "RV26",
                           "RIS0", "UGOL0", "SHAP0", "Nazhimalka1"};
    for (std::size_t i = 1; i < std::size(order); ++i)
        EXPECT_LT(form.game().host().zOrder(*form.game().host().find(order[i - 1])),
                  form.game().host().zOrder(*form.game().host().find(order[i])))
            << order[i - 1] << " below " << order[i];
}

// A tile so small that it would make more controls than any screen needs is
// one control repeating it; what the window shows is the same grid.
TEST(Background, ATinyTileIsOneControlShowingTheSameGrid) {
    TestGame g;
    // A 3 x 2 picture whose every pixel differs, so any shift shows.
    QImage tile(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            tile.setPixel(x, y, qRgb(40 * x + 10, 100 * y + 20, 90));
    std::filesystem::create_directories(g.dir.path() / "data_game");
    ASSERT_TRUE(
        tile.save(QString::fromStdString((g.dir.path() / "data_game" / "fon.bmp").string())));
    TForm1& form = g.start();
    ASSERT_EQ(namesStartingWith(form, "BP"), std::vector<std::string>{"BP0"});
    ASSERT_EQ(form.game().tables.backgroundTiles.size(), 1u);
    EXPECT_EQ(rectOf(form, "BP0"), QRect(0, 0, 1280, 1024));
    EXPECT_TRUE(image(form, "BP0").tiled());
    EXPECT_EQ(form.game().host().zOrder(image(form, "BP0")), 0);

    const QImage shot = form.grab().toImage();
    for (const QPoint p : {QPoint(0, 0), QPoint(1, 0), QPoint(2, 1), QPoint(641, 513),
                           QPoint(1279, 1023), QPoint(1000, 3)})
        EXPECT_EQ(shot.pixel(p), tile.pixel(p.x() % 3, p.y() % 2)) << p.x() << "," << p.y();
}

TEST(Background, StretchedElementsReplicatePixels) {
    // Two-pixel pictures stretched far: each half stays one solid colour up
    // to the very pixel where the next begins, as the original stretches.
    using taleplay::testing::pixelPicture;
    using taleplay::testing::solid;
    TestGame g;
    std::filesystem::create_directories(g.dir.path() / "data_game");
    const auto save = [&](const char* name, const QImage& image) {
        ASSERT_TRUE(image.save(QString::fromStdString(g.dir.str() + "/data_game/" + name)));
    };
    save("bigfon.bmp", pixelPicture(2, {0xFF0000, 0x0000FF}));
    save("ramkahor.bmp", pixelPicture(1, {0x00FF00, 0xFFFF00}));
    save("p.bmp", pixelPicture(2, {0x000000, 0xFFFFFF}));
    backpictures(g, "*framehoriz*heightinpixels*40#\n*picture1*name*p.bmp#\n"
                    "*picture1*widthinpixels*300#\n*picture1*heightinpixels*100#\n"
                    "*picture1*leftinpixels*100#\n*picture1*topinpixels*500#\n");
    g.dir.write("data_game/allbuttons.txt",
                "*button1*name*p.bmp#\n*button1*widthinpixels*60#\n*button1*heightinpixels*30#\n"
                "*button1*leftinpixels*900#\n*button1*topinpixels*500#\n");
    TForm1& form = g.start();
    const QImage shot = form.grab().toImage();
    // The large background: 1278 wide from x 1, so its halves meet at 640.
    EXPECT_TRUE(solid(shot, {560, 100, 80, 300}, 0xFF0000));
    EXPECT_TRUE(solid(shot, {640, 100, 80, 300}, 0x0000FF));
    // A frame tile 40 high: 20 rows of each colour.
    EXPECT_TRUE(solid(shot, {10, 0, 40, 20}, 0x00FF00));
    EXPECT_TRUE(solid(shot, {10, 20, 40, 20}, 0xFFFF00));
    // The picture and the button, split down the middle.
    EXPECT_TRUE(solid(shot, {100, 500, 150, 100}, 0x000000));
    EXPECT_TRUE(solid(shot, {250, 500, 150, 100}, 0xFFFFFF));
    EXPECT_TRUE(solid(shot, {900, 500, 30, 30}, 0x000000));
    EXPECT_TRUE(solid(shot, {930, 500, 30, 30}, 0xFFFFFF));
}
