// Wavefront RLA files written here: header, scan line table and run-length
// coded channels, decoded and compared pixel by pixel.
#include "picture_test_support.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>

#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::test_support;

namespace {

constexpr auto decode = decodeFile<decodeRla>;

// Runs of equal bytes (a count below 128, one less than the run), the rest
// as literals (256 minus their count).
File pack(const File& bytes) {
    File out;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t n = 1;
        while (i + n < bytes.size() && bytes[i + n] == bytes[i] && n < 128)
            ++n;
        if (n >= 2) {
            out.push_back(static_cast<unsigned char>(n - 1));
            out.push_back(bytes[i]);
            i += n;
            continue;
        }
        std::size_t k = 1;
        while (i + k < bytes.size() && k < 128 &&
               !(i + k + 1 < bytes.size() && bytes[i + k] == bytes[i + k + 1]))
            ++k;
        out.push_back(static_cast<unsigned char>(256 - k));
        out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i),
                   bytes.begin() + static_cast<std::ptrdiff_t>(i + k));
        i += k;
    }
    return out;
}

struct Spec {
    int left = 0, bottom = 0;
    int colourChannels = 3;
    int matteChannels = 0;
    int bits = 8;
    int matteBits = 8;
};

// rows[line, top first][channel][x] samples (16-bit when bits is 16).
using Rows = std::vector<std::vector<std::vector<unsigned>>>;

File rla(const Spec& s, const Rows& rows) {
    const int h = static_cast<int>(rows.size());
    const int w = static_cast<int>(rows[0][0].size());
    File f(740, 0);
    auto put = [&](std::size_t at, int v) {
        f[at] = static_cast<unsigned char>((v >> 8) & 0xFF);
        f[at + 1] = static_cast<unsigned char>(v & 0xFF);
    };
    put(0, s.left);
    put(2, s.left + w - 1);
    put(4, s.bottom);
    put(6, s.bottom + h - 1);
    put(8, s.left);
    put(10, s.left + w - 1);
    put(12, s.bottom);
    put(14, s.bottom + h - 1);
    put(20, s.colourChannels);
    put(22, s.matteChannels);
    put(26, 0xFFFE);
    put(658, s.bits);
    put(662, s.matteBits);
    const std::size_t table = f.size();
    f.resize(f.size() + 4 * static_cast<std::size_t>(h), 0);
    // Scan lines from the bottom up.
    for (int line = 0; line < h; ++line) {
        set32be(f, table + 4 * static_cast<std::size_t>(line),
                static_cast<std::uint32_t>(f.size()));
        const auto& channels = rows[static_cast<std::size_t>(h - 1 - line)];
        for (std::size_t c = 0; c < channels.size(); ++c) {
            const int bits = static_cast<int>(c) < s.colourChannels ? s.bits : s.matteBits;
            File plain;
            if (bits > 8) {
                for (unsigned v : channels[c])
                    plain.push_back(static_cast<unsigned char>(v >> 8));
                for (unsigned v : channels[c])
                    plain.push_back(static_cast<unsigned char>(v & 0xFF));
            } else {
                for (unsigned v : channels[c])
                    plain.push_back(static_cast<unsigned char>(v));
            }
            const File packed = pack(plain);
            put16be(f, static_cast<unsigned>(packed.size()));
            f.insert(f.end(), packed.begin(), packed.end());
        }
    }
    return f;
}

} // namespace

TEST(RlaDecoder, ReadsEveryChannelLayout) {
    struct Good {
        const char* name;
        File file;
        std::vector<std::uint32_t> expected; // top row first
        bool hasAlpha;
    };
    const Rows rgb = {{{255, 0, 0, 0}, {0, 255, 255, 255}, {0, 0, 0, 255}},
                      {{7, 7, 7, 7}, {8, 8, 8, 8}, {9, 9, 9, 9}}};
    const std::uint32_t px7 = 0xFF070809;
    const std::vector<Good> cases = {
        {"rgb.rla", rla({}, rgb), {kRed, kGreen, kGreen, 0xFF00FFFF, px7, px7, px7, px7}, false},
        {"placed-window.rpf",
         rla({.left = 100, .bottom = 50}, rgb),
         {kRed, kGreen, kGreen, 0xFF00FFFF, px7, px7, px7, px7},
         false},
        {"grey.rla",
         rla({.colourChannels = 1}, {{{0, 128, 255}}}),
         {kBlack, 0xFF808080, kWhite},
         false},
        {"rgb-matte.rla",
         rla({.matteChannels = 1}, {{{255, 0}, {0, 0}, {0, 255}, {255, 64}}}),
         {kRed, 0x400000FF},
         true},
        {"rgb16.rla",
         rla({.bits = 16}, {{{0xFF00, 0x1234}, {0x8000, 0x5678}, {0x00FF, 0x9ABC}}}),
         {0xFFFF8000, 0xFF12569A},
         false},
    };
    for (const Good& c : cases) {
        SCOPED_TRACE(c.name);
        seed(c.name, c.file);
        const Picture pic = decode(c.file);
        EXPECT_EQ(pic.pixels, c.expected);
        EXPECT_EQ(pic.hasAlpha, c.hasAlpha);
    }
    EXPECT_EQ(decode(rla({}, rgb)).width, 4);
    EXPECT_EQ(decode(rla({}, rgb)).height, 2);
}

TEST(RlaDecoder, RefusesDamagedFiles) {
    const Rows one = {{{1, 2}, {3, 4}, {5, 6}}};
    File tableCut = rla({}, one);
    tableCut.resize(742);
    File lineOutside = rla({}, one);
    set32be(lineOutside, 740, 100000);
    File runPast = rla({}, one);
    runPast[746] = 0xF0; // a literal of 16 bytes in a channel of 3
    File deep = rla({.bits = 32}, one);
    File twoMattes = rla({.matteChannels = 2}, {{{1}, {2}, {3}, {4}, {5}}});
    File wide = rla({}, one);
    wide[10] = 0x7F; // right edge far out
    const std::vector<Refused> cases = {
        {"table cut short", tableCut, "RLA picture is damaged (truncated offset table)"},
        {"line outside the file", lineOutside, "offset past the end of the file"},
        {"run past its channel", runPast, "run past the end of its channel"},
        {"32-bit channels", deep, "channels of more than 16 bits"},
        {"two mattes", twoMattes, "bad channel counts"},
        {"two colour channels", rla({.colourChannels = 2}, {{{1}, {2}}}),
         "unsupported number of colour channels (2)"},
        {"too wide", wide, "unsupported size"},
        {"header cut short", File(100, 0), "truncated file"},
    };
    expectRefused<decodeRla>(cases);
}
