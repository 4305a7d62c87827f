// SGI images (sgi, rgb, rgba, bw): 1 to 4 channels of 8 or 16 bits, stored
// verbatim or run-length encoded, one channel plane after the other, with the
// bottom row first.
#include "pictures/decode_util.h"

#include <vector>

namespace taleplay::pictures {

using namespace detail;

namespace {

constexpr const char* kSgi = "SGI";
constexpr std::size_t kHeaderSize = 512;
constexpr std::uint16_t kMagic = 474;

// Unpacks one RLE row of `width` samples into `out` (the high byte of
// 16-bit samples). A row that would run past its width is damaged; a row
// that ends early leaves the rest at zero.
template <int SampleBytes>
void unpackRow(const Reader& r, Bytes src, std::size_t length, std::uint8_t* out,
               std::size_t width) {
    auto sample = [&](std::size_t at) -> std::uint8_t { return src[at]; };
    std::size_t i = 0, o = 0;
    while (i + SampleBytes <= length) {
        const unsigned head = SampleBytes == 2 ? be16(src + i) : src[i];
        i += SampleBytes;
        const std::size_t count = head & 0x7F;
        if (count == 0)
            return;
        if (count > width - o)
            r.fail("RLE run past the end of a row");
        if (head & 0x80) {
            if (count * SampleBytes > length - i)
                r.fail("truncated RLE row");
            for (std::size_t k = 0; k < count; ++k, i += SampleBytes)
                out[o++] = sample(i);
        } else {
            if (SampleBytes > length - i)
                r.fail("truncated RLE row");
            std::fill(out + o, out + o + count, sample(i));
            o += count;
            i += SampleBytes;
        }
    }
}

} // namespace

Picture decodeSgi(Bytes data, std::size_t size) {
    Reader r(data, size, kSgi);
    Bytes hd = r.take(kHeaderSize);
    if (be16(hd) != kMagic)
        r.fail("not an SGI file");
    const int storage = hd[2];
    const int bpc = hd[3];
    const int dimension = be16(hd + 4);
    std::uint32_t width = be16(hd + 6);
    std::uint32_t height = be16(hd + 8);
    std::uint32_t depth = be16(hd + 10);
    const std::uint32_t colormap = be32(hd + 104);
    if (storage > 1 || (bpc != 1 && bpc != 2) || dimension < 1 || dimension > 3)
        r.fail("bad header");
    if (colormap != 0)
        unsupported(kSgi, "colour map mode (" + std::to_string(colormap) + ")");
    if (dimension == 1)
        height = 1;
    if (dimension < 3)
        depth = 1;
    if (depth == 0)
        r.fail("no channels");
    // Channels past the fourth carry nothing this program shows.
    const std::uint32_t channels = std::min<std::uint32_t>(depth, 4);
    const std::uint64_t rows = std::uint64_t(height) * depth;

    // Refuse a short file before allocating for the size it claims.
    if (storage == 0) {
        if (rows * width * bpc > r.remaining())
            r.fail("truncated pixel data");
    } else if (rows * 8 > r.remaining()) {
        r.fail("truncated offset table");
    }

    Picture pic;
    allocate(pic, width, height, kSgi);
    std::vector<std::uint8_t> plane(static_cast<std::size_t>(width));
    std::uint8_t* row = plane.data();
    // RLE: a table of row starts, then one of row lengths, channel by channel.
    Bytes starts = storage == 1 ? r.at(kHeaderSize, rows * 8) : nullptr;
    Bytes lengths = storage == 1 ? starts + rows * 4 : nullptr;
    const std::size_t w = width;
    // Which byte of 0xAARRGGBB each channel fills; grey goes to all three.
    static constexpr int kShift[2][4] = {{16, 24, 0, 0}, {16, 8, 0, 24}};
    const bool grey = channels <= 2;

    for (std::uint32_t c = 0; c < channels; ++c) {
        for (std::uint32_t fy = 0; fy < height; ++fy) {
            const std::uint64_t index = std::uint64_t(c) * height + fy;
            if (storage == 0) {
                Bytes src = r.at(kHeaderSize + index * w * bpc, std::uint64_t(w) * bpc);
                for (std::size_t x = 0; x < w; ++x)
                    row[x] = src[x * bpc];
            } else {
                const std::uint32_t start = be32(starts + index * 4);
                const std::uint32_t length = be32(lengths + index * 4);
                Bytes src = r.at(start, length);
                std::fill(row, row + w, 0);
                if (bpc == 1)
                    unpackRow<1>(r, src, length, row, w);
                else
                    unpackRow<2>(r, src, length, row, w);
            }
            std::uint32_t* dst = pic.pixels.data() + std::size_t(height - 1 - fy) * w;
            if (grey && c == 0) {
                for (std::size_t x = 0; x < w; ++x)
                    dst[x] = argb(row[x], row[x], row[x], 255);
            } else {
                const int shift = kShift[grey ? 0 : 1][c];
                const std::uint32_t keep = ~(0xFFu << shift);
                for (std::size_t x = 0; x < w; ++x)
                    dst[x] = (dst[x] & keep) | std::uint32_t(row[x]) << shift;
            }
        }
    }
    if (channels == 3) {
        for (std::uint32_t& px : pic.pixels)
            px |= 0xFF000000u;
    }
    pic.hasAlpha = channels == 2 || channels == 4;
    return pic;
}

} // namespace taleplay::pictures
