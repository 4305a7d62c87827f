// Pictures as teachers bring them: phone photos far larger than shown,
// portrait photos stored lying down, scanned pages shrunk, and a picture the
// memory of all pictures cannot take.
#include "app/game_fixture.h"
#include "app/language.h"
#include "pictures/encoders.h"
#include "pictures/picture.h"
#include "support/pixels.h"

#include <QImage>
#include <fstream>
#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

// The budget of all pictures for one test, in MiB.
struct Budget {
    explicit Budget(int mebibytes) { pictures::setPictureMemoryBudget(std::int64_t(mebibytes) << 20); }
    ~Budget() { pictures::setPictureMemoryBudget(0); }
};

void writeBytes(const TestGame& g, const std::string& name, const std::vector<unsigned char>& bytes) {
    std::filesystem::create_directories(g.dir.path() / "data_game");
    std::ofstream(g.dir.path() / "data_game" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A photo's worth of noise, as a camera's pictures compress.
std::vector<unsigned char> photo(int w, int h, int orientation = 1) {
    std::vector<unsigned char> samples(std::size_t(w) * h * 3);
    unsigned state = 7;
    for (auto& s : samples) {
        state = state * 1103515245u + 12345u;
        s = static_cast<unsigned char>(state >> 24);
    }
    const auto jpeg = pictures::encoders::writeJpeg(w, h, 3, samples, 85);
    return orientation == 1 ? jpeg : pictures::encoders::withExifOrientation(jpeg, orientation);
}

std::vector<std::string> tableNames(const std::vector<QPointer<QWidget>>& table) {
    std::vector<std::string> out;
    for (const auto& entry : table)
        out.push_back(entry ? controlOf(entry.data())->name() : "-");
    return out;
}

ImageControl& imageOf(const std::vector<QPointer<QWidget>>& table, std::size_t n) {
    return static_cast<ImageControl&>(*controlOf(table.at(n - 1).data()));
}

} // namespace

// Thirty photos, each of which would take 3 MiB whole, shown at 160 x 120
// within 16 MiB for all pictures: every one is built, then the buttons.
// The last, stored lying down with EXIF orientation 6, stands upright and
// its width follows its upright proportions.
TEST(Photos, AGameOfPhotosIsBuiltWholeAndStandsUpright) {
    const Budget budget(16);
    TestGame g;
    writeBytes(g, "IMG_0001.JPG", photo(1024, 768));
    writeBytes(g, "IMG_0030.JPG", photo(1024, 768, 6));
    std::string pictures, buttons;
    for (int n = 1; n <= 29; ++n) {
        const std::string name = "IMG_" + std::to_string(1000 + n) + ".JPG";
        std::filesystem::copy_file(g.dir.path() / "data_game/IMG_0001.JPG",
                                   g.dir.path() / "data_game" / name);
        pictures += "*picture" + std::to_string(n) + "*name*" + name + "#\n*picture" +
                    std::to_string(n) + "*widthinpixels*160#\n";
    }
    pictures += "*picture30*name*IMG_0030.JPG#\n*picture30*heightinpixels*160#\n";
    g.picture("b.png", 40, 20, Qt::green);
    for (int n = 1; n <= 10; ++n)
        buttons += "*button" + std::to_string(n) + "*name*b.png#\n";
    g.dir.write("data_game/allbackpictures.txt", pictures);
    g.dir.write("data_game/allbuttons.txt", buttons);
    TForm1& form = g.start();
    EXPECT_EQ(form.game().messages(), std::vector<std::string>{});
    ASSERT_EQ(form.game().tables.pictures.size(), 30u);
    EXPECT_EQ(tableNames(form.game().tables.pictures).back(), "RIS29");
    EXPECT_EQ(form.game().tables.buttons.size(), 10u);
    const ImageControl& first = imageOf(form.game().tables.pictures, 1);
    EXPECT_EQ(first.size(), QSize(160, 120));
    EXPECT_EQ(first.naturalSize(), QSize(1024, 768));
    EXPECT_EQ(first.picture()->width, 160) << "kept at the size shown";
    const ImageControl& upright = imageOf(form.game().tables.pictures, 30);
    EXPECT_EQ(upright.naturalSize(), QSize(768, 1024));
    EXPECT_EQ(upright.size(), QSize(120, 160));
}

// A picture the memory of all pictures cannot take is told, naming the
// component and the file, in the player's language, and left out; the
// pictures and buttons after it are built. A damaged picture names them
// too, and still stops the build there.
TEST(Photos, ARefusedPictureIsLeftOutAndADamagedOneStopsTheBuild) {
    const Budget budget(1);
    struct Row {
        launch::Language language;
        const char* message;
    } rows[] = {
        {launch::Language::English,
         "picture 2, big.png: Not enough memory for the PNG picture of 600 x 600: the pictures "
         "shown take 1 MiB of the 1 MiB all pictures may take (TALEPLAY_PICTURE_MEMORY)"},
        {launch::Language::Russian,
         "рисунок 2, big.png: Не хватает памяти для рисунка PNG размером 600 x 600: показанные "
         "рисунки занимают 1 MiB из 1 MiB, отведённых всем рисункам "
         "(TALEPLAY_PICTURE_MEMORY)"},
    };
    for (const Row& r : rows) {
        ASSERT_TRUE(launch::useLanguage(r.language));
        TestGame g;
        g.picture("small.png", 10, 10, Qt::red);
        g.picture("big.png", 600, 600, Qt::red);
        g.dir.write("data_game/allbackpictures.txt",
                    "*picture1*name*small.png#\n*picture2*name*big.png#\n*picture3*name*small.png#\n");
        g.dir.write("data_game/allbuttons.txt", "*button1*name*small.png#\n");
        TForm1& form = g.start();
        EXPECT_EQ(form.game().messages(), std::vector<std::string>{r.message});
        EXPECT_EQ(tableNames(form.game().tables.pictures),
                  (std::vector<std::string>{"RIS0", "-", "RIS2"}));
        EXPECT_EQ(form.game().tables.buttons.size(), 1u);
    }
    ASSERT_TRUE(launch::useLanguage(launch::Language::English));

    TestGame g;
    g.picture("small.png", 10, 10, Qt::red);
    g.dir.write("data_game/broken.png", "\x89PNG\r\n\x1a\n and then nothing");
    g.dir.write("data_game/allbackpictures.txt",
                "*picture1*name*small.png#\n*picture2*name*broken.png#\n*picture3*name*small.png#\n");
    g.dir.write("data_game/allbuttons.txt", "*button1*name*small.png#\n");
    TForm1& form = g.start();
    ASSERT_EQ(form.game().messages().size(), 1u);
    EXPECT_EQ(form.game().messages()[0].rfind("picture 2, broken.png: PNG picture is damaged (", 0),
              0u)
        << form.game().messages()[0];
    EXPECT_EQ(tableNames(form.game().tables.pictures), std::vector<std::string>{"RIS0"});
    EXPECT_TRUE(form.game().tables.buttons.empty());
}

// A pressed picture the memory cannot take leaves the button as it is and
// is told at the first press only.
TEST(Photos, ARefusedPressedPictureIsToldOnce) {
    const Budget budget(1);
    TestGame g;
    g.picture("b.png", 10, 10, Qt::red);
    g.picture("down.png", 700, 700, Qt::blue);
    g.dir.write("data_game/allbuttons.txt",
                "*button1*name*b.png#\n*button1*pressedname*down.png#\n"
                "*button1*widthinpixels*700#\n*button1*heightinpixels*700#\n");
    TForm1& form = g.start();
    ImageControl& button = imageOf(form.game().tables.buttons, 1);
    for (int press = 0; press < 2; ++press) {
        form.AllButtonsMouseDown(button, Qt::LeftButton);
        EXPECT_EQ(button.pictureName(), form.game().state.dataFolder + "b.png");
        form.AllButtonsMouseUp(button, Qt::LeftButton);
    }
    ASSERT_EQ(form.game().messages().size(), 1u);
    EXPECT_EQ(form.game().messages()[0].rfind("button 1, down.png: Not enough memory", 0), 0u)
        << form.game().messages()[0];
}

// A scanned page shrunk four times: a ruled line one pixel thin that falls
// between the pixels a replication would pick still shows, a quarter as
// dark; enlarging still replicates pixels exactly.
TEST(Photos, AScannedPageShrunkFourTimesKeepsItsLines) {
    TestGame g;
    QImage page(400, 400, QImage::Format_RGB32);
    page.fill(Qt::white);
    for (int i = 0; i < 400; ++i) {
        page.setPixel(101, i, qRgb(0, 0, 0));
        page.setPixel(i, 205, qRgb(0, 0, 0));
    }
    std::filesystem::create_directories(g.dir.path() / "data_game");
    ASSERT_TRUE(page.save(QString::fromStdString(g.dir.str() + "/data_game/page.png")));
    g.dir.write("data_game/allbackpictures.txt",
                "*picture1*name*page.png#\n*picture1*widthinpixels*100#\n");
    TForm1& form = g.start();
    const QImage shot = form.grab().toImage();
    for (int i = 0; i < 100; ++i) {
        if (i != 25) { // where the two lines cross
            EXPECT_EQ(shot.pixel(i, 51) & 0xFFFFFF, 0xBFBFBFu) << "ruled line, at " << i;
        }
        if (i != 51) {
            EXPECT_EQ(shot.pixel(25, i) & 0xFFFFFF, 0xBFBFBFu) << "box edge, at " << i;
        }
    }
    EXPECT_TRUE(taleplay::testing::solid(shot, {26, 0, 74, 50}, 0xFFFFFF));
}
