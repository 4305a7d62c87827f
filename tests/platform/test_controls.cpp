#include "core/errors.h"
#include "platform/host.h"
#include "support/pixels.h"
#include "support/qt_support.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::pixelPicture;
using taleplay::testing::solid;
using taleplay::testing::TempFolder;

namespace {

// A window of its own with a host, the size of a small game screen.
struct Screen {
    QWidget window;
    ControlHost host{window};
    Screen() {
        window.resize(200, 200);
        host.resizeLayer();
        window.show();
    }
    QImage shot() { return window.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QRgb at(int x, int y) { return shot().pixel(x, y) & 0xFFFFFF; }
};

constexpr QRgb kFace = 0xF0F0F0;

// A picture `side` pixels square: red with a blue top-left quarter;
// bottom-left pixel red.
std::string savePicture(const TempFolder& dir, const char* name, bool withAlpha = false,
                        int side = 4) {
    QImage img(side, side, withAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    img.fill(QColor(255, 0, 0));
    for (int y = 0; y < side / 2; ++y)
        for (int x = 0; x < side / 2; ++x)
            img.setPixelColor(x, y, withAlpha ? QColor(0, 0, 255, 0) : QColor(0, 0, 255));
    const std::string path = dir.str() + "/" + name;
    EXPECT_TRUE(img.save(QString::fromStdString(path)));
    return path;
}

} // namespace

TEST(LabelControl, MnemonicsAreResolvedBeforeDrawing) {
    Screen s;
    auto& l = s.host.createLabel("L");
    struct Row {
        const char* caption;
        const char* shown;
        int underline;
    } rows[] = {
        {"&File", "File", 0}, {"A&&B", "A&B", -1}, {"Save &as", "Save as", 5},
        {"end&", "end", -1},  {"&&&x", "&x", 1},
    };
    for (const auto& r : rows) {
        l.setCaption(r.caption);
        int line = -1, index = -1;
        QStringList lines = l.layoutLines(1000, &line, &index);
        ASSERT_EQ(lines.size(), 1);
        EXPECT_EQ(lines[0].toStdString(), r.shown) << r.caption;
        EXPECT_EQ(index, r.underline) << r.caption;
    }
}

TEST(LabelControl, WordWrapBreaksAtBlanksAndShrinksToWidestLine) {
    Screen s;
    auto& l = s.host.createLabel("L");
    FontSpec f;
    f.setSize(12);
    l.setFont(f);
    l.setAutoSize(false);
    l.setWordWrap(true);
    l.resize(120, 10);
    l.setCaption("one two three four five six seven");
    l.setAutoSize(true);
    const QFontMetrics fm(toQFont(f));
    const QStringList lines = l.layoutLines(120);
    ASSERT_GT(lines.size(), 1);
    int widest = 0;
    for (const QString& line : lines) {
        EXPECT_LE(fm.horizontalAdvance(line), 120) << line.toStdString();
        EXPECT_FALSE(line.startsWith(' '));
        widest = std::max(widest, fm.horizontalAdvance(line));
    }
    EXPECT_EQ(l.width(), widest);
    EXPECT_EQ(l.height(), fm.height() * lines.size());
}

TEST(LabelControl, AWordWiderThanTheLabelKeepsItsOwnLineAndWidensIt) {
    Screen s;
    auto& l = s.host.createLabel("L");
    l.setAutoSize(false);
    l.setWordWrap(true);
    l.resize(40, 10);
    l.setCaption("a extraordinarily b");
    l.setAutoSize(true);
    const QStringList lines = l.layoutLines(40);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1], QStringLiteral("extraordinarily"));
    EXPECT_GT(l.width(), 40);
}

TEST(LabelControl, ColourFollowsTheWindowUntilItHasItsOwn) {
    Screen s;
    auto& l = s.host.createLabel("L");
    l.setCaption("      ");
    l.move(10, 10);
    EXPECT_EQ(l.color(), clBtnFace);
    s.host.setColour(0x00FF00);
    EXPECT_EQ(l.color(), 0x00FF00);
    EXPECT_EQ(s.at(12, 12), 0x00FF00u);
    l.setColor(0x0000FF);
    s.host.setColour(0xFF0000);
    EXPECT_EQ(l.color(), 0x0000FF);
    EXPECT_EQ(s.at(12, 12), 0xFF0000u); // red, $0000FF
    l.setTransparent(true);
    EXPECT_EQ(s.at(12, 12), 0x0000FFu); // the window's blue shows through
}

