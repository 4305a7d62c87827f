// BMP files written here byte by byte, decoded and compared pixel by pixel.
#include "picture_test_support.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::test_support;

namespace {

struct Bmp {
    std::uint32_t headerSize = 40;
    std::int32_t width = 2;
    std::int32_t height = 2; // negative: top row first
    int bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint32_t> palette; // 0xRRGGBB
    std::uint32_t masks[4] = {};        // written inside V4/V5 headers or after a 40-byte one
    bool fileHeader = true;
    File pixels; // already in file order with padding

    File encode() const {
        File f;
        const bool core = headerSize == 12;
        const std::uint32_t entry = core ? 3 : 4;
        const std::uint32_t extraMasks = headerSize == 40 && compression == 3 ? 12 : 0;
        const std::uint32_t offBits = (fileHeader ? 14 : 0) + headerSize + extraMasks +
                                      static_cast<std::uint32_t>(palette.size()) * entry;
        if (fileHeader) {
            f.push_back('B');
            f.push_back('M');
            put32le(f, offBits + static_cast<std::uint32_t>(pixels.size()));
            put32le(f, 0);
            put32le(f, offBits);
        }
        put32le(f, headerSize);
        if (core) {
            put16le(f, static_cast<unsigned>(width));
            put16le(f, static_cast<unsigned>(height));
            put16le(f, 1);
            put16le(f, static_cast<unsigned>(bits));
        } else {
            const std::size_t start = f.size() - 4;
            put32le(f, static_cast<std::uint32_t>(width));
            put32le(f, static_cast<std::uint32_t>(height));
            put16le(f, 1);
            put16le(f, static_cast<unsigned>(bits));
            put32le(f, compression);
            put32le(f, static_cast<std::uint32_t>(pixels.size()));
            put32le(f, 2835);
            put32le(f, 2835);
            put32le(f, colorsUsed);
            put32le(f, 0);
            if (headerSize >= 56)
                for (std::uint32_t m : masks)
                    put32le(f, m);
            f.resize(start + headerSize, 0);
            if (extraMasks)
                for (int i = 0; i < 3; ++i)
                    put32le(f, masks[i]);
        }
        for (std::uint32_t c : palette) {
            f.push_back(c & 0xFF);
            f.push_back((c >> 8) & 0xFF);
            f.push_back((c >> 16) & 0xFF);
            if (!core)
                f.push_back(0);
        }
        f.insert(f.end(), pixels.begin(), pixels.end());
        return f;
    }
};

constexpr auto decode = decodeFile<decodeBmp>;

struct Good {
    const char* name;
    Bmp bmp;
    int width, height;
    std::vector<std::uint32_t> expected; // top row first
    bool hasAlpha;
};

std::vector<Good> goodFiles() {
    std::vector<Good> cases;
    Bmp b;
    // 1 bit: rows padded to 4 bytes, bottom row first.
    b = Bmp{};
    b.bits = 1, b.width = 3, b.palette = {0x000000, 0xFFFFFF};
    b.pixels = {0b01000000, 0, 0, 0, 0b10100000, 0, 0, 0};
    cases.push_back({"mono", b, 3, 2, {kWhite, kBlack, kWhite, kBlack, kWhite, kBlack}, false});
    b = Bmp{};
    b.bits = 4, b.width = 3, b.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    b.pixels = {0x12, 0x30, 0, 0, 0x32, 0x10, 0, 0};
    cases.push_back({"4 bits", b, 3, 2, {kBlue, kGreen, kRed, kRed, kGreen, kBlue}, false});
    // Index 7 lies past a two-colour palette and shows black.
    b = Bmp{};
    b.bits = 8, b.colorsUsed = 2, b.palette = {0xFF0000, 0x00FF00};
    b.pixels = {1, 0, 0, 0, 7, 1, 0, 0};
    cases.push_back({"8 bits, index past palette", b, 2, 2, {kBlack, kGreen, kGreen, kRed}, false});
    b = Bmp{};
    b.bits = 16;
    b.pixels = {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F}; // 5-5-5
    cases.push_back({"16 bits 555", b, 2, 2, {kBlue, kWhite, kRed, kGreen}, false});
    b = Bmp{};
    b.bits = 16, b.compression = 3, b.masks[0] = 0xF800, b.masks[1] = 0x07E0, b.masks[2] = 0x001F;
    b.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x10, 0x84}; // 5-6-5; 0x8410 is mid grey
    cases.push_back({"16 bits 565", b, 2, 2, {kBlue, 0xFF848284, kRed, kGreen}, false});
    b = Bmp{};
    b.width = 1, b.height = -2;
    b.pixels = {0, 0, 255, 0, 255, 0, 0, 0};
    cases.push_back({"24 bits top-down", b, 1, 2, {kRed, kBlue}, false});
    // GDI ignores the fourth byte of a plain 32-bit bitmap.
    b = Bmp{};
    b.bits = 32, b.width = 1, b.height = 1;
    b.pixels = {0x30, 0x20, 0x10, 0x40};
    cases.push_back({"32 bits plain", b, 1, 1, {0xFF102030}, false});
    b = Bmp{};
    b.headerSize = 124, b.bits = 32, b.compression = 3, b.width = 2, b.height = 1;
    b.masks[0] = 0xFF0000, b.masks[1] = 0xFF00, b.masks[2] = 0xFF, b.masks[3] = 0xFF000000;
    b.pixels = {0x30, 0x20, 0x10, 0x40, 0, 0, 0xFF, 0xFF};
    cases.push_back({"32 bits V5 alpha", b, 2, 1, {0x40102030, kRed}, true});
    b.pixels = {0x30, 0x20, 0x10, 0x00, 0, 0, 0xFF, 0x00};
    cases.push_back({"32 bits V5 alpha all zero", b, 2, 1, {0xFF102030, kRed}, false});
    // Unusual masks: blue in the top byte, red in the low one.
    b = Bmp{};
    b.headerSize = 108, b.bits = 32, b.compression = 3, b.width = 1, b.height = 1;
    b.masks[0] = 0xFF, b.masks[1] = 0xFF00, b.masks[2] = 0xFF000000;
    b.pixels = {0x11, 0x22, 0x33, 0x44};
    cases.push_back({"32 bits V4 masks", b, 1, 1, {0xFF112244}, false});
    b = Bmp{};
    b.headerSize = 12, b.bits = 8, b.palette = {0x102030, 0x405060};
    b.pixels = {0, 1, 0, 0, 1, 0, 0, 0};
    cases.push_back(
        {"OS/2 core header", b, 2, 2, {0xFF405060, 0xFF102030, 0xFF102030, 0xFF405060}, false});
    b = Bmp{};
    b.fileHeader = false, b.bits = 8, b.colorsUsed = 2, b.palette = {0xFF0000, 0x0000FF};
    b.pixels = {0, 1, 0, 0, 1, 1, 0, 0};
    cases.push_back({"packed DIB", b, 2, 2, {kBlue, kBlue, kRed, kBlue}, false});
    return cases;
}

