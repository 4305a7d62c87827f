// Pictures kept at the size they are shown, reduced by area, and stood
// upright as their orientation tag says.
#include "core/errors.h"
#include "picture_test_support.h"
#include "pictures/encoders.h"
#include "pictures/resample.h"

#include <gtest/gtest.h>

#include <string>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::encoders;
using namespace taleplay::pictures::test_support;

namespace {

// 64 x 32 RGB samples in four quarters: red, green above blue, white.
std::vector<unsigned char> quarters() {
    std::vector<unsigned char> s;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            const std::uint32_t c = y < 16 ? (x < 32 ? kRed : kGreen) : (x < 32 ? kBlue : kWhite);
            s.insert(s.end(), {static_cast<unsigned char>(c >> 16),
                               static_cast<unsigned char>(c >> 8), static_cast<unsigned char>(c)});
        }
    return s;
}

// The colour nearest to `p` of the four.
std::uint32_t nearest(std::uint32_t p) {
    std::uint32_t best = 0;
    int bestDistance = 1 << 30;
    for (std::uint32_t c : {kRed, kGreen, kBlue, kWhite}) {
        int d = 0;
        for (int shift : {16, 8, 0})
            d += std::abs(int((p >> shift) & 255) - int((c >> shift) & 255));
        if (d < bestDistance)
            best = c, bestDistance = d;
    }
    return best;
}

// The colours at the middles of the four quarters: top left, top right,
// bottom left, bottom right.
std::vector<std::uint32_t> quarterColours(const Picture& p) {
    std::vector<std::uint32_t> out;
    for (int y : {p.height / 4, 3 * p.height / 4})
        for (int x : {p.width / 4, 3 * p.width / 4})
            out.push_back(nearest(p.pixels[std::size_t(y) * p.width + x]));
    return out;
}

Picture picture(int w, int h, std::uint32_t fill) {
    Picture p;
    allocate(p, w, h, "test");
    std::fill(p.pixels.begin(), p.pixels.end(), fill);
    return p;
}

} // namespace

// A phone stores a portrait photo lying down and says so in its EXIF block;
// a scanner may do the same with TIFF's Orientation tag. Every orientation
// stands upright, and the header gives the upright size without decoding.
TEST(Orientation, JpegAndTiffStandAsTheirTagSays) {
    struct Row {
        int orientation;
        int width, height;
        std::vector<std::uint32_t> quarters; // top left, top right, bottom left, bottom right
    } rows[] = {
        {1, 64, 32, {kRed, kGreen, kBlue, kWhite}}, {2, 64, 32, {kGreen, kRed, kWhite, kBlue}},
        {3, 64, 32, {kWhite, kBlue, kGreen, kRed}}, {4, 64, 32, {kBlue, kWhite, kRed, kGreen}},
        {5, 32, 64, {kRed, kBlue, kGreen, kWhite}}, {6, 32, 64, {kBlue, kRed, kWhite, kGreen}},
        {7, 32, 64, {kWhite, kGreen, kBlue, kRed}}, {8, 32, 64, {kGreen, kWhite, kRed, kBlue}},
    };
    const File jpeg = writeJpeg(64, 32, 3, quarters(), 100);
    for (const Row& r : rows) {
        const File tagged = withExifOrientation(jpeg, r.orientation);
        const File tiff =
            writeTiff(TiffSpec{.width = 64, .height = 32, .orientation = r.orientation}, quarters());
        for (const auto& [format, file] : {std::pair{"jpeg", tagged}, std::pair{"tiff", tiff}}) {
            const bool isJpeg = std::string(format) == "jpeg";
            const Picture p = isJpeg ? decodeJpeg(file.data(), file.size())
                                     : decodeTiff(file.data(), file.size());
            const auto header = isJpeg ? jpegNaturalSize(file.data(), file.size())
                                       : tiffNaturalSize(file.data(), file.size());
            SCOPED_TRACE(std::string(format) + " orientation " + std::to_string(r.orientation));
            EXPECT_EQ(p.width, r.width);
            EXPECT_EQ(p.height, r.height);
            ASSERT_TRUE(header);
            EXPECT_EQ(*header, (Extent{r.width, r.height}));
            EXPECT_EQ(quarterColours(p), r.quarters);
        }
    }
}

