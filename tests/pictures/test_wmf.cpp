// Windows Metafiles written here record by record, played into their
// display list (no drawing: that is the platform layer's, tested there).
#include "metafile_writers.h"
#include "pictures/metafile.h"

#include <gtest/gtest.h>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::metafile;
using namespace taleplay::pictures::test_support;

namespace {

Metafile parse(const File& f) {
    return parseWmf(f.data(), f.size());
}

// 200 x 100 pixels, drawn in a window of 400 x 200 units: half a pixel a unit.
WmfWriter halfScale() {
    WmfWriter w(0, 0, 200, 100, 96);
    w.windowOrg(0, 0).windowExt(400, 200);
    return w;
}

std::vector<std::pair<double, double>> pointsOf(const Metafile& m, const Op& op) {
    std::vector<std::pair<double, double>> out;
    for (const Point& p : m.paths[op.index].points)
        out.emplace_back(p.x, p.y);
    return out;
}

} // namespace

TEST(WmfPlayer, TakesItsSizeFromThePlaceableHeaderOrItsWindow) {
    struct Row {
        const char* name;
        File file;
        int width, height;
    } rows[] = {
        {"two inches by one", WmfWriter(0, 0, 2880, 1440, 1440).file(), 192, 96},
        {"negative box", WmfWriter(100, 50, -100, -50, 96).file(), 200, 100},
        {"no units given", WmfWriter(0, 0, 1440, 720, 0).file(), 96, 48},
        {"no placeable header", WmfWriter().windowOrg(10, 10).windowExt(300, 150).file(), 300, 150},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const Metafile m = parse(r.file);
        EXPECT_EQ(m.width, r.width);
        EXPECT_EQ(m.height, r.height);
    }
}

TEST(WmfPlayer, ShapesBecomeAFillAndAnOutlineInPixels) {
    WmfWriter w = halfScale();
    w.brush(0, rgbRef(255, 0, 0)).select(0).pen(0, 4, rgbRef(0, 0, 255)).select(1);
    w.rectangle(40, 40, 200, 100);
    const File f = w.file();
    seed("rectangle.wmf", f);
    const Metafile m = parse(f);
    ASSERT_EQ(m.ops.size(), 2u);
    EXPECT_EQ(m.ops[0].kind, Op::Kind::Fill);
    EXPECT_EQ(m.ops[0].brush.colour, kRed);
    EXPECT_EQ(m.ops[1].kind, Op::Kind::Stroke);
    EXPECT_EQ(m.ops[1].pen.colour, kBlue);
    EXPECT_DOUBLE_EQ(m.ops[1].pen.width, 2); // 4 units at half a pixel each
    EXPECT_EQ(m.ops[0].index, m.ops[1].index);
    // GDI leaves out the right and bottom edges.
    EXPECT_EQ(pointsOf(m, m.ops[0]),
              (std::vector<std::pair<double, double>>{{20, 20}, {99, 20}, {99, 49}, {20, 49}}));
}

