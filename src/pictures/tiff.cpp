// TIFF through libtiff's RGBA reader, which handles strips and tiles and
// every photometric interpretation libtiff knows, from memory with libtiff's
// own allocation limit. Raw fax data is read through the same path by giving
// it a TIFF directory made in memory.
#include "pictures/tiff.h"

#include "core/errors.h"
#include "pictures/resample.h"

#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace taleplay::pictures {

namespace {

// The largest single block libtiff may allocate (a strip, a tile, a table);
// the same bound as a picture's pixels.
constexpr tmsize_t kMaxTiffAlloc = static_cast<tmsize_t>(kMaxPixelBytes);

struct MemoryFile {
    Bytes data;
    std::size_t size;
    std::uint64_t pos;
    std::string error;
    bool strict = false; // warnings count as errors
};

tmsize_t readProc(thandle_t h, void* buf, tmsize_t count) {
    auto* f = static_cast<MemoryFile*>(h);
    if (count <= 0 || f->pos >= f->size)
        return 0;
    std::uint64_t n = std::min<std::uint64_t>(static_cast<std::uint64_t>(count), f->size - f->pos);
    std::memcpy(buf, f->data + f->pos, n);
    f->pos += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t writeProc(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t seekProc(thandle_t h, toff_t off, int whence) {
    auto* f = static_cast<MemoryFile*>(h);
    std::uint64_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? f->size : 0;
    if (off > UINT64_MAX - base)
        return static_cast<toff_t>(-1);
    f->pos = base + off;
    return f->pos;
}

int closeProc(thandle_t) {
    return 0;
}
toff_t sizeProc(thandle_t h) {
    return static_cast<MemoryFile*>(h)->size;
}

// Handing libtiff the bytes as a mapped file lets it read uncompressed
// strips in place.
int mapProc(thandle_t h, void** base, toff_t* size) {
    auto* f = static_cast<MemoryFile*>(h);
    *base = const_cast<unsigned char*>(f->data);
    *size = f->size;
    return 1;
}
void unmapProc(thandle_t, void*, toff_t) {}

// The first error is the cause; later ones are its consequences.
int onError(TIFF*, void* user, const char*, const char* fmt, va_list ap) {
    auto* f = static_cast<MemoryFile*>(user);
    if (f->error.empty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, fmt, ap);
        f->error = text;
    }
    return 1;
}

// Warnings are mostly about tags libtiff does not know; but for raw fax
// data, where row length and bit order are guesses, a row that does not
// decode to its width means the guess was wrong.
int onWarning(TIFF* tif, void* user, const char* module, const char* fmt, va_list ap) {
    if (static_cast<MemoryFile*>(user)->strict)
        return onError(tif, user, module, fmt, ap);
    return 1;
}

class Tiff {
  public:
    explicit Tiff(MemoryFile& file) {
        TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
        if (!opts)
            pictureFails(kOutOfMemory, {"TIFF"});
        TIFFOpenOptionsSetMaxSingleMemAlloc(opts, kMaxTiffAlloc);
        TIFFOpenOptionsSetErrorHandlerExtR(opts, onError, &file);
        TIFFOpenOptionsSetWarningHandlerExtR(opts, onWarning, &file);
        tif_ = TIFFClientOpenExt("picture", "r", &file, readProc, writeProc, seekProc, closeProc,
                                 sizeProc, mapProc, unmapProc, opts);
        TIFFOpenOptionsFree(opts);
    }
    ~Tiff() {
        if (tif_)
            TIFFClose(tif_);
    }
    Tiff(const Tiff&) = delete;
    Tiff& operator=(const Tiff&) = delete;

    TIFF* get() const { return tif_; }

  private:
    TIFF* tif_ = nullptr;
};

// The orientation the file says it was stored in, 1 (rows from the top,
// columns from the left) when it says nothing we know.
int orientationOf(TIFF* tif) {
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    return orientation >= 1 && orientation <= 8 ? orientation : ORIENTATION_TOPLEFT;
}

class RgbaImage {
  public:
    // The rows come as stored, first row first: asking libtiff for the
    // file's own orientation leaves them unflipped, and the picture is then
    // turned upright whole (libtiff flips but never turns).
    explicit RgbaImage(TIFF* tif) {
        begun_ = TIFFRGBAImageBegin(&img_, tif, 1, message_) != 0;
        if (begun_)
            img_.req_orientation = static_cast<std::uint16_t>(orientationOf(tif));
    }
    ~RgbaImage() {
        if (begun_)
            TIFFRGBAImageEnd(&img_);
    }
    RgbaImage(const RgbaImage&) = delete;
    RgbaImage& operator=(const RgbaImage&) = delete;

    bool begun() const { return begun_; }
    const char* message() const { return message_; }
    TIFFRGBAImage& img() { return img_; }

  private:
    TIFFRGBAImage img_{};
    char message_[1024] = {};
    bool begun_ = false;
};

[[noreturn]] void fail(const char* format, const std::string& message) {
    damagedPicture(format, message.empty() ? "unreadable file" : message);
}

// libtiff's RGBA words are A, B, G, R from the top byte down, with colour
// premultiplied by alpha; ours are A, R, G, B and straight.
void toPictureOrder(Pixels& pixels, bool alpha) {
    if (!alpha) {
        for (std::uint32_t& p : pixels)
            p = 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
        return;
    }
    for (std::uint32_t& p : pixels) {
        std::uint32_t a = p >> 24, r = p & 0xFFu, g = (p >> 8) & 0xFFu, b = (p >> 16) & 0xFFu;
        if (a != 0 && a != 255) {
            r = std::min<std::uint32_t>(255, (r * 255 + a / 2) / a);
            g = std::min<std::uint32_t>(255, (g * 255 + a / 2) / a);
            b = std::min<std::uint32_t>(255, (b * 255 + a / 2) / a);
        }
        p = (a << 24) | (r << 16) | (g << 8) | b;
    }
}

Picture decodeTiffAs(Bytes data, std::size_t size, const char* format, bool strict) {
    MemoryFile file{data, size, 0, {}, strict};
    Tiff tif(file);
    if (!tif.get())
        fail(format, file.error);
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
    // libtiff reads a strip or a tile at a time (each plane's, when the
    // planes are kept apart) beside the pixels.
    std::uint16_t planar = PLANARCONFIG_CONTIG, samples = 1;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    const std::int64_t chunk =
        TIFFIsTiled(tif.get()) ? TIFFTileSize64(tif.get()) : TIFFStripSize64(tif.get());
    chargeWorkingMemory(chunk * (planar == PLANARCONFIG_SEPARATE ? samples : 1), format);
    Picture pic;
    allocate(pic, width, height, format);
    RgbaImage rgba(tif.get());
    if (!rgba.begun())
        fail(format, file.error.empty() ? rgba.message() : file.error);
    pic.hasAlpha = rgba.img().alpha != 0;
    // Some decoders (CCITT fax among them) report a bad code word and go on
    // with the next row; what they reported is damage all the same.
    if (!TIFFRGBAImageGet(&rgba.img(), pic.pixels.data(), width, height) || !file.error.empty())
        fail(format, file.error);
    toPictureOrder(pic.pixels, pic.hasAlpha);
    orient(pic, orientationOf(tif.get()), format);
    return pic;
}

bool isTiff(Bytes data, std::size_t size) {
    return size >= 4 &&
           ((data[0] == 'I' && data[1] == 'I' && (data[2] == 42 || data[2] == 43) &&
             data[3] == 0) ||
            (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && (data[3] == 42 || data[3] == 43)));
}

// --- Raw Group 3 fax ---

constexpr std::uint32_t kFaxWidth = 1728; // ITU-T T.4 A4 scan line

// Counts the rows of one-dimensional G3 data: a row is an end-of-line code
// (eleven or more 0 bits, then a 1) followed by at least one code word, and
// every code word holds a 1 bit within its first eleven bits. Consecutive
// EOLs (the return-to-control sequence at the end) count no rows. This is
// the number of rows libtiff's decoder finds when it synchronises on each
// row's EOL.
std::uint32_t countFaxRows(Bytes data, std::size_t size, bool lsbFirst) {
    std::uint32_t rows = 0;
    unsigned zeros = 0;
    bool afterEol = false;
    for (std::size_t i = 0; i < size; ++i) {
        unsigned byte = data[i];
        if (byte == 0) {
            zeros += 8;
            continue;
        }
        for (int b = 0; b < 8; ++b) {
            unsigned bit = lsbFirst ? (byte >> b) & 1 : (byte >> (7 - b)) & 1;
            if (!bit) {
                ++zeros;
                continue;
            }
            if (zeros >= 11) {
                afterEol = true;
            } else if (afterEol) {
                afterEol = false;
                if (rows == UINT32_MAX)
                    return rows;
                ++rows;
            }
            zeros = 0;
        }
    }
    return rows;
}

void put16(std::vector<unsigned char>& out, std::size_t at, unsigned v) {
    out[at] = v & 0xFF;
    out[at + 1] = (v >> 8) & 0xFF;
}
void put32(std::vector<unsigned char>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = (v >> (8 * i)) & 0xFF;
}

// A little-endian TIFF holding one strip of the fax data, described by the
// fields a class F reader needs.
std::vector<unsigned char> faxAsTiff(Bytes data, std::size_t size, std::uint32_t rows,
                                     bool lsbFirst) {
    struct Field {
        unsigned tag, type;
        std::uint32_t value;
    };
    constexpr unsigned kShort = 3, kLong = 4;
    constexpr std::size_t kFields = 11;
    constexpr std::size_t kDataAt = 8 + 2 + kFields * 12 + 4;
    const Field fields[kFields] = {
        {TIFFTAG_IMAGEWIDTH, kLong, kFaxWidth},
        {TIFFTAG_IMAGELENGTH, kLong, rows},
        {TIFFTAG_BITSPERSAMPLE, kShort, 1},
        {TIFFTAG_COMPRESSION, kShort, COMPRESSION_CCITTFAX3},
        {TIFFTAG_PHOTOMETRIC, kShort, PHOTOMETRIC_MINISWHITE},
        {TIFFTAG_FILLORDER, kShort, lsbFirst ? 2u : 1u}, // FILLORDER_LSB2MSB : FILLORDER_MSB2LSB
        {TIFFTAG_STRIPOFFSETS, kLong, static_cast<std::uint32_t>(kDataAt)},
        {TIFFTAG_SAMPLESPERPIXEL, kShort, 1},
        {TIFFTAG_ROWSPERSTRIP, kLong, rows},
        {TIFFTAG_STRIPBYTECOUNTS, kLong, static_cast<std::uint32_t>(size)},
        {TIFFTAG_GROUP3OPTIONS, kLong, 0},
    };
    std::vector<unsigned char> out(kDataAt + size);
    out[0] = 'I', out[1] = 'I';
    put16(out, 2, 42);
    put32(out, 4, 8);
    put16(out, 8, kFields);
    for (std::size_t i = 0; i < kFields; ++i) {
        std::size_t at = 10 + i * 12;
        put16(out, at, fields[i].tag);
        put16(out, at + 2, fields[i].type);
        put32(out, at + 4, 1);
        if (fields[i].type == kShort)
            put16(out, at + 8, fields[i].value);
        else
            put32(out, at + 8, fields[i].value);
    }
    put32(out, 10 + kFields * 12, 0);
    if (size)
        std::memcpy(out.data() + kDataAt, data, size);
    return out;
}

} // namespace

Picture decodeTiff(Bytes data, std::size_t size) {
    return decodeTiffAs(data, size, "TIFF", false);
}

std::optional<Extent> tiffNaturalSize(Bytes data, std::size_t size) {
    if (!isTiff(data, size))
        return std::nullopt;
    MemoryFile file{data, size, 0, {}, false};
    Tiff tif(file);
    std::uint32_t width = 0, height = 0;
    if (!tif.get() || !TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0 ||
        width > kMaxSide || height > kMaxSide)
        return std::nullopt;
    if (orientationTurns(orientationOf(tif.get())))
        std::swap(width, height);
    return Extent{int(width), int(height)};
}

Picture decodeFax(Bytes data, std::size_t size) {
    if (isTiff(data, size))
        return decodeTiffAs(data, size, "FAX", false);
    // The strip byte count is a 32-bit field.
    if (size > UINT32_MAX - 4096)
        damagedPicture("FAX", "file too large");
    std::optional<PictureError> firstError;
    for (bool lsbFirst : {true, false}) {
        std::uint32_t rows = countFaxRows(data, size, lsbFirst);
        if (rows == 0)
            continue;
        std::vector<unsigned char> tiff = faxAsTiff(data, size, rows, lsbFirst);
        try {
            return decodeTiffAs(tiff.data(), tiff.size(), "FAX", true);
        } catch (const PictureError& e) {
            if (!firstError)
                firstError = e;
        }
    }
    if (!firstError)
        damagedPicture("FAX", "neither a TIFF file nor Group 3 fax data");
    throw *firstError;
}

} // namespace taleplay::pictures
