// JPEG through libjpeg-turbo. Like libpng, libjpeg reports errors by
// longjmp: the calls into it sit in small functions that hold nothing with a
// destructor, and the message is thrown as a PictureError one frame out.
#include "pictures/picture.h"

#include "core/errors.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
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
    "JPEG picture needs more than 256 MiB of working memory to decode";

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

[[noreturn]] void fail(const Decompressor& d) {
    // libjpeg without a backing store says only "Backing store not
    // supported" when a file needs more working memory than allowed.
    static_assert(kMaxJpegMemory == 256l * 1024 * 1024, "kTooMuchMemory names the limit");
    if (d.err.pub.msg_code == JERR_NO_BACKING_STORE)
        throw PictureError(kTooMuchMemory);
    throw PictureError(std::string("JPEG picture is damaged (") + d.err.message + ")");
}

} // namespace

Picture decodeJpeg(Bytes data, std::size_t size) {
    static_assert(std::endian::native == std::endian::little,
                  "pixels are written as B, G, R, A bytes");
    if (size == 0)
        throw PictureError("JPEG picture is damaged (empty file)");
    Decompressor d;
    if (!readHeader(&d, data, size))
        fail(d);

    jpeg_decompress_struct& cinfo = d.cinfo;
    // Colour and grey pictures are decoded straight into B, G, R, A pixels
    // (libjpeg-turbo repeats a grey value into the three colours and sets
    // alpha opaque); CMYK goes through a row of its own.
    const Output output = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK
                              ? Output::Cmyk
                              : Output::Bgra;
    cinfo.out_color_space = output == Output::Cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    Picture pic;
    // Both limits are checked before libjpeg allocates anything for the
    // image: the working memory first, so a file refused for it never gets
    // its pixels, then the picture's own size (sides beyond kMaxSide go
    // straight to allocate's message). No scaling is asked for, so the
    // output size is the file's size.
    if (cinfo.image_width <= kMaxSide && cinfo.image_height <= kMaxSide) {
        const std::uint64_t coefficients = coefficientBytes(cinfo, d.multipleScans);
        if (coefficients > std::uint64_t(kMaxJpegMemory))
            throw PictureError(kTooMuchMemory);
        // The coefficients of a progressive file live beside the pixels:
        // together they stay within one decode's memory.
        chargeWorkingMemory(static_cast<std::int64_t>(coefficients), "JPEG");
    }
    // An incomplete file fails below, so every pixel of a returned picture
    // is written.
    allocate(pic, cinfo.image_width, cinfo.image_height, "JPEG", Fill::Unwritten);
    if (!startDecompress(&d))
        fail(d);
    std::vector<JSAMPLE> rowBuffer(output == Output::Bgra ? 0
                                                          : std::size_t(cinfo.output_width) * 4);
    bool complete = false;
    if (!readPixels(&d, output, pic.pixels.data(), rowBuffer.data(), &complete))
        fail(d);
    if (!complete)
        throw PictureError("JPEG picture is damaged (file is truncated)");
    return pic;
}

} // namespace taleplay::pictures
