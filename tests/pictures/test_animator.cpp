// Autodesk Animator and Animator Pro pictures written here from their
// published layouts, decoded and compared pixel by pixel.
#include "picture_test_support.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>

#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::test_support;

namespace {

constexpr auto decode = decodeFile<decodeAnimator>;

// The original Animator: 32-byte header, 256 colours of 0..63, pixels.
File animator(int w, int h, const File& pixels) {
    File f;
    put16le(f, 0x9119);
    put16le(f, static_cast<unsigned>(w));
    put16le(f, static_cast<unsigned>(h));
    put16le(f, 0);
    put16le(f, 0);
    f.push_back(8);
    f.push_back(0);
    put32le(f, static_cast<std::uint32_t>(w * h));
    f.resize(32, 0);
    File pal(768, 0);
    pal[3] = 63;                             // 1: red
    pal[6] = 0, pal[7] = 63;                 // 2: green
    pal[9] = 32, pal[10] = 32, pal[11] = 32; // 3: a grey
    f.insert(f.end(), pal.begin(), pal.end());
    f.insert(f.end(), pixels.begin(), pixels.end());
    return f;
}

File block(unsigned type, const File& data) {
    File b;
    put32le(b, static_cast<std::uint32_t>(6 + data.size()));
    put16le(b, type);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// Animator Pro: 64-byte header, then blocks.
File animatorPro(int w, int h, int bits, const std::vector<File>& blocks) {
    File f;
    put32le(f, 0);
    put16le(f, 0x9500);
    put16le(f, static_cast<unsigned>(w));
    put16le(f, static_cast<unsigned>(h));
    put16le(f, 0);
    put16le(f, 0);
    put32le(f, 0);
    f.push_back(static_cast<unsigned char>(bits));
    f.resize(64, 0);
    for (const File& b : blocks)
        f.insert(f.end(), b.begin(), b.end());
    return f;
}

File colourMap() {
    File c = {0, 0}; // version
    File pal(768, 0);
    pal[3] = 255;
    pal[7] = 255;
    pal[9] = 10, pal[10] = 20, pal[11] = 30;
    c.insert(c.end(), pal.begin(), pal.end());
    return c;
}

// A flic: its 128-byte header, then frames of chunks (type, data).
File flic(bool flc, int w, int h, const std::vector<std::vector<std::pair<unsigned, File>>>& frames,
          const File& prefix = {}) {
    File f;
    put32le(f, 0);
    put16le(f, flc ? 0xAF12 : 0xAF11);
    put16le(f, static_cast<unsigned>(frames.size()));
    put16le(f, static_cast<unsigned>(w));
    put16le(f, static_cast<unsigned>(h));
    put16le(f, 8);
    f.resize(128, 0);
    if (flc)
        f[80] = 128;
    f.insert(f.end(), prefix.begin(), prefix.end());
    for (const auto& chunks : frames) {
        File frame;
        put32le(frame, 0);
        put16le(frame, 0xF1FA);
        put16le(frame, static_cast<unsigned>(chunks.size()));
        frame.resize(16, 0);
        for (const auto& [type, data] : chunks) {
            put32le(frame, static_cast<std::uint32_t>(6 + data.size()));
            put16le(frame, type);
            frame.insert(frame.end(), data.begin(), data.end());
        }
        const auto n = static_cast<std::uint32_t>(frame.size());
        for (int k = 0; k < 4; ++k)
            frame[k] = (n >> (8 * k)) & 0xFF;
        f.insert(f.end(), frame.begin(), frame.end());
    }
    return f;
}

// One packet setting colours 0 to 2: black, red, a blue of `max`.
File flicColours(unsigned max) {
    return {1,
            0,
            0,
            3,
            0,
            0,
            0,
            static_cast<unsigned char>(max),
            0,
            0,
            0,
            0,
            static_cast<unsigned char>(max)};
}

} // namespace

TEST(AnimatorDecoder, ReadsBothGenerations) {
    struct Good {
        const char* name;
        File file;
        int width;
        std::vector<std::uint32_t> expected;
    };
    const std::vector<Good> cases = {
        {"animator.cel", animator(2, 2, {1, 2, 3, 0}), 2, {kRed, kGreen, 0xFF828282, kBlack}},
        {"pro-bytes.pic",
         animatorPro(3, 1, 8, {block(0, colourMap()), block(1, {3, 1, 2})}),
         3,
         {0xFF0A141E, kRed, kGreen}},
        {"pro-no-colour-map.pic", animatorPro(2, 1, 8, {block(1, {0, 255})}), 2, {kBlack, kWhite}},
        // A mask of 10 pixels: bits from the top, rows padded to a byte.
        {"pro-mask.pic",
         animatorPro(10, 1, 1, {block(2, {0xA0, 0x40})}),
         10,
         {kWhite, kBlack, kWhite, kBlack, kBlack, kBlack, kBlack, kBlack, kBlack, kWhite}},
        // Blocks of unknown types are passed over.
        {"pro-other-blocks.pic",
         animatorPro(1, 1, 8, {block(7, {1, 2, 3, 4}), block(0, colourMap()), block(1, {1})}),
         1,
         {kRed}},
    };
    for (const Good& c : cases) {
        SCOPED_TRACE(c.name);
        seed(c.name, c.file);
        const Picture pic = decode(c.file);
        EXPECT_EQ(pic.width, c.width);
        EXPECT_EQ(pic.pixels, c.expected);
        EXPECT_FALSE(pic.hasAlpha);
    }
}

TEST(AnimatorDecoder, ReadsTheFirstFrameOfAnimatorProCels) {
    const File runs = {0, 2,    1, 0xFE, 2, 0,  // 1 1 2 0
                       0, 0xFC, 2, 2,    1, 1}; // copied: 2 2 1 1
    struct Good {
        const char* name;
        File file;
        std::vector<std::uint32_t> expected;
    };
    const std::vector<Good> cases = {
        {"cel.cel",
         flic(true, 4, 2, {{{4, flicColours(255)}, {15, runs}}, {{13, {}}}},
              File{8, 0, 0, 0, 0, 0xF1, 2, 0}),
         {kRed, kRed, kBlue, kBlack, kBlue, kBlue, kRed, kRed}},
        {"fli-copy.cel", flic(false, 2, 1, {{{11, flicColours(63)}, {16, {2, 1}}}}), {kBlue, kRed}},
        // Black, then line changes: FLI's bytes and FLC's words.
        {"fli-delta.cel",
         flic(false, 3, 2, {{{11, flicColours(63)}, {13, {}}, {12, {1, 0, 1, 0, 1, 1, 0xFE, 2}}}}),
         {kBlack, kBlack, kBlack, kBlack, kBlue, kBlue}},
        {"flc-delta.cel",
         flic(true, 4, 3,
              {{{4, flicColours(255)},
                {13, {}},
                {7, {1, 0, 0xFF, 0xFF, 0x01, 0x80, 1, 0, 1, 1, 2, 2}}}}),
         {kBlack, kBlack, kBlack, kBlack, kBlack, kBlue, kBlue, kRed, kBlack, kBlack, kBlack,
          kBlack}},
    };
    for (const Good& c : cases) {
        SCOPED_TRACE(c.name);
        seed(c.name, c.file);
        EXPECT_EQ(decode(c.file).pixels, c.expected);
    }
    const File cutShort = flic(true, 4, 2, {{{15, {0, 8, 1}}}});
    expectRefused<decodeAnimator>(cutShort, "truncated file");
}

TEST(AnimatorDecoder, RefusesDamagedFiles) {
    File cutShort = animator(4, 4, File(16, 1));
    cutShort.pop_back();
    File fourBits = animator(1, 1, {0});
    fourBits[10] = 4;
    File blockPast = animatorPro(1, 1, 8, {block(1, {1})});
    blockPast[64] = 200;
    const std::vector<Refused> cases = {
        {"pixels cut short", cutShort,
         "Autodesk Animator picture is damaged (truncated pixel data)"},
        {"four bits", fourBits, "unsupported bit depth (4)"},
        {"no pixel block", animatorPro(1, 1, 8, {block(0, colourMap())}), "no pixel block"},
        {"pixel block too short", animatorPro(4, 4, 8, {block(1, {1, 2})}), "truncated pixel data"},
        {"block past the end", blockPast, "block past the end of the file"},
        {"no size", animator(0, 3, {}), "bad dimensions"},
        {"too large", animatorPro(20000, 1, 8, {}), "unsupported size (20000 x 1)"},
        {"not Animator", File(100, 7), "not an Animator picture"},
    };
    expectRefused<decodeAnimator>(cases);
}
