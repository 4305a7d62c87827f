// PNG through libpng. libpng reports errors by longjmp, so every call into it
// happens in a small function that holds nothing with a destructor; the
// Picture lives one frame further out and the message travels back as plain
// text before it is thrown as a PictureError.
#include "pictures/picture.h"

#include "core/errors.h"

#include <libdeflate.h>
#include <png.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
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
    int colorType;
    int bitDepth;
    bool interlaced;
    bool transparentColour; // a tRNS chunk libpng kept
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
    out->colorType = colorType;
    out->bitDepth = bitDepth;
    out->interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    out->transparentColour = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    out->hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) || out->transparentColour;
    out->indexed = (colorType == PNG_COLOR_TYPE_PALETTE ||
                    (colorType == PNG_COLOR_TYPE_GRAY && bitDepth <= 8)) &&
                   !out->interlaced;

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

// ------------------------------------------------------------ whole stream
//
// zlib inflates the image data a row at a time for libpng; libdeflate does
// it in about half the time, but only in one go. So once libpng has read the
// chunks before the image data (and with them every check and setting of
// the header, palette and transparency), the image data of a plain file is
// inflated whole, unfiltered and turned into pixels here. Whatever this path
// is not sure of (an interlaced file, a transparent colour key, a damaged
// chunk, a stream that does not give exactly the picture) is left to libpng,
// which goes on from where it stopped as if nothing had been read: the
// picture, or the error, is the one libpng gives.

PngInflate inflateMode = PngInflate::WholeStream;

// Above this the inflated rows would take more memory than the picture
// itself is allowed to, so libpng's row by row reading stays cheaper.
constexpr std::size_t kMostWholeStreamBytes = 64u << 20;

std::uint32_t chunkWord(Bytes p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

// The image data chunks from `start` (where libpng stopped, just after the
// first IDAT chunk's type), each checked by its CRC as libpng checks it, run
// together. Empty when any of them is damaged or cut short.
bool gatherImageData(Bytes data, std::size_t size, std::size_t start,
                     std::vector<unsigned char>& stream, Bytes& view, std::size_t& viewSize) {
    if (start < 8 || start > size)
        return false;
    std::size_t at = start - 8; // the first chunk's length
    std::vector<std::pair<Bytes, std::size_t>> parts;
    while (size - at >= 8 && std::memcmp(data + at + 4, "IDAT", 4) == 0) {
        const std::uint32_t length = chunkWord(data + at);
        if (length > 0x7FFFFFFFu || size - at - 8 < std::size_t(length) + 4)
            return false;
        const std::uint32_t crc = chunkWord(data + at + 8 + length);
        if (libdeflate_crc32(0, data + at + 4, length + 4) != crc)
            return false;
        parts.emplace_back(data + at + 8, length);
        at += 12 + std::size_t(length);
    }
    if (parts.size() == 1) {
        view = parts.front().first;
        viewSize = parts.front().second;
        return true;
    }
    std::size_t total = 0;
    for (const auto& part : parts)
        total += part.second;
    stream.reserve(total);
    for (const auto& part : parts)
        stream.insert(stream.end(), part.first, part.first + part.second);
    view = stream.data();
    viewSize = stream.size();
    return true;
}

struct DecompressorDeleter {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// Inflates the zlib stream into exactly `out.size()` bytes. libpng lets
// zlib choose the window from the stream's header; libdeflate always uses
// the largest, so only a stream that declares the largest is taken here.
bool inflateWhole(Bytes stream, std::size_t size, std::uint8_t* out, std::size_t outSize) {
    if (size < 2 || stream[0] != 0x78)
        return false;
    std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> d(
        libdeflate_alloc_decompressor());
    std::size_t used = 0;
    // libdeflate checks the header and the Adler-32 (cheap at its speed);
    // a stream it refuses goes to libpng, which decides as it always has.
    return d && libdeflate_zlib_decompress_ex(d.get(), stream, size, out, outSize, &used,
                                              nullptr) == LIBDEFLATE_SUCCESS;
}

std::uint8_t paeth(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
    const int pa = std::abs(int(b) - int(c));
    const int pb = std::abs(int(a) - int(c));
    const int pc = std::abs(int(a) + int(b) - 2 * int(c));
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// Undoes a row's filter: `row` filtered, `prior` the row above unfiltered
// (all zero above the first row), `out` the row unfiltered. A filter type
// beyond the five is damage, for libpng to report.
template <unsigned Bpp>
bool unfilterBytes(std::uint8_t filter, const std::uint8_t* row, const std::uint8_t* prior,
                   std::uint8_t* out, std::size_t length) {
    const std::size_t first = std::min<std::size_t>(Bpp, length);
    switch (filter) {
    case 0:
        std::memcpy(out, row, length);
        return true;
    case 1:
        std::memcpy(out, row, first);
        for (std::size_t i = Bpp; i < length; ++i)
            out[i] = std::uint8_t(row[i] + out[i - Bpp]);
        return true;
    case 2:
        for (std::size_t i = 0; i < length; ++i)
            out[i] = std::uint8_t(row[i] + prior[i]);
        return true;
    case 3:
        for (std::size_t i = 0; i < first; ++i)
            out[i] = std::uint8_t(row[i] + (prior[i] >> 1));
        for (std::size_t i = Bpp; i < length; ++i)
            out[i] = std::uint8_t(row[i] + ((unsigned(out[i - Bpp]) + prior[i]) >> 1));
        return true;
    case 4:
        for (std::size_t i = 0; i < first; ++i)
            out[i] = std::uint8_t(row[i] + prior[i]);
        for (std::size_t i = Bpp; i < length; ++i)
            out[i] = std::uint8_t(row[i] + paeth(out[i - Bpp], prior[i], prior[i - Bpp]));
        return true;
    default:
        return false;
    }
}

#ifdef __SSE2__
// Sub, Average and Paeth depend on the pixel to the left, so they cannot run
// across pixels; for 3 and 4 bytes a pixel they run on all of a pixel's
// bytes at once instead, in 16-bit lanes. A pixel of 3 bytes is read and
// written as 4: the rows have a byte to spare after them (kRowSlack), and
// the fourth byte written is the next pixel's, written again after.
constexpr std::size_t kRowSlack = 1;

__m128i loadPixel(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(v)), _mm_setzero_si128());
}

void storePixel(std::uint8_t* p, __m128i v) {
    const auto word = std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(v, v)));
    std::memcpy(p, &word, 4);
}

