// PNG through libpng. libpng reports errors by longjmp, so every call into it
// happens in a small function that holds nothing with a destructor; the
// Picture lives one frame further out and the message travels back as plain
// text before it is thrown as a PictureError.
#include "pictures/picture.h"

#include "core/errors.h"

#include <png.h>

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace taleplay::pictures {

namespace {

// Largest ancillary chunk libpng may buffer, and how many it may keep
// (unknown, sPLT, text...). Both bound the memory a hostile file can make
// libpng hold before a single pixel is read.
constexpr png_alloc_size_t kMaxChunkBytes = 8'000'000;
constexpr png_uint_32 kMaxCachedChunks = 1000;

struct Source {
    Bytes data;
    std::size_t size;
    std::size_t pos;
    char message[256];
    char warning[256]; // the first, which often says why an error follows
};

[[noreturn]] void onError(png_structp png, png_const_charp msg) {
    auto* src = static_cast<Source*>(png_get_error_ptr(png));
    std::snprintf(src->message, sizeof src->message, "%s", msg ? msg : "unknown error");
    png_longjmp(png, 1);
}

// Warnings are about things libpng has already repaired or skipped (a bad
// CRC in an ancillary chunk, an unknown sRGB profile), so the picture is
// fine unless an error follows; then the first warning often tells why
// ("Image width exceeds user limit" before "Invalid IHDR data").
void onWarning(png_structp png, png_const_charp msg) {
    auto* src = static_cast<Source*>(png_get_error_ptr(png));
    if (!src->warning[0] && msg)
        std::snprintf(src->warning, sizeof src->warning, "%s", msg);
}

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* src = static_cast<Source*>(png_get_io_ptr(png));
    if (count > src->size - src->pos)
        png_error(png, "file is truncated");
    std::memcpy(out, src->data + src->pos, count);
    src->pos += count;
}

struct Header {
    png_uint_32 width;
    png_uint_32 height;
    bool hasAlpha;
    // Palette and grey files of up to 8 bits, not interlaced, are read as
    // one byte a pixel and looked up in `colours`: cheaper than libpng's
    // expansion to RGBA and byte swapping.
    bool indexed;
    std::uint32_t colours[256];
};

void fillColourTable(png_structp png, png_infop info, int colorType, int bitDepth, Header* out) {
    std::fill(std::begin(out->colours), std::end(out->colours), 0xFF000000u);
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    png_color_16p key = nullptr;
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_get_tRNS(png, info, &alpha, &alphaCount, &key);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp palette = nullptr;
        int count = 0;
        png_get_PLTE(png, info, &palette, &count);
        // Indices beyond a short palette stay opaque black.
        for (int i = 0; i < std::min(count, 256); ++i) {
            std::uint32_t a = alpha && i < alphaCount ? alpha[i] : 0xFFu;
            out->colours[i] = (a << 24) | (std::uint32_t(palette[i].red) << 16) |
                              (std::uint32_t(palette[i].green) << 8) | palette[i].blue;
        }
        return;
    }
    const unsigned levels = 1u << bitDepth;
    for (unsigned v = 0; v < levels; ++v) {
        std::uint32_t g = v * 255 / (levels - 1);
        std::uint32_t a = key && key->gray == v ? 0u : 0xFFu;
        out->colours[v] = (a << 24) | (g << 16) | (g << 8) | g;
    }
}

// Reads the chunks before the image data and sets up the transforms: either
// one byte a pixel for the colour table, or every other colour type turned
// into 8-bit R, G, B, A bytes.
bool readHeader(png_structp png, png_infop info, Header* out) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    out->width = png_get_image_width(png, info);
    out->height = png_get_image_height(png, info);
    out->hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    out->indexed = (colorType == PNG_COLOR_TYPE_PALETTE ||
                    (colorType == PNG_COLOR_TYPE_GRAY && bitDepth <= 8)) &&
                   png_get_interlace_type(png, info) == PNG_INTERLACE_NONE;

    if (out->indexed) {
        fillColourTable(png, info, colorType, bitDepth, out);
        png_set_packing(png);
        // The colour table covers every byte value, so libpng need not
        // check each index against the palette.
        png_set_check_for_invalid_index(png, 0);
        png_read_update_info(png, info);
        if (png_get_rowbytes(png, info) != static_cast<png_size_t>(out->width))
            png_error(png, "unexpected row layout");
        return true;
    }
    png_set_expand(png); // palette to RGB, low-bit grey to 8 bits, tRNS to alpha
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    if (!out->hasAlpha)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<png_size_t>(out->width) * 4)
        png_error(png, "unexpected row layout");
    return true;
}

