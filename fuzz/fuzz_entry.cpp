#include "fuzz_entry.h"
#include "targets.h"

#include "core/errors.h"
#include "pictures/metafile.h"
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
        {"png", decodePng},      {"jpeg", decodeJpeg}, {"gif", decodeGif}, {"tiff", decodeTiff},
        {"fax", decodeFax},      {"bmp", decodeBmp},   {"ico", decodeIco}, {"tga", decodeTga},
        {"pcx", decodePcx},      {"pnm", decodePnm},   {"sgi", decodeSgi}, {"psd", decodePsd},
        {"cel", decodeAnimator}, {"rla", decodeRla},   {"pcd", decodePcd}, {"psp", decodePsp},
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

void checkPicture(const pictures::Picture& pic) {
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

// What the renderer relies on: every index inside its table, clips built on
// earlier clips, points enough for every verb, pictures that are pictures.
void checkMetafile(const pictures::metafile::Metafile& m) {
    using namespace pictures::metafile;
    if (m.width <= 0 || m.height <= 0 || m.width > pictures::kMaxSide ||
        m.height > pictures::kMaxSide)
        broken("metafile size out of bounds");
    auto checkPath = [](const Path& p) {
        std::size_t need = 0;
        for (Path::Verb v : p.verbs)
            need += v == Path::Verb::Cubic ? 3 : v == Path::Verb::Close ? 0 : 1;
        if (need != p.points.size())
            broken("path verbs and points differ");
        std::uint32_t sum = 0;
        for (const Point& pt : p.points)
            sum ^= static_cast<std::uint32_t>(static_cast<std::int64_t>(pt.x + pt.y));
        sink = sum;
    };
    for (std::size_t i = 1; i < m.clips.size(); ++i) {
        if (m.clips[i].parent >= i)
            broken("clip built on a later clip");
        checkPath(m.clips[i].step.path);
    }
    for (const Path& p : m.paths)
        checkPath(p);
    for (const Op& op : m.ops) {
        if (op.clip >= m.clips.size())
            broken("clip index out of range");
        const std::size_t limit = op.kind == Op::Kind::Text    ? m.texts.size()
                                  : op.kind == Op::Kind::Image ? m.images.size()
                                                               : m.paths.size();
        if (op.index >= limit)
            broken("operation index out of range");
        if (op.brush.pattern)
            checkPicture(*op.brush.pattern);
    }
    for (const Image& im : m.images) {
        if (!im.picture)
            broken("image without a picture");
        checkPicture(*im.picture);
    }
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

// A 2 x 1 Dr. Halo picture of colours 0 and 1, for reading palette files.
constexpr std::uint8_t kTinyCut[] = {2, 0, 1, 0, 0, 0, 4, 0, 2, 0, 1, 0};

} // namespace

void decodeOne(std::string_view format, const std::uint8_t* data, std::size_t size) {
    using namespace pictures;
    if (format == "png")
        comparePngInflation(data, size);
    try {
        if (format == "wmf") {
            checkMetafile(metafile::parseWmf(data, size));
        } else if (format == "emf") {
            checkMetafile(metafile::parseEmf(data, size));
        } else if (format == "eps") {
            metafile::checkEps(data, size);
        } else if (format == "cut") {
            try {
                checkPicture(decodeCut(data, size));
            } catch (const PictureError&) {
            }
            checkPicture(decodeCut(kTinyCut, sizeof kTinyCut, data, size));
        } else {
            checkPicture(decoderOf(format)(data, size));
        }
    } catch (const PictureError&) {
    }
}

void runTarget(std::string_view name, const std::uint8_t* data, std::size_t size) {
    if (name == "lookups")
        fuzzLookups(data, size);
    else if (name == "values")
        fuzzValues(data, size);
    else if (name == "rules")
        fuzzRules(data, size);
    else if (name == "checker")
        fuzzChecker(data, size);
    else
        decodeOne(name, data, size);
}

} // namespace taleplay::fuzz