TEST(WmfPlayer, NullPensAndBrushesDrawNothing) {
    struct Row {
        const char* name;
        int brushStyle, penStyle;
        std::vector<Op::Kind> kinds;
    } rows[] = {
        {"both", 0, 0, {Op::Kind::Fill, Op::Kind::Stroke}},
        {"null brush", 1, 0, {Op::Kind::Stroke}},
        {"null pen", 0, 5, {Op::Kind::Fill}},
        {"neither", 1, 5, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        WmfWriter w = halfScale();
        w.brush(r.brushStyle, 0).select(0).pen(r.penStyle, 1, 0).select(1).ellipse(0, 0, 50, 50);
        std::vector<Op::Kind> kinds;
        for (const Op& op : parse(w.file()).ops)
            kinds.push_back(op.kind);
        EXPECT_EQ(kinds, r.kinds);
    }
}

TEST(WmfPlayer, NewObjectsTakeTheLowestFreeSlot) {
    WmfWriter w = halfScale();
    w.brush(0, rgbRef(1, 1, 1)).brush(0, rgbRef(2, 2, 2)).remove(0).brush(0, rgbRef(3, 3, 3));
    w.select(0).rectangle(0, 0, 10, 10).select(1).rectangle(0, 0, 10, 10);
    const Metafile m = parse(w.file());
    ASSERT_EQ(m.ops.size(), 4u);
    EXPECT_EQ(m.ops[0].brush.colour, 0xFF030303u);
    EXPECT_EQ(m.ops[2].brush.colour, 0xFF020202u);
}

TEST(WmfPlayer, SavedStatesAndClippingComeBack) {
    WmfWriter w = halfScale();
    w.brush(0, rgbRef(0, 255, 0)).select(0).save();
    w.brush(0, rgbRef(0, 0, 255)).select(1).intersectClip(20, 20, 100, 60);
    w.rectangle(0, 0, 400, 200).restore().rectangle(0, 0, 400, 200);
    const File f = w.file();
    seed("save-clip-restore.wmf", f);
    const Metafile m = parse(f);
    ASSERT_EQ(m.ops.size(), 4u);
    EXPECT_EQ(m.ops[0].brush.colour, kBlue);
    ASSERT_NE(m.ops[0].clip, 0u);
    const ClipStep& step = m.clips[m.ops[0].clip].step;
    EXPECT_EQ(step.combine, ClipStep::Combine::Intersect);
    ASSERT_EQ(step.rects.size(), 1u);
    EXPECT_DOUBLE_EQ(step.rects[0].left, 10);
    EXPECT_DOUBLE_EQ(step.rects[0].bottom, 30);
    EXPECT_EQ(m.ops[2].brush.colour, kGreen);
    EXPECT_EQ(m.ops[2].clip, 0u);
}

TEST(WmfPlayer, TextKeepsItsFontCharacterSetAndPlace) {
    struct Row {
        const char* name;
        int charset;
        std::string bytes;
        std::string utf8;
    } rows[] = {
        {"Cyrillic font", 204, "\xcf\xf0\xe8", "\xd0\x9f\xd1\x80\xd0\xb8"},
        {"default character set", 1, "\xea\xee\xf2", "\xd0\xba\xd0\xbe\xd1\x82"},
        {"Western font", 0, "caf\xe9 \x80", "caf\xc3\xa9 \xe2\x82\xac"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        WmfWriter w = halfScale();
        w.font(-40, "Arial", r.charset, 900, 700).select(0).textColour(rgbRef(255, 0, 0));
        w.textAlign(24).textOut(100, 80, r.bytes);
        const File f = w.file();
        seed(std::string("text-charset-") + std::to_string(r.charset) + ".wmf", f);
        const Metafile m = parse(f);
        ASSERT_EQ(m.texts.size(), 1u);
        const Text& t = m.texts[0];
        EXPECT_EQ(t.utf8, r.utf8);
        EXPECT_EQ(t.font.face, "Arial");
        EXPECT_DOUBLE_EQ(t.font.height, 20);
        EXPECT_FALSE(t.font.cellHeight);
        EXPECT_EQ(t.font.weight, 700);
        EXPECT_DOUBLE_EQ(t.angle, 90);
        EXPECT_EQ(t.vAlign, Text::VAlign::Baseline);
        EXPECT_DOUBLE_EQ(t.origin.x, 50);
        EXPECT_DOUBLE_EQ(t.origin.y, 40);
        EXPECT_EQ(t.colour, kRed);
    }
}

TEST(WmfPlayer, EmbeddedBitmapsArePlacedWhereTheRecordSays) {
    WmfWriter w = halfScale();
    const File dib = dib24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
    w.stretchDib(40, 20, 100, 60, 0, 0, 2, 2, dib);
    w.dibPatternBrush(dib).select(0).rectangle(0, 0, 40, 40);
    const File f = w.file();
    seed("bitmap-and-pattern.wmf", f);
    const Metafile m = parse(f);
    ASSERT_EQ(m.images.size(), 1u);
    const Image& im = m.images[0];
    EXPECT_EQ(im.picture->pixels, (std::vector<std::uint32_t>{kRed, kGreen, kBlue, kWhite}));
    EXPECT_DOUBLE_EQ(im.corners[0].x, 20);
    EXPECT_DOUBLE_EQ(im.corners[1].x, 70);
    EXPECT_DOUBLE_EQ(im.corners[2].y, 40);
    EXPECT_DOUBLE_EQ(im.source.bottom, 2);
    ASSERT_EQ(m.ops.size(), 3u);
    EXPECT_EQ(m.ops[1].brush.style, Brush::Style::Pattern);
    EXPECT_EQ(m.ops[1].brush.pattern->width, 2);
}

TEST(WmfPlayer, HatchesArePatternsOfTheBackground) {
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        WmfWriter w = halfScale();
        w.bkMode(mode).bkColour(rgbRef(0, 255, 0)).brush(2, rgbRef(255, 0, 0), 0).select(0);
        w.rectangle(0, 0, 100, 100);
        const Metafile m = parse(w.file());
        const Brush& b = m.ops[0].brush;
        ASSERT_EQ(b.style, Brush::Style::Pattern);
        EXPECT_EQ(b.pattern->pixels[7 * 8], kRed) << "the hatch line";
        EXPECT_EQ(b.pattern->pixels[0], mode == 2 ? kGreen : 0u) << "between the lines";
    }
}

TEST(WmfPlayer, RefusesDamagedFiles) {
    File pastTheEnd = halfScale().rectangle(0, 0, 1, 1).file();
    pastTheEnd.resize(pastTheEnd.size() - 8); // into the rectangle
    File tooShort = halfScale().file();
    {
        WmfWriter w = halfScale();
        w.record(0x041B, {1, 2}); // a rectangle of two words
        tooShort = w.file();
    }
    File notWmf = halfScale().file();
    notWmf[22] = 7;
    const auto error = [](const File& f) {
        try {
            parse(f);
        } catch (const PictureError& e) {
            return std::string(e.what());
        }
        return std::string("(no error)");
    };
    EXPECT_EQ(error(pastTheEnd), "WMF picture is damaged (record past the end of the file)");
    EXPECT_EQ(error(tooShort), "WMF picture is damaged (record too short)");
    EXPECT_EQ(error(notWmf), "WMF picture is damaged (not a Windows Metafile)");
    EXPECT_EQ(error(WmfWriter().rectangle(0, 0, 5, 5).file()),
              "WMF picture has no size (no placeable header and no window)");
    EXPECT_EQ(error(WmfWriter(0, 0, 30000, 30000, 1).file()),
              "WMF picture has an unsupported size (2880000 x 2880000)");
    EXPECT_EQ(error(File(10, 0)), "WMF picture is damaged (not a Windows Metafile)");
}
