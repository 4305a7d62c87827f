// Writes small real files of the library-backed formats into
// corpus/<format>/ as fuzzing seeds: each colour type and layout the
// decoders treat differently, a few bytes to a few KB each.
#include "pictures/encoders.h"

#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace taleplay::pictures::encoders;

namespace {

std::filesystem::path root;

void save(const std::string& format, const std::string& name, const File& bytes) {
    std::filesystem::create_directories(root / format);
    std::ofstream(root / format / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<unsigned char> pattern(std::size_t n, unsigned mul) {
    std::vector<unsigned char> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<unsigned char>((i * mul) ^ (i >> 3));
    return v;
}

void pngSeeds() {
    PngSpec rgb{.width = 9, .height = 7};
    save("png", "rgb8.png", writePng(rgb, pattern(9 * 7 * 3, 7)));
    PngSpec rgba{.width = 9, .height = 7, .colorType = PNG_COLOR_TYPE_RGBA, .interlaced = true};
    save("png", "rgba8_interlaced.png", writePng(rgba, pattern(9 * 7 * 4, 5)));
    PngSpec grey16{.width = 5, .height = 4, .colorType = PNG_COLOR_TYPE_GRAY, .bitDepth = 16};
    grey16.trnsKey = {0x1234};
    save("png", "grey16_trns.png", writePng(grey16, pattern(5 * 4 * 2, 3)));
    PngSpec grey2{.width = 13, .height = 3, .colorType = PNG_COLOR_TYPE_GRAY, .bitDepth = 2};
    save("png", "grey2.png", writePng(grey2, pattern(4 * 3, 11)));
    PngSpec pal{.width = 10, .height = 6, .colorType = PNG_COLOR_TYPE_PALETTE, .bitDepth = 4};
    pal.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}};
    pal.trns = {0, 128};
    std::vector<unsigned char> idx(5 * 6);
    for (std::size_t i = 0; i < idx.size(); ++i)
        idx[i] = static_cast<unsigned char>(((i % 4) << 4) | ((i + 1) % 4));
    save("png", "palette4_trns.png", writePng(pal, idx));
    PngSpec ga16{.width = 4,
                 .height = 4,
                 .colorType = PNG_COLOR_TYPE_GRAY_ALPHA,
                 .bitDepth = 16,
                 .interlaced = true};
    save("png", "greyalpha16_interlaced.png", writePng(ga16, pattern(4 * 4 * 4, 13)));
}

void jpegSeeds() {
    save("jpeg", "rgb.jpg", writeJpeg(16, 12, 3, pattern(16 * 12 * 3, 7), 80));
    save("jpeg", "grey.jpg", writeJpeg(11, 9, 1, pattern(11 * 9, 3), 80));
    save("jpeg", "progressive.jpg",
         writeJpeg(24, 16, 3, pattern(24 * 16 * 3, 5), 75, JpegScans::Progressive));
    save("jpeg", "cmyk_adobe.jpg", writeJpeg(8, 8, 4, pattern(8 * 8 * 4, 9), 80));
}

void gifSeeds() {
    GifSpec plain{.screenWidth = 10, .screenHeight = 6, .width = 10, .height = 6};
    plain.palette = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 0, 255}};
    std::vector<unsigned char> idx(60);
    for (std::size_t i = 0; i < idx.size(); ++i)
        idx[i] = static_cast<unsigned char>(i % 4);
    save("gif", "plain.gif", writeGif(plain, idx));
    GifSpec inter = plain;
    inter.interlaced = true;
    inter.transparent = 2;
    save("gif", "interlaced_transparent.gif", writeGif(inter, idx));
    GifSpec offset{.screenWidth = 12,
                   .screenHeight = 9,
                   .left = 3,
                   .top = 2,
                   .width = 5,
                   .height = 4,
                   .frames = 2};
    offset.palette = plain.palette;
    save("gif", "offset_two_frames.gif", writeGif(offset, std::vector<unsigned char>(20, 1)));
}

void tiffSeeds() {
    TiffSpec rgb{.width = 9, .height = 7};
    save("tiff", "rgb_strips.tif", writeTiff(rgb, pattern(9 * 7 * 3, 7)));
    TiffSpec lzw{.width = 9, .height = 7, .compression = COMPRESSION_LZW, .rowsPerStrip = 2};
    save("tiff", "rgb_lzw.tif", writeTiff(lzw, pattern(9 * 7 * 3, 5)));
    TiffSpec rgba{.width = 20,
                  .height = 18,
                  .samplesPerPixel = 4,
                  .compression = COMPRESSION_ADOBE_DEFLATE,
                  .extraSamples = EXTRASAMPLE_UNASSALPHA,
                  .tileSize = 16};
    save("tiff", "rgba_tiles_deflate.tif", writeTiff(rgba, pattern(20 * 18 * 4, 3)));
    TiffSpec grey{.width = 8,
                  .height = 5,
                  .samplesPerPixel = 1,
                  .photometric = PHOTOMETRIC_MINISBLACK,
                  .compression = COMPRESSION_PACKBITS};
    save("tiff", "grey_packbits.tif", writeTiff(grey, pattern(8 * 5, 9)));
    TiffSpec bilevel{.width = 16,
                     .height = 4,
                     .samplesPerPixel = 1,
                     .bitsPerSample = 1,
                     .photometric = PHOTOMETRIC_MINISWHITE,
                     .compression = COMPRESSION_CCITTFAX4};
    save("tiff", "g4.tif", writeTiff(bilevel, pattern(2 * 4, 3)));
}

void faxSeeds() {
    std::vector<unsigned char> rows(216 * 6, 0);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 216; x += 1 + y)
            rows[std::size_t(y) * 216 + std::size_t(x)] = static_cast<unsigned char>(0xF0 >> y);
    save("fax", "g3_lsb.fax", writeRawFax(6, rows, true));
    save("fax", "g3_msb.fax", writeRawFax(3, rows, false));
    TiffSpec g3{.width = 1728,
                .height = 2,
                .samplesPerPixel = 1,
                .bitsPerSample = 1,
                .photometric = PHOTOMETRIC_MINISWHITE,
                .compression = COMPRESSION_CCITTFAX3};
    save("fax", "g3_in_tiff.fax", writeTiff(g3, std::vector<unsigned char>(432, 0x0F)));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    root = argv[1];
    pngSeeds();
    jpegSeeds();
    gifSeeds();
    tiffSeeds();
    faxSeeds();
    return 0;
}
