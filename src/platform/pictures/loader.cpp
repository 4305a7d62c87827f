#include "platform/pictures/loader.h"

#include "platform/errors.h"
#include "platform/files.h"

#include <algorithm>
#include <vector>

namespace taleplay::pictures {

// FIXME: first cut without the cache and without the full extension table.
std::string extensionOf(const std::string& name) {
    std::size_t slash = name.find_last_of("/\\");
    std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return name.substr(dot + 1);
}

std::shared_ptr<const Picture> loadPicture(const std::string& fsPath, const std::string& shownName) {
    std::string ext = extensionOf(shownName);
    std::string lower = ext;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    using Decoder = Picture (*)(Bytes, std::size_t);
    Decoder decode = nullptr;
    if (lower == "png")
        decode = decodePng;
    else if (lower == "jpg" || lower == "jpeg" || lower == "jpe" || lower == "jfif")
        decode = decodeJpeg;
    else if (lower == "gif")
        decode = decodeGif;
    else if (lower == "bmp" || lower == "dib" || lower == "rle")
        decode = decodeBmp;
    if (!decode)
        throw PictureError("Unknown picture file extension (." + ext + ")");
    std::vector<unsigned char> bytes;
    files::readWholeFile(fsPath, shownName, bytes, 512u * 1024 * 1024);
    return std::make_shared<Picture>(decode(bytes.data(), bytes.size()));
}

} // namespace taleplay::pictures
