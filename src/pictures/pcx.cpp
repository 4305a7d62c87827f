// ZSoft PCX (pcx, pcc, scr): 1, 2, 4 and 8 bits a pixel, packed or in bit
// planes, with the 16-colour header palette or the 256-colour one at the end.
#include "pictures/decode_util.h"

#include <vector>

namespace taleplay::pictures {

using namespace detail;

namespace {

constexpr const char* kPcx = "PCX";
constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kTrailerSize = 769; // 0x0C and 256 RGB triples

// The standard EGA colours, for version 3 files (written without a palette)
// and files whose header palette is empty.
constexpr std::uint32_t kEgaColours[16] = {
    0xFF000000, 0xFF0000AA, 0xFF00AA00, 0xFF00AAAA, 0xFFAA0000, 0xFFAA00AA, 0xFFAA5500, 0xFFAAAAAA,
    0xFF555555, 0xFF5555FF, 0xFF55FF55, 0xFF55FFFF, 0xFFFF5555, 0xFFFF55FF, 0xFFFFFF55, 0xFFFFFFFF};

Palette headerPalette(Bytes hd) {
    Palette pal = blackPalette();
    Bytes p = hd + 16;
    bool empty = true;
    for (int i = 0; i < 48; ++i)
        empty = empty && p[i] == 0;
    const bool ega = hd[1] == 3 || empty;
    for (std::size_t i = 0; i < 16; ++i, p += 3)
        pal[i] = ega ? kEgaColours[i] : argb(p[0], p[1], p[2]);
    return pal;
}

// Unpacks the run-length stream one scan line at a time. A run may go on
// into the next line (older writers do that); it is carried over, never
// written past the line buffer.
class LineReader {
  public:
    LineReader(Bytes data, std::size_t pos, std::size_t end, bool encoded)
        : data_(data), pos_(pos), end_(end), encoded_(encoded) {}

    void read(std::uint8_t* line, std::size_t length) {
        std::size_t i = 0;
        while (i < length) {
            if (runLeft_ != 0) {
                const std::size_t n = std::min(runLeft_, length - i);
                std::fill(line + i, line + i + n, runValue_);
                i += n;
                runLeft_ -= n;
                continue;
            }
            if (!encoded_) {
                const std::size_t n = std::min(length - i, end_ - pos_);
                std::copy(data_ + pos_, data_ + pos_ + n, line + i);
                i += n;
                pos_ += n;
                if (i < length)
                    damaged(kPcx, "truncated pixel data");
                continue;
            }
            if (pos_ >= end_)
                damaged(kPcx, "truncated pixel data");
            const std::uint8_t b = data_[pos_++];
            if ((b & 0xC0) != 0xC0) {
                line[i++] = b;
                continue;
            }
            if (pos_ >= end_)
                damaged(kPcx, "truncated pixel data");
            runLeft_ = b & 0x3F;
            runValue_ = data_[pos_++];
        }
    }

  private:
    Bytes data_;
    std::size_t pos_;
    std::size_t end_;
    bool encoded_;
    std::size_t runLeft_ = 0;
    std::uint8_t runValue_ = 0;
};

} // namespace

Picture decodePcx(Bytes data, std::size_t size) {
    Reader r(data, size, kPcx);
    Bytes hd = r.take(kHeaderSize);
    if (hd[0] != 0x0A || hd[2] > 1)
        r.fail("not a PCX file");
    const bool encoded = hd[2] == 1;
    const int bits = hd[3];
    const int xMin = le16(hd + 4), yMin = le16(hd + 6), xMax = le16(hd + 8), yMax = le16(hd + 10);
    const int planes = hd[65];
    const std::size_t bytesPerLine = le16(hd + 66);
    if (xMax < xMin || yMax < yMin)
        r.fail("bad dimensions");
    const std::int64_t w = xMax - xMin + 1;
    const std::int64_t h = yMax - yMin + 1;

    const bool supported = (bits == 1 && planes >= 1 && planes <= 4) ||
                           ((bits == 2 || bits == 4) && planes == 1) ||
                           (bits == 8 && (planes == 1 || planes == 3 || planes == 4));
    if (!supported)
        unsupported(kPcx, "layout (" + std::to_string(planes) + " planes of " +
                              std::to_string(bits) + " bits)");
    if (bytesPerLine * 8 < static_cast<std::uint64_t>(w) * bits)
        r.fail("scan line shorter than the picture");

    std::size_t dataEnd = size;
    Palette pal;
    if (bits == 8 && planes == 1) {
        if (size >= kHeaderSize + kTrailerSize && data[size - kTrailerSize] == 0x0C) {
            dataEnd = size - kTrailerSize;
            pal = blackPalette();
            Bytes p = data + dataEnd + 1;
            for (std::size_t i = 0; i < 256; ++i, p += 3)
                pal[i] = argb(p[0], p[1], p[2]);
        } else {
            pal = greyPalette(256); // greyscale files may leave the palette out
        }
    } else if (bits == 1 && planes == 1) {
        pal = greyPalette(2);
    } else {
        pal = headerPalette(hd);
    }

    // Refuse a short file before allocating for the size it claims: a run
    // of two bytes stands for at most 63.
    const std::uint64_t lineBytes = bytesPerLine * planes;
    const std::uint64_t packed = lineBytes * static_cast<std::uint64_t>(h);
    const std::uint64_t least = encoded ? (packed + 62) / 63 * 2 : packed;
    if (least > dataEnd - kHeaderSize)
        r.fail("truncated pixel data");

    Picture pic;
    allocate(pic, w, h, kPcx);
    std::vector<std::uint8_t> lineBuffer(static_cast<std::size_t>(lineBytes));
    std::uint8_t* line = lineBuffer.data();
    LineReader lines(data, kHeaderSize, dataEnd, encoded);
    const std::size_t width = static_cast<std::size_t>(w);
    const std::size_t bpl = bytesPerLine;
    for (std::int64_t y = 0; y < h; ++y) {
        lines.read(line, lineBuffer.size());
        std::uint32_t* dst = pic.pixels.data() + static_cast<std::size_t>(y) * width;
        if (bits == 8 && planes == 1) {
            for (std::size_t x = 0; x < width; ++x)
                dst[x] = pal[line[x]];
        } else if (bits == 8) {
            const std::uint8_t* red = line;
            const std::uint8_t* green = line + bpl;
            const std::uint8_t* blue = line + 2 * bpl;
            for (std::size_t x = 0; x < width; ++x)
                dst[x] = argb(red[x], green[x], blue[x]);
            if (planes == 4) {
                const std::uint8_t* alpha = line + 3 * bpl;
                for (std::size_t x = 0; x < width; ++x)
                    dst[x] = (dst[x] & 0xFFFFFF) | std::uint32_t(alpha[x]) << 24;
            }
        } else if (bits == 4) {
            for (std::size_t x = 0; x < width; ++x)
                dst[x] = pal[(line[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
        } else if (bits == 2) {
            for (std::size_t x = 0; x < width; ++x)
                dst[x] = pal[(line[x >> 2] >> (6 - 2 * (x & 3))) & 3];
        } else {
            for (std::size_t x = 0; x < width; ++x) {
                unsigned index = 0;
                for (int p = 0; p < planes; ++p)
                    index |= ((line[p * bpl + (x >> 3)] >> (7 - (x & 7))) & 1u) << p;
                dst[x] = pal[index];
            }
        }
    }
    if (bits == 8 && planes == 4)
        settleAlpha(pic);
    return pic;
}

} // namespace taleplay::pictures
