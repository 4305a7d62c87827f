// Dr. Halo pictures and palette files written here from their published
// layout, decoded and compared pixel by pixel.
#include "picture_test_support.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::test_support;

namespace {

using Rows = std::vector<std::vector<unsigned char>>;

// Each line: its length, then runs of three or more as run packets and the
// rest as literal packets, then a zero.
File cut(const Rows& rows) {
    File f;
    put16le(f, static_cast<unsigned>(rows[0].size()));
    put16le(f, static_cast<unsigned>(rows.size()));
    put16le(f, 0);
    for (const auto& row : rows) {
        File line;
        for (std::size_t i = 0; i < row.size();) {
            std::size_t n = 1;
            while (i + n < row.size() && row[i + n] == row[i] && n < 127)
                ++n;
            if (n >= 3) {
                line.push_back(static_cast<unsigned char>(0x80 | n));
                line.push_back(row[i]);
                i += n;
                continue;
            }
            std::size_t k = 0;
            while (i + k < row.size() && k < 127 &&
                   !(i + k + 2 < row.size() && row[i + k] == row[i + k + 1] &&
                     row[i + k] == row[i + k + 2]))
                ++k;
            line.push_back(static_cast<unsigned char>(k));
            line.insert(line.end(), row.begin() + static_cast<std::ptrdiff_t>(i),
                        row.begin() + static_cast<std::ptrdiff_t>(i + k));
            i += k;
        }
        line.push_back(0);
        put16le(f, static_cast<unsigned>(line.size()));
        f.insert(f.end(), line.begin(), line.end());
    }
    return f;
}

struct Rgb16 {
    unsigned r, g, b;
};

// The palette file: its header, then the colours, none across a 512-byte
// block boundary.
File halo(const std::vector<Rgb16>& colours, unsigned max) {
    File f = {'A', 'H'};
    put16le(f, 0xE3);
    put16le(f, 0);
    f.push_back('P');
    f.push_back(0);
    put16le(f, 0);
    put16le(f, 0);
    put16le(f, static_cast<unsigned>(colours.size() - 1));
    put16le(f, max);
    put16le(f, max);
    put16le(f, max);
    const char id[20] = "Dr. Halo";
    f.insert(f.end(), id, id + 20);
    for (const Rgb16& c : colours) {
        if (f.size() % 512 > 506)
            f.resize((f.size() / 512 + 1) * 512, 0);
        put16le(f, c.r);
        put16le(f, c.g);
        put16le(f, c.b);
    }
    return f;
}

Picture decodeCutAlone(Bytes data, std::size_t size) {
    return decodeCut(data, size);
}

Picture decodeWith(const File& picture, const File& palette) {
    return decodeCut(picture.data(), picture.size(), palette.data(), palette.size());
}

} // namespace

TEST(CutDecoder, WithoutItsPaletteShowsGreysUpToTheHighestColour) {
    const File f = cut({{0, 0, 0, 0, 1, 2}, {2, 1, 0, 2, 2, 2}});
    seed("greys.cut", f);
    const Picture pic = decodeFile<decodeCutAlone>(f);
    ASSERT_EQ(pic.width, 6);
    ASSERT_EQ(pic.height, 2);
    const std::uint32_t grey = 0xFF808080;
    EXPECT_EQ(pic.pixels,
              (std::vector<std::uint32_t>{kBlack, kBlack, kBlack, kBlack, grey, kWhite, kWhite,
                                          grey, kBlack, kWhite, kWhite, kWhite}));
    EXPECT_FALSE(pic.hasAlpha);
}

TEST(CutDecoder, TakesTheColoursOfItsPaletteFile) {
    // 100 colours: the 79th and later sit in the second block.
    std::vector<Rgb16> colours(100, {0, 0, 0});
    colours[1] = {63, 0, 0};
    colours[90] = {0, 63, 21};
    const File pal = halo(colours, 63);
    seed("hundred-colours.pal", pal);
    const File f = cut({{1, 90, 0}});
    const Picture pic = decodeWith(f, pal);
    EXPECT_EQ(pic.pixels, (std::vector<std::uint32_t>{kRed, 0xFF00FF55, kBlack}));

    const File byte = halo({{0, 0, 0}, {255, 128, 0}}, 255);
    EXPECT_EQ(decodeWith(cut({{1}}), byte).pixels[0], 0xFFFF8000);
}

TEST(CutDecoder, LinesAreCutAndPaddedToTheWidth) {
    // 4 x 2: a run of 6 in the first line, a line of two pixels after it.
    const File f = {4, 0, 2, 0, 0, 0, 3, 0, 0x86, 3, 0, 4, 0, 2, 7, 7, 0};
    seed("run-past-the-line.cut", f);
    const Picture pic = decodeFile<decodeCutAlone>(f);
    const std::uint32_t three = 0xFF6D6D6D; // 3 of 7 greys
    EXPECT_EQ(pic.pixels, (std::vector<std::uint32_t>{three, three, three, three, kWhite, kWhite,
                                                      kBlack, kBlack}));
}

TEST(CutDecoder, RefusesDamagedFiles) {
    File cutShort = cut({{1, 2, 3}, {4, 5, 6}});
    cutShort.resize(cutShort.size() - 3);
    File empty = cut({{1}});
    set16le(empty, 0, 0);
    File huge = cut({{1}});
    set16le(huge, 0, 20000);
    expectRefused<decodeCutAlone>({
        {"cut short", cutShort, "Dr. Halo picture is damaged (truncated file)"},
        {"no pixels", empty, "bad dimensions"},
        {"too wide", huge, "unsupported size (20000 x 1)"},
        {"header only", File{1, 0}, "truncated file"},
    });
    const File notHalo(64, 1);
    EXPECT_THROW(decodeWith(cut({{1}}), notHalo), PictureError);
    File palCut = halo({{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}, 63);
    palCut.resize(palCut.size() - 2);
    try {
        decodeWith(cut({{1}}), palCut);
        ADD_FAILURE() << "no error";
    } catch (const PictureError& e) {
        EXPECT_STREQ(e.what(), "Dr. Halo picture is damaged (truncated file)");
    }
}
