// Dr. Halo pictures (cut) and their palette files (pal).
#include "pictures/decode_util.h"

namespace taleplay::pictures {

using namespace detail;

namespace {

constexpr const char* kCut = "Dr. Halo";
constexpr std::size_t kPaletteHeaderSize = 40;
// The palette file is written in blocks of 512 bytes, and a colour never
// straddles two of them: one that would is moved to the next block.
constexpr std::size_t kPaletteBlock = 512;

// The colours of a .pal file, scaled from its own maximum values to 0..255.
// A palette file that is not one of Dr. Halo's fails like a damaged picture:
// it was named after the picture, so the author meant it for it.
Palette readHaloPalette(Bytes data, std::size_t size, int& count) {
    Reader r(data, size, kCut);
    if (size < kPaletteHeaderSize || data[0] != 'A' || data[1] != 'H')
        r.fail("its palette file is not a Dr. Halo palette");
    r.seek(12);
    const unsigned maxIndex = r.le16();
    const unsigned maxValue[3] = {r.le16(), r.le16(), r.le16()};
    Palette pal = blackPalette();
    r.seek(kPaletteHeaderSize);
    count = static_cast<int>(std::min(maxIndex + 1u, 256u));
    for (int i = 0; i < count; ++i) {
        if (r.pos() % kPaletteBlock > kPaletteBlock - 6)
            r.seek((r.pos() / kPaletteBlock + 1) * kPaletteBlock);
        std::uint32_t rgb[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned v = r.le16();
            const unsigned max = maxValue[c] == 0 ? 255 : maxValue[c];
            rgb[c] = std::min(v, max) * 255 / max;
        }
        pal[static_cast<std::size_t>(i)] = argb(rgb[0], rgb[1], rgb[2]);
    }
    return pal;
}

} // namespace

Picture decodeCut(Bytes data, std::size_t size, Bytes palette, std::size_t paletteSize) {
    Reader r(data, size, kCut);
    const std::int64_t w = r.le16();
    const std::int64_t h = r.le16();
    r.skip(2); // reserved
    if (w == 0 || h == 0)
        r.fail("bad dimensions");
    checkSides(w, h, kCut);
    // Every line takes its length, a run packet for each 127 pixels at the
    // least, and its end: a file too short for the size it claims is
    // refused before the picture is made.
    const std::uint64_t leastLine = 2 + 2 * static_cast<std::uint64_t>((w + 126) / 127) + 1;
    if (!r.has(leastLine * static_cast<std::uint64_t>(h)))
        r.fail("truncated file");
    Picture pic;
    allocate(pic, w, h, kCut);

    // Each line: its encoded length (not needed to decode it), then packets
    // up to a zero byte: a count with the top bit set repeats the next byte,
    // any other count copies that many bytes. Pixels a line leaves out stay
    // colour 0; a packet past the end of its line is cut there. The colour
    // numbers wait in the pixels until the palette is known.
    std::uint32_t highest = 0;
    for (std::int64_t y = 0; y < h; ++y) {
        r.skip(2);
        std::uint32_t* line = pic.pixels.data() + y * w;
        std::int64_t x = 0;
        for (;;) {
            const unsigned packet = r.u8();
            if (packet == 0)
                break;
            const std::int64_t n = packet & 0x7F;
            const std::int64_t keep = std::clamp<std::int64_t>(w - x, 0, n);
            if (packet & 0x80) {
                const std::uint32_t v = r.u8();
                std::fill(line + x, line + x + keep, v);
                if (keep)
                    highest = std::max(highest, v);
            } else {
                Bytes src = r.take(static_cast<std::uint64_t>(n));
                for (std::int64_t i = 0; i < keep; ++i)
                    highest = std::max(highest, line[x + i] = src[i]);
            }
            x += keep;
        }
    }

    Palette pal;
    if (palette) {
        int count = 0;
        pal = readHaloPalette(palette, paletteSize, count);
    } else {
        // Without its palette file a picture is shown in greys, its highest
        // colour number white, so that a picture of few colours still shows.
        pal = greyPalette(std::max<int>(static_cast<int>(highest) + 1, 2));
    }
    for (std::uint32_t& px : pic.pixels)
        px = pal[px];
    return pic;
}

} // namespace taleplay::pictures
