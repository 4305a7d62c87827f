#include "picture_test_support.h"
#include "pictures/encoders.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::encoders;
using namespace taleplay::pictures::test_support;

namespace {

constexpr auto decode = decodeFile<decodeJpeg>;

// `components` samples per pixel, the left half one colour and the right
// half another, so the blocks away from the edge decode almost exactly.
std::vector<unsigned char> halves(int w, int h, std::vector<unsigned char> left,
                                  std::vector<unsigned char> right) {
    std::vector<unsigned char> s;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            s.insert(s.end(), (x < w / 2 ? left : right).begin(), (x < w / 2 ? left : right).end());
    return s;
}

void expectNear(std::uint32_t got, std::uint32_t want) {
    for (int shift : {24, 16, 8, 0})
        EXPECT_LE(std::abs(int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF)), 3)
            << std::hex << got << " vs " << want;
}

// Finds the first SOFn marker and patches its height and width.
File withSize(File f, unsigned w, unsigned h) {
    for (std::size_t i = 2; i + 9 < f.size(); ++i)
        if (f[i] == 0xFF && (f[i + 1] == 0xC0 || f[i + 1] == 0xC2)) {
            f[i + 5] = (h >> 8) & 0xFF, f[i + 6] = h & 0xFF;
            f[i + 7] = (w >> 8) & 0xFF, f[i + 8] = w & 0xFF;
            return f;
        }
    ADD_FAILURE() << "no SOF marker";
    return f;
}

} // namespace

TEST(Jpeg, DecodesGreyRgbAndAdobeCmyk) {
    struct Row {
        const char* name;
        int components;
        std::vector<unsigned char> left, right;
        JpegScans scans;
        std::uint32_t leftArgb, rightArgb;
    } rows[] = {
        {"grey", 1, {40}, {220}, JpegScans::Baseline, 0xFF282828, 0xFFDCDCDC},
        {"rgb", 3, {200, 30, 40}, {10, 90, 250}, JpegScans::Baseline, 0xFFC81E28, 0xFF0A5AFA},
        {"rgb progressive",
         3,
         {200, 30, 40},
         {10, 90, 250},
         JpegScans::Progressive,
         0xFFC81E28,
         0xFF0A5AFA},
        // Photoshop's inverted inks: 255 is no ink. Left: no ink at all,
        // white; right: full cyan (stored 0) and no black (stored 255).
        {"adobe cmyk",
         4,
         {255, 255, 255, 255},
         {0, 255, 255, 255},
         JpegScans::Baseline,
         0xFFFFFFFF,
         0xFF00FFFF},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Picture pic =
            decode(writeJpeg(32, 16, r.components, halves(32, 16, r.left, r.right), 95, r.scans));
        ASSERT_EQ(pic.width, 32);
        ASSERT_EQ(pic.height, 16);
        EXPECT_FALSE(pic.hasAlpha);
        expectNear(pic.pixels[8 * 32 + 4], r.leftArgb);
        expectNear(pic.pixels[8 * 32 + 27], r.rightArgb);
    }
}

TEST(Jpeg, DamagedFilesFailWithLibjpegsMessage) {
    File good = writeJpeg(64, 64, 3, halves(64, 64, {1, 2, 3}, {200, 100, 0}));
    File truncated(good.begin(), good.begin() + std::ptrdiff_t(good.size() * 2 / 3));
    File garbage = good;
    for (std::size_t i = good.size() / 2; i < good.size() / 2 + 40; ++i)
        garbage[i] = 0xFF; // markers where entropy-coded data belongs
    struct Row {
        const char* name;
        File file;
        std::string expected;
    } rows[] = {
        {"empty", {}, "JPEG picture is damaged (empty file)"},
        {"not jpeg", File{'P', '6', '\n', '1'},
         "JPEG picture is damaged (Not a JPEG file: starts with 0x50 0x36)"},
        // Only a warning to libjpeg; it would fill the rest with grey.
        {"truncated", truncated, "JPEG picture is damaged (Premature end of JPEG file)"},
        {"corrupt data", garbage, "JPEG picture is damaged (Corrupt JPEG data"},
        {"wider than 16384", withSize(good, 16385, 8),
         "JPEG picture has an unsupported size (16385 x 8)"},
        {"over 256 MiB of pixels", withSize(good, 16384, 16384),
         "JPEG picture has an unsupported size (16384 x 16384)"},
        {"zero width", withSize(good, 0, 8), "JPEG picture is damaged (Empty JPEG image"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(errorOf<decodeJpeg>(r.file).substr(0, r.expected.size()), r.expected);
    }
}

TEST(Jpeg, ProgressiveFilesAreCappedAtAHundredScans) {
    // Grey: one DC scan and 63 AC scans, within the cap; RGB: 1 + 3 x 63.
    auto grey = writeJpeg(16, 16, 1, std::vector<unsigned char>(256, 90), 90,
                          JpegScans::OneScanPerCoefficient);
    EXPECT_EQ(decode(grey).pixels[0] & 0xFF, 90u);
    auto rgb = writeJpeg(16, 16, 3, std::vector<unsigned char>(768, 90), 90,
                         JpegScans::OneScanPerCoefficient);
    EXPECT_EQ(errorOf<decodeJpeg>(rgb), "JPEG picture is damaged (more than 100 scans)");
}

TEST(Jpeg, ProgressiveWorkingMemoryIsBounded) {
    // 8000 x 8000 is within the pixel limit, but a progressive YCCK file of
    // that size needs 320 MB of coefficient buffers (Y and K at full size,
    // the two chroma components at a quarter, 2 bytes a coefficient).
    File big = withSize(
        writeJpeg(16, 16, 4, std::vector<unsigned char>(1024, 90), 90, JpegScans::Progressive),
        8000, 8000);
    EXPECT_EQ(errorOf<decodeJpeg>(big),
              "JPEG picture needs more than 256 MiB of working memory to decode");
}
