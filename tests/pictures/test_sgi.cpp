// SGI files written here (header, channel planes verbatim or with RLE row
// tables), decoded and compared pixel by pixel.
#include "picture_test_support.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::test_support;

namespace {

// samples[channel][row, top first][x]
using Planes = std::vector<std::vector<std::vector<unsigned>>>;

// One RLE row: runs of equal samples as run packets, others one by one.
File packRow(const std::vector<unsigned>& row, int bpc) {
    File out;
    auto item = [&](unsigned v) {
        if (bpc == 2)
            put16be(out, v);
        else
            out.push_back(static_cast<unsigned char>(v));
    };
    for (std::size_t i = 0; i < row.size();) {
        std::size_t n = 1;
        while (i + n < row.size() && row[i + n] == row[i] && n < 127)
            ++n;
        item(n > 1 ? static_cast<unsigned>(n) : 0x81);
        item(row[i]);
        i += n;
    }
    item(0);
    return out;
}

File sgi(const Planes& planes, bool rle, int bpc = 1, int dimension = 3) {
    const auto z = static_cast<unsigned>(planes.size());
    const auto h = static_cast<unsigned>(planes[0].size());
    const auto w = static_cast<unsigned>(planes[0][0].size());
    File f;
    put16be(f, 474);
    f.push_back(rle ? 1 : 0);
    f.push_back(static_cast<unsigned char>(bpc));
    put16be(f, static_cast<unsigned>(dimension));
    put16be(f, w);
    put16be(f, h);
    put16be(f, z);
    put32be(f, 0);
    put32be(f, bpc == 2 ? 65535 : 255);
    f.resize(512, 0);
    if (!rle) {
        for (const auto& plane : planes)
            for (unsigned y = h; y-- > 0;)
                for (unsigned v : plane[y]) {
                    if (bpc == 2)
                        put16be(f, v);
                    else
                        f.push_back(static_cast<unsigned char>(v));
                }
        return f;
    }
    const std::size_t table = f.size();
    f.resize(f.size() + 8 * z * h, 0);
    std::size_t index = 0;
    for (const auto& plane : planes)
        for (unsigned y = h; y-- > 0; ++index) {
            const File row = packRow(plane[y], bpc);
            set32be(f, table + 4 * index, static_cast<std::uint32_t>(f.size()));
            set32be(f, table + 4 * (z * h + index), static_cast<std::uint32_t>(row.size()));
            f.insert(f.end(), row.begin(), row.end());
        }
    return f;
}

constexpr auto decode = decodeFile<decodeSgi>;

const Planes kRgb = {{{255, 0}, {0, 255}}, {{0, 255}, {0, 255}}, {{0, 0}, {255, 255}}};

struct Good {
    const char* name;
    File file;
    std::vector<std::uint32_t> expected; // top row first
    bool hasAlpha;
};

TEST(SgiDecoder, ReadsEveryLayout) {
    const std::vector<Good> cases = {
        {"rgb-verbatim.sgi", sgi(kRgb, false), {kRed, kGreen, kBlue, kWhite}, false},
        {"rgb-rle.rgb", sgi(kRgb, true), {kRed, kGreen, kBlue, kWhite}, false},
        {"grey-rle.bw",
         sgi({{{1, 1, 1, 1, 0x80}}}, true, 1, 2),
         {0xFF010101, 0xFF010101, 0xFF010101, 0xFF010101, 0xFF808080},
         false},
        {"grey-alpha.sgi",
         sgi({{{0x10, 0x20}}, {{0xFF, 0x40}}}, false),
         {0xFF101010, 0x40202020},
         true},
        {"rgba16-rle.rgba",
         sgi({{{0xFFFF, 0x1234}}, {{0, 0x5678}}, {{0, 0x9ABC}}, {{0xFFFF, 0x8000}}}, true, 2),
         {kRed, 0x8012569A},
         true},
        {"rgb16-verbatim.sgi",
         sgi({{{0x10FF}}, {{0x2000}}, {{0x30AA}}}, false, 2),
         {0xFF102030},
         false},
        {"five-channels.sgi", sgi({{{9}}, {{8}}, {{7}}, {{6}}, {{5}}}, false), {0x06090807}, true},
        {"one-dimension.sgi", sgi({{{0, 255}}}, false, 1, 1), {kBlack, kWhite}, false},
    };
    for (const Good& c : cases) {
        SCOPED_TRACE(c.name);
        seed(c.name, c.file);
        const Picture pic = decode(c.file);
        EXPECT_EQ(pic.pixels, c.expected);
        EXPECT_EQ(pic.hasAlpha, c.hasAlpha);
    }
    const Picture pic = decode(sgi(kRgb, true));
    EXPECT_EQ(pic.width, 2);
    EXPECT_EQ(pic.height, 2);
}

TEST(SgiDecoder, RefusesDamagedFiles) {
    File verbatimCut = sgi(kRgb, false);
    verbatimCut.pop_back();
    File startOutside = sgi(kRgb, true);
    set32be(startOutside, 512 + 4, 100000);
    File lengthOutside = sgi(kRgb, true);
    set32be(lengthOutside, 512 + 6 * 4, 0xFFFFFFF0);
    File overrun = sgi({{{1, 2}}}, true, 1, 2);
    overrun[512 + 8] = 3; // the first packet now copies three samples into a row of two
    File tableCut = sgi(kRgb, true);
    tableCut.resize(512 + 20);
    File huge = sgi({{{0}}}, true, 1, 2);
    huge[6] = 0x4E, huge[7] = 0x20; // 20000 wide
    File colourMap = sgi(kRgb, false);
    set32be(colourMap, 104, 3);
    File notSgi = sgi(kRgb, false);
    notSgi[1] = 0;
    const std::vector<Refused> cases = {
        {"verbatim data cut short", verbatimCut, "SGI picture is damaged (truncated pixel data)"},
        {"row start outside the file", startOutside, "offset past the end of the file"},
        {"row length outside the file", lengthOutside, "offset past the end of the file"},
        {"run past the row", overrun, "RLE run past the end of a row"},
        {"offset table cut short", tableCut, "truncated offset table"},
        {"too wide", huge, "SGI picture has an unsupported size (20000 x 1)"},
        {"colour map", colourMap, "unsupported colour map mode (3)"},
        {"not an SGI file", notSgi, "not an SGI file"},
        {"header cut short", File(100, 0), "truncated file"},
    };
    expectRefused<decodeSgi>(cases);
}

} // namespace
