// PNG and JPEG leave a picture's memory unwritten when they allocate it, so
// each must write every pixel of every picture it returns: decoded once over
// one pattern and once over another, a picture comes out the same.
#include "picture_test_support.h"
#include "pictures/encoders.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>
#include <png.h>

#include <string>
#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::encoders;
using namespace taleplay::pictures::test_support;

namespace {

std::vector<unsigned char> samples(int w, int h, int channels) {
    std::vector<unsigned char> s(std::size_t(w) * h * channels);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<unsigned char>((i * 37) ^ (i >> 5));
    return s;
}

File cut(File f, std::size_t keep) {
    f.resize(keep);
    return f;
}

struct Outcome {
    std::string error;
    Picture picture;
};

Outcome decodeOver(Decoder decode, const File& f, std::uint32_t pattern) {
    setUnwrittenPattern(pattern);
    Outcome out;
    try {
        out.picture = decode(f.data(), f.size());
    } catch (const PictureError& e) {
        out.error = e.what();
    }
    setUnwrittenPattern(std::nullopt);
    return out;
}

} // namespace

TEST(UnwrittenPixels, PngAndJpegWriteEveryPixelOfWhatTheyReturn) {
    PngSpec palette{.width = 13, .height = 7, .colorType = PNG_COLOR_TYPE_PALETTE, .bitDepth = 4};
    for (int i = 0; i < 16; ++i)
        palette.palette.push_back({static_cast<unsigned char>(i * 16), 7, 9});
    PngSpec paletteInterlaced = palette;
    paletteInterlaced.interlaced = true;
    std::vector<unsigned char> indices(7 * 7);
    for (std::size_t i = 0; i < indices.size(); ++i)
        indices[i] = static_cast<unsigned char>(i % 16 * 17);
    const File rgb = writePng(PngSpec{.width = 31, .height = 17}, samples(31, 17, 3));
    const File jpeg = writeJpeg(33, 17, 3, samples(33, 17, 3));
    struct Row {
        const char* name;
        Decoder decode;
        File file;
        bool fails;
    } rows[] = {
        {"png rgb", decodePng, rgb, false},
        {"png rgba", decodePng,
         writePng(PngSpec{.width = 31, .height = 17, .colorType = PNG_COLOR_TYPE_RGBA},
                  samples(31, 17, 4)),
         false},
        {"png rgb 16-bit", decodePng,
         writePng(PngSpec{.width = 5, .height = 4, .bitDepth = 16}, samples(5, 4, 6)), false},
        {"png grey", decodePng,
         writePng(PngSpec{.width = 9, .height = 9, .colorType = PNG_COLOR_TYPE_GRAY},
                  samples(9, 9, 1)),
         false},
        {"png palette", decodePng, writePng(palette, std::vector<unsigned char>(7 * 7, 0x5A)),
         false},
        {"png palette interlaced", decodePng, writePng(paletteInterlaced, indices), false},
        {"png rgb interlaced", decodePng,
         writePng(PngSpec{.width = 31, .height = 17, .interlaced = true}, samples(31, 17, 3)),
         false},
        {"png without its end", decodePng, cut(rgb, rgb.size() - 12), false},
        {"png truncated", decodePng, cut(rgb, rgb.size() / 2), true},
        {"jpeg baseline", decodeJpeg, jpeg, false},
        {"jpeg grey", decodeJpeg, writeJpeg(17, 9, 1, samples(17, 9, 1)), false},
        {"jpeg progressive", decodeJpeg,
         writeJpeg(33, 17, 3, samples(33, 17, 3), 80, JpegScans::Progressive), false},
        {"jpeg cmyk", decodeJpeg, writeJpeg(9, 9, 4, samples(9, 9, 4)), false},
        {"jpeg truncated", decodeJpeg, cut(jpeg, jpeg.size() / 2), true},
    };
    for (PngInflate how : {PngInflate::WholeStream, PngInflate::RowByRow}) {
        setPngInflate(how);
        for (const Row& r : rows) {
            SCOPED_TRACE(std::string(r.name) + (how == PngInflate::RowByRow ? ", row by row" : ""));
            const Outcome a = decodeOver(r.decode, r.file, 0xDEADBEEF);
            const Outcome b = decodeOver(r.decode, r.file, 0x01234567);
            EXPECT_EQ(a.error.empty(), !r.fails) << a.error;
            EXPECT_EQ(a.error, b.error);
            EXPECT_EQ(a.picture.width, b.picture.width);
            EXPECT_TRUE(a.picture.pixels == std::vector<std::uint32_t>(b.picture.pixels.begin(),
                                                                       b.picture.pixels.end()));
        }
    }
    setPngInflate(PngInflate::WholeStream);
}
