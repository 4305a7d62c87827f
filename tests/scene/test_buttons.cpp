// Image buttons of allbuttons.txt on a main window of 1280 x 1024, and
// their press and release feedback.
#include "app/game_fixture.h"

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

void picture(const TestGame& g, const std::string& name, int w, int h, QColor colour = Qt::blue) {
    g.picture(name, w, h, colour);
}

TForm1& startWith(TestGame& g, const std::string& buttons) {
    std::filesystem::create_directories(g.dir.path() / "data_game");
    g.dir.write("data_game/allbuttons.txt", buttons);
    return g.start();
}

ImageControl* buttonOf(TForm1& form, std::size_t n) {
    if (form.game().tables.buttons.size() < n || form.game().tables.buttons[n - 1].isNull())
        return nullptr;
    return static_cast<ImageControl*>(controlOf(form.game().tables.buttons[n - 1].data()));
}

} // namespace

TEST(Buttons, TableNamesWiringAndFlags) {
    TestGame g;
    picture(g, "b.png", 10, 10);
    picture(g, "down.png", 10, 10);
    TForm1& form = startWith(g, "*button1*name*b.png#*button1*pressedname*down.png#\n"
                                "*button2*name*b.png#*button2*pressedname*gone.png#\n"
                                "*button3*name*gone.png#\n"
                                "*BUTTON4*NAME*b.png#\n" // value keys are exact
                                "*button5*name*b.png#\n"
                                "*button6*name*b.png#\n"
                                "*button7*name*b.png#\n"
                                "*button31*name*b.png#\n"
                                "*BUTTON1TRANSPARENT*YES# \n"  // flags in any case
                                "*button2transparent*yes#\n"   // no blank after '#'
                                "*button5*transparent*yes# \n" // star after the number
                                "*button6visible*no# \n");
    std::vector<std::string> names;
    for (std::size_t n = 1; n <= form.game().tables.buttons.size(); ++n)
        names.push_back(buttonOf(form, n) ? buttonOf(form, n)->name() : "-");
    EXPECT_EQ(names, (std::vector<std::string>{"Nazhimalka1", "Nazhimalka2", "-", "-",
                                               "Nazhimalka5", "Nazhimalka6", "Nazhimalka7"}));
    // Only the button's own picture is reported, as written.
    EXPECT_EQ(form.game().messages(), std::vector<std::string>{"Can't find file  gone.png"});

    ImageControl& b1 = *buttonOf(form, 1);
    EXPECT_TRUE(b1.stretch());
    EXPECT_FALSE(b1.autoSize());
    EXPECT_EQ(b1.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(b1.pressable());
    EXPECT_FALSE(buttonOf(form, 2)->pressable()); // pressed picture missing
    EXPECT_TRUE(static_cast<bool>(buttonOf(form, 2)->onClick));
    EXPECT_TRUE(b1.transparent());
    EXPECT_FALSE(buttonOf(form, 2)->transparent());
    EXPECT_FALSE(buttonOf(form, 5)->transparent());
    EXPECT_FALSE(buttonOf(form, 6)->isVisibleTo(&form));
    EXPECT_TRUE(buttonOf(form, 7)->isVisibleTo(&form));
}

TEST(Buttons, SizeFromTheGivenSideAndThePictureProportions) {
    struct Row {
        QSize picture;
        const char* keys;
        QSize expected;
    } rows[] = {
        {{200, 100}, "*button1*heightinpixels*50#", {100, 50}},
        {{200, 100}, "*button1*widthinpixels*50#", {50, 25}},
        {{200, 100}, "", {200, 100}},
        {{200, 100}, "*button1*widthinpixels*33#*button1*heightinpixels*77#", {33, 77}},
        {{5, 4}, "*button1*heightinpixels*2#", {2, 2}}, // 2.5 to the even 2
        {{7, 4}, "*button1*heightinpixels*2#", {4, 2}}, // 3.5 to the even 4
        {{200, 100}, "*button1*heightindivision*1024#50#", {100, 50}},
    };
    for (const Row& r : rows) {
        TestGame g;
        picture(g, "b.png", r.picture.width(), r.picture.height());
        TForm1& form = startWith(g, std::string("*button1*name*b.png#\n") + r.keys + "\n");
        ASSERT_NE(buttonOf(form, 1), nullptr) << r.keys;
        EXPECT_EQ(buttonOf(form, 1)->size(), r.expected) << r.keys;
    }
}

TEST(Buttons, CentringAsWideAsTheWindowFallsBackToPixels) {
    TestGame g;
    picture(g, "b.png", 100, 50);
    TForm1& form = startWith(g, "*button1*name*b.png#*button1*widthinpixels*1280#\n"
                                "*button1*leftindivision*#center#\n*button1*leftinpixels*11#\n"
                                "*button2*name*b.png#*button2*widthinpixels*1283#\n"
                                "*button2*leftindivision*#center#\n"
                                "*button3*name*b.png#*button3*topindivision*3#center#\n");
    EXPECT_EQ(buttonOf(form, 1)->x(), 11);
    EXPECT_EQ(buttonOf(form, 2)->x(), -1);
    EXPECT_EQ(buttonOf(form, 3)->pos(), QPoint(0, 487)); // (1024 - 50) / 2
}

// Positions and sizes past any screen keep the button's edges inside an
// int: the button is built out of sight, its rectangle never overflows.
TEST(Buttons, PlacedPastAnyScreenIsBuiltOutOfSight) {
    TestGame g;
    picture(g, "b.png", 10, 6);
    TForm1& form = startWith(g, "*button1*name*b.png#*button1*leftinpixels*2147483647#"
                                "*button1*topinpixels*2147483647#\n"
                                "*button2*name*b.png#*button2*leftinpixels*-2147483648#"
                                "*button2*heightinpixels*-2147483648#\n");
    for (std::size_t n : {1u, 2u}) {
        ImageControl* b = buttonOf(form, n);
        ASSERT_NE(b, nullptr) << n;
        const QRect r = b->geometry();
        EXPECT_FALSE(r.intersects(form.rect())) << n;
        EXPECT_LE(std::int64_t(r.x()) + r.width(), std::int64_t(INT_MAX)) << n;
        EXPECT_GE(std::int64_t(r.x()) + r.width(), std::int64_t(INT_MIN)) << n;
    }
    EXPECT_EQ(buttonOf(form, 1)->x(), 1 << 29);
}

TEST(Buttons, PressShowsThePressedPictureAndReleaseTheNormalOne) {
    TestGame g;
    picture(g, "b.png", 10, 10);
    picture(g, "down.png", 10, 10);
    TForm1& form = startWith(g, "*button1*name*b.png#\n*button1*pressedname* down.png #\n"
                                "*button2*name*b.png#\n");
    ImageControl& b1 = *buttonOf(form, 1);
    const std::string normal = form.game().state.dataFolder + "b.png";
    const std::string pressed = form.game().state.dataFolder + "down.png";
    b1.resize(40, 30); // a command may have moved or sized it since

    QTest::mousePress(&b1, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(b1.pictureName(), pressed);
    EXPECT_EQ(b1.size(), QSize(40, 30)); // stretched to the button as it stands
    QTest::mouseRelease(&b1, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(b1.pictureName(), normal);
    EXPECT_EQ(form.game().state.clickedControl.data(), &b1);

    // Any mouse button shows the feedback; only the left one clicks.
    form.game().state.clickedControl = nullptr;
    QTest::mousePress(&b1, Qt::RightButton, {}, QPoint(2, 2));
    EXPECT_EQ(b1.pictureName(), pressed);
    QTest::mouseRelease(&b1, Qt::RightButton, {}, QPoint(2, 2));
    EXPECT_EQ(b1.pictureName(), normal);
    EXPECT_EQ(form.game().state.clickedControl.data(), nullptr);

    // The names are read afresh: a pressed picture gone since leaves the
    // button as it is, without a report.
    std::filesystem::remove(g.dir.path() / "data_game" / "down.png");
    QTest::mousePress(&b1, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(b1.pictureName(), normal);
    QTest::mouseRelease(&b1, Qt::LeftButton, {}, QPoint(2, 2));

    // Without a pressed picture a click still reaches its button.
    ImageControl& b2 = *buttonOf(form, 2);
    QTest::mouseClick(&b2, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(b2.pictureName(), normal);
    EXPECT_EQ(form.game().state.clickedControl.data(), &b2);
    EXPECT_TRUE(form.game().messages().empty());
}

TEST(Buttons, PressedPictureThatCannotBeReadIsShownAsAnErrorAndTheProgramGoesOn) {
    TestGame g;
    picture(g, "b.png", 10, 10);
    g.dir.write("data_game/down.png", "not a png");
    TForm1& form = startWith(g, "*button1*name*b.png#*button1*pressedname*down.png#\n");
    ImageControl& b1 = *buttonOf(form, 1);
    QTest::mousePress(&b1, Qt::LeftButton, {}, QPoint(2, 2));
    ASSERT_EQ(form.game().messages().size(), 1u);
    EXPECT_EQ(b1.pictureName(), form.game().state.dataFolder + "b.png");
    QTest::mouseRelease(&b1, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(b1.pictureName(), form.game().state.dataFolder + "b.png");
}

TEST(Buttons, UnreadablePictureStopsTheBuilderAndKeepsTheButtonsBuilt) {
    TestGame g;
    picture(g, "b.png", 10, 10);
    g.dir.write("data_game/x.xyz", "whatever");
    TForm1& form =
        startWith(g, "*button1*name*b.png#\n*button2*name*x.xyz#\n*button3*name*b.png#\n");
    EXPECT_EQ(form.game().messages(),
              std::vector<std::string>{"Unknown picture file extension (.xyz)"});
    EXPECT_EQ(form.game().tables.buttons.size(), 1u);
    EXPECT_NE(buttonOf(form, 1), nullptr);
    EXPECT_EQ(form.game().host().find("Nazhimalka3"), nullptr);
}

TEST(Buttons, TransparentBitmapShowsWhatLiesBelow) {
    TestGame g;
    // A white bitmap (its bottom-left pixel gives the transparent colour)
    // with a black square in the middle, over a red picture.
    QImage face(40, 40, QImage::Format_RGB32);
    face.fill(Qt::white);
    for (int y = 15; y < 25; ++y)
        for (int x = 15; x < 25; ++x)
            face.setPixel(x, y, qRgb(0, 0, 0));
    std::filesystem::create_directories(g.dir.path() / "data_game");
    ASSERT_TRUE(
        face.save(QString::fromStdString((g.dir.path() / "data_game" / "face.bmp").string())));
    picture(g, "under.png", 100, 40, Qt::red);
    g.dir.write("data_game/allbackpictures.txt", "*picture1*name*under.png#\n");
    TForm1& form = startWith(g, "*button1*name*face.bmp#\n*button1transparent*yes# \n"
                                "*button2*name*face.bmp#*button2*leftinpixels*50#\n");
    platform::processEvents();
    const QImage shot = form.grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(5, 5)), QColor(Qt::red));     // through the transparent button
    EXPECT_EQ(QColor(shot.pixel(20, 20)), QColor(Qt::black)); // its own drawing
    EXPECT_EQ(QColor(shot.pixel(55, 5)), QColor(Qt::white));  // the opaque one covers
}
