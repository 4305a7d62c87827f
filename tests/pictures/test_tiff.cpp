#include "picture_test_support.h"
#include "pictures/encoders.h"
#include "pictures/picture.h"
#include "pictures/tiff.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <string>
#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::encoders;
using namespace taleplay::pictures::test_support;

namespace {

// Pixel (x, y) of a w-wide RGB(A) test image: red x * 10, green y * 10,
// blue 77, alpha 255 - x.
std::vector<unsigned char> gradient(int w, int h, int channels) {
    std::vector<unsigned char> s;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            s.push_back(static_cast<unsigned char>(x * 10));
            s.push_back(static_cast<unsigned char>(y * 10));
            s.push_back(77);
            if (channels == 4)
                s.push_back(static_cast<unsigned char>(255 - x));
        }
    return s;
}

// 1728-pixel fax rows, 1 = black: row y has its first (y + 1) * 8 pixels black.
std::vector<unsigned char> faxRows(int h) {
    std::vector<unsigned char> rows(std::size_t(h) * 216, 0);
    for (int y = 0; y < h; ++y)
        for (int b = 0; b <= y; ++b)
            rows[std::size_t(y) * 216 + std::size_t(b)] = 0xFF;
    return rows;
}

void expectFaxRows(const Picture& pic, int h) {
    ASSERT_EQ(pic.width, 1728);
    ASSERT_EQ(pic.height, h);
    for (int y = 0; y < h; ++y) {
        int edge = (y + 1) * 8;
        EXPECT_EQ(pic.pixels[std::size_t(y) * 1728 + std::size_t(edge) - 1], 0xFF000000u) << y;
        EXPECT_EQ(pic.pixels[std::size_t(y) * 1728 + std::size_t(edge)], 0xFFFFFFFFu) << y;
    }
}

} // namespace

