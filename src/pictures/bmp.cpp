// Windows and OS/2 bitmaps (bmp, dib, rle) and the DIB images inside icons.
#include "pictures/decode_util.h"

#include <bit>

namespace taleplay::pictures {

using namespace detail;

namespace {

constexpr const char* kBmp = "BMP";

// Compression values of BITMAPINFOHEADER.
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitfields = 3;
constexpr std::uint32_t kAlphaBitfields = 6;

constexpr std::uint32_t kCoreHeaderSize = 12;    // BITMAPCOREHEADER (OS/2 1.x)
constexpr std::uint32_t kInfoHeaderSize = 40;    // BITMAPINFOHEADER
constexpr std::uint32_t kOs2v2HeaderSize = 64;   // BITMAPINFOHEADER2
constexpr std::uint32_t kMaxHeaderSize = 0x1000; // nothing real is larger than V5's 124

enum class DibKind { File, Icon };

struct DibHeader {
    std::int64_t width = 0;
    std::int64_t height = 0; // of the colour image, always positive
    bool topDown = false;
    int bits = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t masks[4] = {}; // red, green, blue, alpha
    std::uint64_t paletteAt = 0;
    int paletteEntry = 4; // RGBQUAD; 3 for the OS/2 core header's RGBTRIPLE
    std::uint64_t paletteCount = 0;
    std::uint64_t pixelsAt = 0;
};

DibHeader readHeader(Reader& r, std::uint64_t headerAt, std::uint64_t pixelsAt, DibKind kind) {
    DibHeader h;
    r.seek(headerAt);
    const std::uint32_t size = r.le32();
    std::uint32_t colorsUsed = 0;
    bool alphaMaskGiven = false;
    if (size == kCoreHeaderSize) {
        h.width = r.le16();
        h.height = r.le16();
        r.skip(2); // planes
        h.bits = r.le16();
        h.paletteEntry = 3;
    } else {
        if (size < 16 || size > kMaxHeaderSize)
            r.fail("unknown header size");
        Bytes p = r.at(headerAt, size);
        // OS/2 2.x headers may stop after any field; the missing ones are zero.
        auto field32 = [&](std::uint32_t at) { return at + 4 <= size ? le32(p + at) : 0u; };
        const auto w = static_cast<std::int32_t>(le32(p + 4));
        const auto ht = static_cast<std::int32_t>(le32(p + 8));
        h.width = w;
        h.topDown = ht < 0 && kind == DibKind::File;
        h.height = ht < 0 ? -static_cast<std::int64_t>(ht) : ht;
        h.bits = le16(p + 14);
        h.compression = field32(16);
        colorsUsed = field32(32);
        if (size >= 52) {
            h.masks[0] = field32(40);
            h.masks[1] = field32(44);
            h.masks[2] = field32(48);
        }
        if (size >= 56) {
            h.masks[3] = field32(52);
            alphaMaskGiven = true;
        }
        if (size == kOs2v2HeaderSize && (h.compression == 3 || h.compression == 4))
            unsupported(kBmp, "OS/2 compression (Huffman or RLE24)");
    }
    std::uint64_t afterHeader = headerAt + size;
    if (size == kInfoHeaderSize && h.compression == kBitfields) {
        Bytes m = r.at(afterHeader, 12);
        for (int i = 0; i < 3; ++i)
            h.masks[i] = le32(m + 4 * i);
        afterHeader += 12;
    } else if (size == kInfoHeaderSize && h.compression == kAlphaBitfields) {
        Bytes m = r.at(afterHeader, 16);
        for (int i = 0; i < 4; ++i)
            h.masks[i] = le32(m + 4 * i);
        alphaMaskGiven = true;
        afterHeader += 16;
    }

    if (kind == DibKind::Icon)
        h.height /= 2; // the colour image and the AND mask below it
    if (h.width <= 0 || h.height <= 0)
        r.fail("bad dimensions");

    switch (h.compression) {
    case kRgb:
        if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 &&
            h.bits != 32)
            unsupported(kBmp, "bit depth (" + std::to_string(h.bits) + ")");
        if (h.bits == 16) {
            h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F, h.masks[3] = 0;
        } else if (h.bits == 32) {
            // GDI ignores the fourth byte of a plain 32-bit bitmap; only a
            // header that names an alpha mask (V3 and later) or an icon
            // makes it alpha.
            h.masks[0] = 0xFF0000, h.masks[1] = 0xFF00, h.masks[2] = 0xFF;
            if (kind == DibKind::Icon)
                h.masks[3] = 0xFF000000u;
            else if (!alphaMaskGiven)
                h.masks[3] = 0;
        }
        break;
    case kBitfields:
    case kAlphaBitfields:
        if (h.bits != 16 && h.bits != 32)
            r.fail("bit fields need 16 or 32 bits a pixel");
        if ((h.masks[0] | h.masks[1] | h.masks[2]) == 0) {
            // Some writers name bit fields and then leave every mask empty;
            // the default layout is the only reading that shows anything.
            h.masks[0] = h.bits == 16 ? 0x7C00 : 0xFF0000;
            h.masks[1] = h.bits == 16 ? 0x03E0 : 0xFF00;
            h.masks[2] = h.bits == 16 ? 0x001F : 0xFF;
        }
        break;
    case kRle8:
        if (h.bits != 8)
            r.fail("RLE8 needs 8 bits a pixel");
        break;
    case kRle4:
        if (h.bits != 4)
            r.fail("RLE4 needs 4 bits a pixel");
        break;
    default:
        unsupported(kBmp, "compression (" + std::to_string(h.compression) + ")");
    }