TEST(BmpDecoder, ReadsEveryLayout) {
    for (const Good& c : goodFiles()) {
        SCOPED_TRACE(c.name);
        seed(c.name, c.bmp.fileHeader ? ".bmp" : ".dib", c.bmp.encode());
        const Picture pic = decode(c.bmp.encode());
        EXPECT_EQ(pic.width, c.width);
        EXPECT_EQ(pic.height, c.height);
        EXPECT_EQ(pic.pixels, c.expected);
        EXPECT_EQ(pic.hasAlpha, c.hasAlpha);
    }
}

Bmp rle8(File stream, int width = 4, int height = 3) {
    Bmp b;
    b.bits = 8, b.compression = 1, b.width = width, b.height = height;
    b.palette = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF};
    b.pixels = std::move(stream);
    return b;
}

constexpr std::uint32_t kNone = 0xFF102030; // palette colour 0: a pixel that no code painted

struct RleCase {
    const char* name;
    Bmp bmp;
    std::vector<std::uint32_t> expected;
};

TEST(BmpDecoder, RunLengthEncoded) {
    const std::vector<RleCase> cases = {
        {"runs and absolute mode with padding",
         rle8({2, 1, 2, 2, 0, 0, 0, 3, 3, 2, 1, 0, 1, 3, 0, 0, 4, 1, 0, 1}),
         {kRed, kRed, kRed, kRed, kBlue, kGreen, kRed, kBlue, kRed, kRed, kGreen, kGreen}},
        // Delta (+1, +1) from the bottom row's start, then end of bitmap.
        {"delta and early end",
         rle8({1, 1, 0, 2, 1, 1, 1, 2, 0, 1}),
         {kNone, kNone, kNone, kNone, kNone, kNone, kGreen, kNone, kRed, kNone, kNone, kNone}},
        {"run past the row end is cut",
         rle8({200, 3, 0, 0, 4, 1, 0, 0, 4, 2, 0, 1}),
         {kGreen, kGreen, kGreen, kGreen, kRed, kRed, kRed, kRed, kBlue, kBlue, kBlue, kBlue}},
        {"delta past the last row ends the picture",
         rle8({4, 1, 0, 2, 0, 200, 4, 2}),
         {kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kRed, kRed, kRed, kRed}},
        {"stream ending without end-of-bitmap", rle8({4, 1}, 4, 1), {kRed, kRed, kRed, kRed}},
    };
    for (const RleCase& c : cases) {
        SCOPED_TRACE(c.name);
        seed(c.name, ".rle", c.bmp.encode());
        const Picture pic = decode(c.bmp.encode());
        EXPECT_EQ(pic.pixels, c.expected);
        EXPECT_FALSE(pic.hasAlpha);
    }
}

