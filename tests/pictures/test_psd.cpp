// Photoshop files written here with only a merged image (no layers),
// decoded and compared pixel by pixel.
#include "picture_test_support.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::test_support;

namespace {

// PackBits: runs of equal bytes as repeat packets, the others as literals of one.
File packBits(const File& row) {
    File out;
    for (std::size_t i = 0; i < row.size();) {
        std::size_t n = 1;
        while (i + n < row.size() && row[i + n] == row[i] && n < 128)
            ++n;
        out.push_back(n > 1 ? static_cast<unsigned char>(257 - n) : 0);
        out.push_back(row[i]);
        i += n;
    }
    return out;
}

enum Mode { Bitmap = 0, Grey = 1, Indexed = 2, Rgb = 3, Cmyk = 4, Lab = 9 };

struct Psd {
    int mode = Rgb;
    int depth = 8;
    int width = 2;
    File colourData;
    std::vector<std::vector<File>> rows; // [channel][row, top first], bytes as stored
    bool rle = false;

    File encode() const {
        File f = {'8', 'B', 'P', 'S'};
        put16be(f, 1);
        f.resize(f.size() + 6, 0);
        put16be(f, static_cast<unsigned>(rows.size()));
        put32be(f, static_cast<std::uint32_t>(rows[0].size()));
        put32be(f, static_cast<std::uint32_t>(width));
        put16be(f, static_cast<unsigned>(depth));
        put16be(f, static_cast<unsigned>(mode));
        put32be(f, static_cast<std::uint32_t>(colourData.size()));
        f.insert(f.end(), colourData.begin(), colourData.end());
        put32be(f, 0); // image resources
        put32be(f, 0); // layers and masks
        put16be(f, rle ? 1 : 0);
        if (!rle) {
            for (const auto& channel : rows)
                for (const File& row : channel)
                    f.insert(f.end(), row.begin(), row.end());
            return f;
        }
        File packed;
        for (const auto& channel : rows)
            for (const File& row : channel) {
                const File p = packBits(row);
                put16be(f, static_cast<unsigned>(p.size()));
                packed.insert(packed.end(), p.begin(), p.end());
            }
        f.insert(f.end(), packed.begin(), packed.end());
        return f;
    }
};

constexpr auto decode = decodeFile<decodePsd>;

struct Good {
    const char* name;
    Psd psd;
    std::vector<std::uint32_t> expected; // top row first
    bool hasAlpha;
};

std::vector<Good> goodFiles() {
    std::vector<Good> cases;
    Psd p;
    p.rows = {{{255, 0}, {0, 255}}, {{0, 255}, {0, 255}}, {{0, 0}, {255, 255}}};
    cases.push_back({"rgb-raw.psd", p, {kRed, kGreen, kBlue, kWhite}, false});
    p.rle = true;
    cases.push_back({"rgb-rle.psd", p, {kRed, kGreen, kBlue, kWhite}, false});
    p.rows.push_back({{255, 0x80}, {0, 255}});
    cases.push_back({"rgba-rle.psd", p, {kRed, 0x8000FF00, 0x000000FF, kWhite}, true});
    p = Psd{};
    p.mode = Grey, p.depth = 16;
    p.rows = {{{0x80, 0x00, 0xFF, 0xFF}}};
    cases.push_back({"grey16.psd", p, {0xFF808080, kWhite}, false});
    p = Psd{};
    p.mode = Indexed, p.width = 3;
    p.colourData = File(768, 0);
    p.colourData[1] = 0xFF;       // index 1: red
    p.colourData[256 + 2] = 0xFF; // index 2: green
    p.rows = {{{1, 2, 0}}};
    cases.push_back({"indexed.psd", p, {kRed, kGreen, kBlack}, false});
    p = Psd{};
    p.mode = Bitmap, p.depth = 1, p.width = 10, p.rle = true;
    p.rows = {{{0b10100000, 0b01000000}}};
    cases.push_back(
        {"bitmap.psd",
         p,
         {kBlack, kWhite, kBlack, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kBlack},
         false});
    // Stored inverted: 255 is no ink. Cyan alone, then no ink, then full black.
    p = Psd{};
    p.mode = Cmyk, p.width = 3;
    p.rows = {{{0, 255, 255}}, {{255, 255, 255}}, {{255, 255, 255}}, {{255, 255, 0}}};
    cases.push_back({"cmyk.psd", p, {0xFF00FFFF, kWhite, kBlack}, false});
    return cases;
}

TEST(PsdDecoder, ReadsEveryMode) {
    for (const Good& c : goodFiles()) {
        SCOPED_TRACE(c.name);
        const File f = c.psd.encode();
        seed(c.name, f);
        const Picture pic = decode(f);
        EXPECT_EQ(pic.width, c.psd.width);
        EXPECT_EQ(pic.height, static_cast<int>(c.psd.rows[0].size()));
        EXPECT_EQ(pic.pixels, c.expected);
        EXPECT_EQ(pic.hasAlpha, c.hasAlpha);
    }
}

TEST(PsdDecoder, RefusesDamagedFiles) {
    Psd rgb;
    rgb.rows = {{{255, 0}, {0, 255}}, {{0, 255}, {0, 255}}, {{0, 0}, {255, 255}}};
    File rawCut = rgb.encode();
    rawCut.pop_back();
    rgb.rle = true;
    const File packed = rgb.encode();
    // The row counts follow the 26-byte header, three empty sections and the
    // compression word; the packed rows follow the six counts.
    const std::size_t table = 40;
    File overrun = packed;
    overrun[table + 12] = 2; // a literal of three bytes in a row of two
    File countOutside = packed;
    countOutside[table] = 0x7F;
    File tableCut = packed;
    tableCut.resize(table + 4);
    File huge = packed;
    huge[20] = 0x4E, huge[21] = 0x20; // width 20000
    File vast = rawCut;
    std::fill(vast.begin() + 14, vast.begin() + 22, 0xFF); // 4294967295 x 4294967295
    File lab = packed;
    lab[25] = Lab;
    File deep = packed;
    deep[23] = 32;
    File twoChannels = packed;
    twoChannels[13] = 2;
    File notPsd = packed;
    notPsd[0] = 'X';
    const std::vector<Refused> cases = {
        {"raw data cut short", rawCut, "PSD picture is damaged (truncated pixel data)"},
        {"packet past the row", overrun, "RLE run past the end of a row"},
        {"row count past the file", countOutside, "offset past the end of the file"},
        {"count table cut short", tableCut, "truncated pixel data"},
        {"too wide", huge, "PSD picture has an unsupported size (20000 x 2)"},
        {"vast", vast, "unsupported size (4294967295 x 4294967295)"},
        {"Lab colours", lab, "PSD picture uses an unsupported colour mode (9)"},
        {"32 bits", deep, "unsupported bit depth (32)"},
        {"RGB with two channels", twoChannels, "too few channels"},
        {"not a PSD file", notPsd, "not a PSD file"},
        {"header cut short", File{'8', 'B', 'P', 'S', 0, 1}, "truncated file"},
    };
    expectRefused<decodePsd>(cases);
}

} // namespace
