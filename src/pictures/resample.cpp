// Area-average reduction and orientation of decoded pictures.
#include "pictures/resample.h"

#include "core/errors.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace taleplay::pictures {
namespace {

// Where each source column (or row) of `from` goes among `to` kept ones, in
// units of 1/(from * to): source x covers [x * to, (x + 1) * to) and kept i
// covers [i * from, (i + 1) * from), so no source pixel covers more than two
// kept ones. `first` is the kept index, `weight` its share (at most `to`),
// the rest going to the next.
struct Span {
    std::uint32_t first;
    std::uint32_t weight;
};

std::vector<Span> spans(int from, int to) {
    std::vector<Span> out(static_cast<std::size_t>(from));
    for (std::int64_t x = 0; x < from; ++x) {
        const std::int64_t start = x * to;
        const std::int64_t i = start / from;
        const std::int64_t boundary = (i + 1) * from;
        const std::int64_t weight = std::min<std::int64_t>(boundary - start, to);
        out[static_cast<std::size_t>(x)] = {static_cast<std::uint32_t>(i),
                                            static_cast<std::uint32_t>(weight)};
    }
    return out;
}

enum class Mode { Opaque, Alpha, Keyed };

// One source row reduced across: four sums a kept column (colour, and the
// alpha the colours are weighted by where transparency counts).
void reduceRow(const std::uint32_t* row, const std::vector<Span>& across, int to, Mode mode,
               std::uint32_t key, std::uint32_t* sums) {
    std::fill(sums, sums + std::size_t(to) * 4, 0u);
    const auto count = across.size();
    for (std::size_t x = 0; x < count; ++x) {
        const std::uint32_t p = row[x];
        std::uint32_t a = 255;
        if (mode == Mode::Alpha)
            a = p >> 24;
        else if (mode == Mode::Keyed && (p | 0xFF000000u) == key)
            a = 0;
        std::uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        if (mode != Mode::Opaque)
            r *= a, g *= a, b *= a;
        const Span s = across[x];
        std::uint32_t* at = sums + std::size_t(s.first) * 4;
        const std::uint32_t w = s.weight;
        at[0] += r * w, at[1] += g * w, at[2] += b * w, at[3] += a * w;
        const std::uint32_t rest = std::uint32_t(to) - w;
        if (rest != 0) {
            at[4] += r * rest, at[5] += g * rest, at[6] += b * rest, at[7] += a * rest;
        }
    }
}

std::uint32_t divided(std::uint64_t sum, std::uint64_t by) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>((sum + by / 2) / by, 255));
}

} // namespace