TEST(Tiff, StripsTilesAndCompressions) {
    struct Row {
        const char* name;
        TiffSpec spec;
        bool hasAlpha;
    } rows[] = {
        {"rgb strips", TiffSpec{.width = 20, .height = 13, .rowsPerStrip = 4}, false},
        {"rgb lzw", TiffSpec{.width = 20, .height = 13, .compression = COMPRESSION_LZW}, false},
        {"rgb tiles deflate",
         TiffSpec{
             .width = 20, .height = 13, .compression = COMPRESSION_ADOBE_DEFLATE, .tileSize = 16},
         false},
        {"rgba unassociated tiles",
         TiffSpec{.width = 20,
                  .height = 13,
                  .samplesPerPixel = 4,
                  .extraSamples = EXTRASAMPLE_UNASSALPHA,
                  .tileSize = 16},
         true},
        {"rgba associated",
         TiffSpec{.width = 20,
                  .height = 13,
                  .samplesPerPixel = 4,
                  .extraSamples = EXTRASAMPLE_ASSOCALPHA},
         true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        int channels = r.spec.samplesPerPixel;
        std::vector<unsigned char> samples = gradient(20, 13, channels);
        if (r.spec.extraSamples == EXTRASAMPLE_ASSOCALPHA)
            for (std::size_t i = 0; i < samples.size(); i += 4)
                for (int c = 0; c < 3; ++c)
                    samples[i + c] =
                        static_cast<unsigned char>(samples[i + c] * samples[i + 3] / 255);
        File f = writeTiff(r.spec, samples);
        Picture pic = decodeTiff(f.data(), f.size());
        ASSERT_EQ(pic.width, 20);
        ASSERT_EQ(pic.height, 13);
        EXPECT_EQ(pic.hasAlpha, r.hasAlpha);
        for (auto [x, y] : {std::pair{0, 0}, {19, 0}, {5, 12}, {19, 12}}) {
            std::uint32_t p = pic.pixels[std::size_t(y) * 20 + std::size_t(x)];
            std::uint32_t alpha = channels == 4 ? 255u - x : 255u;
            EXPECT_EQ(p >> 24, alpha);
            // Straight colour comes back from libtiff's premultiplied words
            // within rounding.
            EXPECT_NEAR(int((p >> 16) & 0xFF), x * 10, 1) << x << "," << y;
            EXPECT_NEAR(int((p >> 8) & 0xFF), y * 10, 1) << x << "," << y;
            EXPECT_NEAR(int(p & 0xFF), 77, 1) << x << "," << y;
        }
    }
}

TEST(Tiff, BilevelAndGrey) {
    File g4 = writeTiff(TiffSpec{.width = 1728,
                                 .height = 5,
                                 .samplesPerPixel = 1,
                                 .bitsPerSample = 1,
                                 .photometric = PHOTOMETRIC_MINISWHITE,
                                 .compression = COMPRESSION_CCITTFAX4},
                        faxRows(5));
    expectFaxRows(decodeTiff(g4.data(), g4.size()), 5);
    File grey = writeTiff(
        TiffSpec{
            .width = 2, .height = 1, .samplesPerPixel = 1, .photometric = PHOTOMETRIC_MINISBLACK},
        {0x10, 0xF0});
    Picture pic = decodeTiff(grey.data(), grey.size());
    EXPECT_EQ(pic.pixels[0], 0xFF101010u);
    EXPECT_EQ(pic.pixels[1], 0xFFF0F0F0u);
}

TEST(Tiff, DamagedFilesFailWithLibtiffsMessage) {
    File good = writeTiff(TiffSpec{.width = 64, .height = 64, .compression = COMPRESSION_LZW},
                          gradient(64, 64, 3));
    File truncated(good.begin(), good.begin() + std::ptrdiff_t(good.size() / 2));
    File wide = writeTiff(TiffSpec{.width = 16385,
                                   .height = 1,
                                   .samplesPerPixel = 1,
                                   .photometric = PHOTOMETRIC_MINISBLACK},
                          std::vector<unsigned char>(16385, 0));
    struct Row {
        const char* name;
        File file;
        std::string expected;
    } rows[] = {
        {"empty", {}, "TIFF picture is damaged (Cannot read TIFF header)"},
        {"not tiff", File{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0},
         "TIFF picture is damaged (Not a TIFF"},
        {"truncated", truncated, "TIFF picture is damaged ("},
        {"wider than 16384", wide, "TIFF picture has an unsupported size (16385 x 1)"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(errorOf<decodeTiff>(r.file).substr(0, r.expected.size()), r.expected);
    }
}

TEST(Fax, RawGroup3InEitherBitOrderAndTiffFaxes) {
    for (bool lsbFirst : {true, false}) {
        SCOPED_TRACE(lsbFirst ? "lsb first" : "msb first");
        File raw = writeRawFax(7, faxRows(7), lsbFirst);
        expectFaxRows(decodeFax(raw.data(), raw.size()), 7);
    }
    File tiff = writeTiff(TiffSpec{.width = 1728,
                                   .height = 3,
                                   .samplesPerPixel = 1,
                                   .bitsPerSample = 1,
                                   .photometric = PHOTOMETRIC_MINISWHITE,
                                   .compression = COMPRESSION_CCITTFAX3},
                          faxRows(3));
    expectFaxRows(decodeFax(tiff.data(), tiff.size()), 3);
}

TEST(Fax, DataWithoutRowsFails) {
    EXPECT_EQ(errorOf<decodeFax>({}),
              "FAX picture is damaged (neither a TIFF file nor Group 3 fax data)");
    EXPECT_EQ(errorOf<decodeFax>(File(100, 0x55)),
              "FAX picture is damaged (neither a TIFF file nor Group 3 fax data)");
    // EOLs followed by codes that are no valid run lengths.
    File bad;
    for (int i = 0; i < 8; ++i)
        bad.insert(bad.end(), {0x00, 0x80, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(errorOf<decodeFax>(bad).substr(0, 37), "FAX picture is damaged (Premature EOL");
}