// libpng gives R, G, B, A bytes; a 0xAARRGGBB word on a little-endian
// machine is B, G, R, A. This loop vectorises, libpng's own swap does not.
void swapRedBlue(std::uint32_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        p[i] = (p[i] & 0xFF00FF00u) | ((p[i] & 0xFFu) << 16) | ((p[i] >> 16) & 0xFFu);
}

// Interlaced files come in several passes over the same rows, so rows are
// read straight into their place in the picture.
bool readRows(png_structp png, std::uint32_t* pixels, png_uint_32 width, png_uint_32 height) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y) {
            std::uint32_t* row = pixels + std::size_t(y) * width;
            png_read_row(png, reinterpret_cast<png_bytep>(row), nullptr);
            if (passes == 1)
                swapRedBlue(row, width); // while the row is in the cache
        }
    if (passes > 1)
        swapRedBlue(pixels, std::size_t(width) * height);
    // The chunks after the image data are not needed; a file cut off after
    // its last pixel row still shows in full.
    return true;
}

bool readIndexedRows(png_structp png, const Header* header, std::uint32_t* pixels, png_bytep row) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    const png_uint_32 width = header->width;
    for (png_uint_32 y = 0; y < header->height; ++y) {
        png_read_row(png, row, nullptr);
        std::uint32_t* out = pixels + std::size_t(y) * width;
        for (png_uint_32 x = 0; x < width; ++x)
            out[x] = header->colours[row[x]];
    }
    return true;
}

class ReadStruct {
  public:
    explicit ReadStruct(Source& src) {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &src, onError, onWarning);
        if (png_)
            info_ = png_create_info_struct(png_);
        if (!png_ || !info_)
            throw PictureError("PNG picture cannot be read (out of memory)");
        png_set_read_fn(png_, &src, readFromMemory);
        png_set_user_limits(png_, static_cast<png_uint_32>(kMaxSide),
                            static_cast<png_uint_32>(kMaxSide));
        png_set_chunk_cache_max(png_, kMaxCachedChunks);
        png_set_chunk_malloc_max(png_, kMaxChunkBytes);
        // A bad CRC in the image data is damage like any other.
        png_set_crc_action(png_, PNG_CRC_DEFAULT, PNG_CRC_DEFAULT);
#ifdef PNG_IGNORE_ADLER32
        // The chunks' CRCs already guard every byte of the compressed data;
        // zlib's Adler-32 of the inflated bytes costs time and finds nothing
        // the CRCs miss in a file that reached us whole.
        png_set_option(png_, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    }
    ~ReadStruct() { png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr); }
    ReadStruct(const ReadStruct&) = delete;
    ReadStruct& operator=(const ReadStruct&) = delete;

    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

  private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

[[noreturn]] void fail(const Source& src) {
    std::string why = src.message;
    if (src.warning[0])
        why += std::string(": ") + src.warning;
    throw PictureError("PNG picture is damaged (" + why + ")");
}

} // namespace

Picture decodePng(Bytes data, std::size_t size) {
    static_assert(std::endian::native == std::endian::little,
                  "pixels are written as B, G, R, A bytes");
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0)
        throw PictureError("PNG picture is damaged (not a PNG file)");
    Source src{data, size, 0, {}, {}};
    ReadStruct rs(src);
    Header header{};
    if (!readHeader(rs.png(), rs.info(), &header))
        fail(src);
    Picture pic;
    // libpng fails the picture on any row it cannot read, so every pixel of
    // a returned picture is written.
    allocate(pic, header.width, header.height, "PNG", Fill::Unwritten);
    pic.hasAlpha = header.hasAlpha;
    std::vector<png_byte> row(header.indexed ? header.width : 0);
    bool ok = header.indexed ? readIndexedRows(rs.png(), &header, pic.pixels.data(), row.data())
                             : readRows(rs.png(), pic.pixels.data(), header.width, header.height);
    if (!ok)
        fail(src);
    return pic;
}

} // namespace taleplay::pictures