    h.paletteAt = afterHeader;
    if (h.bits <= 8)
        h.paletteCount = colorsUsed != 0 ? colorsUsed : 1u << h.bits;
    else
        h.paletteCount = colorsUsed; // an optional table for 256-colour displays
    if (pixelsAt > h.paletteAt) {
        // Trust the file header's offset; it also bounds the palette.
        h.pixelsAt = pixelsAt;
        h.paletteCount =
            std::min<std::uint64_t>(h.paletteCount, (pixelsAt - h.paletteAt) / h.paletteEntry);
    } else {
        h.pixelsAt = h.paletteAt + h.paletteCount * h.paletteEntry;
    }
    return h;
}

std::uint64_t rowStride(const DibHeader& h) {
    return (static_cast<std::uint64_t>(h.width) * h.bits + 31) / 32 * 4;
}

// The last row's padding is often left out; everything else must be there.
std::uint64_t pixelBytes(const DibHeader& h) {
    return rowStride(h) * (h.height - 1) + (static_cast<std::uint64_t>(h.width) * h.bits + 7) / 8;
}

Palette readPalette(const Reader& r, const DibHeader& h) {
    Palette pal = blackPalette();
    if (h.bits > 8)
        return pal;
    const std::uint64_t avail =
        h.paletteAt < r.size() ? (r.size() - h.paletteAt) / h.paletteEntry : 0;
    const std::uint64_t count = std::min<std::uint64_t>({h.paletteCount, avail, 256});
    Bytes p = r.at(h.paletteAt, count * h.paletteEntry);
    for (std::uint64_t i = 0; i < count; ++i, p += h.paletteEntry)
        pal[i] = argb(p[2], p[1], p[0]);
    return pal;
}

// One colour channel of a 16- or 32-bit pixel under a bit mask. Masks wider
// than 8 bits keep their top 8; narrower ones are scaled up by a table.
struct Field {
    std::uint32_t mask = 0;
    int shift = 0;
    int drop = 0;
    std::array<std::uint8_t, 256> to8{};

