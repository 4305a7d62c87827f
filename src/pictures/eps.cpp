// Encapsulated PostScript (eps): the preview picture a DOS EPS file carries
// beside its PostScript, TIFF preferred to WMF. The PostScript itself is
// never run: an EPS file without a preview is refused.
#include "pictures/decode_util.h"
#include "pictures/metafile.h"

namespace taleplay::pictures {

using namespace detail;

namespace {

constexpr const char* kEps = "EPS";
constexpr std::uint32_t kDosEpsMagic = 0xC6D3D0C5;
constexpr std::size_t kDosEpsHeader = 30;
constexpr const char* kNoPreview =
    TALEPLAY_TEXT("Pictures", "EPS picture has no preview to show (PostScript is not drawn)");

struct Preview {
    enum class Kind { Tiff, Wmf } kind;
    Bytes data;
    std::size_t size;
};

Preview previewOf(Bytes data, std::size_t size) {
    Reader r(data, size, kEps);
    if (size < 4 || le32(data) != kDosEpsMagic) {
        if (size >= 2 && data[0] == '%' && data[1] == '!')
            pictureFails(kNoPreview, {});
        r.fail("not an EPS file");
    }
    if (size < kDosEpsHeader)
        r.fail("truncated file");
    const std::uint32_t wmfAt = le32(data + 12), wmfSize = le32(data + 16);
    const std::uint32_t tiffAt = le32(data + 20), tiffSize = le32(data + 24);
    if (tiffAt != 0 && tiffSize != 0)
        return {Preview::Kind::Tiff, r.at(tiffAt, tiffSize), tiffSize};
    if (wmfAt != 0 && wmfSize != 0)
        return {Preview::Kind::Wmf, r.at(wmfAt, wmfSize), wmfSize};
    pictureFails(kNoPreview, {});
}

} // namespace

Picture decodeEps(Bytes data, std::size_t size) {
    const Preview p = previewOf(data, size);
    if (p.kind == Preview::Kind::Tiff)
        return decodeTiff(p.data, p.size);
    return metafile::render(metafile::parseWmf(p.data, p.size), "WMF");
}

void metafile::checkEps(Bytes data, std::size_t size) {
    const Preview p = previewOf(data, size);
    if (p.kind == Preview::Kind::Tiff)
        decodeTiff(p.data, p.size);
    else
        metafile::parseWmf(p.data, p.size);
}

} // namespace taleplay::pictures
