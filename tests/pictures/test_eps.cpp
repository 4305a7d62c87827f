// EPS files with a DOS binary header written here: the preview is shown,
// the PostScript never run.
#include "metafile_writers.h"
#include "pictures/encoders.h"
#include "pictures/metafile.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>

#include <string>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::test_support;

namespace {

const std::string kPostScript = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\nshowpage\n";

// The 30-byte header, the PostScript, then the previews.
File dosEps(const File& wmf, const File& tiff) {
    File f;
    put32le(f, 0xC6D3D0C5);
    const std::uint32_t ps = 30;
    const auto wmfAt = static_cast<std::uint32_t>(ps + kPostScript.size());
    const auto tiffAt = static_cast<std::uint32_t>(wmfAt + wmf.size());
    put32le(f, ps);
    put32le(f, static_cast<std::uint32_t>(kPostScript.size()));
    put32le(f, wmf.empty() ? 0 : wmfAt);
    put32le(f, static_cast<std::uint32_t>(wmf.size()));
    put32le(f, tiff.empty() ? 0 : tiffAt);
    put32le(f, static_cast<std::uint32_t>(tiff.size()));
    put16le(f, 0xFFFF);
    f.insert(f.end(), kPostScript.begin(), kPostScript.end());
    f.insert(f.end(), wmf.begin(), wmf.end());
    f.insert(f.end(), tiff.begin(), tiff.end());
    return f;
}

File tiffPreview() {
    return encoders::writeTiff(encoders::TiffSpec{.width = 2, .height = 1}, {255, 0, 0, 0, 0, 255});
}

File wmfPreview() {
    WmfWriter w(0, 0, 30, 20, 96);
    w.brush(0, rgbRef(0, 255, 0)).select(0).rectangle(0, 0, 30, 20);
    return w.file();
}

} // namespace

TEST(EpsDecoder, ShowsTheTiffPreview) {
    const File f = dosEps(wmfPreview(), tiffPreview());
    seed("tiff-and-wmf-previews.eps", f);
    const Picture pic = decodeFile<decodeEps>(f);
    EXPECT_EQ(pic.pixels, (std::vector<std::uint32_t>{kRed, kBlue}));
}

TEST(EpsDecoder, ReadsAMetafilePreviewWithoutDrawingIt) {
    const File f = dosEps(wmfPreview(), {});
    seed("wmf-preview.eps", f);
    EXPECT_NO_THROW(metafile::checkEps(f.data(), f.size()));
    // Drawing it is the platform layer's; here there is no renderer.
    EXPECT_THROW(decodeFile<decodeEps>(f), PictureError);
}

TEST(EpsDecoder, RefusesFilesWithoutAPreview) {
    File plain(kPostScript.begin(), kPostScript.end());
    File outside = dosEps({}, tiffPreview());
    outside[20] = 0xFF, outside[23] = 0x7F;
    const std::vector<Refused> cases = {
        {"plain PostScript", plain, "EPS picture has no preview to show (PostScript is not drawn)"},
        {"no preview in the header", dosEps({}, {}), "no preview to show"},
        {"preview outside the file", outside, "EPS picture is damaged (offset past the end"},
        {"header cut short", File{0xC5, 0xD0, 0xD3, 0xC6, 0, 0}, "truncated file"},
        {"not EPS", File(40, 1), "not an EPS file"},
    };
    expectRefused<decodeEps>(cases);
}
