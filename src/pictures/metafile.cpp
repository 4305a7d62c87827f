// Metafiles as pictures: the display list drawn by the renderer the
// platform layer registers.
#include "pictures/metafile.h"

#include "core/errors.h"

#include <atomic>

namespace taleplay::pictures {

namespace metafile {

namespace {
std::atomic<Renderer> registered{nullptr};
} // namespace

void setRenderer(Renderer renderer) {
    registered = renderer;
}

Picture render(const Metafile& m, const char* format) {
    const Renderer renderer = registered;
    if (!renderer)
        pictureFails(TALEPLAY_TEXT("Pictures", "%1 pictures cannot be drawn here (no renderer)"),
                     {format});
    // The renderer draws the picture twice, on white and on black, to tell
    // what it leaves out.
    chargeWorkingMemory(2 * std::int64_t(m.width) * m.height * 4, format);
    return renderer(m);
}

} // namespace metafile

Picture decodeWmf(Bytes data, std::size_t size) {
    return metafile::render(metafile::parseWmf(data, size), "WMF");
}

Picture decodeEmf(Bytes data, std::size_t size) {
    return metafile::render(metafile::parseEmf(data, size), "EMF");
}

} // namespace taleplay::pictures
