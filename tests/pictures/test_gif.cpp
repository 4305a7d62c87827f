#include "picture_test_support.h"
#include "pictures/encoders.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::encoders;
using namespace taleplay::pictures::test_support;

namespace {

constexpr auto decode = decodeFile<decodeGif>;

const std::vector<Rgb> kPalette = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 0, 255}};

// Row y of the frame is all index y % 4, so a misplaced interlaced row shows.
std::vector<unsigned char> rowIndices(int w, int h) {
    std::vector<unsigned char> v;
    for (int y = 0; y < h; ++y)
        v.insert(v.end(), std::size_t(w), static_cast<unsigned char>(y % 4));
    return v;
}

GifSpec fullFrame(int w, int h) {
    GifSpec s{.screenWidth = w, .screenHeight = h, .width = w, .height = h};
    s.palette = kPalette;
    return s;
}

std::uint32_t argbOf(int index) {
    const Rgb& c = kPalette[std::size_t(index)];
    return 0xFF000000u | (std::uint32_t(c.r) << 16) | (std::uint32_t(c.g) << 8) | c.b;
}

} // namespace

TEST(Gif, FirstFrameWithInterlaceAndTransparency) {
    struct Row {
        const char* name;
        bool interlaced;
        int transparent;
        int frames;
    } rows[] = {
        {"plain", false, -1, 1},
        {"interlaced", true, -1, 1},
        {"transparent index", false, 2, 1},
        {"later frames ignored", true, -1, 3},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        GifSpec spec = fullFrame(7, 19);
        spec.interlaced = r.interlaced;
        spec.transparent = r.transparent;
        spec.frames = r.frames;
        Picture pic = decode(writeGif(spec, rowIndices(7, 19)));
        ASSERT_EQ(pic.width, 7);
        ASSERT_EQ(pic.height, 19);
        EXPECT_EQ(pic.hasAlpha, r.transparent >= 0);
        for (int y = 0; y < 19; ++y) {
            std::uint32_t want = y % 4 == r.transparent ? 0u : argbOf(y % 4);
            EXPECT_EQ(pic.pixels[std::size_t(y) * 7 + 6], want) << "row " << y;
        }
    }
}

TEST(Gif, FrameSmallerThanScreenLeavesTheRestTransparent) {
    GifSpec spec{
        .screenWidth = 10, .screenHeight = 8, .left = 6, .top = 5, .width = 6, .height = 2};
    spec.palette = kPalette;
    Picture pic = decode(writeGif(spec, std::vector<unsigned char>(12, 2)));
    EXPECT_EQ(pic.width, 10);
    EXPECT_EQ(pic.height, 8);
    EXPECT_TRUE(pic.hasAlpha);
    EXPECT_EQ(pic.pixels[0], 0u);
    EXPECT_EQ(pic.pixels[5 * 10 + 6], 0xFFFF0000u);
    EXPECT_EQ(pic.pixels[6 * 10 + 9], 0xFFFF0000u); // the frame is clipped at the screen's edge
    EXPECT_EQ(pic.pixels[7 * 10 + 9], 0u);
}

TEST(Gif, IndexBeyondAShortPaletteIsBlack) {
    // Written by hand: giflib's encoder masks indices to the palette's size.
    // Three pixels 0, 1, 3 against a two-colour palette; LZW codes of 3 bits
    // (clear, 0, 1, 3) packed least significant bit first.
    File f = {'G', 'I',  'F', '8', '9', 'a', 3, 0, 1, 0, 0x80, 0, 0, 9,    9,    9, 255, 255,
              255, 0x2C, 0,   0,   0,   0,   3, 0, 1, 0, 0,    2, 2, 0x44, 0x06, 0, ';'};
    Picture pic = decode(f);
    EXPECT_EQ(pic.pixels[0], 0xFF090909u);
    EXPECT_EQ(pic.pixels[1], 0xFFFFFFFFu);
    EXPECT_EQ(pic.pixels[2], 0xFF000000u);
}

TEST(Gif, DamagedFilesFailWithGiflibsMessage) {
    File good = writeGif(fullFrame(64, 64), rowIndices(64, 64));
    File truncated(good.begin(), good.begin() + std::ptrdiff_t(good.size() / 2));
    File huge = good;
    huge[6] = 0x20, huge[7] = 0x4E; // screen width 20000
    File hugeFrame = writeGif(fullFrame(1, 1), {0});
    // The image descriptor follows the 13-byte header and the 4-colour table.
    hugeFrame[13 + 12 + 5] = 0xFF, hugeFrame[13 + 12 + 6] = 0xFF; // frame width 65535
    hugeFrame[13 + 12 + 7] = 0xFF, hugeFrame[13 + 12 + 8] = 0xFF; // frame height 65535
    File noImage = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ';'};
    struct Row {
        const char* name;
        File file;
        std::string expected;
    } rows[] = {
        {"empty", {}, "GIF picture is damaged (Failed to read from given file)"},
        {"not gif", File{0x89, 'P', 'N', 'G', 13, 10, 26, 10},
         "GIF picture is damaged (Data is not in GIF format)"},
        {"truncated", truncated, "GIF picture is damaged (Failed to read from given file)"},
        {"no image", noImage, "GIF picture is damaged (the file holds no image)"},
        {"screen wider than 16384", huge, "GIF picture has an unsupported size (20000 x 64)"},
        {"frame over the limits", hugeFrame,
         "GIF picture has an unsupported frame size (65535 x 65535)"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(errorOf<decodeGif>(r.file), r.expected);
    }
}
