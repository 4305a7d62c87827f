// Autodesk Animator pictures (cel, pic): the original Animator's fixed
// layout, Animator Pro's blocks (8 bits a pixel with a palette, and 1-bit
// masks), and Animator Pro's cels, which are one-frame flics: their first
// frame is the picture.
#include "pictures/decode_util.h"

#include <vector>

namespace taleplay::pictures {

using namespace detail;

namespace {

constexpr const char* kAnimator = "Autodesk Animator";

constexpr std::uint16_t kAnimatorId = 0x9119;
constexpr std::uint16_t kAnimatorProId = 0x9500;
constexpr std::size_t kAnimatorHeader = 32;
constexpr std::size_t kAnimatorProHeader = 64;

// Block types of an Animator Pro picture.
constexpr unsigned kColourMap = 0;
constexpr unsigned kBytePixels = 1;
constexpr unsigned kBitPixels = 2;

// Flics: the header, frames and the chunks of a frame.
constexpr std::uint16_t kFliId = 0xAF11;
constexpr std::uint16_t kFlcId = 0xAF12;
constexpr std::size_t kFlicHeader = 128;
constexpr std::uint16_t kFrameId = 0xF1FA;
constexpr unsigned kColour256 = 4;
constexpr unsigned kDeltaFlc = 7;
constexpr unsigned kColour64 = 11;
constexpr unsigned kDeltaFli = 12;
constexpr unsigned kBlack = 13;
constexpr unsigned kByteRun = 15;
constexpr unsigned kCopy = 16;

// The original Animator: header, 256 colours of 0..63, then the pixels.
Picture decodeAnimator(Reader& r) {
    r.seek(2);
    const std::int64_t w = r.le16();
    const std::int64_t h = r.le16();
    r.skip(4); // placement on the screen
    const unsigned bits = r.u8();
    const unsigned compression = r.u8();
    if (bits != 8)
        unsupported(kAnimator, "bit depth (" + std::to_string(bits) + ")");
    if (compression != 0)
        unsupported(kAnimator, "compression (" + std::to_string(compression) + ")");
    if (w == 0 || h == 0)
        r.fail("bad dimensions");
    r.seek(kAnimatorHeader);
    Palette pal = blackPalette();
    Bytes p = r.take(768);
    static const auto six = scaleTable(6);
    for (std::size_t i = 0; i < 256; ++i, p += 3)
        pal[i] = argb(six[p[0] & 63], six[p[1] & 63], six[p[2] & 63]);
    if (!r.has(static_cast<std::uint64_t>(w * h)))
        r.fail("truncated pixel data");
    Picture pic;
    allocate(pic, w, h, kAnimator);
    Bytes src = r.take(static_cast<std::uint64_t>(w * h));
    for (std::size_t i = 0; i < pic.pixels.size(); ++i)
        pic.pixels[i] = pal[src[i]];
    return pic;
}

// Animator Pro: header, then blocks of a length (header included) and a
// type. A picture without a colour map block is shown in greys.
Picture decodeAnimatorPro(Reader& r) {
    r.seek(6);
    const std::int64_t w = r.le16();
    const std::int64_t h = r.le16();
    r.seek(0x12);
    const unsigned bits = r.u8();
    if (bits != 8 && bits != 1)
        unsupported(kAnimator, "bit depth (" + std::to_string(bits) + ")");
    if (w == 0 || h == 0)
        r.fail("bad dimensions");
    checkSides(w, h, kAnimator);

    Palette pal = greyPalette(256);
    Bytes pixels = nullptr;
    unsigned pixelKind = 0;
    std::uint64_t at = kAnimatorProHeader;
    while (at + 6 <= r.size()) {
        Bytes head = r.at(at, 6);
        const std::uint64_t length = le32(head);
        const unsigned type = le16(head + 4);
        if (length < 6 || length > r.size() - at)
            r.fail("block past the end of the file");
        const std::uint64_t body = at + 6;
        const std::uint64_t bodySize = length - 6;
        if (type == kColourMap) {
            if (bodySize < 2 + 768)
                r.fail("colour map block too short");
            Bytes p = r.at(body + 2, 768); // after the version word
            for (std::size_t i = 0; i < 256; ++i, p += 3)
                pal[i] = argb(p[0], p[1], p[2]);
        } else if ((type == kBytePixels || type == kBitPixels) && !pixels) {
            const std::uint64_t need = type == kBytePixels
                                           ? static_cast<std::uint64_t>(w * h)
                                           : static_cast<std::uint64_t>((w + 7) / 8 * h);
            if (bodySize < need)
                r.fail("truncated pixel data");
            pixels = r.at(body, need);
            pixelKind = type;
        }
        at += length;
    }
    if (!pixels)
        r.fail("no pixel block");

    Picture pic;
    allocate(pic, w, h, kAnimator);
    if (pixelKind == kBytePixels) {
        for (std::size_t i = 0; i < pic.pixels.size(); ++i)
            pic.pixels[i] = pal[pixels[i]];
        return pic;
    }
    // A mask: set bits are drawn white on black, leftmost pixel in the top bit.
    const std::size_t stride = static_cast<std::size_t>((w + 7) / 8);
    for (std::size_t y = 0; y < static_cast<std::size_t>(h); ++y)
        for (std::size_t x = 0; x < static_cast<std::size_t>(w); ++x)
            pic.pixels[y * static_cast<std::size_t>(w) + x] =
                (pixels[y * stride + x / 8] >> (7 - x % 8)) & 1 ? 0xFFFFFFFFu : kOpaqueBlack;
    return pic;
}

// A palette chunk: packets of colours to skip and colours to set (a count
// of 0 is 256), each colour three bytes of `bits` bits.
void flicPalette(Reader& r, std::uint64_t end, Palette& pal, int bits) {
    const auto scale = scaleTable(bits);
    const unsigned packets = r.le16();
    std::size_t index = 0;
    for (unsigned i = 0; i < packets && r.pos() + 2 <= end; ++i) {
        index += r.u8();
        unsigned count = r.u8();
        if (count == 0)
            count = 256;
        Bytes c = r.take(3 * std::uint64_t(count));
        for (unsigned k = 0; k < count; ++k, c += 3, ++index)
            if (index < 256)
                pal[index] = argb(scale[c[0] & ((1 << bits) - 1)], scale[c[1] & ((1 << bits) - 1)],
                                  scale[c[2] & ((1 << bits) - 1)]);
    }
}

// Runs within one line: a positive count repeats the next byte, a negative
// one copies that many bytes. Pixels past the line are dropped.
void byteRun(Reader& r, std::uint8_t* pixels, std::int64_t w, std::int64_t h) {
    for (std::int64_t y = 0; y < h; ++y) {
        r.skip(1); // the packet count, which FLC files do not keep up to date
        std::uint8_t* line = pixels + y * w;
        std::int64_t x = 0;
        while (x < w) {
            const int count = static_cast<std::int8_t>(r.u8());
            if (count >= 0) {
                const std::uint8_t v = r.u8();
                const std::int64_t n = std::min<std::int64_t>(count, w - x);
                std::fill(line + x, line + x + n, v);
                x += count;
            } else {
                Bytes src = r.take(static_cast<std::uint64_t>(-count));
                const std::int64_t n = std::min<std::int64_t>(-count, w - x);
                std::copy(src, src + n, line + x);
                x += -count;
            }
            if (count == 0)
                break; // a run of nothing would never end the line
        }
    }
}

// Changes line by line (FLI's delta): lines to skip, lines changed, then for
// each line packets of pixels to skip and bytes to copy or repeat.
void deltaFli(Reader& r, std::uint8_t* pixels, std::int64_t w, std::int64_t h) {
    std::int64_t y = r.le16();
    const unsigned lines = r.le16();
    for (unsigned i = 0; i < lines && y < h; ++i, ++y) {
        std::uint8_t* line = pixels + y * w;
        std::int64_t x = 0;
        const unsigned packets = r.u8();
        for (unsigned k = 0; k < packets; ++k) {
            x += r.u8();
            const int count = static_cast<std::int8_t>(r.u8());
            if (count >= 0) {
                Bytes src = r.take(static_cast<std::uint64_t>(count));
                for (int j = 0; j < count; ++j, ++x)
                    if (x < w)
                        line[x] = src[j];
            } else {
                const std::uint8_t v = r.u8();
                for (int j = 0; j < -count; ++j, ++x)
                    if (x < w)
                        line[x] = v;
            }
        }
    }
}

// FLC's delta in words: per line, words that skip lines or set the line's
// last pixel, then a packet count; packets skip pixels and copy or repeat
// pairs of pixels.
void deltaFlc(Reader& r, std::uint8_t* pixels, std::int64_t w, std::int64_t h) {
    const unsigned lines = r.le16();
    std::int64_t y = 0;
    for (unsigned i = 0; i < lines && y < h; ++i, ++y) {
        unsigned word = r.le16();
        while ((word & 0xC000) != 0) {
            if ((word & 0xC000) == 0xC000)
                y += 0x10000 - word; // lines to skip
            else if (w > 0 && y < h)
                pixels[y * w + w - 1] = static_cast<std::uint8_t>(word & 0xFF);
            word = r.le16();
        }
        if (y >= h)
            break;
        std::uint8_t* line = pixels + y * w;
        std::int64_t x = 0;
        for (unsigned k = 0; k < word; ++k) {
            x += r.u8();
            const int count = static_cast<std::int8_t>(r.u8());
            const auto put = [&](std::uint8_t v) {
                if (x >= 0 && x < w)
                    line[x] = v;
                ++x;
            };
            if (count >= 0) {
                Bytes src = r.take(2 * static_cast<std::uint64_t>(count));
                for (int j = 0; j < 2 * count; ++j)
                    put(src[j]);
            } else {
                Bytes pair = r.take(2);
                for (int j = 0; j < -count; ++j) {
                    put(pair[0]);
                    put(pair[1]);
                }
            }
        }
    }
}

// A flic's first frame: Animator Pro keeps its cels that way.
Picture decodeFlic(Reader& r) {
    Bytes hd = r.at(0, kFlicHeader);
    const bool flc = le16(hd + 4) == kFlcId;
    const std::int64_t w = le16(hd + 8);
    const std::int64_t h = le16(hd + 10);
    const unsigned depth = le16(hd + 12);
    if (depth != 8 && depth != 0)
        unsupported(kAnimator, "bit depth (" + std::to_string(depth) + ")");
    if (w == 0 || h == 0)
        r.fail("bad dimensions");
    checkSides(w, h, kAnimator);
    std::uint64_t at = flc && le32(hd + 80) != 0 ? le32(hd + 80) : kFlicHeader;

    // Chunks before the first frame (a cel's placement and the like) are
    // passed over.
    for (;;) {
        Bytes head = r.at(at, 6);
        const std::uint64_t length = le32(head);
        if (length < 6 || length > r.size() - at)
            r.fail("chunk past the end of the file");
        if (le16(head + 4) == kFrameId)
            break;
        at += length;
    }
    const std::uint64_t frameEnd = at + le32(r.at(at, 4));
    const unsigned chunks = le16(r.at(at + 6, 2));
    if (frameEnd - at < 16)
        r.fail("frame too short");
    Picture pic;
    chargeWorkingMemory(std::int64_t(w) * h, kAnimator);
    allocate(pic, w, h, kAnimator);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w * h), 0);
    Palette pal = blackPalette();
    at += 16;
    for (unsigned i = 0; i < chunks && at + 6 <= frameEnd; ++i) {
        Bytes head = r.at(at, 6);
        const std::uint64_t length = le32(head);
        if (length < 6 || length > frameEnd - at)
            r.fail("chunk past the end of its frame");
        const std::uint64_t end = at + length;
        r.seek(at + 6);
        // A chunk that ends before its data does is damage, not a short read
        // into the next one.
        Reader chunk(r.at(0, end), static_cast<std::size_t>(end), kAnimator);
        chunk.seek(at + 6);
        switch (le16(head + 4)) {
        case kColour256:
            flicPalette(chunk, end, pal, 8);
            break;
        case kColour64:
            flicPalette(chunk, end, pal, 6);
            break;
        case kBlack:
            std::fill(pixels.begin(), pixels.end(), 0);
            break;
        case kByteRun:
            byteRun(chunk, pixels.data(), w, h);
            break;
        case kCopy: {
            Bytes src = chunk.take(static_cast<std::uint64_t>(w * h));
            std::copy(src, src + w * h, pixels.begin());
            break;
        }
        case kDeltaFli:
            deltaFli(chunk, pixels.data(), w, h);
            break;
        case kDeltaFlc:
            deltaFlc(chunk, pixels.data(), w, h);
            break;
        default:
            break; // postage stamps and the like
        }
        at = end;
    }
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pic.pixels[i] = pal[pixels[i]];
    return pic;
}

} // namespace

Picture decodeAnimator(Bytes data, std::size_t size) {
    Reader r(data, size, kAnimator);
    if (size >= kAnimatorHeader && le16(data) == kAnimatorId)
        return decodeAnimator(r);
    if (size >= kAnimatorProHeader && le16(data + 4) == kAnimatorProId)
        return decodeAnimatorPro(r);
    if (size >= kFlicHeader && (le16(data + 4) == kFlcId || le16(data + 4) == kFliId))
        return decodeFlic(r);
    r.fail("not an Animator picture");
}

} // namespace taleplay::pictures