    explicit Field(std::uint32_t m) : mask(m) {
        if (m == 0)
            return;
        shift = std::countr_zero(m);
        int bits = std::bit_width(m >> shift);
        if (bits > 8) {
            drop = bits - 8;
            bits = 8;
        }
        to8 = scaleTable(bits);
    }
    std::uint32_t operator()(std::uint32_t px) const { return to8[((px & mask) >> shift) >> drop]; }
};

// Returns whether the pixels carried a real alpha channel.
bool decodeRows(const Reader& r, const DibHeader& h, const Palette& pal, Picture& pic) {
    const std::uint64_t stride = rowStride(h);
    Bytes base = r.at(h.pixelsAt, pixelBytes(h));

    const Field red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
    const bool standard32 = h.bits == 32 && h.masks[0] == 0xFF0000 && h.masks[1] == 0xFF00 &&
                            h.masks[2] == 0xFF && (h.masks[3] == 0 || h.masks[3] == 0xFF000000u);
    const std::uint32_t opaque = h.masks[3] == 0 ? 0xFF000000u : 0;
    const std::size_t w = static_cast<std::size_t>(h.width);

    for (std::int64_t fy = 0; fy < h.height; ++fy) {
        Bytes src = base + fy * stride;
        const std::int64_t y = h.topDown ? fy : h.height - 1 - fy;
        std::uint32_t* dst = pic.pixels.data() + static_cast<std::size_t>(y) * w;
        switch (h.bits) {
        case 1:
            for (std::size_t x = 0; x < w; ++x)
                dst[x] = pal[(src[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        case 4:
            for (std::size_t x = 0; x < w; ++x)
                dst[x] = pal[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
            break;
        case 8:
            for (std::size_t x = 0; x < w; ++x)
                dst[x] = pal[src[x]];
            break;
        case 16:
            for (std::size_t x = 0; x < w; ++x) {
                const std::uint32_t px = le16(src + 2 * x);
                dst[x] = opaque | alpha(px) << 24 | red(px) << 16 | green(px) << 8 | blue(px);
            }
            break;
        case 24:
            for (std::size_t x = 0; x < w; ++x, src += 3)
                dst[x] = argb(src[2], src[1], src[0]);
            break;
        case 32:
            if (standard32) {
                for (std::size_t x = 0; x < w; ++x)
                    dst[x] = le32(src + 4 * x) | opaque;
            } else {
                for (std::size_t x = 0; x < w; ++x) {
                    const std::uint32_t px = le32(src + 4 * x);
                    dst[x] = opaque | alpha(px) << 24 | red(px) << 16 | green(px) << 8 | blue(px);
                }
            }
            break;
        }
    }
    return opaque == 0 && settleAlpha(pic);
}

// RLE8 and RLE4. Pixels that the stream never paints (skipped by a delta, or
// left when the end-of-bitmap code comes early) show palette colour 0, as on
// Windows, where GDI unpacks into zeroed bits; games were drawn against that
// look, and the picture stays opaque so the image control's colour key still
// applies. Runs that pass the end of a row are cut there, as GDI does.
void decodeRle(Reader& r, const DibHeader& h, const Palette& pal, Picture& pic) {
    const bool rle4 = h.compression == kRle4;
    const std::int64_t w = h.width;
    std::int64_t x = 0, y = 0;
    std::fill(pic.pixels.begin(), pic.pixels.end(), pal[0]);
    r.seek(h.pixelsAt);
    auto row = [&]() {
        const std::int64_t dy = h.topDown ? y : h.height - 1 - y;
        return pic.pixels.data() + static_cast<std::size_t>(dy * w);
    };
    // A stream that ends without the end-of-bitmap code is taken as ended.
    while (y < h.height && r.has(2)) {
        const unsigned n = r.u8();
        const unsigned c = r.u8();
        if (n != 0) {
            const std::int64_t count = std::min<std::int64_t>(n, std::max<std::int64_t>(0, w - x));
            x += n;
            if (count == 0)
                continue;
            std::uint32_t* dst = row() + (x - n);
            if (rle4) {
                const std::uint32_t colours[2] = {pal[c >> 4], pal[c & 15]};
                for (std::int64_t i = 0; i < count; ++i)
                    dst[i] = colours[i & 1];
            } else {
                std::fill(dst, dst + count, pal[c]);
            }
            continue;
        }
        switch (c) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            y = h.height;
            break;
        case 2: { // delta
            Bytes d = r.take(2);
            x += d[0];
            y += d[1];
            break;
        }
        default: { // c pixels stored as they are, padded to a 16-bit boundary
            const std::uint64_t bytes = rle4 ? (c + 1) / 2 : c;
            Bytes src = r.take(bytes);
            if (bytes & 1)
                r.skip(r.has(1) ? 1 : 0);
            const std::int64_t count = std::min<std::int64_t>(c, std::max<std::int64_t>(0, w - x));
            if (count == 0) {
                x += c;
                break;
            }
            std::uint32_t* dst = row() + x;
            if (rle4) {
                for (std::int64_t i = 0; i < count; ++i)
                    dst[i] = pal[(src[i >> 1] >> ((i & 1) ? 0 : 4)) & 15];
            } else {
                for (std::int64_t i = 0; i < count; ++i)
                    dst[i] = pal[src[i]];
            }
            x += c;
            break;
        }
        }
    }
}

// The AND mask under an icon's colour image: a set bit is a transparent
// pixel. An icon whose mask is cut off is shown opaque.
void applyAndMask(const Reader& r, const DibHeader& h, Picture& pic) {
    const std::uint64_t maskStride = ((static_cast<std::uint64_t>(h.width) + 31) / 32) * 4;
    const std::uint64_t maskAt = h.pixelsAt + rowStride(h) * h.height;
    const std::uint64_t need = maskStride * h.height;
    if (maskAt > r.size() || need > r.size() - maskAt)
        return;
    Bytes mask = r.at(maskAt, need);
    const std::size_t w = static_cast<std::size_t>(h.width);
    bool any = false;
    for (std::int64_t fy = 0; fy < h.height; ++fy) {
        Bytes src = mask + fy * maskStride;
        std::uint32_t* dst = pic.pixels.data() + static_cast<std::size_t>(h.height - 1 - fy) * w;
        for (std::size_t x = 0; x < w; ++x) {
            if ((src[x >> 3] >> (7 - (x & 7))) & 1) {
                dst[x] = 0;
                any = true;
            }
        }
    }
    pic.hasAlpha = any;
}

Picture decodeDib(Bytes data, std::size_t size, std::uint64_t headerAt, std::uint64_t pixelsAt,
                  DibKind kind) {
    Reader r(data, size, kind == DibKind::Icon ? "ICO" : kBmp);
    const DibHeader h = readHeader(r, headerAt, pixelsAt, kind);
    const Palette pal = readPalette(r, h);
    Picture pic;
    const bool rle = h.compression == kRle8 || h.compression == kRle4;
    checkSides(h.width, h.height, r.format());
    if (!rle) {
        // Refuse a short file before allocating for the size it claims.
        if (h.pixelsAt > size || pixelBytes(h) > size - h.pixelsAt)
            r.fail("truncated pixel data");
    }
    allocate(pic, h.width, h.height, r.format());
    if (rle) {
        decodeRle(r, h, pal, pic);
        return pic;
    }
    const bool alphaUsed = decodeRows(r, h, pal, pic);
    // Icons of the 32-bit era carry alpha and a mask only for old systems.
    if (kind == DibKind::Icon && !alphaUsed)
        applyAndMask(r, h, pic);
    return pic;
}

bool isKnownHeaderSize(std::uint32_t n) {
    return n == kCoreHeaderSize || (n >= 16 && n <= kOs2v2HeaderSize) || n == 108 || n == 124;
}

} // namespace

Picture decodeBmp(Bytes data, std::size_t size) {
    if (size >= 14 && data[0] == 'B' && data[1] == 'M')
        return decodeDib(data, size, 14, le32(data + 10), DibKind::File);
    // A packed DIB (the clipboard form, often saved as .dib): the header
    // comes first and the pixels follow the palette.
    if (size >= 4 && isKnownHeaderSize(le32(data)))
        return decodeDib(data, size, 0, 0, DibKind::File);
    damaged(kBmp, "not a BMP file");
}

Picture detail::decodeIconDib(Bytes data, std::size_t size) {
    return decodeDib(data, size, 0, 0, DibKind::Icon);
}

} // namespace taleplay::pictures
