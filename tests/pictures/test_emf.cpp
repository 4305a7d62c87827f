// Enhanced Metafiles written here record by record, played into their
// display list.
#include "metafile_writers.h"
#include "pictures/metafile.h"

#include <gtest/gtest.h>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::metafile;
using namespace taleplay::pictures::test_support;

namespace {

Metafile parse(const File& f) {
    return parseEmf(f.data(), f.size());
}

File utf16(const std::u16string& s) {
    File f;
    for (char16_t c : s)
        put16le(f, c);
    return f;
}

} // namespace

TEST(EmfPlayer, TakesItsSizeFromTheFrame) {
    const Metafile m = parse(EmfWriter(200, 100).file());
    EXPECT_EQ(m.width, 200);
    EXPECT_EQ(m.height, 100);
}

TEST(EmfPlayer, WorldTransformsMoveWhatIsDrawn) {
    EmfWriter w(200, 100);
    w.brush(1, 0, rgbRef(255, 0, 0)).select(1).stock(8); // NULL_PEN
    w.worldTransform(2, 0, 0, 2, 10, 0).rectangle(0, 0, 20, 10);
    const File f = w.file();
    seed("world-transform.emf", f);
    const Metafile m = parse(f);
    ASSERT_EQ(m.ops.size(), 1u);
    const Path& p = m.paths[m.ops[0].index];
    ASSERT_EQ(p.points.size(), 4u);
    EXPECT_NEAR(p.points[0].x, 10, 0.05);
    EXPECT_NEAR(p.points[2].x, 49, 0.05); // 50, less the right edge
    EXPECT_NEAR(p.points[2].y, 19, 0.05);
    EXPECT_EQ(m.ops[0].brush.colour, kRed);
}

TEST(EmfPlayer, PathsAreFilledAsOneShape) {
    EmfWriter w(100, 100);
    w.add(59, {}).rectangle(0, 0, 10, 10).ellipse(20, 20, 40, 40).add(60, {});
    w.add(62, {0, 0, 100, 100});
    const File f = w.file();
    seed("path.emf", f);
    const Metafile m = parse(f);
    ASSERT_EQ(m.ops.size(), 1u);
    EXPECT_EQ(m.ops[0].kind, Op::Kind::Fill);
    EXPECT_EQ(m.ops[0].brush.colour, kWhite); // the default brush
    const auto& verbs = m.paths[m.ops[0].index].verbs;
    EXPECT_EQ(std::count(verbs.begin(), verbs.end(), Path::Verb::Move), 2);
}

TEST(EmfPlayer, FontsAndTextAreUnicode) {
    EmfWriter w(300, 100);
    File font;
    for (std::int32_t v : {-24, 0, 0, 0, 400})
        put32le(font, static_cast<std::uint32_t>(v));
    font.insert(font.end(), {1, 0, 0, 204, 0, 0, 0, 0});
    File face = utf16(u"Times New Roman");
    face.resize(64, 0);
    font.insert(font.end(), face.begin(), face.end());
    File rec;
    put32le(rec, 1);
    rec.insert(rec.end(), font.begin(), font.end());
    w.add(82, rec).select(1);
    // EMR_EXTTEXTOUTW: bounds, graphics mode, scales, then the EMRTEXT.
    const File text = utf16(u"\u041f\u0440\u0438\u0432\u0435\u0442");
    w.add(84, {0, 0, 0, 0, 1, 0, 0, 10, 20, 6, 76, 0, 0, 0, 0, 0, 0}, text);
    const File f = w.file();
    seed("unicode-text.emf", f);
    const Metafile m = parse(f);
    ASSERT_EQ(m.texts.size(), 1u);
    EXPECT_EQ(m.texts[0].utf8, "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82");
    EXPECT_EQ(m.texts[0].font.face, "Times New Roman");
    EXPECT_TRUE(m.texts[0].font.italic);
    EXPECT_NEAR(m.texts[0].font.height, 24, 0.05);
    EXPECT_NEAR(m.texts[0].origin.x, 10, 0.05);
}

