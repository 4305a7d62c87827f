// JPEG through libjpeg-turbo. Like libpng, libjpeg reports errors by
// longjmp: the calls into it sit in small functions that hold nothing with a
// destructor, and the message is thrown as a PictureError one frame out.
#include "pictures/picture.h"

#include "core/errors.h"
#include "pictures/resample.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace taleplay::pictures {

namespace {

// Working memory libjpeg may take besides our own pixel buffer: whole-image
// coefficient buffers of progressive files are its big users.
constexpr long kMaxJpegMemory = 256l * 1024 * 1024;
// A progressive file may hold any number of scans, each a full pass over the
// coefficients; a few dozen is plenty for real files (libjpeg-turbo's own
// tools suggest a limit for the same reason).
constexpr int kMaxScans = 100;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void onError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// A warning means the data is corrupt (extraneous bytes, a premature end);
// with progressive files libjpeg would otherwise go on through every broken
// scan, so a warning ends decoding like an error.
void onMessage(j_common_ptr cinfo, int level) {
    if (level < 0)
        onError(cinfo);
}

void onProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor)
        return;
    auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (dinfo->input_scan_number > kMaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "more than %d scans", kMaxScans);
        std::longjmp(err->jump, 1);
    }
}

// Owns the decompressor; its error manager and progress monitor must live as
// long as it does.
struct Decompressor {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    jpeg_progress_mgr progress{};
    bool created = false;
    bool multipleScans = false;

