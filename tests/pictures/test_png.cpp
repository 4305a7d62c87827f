#include "picture_test_support.h"
#include "pictures/encoders.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <string>
#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::encoders;
using namespace taleplay::pictures::test_support;

namespace {

constexpr auto decode = decodeFile<decodePng>;

struct Probe {
    int x, y;
    std::uint32_t argb;
};

struct PngCase {
    const char* name;
    PngSpec spec;
    std::vector<unsigned char> samples;
    bool hasAlpha;
    std::vector<Probe> probes;
};

// Each colour type and depth libpng is asked to turn into BGRA.
std::vector<PngCase> pngCases() {
    std::vector<PngCase> cases;
    cases.push_back(
        {"rgb8",
         PngSpec{.width = 2, .height = 2},
         {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30},
         false,
         {{0, 0, 0xFFFF0000}, {1, 0, 0xFF00FF00}, {0, 1, 0xFF0000FF}, {1, 1, 0xFF0A141E}}});
    PngSpec palette{.width = 3, .height = 1, .colorType = PNG_COLOR_TYPE_PALETTE, .bitDepth = 2};
    palette.palette = {{1, 2, 3}, {200, 100, 50}, {7, 8, 9}};
    palette.trns = {0, 128}; // entry 2 has no alpha entry: opaque
    cases.push_back({"palette2 with tRNS",
                     palette,
                     {0b00011000},
                     true,
                     {{0, 0, 0x00010203}, {1, 0, 0x80C86432}, {2, 0, 0xFF070809}}});
    cases.push_back(
        {"grey16 keeps the high byte",
         PngSpec{.width = 2, .height = 1, .colorType = PNG_COLOR_TYPE_GRAY, .bitDepth = 16},
         {0xAB, 0xCD, 0x00, 0xFF},
         false,
         {{0, 0, 0xFFABABAB}, {1, 0, 0xFF000000}}});
    cases.push_back(
        {"grey1",
         PngSpec{.width = 9, .height = 1, .colorType = PNG_COLOR_TYPE_GRAY, .bitDepth = 1},
         {0b10000000, 0b10000000},
         false,
         {{0, 0, 0xFFFFFFFF}, {1, 0, 0xFF000000}, {8, 0, 0xFFFFFFFF}}});
    PngSpec greyKey{.width = 2, .height = 1, .colorType = PNG_COLOR_TYPE_GRAY, .bitDepth = 4};
    greyKey.trnsKey = {15};
    cases.push_back(
        {"grey4 with tRNS key", greyKey, {0x5F}, true, {{0, 0, 0xFF555555}, {1, 0, 0x00FFFFFF}}});
    PngSpec palInterlaced{
        .width = 9, .height = 9, .colorType = PNG_COLOR_TYPE_PALETTE, .interlaced = true};
    palInterlaced.palette = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4},
                             {5, 5, 5}, {6, 6, 6}, {7, 7, 7}, {8, 8, 8}};
    std::vector<unsigned char> diagonal(81);
    for (int i = 0; i < 81; ++i)
        diagonal[i] = static_cast<unsigned char>((i % 9 + i / 9) % 9);
    cases.push_back(
        {"palette interlaced",
         palInterlaced,
         diagonal,
         false,
         {{0, 0, 0xFF000000}, {3, 4, 0xFF070707}, {8, 8, 0xFF070707}, {5, 1, 0xFF060606}}});
    PngSpec rgbKey{.width = 2, .height = 1};
    rgbKey.trnsKey = {10, 20, 30};
    cases.push_back({"rgb with tRNS key",
                     rgbKey,
                     {10, 20, 30, 10, 20, 31},
                     true,
                     {{0, 0, 0x000A141E}, {1, 0, 0xFF0A141F}}});
    // Interlaced: every pass must land in its own pixels.
    std::vector<unsigned char> ga(9 * 9 * 2);
    for (int i = 0; i < 81; ++i)
        ga[i * 2] = static_cast<unsigned char>(i),
               ga[i * 2 + 1] = static_cast<unsigned char>(255 - i);
    cases.push_back(
        {"grey+alpha interlaced",
         PngSpec{
             .width = 9, .height = 9, .colorType = PNG_COLOR_TYPE_GRAY_ALPHA, .interlaced = true},
         ga,
         true,
         {{0, 0, 0xFF000000}, {1, 0, 0xFE010101}, {4, 3, 0xE01F1F1F}, {8, 8, 0xAF505050}}});
    std::vector<unsigned char> rgba16(3 * 3 * 8, 0);
    for (int i = 0; i < 9; ++i) {
        rgba16[i * 8 + 0] = static_cast<unsigned char>(i * 20); // red high byte
        rgba16[i * 8 + 6] = 0xFF;                               // alpha high byte
    }
    cases.push_back({"rgba16 interlaced",
                     PngSpec{.width = 3,
                             .height = 3,
                             .colorType = PNG_COLOR_TYPE_RGBA,
                             .bitDepth = 16,
                             .interlaced = true},
                     rgba16,
                     true,
                     {{0, 0, 0xFF000000}, {2, 2, 0xFFA00000}, {1, 1, 0xFF500000}}});
    return cases;
}

