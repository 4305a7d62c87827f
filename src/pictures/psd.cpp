// Photoshop documents (psd, pdd, and the large-document psb layout): only the
// merged image that follows the layers is read, raw or PackBits, in bitmap,
// grey, duotone, indexed, RGB and CMYK modes of 1, 8 or 16 bits.
#include "pictures/decode_util.h"

#include <vector>

namespace taleplay::pictures {

using namespace detail;

namespace {

constexpr const char* kPsd = "PSD";

enum Mode : int {
    Bitmap = 0,
    Grey = 1,
    Indexed = 2,
    Rgb = 3,
    Cmyk = 4,
    Multichannel = 7,
    Duotone = 8,
};

// One PackBits row. A row that would overrun the line is damaged; one that
// ends early leaves the rest at zero.
void unpackBits(const Reader& r, Bytes src, std::size_t length, std::uint8_t* out,
                std::size_t lineBytes) {
    std::fill(out, out + lineBytes, 0);
    std::size_t i = 0, o = 0;
    while (i < length) {
        const int n = static_cast<std::int8_t>(src[i++]);
        if (n >= 0) {
            const std::size_t count = static_cast<std::size_t>(n) + 1;
            if (count > length - i)
                r.fail("truncated RLE row");
            if (count > lineBytes - o)
                r.fail("RLE run past the end of a row");
            std::copy(src + i, src + i + count, out + o);
            i += count;
            o += count;
        } else if (n != -128) { // -128 is a no-op
            const std::size_t count = static_cast<std::size_t>(1 - n);
            if (i >= length)
                r.fail("truncated RLE row");
            if (count > lineBytes - o)
                r.fail("RLE run past the end of a row");
            std::fill(out + o, out + o + count, src[i++]);
            o += count;
        }
    }
}

} // namespace

Picture decodePsd(Bytes data, std::size_t size) {
    Reader r(data, size, kPsd);
    Bytes signature = r.take(4);
    if (!std::equal(signature, signature + 4, "8BPS"))
        r.fail("not a PSD file");
    const int version = r.be16(); // 1 PSD, 2 PSB (large document)
    if (version != 1 && version != 2)
        r.fail("unknown version");
    r.skip(6);
    const std::uint32_t channels = r.be16();
    const std::uint32_t height = r.be32();
    const std::uint32_t width = r.be32();
    const int depth = r.be16();
    const int mode = r.be16();
    const std::uint32_t colourDataLength = r.be32();
    Bytes colourData = r.take(colourDataLength);
    r.skip(r.be32()); // image resources
    if (version == 1) {
        r.skip(r.be32()); // layers and masks
    } else {
        const std::uint64_t high = r.be32();
        r.skip(high << 32 | r.be32());
    }
    const int compression = r.be16();

    std::uint32_t needed = 1;
    switch (mode) {
    case Bitmap:
        if (depth != 1)
            r.fail("bitmap mode needs 1 bit");
        break;
    case Indexed:
        if (depth != 8)
            r.fail("indexed mode needs 8 bits");
        break;
    case Grey:
    case Duotone: // the grey image that the duotone inks tint
    case Multichannel:
        break;
    case Rgb:
        needed = std::min<std::uint32_t>(channels, 4);
        if (needed < 3)
            r.fail("too few channels");
        break;
    case Cmyk:
        needed = 4;
        break;
    default:
        unsupported(kPsd, "colour mode (" + std::to_string(mode) + ")");
    }
    if (mode != Bitmap && depth != 8 && depth != 16)
        unsupported(kPsd, "bit depth (" + std::to_string(depth) + ")");
    if (channels < needed || channels > 56)
        r.fail("bad channel count");
    if (compression > 1)
        unsupported(kPsd, "compression (" + std::to_string(compression) + ")");

    checkSides(width, height, kPsd);
    const std::size_t lineBytes = (std::size_t(width) * depth + 7) / 8;
    const std::uint64_t rows = std::uint64_t(height) * needed;
    const int countBytes = version == 1 ? 2 : 4;
    const std::uint64_t tableBytes = std::uint64_t(height) * channels * countBytes;
    // Refuse a short file before allocating for the size it claims.
    if (compression == 0 ? rows * lineBytes > r.remaining() : tableBytes > r.remaining())
        r.fail("truncated pixel data");

    Picture pic;
    allocate(pic, width, height, kPsd);
    Palette pal = blackPalette();
    if (mode == Indexed) {
        // 256 reds, then 256 greens, then 256 blues.
        if (colourDataLength >= 768)
            for (std::size_t i = 0; i < 256; ++i)
                pal[i] = argb(colourData[i], colourData[256 + i], colourData[512 + i]);
    }

    std::vector<std::uint8_t> lineBuffer(lineBytes);
    std::uint8_t* line = lineBuffer.data();
    const std::uint64_t base = r.pos();
    Bytes counts = compression == 1 ? r.take(tableBytes) : nullptr;
    std::uint64_t packedAt = base + tableBytes;
    const std::size_t w = width;
    const std::size_t step = depth == 16 ? 2 : 1;    // 16-bit samples keep their high byte
    static constexpr int kShift[4] = {16, 8, 0, 24}; // C, M, Y, K share R, G, B, A

    for (std::uint32_t c = 0; c < needed; ++c) {
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::uint64_t row = std::uint64_t(c) * height + y;
            if (compression == 0) {
                Bytes src = r.at(base + row * lineBytes, lineBytes);
                std::copy(src, src + lineBytes, line);
            } else {
                const std::uint64_t length =
                    countBytes == 2 ? be16(counts + row * 2) : be32(counts + row * 4);
                unpackBits(r, r.at(packedAt, length), length, line, lineBytes);
                packedAt += length;
            }
            std::uint32_t* dst = pic.pixels.data() + std::size_t(y) * w;
            if (mode == Bitmap) {
                for (std::size_t x = 0; x < w; ++x) // 1 is black
                    dst[x] = (line[x >> 3] >> (7 - (x & 7))) & 1 ? kOpaqueBlack : 0xFFFFFFFFu;
            } else if (mode == Indexed) {
                for (std::size_t x = 0; x < w; ++x)
                    dst[x] = pal[line[x]];
            } else if (needed == 1) {
                for (std::size_t x = 0; x < w; ++x) {
                    const std::uint32_t v = line[x * step];
                    dst[x] = argb(v, v, v);
                }
            } else {
                const int shift = kShift[c];
                for (std::size_t x = 0; x < w; ++x)
                    dst[x] |= std::uint32_t(line[x * step]) << shift;
            }
        }
    }

    if (mode == Cmyk) {
        // Photoshop stores CMYK inverted (255 is no ink), so each stored
        // value is already the share of light that the ink lets through.
        for (std::uint32_t& px : pic.pixels) {
            const std::uint32_t k = px >> 24;
            const std::uint32_t cr = (px >> 16) & 0xFF, cg = (px >> 8) & 0xFF, cb = px & 0xFF;
            px = argb((cr * k + 127) / 255, (cg * k + 127) / 255, (cb * k + 127) / 255);
        }
    } else if (mode == Rgb && needed == 3) {
        for (std::uint32_t& px : pic.pixels)
            px |= 0xFF000000u;
    }
    pic.hasAlpha = mode == Rgb && needed == 4;
    return pic;
}

} // namespace taleplay::pictures
