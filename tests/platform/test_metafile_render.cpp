// Metafiles drawn by the QPainter renderer: every record kind drawn on its
// own and compared with the pixels GDI gives for it.
#include "metafile_writers.h"
#include "pictures/loader.h"
#include "pictures/metafile.h"
#include "platform/metafile_renderer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <unistd.h>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::test_support;

namespace {

constexpr std::uint32_t kClear = 0;

// A WMF of 100 x 100 pixels drawn in pixels.
WmfWriter canvas() {
    return WmfWriter(0, 0, 100, 100, 96);
}

Picture draw(const File& wmf) {
    return platform::renderMetafile(metafile::parseWmf(wmf.data(), wmf.size()));
}

Picture drawEmf(const File& emf) {
    return platform::renderMetafile(metafile::parseEmf(emf.data(), emf.size()));
}

std::uint32_t at(const Picture& pic, int x, int y) {
    return pic.pixels[static_cast<std::size_t>(y) * pic.width + x];
}

struct Sample {
    int x, y;
    std::uint32_t colour;
};

void expectPixels(const Picture& pic, const std::vector<Sample>& samples) {
    for (const Sample& s : samples)
        EXPECT_EQ(at(pic, s.x, s.y), s.colour) << "at " << s.x << ", " << s.y;
}

int count(const Picture& pic, int x0, int y0, int x1, int y1,
          const std::function<bool(std::uint32_t)>& pred) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += pred(at(pic, x, y)) ? 1 : 0;
    return n;
}

// Solid brush and pen, selected into slots 0 and 1.
WmfWriter painted(std::uint32_t fill, int penStyle = 5, std::uint32_t line = 0) {
    WmfWriter w = canvas();
    w.brush(0, fill).select(0).pen(penStyle, 1, line).select(1);
    return w;
}

} // namespace

TEST(MetafileRenderer, DrawsEachShapeRecord) {
    struct Row {
        const char* name;
        File file;
        std::vector<Sample> samples;
    } rows[] = {
        {"rectangle, outline included, right and bottom edges left out",
         painted(rgbRef(255, 0, 0), 0, rgbRef(0, 0, 255)).rectangle(10, 10, 50, 40).file(),
         {{30, 25, kRed},
          {10, 25, kBlue},
          {49, 25, kBlue},
          {30, 39, kBlue},
          {50, 25, kClear},
          {30, 40, kClear},
          {5, 5, kClear}}},
        {"ellipse",
         painted(rgbRef(0, 255, 0)).ellipse(10, 10, 90, 90).file(),
         {{50, 50, kGreen}, {12, 12, kClear}, {50, 12, kGreen}, {88, 88, kClear}}},
        {"polygon",
         painted(rgbRef(0, 0, 0)).polygon({{10, 90}, {50, 10}, {90, 90}}).file(),
         {{50, 70, kBlack}, {15, 15, kClear}, {85, 15, kClear}}},
        {"poly-polygon with a hole",
         painted(rgbRef(0, 0, 255))
             .polyPolygon({{{10, 10}, {90, 10}, {90, 90}, {10, 90}},
                           {{40, 40}, {60, 40}, {60, 60}, {40, 60}}})
             .file(),
         {{20, 20, kBlue}, {50, 50, kClear}}},
        {"polyline",
         painted(0, 0, rgbRef(255, 0, 0)).polyline({{10, 50}, {90, 50}}).file(),
         {{50, 50, kRed}, {10, 50, kRed}, {50, 52, kClear}, {50, 48, kClear}}},
        {"line from the current position",
         painted(0, 0, rgbRef(0, 255, 0)).moveTo(20, 10).lineTo(20, 80).file(),
         {{20, 40, kGreen}, {22, 40, kClear}}},
        {"rounded rectangle",
         painted(rgbRef(255, 0, 0)).roundRect(10, 10, 90, 90, 40, 40).file(),
         {{11, 11, kClear}, {50, 11, kRed}, {11, 50, kRed}, {50, 50, kRed}}},
        {"pie: anticlockwise from east to north",
         painted(rgbRef(255, 0, 0)).arcLike(0x081A, 10, 10, 90, 90, 90, 50, 50, 10).file(),
         {{70, 30, kRed}, {30, 70, kClear}, {30, 30, kClear}, {70, 70, kClear}}},
        {"chord",
         painted(rgbRef(0, 0, 255)).arcLike(0x0830, 10, 10, 90, 90, 90, 50, 50, 10).file(),
         {{75, 25, kBlue}, {52, 48, kClear}, {30, 70, kClear}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const Picture pic = draw(r.file);
        ASSERT_EQ(pic.width, 100);
        EXPECT_TRUE(pic.hasAlpha);
        expectPixels(pic, r.samples);
    }
}

TEST(MetafileRenderer, FillModesAndDashedPens) {
    // Two overlapping squares drawn the same way round: the overlap is a
    // hole in alternate mode and filled in winding mode.
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode == 1 ? "alternate" : "winding");
        WmfWriter w = painted(rgbRef(255, 0, 0));
        w.polyFillMode(mode).polyPolygon(
            {{{10, 10}, {60, 10}, {60, 60}, {10, 60}}, {{40, 40}, {90, 40}, {90, 90}, {40, 90}}});
        expectPixels(draw(w.file()),
                     {{20, 20, kRed}, {80, 80, kRed}, {50, 50, mode == 1 ? kClear : kRed}});
    }
    // A dashed line: 18 pixels drawn, 6 left, in the background colour when
    // the background mode is opaque.
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode == 1 ? "transparent gaps" : "opaque gaps");
        WmfWriter w = painted(0, 1, rgbRef(0, 0, 255));
        w.bkMode(mode).bkColour(rgbRef(0, 255, 0)).moveTo(0, 50).lineTo(100, 50);
        const Picture pic = draw(w.file());
        EXPECT_EQ(count(pic, 0, 50, 100, 51, [](std::uint32_t c) { return c == kBlue; }), 76);
        EXPECT_EQ(count(pic, 0, 50, 100, 51, [](std::uint32_t c) { return c == kGreen; }),
                  mode == 2 ? 24 : 0);
    }
}

