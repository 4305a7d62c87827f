// Icons written here: a directory with DIB images (colour bits and AND
// mask) or PNG images, decoded and compared pixel by pixel.
#include "picture_test_support.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::test_support;

namespace {

// A DIB icon image: 4 bits (palette of four) or 32 bits, bottom row first,
// then the AND mask. `colours` are palette indices or 0xAARRGGBB words,
// `mask` one 0/1 a pixel, both top row first.
File dibImage(int w, int h, int bits, const std::vector<std::uint32_t>& colours,
              const std::vector<int>& mask) {
    File f;
    put32le(f, 40);
    put32le(f, static_cast<std::uint32_t>(w));
    put32le(f, static_cast<std::uint32_t>(2 * h));
    put16le(f, 1);
    put16le(f, static_cast<unsigned>(bits));
    for (int i = 0; i < 6; ++i)
        put32le(f, 0);
    if (bits == 4) {
        for (std::uint32_t c : {0x000000u, 0xFF0000u, 0x00FF00u, 0x0000FFu}) {
            put32le(f, c); // RGBQUAD: blue, green, red, 0
        }
        for (int i = 4; i < 16; ++i)
            put32le(f, 0);
    }
    const int stride = (w * bits + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {
        File row(static_cast<std::size_t>(stride), 0);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = colours[static_cast<std::size_t>(y * w + x)];
            if (bits == 4)
                row[static_cast<std::size_t>(x / 2)] |= c << (x % 2 ? 0 : 4);
            else
                for (int k = 0; k < 4; ++k)
                    row[static_cast<std::size_t>(4 * x + k)] = (c >> (8 * k)) & 0xFF;
        }
        f.insert(f.end(), row.begin(), row.end());
    }
    const int maskStride = (w + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {
        File row(static_cast<std::size_t>(maskStride), 0);
        for (int x = 0; x < w; ++x)
            if (mask[static_cast<std::size_t>(y * w + x)])
                row[static_cast<std::size_t>(x / 8)] |= 0x80 >> (x % 8);
        f.insert(f.end(), row.begin(), row.end());
    }
    return f;
}

// A true-colour PNG with alpha, stored with zlib at its default level.
File pngImage(int w, int h, std::uint32_t argb) {
    File raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0); // filter: none
        for (int x = 0; x < w; ++x)
            for (int s : {16, 8, 0, 24})
                raw.push_back((argb >> s) & 0xFF);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    File packed(packedSize);
    compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(packedSize);

    File f = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&f](const char* type, const File& body) {
        put32be(f, static_cast<std::uint32_t>(body.size()));
        const std::size_t start = f.size();
        f.insert(f.end(), type, type + 4);
        f.insert(f.end(), body.begin(), body.end());
        put32be(f, static_cast<std::uint32_t>(
                       crc32(0, f.data() + start, static_cast<uInt>(f.size() - start))));
    };
    File ihdr;
    put32be(ihdr, static_cast<std::uint32_t>(w));
    put32be(ihdr, static_cast<std::uint32_t>(h));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    chunk("IHDR", ihdr);
    chunk("IDAT", packed);
    chunk("IEND", {});
    return f;
}

struct Entry {
    int w, h, bits;
    File image;
};