__m128i absolute(__m128i v) {
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

template <unsigned Bpp>
bool unfilterPixels(std::uint8_t filter, const std::uint8_t* row, const std::uint8_t* prior,
                    std::uint8_t* out, std::size_t length) {
    if (filter == 0 || filter == 2 || filter > 4 || length % Bpp != 0)
        return unfilterBytes<Bpp>(filter, row, prior, out, length);
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i a = _mm_setzero_si128(), c = _mm_setzero_si128();
    for (std::size_t i = 0; i < length; i += Bpp) {
        const __m128i x = loadPixel(row + i);
        if (filter == 1) {
            a = _mm_and_si128(_mm_add_epi16(x, a), low);
        } else if (filter == 3) {
            const __m128i b = loadPixel(prior + i);
            a = _mm_and_si128(_mm_add_epi16(x, _mm_srli_epi16(_mm_add_epi16(a, b), 1)), low);
        } else {
            const __m128i b = loadPixel(prior + i);
            const __m128i pa = absolute(_mm_sub_epi16(b, c));
            const __m128i pb = absolute(_mm_sub_epi16(a, c));
            const __m128i pc = absolute(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
            // a where pa <= pb and pa <= pc, else b where pb <= pc, else c.
            const __m128i notA = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
            const __m128i notB = _mm_cmpgt_epi16(pb, pc);
            const __m128i bOrC = _mm_or_si128(_mm_andnot_si128(notB, b), _mm_and_si128(notB, c));
            const __m128i predicted =
                _mm_or_si128(_mm_andnot_si128(notA, a), _mm_and_si128(notA, bOrC));
            a = _mm_and_si128(_mm_add_epi16(x, predicted), low);
            c = b;
        }
        storePixel(out + i, a);
    }
    return true;
}
#else
constexpr std::size_t kRowSlack = 0;
#endif

using RowUnfilter = bool (*)(std::uint8_t, const std::uint8_t*, const std::uint8_t*, std::uint8_t*,
                             std::size_t);

RowUnfilter unfilterFor(unsigned bpp) {
    switch (bpp) {
    case 1:
        return unfilterBytes<1>;
    case 2:
        return unfilterBytes<2>;
#ifdef __SSE2__
    case 3:
        return unfilterPixels<3>;
    case 4:
        return unfilterPixels<4>;
#else
    case 3:
        return unfilterBytes<3>;
    case 4:
        return unfilterBytes<4>;
#endif
    case 6:
        return unfilterBytes<6>;
    default:
        return unfilterBytes<8>;
    }
}

// The row's samples as libpng would give them with our settings: packed
// indices unpacked to one a byte and looked up in the colour table, every
// other type widened to B, G, R, A with 16-bit samples cut to their high
// byte (png_set_strip_16).
void rowToPixels(const Header& h, const std::uint8_t* row, std::uint32_t* out) {
    const png_uint_32 w = h.width;
    if (h.indexed) {
        if (h.bitDepth == 8) {
            for (png_uint_32 x = 0; x < w; ++x)
                out[x] = h.colours[row[x]];
            return;
        }
        const unsigned depth = unsigned(h.bitDepth), mask = (1u << depth) - 1;
        for (png_uint_32 x = 0; x < w; ++x) {
            const std::size_t bit = std::size_t(x) * depth;
            out[x] = h.colours[(row[bit >> 3] >> (8 - depth - (bit & 7))) & mask];
        }
        return;
    }
    if (h.bitDepth == 8 && h.colorType == PNG_COLOR_TYPE_RGB_ALPHA) {
        std::memcpy(out, row, std::size_t(w) * 4);
        swapRedBlue(out, w);
        return;
    }
    const unsigned step = h.bitDepth == 16 ? 2 : 1; // bytes a sample; the high byte first
    switch (h.colorType) {
    case PNG_COLOR_TYPE_GRAY:
        for (png_uint_32 x = 0; x < w; ++x)
            out[x] = 0xFF000000u | std::uint32_t(row[x * step]) * 0x010101u;
        return;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        for (png_uint_32 x = 0; x < w; ++x, row += 2 * step)
            out[x] = std::uint32_t(row[step]) << 24 | std::uint32_t(row[0]) * 0x010101u;
        return;
    case PNG_COLOR_TYPE_RGB:
        for (png_uint_32 x = 0; x < w; ++x, row += 3 * step)
            out[x] = 0xFF000000u | std::uint32_t(row[0]) << 16 | std::uint32_t(row[step]) << 8 |
                     row[2 * step];
        return;
    default: // 16-bit R, G, B, A
        for (png_uint_32 x = 0; x < w; ++x, row += 4 * step)
            out[x] = std::uint32_t(row[3 * step]) << 24 | std::uint32_t(row[0]) << 16 |
                     std::uint32_t(row[step]) << 8 | row[2 * step];
        return;
    }
}

int channelsOf(int colorType) {
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

// Bytes of one row of image data, without its filter byte.
std::uint64_t rowBytesOf(const Header& h) {
    return (std::uint64_t(h.width) * unsigned(channelsOf(h.colorType)) * unsigned(h.bitDepth) + 7) /
           8;
}

bool wholeStreamFits(const Header& h) {
    // A transparent colour key is applied by libpng's expansion, of which
    // only the colour table's share is repeated here.
    return inflateMode != PngInflate::RowByRow && !h.interlaced &&
           (h.indexed || !h.transparentColour) &&
           (rowBytesOf(h) + 1) * h.height <= kMostWholeStreamBytes;
}

// The image data is inflated into the end of the picture's own memory and
// turned into pixels from the top: a pixel row never reaches the rows still
// to be read, since it is never longer than the memory the rows before it
// took. Where the inflated rows are longer than the picture by little (R, G,
// B, A bytes and their filter bytes), the picture is allocated that much
// larger; where by much (16-bit samples), they get memory of their own.
std::size_t wholeStreamSpareWords(const Header& h) {
    if (!wholeStreamFits(h))
        return 0;
    const std::uint64_t pixelBytes = std::uint64_t(h.width) * h.height * 4;
    const std::uint64_t rawBytes = (rowBytesOf(h) + 1) * h.height;
    if (rawBytes + kRowSlack <= pixelBytes || rawBytes - pixelBytes > pixelBytes / 64)
        return 0;
    return std::size_t((rawBytes + kRowSlack - pixelBytes + 3) / 4);
}

bool chargeIfWithinLimit(std::int64_t bytes) {
    try {
        chargeWorkingMemory(bytes, "PNG");
        return true;
    } catch (const PictureError&) {
        return false;
    }
}

// True when the picture was decoded here; false leaves it all to libpng,
// whose state this has not touched. Pixels written before a late refusal
// are written again by libpng.
bool decodeWholeStream(const Source& src, const Header& h, Pixels& pixels) {
    if (!wholeStreamFits(h))
        return false;
    const std::size_t count = pixels.size();
    const std::size_t rowBytes = std::size_t(rowBytesOf(h));
    const std::size_t rawBytes = (rowBytes + 1) * h.height;
    const std::size_t words = std::max(count, (rawBytes + kRowSlack + 3) / 4);
    const bool inPicture = words <= pixels.capacity();
    std::size_t ownBytes = inPicture ? 0 : rawBytes + kRowSlack;
    ownBytes += 2 * (rowBytes + kRowSlack); // the two rows being unfiltered
    // This path's memory counts toward the decode's limit like libpng's own;
    // where it would pass the limit, libpng's row by row reading may not.
    if (!chargeIfWithinLimit(std::int64_t(ownBytes)))
        return false;

    std::vector<unsigned char> joined;
    Bytes stream = nullptr;
    std::size_t streamSize = 0;
    if (!gatherImageData(src.data, src.size, src.pos, joined, stream, streamSize))
        return false;
    if (!joined.empty() && !chargeIfWithinLimit(std::int64_t(joined.size())))
        return false;

    std::unique_ptr<std::uint8_t[]> ownMemory;
    std::uint8_t* raw = nullptr;
    if (inPicture) {
        pixels.resize(words);
        raw = reinterpret_cast<std::uint8_t*>(pixels.data()) + words * 4 - rawBytes - kRowSlack;
    } else {
        // Left uninitialised: inflation writes every byte or fails.
        ownMemory.reset(new std::uint8_t[rawBytes + kRowSlack]);
        raw = ownMemory.get();
    }
    bool ok = inflateWhole(stream, streamSize, raw, rawBytes);
    if (ok) {
        const RowUnfilter unfilter =
            unfilterFor(std::max(1u, unsigned(channelsOf(h.colorType) * h.bitDepth) / 8));
        std::vector<std::uint8_t> rows(2 * (rowBytes + kRowSlack), 0);
        std::uint8_t* prior = rows.data(); // zero above the first row
        std::uint8_t* current = prior + rowBytes + kRowSlack;
        for (png_uint_32 y = 0; ok && y < h.height; ++y) {
            const std::uint8_t* filtered = raw + std::size_t(y) * (rowBytes + 1);
            ok = unfilter(filtered[0], filtered + 1, prior, current, rowBytes);
            rowToPixels(h, current, pixels.data() + std::size_t(y) * h.width);
            std::swap(prior, current);
        }
    }
    pixels.resize(count);
    return ok;
}

class ReadStruct {
  public:
    explicit ReadStruct(Source& src) {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &src, onError, onWarning);
        if (png_)
            info_ = png_create_info_struct(png_);
        if (!png_ || !info_)
            pictureFails(kOutOfMemory, {"PNG"});
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
    ~ReadStruct() {
        png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
    }
    ReadStruct(const ReadStruct&) = delete;
    ReadStruct& operator=(const ReadStruct&) = delete;

    png_structp png() const {
        return png_;
    }
    png_infop info() const {
        return info_;
    }

  private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

[[noreturn]] void fail(const Source& src) {
    std::string why = src.message;
    if (src.warning[0])
        why += std::string(": ") + src.warning;
    damagedPicture("PNG", why);
}

} // namespace

void setPngInflate(PngInflate how) {
    inflateMode = how;
}

std::optional<Extent> pngNaturalSize(Bytes data, std::size_t size) {
    // The signature, then the IHDR chunk: length, type, width, height.
    if (size < 24 || png_sig_cmp(data, 0, 8) != 0 || std::memcmp(data + 12, "IHDR", 4) != 0)
        return std::nullopt;
    auto be32 = [&](std::size_t at) {
        return std::uint32_t(data[at]) << 24 | std::uint32_t(data[at + 1]) << 16 |
               std::uint32_t(data[at + 2]) << 8 | std::uint32_t(data[at + 3]);
    };
    const std::uint32_t width = be32(16), height = be32(20);
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        return std::nullopt;
    return Extent{int(width), int(height)};
}

Picture decodePng(Bytes data, std::size_t size) {
    static_assert(std::endian::native == std::endian::little,
                  "pixels are written as B, G, R, A bytes");
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0)
        damagedPicture("PNG", "not a PNG file");
    Source src{data, size, 0, {}, {}};
    ReadStruct rs(src);
    Header header{};
    if (!readHeader(rs.png(), rs.info(), &header))
        fail(src);
    Picture pic;
    // libpng fails the picture on any row it cannot read, so every pixel of
    // a returned picture is written.
    allocate(pic, header.width, header.height, "PNG", Fill::Unwritten,
             wholeStreamSpareWords(header));
    pic.hasAlpha = header.hasAlpha;
    if (decodeWholeStream(src, header, pic.pixels))
        return pic;
    if (inflateMode == PngInflate::WholeStreamOnly)
        throw PictureError("PNG picture is not inflated whole");
    std::vector<png_byte> row(header.indexed ? header.width : 0);
    bool ok = header.indexed ? readIndexedRows(rs.png(), &header, pic.pixels.data(), row.data())
                             : readRows(rs.png(), pic.pixels.data(), header.width, header.height);
    if (!ok)
        fail(src);
    return pic;
}

} // namespace taleplay::pictures
