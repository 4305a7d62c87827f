// Decoded pixels: allocation under the size limits, and the shared helpers of the decoders.
#include "pictures/picture.h"

#include "core/errors.h"

namespace taleplay::pictures {

void allocate(Picture& pic, std::int64_t w, std::int64_t h, const char* format) {
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || w * h * 4 > kMaxPixelBytes)
        throw PictureError(std::string(format) + " picture has an unsupported size (" +
                           std::to_string(w) + " x " + std::to_string(h) + ")");
    pic.width = static_cast<int>(w);
    pic.height = static_cast<int>(h);
    pic.pixels.assign(static_cast<std::size_t>(w * h), 0);
}

} // namespace taleplay::pictures
