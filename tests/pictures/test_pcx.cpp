// PCX files written here (header, run-length scan lines, palettes), decoded
// and compared pixel by pixel.
#include "picture_test_support.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::test_support;

namespace {

// Run-length packs the scan lines as one stream, so runs cross lines the
// way older writers let them.
File pack(const File& lines) {
    File out;
    for (std::size_t i = 0; i < lines.size();) {
        std::size_t n = 1;
        while (i + n < lines.size() && lines[i + n] == lines[i] && n < 63)
            ++n;
        if (n > 1 || (lines[i] & 0xC0) == 0xC0)
            out.push_back(static_cast<unsigned char>(0xC0 | n));
        out.push_back(lines[i]);
        i += n;
    }
    return out;
}

struct Pcx {
    int version = 5;
    int bits = 8, planes = 1, width = 2, height = 2, bytesPerLine = 2;
    bool encoded = true;
    std::vector<std::uint32_t> headerPalette; // 0xRRGGBB, up to 16
    std::vector<std::uint32_t> palette;       // 256-colour trailer when not empty
    File lines;                               // unpacked scan lines

    File encode() const {
        File f(128, 0);
        f[0] = 0x0A;
        f[1] = static_cast<unsigned char>(version);
        f[2] = encoded ? 1 : 0;
        f[3] = static_cast<unsigned char>(bits);
        set16le(f, 8, static_cast<unsigned>(width - 1));
        set16le(f, 10, static_cast<unsigned>(height - 1));
        for (std::size_t i = 0; i < headerPalette.size(); ++i)
            for (int k = 0; k < 3; ++k)
                f[16 + 3 * i + k] = (headerPalette[i] >> (16 - 8 * k)) & 0xFF;
        f[65] = static_cast<unsigned char>(planes);
        set16le(f, 66, static_cast<unsigned>(bytesPerLine));
        set16le(f, 68, 1);
        const File data = encoded ? pack(lines) : lines;
        f.insert(f.end(), data.begin(), data.end());
        if (!palette.empty()) {
            f.push_back(0x0C);
            for (int i = 0; i < 256; ++i) {
                const std::uint32_t c = i < static_cast<int>(palette.size()) ? palette[i] : 0;
                for (int k = 0; k < 3; ++k)
                    f.push_back((c >> (16 - 8 * k)) & 0xFF);
            }
        }
        return f;
    }
};

constexpr auto decode = decodeFile<decodePcx>;

struct Good {
    const char* name;
    Pcx pcx;
    std::vector<std::uint32_t> expected; // top row first
    bool hasAlpha;
};

std::vector<Good> goodFiles() {
    std::vector<Good> cases;
    Pcx p;
    // Lines of four bytes for three pixels: the run of 2s crosses from the
    // first line's padding into the second.
    p.width = 3, p.bytesPerLine = 4, p.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    p.lines = {1, 1, 3, 2, 2, 2, 1, 0};
    cases.push_back(
        {"256 colours, run across lines", p, {kRed, kRed, kBlue, kGreen, kGreen, kRed}, false});
    p.encoded = false;
    p.lines = {3, 2, 1, 0, 1, 2, 3, 0};
    cases.push_back(
        {"256 colours, not packed", p, {kBlue, kGreen, kRed, kRed, kGreen, kBlue}, false});
    p = Pcx{};
    p.planes = 3, p.width = 2, p.height = 1;
    p.lines = {255, 0x10, 0, 0x20, 0, 0x30}; // red plane, green plane, blue plane
    cases.push_back({"24 bits in three planes", p, {kRed, 0xFF102030}, false});
    p.planes = 4, p.lines = {255, 0x10, 0, 0x20, 0, 0x30, 255, 0x80};
    cases.push_back({"32 bits in four planes", p, {kRed, 0x80102030}, true});
    p = Pcx{};
    p.bits = 1, p.width = 10, p.height = 1, p.bytesPerLine = 2;
    p.lines = {0b10100000, 0b01000000};
    cases.push_back(
        {"monochrome",
         p,
         {kWhite, kBlack, kWhite, kBlack, kBlack, kBlack, kBlack, kBlack, kBlack, kWhite},
         false});
    // Four bit planes of the 16-colour header palette: pixel 0 has plane bits
    // 0 and 2 (index 5), pixel 1 plane 3 (index 8).
    p = Pcx{};
    p.bits = 1, p.planes = 4, p.width = 2, p.height = 1, p.bytesPerLine = 2;
    p.headerPalette = {0, 0, 0, 0, 0, 0x112233, 0, 0, 0x445566};
    p.lines = {0x80, 0, 0, 0, 0x80, 0, 0x40, 0};
    cases.push_back({"16 colours in planes", p, {0xFF112233, 0xFF445566}, false});
    // Version 3 files carry no palette: the EGA colours apply.
    p.version = 3, p.headerPalette = {};
    cases.push_back({"EGA colours", p, {0xFFAA00AA, 0xFF555555}, false});
    p = Pcx{};
    p.bits = 4, p.width = 3, p.height = 1, p.headerPalette = {0, 0xFF0000, 0x00FF00};
    p.lines = {0x12, 0x10};
    cases.push_back({"4 bits packed", p, {kRed, kGreen, kRed}, false});
    p.bits = 2, p.lines = {0b01100100, 0};
    cases.push_back({"2 bits packed", p, {kRed, kGreen, kRed}, false});
    return cases;
}

TEST(PcxDecoder, ReadsEveryLayout) {
    for (const Good& c : goodFiles()) {
        SCOPED_TRACE(c.name);
        const File f = c.pcx.encode();
        seed(c.name, ".pcx", f);
        const Picture pic = decode(f);
        EXPECT_EQ(pic.width, c.pcx.width);
        EXPECT_EQ(pic.height, c.pcx.height);
        EXPECT_EQ(pic.pixels, c.expected);
        EXPECT_EQ(pic.hasAlpha, c.hasAlpha);
    }
}

TEST(PcxDecoder, GreyWithoutPaletteTrailer) {
    Pcx p;
    p.lines = {0, 0x80, 255, 7};
    const Picture pic = decode(p.encode());
    EXPECT_EQ(pic.pixels, (std::vector<std::uint32_t>{kBlack, 0xFF808080, kWhite, 0xFF070707}));
}

TEST(PcxDecoder, RefusesDamagedFiles) {
    Pcx p;
    p.width = 64, p.height = 64, p.bytesPerLine = 64, p.palette = {0xFF0000};
    p.lines = File(64 * 64, 0);
    for (std::size_t i = 0; i < p.lines.size(); i += 2)
        p.lines[i] = 1; // no runs, so cutting the data is noticed
    File truncated = p.encode();
    truncated.erase(truncated.end() - 769 - 10, truncated.end() - 769);
    Pcx run;
    run.lines = {5, 5, 5, 5};
    File runCut = run.encode();
    runCut.pop_back(); // the value byte of the last run
    Pcx shortLines;
    shortLines.width = 20, shortLines.bytesPerLine = 2, shortLines.lines = File(4, 0);
    Pcx huge;
    huge.width = 20000, huge.height = 1, huge.bytesPerLine = 20000, huge.lines = File(20000, 0);
    Pcx planes;
    planes.bits = 4, planes.planes = 2;
    File notPcx = Pcx{}.encode();
    notPcx[0] = 0x0B;
    const std::vector<Refused> cases = {
        {"pixel data cut short", truncated, "PCX picture is damaged (truncated pixel data)"},
        {"run without its value", runCut, "PCX picture is damaged (truncated pixel data)"},
        {"lines shorter than the width", shortLines.encode(), "scan line shorter"},
        {"too wide", huge.encode(), "PCX picture has an unsupported size (20000 x 1)"},
        {"two planes of 4 bits", planes.encode(), "unsupported layout (2 planes of 4 bits)"},
        {"not a PCX file", notPcx, "not a PCX file"},
        {"header cut short", File(100, 0x0A), "truncated file"},
    };
    expectRefused<decodePcx>(cases);
}

} // namespace
