// Wavefront RLA and RPF pictures: run-length coded channels of 8 or 16
// bits, scan lines listed in a table from the bottom up.
#include "pictures/decode_util.h"

#include <vector>

namespace taleplay::pictures {

using namespace detail;

namespace {

constexpr const char* kRla = "RLA";
constexpr std::size_t kHeaderSize = 740;
constexpr std::size_t kChanBitsAt = 658; // after the text fields of the header
constexpr std::size_t kMatteBitsAt = 662;

// One channel of one scan line: runs (a count below 128 repeats the next
// byte count + 1 times) and literals (a count of 128 or more copies
// 256 - count bytes). A channel wider than a byte is coded as its byte
// planes one after the other, most significant first.
void unpackChannel(Reader& r, std::uint64_t length, std::uint8_t* out, std::size_t count) {
    Bytes src = r.take(length);
    std::size_t i = 0;
    std::uint64_t k = 0;
    while (i < count && k < length) {
        const int c = static_cast<std::int8_t>(src[k++]);
        if (c >= 0) {
            if (k >= length)
                r.fail("run past the end of its channel");
            const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(c) + 1, count - i);
            std::fill(out + i, out + i + n, src[k++]);
            i += n;
        } else {
            const std::uint64_t n = static_cast<std::uint64_t>(-c);
            if (n > length - k)
                r.fail("run past the end of its channel");
            const std::size_t keep =
                static_cast<std::size_t>(std::min<std::uint64_t>(n, count - i));
            std::copy(src + k, src + k + keep, out + i);
            i += keep;
            k += n;
        }
    }
    // A short channel leaves the rest of the line at zero.
    std::fill(out + i, out + count, 0);
}

int channelBytes(int bits, Reader& r) {
    if (bits == 0 || (bits >= 1 && bits <= 8))
        return 1; // old files leave the field at zero
    if (bits <= 16)
        return 2;
    r.fail("channels of more than 16 bits");
}

} // namespace

Picture decodeRla(Bytes data, std::size_t size) {
    Reader r(data, size, kRla);
    if (size < kHeaderSize)
        r.fail("truncated file");
    Bytes hd = r.at(0, kHeaderSize);
    // The active window is the picture; the full window may be larger.
    const auto left = static_cast<std::int16_t>(be16(hd + 8));
    const auto right = static_cast<std::int16_t>(be16(hd + 10));
    const auto bottom = static_cast<std::int16_t>(be16(hd + 12));
    const auto top = static_cast<std::int16_t>(be16(hd + 14));
    const int colourChannels = static_cast<std::int16_t>(be16(hd + 20));
    const int matteChannels = static_cast<std::int16_t>(be16(hd + 22));
    const int auxChannels = static_cast<std::int16_t>(be16(hd + 24));
    const std::int64_t w = std::int64_t(right) - left + 1;
    const std::int64_t h = std::int64_t(top) - bottom + 1;
    if (w <= 0 || h <= 0)
        r.fail("bad dimensions");
    if (colourChannels != 1 && colourChannels != 3)
        unsupported(kRla, "number of colour channels (" + std::to_string(colourChannels) + ")");
    if (matteChannels < 0 || matteChannels > 1 || auxChannels < 0)
        r.fail("bad channel counts");
    const int colourBytes = channelBytes(static_cast<std::int16_t>(be16(hd + kChanBitsAt)), r);
    const int matteBytes = channelBytes(static_cast<std::int16_t>(be16(hd + kMatteBitsAt)), r);
    checkSides(w, h, kRla);
    if (!r.has(kHeaderSize + static_cast<std::uint64_t>(h) * 4))
        r.fail("truncated offset table");

    Picture pic;
    allocate(pic, w, h, kRla);
    const std::size_t width = static_cast<std::size_t>(w);
    std::vector<std::uint8_t> planes[4];
    for (auto& p : planes)
        p.resize(width * 2);
    const int channels = colourChannels + matteChannels;
    for (std::int64_t line = 0; line < h; ++line) {
        r.seek(be32(r.at(kHeaderSize + 4 * static_cast<std::uint64_t>(line), 4)));
        for (int c = 0; c < channels; ++c) {
            const int bytes = c < colourChannels ? colourBytes : matteBytes;
            const std::uint64_t length = r.be16();
            unpackChannel(r, length, planes[c].data(), width * static_cast<std::size_t>(bytes));
        }
        // Auxiliary channels (depth and the like) follow; they are not pictured.
        std::uint32_t* row = pic.pixels.data() + static_cast<std::size_t>(h - 1 - line) * width;
        auto sample = [&](int c, std::size_t x) -> std::uint32_t {
            // The most significant byte plane is the 8-bit sample.
            return planes[c][x];
        };
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t red = sample(0, x);
            const std::uint32_t green = colourChannels == 3 ? sample(1, x) : red;
            const std::uint32_t blue = colourChannels == 3 ? sample(2, x) : red;
            const std::uint32_t alpha = matteChannels ? sample(colourChannels, x) : 255;
            row[x] = argb(red, green, blue, alpha);
        }
    }
    if (matteChannels)
        settleAlpha(pic);
    return pic;
}

} // namespace taleplay::pictures