TEST(ImageControl, StretchesOrDrawsAtNaturalSize) {
    TempFolder dir;
    const std::string file = savePicture(dir, "p.png");
    Screen s;
    auto& img = s.host.createImage("I");
    img.setGeometry(0, 0, 40, 40);
    img.loadPicture(file);
    EXPECT_EQ(img.naturalSize(), QSize(4, 4));
    EXPECT_EQ(s.at(1, 1), 0x0000FFu);
    EXPECT_EQ(s.at(30, 30), kFace); // not stretched: only 4 x 4 is painted
    img.setStretch(true);
    EXPECT_EQ(s.at(5, 5), 0x0000FFu);
    EXPECT_EQ(s.at(30, 30), 0xFF0000u);
    img.setAutoSize(true);
    EXPECT_EQ(img.size(), QSize(4, 4));
}

TEST(ImageControl, TransparencyKeysOpaquePicturesOnTheirBottomLeftPixel) {
    TempFolder dir;
    const std::string opaque = savePicture(dir, "o.bmp");
    const std::string alpha = savePicture(dir, "a.png", true);
    Screen s;
    auto& img = s.host.createImage("I");
    img.setGeometry(0, 0, 40, 40);
    img.setStretch(true);
    img.loadPicture(opaque);
    EXPECT_EQ(s.at(30, 30), 0xFF0000u);
    img.setTransparent(true);
    EXPECT_EQ(s.at(30, 30), kFace); // red was the key colour
    EXPECT_EQ(s.at(5, 5), 0x0000FFu);

    // A picture with its own alpha keeps it, and no colour key applies.
    img.loadPicture(alpha);
    EXPECT_EQ(s.at(5, 5), kFace);
    EXPECT_EQ(s.at(30, 30), 0xFF0000u);
}

TEST(ImageControl, StretchingReplicatesPixelsWithoutSmoothing) {
    TempFolder dir;
    const QImage four = pixelPicture(2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00});
    ASSERT_TRUE(four.save(QString::fromStdString(dir.str() + "/four.png")));
    Screen s;
    auto& img = s.host.createImage("I");
    img.setStretch(true);
    img.setGeometry(0, 0, 200, 200);
    img.loadPicture(dir.str() + "/four.png");
    const QImage shot = s.shot();
    EXPECT_TRUE(solid(shot, {0, 0, 100, 100}, 0xFF0000));
    EXPECT_TRUE(solid(shot, {100, 0, 100, 100}, 0x00FF00));
    EXPECT_TRUE(solid(shot, {0, 100, 100, 100}, 0x0000FF));
    EXPECT_TRUE(solid(shot, {100, 100, 100, 100}, 0xFFFF00));
}

TEST(ImageControl, AColourKeyedPictureStretchedKeepsHardEdges) {
    TempFolder dir;
    const std::string file = savePicture(dir, "o.bmp"); // blue quarter on the red key
    Screen s;
    auto& img = s.host.createImage("I");
    img.setStretch(true);
    img.setTransparent(true);
    img.setGeometry(0, 0, 40, 40);
    img.loadPicture(file);
    const QImage shot = s.shot();
    // Blue where the picture is blue, the window's face where it was keyed
    // out, and nothing half-way along the edge between them.
    EXPECT_TRUE(solid(shot, {0, 0, 20, 20}, 0x0000FF));
    EXPECT_TRUE(solid(shot, {20, 0, 20, 40}, kFace));
    EXPECT_TRUE(solid(shot, {0, 20, 20, 20}, kFace));
}

