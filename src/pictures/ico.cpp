// Windows icons and cursors: a directory of images, each a DIB with an AND
// mask or a whole PNG file. The largest image is shown, the deepest of those.
#include "pictures/decode_util.h"

#include <bit>

namespace taleplay::pictures {

using namespace detail;

namespace {

constexpr const char* kIco = "ICO";
constexpr unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct Candidate {
    std::uint64_t offset = 0;
    std::uint64_t bytes = 0;
    bool png = false;
    std::int64_t area = 0;
    int depth = 0;
};

// Sizes are taken from the image itself where it can be read: directory
// entries are often wrong (0 bits, or 0 meaning 256 pixels).
bool measure(Bytes img, std::uint64_t bytes, Bytes entry, Candidate& c) {
    std::int64_t w = entry[0] != 0 ? entry[0] : 256;
    std::int64_t h = entry[1] != 0 ? entry[1] : 256;
    int depth = le16(entry + 6);
    if (depth == 0 && entry[2] != 0)
        depth = std::bit_width(static_cast<unsigned>(entry[2] - 1));
    if (bytes >= 26 && std::equal(kPngSignature, kPngSignature + 8, img)) {
        c.png = true;
        w = be32(img + 16);
        h = be32(img + 20);
        static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4}; // by PNG colour type
        depth = img[24] * (img[25] < 7 ? kChannels[img[25]] : 0);
    } else if (bytes >= 16) {
        w = static_cast<std::int32_t>(le32(img + 4));
        h = static_cast<std::int32_t>(le32(img + 8)) / 2;
        depth = le16(img + 14);
    }
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide)
        return false;
    c.area = w * h;
    c.depth = depth;
    return true;
}

} // namespace

Picture decodeIco(Bytes data, std::size_t size) {
    Reader r(data, size, kIco);
    const std::uint16_t reserved = r.le16();
    const std::uint16_t type = r.le16(); // 1 icon, 2 cursor
    const std::uint16_t count = r.le16();
    if (reserved != 0 || (type != 1 && type != 2))
        r.fail("not an icon file");
    if (count == 0)
        r.fail("no images");

    Candidate best;
    bool found = false;
    for (unsigned i = 0; i < count; ++i) {
        Bytes entry = r.take(16);
        Candidate c;
        c.bytes = le32(entry + 8);
        c.offset = le32(entry + 12);
        if (c.offset >= size || c.bytes == 0 || c.bytes > size - c.offset)
            continue; // an entry outside the file cannot be shown
        if (!measure(data + c.offset, c.bytes, entry, c))
            continue;
        if (!found || c.area > best.area || (c.area == best.area && c.depth > best.depth)) {
            best = c;
            found = true;
        }
    }
    if (!found)
        r.fail("no readable image");

    Bytes img = data + best.offset;
    const auto bytes = static_cast<std::size_t>(best.bytes);
    if (best.png)
        return decodePng(img, bytes);
    return decodeIconDib(img, bytes);
}

} // namespace taleplay::pictures