    Decompressor() = default;
    ~Decompressor() {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

bool readHeader(Decompressor* d, Bytes data, std::size_t size) {
    j_decompress_ptr cinfo = &d->cinfo;
    cinfo->err = jpeg_std_error(&d->err.pub);
    d->err.pub.error_exit = onError;
    d->err.pub.emit_message = onMessage;
    if (setjmp(d->err.jump))
        return false;
    jpeg_create_decompress(cinfo);
    d->created = true;
    cinfo->mem->max_memory_to_use = kMaxJpegMemory;
    d->progress.progress_monitor = onProgress;
    cinfo->progress = &d->progress;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(cinfo, TRUE);
    d->multipleScans = jpeg_has_multiple_scans(cinfo);
    return true;
}

// CMYK and YCCK (libjpeg turns YCCK into CMYK) have no fast path into BGRA:
// each row goes through a small buffer. Photoshop and most editors that
// write CMYK JPEGs mark them with an Adobe segment and store the inks
// inverted; without that segment the values are taken as written.
void cmykRowToPixels(const JSAMPLE* row, std::uint32_t* out, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, row += 4) {
        unsigned c = row[0], m = row[1], y = row[2], k = row[3];
        if (!inverted) {
            c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        }
        unsigned r = (c * k + 127) / 255, g = (m * k + 127) / 255, b = (y * k + 127) / 255;
        out[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
}

// libjpeg-turbo's grey-to-BGRA conversion is plain C; decoding grey and
// widening it here lets the compiler vectorise the loop.
enum class Output { Bgra, Cmyk };

bool calcOutputDimensions(Decompressor* d) {
    if (setjmp(d->err.jump))
        return false;
    jpeg_calc_output_dimensions(&d->cinfo);
    return true;
}

// For a progressive file this reads the whole input into libjpeg's
// coefficient buffers, within its memory limit, before our pixels exist.
bool startDecompress(Decompressor* d) {
    if (setjmp(d->err.jump))
        return false;
    jpeg_start_decompress(&d->cinfo);
    return true;
}

bool readPixels(Decompressor* d, Output output, std::uint32_t* pixels, JSAMPLE* rowBuffer,
                bool* complete) {
    j_decompress_ptr cinfo = &d->cinfo;
    if (setjmp(d->err.jump))
        return false;
    const JDIMENSION width = cinfo->output_width;
    const bool inverted = cinfo->saw_Adobe_marker;
    while (cinfo->output_scanline < cinfo->output_height) {
        std::uint32_t* dest = pixels + std::size_t(cinfo->output_scanline) * width;
        if (output == Output::Cmyk) {
            JSAMPROW rows[1] = {rowBuffer};
            if (jpeg_read_scanlines(cinfo, rows, 1) != 1)
                break;
            cmykRowToPixels(rowBuffer, dest, width, inverted);
            continue;
        }
        // Decode straight into the picture, as many rows at a time as the
        // decoder produces in one go.
        JSAMPROW rows[16];
        JDIMENSION want = JDIMENSION(cinfo->rec_outbuf_height);
        if (want > 16)
            want = 16;
        if (want > cinfo->output_height - cinfo->output_scanline)
            want = cinfo->output_height - cinfo->output_scanline;
        for (JDIMENSION i = 0; i < want; ++i)
            rows[i] = reinterpret_cast<JSAMPROW>(dest + std::size_t(i) * width);
        if (jpeg_read_scanlines(cinfo, rows, want) == 0)
            break;
    }
    *complete = cinfo->output_scanline == cinfo->output_height;
    // jpeg_finish_decompress would read on to the end marker; nothing
    // after the last row matters to the picture.
    jpeg_abort_decompress(cinfo);
    return true;
}

const char* const kTooMuchMemory =
    TALEPLAY_TEXT("Pictures", "%1 picture needs more than %2 of working memory to decode");

// A file of several scans (progressive, or sequential with one scan per
// component) is decoded through coefficient buffers for the whole image,
// 64 coefficients of 2 bytes per 8 x 8 block. libjpeg-turbo before 3.0
// ignores max_memory_to_use when it has no backing store, so we check.
std::uint64_t coefficientBytes(const jpeg_decompress_struct& cinfo, bool multipleScans) {
    if (!multipleScans)
        return 0;
    std::uint64_t total = 0;
    for (int i = 0; i < cinfo.num_components; ++i) {
        const jpeg_component_info& c = cinfo.comp_info[i];
        const std::uint64_t h = std::max(c.h_samp_factor, 1), v = std::max(c.v_samp_factor, 1);
        const std::uint64_t cols = (c.width_in_blocks + h - 1) / h * h;
        const std::uint64_t rows = (c.height_in_blocks + v - 1) / v * v;
        total += cols * rows * DCTSIZE2 * sizeof(JCOEF);
    }
    return total;
}

// The markers before the first frame header: the picture's size, and the
// orientation an EXIF block gives (1 when there is none). Nothing when the
// bytes end first or are not a JPEG file's.
struct JpegHeader {
    int width = 0;
    int height = 0;
    int orientation = 1;
};

int exifOrientation(Bytes p, std::size_t n) {
    // "Exif\0\0", then a TIFF header and its first directory.
    if (n < 14 || std::memcmp(p, "Exif\0\0", 6) != 0)
        return 1;
    p += 6, n -= 6;
    const bool little = p[0] == 'I' && p[1] == 'I';
    if (!little && !(p[0] == 'M' && p[1] == 'M'))
        return 1;
    auto u16 = [&](std::size_t at) {
        return little ? unsigned(p[at] | p[at + 1] << 8) : unsigned(p[at] << 8 | p[at + 1]);
    };
    auto u32 = [&](std::size_t at) {
        return little ? std::uint32_t(u16(at)) | std::uint32_t(u16(at + 2)) << 16
                      : std::uint32_t(u16(at)) << 16 | std::uint32_t(u16(at + 2));
    };
    const std::uint32_t directory = u32(4);
    if (directory > n || n - directory < 2)
        return 1;
    const unsigned entries = u16(directory);
    for (unsigned i = 0; i < entries; ++i) {
        const std::uint64_t at = std::uint64_t(directory) + 2 + std::uint64_t(i) * 12;
        if (at + 12 > n)
            break;
        if (u16(at) != 0x0112) // Orientation, a SHORT
            continue;
        const unsigned value = u16(at + 2) == 3 ? u16(at + 8) : 1;
        return value >= 1 && value <= 8 ? int(value) : 1;
    }
    return 1;
}

std::optional<JpegHeader> readJpegHeader(Bytes data, std::size_t size) {
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return std::nullopt;
    JpegHeader header;
    bool exifSeen = false;
    std::size_t pos = 2;
    for (;;) {
        while (pos < size && data[pos] != 0xFF)
            ++pos; // not at a marker: damaged, but libjpeg skips to the next too
        while (pos < size && data[pos] == 0xFF)
            ++pos; // fill bytes
        if (pos >= size)
            return std::nullopt;
        const unsigned marker = data[pos++];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // no length
        if (marker == 0xD9 || marker == 0xDA)
            return std::nullopt; // the end, or data before any frame header
        if (size - pos < 2)
            return std::nullopt;
        const std::size_t length = std::size_t(data[pos]) << 8 | data[pos + 1];
        if (length < 2 || size - pos < length)
            return std::nullopt;
        Bytes segment = data + pos + 2;
        const std::size_t segmentSize = length - 2;
        if (marker == 0xE1 && !exifSeen && segmentSize >= 6 &&
            std::memcmp(segment, "Exif\0\0", 6) == 0) {
            exifSeen = true;
            header.orientation = exifOrientation(segment, segmentSize);
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                           marker != 0xCC;
        if (frame) {
            if (segmentSize < 5)
                return std::nullopt;
            header.height = segment[1] << 8 | segment[2];
            header.width = segment[3] << 8 | segment[4];
            if (header.width == 0 || header.height == 0)
                return std::nullopt; // a height given only after the data
            return header;
        }
        pos += length;
    }
}

// The smallest of libjpeg's scales n/8 that leaves at least `keep` pixels
// of `full` along both axes.
int scaleFor(int fullWidth, int fullHeight, Extent keep) {
    for (int n = 1; n < 8; ++n)
        if ((std::int64_t(fullWidth) * n + 7) / 8 >= keep.width &&
            (std::int64_t(fullHeight) * n + 7) / 8 >= keep.height)
            return n;
    return 8;
}

[[noreturn]] void fail(const Decompressor& d) {
    // libjpeg without a backing store says only "Backing store not
    // supported" when a file needs more working memory than allowed.
    static_assert(kMaxJpegMemory == 256l * 1024 * 1024, "kTooMuchMemory names the limit");
    if (d.err.pub.msg_code == JERR_NO_BACKING_STORE)
        pictureFails(kTooMuchMemory, {"JPEG", "256 MiB"});
    damagedPicture("JPEG", d.err.message);
}

} // namespace

std::optional<Extent> jpegNaturalSize(Bytes data, std::size_t size) {
    const std::optional<JpegHeader> header = readJpegHeader(data, size);
    if (!header)
        return std::nullopt;
    if (orientationTurns(header->orientation))
        return Extent{header->height, header->width};
    return Extent{header->width, header->height};
}

Picture decodeJpeg(Bytes data, std::size_t size) {
    return decodeJpegFor(data, size, Shown{});
}

Picture decodeJpegFor(Bytes data, std::size_t size, const Shown& shown) {
    static_assert(std::endian::native == std::endian::little,
                  "pixels are written as B, G, R, A bytes");
    if (size == 0)
        damagedPicture("JPEG", "empty file");
    Decompressor d;
    if (!readHeader(&d, data, size))
        fail(d);
    const std::optional<JpegHeader> header = readJpegHeader(data, size);
    const int orientation = header ? header->orientation : 1;
    const bool turns = orientationTurns(orientation);
    const Extent natural = turns ? Extent{int(d.cinfo.image_height), int(d.cinfo.image_width)}
                                 : Extent{int(d.cinfo.image_width), int(d.cinfo.image_height)};

    jpeg_decompress_struct& cinfo = d.cinfo;
    // Colour and grey pictures are decoded straight into B, G, R, A pixels
    // (libjpeg-turbo repeats a grey value into the three colours and sets
    // alpha opaque); CMYK goes through a row of its own.
    const Output output = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK
                              ? Output::Cmyk
                              : Output::Bgra;
    cinfo.out_color_space = output == Output::Cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    // A picture shown smaller is decoded smaller by the library itself,
    // which skips most of the inverse transform; the rest is reduced by
    // area. A keyed picture is decoded whole: its key colour is its own
    // bottom-left pixel, which no smaller scale has.
    int scale = 8;
    if (shown.stretched && !shown.keyed) {
        const Extent kept = keptExtent(natural, shown);
        scale = scaleFor(int(cinfo.image_width), int(cinfo.image_height),
                         turns ? Extent{kept.height, kept.width} : kept);
    }
    cinfo.scale_num = static_cast<unsigned>(scale);
    cinfo.scale_denom = 8;
    if (!calcOutputDimensions(&d))
        fail(d);
    Picture pic;
    // Both limits are checked before libjpeg allocates anything for the
    // image: the working memory first, so a file refused for it never gets
    // its pixels, then the size of the pixels decoded (sides beyond
    // kMaxSide go straight to allocate's message).
    if (cinfo.image_width <= kMaxSide && cinfo.image_height <= kMaxSide) {
        const std::uint64_t coefficients = coefficientBytes(cinfo, d.multipleScans);
        if (coefficients > std::uint64_t(kMaxJpegMemory))
            pictureFails(kTooMuchMemory, {"JPEG", "256 MiB"});
        // The coefficients of a progressive file live beside the pixels:
        // together they stay within one decode's memory.
        chargeWorkingMemory(static_cast<std::int64_t>(coefficients), "JPEG");
    }
    // An incomplete file fails below, so every pixel of a returned picture
    // is written.
    allocate(pic, cinfo.output_width, cinfo.output_height, "JPEG", Fill::Unwritten);
    if (!startDecompress(&d))
        fail(d);
    std::vector<JSAMPLE> rowBuffer(output == Output::Bgra ? 0
                                                          : std::size_t(cinfo.output_width) * 4);
    bool complete = false;
    if (!readPixels(&d, output, pic.pixels.data(), rowBuffer.data(), &complete))
        fail(d);
    if (!complete)
        damagedPicture("JPEG", "file is truncated");
    orient(pic, orientation, "JPEG");
    if (pic.width != natural.width || pic.height != natural.height) {
        pic.fullWidth = natural.width;
        pic.fullHeight = natural.height;
    }
    return pic;
}

} // namespace taleplay::pictures