// A control keeps only the pixels it shows: made larger later, it loads the
// picture again for the pixels it lacks; made smaller, it shows its copy
// reduced; never more than the picture's own.
TEST(ImageControl, KeepsThePixelsItShowsAndLoadsMoreWhenMadeLarger) {
    TempFolder dir;
    const std::string big = savePicture(dir, "big.png", false, 40);
    Screen s;
    auto& img = s.host.createImage("I");
    img.setStretch(true);
    img.setGeometry(0, 0, 10, 10);
    img.loadPicture(big);
    EXPECT_EQ(img.naturalSize(), QSize(40, 40));
    EXPECT_EQ(img.picture()->width, 10);
    img.resize(20, 20);
    EXPECT_EQ(img.picture()->width, 20);
    img.resize(100, 100);
    EXPECT_EQ(img.picture()->width, 40);
    EXPECT_TRUE(solid(s.shot(), {0, 0, 50, 50}, 0x0000FF));
    EXPECT_TRUE(solid(s.shot(), {50, 50, 50, 50}, 0xFF0000));
    img.resize(4, 4);
    EXPECT_EQ(img.picture()->width, 40);
    EXPECT_TRUE(solid(s.shot(), {0, 0, 2, 2}, 0x0000FF));
    EXPECT_TRUE(solid(s.shot(), {2, 2, 2, 2}, 0xFF0000));
}

TEST(ImageControl, UnknownExtensionsAndMissingFilesFailWithoutChangingThePicture) {
    TempFolder dir;
    const std::string good = savePicture(dir, "p.png");
    dir.write("x.xyz", "junk");
    Screen s;
    auto& img = s.host.createImage("I");
    img.loadPicture(good);
    try {
        img.loadPicture(dir.str() + "/x.xyz");
        FAIL() << "no error";
    } catch (const PictureError& e) {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.xyz)");
    }
    EXPECT_THROW(img.loadPicture(dir.str() + "/missing.png"), TaleError);
    EXPECT_EQ(img.pictureName(), good);
}

TEST(ImageControl, ClickComesBeforeReleaseAndOnlyForTheLeftButton) {
    Screen s;
    auto& img = s.host.createImage("I");
    img.setGeometry(10, 10, 50, 50);
    std::string events;
    img.onMouseDown = [&](ImageControl&, Qt::MouseButton b) {
        events += b == Qt::LeftButton ? "D" : "d";
    };
    img.onClick = [&](ImageControl&) { events += "C"; };
    img.onMouseUp = [&](ImageControl&, Qt::MouseButton b) {
        events += b == Qt::LeftButton ? "U" : "u";
    };

    QTest::mouseClick(&img, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(&img, Qt::RightButton, {}, QPoint(5, 5));
    // Released outside the control: no click.
    QTest::mousePress(&img, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&img, Qt::LeftButton, {}, QPoint(500, 500));
    EXPECT_EQ(events, "DCUdu"
                      "DU");
}

TEST(ShapeControl, PaintsItsKindInsideThePen) {
    Screen s;
    auto& sh = s.host.createShape("S");
    sh.setGeometry(0, 0, 100, 60);
    sh.setBrush(0x00FF00);
    sh.setPen(0x0000FF);
    sh.setPenWidth(2);
    EXPECT_EQ(s.at(50, 30), 0x00FF00u);
    EXPECT_EQ(s.at(0, 30), 0xFF0000u); // the pen (red) on the left edge
    sh.setShape(ShapeKind::Circle);
    EXPECT_EQ(s.at(50, 30), 0x00FF00u);
    EXPECT_EQ(s.at(5, 30), kFace); // a centred 60 x 60 circle leaves the sides
    EXPECT_EQ(s.at(21, 1), kFace); // and its bounding square's corners
}

TEST(Colours, SystemColoursAndSpecialValues) {
    EXPECT_EQ(toQColor(clBtnFace).rgb() & 0xFFFFFF, 0xF0F0F0u);
    EXPECT_EQ(toQColor(clWindow).rgb() & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(toQColor(clWindowText).rgb() & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(toQColor(255).rgb() & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(toQColor(0xFF0000).rgb() & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(toQColor(clNone).alpha(), 0);
    EXPECT_EQ(toQColor(clDefault, Qt::green), QColor(Qt::green));
    EXPECT_EQ(colourText(clBtnFace).toStdString(), "$FF00000F");
    EXPECT_EQ(colourText(0x55C6F7).toStdString(), "$0055C6F7");
}

TEST(Shell, OpenStartsAnExecutableInItsFolderWithoutAShell) {
    TempFolder dir;
    // A name a shell would misread; started directly it is just a name.
    dir.write("run me;.sh", "#!/bin/sh\ntouch started-here\n");
    std::filesystem::permissions(dir.path() / "run me;.sh", std::filesystem::perms::owner_all);
    platform::shellOpen(dir.str() + "/run me;.sh", dir.str() + "/");
    QElapsedTimer clock;
    clock.start();
    while (!std::filesystem::exists(dir.path() / "started-here") && clock.elapsed() < 5000)
        platform::sleepMs(20);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "started-here"));
}

// The program is opened as the game named it (another letter case, '\'),
// in its own folder, not in the current folder.
TEST(Shell, AProgramNamedAsTheGameWroteItIsFoundInItsFolder) {
    TempFolder dir;
    dir.write("tools/Setup.sh", "#!/bin/sh\ntouch started-in-tools\n");
    std::filesystem::permissions(dir.path() / "tools" / "Setup.sh",
                                 std::filesystem::perms::owner_all);
    // As a description file names it: other letters, '\'.
    platform::shellOpen(dir.str() + "/TOOLS\\SETUP.SH", dir.str() + "/TOOLS\\");
    QElapsedTimer clock;
    clock.start();
    while (!std::filesystem::exists(dir.path() / "tools" / "started-in-tools") &&
           clock.elapsed() < 5000)
        platform::sleepMs(20);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "tools" / "started-in-tools"));
}

// With an observer the request is only told: nothing starts.
TEST(Shell, AnObservedOpenStartsNothing) {
    TempFolder dir;
    dir.write("setup.sh", "#!/bin/sh\ntouch started\n");
    std::filesystem::permissions(dir.path() / "setup.sh", std::filesystem::perms::owner_all);
    std::vector<std::pair<std::string, std::string>> asked;
    platform::setShellObserver([&](const std::string& path, const std::string& folder) {
        asked.emplace_back(path, folder);
    });
    platform::shellOpen(dir.str() + "/setup.sh", dir.str() + "/");
    platform::setShellObserver({});
    platform::sleepMs(300);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "started"));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].first, dir.str() + "/setup.sh");
    EXPECT_EQ(asked[0].second, dir.str() + "/");
}