// Patches a chunk's bytes at `offset` and recomputes that chunk's CRC, so the
// file stays well formed apart from the patched value.
void patchChunk(File& f, std::size_t chunkStart, std::size_t offset, std::uint32_t value) {
    set32be(f, offset, value);
    std::uint32_t length = (std::uint32_t(f[chunkStart]) << 24) | (f[chunkStart + 1] << 16) |
                           (f[chunkStart + 2] << 8) | f[chunkStart + 3];
    uLong crc = crc32(0, f.data() + chunkStart + 4, uInt(length + 4));
    set32be(f, chunkStart + 8 + length, static_cast<std::uint32_t>(crc));
}

File withSize(std::uint32_t w, std::uint32_t h) {
    File f = writePng(PngSpec{.width = 1, .height = 1}, {1, 2, 3});
    patchChunk(f, 8, 16, w); // IHDR starts after the signature; width, then height
    patchChunk(f, 8, 20, h);
    return f;
}

} // namespace

TEST(Png, DecodesEveryColourType) {
    for (const PngCase& c : pngCases()) {
        SCOPED_TRACE(c.name);
        Picture pic = decode(writePng(c.spec, c.samples));
        EXPECT_EQ(pic.width, c.spec.width);
        EXPECT_EQ(pic.height, c.spec.height);
        EXPECT_EQ(pic.hasAlpha, c.hasAlpha);
        for (const Probe& p : c.probes)
            EXPECT_EQ(pic.pixels[std::size_t(p.y) * pic.width + p.x], p.argb)
                << "at " << p.x << "," << p.y;
    }
}