TEST(MetafileRenderer, ArcsAreOutlinesOnly) {
    const Picture pic = draw(
        painted(0, 0, rgbRef(255, 0, 0)).arcLike(0x0817, 10, 10, 90, 90, 90, 50, 50, 10).file());
    EXPECT_EQ(at(pic, 50, 50), kClear);
    EXPECT_GT(count(pic, 50, 0, 100, 50, [](std::uint32_t c) { return c == kRed; }), 40);
    EXPECT_EQ(count(pic, 0, 0, 50, 100, [](std::uint32_t c) { return c != kClear; }), 1)
        << "only the arc's northern end, on the centre line";
}

TEST(MetafileRenderer, HatchesAndPatternsTileFromTheOrigin) {
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode == 2 ? "opaque background" : "transparent background");
        WmfWriter w = canvas();
        w.bkMode(mode).bkColour(rgbRef(0, 255, 0)).brush(2, rgbRef(255, 0, 0), 0).select(0);
        w.pen(5, 0, 0).select(1).rectangle(0, 0, 100, 100);
        const Picture pic = draw(w.file());
        expectPixels(pic, {{20, 23, kRed}, {20, 24, mode == 2 ? kGreen : kClear}});
    }
    WmfWriter w = canvas();
    w.dibPatternBrush(dib24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF})).select(0);
    w.pen(5, 0, 0).select(1).rectangle(0, 0, 100, 100);
    expectPixels(draw(w.file()),
                 {{0, 0, kRed}, {1, 0, kGreen}, {0, 1, kBlue}, {1, 1, kWhite}, {2, 2, kRed}});
}

TEST(MetafileRenderer, DrawsTextInItsFont) {
    WmfWriter w = canvas();
    w.font(-60, "Liberation Sans", 204).select(0).bkMode(1).textColour(0);
    w.textOut(10, 10, "\xc6"); // Cyrillic Zhe
    const Picture pic = draw(w.file());
    EXPECT_GT(count(pic, 10, 10, 70, 80, [](std::uint32_t c) { return c == kBlack; }), 100);
    EXPECT_EQ(count(pic, 0, 85, 100, 100, [](std::uint32_t c) { return c != kClear; }), 0);
    EXPECT_EQ(count(pic, 80, 0, 100, 100, [](std::uint32_t c) { return c != kClear; }), 0);

    // The Cyrillic cuts of Russian Windows are the same fonts here.
    const auto word = [](const char* face) {
        WmfWriter c = canvas();
        c.font(-30, face, 204).select(0).bkMode(1).textOut(5, 5, "\xd1\xeb\xee\xe2\xee");
        return draw(c.file()).pixels;
    };
    EXPECT_EQ(word("Arial Cyr"), word("Arial"));
    EXPECT_NE(word("Arial"), word("Courier New"));

    // Opaque background mode fills the text's cell.
    WmfWriter o = canvas();
    o.font(-30, "Liberation Sans", 204).select(0).bkMode(2).bkColour(rgbRef(0, 0, 255));
    o.textOut(10, 10, "-");
    EXPECT_EQ(at(draw(o.file()), 12, 12), kBlue);
}

TEST(MetafileRenderer, DrawsEmbeddedBitmaps) {
    const File dib = dib24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
    const Picture pic = draw(canvas().stretchDib(20, 20, 40, 40, 0, 0, 2, 2, dib).file());
    expectPixels(pic, {{30, 30, kRed},
                       {50, 30, kGreen},
                       {30, 50, kBlue},
                       {50, 50, kWhite},
                       {10, 10, kClear},
                       {60, 60, kClear}});

    // Clip art's transparency: an AND mask (white where transparent), then
    // the picture ORed over it (black where transparent).
    WmfWriter masked = canvas();
    masked.stretchDib(0, 0, 100, 100, 0, 0, 2, 1, dib24(2, 1, {0xFFFFFF, 0x000000}), 0x008800C6);
    masked.stretchDib(0, 0, 100, 100, 0, 0, 2, 1, dib24(2, 1, {0x000000, 0xFF0000}), 0x00EE0086);
    expectPixels(draw(masked.file()), {{20, 50, kClear}, {80, 50, kRed}});
}

