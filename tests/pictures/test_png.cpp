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
