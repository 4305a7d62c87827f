// Decoded pixels: allocation under the size limits, and the shared helpers of the decoders.
#include "pictures/picture.h"

#include "core/errors.h"

namespace taleplay::pictures {

namespace {
std::optional<std::uint32_t> unwrittenPattern;
} // namespace

void setUnwrittenPattern(std::optional<std::uint32_t> pattern) {
    unwrittenPattern = pattern;
}

void allocate(Picture& pic, std::int64_t w, std::int64_t h, const char* format, Fill fill,
              std::size_t spareWords) {
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || w * h * 4 > kMaxPixelBytes)
        throw PictureError(std::string(format) + " picture has an unsupported size (" +
                           std::to_string(w) + " x " + std::to_string(h) + ")");
    pic.width = static_cast<int>(w);
    pic.height = static_cast<int>(h);
    const auto count = static_cast<std::size_t>(w * h);
    if (spareWords > 0)
        pic.pixels.reserve(count + spareWords);
    if (fill == Fill::Zero)
        pic.pixels.assign(count, 0);
    else if (unwrittenPattern)
        pic.pixels.assign(count, *unwrittenPattern);
    else
        pic.pixels.resize(count);
}

} // namespace taleplay::pictures
