// Kodak Photo CD image packs (pcd): the base image of 768 x 512, turned
// upright as the pack says.
#include "pictures/decode_util.h"

#include <cmath>
#include <cstring>

namespace taleplay::pictures {

using namespace detail;

namespace {

constexpr const char* kPcd = "Photo CD";
constexpr std::size_t kSignatureAt = 0x800;
constexpr std::size_t kOrientationAt = 0xE02;
constexpr std::size_t kBaseAt = 0x30000; // sector 96 of 2048 bytes
constexpr int kBaseWidth = 768;
constexpr int kBaseHeight = 512;

// PhotoYCC to RGB, with Kodak's published scaling of the luma and of the two
// chroma channels around their zero points 156 and 137.
std::uint32_t yccToRgb(int y, int c1, int c2) {
    const double l = 1.3584 * y;
    const double b = 2.2179 * (c1 - 156);
    const double r = 1.8215 * (c2 - 137);
    auto clamp = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0l, 255l));
    };
    return argb(clamp(l + r), clamp(l - 0.194 * b - 0.509 * r), clamp(l + b));
}

Picture rotated(const Picture& src, int quarterTurnsClockwise) {
    Picture out;
    const bool sideways = quarterTurnsClockwise % 2 != 0;
    allocate(out, sideways ? src.height : src.width, sideways ? src.width : src.height, kPcd);
    const std::size_t w = static_cast<std::size_t>(src.width);
    const std::size_t h = static_cast<std::size_t>(src.height);
    const std::size_t ow = static_cast<std::size_t>(out.width);
    for (std::size_t y = 0; y < h; ++y)
        for (std::size_t x = 0; x < w; ++x) {
            std::size_t ox = x, oy = y;
            switch (quarterTurnsClockwise) {
            case 1:
                ox = h - 1 - y, oy = x;
                break;
            case 2:
                ox = w - 1 - x, oy = h - 1 - y;
                break;
            case 3:
                ox = y, oy = w - 1 - x;
                break;
            }
            out.pixels[oy * ow + ox] = src.pixels[y * w + x];
        }
    return out;
}

} // namespace

Picture decodePcd(Bytes data, std::size_t size) {
    Reader r(data, size, kPcd);
    if (size < kSignatureAt + 7 || std::memcmp(data + kSignatureAt, "PCD_IPI", 7) != 0)
        r.fail("not a Photo CD image pack");
    const unsigned orientation = *r.at(kOrientationAt, 1) & 3;
    // Two rows of luma, then one row each of the two chroma channels at half
    // resolution, for every pair of rows.
    constexpr std::size_t kPairBytes = kBaseWidth * 2 + kBaseWidth;
    Bytes base = nullptr;
    if (size >= kBaseAt && size - kBaseAt >= kPairBytes * (kBaseHeight / 2))
        base = r.at(kBaseAt, kPairBytes * (kBaseHeight / 2));
    else
        r.fail("truncated base image");

    Picture pic;
    allocate(pic, kBaseWidth, kBaseHeight, kPcd);
    for (int pair = 0; pair < kBaseHeight / 2; ++pair) {
        Bytes luma = base + static_cast<std::size_t>(pair) * kPairBytes;
        Bytes c1 = luma + 2 * kBaseWidth;
        Bytes c2 = c1 + kBaseWidth / 2;
        for (int row = 0; row < 2; ++row) {
            std::uint32_t* out =
                pic.pixels.data() + static_cast<std::size_t>(pair * 2 + row) * kBaseWidth;
            for (int x = 0; x < kBaseWidth; ++x)
                out[x] = yccToRgb(luma[row * kBaseWidth + x], c1[x / 2], c2[x / 2]);
        }
    }
    // How the scan must be turned to stand upright: 0 not at all, 1 a
    // quarter anticlockwise, 2 half a turn, 3 a quarter clockwise.
    static constexpr int kClockwiseTurns[4] = {0, 3, 2, 1};
    if (orientation != 0)
        return rotated(pic, kClockwiseTurns[orientation]);
    return pic;
}

} // namespace taleplay::pictures