TEST(EmfPlayer, StretchDiBitsPlacesItsBitmap) {
    EmfWriter w(100, 100);
    const File dib = dib24(2, 1, {0xFF0000, 0x0000FF});
    const std::int64_t bmiSize = 40, bitsSize = static_cast<std::int64_t>(dib.size()) - 40;
    // Fields up to the destination size (80 bytes), then the header and bits.
    w.add(81,
          {0, 0, 0, 0, 10, 20, 0, 0, 2, 1, 80, bmiSize, 80 + bmiSize, bitsSize, 0, 0x00CC0020, 40,
           20},
          dib);
    const File f = w.file();
    seed("stretchdibits.emf", f);
    const Metafile m = parse(f);
    ASSERT_EQ(m.images.size(), 1u);
    EXPECT_EQ(m.images[0].picture->pixels, (std::vector<std::uint32_t>{kRed, kBlue}));
    EXPECT_NEAR(m.images[0].corners[1].x, 50, 0.05);
    EXPECT_NEAR(m.images[0].corners[2].y, 40, 0.05);
}

// EMR_ALPHABLEND and EMR_TRANSPARENTBLT: the STRETCHBLT layout, with the
// blend function or the transparent colour where the raster operation was.
File blend(std::uint32_t type, std::uint32_t how, const File& bmi, const File& bits) {
    EmfWriter w(100, 100);
    const std::int64_t bmiAt = 108, bitsAt = 108 + static_cast<std::int64_t>(bmi.size());
    File tail = bmi;
    tail.insert(tail.end(), bits.begin(), bits.end());
    w.add(type,
          {0,
           0,
           0,
           0,
           10,
           10,
           20,
           10,
           how,
           0,
           0,
           0x3F800000,
           0,
           0,
           0x3F800000,
           0,
           0,
           0,
           0,
           bmiAt,
           static_cast<std::int64_t>(bmi.size()),
           bitsAt,
           static_cast<std::int64_t>(bits.size()),
           2,
           1},
          tail);
    return w.file();
}

TEST(EmfPlayer, BlendsBitmapsWithTheirAlphaOrTransparentColour) {
    File header;
    for (std::uint32_t v : {40u, 2u, 1u})
        put32le(header, v);
    put16le(header, 1);
    put16le(header, 32);
    header.resize(40, 0);
    // Premultiplied: a red of alpha 128, then nothing at all.
    const File bits = {0, 0, 128, 128, 9, 9, 9, 0};
    const File alpha = blend(114, 0x01FF0000, header, bits);
    seed("alphablend.emf", alpha);
    Metafile m = parse(alpha);
    ASSERT_EQ(m.images.size(), 1u);
    EXPECT_EQ(m.images[0].picture->pixels, (std::vector<std::uint32_t>{0x80FF0000, 0x00000000}));

    // Half the constant alpha, no alpha of its own.
    m = parse(blend(114, 0x00800000, header, bits));
    EXPECT_EQ(m.images[0].picture->pixels, (std::vector<std::uint32_t>{0x80800000, 0x80090909}));

    const File dib = dib24(2, 1, {0x00FF00, 0xFF0000});
    const File keyed = blend(116, rgbRef(0, 255, 0), File(dib.begin(), dib.begin() + 40),
                             File(dib.begin() + 40, dib.end()));
    seed("transparentblt.emf", keyed);
    m = parse(keyed);
    EXPECT_EQ(m.images[0].picture->pixels, (std::vector<std::uint32_t>{0, kRed}));
}

TEST(EmfPlayer, RefusesDamagedFiles) {
    File pastTheEnd = EmfWriter(10, 10).rectangle(0, 0, 1, 1).file();
    pastTheEnd.resize(88 + 10);
    File zeroSize = EmfWriter(10, 10).rectangle(0, 0, 1, 1).file();
    zeroSize[92] = 0;
    File noSignature = EmfWriter(10, 10).file();
    noSignature[40] = 'X';
    File huge = EmfWriter(10, 10).file();
    huge[34] = 0x7F; // a frame 2 km wide
    const auto error = [](const File& f) {
        try {
            parse(f);
        } catch (const PictureError& e) {
            return std::string(e.what());
        }
        return std::string("(no error)");
    };
    EXPECT_EQ(error(pastTheEnd), "EMF picture is damaged (record past the end of the file)");
    EXPECT_EQ(error(zeroSize), "EMF picture is damaged (record too short)");
    EXPECT_EQ(error(noSignature), "EMF picture is damaged (not an Enhanced Metafile)");
    EXPECT_NE(error(huge).find("EMF picture has an unsupported size"), std::string::npos);
}