TEST(MetafileRenderer, ClipsAndRestoresTheClip) {
    WmfWriter w = painted(rgbRef(255, 0, 0));
    w.save().intersectClip(20, 20, 60, 60).excludeClip(30, 30, 40, 40);
    w.rectangle(0, 0, 101, 101).restore();
    w.brush(0, rgbRef(0, 0, 255)).select(2).rectangle(90, 90, 101, 101);
    expectPixels(draw(w.file()), {{25, 25, kRed},
                                  {35, 35, kClear},
                                  {10, 10, kClear},
                                  {59, 59, kRed},
                                  {60, 60, kClear},
                                  {95, 95, kBlue}});
}

TEST(MetafileRenderer, MapsWindowsAndMappingModes) {
    WmfWriter w = painted(rgbRef(255, 0, 0));
    w.windowOrg(1000, 1000).windowExt(200, 200).rectangle(1100, 1100, 1201, 1201);
    expectPixels(draw(w.file()), {{49, 49, kClear}, {50, 50, kRed}, {99, 99, kRed}});

    // An EMF drawn in thousandths of an inch, y upwards from the bottom left.
    EmfWriter e(100, 100);
    e.brush(1, 0, rgbRef(0, 255, 0)).select(1).stock(8);
    e.add(17, {5}).add(12, {0, 100}).rectangle(0, 0, 500, 500);
    expectPixels(drawEmf(e.file()), {{20, 80, kGreen}, {20, 20, kClear}, {60, 80, kClear}});
}

TEST(MetafileRenderer, DrawsEmfCurvesAndWorldTransforms) {
    EmfWriter e(100, 100);
    e.brush(1, 0, rgbRef(0, 0, 255)).select(1).stock(8);
    // A quarter turn, then 50 pixels to the right.
    e.worldTransform(0, 1, -1, 0, 50, 0).rectangle(10, 0, 30, 11);
    e.worldTransform(1, 0, 0, 1, 0, 0).pen(2, 0, 1, rgbRef(255, 0, 0)).select(2);
    // POLYBEZIER16 from (10, 90) to (90, 90) bulging up to y = 60.
    File pts;
    for (int v : {10, 90, 10, 50, 90, 50, 90, 90})
        put16le(pts, static_cast<unsigned>(v));
    e.add(85, {0, 0, 0, 0, 4}, pts);
    const Picture pic = drawEmf(e.file());
    expectPixels(pic, {{45, 20, kBlue}, {20, 5, kClear}, {50, 80, kClear}});
    EXPECT_GT(count(pic, 48, 57, 53, 63, [](std::uint32_t c) { return c == kRed; }), 0);
}

TEST(MetafileRenderer, RasterOperationsOfPens) {
    WmfWriter w = painted(rgbRef(255, 0, 0));
    w.rop2(11).rectangle(0, 0, 50, 50); // R2_NOP draws nothing
    w.rop2(13).rectangle(50, 50, 100, 100);
    expectPixels(draw(w.file()), {{25, 25, kClear}, {75, 75, kRed}});
}

TEST(MetafileRenderer, EpsPreviewsAndTheLoaderDrawMetafiles) {
    platform::registerMetafileRenderer();
    WmfWriter w = WmfWriter(0, 0, 30, 20, 96);
    w.brush(0, rgbRef(0, 255, 0)).select(0).rectangle(0, 0, 30, 20);
    const File wmf = w.file();

    File eps;
    put32le(eps, 0xC6D3D0C5);
    for (std::uint32_t v : {30u, 0u, 30u, static_cast<std::uint32_t>(wmf.size()), 0u, 0u})
        put32le(eps, v);
    put16le(eps, 0xFFFF);
    eps.insert(eps.end(), wmf.begin(), wmf.end());
    const Picture fromEps = decodeEps(eps.data(), eps.size());
    EXPECT_EQ(fromEps.width, 30);
    EXPECT_EQ(at(fromEps, 10, 10), kGreen);

    const auto dir = std::filesystem::temp_directory_path() /
                     ("taleplay_metafile_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "clip.WMF").string();
    writeFile(path, wmf);
    clearPictureCache();
    const auto pic = loadPicture(path, path);
    EXPECT_EQ(pic->height, 20);
    EXPECT_EQ(at(*pic, 10, 10), kGreen);
    EXPECT_EQ(at(*pic, 29, 19), kBlack) << "the default pen's outline";
    std::filesystem::remove_all(dir);
}
