// Autodesk Animator pictures (cel, pic): the original Animator's fixed
// layout and Animator Pro's blocks, 8 bits a pixel with a palette (and
// Animator Pro's 1-bit masks).
#include "pictures/decode_util.h"

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

} // namespace

Picture decodeAnimator(Bytes data, std::size_t size) {
    Reader r(data, size, kAnimator);
    if (size >= kAnimatorHeader && le16(data) == kAnimatorId)
        return decodeAnimator(r);
    if (size >= kAnimatorProHeader && le16(data + 4) == kAnimatorProId)
        return decodeAnimatorPro(r);
    r.fail("not an Animator picture");
}

} // namespace taleplay::pictures