TEST(BmpDecoder, RunLengthEncodedFourBits) {
    Bmp b;
    b.bits = 4, b.compression = 2, b.width = 5, b.height = 2;
    b.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    // Bottom row: a run alternating red and green. Top: 3 pixels absolute, 2-pixel run.
    b.pixels = {5, 0x12, 0, 0, 0, 3, 0x31, 0x20, 2, 0x33, 0, 1};
    const Picture pic = decode(b.encode());
    EXPECT_EQ(pic.pixels, (std::vector<std::uint32_t>{kBlue, kRed, kGreen, kBlue, kBlue, kRed,
                                                      kGreen, kRed, kGreen, kRed}));
    EXPECT_FALSE(pic.hasAlpha);
}

TEST(BmpDecoder, RefusesDamagedFiles) {
    Bmp plain;
    plain.pixels = File(16, 0);
    File truncated = plain.encode();
    truncated.resize(truncated.size() - 6);
    // Run-length data cannot be measured against the file beforehand.
    Bmp huge = rle8({0, 1}, 100000, 1);
    // Sides whose byte count would overflow 64 bits if multiplied first.
    Bmp vast = plain;
    vast.width = 0x7FFFFFFF, vast.height = 0x7FFFFFFF, vast.bits = 32;
    Bmp zero = plain;
    zero.width = 0;
    Bmp odd = plain;
    odd.bits = 7;
    Bmp rleBits = rle8({4, 1, 0, 1});
    rleBits.bits = 4;
    File shortAbsolute = rle8({0, 8, 1, 2}).encode();
    File badHeader = plain.encode();
    badHeader[14] = 8; // header size
    const std::vector<Refused> cases = {
        {"truncated pixels", truncated, "BMP picture is damaged (truncated pixel data)"},
        {"huge", huge.encode(), "BMP picture has an unsupported size (100000 x 1)"},
        {"vast", vast.encode(), "unsupported size (2147483647 x 2147483647)"},
        {"zero width", zero.encode(), "bad dimensions"},
        {"7 bits", odd.encode(), "BMP picture uses an unsupported bit depth (7)"},
        {"RLE8 with 4 bits", rleBits.encode(), "RLE8 needs 8 bits"},
        {"absolute run past the data", shortAbsolute, "truncated file"},
        {"unknown header size", badHeader, "unknown header size"},
        {"cut inside the header", File{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40, 0},
         "truncated file"},
        {"not a bitmap", File{'G', 'I', 'F', '8', '9', 'a'}, "not a BMP file"},
        {"empty", File{}, "not a BMP file"},
    };
    expectRefused<decodeBmp>(cases);
}

} // namespace
