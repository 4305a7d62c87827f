#include "fuzz_entry.h"

#include "core/errors.h"
#include "pictures/picture.h"
#include "pictures/tiff.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace taleplay::fuzz {

namespace {

using Decoder = pictures::Picture (*)(pictures::Bytes, std::size_t);

Decoder decoderOf(std::string_view format) {
    using namespace pictures;
    struct Row {
        std::string_view name;
        Decoder decode;
    };
    static constexpr Row kTable[] = {
        {"png", decodePng}, {"jpeg", decodeJpeg}, {"gif", decodeGif}, {"tiff", decodeTiff},
        {"fax", decodeFax}, {"bmp", decodeBmp},   {"ico", decodeIco}, {"tga", decodeTga},
        {"pcx", decodePcx}, {"pnm", decodePnm},   {"sgi", decodeSgi}, {"psd", decodePsd},
    };
    for (const Row& row : kTable)
        if (row.name == format)
            return row.decode;
    std::fprintf(stderr, "no decoder for format %.*s\n", int(format.size()), format.data());
    std::abort();
}

volatile std::uint32_t sink;

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "decoded picture breaks an invariant: %s\n", what);
    std::abort();
}

// PNG image data is inflated whole where it can be and row by row by libpng
// otherwise; both ways must give the same picture, or the same error.
void comparePngInflation(const std::uint8_t* data, std::size_t size) {
    auto attempt = [&](pictures::PngInflate how, std::string& error) {
        pictures::setPngInflate(how);
        pictures::Picture pic;
        try {
            pic = pictures::decodePng(data, size);
        } catch (const PictureError& e) {
            error = e.what();
        }
        pictures::setPngInflate(pictures::PngInflate::WholeStream);
        return pic;
    };
    std::string wholeError, rowError;
    const pictures::Picture whole = attempt(pictures::PngInflate::WholeStream, wholeError);
    const pictures::Picture rows = attempt(pictures::PngInflate::RowByRow, rowError);
    if (wholeError != rowError)
        broken("PNG inflated whole and row by row fail differently");
    if (whole.width != rows.width || whole.height != rows.height ||
        whole.hasAlpha != rows.hasAlpha || !(whole.pixels == rows.pixels))
        broken("PNG inflated whole and row by row differ");
}

} // namespace

void decodeOne(std::string_view format, const std::uint8_t* data, std::size_t size) {
    if (format == "png")
        comparePngInflation(data, size);
    pictures::Picture pic;
    try {
        pic = decoderOf(format)(data, size);
    } catch (const PictureError&) {
        return;
    }
    if (pic.width <= 0 || pic.height <= 0 || pic.width > pictures::kMaxSide ||
        pic.height > pictures::kMaxSide)
        broken("size out of bounds");
    if (pic.pixels.size() != std::size_t(pic.width) * std::size_t(pic.height))
        broken("pixel count differs from width x height");
    // Touch every pixel so that a sanitizer sees any that were not written
    // from initialised memory, and the optimiser cannot drop the decoding.
    std::uint32_t sum = 0;
    for (std::uint32_t p : pic.pixels)
        sum ^= p;
    sink = sum;
}

} // namespace taleplay::fuzz