Picture reduce(const Picture& pic, int width, int height, bool keyed, const char* format) {
    const int from = pic.width, fromHeight = pic.height;
    width = std::clamp(width, 1, std::max(from, 1));
    height = std::clamp(height, 1, std::max(fromHeight, 1));
    Picture out;
    {
        const KeptPixels kept;
        allocate(out, width, height, format, Fill::Unwritten);
    }
    out.hasAlpha = pic.hasAlpha;
    out.fullWidth = pic.naturalWidth();
    out.fullHeight = pic.naturalHeight();
    if (!pic.hasAlpha)
        out.colourKey = pic.keyColour();
    const Mode mode = pic.hasAlpha ? Mode::Alpha : keyed ? Mode::Keyed : Mode::Opaque;
    const std::uint32_t key = pic.keyColour();

    const std::vector<Span> across = spans(from, width);
    const std::vector<Span> down = spans(fromHeight, height);
    std::vector<std::uint32_t> rowSums(std::size_t(width) * 4 + 4);
    // Two kept rows are open at a time: the one a source row falls in and
    // the next, which its lower part may reach.
    std::vector<std::uint64_t> open(std::size_t(width) * 8);
    std::uint64_t* current = open.data();
    std::uint64_t* next = open.data() + std::size_t(width) * 4;
    const std::uint64_t total = std::uint64_t(from) * std::uint64_t(fromHeight);
    std::uint32_t done = 0; // kept rows written

    auto finish = [&](const std::uint64_t* sums, std::uint32_t y) {
        std::uint32_t* to = out.pixels.data() + std::size_t(y) * std::size_t(width);
        for (int i = 0; i < width; ++i, sums += 4) {
            if (mode == Mode::Opaque) {
                to[i] = 0xFF000000u | divided(sums[0], total) << 16 |
                        divided(sums[1], total) << 8 | divided(sums[2], total);
                continue;
            }
            const std::uint64_t alpha = sums[3];
            if (mode == Mode::Keyed && alpha * 2 < total * 255) {
                to[i] = key; // mostly over left-out pixels: left out too
                continue;
            }
            if (alpha == 0) {
                to[i] = 0;
                continue;
            }
            std::uint32_t colour = divided(sums[0], alpha) << 16 | divided(sums[1], alpha) << 8 |
                                   divided(sums[2], alpha);
            if (mode == Mode::Keyed) {
                // A mean that happens to be the key colour would be left out.
                if ((colour | 0xFF000000u) == key)
                    colour ^= 1;
                to[i] = 0xFF000000u | colour;
            } else {
                to[i] = divided(alpha, total) << 24 | colour;
            }
        }
    };

    for (int y = 0; y < fromHeight; ++y) {
        const Span s = down[static_cast<std::size_t>(y)];
        while (done < s.first) { // every source row of that kept row is in
            finish(current, done++);
            std::swap(current, next);
            std::fill(next, next + std::size_t(width) * 4, 0u);
        }
        reduceRow(pic.pixels.data() + std::size_t(y) * std::size_t(from), across, width, mode, key,
                  rowSums.data());
        const std::uint64_t w = s.weight, rest = std::uint64_t(height) - w;
        for (std::size_t i = 0; i < std::size_t(width) * 4; ++i) {
            current[i] += std::uint64_t(rowSums[i]) * w;
            if (rest != 0)
                next[i] += std::uint64_t(rowSums[i]) * rest;
        }
    }
    while (done < std::uint32_t(height)) {
        finish(current, done++);
        std::swap(current, next);
        std::fill(next, next + std::size_t(width) * 4, 0u);
    }
    return out;
}

void orient(Picture& pic, int orientation, const char* format) {
    if (orientation < 2 || orientation > 8 || pic.pixels.empty())
        return;
    const std::int64_t w = pic.width, h = pic.height;
    // out(x, y) = in[start + x * stepX + y * stepY]
    std::int64_t start = 0, stepX = 1, stepY = w;
    switch (orientation) {
    case 2: start = w - 1, stepX = -1, stepY = w; break;
    case 3: start = w * h - 1, stepX = -1, stepY = -w; break;
    case 4: start = (h - 1) * w, stepX = 1, stepY = -w; break;
    case 5: start = 0, stepX = w, stepY = 1; break;
    case 6: start = (h - 1) * w, stepX = -w, stepY = 1; break;
    case 7: start = (h - 1) * w + w - 1, stepX = -w, stepY = -1; break;
    case 8: start = w - 1, stepX = w, stepY = -1; break;
    }
    const bool turns = orientationTurns(orientation);
    Picture out;
    allocate(out, turns ? h : w, turns ? w : h, format, Fill::Unwritten);
    const std::int64_t outWidth = out.width, outHeight = out.height;
    const std::uint32_t* in = pic.pixels.data();
    std::uint32_t* to = out.pixels.data();
    // In squares, so that turning a large picture reads its rows a few
    // cache lines at a time rather than one pixel a row.
    constexpr std::int64_t kBlock = 32;
    for (std::int64_t by = 0; by < outHeight; by += kBlock)
        for (std::int64_t bx = 0; bx < outWidth; bx += kBlock)
            for (std::int64_t y = by; y < std::min(by + kBlock, outHeight); ++y) {
                const std::int64_t row = start + y * stepY;
                for (std::int64_t x = bx; x < std::min(bx + kBlock, outWidth); ++x)
                    to[y * outWidth + x] = in[row + x * stepX];
            }
    out.hasAlpha = pic.hasAlpha;
    out.colourKey = pic.colourKey;
    if (pic.fullWidth > 0)
        out.fullWidth = turns ? pic.fullHeight : pic.fullWidth,
        out.fullHeight = turns ? pic.fullWidth : pic.fullHeight;
    const auto released = static_cast<std::int64_t>(pic.pixels.capacity() * sizeof(std::uint32_t));
    pic = std::move(out);
    detail::releasedDuringDecode(released);
}

} // namespace taleplay::pictures
