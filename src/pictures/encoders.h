#pragma once
// Writers for the library-backed formats, used by the tests, the benchmark
// and the fuzz seed maker to make real files with the libraries' own
// encoders. Not part of the player.
#include <cstdint>
#include <string>
#include <vector>

namespace taleplay::pictures::encoders {

using File = std::vector<unsigned char>;

struct Rgb {
    unsigned char r, g, b;
};

// libpng colour types and bit depths as in png.h; `samples` are the packed
// rows exactly as png_write_row takes them (16-bit samples big-endian).
struct PngSpec {
    int width = 0;
    int height = 0;
    int colorType = 2; // PNG_COLOR_TYPE_RGB
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<Rgb> palette{};
    std::vector<unsigned char> trns{};    // palette alpha
    std::vector<std::uint16_t> trnsKey{}; // grey: {g}, RGB: {r, g, b}
};
File writePng(const PngSpec& spec, const std::vector<unsigned char>& samples);

enum class JpegScans {
    Baseline,
    Progressive,          // libjpeg's simple progression script
    OneScanPerCoefficient // progressive, every AC coefficient its own scan
};

// `components`: 1 grey, 3 RGB, 4 CMYK (written with libjpeg's Adobe marker,
// the samples taken as given, so pass them inverted as Photoshop does).
File writeJpeg(int width, int height, int components, const std::vector<unsigned char>& samples,
               int quality = 90, JpegScans scans = JpegScans::Baseline);
// The JPEG file with an EXIF block right after its start that gives the
// orientation (1 to 8) a camera would write.
File withExifOrientation(const File& jpeg, int orientation);

struct GifSpec {
    int screenWidth = 0;
    int screenHeight = 0;
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<Rgb> palette{}; // padded to a power of two
    int transparent = -1;
    bool interlaced = false;
    int frames = 1; // further frames repeat the first
};
File writeGif(const GifSpec& spec, const std::vector<unsigned char>& indices);

struct TiffSpec {
    int width = 0;
    int height = 0;
    int samplesPerPixel = 3;
    int bitsPerSample = 8;
    int photometric = 2;  // PHOTOMETRIC_RGB
    int compression = 1;  // COMPRESSION_NONE
    int extraSamples = 0; // 0, or EXTRASAMPLE_ASSOCALPHA / EXTRASAMPLE_UNASSALPHA
    int tileSize = 0;     // 0: strips
    int rowsPerStrip = 0; // 0: libtiff's default
    int orientation = 0;  // 0: no tag
};
// `samples`: contiguous rows, (width * samplesPerPixel * bitsPerSample + 7) / 8 bytes each.
File writeTiff(const TiffSpec& spec, const std::vector<unsigned char>& samples);

// Raw one-dimensional Group 3 fax data (no header) for 1-bit rows of
// 1728 pixels, 216 bytes each, 1 = black; bits most significant first when
// `lsbFirst` is false.
File writeRawFax(int height, const std::vector<unsigned char>& rows, bool lsbFirst);

} // namespace taleplay::pictures::encoders