// The size a header tells is the size decoded, so measuring needs no
// decoding; where the header does not settle it (a GIF whose screen is
// 0 x 0 takes the frame's size) there is nothing to read from it.
TEST(Orientation, HeadersTellTheSizeThePictureDecodesTo) {
    const std::vector<unsigned char> grey(24 * 10, 7);
    std::vector<unsigned char> rgb(24 * 10 * 3, 7);
    GifSpec gif{.screenWidth = 24, .screenHeight = 10, .width = 24, .height = 10,
                .palette = {{0, 0, 0}, {9, 9, 9}}};
    GifSpec noScreen = gif;
    noScreen.screenWidth = noScreen.screenHeight = 0;
    struct Row {
        const char* name;
        File file;
        std::optional<Extent> (*header)(Bytes, std::size_t);
        Picture (*decode)(Bytes, std::size_t);
        bool told;
    } rows[] = {
        {"png", writePng(PngSpec{.width = 24, .height = 10}, rgb), pngNaturalSize, decodePng, true},
        {"gif", writeGif(gif, grey), gifNaturalSize, decodeGif, true},
        {"gif without a screen", writeGif(noScreen, grey), gifNaturalSize, decodeGif, false},
        {"jpeg", writeJpeg(24, 10, 3, rgb), jpegNaturalSize, decodeJpeg, true},
        {"tiff", writeTiff(TiffSpec{.width = 24, .height = 10}, rgb), tiffNaturalSize, decodeTiff,
         true},
    };
    for (const Row& r : rows) {
        const auto told = r.header(r.file.data(), r.file.size());
        const Picture p = r.decode(r.file.data(), r.file.size());
        EXPECT_EQ(p.width, 24) << r.name;
        ASSERT_EQ(told.has_value(), r.told) << r.name;
        if (told) {
            EXPECT_EQ(*told, (Extent{p.width, p.height})) << r.name;
        }
        // Cut short, a header tells nothing rather than a wrong size.
        EXPECT_FALSE(r.header(r.file.data(), 9)) << r.name;
    }
}

// Shrinking averages what each kept pixel covers: a line one pixel thin on a
// scanned page stays as a grey line four times lighter, where picking one
// source pixel in four would lose three lines of four. Transparent pixels
// lend their neighbours no colour, and a key colour stays a hard edge.
TEST(Reduce, KeepsThinLinesAndLendsTransparentPixelsNoColour) {
    // A white page with black one-pixel lines at x = 9 and y = 21.
    Picture page = picture(64, 64, kWhite);
    for (int i = 0; i < 64; ++i) {
        page.pixels[std::size_t(i) * 64 + 9] = kBlack;
        page.pixels[21 * 64 + std::size_t(i)] = kBlack;
    }
    const Picture small = reduce(page, 16, 16, false, "test");
    ASSERT_EQ(small.width, 16);
    EXPECT_EQ(small.naturalWidth(), 64);
    for (int i = 0; i < 16; ++i) {
        if (i != 5) { // where the lines cross
            EXPECT_EQ(small.pixels[std::size_t(i) * 16 + 2] & 0xFF, 191u) << "vertical, row " << i;
        }
        if (i != 2) {
            EXPECT_EQ(small.pixels[5 * 16 + std::size_t(i)] & 0xFF, 191u) << "horizontal, " << i;
        }
        EXPECT_EQ(small.pixels[std::size_t(i) * 16 + (i == 5 ? 0 : 3)], i == 5 ? 0xFFBFBFBF : kWhite);
    }

    // Three kept columns from five source ones (a fraction each): exact
    // area weights, and the mean of a uniform picture is that colour.
    EXPECT_EQ(reduce(picture(5, 4, 0xFF336699), 3, 2, false, "test").pixels,
              std::vector<std::uint32_t>(6, 0xFF336699));

    // Blue on a red key, shrunk for a transparent control: each kept pixel
    // is the key or pure blue, never purple.
    Picture keyed = picture(40, 40, kRed);
    for (int y = 5; y < 23; ++y)
        for (int x = 7; x < 31; ++x)
            keyed.pixels[std::size_t(y) * 40 + x] = kBlue;
    const Picture keyedSmall = reduce(keyed, 9, 9, true, "test");
    EXPECT_EQ(keyedSmall.keyColour(), kRed);
    for (std::uint32_t p : keyedSmall.pixels)
        EXPECT_TRUE(p == kRed || p == kBlue) << std::hex << p;

    // Transparent red beside opaque blue: the colour shown is blue alone.
    Picture alpha = picture(4, 1, kBlue);
    alpha.hasAlpha = true;
    alpha.pixels[0] = alpha.pixels[1] = 0x00FF0000;
    alpha.pixels[2] = 0x00FF0000;
    const Picture alphaSmall = reduce(alpha, 1, 1, false, "test");
    EXPECT_EQ(alphaSmall.pixels[0], 0x400000FFu); // a quarter covered, all of it blue
}