TEST(Png, DamagedFilesFailWithLibpngsMessage) {
    File good = writePng(PngSpec{.width = 40, .height = 30}, std::vector<unsigned char>(3600, 7));
    File truncated(good.begin(), good.begin() + std::ptrdiff_t(good.size() / 2));
    File badCrc = good;
    badCrc[good.size() - 20] ^= 0xFF; // inside the image data
    struct Row {
        const char* name;
        File file;
        std::string expected;
    } rows[] = {
        {"empty", {}, "PNG picture is damaged (not a PNG file)"},
        {"not png", File{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0},
         "PNG picture is damaged (not a PNG file)"},
        {"truncated", truncated, "PNG picture is damaged (file is truncated)"},
        {"bad crc", badCrc, "PNG picture is damaged ("},
        {"width beyond 16384", withSize(16385, 1),
         "PNG picture is damaged (Invalid IHDR data: Image width exceeds user limit in IHDR)"},
        {"zero height", withSize(1, 0), "PNG picture is damaged ("},
        {"over 256 MiB of pixels", withSize(16384, 16384),
         "PNG picture has an unsupported size (16384 x 16384)"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(errorOf<decodePng>(r.file).substr(0, r.expected.size()), r.expected);
    }
}

TEST(Png, CutAfterTheLastRowStillShows) {
    File f = writePng(PngSpec{.width = 2, .height = 1}, {1, 2, 3, 4, 5, 6});
    f.resize(f.size() - 12); // drop IEND
    EXPECT_EQ(decode(f).pixels[1], 0xFF040506u);
}

// ---------------------------------------------------------------- image data inflated whole

namespace {

// A PNG made by hand, so a test chooses each row's filter, how the image
// data is cut into chunks and the window its zlib stream declares.
struct HandMadePng {
    int width = 0, height = 0, colorType = PNG_COLOR_TYPE_RGB, bitDepth = 8;
    std::vector<unsigned char> rows; // unfiltered, packed, rowBytes() each
    std::vector<unsigned char> plte, trns;
    int (*filterOf)(int y) = [](int y) { return y % 5; };
    int pieces = 1;                             // IDAT chunks; the first of several is empty
    int windowBits = 15;                        // as the zlib header declares it
    std::size_t keepInflated = std::size_t(-1); // bytes of the inflated rows compressed

    int channels() const {
        switch (colorType) {
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        case PNG_COLOR_TYPE_RGB:
            return 3;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return 4;
        default:
            return 1;
        }
    }
    std::size_t rowBytes() const { return (std::size_t(width) * channels() * bitDepth + 7) / 8; }
};

void putChunk(File& f, const char* type, const std::vector<unsigned char>& data) {
    put32be(f, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = f.size();
    f.insert(f.end(), type, type + 4);
    f.insert(f.end(), data.begin(), data.end());
    put32be(f, static_cast<std::uint32_t>(crc32(0, f.data() + start, uInt(data.size() + 4))));
}

unsigned char predictor(int filter, unsigned a, unsigned b, unsigned c) {
    switch (filter) {
    case 1:
        return static_cast<unsigned char>(a);
    case 2:
        return static_cast<unsigned char>(b);
    case 3:
        return static_cast<unsigned char>((a + b) / 2);
    case 4: {
        const int p = int(a + b) - int(c), pa = std::abs(p - int(a)), pb = std::abs(p - int(b)),
                  pc = std::abs(p - int(c));
        return static_cast<unsigned char>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
    }
    default:
        return 0;
    }
}

File buildPng(const HandMadePng& png) {
    const std::size_t rb = png.rowBytes();
    const std::size_t bpp = std::max(1, png.channels() * png.bitDepth / 8);
    std::vector<unsigned char> filtered;
    for (int y = 0; y < png.height; ++y) {
        const int filter = png.filterOf(y);
        filtered.push_back(static_cast<unsigned char>(filter));
        const unsigned char* row = png.rows.data() + std::size_t(y) * rb;
        const unsigned char* prior = y > 0 ? row - rb : nullptr;
        for (std::size_t i = 0; i < rb; ++i) {
            const unsigned a = i >= bpp ? row[i - bpp] : 0, b = prior ? prior[i] : 0,
                           c = prior && i >= bpp ? prior[i - bpp] : 0;
            filtered.push_back(static_cast<unsigned char>(row[i] - predictor(filter, a, b, c)));
        }
    }
    filtered.resize(std::min(filtered.size(), png.keepInflated));
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, png.windowBits, 8, Z_DEFAULT_STRATEGY);
    std::vector<unsigned char> stream(deflateBound(&z, uLong(filtered.size())));
    z.next_in = filtered.data();
    z.avail_in = uInt(filtered.size());
    z.next_out = stream.data();
    z.avail_out = uInt(stream.size());
    deflate(&z, Z_FINISH);
    stream.resize(z.total_out);
    deflateEnd(&z);

    File f = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    File ihdr;
    put32be(ihdr, std::uint32_t(png.width));
    put32be(ihdr, std::uint32_t(png.height));
    ihdr.insert(ihdr.end(), {static_cast<unsigned char>(png.bitDepth),
                             static_cast<unsigned char>(png.colorType), 0, 0, 0});
    putChunk(f, "IHDR", ihdr);
    if (!png.plte.empty())
        putChunk(f, "PLTE", png.plte);
    if (!png.trns.empty())
        putChunk(f, "tRNS", png.trns);
    if (png.pieces > 1)
        putChunk(f, "IDAT", {});
    const int cuts = std::max(1, png.pieces - 1);
    for (int i = 0; i < cuts; ++i) {
        const std::size_t from = stream.size() * std::size_t(i) / std::size_t(cuts),
                          to = stream.size() * std::size_t(i + 1) / std::size_t(cuts);
        putChunk(f, "IDAT",
                 {stream.begin() + std::ptrdiff_t(from), stream.begin() + std::ptrdiff_t(to)});
    }
    putChunk(f, "IEND", {});
    return f;
}

// Samples that change from pixel to pixel and row to row, so every
// predictor sees differences in every byte.
HandMadePng noisy(int colorType, int bitDepth, int width, int height) {
    HandMadePng png;
    png.width = width;
    png.height = height;
    png.colorType = colorType;
    png.bitDepth = bitDepth;
    png.rows.resize(png.rowBytes() * std::size_t(height));
    unsigned v = 12345;
    for (unsigned char& b : png.rows) {
        v = v * 1103515245u + 12345u;
        b = static_cast<unsigned char>(v >> 16);
    }
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        for (int i = 0; i < (1 << bitDepth); ++i)
            png.plte.insert(png.plte.end(),
                            {static_cast<unsigned char>(i * 7), static_cast<unsigned char>(255 - i),
                             static_cast<unsigned char>(i * 3)});
    return png;
}

struct InflateMode {
    explicit InflateMode(PngInflate how) { setPngInflate(how); }
    ~InflateMode() { setPngInflate(PngInflate::WholeStream); }
};

// What libpng alone makes of the file: the picture or the error.
std::string rowByRow(const File& f, Picture& pic) {
    InflateMode mode(PngInflate::RowByRow);
    try {
        pic = decode(f);
    } catch (const PictureError& e) {
        return e.what();
    }
    return {};
}

void expectSameAsLibpng(const File& f, PngInflate how = PngInflate::WholeStreamOnly) {
    Picture expected;
    const std::string libpngError = rowByRow(f, expected);
    InflateMode mode(how);
    Picture pic;
    std::string error;
    try {
        pic = decode(f);
    } catch (const PictureError& e) {
        error = e.what();
    }
    EXPECT_EQ(error, libpngError);
    EXPECT_EQ(pic.width, expected.width);
    EXPECT_EQ(pic.height, expected.height);
    EXPECT_EQ(pic.hasAlpha, expected.hasAlpha);
    EXPECT_TRUE(pic.pixels ==
                std::vector<std::uint32_t>(expected.pixels.begin(), expected.pixels.end()));
}

} // namespace

TEST(Png, ImageDataInflatedWholeGivesLibpngsPixelsForEveryFilterAndLayout) {
    struct Type {
        const char* name;
        int colorType, bitDepth;
    } types[] = {
        {"grey1", PNG_COLOR_TYPE_GRAY, 1},
        {"grey2", PNG_COLOR_TYPE_GRAY, 2},
        {"grey4", PNG_COLOR_TYPE_GRAY, 4},
        {"grey8", PNG_COLOR_TYPE_GRAY, 8},
        {"grey16", PNG_COLOR_TYPE_GRAY, 16},
        {"palette1", PNG_COLOR_TYPE_PALETTE, 1},
        {"palette4", PNG_COLOR_TYPE_PALETTE, 4},
        {"palette8", PNG_COLOR_TYPE_PALETTE, 8},
        {"grey+alpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8},
        {"grey+alpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16},
        {"rgb8", PNG_COLOR_TYPE_RGB, 8},
        {"rgb16", PNG_COLOR_TYPE_RGB, 16},
        {"rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8},
        {"rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16},
    };
    int (*filters[])(int) = {[](int) { return 0; }, [](int) { return 1; },
                             [](int) { return 2; }, [](int) { return 3; },
                             [](int) { return 4; }, [](int y) { return (y * 3 + 1) % 5; }};
    for (const Type& t : types)
        for (int width : {1, 2, 3, 17})
            for (int f = 0; f < 6; ++f) {
                SCOPED_TRACE(std::string(t.name) + " width " + std::to_string(width) + " filter " +
                             std::to_string(f));
                HandMadePng png = noisy(t.colorType, t.bitDepth, width, 6);
                png.filterOf = filters[f];
                expectSameAsLibpng(buildPng(png));
            }
}

TEST(Png, ImageDataInflatedWholeWhateverTheChunksAndWhatFollows) {
    for (int pieces : {2, 3, 9}) {
        SCOPED_TRACE(pieces);
        HandMadePng png = noisy(PNG_COLOR_TYPE_RGB_ALPHA, 8, 40, 30);
        png.pieces = pieces;
        expectSameAsLibpng(buildPng(png));
    }
    HandMadePng keyed = noisy(PNG_COLOR_TYPE_PALETTE, 2, 33, 5);
    keyed.trns = {0, 128};
    expectSameAsLibpng(buildPng(keyed));
    HandMadePng seedRgba = noisy(PNG_COLOR_TYPE_RGB_ALPHA, 8, 8, 6);
    seedRgba.pieces = 3;
    seed("rgba8_filters_three_idat.png", buildPng(seedRgba));
    seed("rgb8_filters.png", buildPng(noisy(PNG_COLOR_TYPE_RGB, 8, 7, 6)));
    seed("palette2_trns_filters.png", buildPng(keyed));

    File cut = buildPng(noisy(PNG_COLOR_TYPE_RGB, 8, 20, 20));
    cut.resize(cut.size() - 12); // no IEND
    expectSameAsLibpng(cut);
    File trailing = buildPng(noisy(PNG_COLOR_TYPE_RGB, 8, 20, 20));
    trailing.resize(trailing.size() - 12);
    trailing.insert(trailing.end(), {0, 0, 0, 5, 'j', 'u', 'N', 'k'}); // cut off mid-chunk
    expectSameAsLibpng(trailing);
}

TEST(Png, WhatIsNotInflatedWholeIsLeftToLibpng) {
    HandMadePng keyedRgb = noisy(PNG_COLOR_TYPE_RGB, 8, 9, 4);
    keyedRgb.trns = {0, 1, 0, 2, 0, 3};
    HandMadePng smallWindow = noisy(PNG_COLOR_TYPE_RGB, 8, 9, 4);
    smallWindow.windowBits = 9;
    // libpng does not check the Adler-32; the whole stream's reader does,
    // and leaves a file whose sum is wrong to libpng.
    File badAdler = buildPng(noisy(PNG_COLOR_TYPE_RGB, 8, 30, 30));
    const std::size_t idat = 8 + 25;
    const std::size_t adlerAt =
        idat + 8 + ((std::size_t(badAdler[idat + 2]) << 8) | badAdler[idat + 3]) - 4;
    const std::uint32_t adler = (std::uint32_t(badAdler[adlerAt]) << 24) |
                                (badAdler[adlerAt + 1] << 16) | (badAdler[adlerAt + 2] << 8) |
                                badAdler[adlerAt + 3];
    patchChunk(badAdler, idat, adlerAt, adler ^ 1);
    PngSpec interlaced{
        .width = 9, .height = 9, .colorType = PNG_COLOR_TYPE_RGB, .interlaced = true};
    struct Row {
        const char* name;
        File file;
    } rows[] = {
        {"rgb with a colour key", buildPng(keyedRgb)},
        {"a window smaller than 32 KiB", buildPng(smallWindow)},
        {"a wrong Adler-32", badAdler},
        {"interlaced", writePng(interlaced, std::vector<unsigned char>(243, 9))},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        {
            InflateMode mode(PngInflate::WholeStreamOnly);
            EXPECT_EQ(errorOf<decodePng>(r.file), "PNG picture is not inflated whole");
        }
        EXPECT_EQ(errorOf<decodePng>(r.file), "(no error)");
        expectSameAsLibpng(r.file, PngInflate::WholeStream);
    }
}

TEST(Png, DamagedImageDataFailsAsLibpngFailsIt) {
    HandMadePng badFilter = noisy(PNG_COLOR_TYPE_RGB, 8, 12, 8);
    badFilter.filterOf = [](int y) { return y == 3 ? 5 : 1; };
    HandMadePng shortStream = noisy(PNG_COLOR_TYPE_RGB_ALPHA, 8, 12, 8);
    shortStream.keepInflated = 3 * (12 * 4 + 1) + 7;
    File badCrc = buildPng(noisy(PNG_COLOR_TYPE_RGB, 8, 30, 30));
    badCrc[badCrc.size() - 30] ^= 0x40; // in the image data
    File truncated = buildPng(noisy(PNG_COLOR_TYPE_GRAY, 8, 64, 64));
    truncated.resize(truncated.size() / 2);
    struct Row {
        const char* name;
        File file;
    } rows[] = {
        {"filter type 5", buildPng(badFilter)},
        {"stream ends before the last row", buildPng(shortStream)},
        {"bad CRC in the image data", badCrc},
        {"cut off in the image data", truncated},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(errorOf<decodePng>(r.file).substr(0, 24), "PNG picture is damaged (");
        expectSameAsLibpng(r.file, PngInflate::WholeStream);
    }
}

TEST(Png, ImageDataInflatedWholeOnlyWithinTheDecodesMemory) {
    // 16-bit rows take more memory than the picture: they are inflated into
    // memory of their own, which the decode's limit must leave room for.
    const File file = buildPng(noisy(PNG_COLOR_TYPE_RGB, 16, 64, 64));
    Picture expected;
    ASSERT_EQ(rowByRow(file, expected), "");
    const std::int64_t pixelBytes = 64 * 64 * 4;
    const auto nearlyFull = [&](PngInflate how) {
        InflateMode mode(how);
        const DecodeScope scope;
        chargeWorkingMemory(kMaxDecodeBytes - pixelBytes - 1000, "test");
        return decode(file);
    };
    try {
        nearlyFull(PngInflate::WholeStreamOnly);
        ADD_FAILURE() << "inflated whole past the decode's memory";
    } catch (const PictureError& e) {
        EXPECT_STREQ(e.what(), "PNG picture is not inflated whole");
    }
    // libpng's rows fit where the whole stream did not.
    const Picture pic = nearlyFull(PngInflate::WholeStream);
    EXPECT_TRUE(pic.pixels ==
                std::vector<std::uint32_t>(expected.pixels.begin(), expected.pixels.end()));
    // With room to spare it is taken whole.
    expectSameAsLibpng(file);
}
