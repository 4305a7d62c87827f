// Truevision TGA (tga, vst, vda, icb, win): colour-mapped, true-colour and
// grey images, raw or run-length encoded, in any of the four origins.
#include "pictures/decode_util.h"

#include <vector>

namespace taleplay::pictures {

using namespace detail;

namespace {

constexpr const char* kTga = "TGA";

constexpr std::uint32_t from5(std::uint32_t v) {
    return (v << 3) | (v >> 2);
}

// A 16-bit A1R5G5B5 word; the top bit is alpha only when the file says so.
inline std::uint32_t rgb16(std::uint32_t px, bool alpha) {
    const std::uint32_t a = !alpha || (px & 0x8000) ? 255 : 0;
    return argb(from5((px >> 10) & 31), from5((px >> 5) & 31), from5(px & 31), a);
}

// One converter per pixel layout, chosen once per picture so the pixel loops
// below compile to straight code.
struct Bgr16 {
    static constexpr int kBytes = 2;
    bool alpha;
    std::uint32_t operator()(Bytes p) const { return rgb16(le16(p), alpha); }
};
struct Bgr24 {
    static constexpr int kBytes = 3;
    std::uint32_t operator()(Bytes p) const { return argb(p[2], p[1], p[0]); }
};
struct Bgra32 {
    static constexpr int kBytes = 4;
    std::uint32_t opaque;
    std::uint32_t operator()(Bytes p) const { return le32(p) | opaque; }
};
struct Grey8 {
    static constexpr int kBytes = 1;
    std::uint32_t operator()(Bytes p) const { return argb(p[0], p[0], p[0]); }
};
struct GreyAlpha16 {
    static constexpr int kBytes = 2;
    bool alpha;
    std::uint32_t operator()(Bytes p) const { return argb(p[0], p[0], p[0], alpha ? p[1] : 255); }
};
struct Mapped8 {
    static constexpr int kBytes = 1;
    const std::uint32_t* table; // 256 entries
    std::uint32_t operator()(Bytes p) const { return table[p[0]]; }
};
struct Mapped16 {
    static constexpr int kBytes = 2;
    const std::uint32_t* table; // 65536 entries
    std::uint32_t operator()(Bytes p) const { return table[le16(p)]; }
};

// Reads the pixels into `pic`, top row first. Raw rows go straight to their
// place; run-length packets may cross rows, so they are unpacked in file
// order and the rows turned over afterwards. A packet that passes the last
// pixel is cut there.
template <class Convert>
void readPixels(Reader& r, bool rle, bool bottomUp, Convert convert, Picture& pic) {
    constexpr int bytes = Convert::kBytes;
    const std::size_t total = pic.pixels.size();
    std::uint32_t* out = pic.pixels.data();
    if (!rle) {
        const std::size_t w = static_cast<std::size_t>(pic.width);
        const std::size_t h = static_cast<std::size_t>(pic.height);
        Bytes src = r.take(static_cast<std::uint64_t>(total) * bytes);
        for (std::size_t fy = 0; fy < h; ++fy) {
            std::uint32_t* dst = out + (bottomUp ? h - 1 - fy : fy) * w;
            for (std::size_t x = 0; x < w; ++x, src += bytes)
                dst[x] = convert(src);
        }
        return;
    }
    std::size_t i = 0;
    while (i < total) {
        const unsigned head = r.u8();
        const std::size_t n = std::min<std::size_t>((head & 0x7F) + 1, total - i);
        if (head & 0x80) {
            std::fill(out + i, out + i + n, convert(r.take(bytes)));
        } else {
            Bytes src = r.take(n * bytes);
            for (std::size_t k = 0; k < n; ++k, src += bytes)
                out[i + k] = convert(src);
        }
        i += n;
    }
    if (bottomUp)
        flipVertically(pic);
}

std::uint32_t mapEntry(Bytes p, int bits) {
    switch (bits) {
    case 15:
    case 16:
        return rgb16(le16(p), false);
    case 24:
        return argb(p[2], p[1], p[0]);
    default:
        return le32(p);
    }
}

} // namespace

Picture decodeTga(Bytes data, std::size_t size) {
    Reader r(data, size, kTga);
    Bytes hd = r.take(18);
    const int idLength = hd[0];
    const int mapType = hd[1];
    const int type = hd[2];
    const int mapFirst = le16(hd + 3);
    const int mapLength = le16(hd + 5);
    const int mapBits = hd[7];
    const int width = le16(hd + 12);
    const int height = le16(hd + 14);
    const int depth = hd[16];
    const int attributeBits = hd[17] & 0x0F;
    const bool rightToLeft = hd[17] & 0x10;
    const bool topDown = hd[17] & 0x20;
    const bool rle = type & 8;
    const int kind = type & ~8; // 1 colour-mapped, 2 true-colour, 3 grey

    if (mapType > 1 || (type & ~0x0B) != 0 || kind == 0 || (kind == 1 && mapType != 1))
        r.fail("not a TGA file");
    const bool depthOk = kind == 1   ? depth == 8 || depth == 16
                         : kind == 2 ? depth == 15 || depth == 16 || depth == 24 || depth == 32
                                     : depth == 8 || depth == 16;
    if (!depthOk)
        unsupported(kTga, "pixel depth (" + std::to_string(depth) + ")");
    r.skip(idLength);

    std::vector<std::uint32_t> table;
    if (mapType == 1) {
        if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)
            unsupported(kTga, "colour map entry size (" + std::to_string(mapBits) + ")");
        const int entryBytes = (mapBits + 7) / 8;
        Bytes map = r.take(static_cast<std::uint64_t>(mapLength) * entryBytes);
        if (kind == 1) {
            // Indices the map does not cover show black.
            table.assign(depth == 8 ? 256 : 65536, kOpaqueBlack);
            for (int i = 0; i < mapLength && mapFirst + i < static_cast<int>(table.size()); ++i)
                table[static_cast<std::size_t>(mapFirst + i)] =
                    mapEntry(map + i * entryBytes, mapBits);
        }
    }

    // Refuse a short file before allocating for the size it claims: a raw
    // image needs every pixel, a packet covers at most 128 pixels.
    const int pixelBytes = (depth + 7) / 8;
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * height;
    const std::uint64_t least = rle ? (pixels + 127) / 128 * (1 + pixelBytes) : pixels * pixelBytes;
    if (least > r.remaining())
        r.fail("truncated pixel data");

    Picture pic;
    allocate(pic, width, height, kTga);
    bool alpha = false;
    if (kind == 1) {
        alpha = mapBits == 32;
        if (depth == 8)
            readPixels(r, rle, !topDown, Mapped8{table.data()}, pic);
        else
            readPixels(r, rle, !topDown, Mapped16{table.data()}, pic);
    } else if (kind == 2) {
        alpha = attributeBits > 0 && (depth == 16 || depth == 32);
        if (depth == 24)
            readPixels(r, rle, !topDown, Bgr24{}, pic);
        else if (depth == 32)
            readPixels(r, rle, !topDown, Bgra32{alpha ? 0u : 0xFF000000u}, pic);
        else
            readPixels(r, rle, !topDown, Bgr16{alpha && depth == 16}, pic);
    } else {
        alpha = attributeBits > 0 && depth == 16;
        if (depth == 8)
            readPixels(r, rle, !topDown, Grey8{}, pic);
        else
            readPixels(r, rle, !topDown, GreyAlpha16{alpha}, pic);
    }

    if (rightToLeft)
        flipHorizontally(pic);
    if (alpha)
        settleAlpha(pic);
    return pic;
}

} // namespace taleplay::pictures
