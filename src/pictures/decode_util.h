#pragma once
// Shared pieces of the small raster decoders: a byte reader that never reads
// past the end of the file, endian reads, colour packing and palettes.
// Everything here is header-only so each decoder stays one .cpp file.
#include "core/errors.h"
#include "pictures/picture.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace taleplay::pictures::detail {

[[noreturn]] inline void damaged(const char* format, const char* why) {
    damagedPicture(format, why);
}

[[noreturn]] inline void unsupported(const char* format, const std::string& what) {
    unsupportedPicture(format, what);
}

inline std::uint16_t le16(Bytes p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint16_t be16(Bytes p) {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}
inline std::uint32_t le32(Bytes p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
inline std::uint32_t be32(Bytes p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

inline constexpr std::uint32_t argb(std::uint32_t r, std::uint32_t g, std::uint32_t b,
                                    std::uint32_t a = 255) {
    return a << 24 | r << 16 | g << 8 | b;
}

inline constexpr std::uint32_t kOpaqueBlack = 0xFF000000u;

// Reads a file held in memory. Every read is checked against the real size
// of the file; offsets and counts are 64-bit so that header fields cannot
// wrap around. A failed check throws "<format> picture is damaged (...)".
class Reader {
  public:
    Reader(Bytes data, std::size_t size, const char* format)
        : data_(data), size_(size), format_(format) {}

    const char* format() const { return format_; }
    std::size_t size() const { return size_; }
    std::size_t pos() const { return pos_; }
    std::size_t remaining() const { return size_ - pos_; }
    bool has(std::uint64_t n) const { return n <= remaining(); }

    void seek(std::uint64_t offset) {
        if (offset > size_)
            fail("offset past the end of the file");
        pos_ = static_cast<std::size_t>(offset);
    }
    void skip(std::uint64_t n) {
        need(n);
        pos_ += static_cast<std::size_t>(n);
    }
    // A pointer to the next n bytes, which are known to be inside the file.
    Bytes take(std::uint64_t n) {
        need(n);
        Bytes p = data_ + pos_;
        pos_ += static_cast<std::size_t>(n);
        return p;
    }
    // n bytes at an absolute offset, without moving.
    Bytes at(std::uint64_t offset, std::uint64_t n) const {
        if (offset > size_ || n > size_ - offset)
            fail("offset past the end of the file");
        return data_ + offset;
    }

    std::uint8_t u8() { return *take(1); }
    std::uint16_t le16() { return detail::le16(take(2)); }
    std::uint16_t be16() { return detail::be16(take(2)); }
    std::uint32_t le32() { return detail::le32(take(4)); }
    std::uint32_t be32() { return detail::be32(take(4)); }

    [[noreturn]] void fail(const char* why) const { damaged(format_, why); }

  private:
    void need(std::uint64_t n) const {
        if (n > remaining())
            fail("truncated file");
    }

    Bytes data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    const char* format_;
};

// Refuses sides past the hard limits, with allocate()'s own message, before a
// decoder multiplies them into byte counts that could otherwise overflow.
inline void checkSides(std::int64_t w, std::int64_t h, const char* format) {
    if (w > kMaxSide || h > kMaxSide) {
        Picture none;
        allocate(none, w, h, format); // throws without allocating
    }
}

// A colour table indexed by a byte. Entries the file does not define stay
// opaque black, so a pixel whose index lies past the file's palette shows
// black instead of reading beyond the palette; no per-pixel check is needed.
using Palette = std::array<std::uint32_t, 256>;

inline Palette blackPalette() {
    Palette p;
    p.fill(kOpaqueBlack);
    return p;
}

// `levels` grey shades from black to white (levels >= 2).
inline Palette greyPalette(int levels) {
    Palette p = blackPalette();
    for (int i = 0; i < levels && i < 256; ++i) {
        std::uint32_t v = static_cast<std::uint32_t>((i * 255 + (levels - 1) / 2) / (levels - 1));
        p[static_cast<std::size_t>(i)] = argb(v, v, v);
    }
    return p;
}

// Maps an n-bit value (n <= 8) to 0..255, rounding to nearest.
inline std::array<std::uint8_t, 256> scaleTable(int bits) {
    std::array<std::uint8_t, 256> t{};
    const int max = (1 << bits) - 1;
    for (int v = 0; v <= max; ++v)
        t[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>((v * 255 + max / 2) / max);
    return t;
}

inline void flipVertically(Picture& pic) {
    const std::size_t w = static_cast<std::size_t>(pic.width);
    for (std::size_t top = 0, bottom = static_cast<std::size_t>(pic.height) - 1; top < bottom;
         ++top, --bottom)
        std::swap_ranges(pic.pixels.begin() + static_cast<std::ptrdiff_t>(top * w),
                         pic.pixels.begin() + static_cast<std::ptrdiff_t>((top + 1) * w),
                         pic.pixels.begin() + static_cast<std::ptrdiff_t>(bottom * w));
}

inline void flipHorizontally(Picture& pic) {
    const std::size_t w = static_cast<std::size_t>(pic.width);
    for (std::size_t y = 0; y < static_cast<std::size_t>(pic.height); ++y) {
        auto row = pic.pixels.begin() + static_cast<std::ptrdiff_t>(y * w);
        std::reverse(row, row + static_cast<std::ptrdiff_t>(w));
    }
}

// Writers of 32-bit BMP, TGA and icon images often leave the fourth byte at
// zero while meaning an opaque picture. An alpha channel that is zero
// everywhere is read as opaque; otherwise hasAlpha says whether any pixel is
// less than opaque. Returns whether the alpha channel was used.
inline bool settleAlpha(Picture& pic) {
    std::uint32_t any = 0;
    std::uint32_t all = 0xFF000000u;
    for (std::uint32_t px : pic.pixels) {
        any |= px;
        all &= px;
    }
    if ((any & 0xFF000000u) == 0) {
        for (std::uint32_t& px : pic.pixels)
            px |= 0xFF000000u;
        pic.hasAlpha = false;
        return false;
    }
    pic.hasAlpha = (all & 0xFF000000u) != 0xFF000000u;
    return true;
}

// The image of an icon directory entry stored as a DIB (header, palette,
// colour bits, AND mask); shared with the BMP reader. Defined in bmp.cpp.
Picture decodeIconDib(Bytes data, std::size_t size);

} // namespace taleplay::pictures::detail
