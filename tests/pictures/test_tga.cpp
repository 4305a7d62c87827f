// TGA files written here (header, colour map, raw pixels or RLE packets),
// decoded and compared pixel by pixel.
#include "core/errors.h"
#include "picture_test_support.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::test_support;

namespace {

struct Tga {
    int type = 2;
    int width = 2, height = 2, depth = 24;
    int descriptor = 0; // attribute bits, 0x10 right-to-left, 0x20 top row first
    int mapFirst = 0, mapBits = 24;
    std::vector<std::uint32_t> map; // 0xAARRGGBB
    File id;
    File pixels; // raw bytes or packets, in file order

    File encode() const {
        File f;
        f.push_back(static_cast<unsigned char>(id.size()));
        f.push_back(map.empty() ? 0 : 1);
        f.push_back(static_cast<unsigned char>(type));
        put16le(f, static_cast<unsigned>(mapFirst));
        put16le(f, static_cast<unsigned>(map.size()));
        f.push_back(map.empty() ? 0 : static_cast<unsigned char>(mapBits));
        put16le(f, 0);
        put16le(f, 0);
        put16le(f, static_cast<unsigned>(width));
        put16le(f, static_cast<unsigned>(height));
        f.push_back(static_cast<unsigned char>(depth));
        f.push_back(static_cast<unsigned char>(descriptor));
        f.insert(f.end(), id.begin(), id.end());
        for (std::uint32_t c : map)
            for (int k = 0; k < mapBits / 8; ++k)
                f.push_back((c >> (8 * k)) & 0xFF);
        f.insert(f.end(), pixels.begin(), pixels.end());
        return f;
    }
};

constexpr auto decode = decodeFile<decodeTga>;

// Blue, green, red in file order (bottom row first unless the descriptor
// says otherwise).
const File kBgr = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};

struct Good {
    const char* name;
    Tga tga;
    std::vector<std::uint32_t> expected; // top row first
    bool hasAlpha;
};

std::vector<Good> goodFiles() {
    std::vector<Good> cases;
    Tga t;
    t.pixels = kBgr;
    t.id = {'h', 'i'};
    cases.push_back({"24 bits bottom-left", t, {kRed, kWhite, kBlue, kGreen}, false});
    t.descriptor = 0x20;
    cases.push_back({"24 bits top-left", t, {kBlue, kGreen, kRed, kWhite}, false});
    t.descriptor = 0x30;
    cases.push_back({"24 bits top-right", t, {kGreen, kBlue, kWhite, kRed}, false});
    t = Tga{};
    t.depth = 32, t.width = 2, t.height = 1, t.descriptor = 0x28;
    t.pixels = {0x30, 0x20, 0x10, 0x40, 0, 0, 255, 255};
    cases.push_back({"32 bits with alpha", t, {0x40102030, kRed}, true});
    t.descriptor = 0x20; // no attribute bits: the fourth byte means nothing
    cases.push_back({"32 bits without alpha", t, {0xFF102030, kRed}, false});
    t.descriptor = 0x28, t.pixels = {0x30, 0x20, 0x10, 0, 0, 0, 255, 0};
    cases.push_back({"32 bits, alpha all zero", t, {0xFF102030, kRed}, false});
    t = Tga{};
    t.depth = 16, t.width = 2, t.height = 1, t.descriptor = 0x21;
    t.pixels = {0x00, 0x7C, 0xE0, 0x83}; // red with alpha bit clear, green with it set
    cases.push_back({"16 bits with alpha bit", t, {0x00FF0000, kGreen}, true});
    t.depth = 15, t.descriptor = 0x20;
    cases.push_back({"15 bits", t, {kRed, kGreen}, false});
    t = Tga{};
    t.type = 3, t.depth = 8, t.width = 3, t.height = 1;
    t.pixels = {0, 0x80, 255};
    cases.push_back({"grey", t, {kBlack, 0xFF808080, kWhite}, false});
    // Indices 5 to 7 are mapped; 4 and 9 lie outside the map and show black.
    t = Tga{};
    t.type = 1, t.depth = 8, t.width = 4, t.height = 1, t.mapFirst = 5;
    t.map = {kRed, kGreen, kBlue};
    t.pixels = {5, 7, 4, 9};
    cases.push_back({"colour-mapped", t, {kRed, kBlue, kBlack, kBlack}, false});
    // RLE: a run of three crossing into the top row, then a raw packet of one.
    t = Tga{};
    t.type = 10, t.descriptor = 0x20;
    t.pixels = {0x82, 0, 0, 255, 0x00, 255, 255, 255};
    cases.push_back({"RLE across rows", t, {kRed, kRed, kRed, kWhite}, false});
    // A run that goes on past the last pixel is cut there.
    t.pixels = {0x81, 0, 255, 0, 0x85, 255, 0, 0};
    cases.push_back({"RLE run past the end", t, {kGreen, kGreen, kBlue, kBlue}, false});
    t = Tga{};
    t.type = 9, t.depth = 8, t.width = 3, t.height = 1, t.map = {kRed, kGreen};
    t.pixels = {0x01, 1, 0, 0x80, 1};
    cases.push_back({"RLE colour-mapped", t, {kGreen, kRed, kGreen}, false});
    t = Tga{};
    t.type = 11, t.depth = 8, t.width = 2, t.height = 1;
    t.pixels = {0x81, 0x40};
    cases.push_back({"RLE grey", t, {0xFF404040, 0xFF404040}, false});
    return cases;
}