// Word wrap measures a line whole only near the edge; the lines it makes
// must be exactly those of measuring the whole line at every word.
TEST(Label, WordWrapBreaksExactlyAsMeasuringEveryLineWhole) {
    QWidget window;
    ControlHost host(window);
    LabelControl& label = host.createLabel("L");
    label.setWordWrap(true);
    auto reference = [](const QString& text, const QFont& font, int width) {
        const QFontMetrics fm(font);
        QStringList lines;
        QString line;
        bool started = false;
        for (int i = 0, n = int(text.size()); i < n;) {
            int j = i, k;
            while (j < n && text[j] == ' ')
                ++j;
            for (k = j; k < n && text[k] != ' ';)
                ++k;
            const QString blanks = text.mid(i, j - i), word = text.mid(j, k - j);
            if (!started) {
                line = blanks + word;
                started = true;
            } else if (fm.horizontalAdvance(line + blanks + word) <= width) {
                line += blanks + word;
            } else {
                lines << line;
                line = word;
            }
            i = k;
        }
        lines << line;
        return lines;
    };
    // Words that kern at their edges ("AV", "To", "Ya") and Cyrillic ones.
    const QStringList words = {"AVATAR", "To", "Ya",   "we",         "Привет", "Ёж",
                               "LT",     "a",  "Wave", "\"quoted\"", "fly.",   "x"};
    std::uint32_t seed = 12345;
    for (int round = 0; round < 40; ++round) {
        QString text;
        for (int w = 0; w < 300; ++w) {
            seed = seed * 1664525u + 1013904223u;
            text += words[int(seed >> 8) % words.size()];
            text += QString((seed >> 20) % 3 == 0 ? 2 : 1, ' ');
        }
        FontSpec f;
        f.setSize(8 + round % 30);
        f.bold = round % 2;
        label.setFont(f);
        label.setUnicodeCaption(text);
        const int width = 60 + round * 37;
        EXPECT_EQ(label.layoutLines(width), reference(text, toQFont(f), width))
            << "round " << round;
    }
}