File icon(const std::vector<Entry>& entries) {
    File f;
    put16le(f, 0);
    put16le(f, 1);
    put16le(f, static_cast<unsigned>(entries.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (const Entry& e : entries) {
        f.push_back(static_cast<unsigned char>(e.w));
        f.push_back(static_cast<unsigned char>(e.h));
        f.push_back(0);
        f.push_back(0);
        put16le(f, 1);
        put16le(f, static_cast<unsigned>(e.bits));
        put32le(f, static_cast<std::uint32_t>(e.image.size()));
        put32le(f, offset);
        offset += static_cast<std::uint32_t>(e.image.size());
    }
    for (const Entry& e : entries)
        f.insert(f.end(), e.image.begin(), e.image.end());
    return f;
}

constexpr auto decode = decodeFile<decodeIco>;

TEST(IcoDecoder, MaskMakesPixelsTransparent) {
    const File f = icon({{2, 2, 4, dibImage(2, 2, 4, {1, 2, 3, 1}, {0, 1, 0, 0})}});
    seed("mask4.ico", f);
    const Picture pic = decode(f);
    EXPECT_EQ(pic.pixels, (std::vector<std::uint32_t>{kRed, 0, kBlue, kRed}));
    EXPECT_TRUE(pic.hasAlpha);
}

TEST(IcoDecoder, OpaqueWhenTheMaskIsEmptyOrMissing) {
    File image = dibImage(2, 2, 4, {1, 2, 3, 1}, {0, 0, 0, 0});
    EXPECT_FALSE(decode(icon({{2, 2, 4, image}})).hasAlpha);
    image.resize(image.size() - 8); // cut off the AND mask
    const Picture pic = decode(icon({{2, 2, 4, image}}));
    EXPECT_EQ(pic.pixels, (std::vector<std::uint32_t>{kRed, kGreen, kBlue, kRed}));
    EXPECT_FALSE(pic.hasAlpha);
}

struct AlphaCase {
    const char* name;
    std::vector<std::uint32_t> colours;
    std::vector<int> mask;
    std::vector<std::uint32_t> expected;
    bool hasAlpha;
};

TEST(IcoDecoder, ThirtyTwoBitAlphaOrMask) {
    const std::vector<AlphaCase> cases = {
        {"alpha wins over the mask", {0x80FF0000, kGreen}, {0, 1}, {0x80FF0000, kGreen}, true},
        {"zero alpha falls back to the mask", {0x00FF0000, 0x0000FF00}, {0, 1}, {kRed, 0}, true},
        {"opaque", {kRed, kGreen}, {0, 0}, {kRed, kGreen}, false},
    };
    for (const AlphaCase& c : cases) {
        SCOPED_TRACE(c.name);
        const File f = icon({{2, 1, 32, dibImage(2, 1, 32, c.colours, c.mask)}});
        const Picture pic = decode(f);
        EXPECT_EQ(pic.pixels, c.expected);
        EXPECT_EQ(pic.hasAlpha, c.hasAlpha);
    }
}

TEST(IcoDecoder, ChoosesLargestThenDeepest) {
    const File small = dibImage(1, 1, 32, {kBlue}, {0});
    const File large4 = dibImage(2, 2, 4, {1, 1, 1, 1}, {0, 0, 0, 0});
    const File large32 = dibImage(2, 2, 32, {kGreen, kGreen, kGreen, kGreen}, {0, 0, 0, 0});
    const File f =
        icon({{1, 1, 32, small}, {2, 2, 4, large4}, {2, 2, 32, large32}, {1, 1, 32, small}});
    seed("three-sizes.ico", f);
    const Picture pic = decode(f);
    EXPECT_EQ(pic.width, 2);
    EXPECT_EQ(pic.height, 2);
    EXPECT_EQ(pic.pixels[0], kGreen);
    // The directory's sizes are not trusted: the image header says 2 x 2.
    EXPECT_EQ(decode(icon({{16, 16, 32, small}, {0, 0, 4, large4}})).width, 2);
}

TEST(IcoDecoder, PngImage) {
    const File f = icon(
        {{1, 1, 32, dibImage(1, 1, 32, {kBlue}, {0})}, {3, 2, 32, pngImage(3, 2, 0x80102030)}});
    seed("png.ico", f);
    const Picture pic = decode(f);
    EXPECT_EQ(pic.width, 3);
    EXPECT_EQ(pic.height, 2);
    EXPECT_EQ(pic.pixels[5], 0x80102030u);
    EXPECT_TRUE(pic.hasAlpha);
}

TEST(IcoDecoder, RefusesDamagedFiles) {
    File outside = icon({{2, 2, 4, dibImage(2, 2, 4, {1, 2, 3, 1}, {0, 0, 0, 0})}});
    outside[18] = 0xFF; // offset far past the end
    File cut = dibImage(2, 2, 32, {1, 2, 3, 1}, {0, 0, 0, 0});
    cut.resize(40 + 6);
    const File truncatedColours = icon({{2, 2, 32, cut}});
    File hugeImage = dibImage(2, 2, 4, {1, 2, 3, 1}, {0, 0, 0, 0});
    hugeImage[4] = 0, hugeImage[5] = 0, hugeImage[6] = 1; // width 65536
    const std::vector<Refused> cases = {
        {"no images", File{0, 0, 1, 0, 0, 0}, "ICO picture is damaged (no images)"},
        {"not an icon", File{0, 0, 7, 0, 1, 0}, "not an icon file"},
        {"directory cut short", File{0, 0, 1, 0, 2, 0, 1, 1}, "truncated file"},
        {"image outside the file", outside, "no readable image"},
        {"colour bits cut short", truncatedColours,
         "ICO picture is damaged (truncated pixel data)"},
        {"image too wide", icon({{0, 0, 4, hugeImage}}), "no readable image"},
    };
    expectRefused<decodeIco>(cases);
}

} // namespace