TEST(TgaDecoder, ReadsEveryLayout) {
    for (const Good& c : goodFiles()) {
        SCOPED_TRACE(c.name);
        seed(c.name, ".tga", c.tga.encode());
        const Picture pic = decode(c.tga.encode());
        EXPECT_EQ(pic.width, c.tga.width);
        EXPECT_EQ(pic.height, c.tga.height);
        EXPECT_EQ(pic.pixels, c.expected);
        EXPECT_EQ(pic.hasAlpha, c.hasAlpha);
    }
}

struct Bad {
    const char* name;
    Tga tga;
    const char* message;
};

TEST(TgaDecoder, RefusesDamagedFiles) {
    std::vector<Bad> cases;
    Tga t;
    t.pixels = File(kBgr.begin(), kBgr.end() - 1);
    cases.push_back({"raw pixels cut short", t, "TGA picture is damaged (truncated pixel data)"});
    t = Tga{};
    t.type = 10, t.width = 4, t.height = 4;
    t.pixels = {0x83, 0, 0, 0, 0x03, 1, 2, 3};
    cases.push_back({"raw packet cut short", t, "TGA picture is damaged (truncated file)"});
    t = Tga{};
    t.type = 10, t.width = 20000, t.height = 1;
    t.pixels = File(700, 0xFF);
    cases.push_back({"too wide", t, "TGA picture has an unsupported size (20000 x 1)"});
    t = Tga{};
    t.width = 0;
    cases.push_back({"no width", t, "unsupported size"});
    t = Tga{};
    t.type = 4;
    cases.push_back({"unknown type", t, "not a TGA file"});
    t = Tga{};
    t.type = 1, t.depth = 8;
    cases.push_back({"colour-mapped without a map", t, "not a TGA file"});
    t = Tga{};
    t.depth = 20;
    cases.push_back({"odd depth", t, "TGA picture uses an unsupported pixel depth (20)"});
    t = Tga{};
    t.type = 1, t.depth = 8, t.map = {kRed}, t.mapBits = 8;
    cases.push_back({"odd map entries", t, "unsupported colour map entry size (8)"});
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.name);
        expectRefused<decodeTga>(c.tga.encode(), c.message);
    }
    EXPECT_THROW(decode(File(10, 0)), PictureError);
}

} // namespace
