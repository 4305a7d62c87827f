// The demo's own writers: what they produce must read back exactly, through
// the player's decoders where the player reads it.
#include "media_writers.h"
#include "pictures/loader.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <stdexcept>

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t u32At(const std::string& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b.at(at + static_cast<std::size_t>(i)));
    return v;
}

class DemoWriters : public ::testing::Test {
  protected:
    std::string path(const char* name) const {
        return QDir(dir.path()).filePath(name).toStdString();
    }
    QTemporaryDir dir;
};

// Wide enough that the encoder restarts its code table many times in a row.
TEST_F(DemoWriters, GifKeepsEveryPaletteColourThroughTheGameDecoder) {
    QImage image(301, 97, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y,
                           qRgb((x * 51) % 306 % 255, (y * 102) % 255, ((x + y) * 153) % 255));
    demoart::writeGif(path("p.gif"), image);

    const auto picture = taleplay::pictures::loadPicture(path("p.gif"), "p.gif");
    ASSERT_EQ(picture->width, 301);
    ASSERT_EQ(picture->height, 97);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(picture->pixels[static_cast<std::size_t>(y * 301 + x)] & 0xFFFFFFu,
                      image.pixel(x, y) & 0xFFFFFFu)
                << "at " << x << "," << y;
}

// Colours outside the palette go to one nearest colour each, so a flat
// background stays one colour and the colour key still finds all of it.
TEST_F(DemoWriters, GifKeepsAFlatBackgroundFlat) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(12, 22, 52));
    for (int y = 10; y < 20; ++y)
        for (int x = 10; x < 20; ++x)
            image.setPixel(x, y, qRgb(250, 10, 10));
    demoart::writeGif(path("n.gif"), image);
    const auto picture = taleplay::pictures::loadPicture(path("n.gif"), "n.gif");
    const std::uint32_t key = picture->pixels[29 * 40];
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inside = x >= 10 && x < 20 && y >= 10 && y < 20;
            ASSERT_EQ(picture->pixels[static_cast<std::size_t>(y * 40 + x)] & 0xFFFFFFu,
                      inside ? 0xFF0000u : key & 0xFFFFFFu)
                << "at " << x << "," << y;
        }
}

TEST_F(DemoWriters, WavHeaderAgreesWithItsSamples) {
    demoart::writeWav(path("s.wav"), 22050, {0.0f, 1.0f, -1.0f, 2.0f});
    const std::string b = readAll(path("s.wav"));
    ASSERT_EQ(b.size(), 44u + 8u);
    EXPECT_EQ(b.substr(0, 4), "RIFF");
    EXPECT_EQ(u32At(b, 4), b.size() - 8);
    EXPECT_EQ(b.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(u32At(b, 24), 22050u);
    EXPECT_EQ(b.substr(36, 4), "data");
    EXPECT_EQ(u32At(b, 40), 8u);
    // Loud samples are clipped, not wrapped round.
    auto sample = [&](std::size_t i) {
        const auto lo = static_cast<unsigned char>(b.at(44 + 2 * i));
        const auto hi = static_cast<unsigned char>(b.at(45 + 2 * i));
        return static_cast<std::int16_t>(lo | (hi << 8));
    };
    EXPECT_EQ(sample(0), 0);
    EXPECT_EQ(sample(1), 32000);
    EXPECT_EQ(sample(2), -32000);
    EXPECT_EQ(sample(3), 32000);
}

TEST_F(DemoWriters, AviIndexesOneJpegChunkPerFrame) {
    std::vector<QImage> frames;
    for (int i = 0; i < 5; ++i) {
        QImage f(64, 48, QImage::Format_RGB32);
        f.fill(QColor(i * 50, 0, 255 - i * 50));
        frames.push_back(f);
    }
    demoart::writeMjpegAvi(path("v.avi"), frames, 10, 80);
    const std::string b = readAll(path("v.avi"));
    EXPECT_EQ(b.substr(0, 4), "RIFF");
    EXPECT_EQ(u32At(b, 4), b.size() - 8);
    EXPECT_EQ(b.substr(8, 4), "AVI ");
    const std::size_t movi = b.find("movi");
    const std::size_t idx = b.find("idx1");
    ASSERT_NE(movi, std::string::npos);
    ASSERT_NE(idx, std::string::npos);
    ASSERT_EQ(u32At(b, idx + 4), 5u * 16u);
    for (std::size_t i = 0; i < 5; ++i) {
        const std::size_t entry = idx + 8 + i * 16;
        EXPECT_EQ(b.substr(entry, 4), "00dc");
        // Offsets count from the "movi" tag; each chunk holds one JPEG.
        const std::size_t chunk = movi + u32At(b, entry + 8);
        EXPECT_EQ(b.substr(chunk, 4), "00dc");
        EXPECT_EQ(u32At(b, chunk + 4), u32At(b, entry + 12));
        EXPECT_EQ(static_cast<unsigned char>(b[chunk + 8]), 0xFF);
        EXPECT_EQ(static_cast<unsigned char>(b[chunk + 9]), 0xD8);
    }
}

TEST(DemoTexts, Cp1251CoversTheDemosLettersAndRefusesOthers) {
    EXPECT_EQ(demoart::toCp1251("*text1*string1*Ёж, ёж — «Я» №1…#"),
              "*text1*string1*\xA8\xE6, \xB8\xE6 \x97 \xAB\xDF\xBB \xB9"
              "1\x85#");
    EXPECT_EQ(demoart::toCp1251("АаЯя"), "\xC0\xE0\xDF\xFF");
    EXPECT_THROW(demoart::toCp1251("中"), std::runtime_error);
    EXPECT_THROW(demoart::toCp1251("\xF0\x9F\x98\x80"), std::runtime_error);
}

} // namespace
