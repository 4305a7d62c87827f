// Area-average reduction and orientation of decoded pictures.
#include "pictures/resample.h"

#include "core/errors.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace taleplay::pictures {
namespace {

// Where each source column (or row) of `from` goes among `to` kept ones.
// Lengths are in units of 1/to of a source pixel: source x covers
// [x * to, (x + 1) * to) and kept i covers [i * from, (i + 1) * from), so a
// source pixel weighs `to` in all and falls into one kept pixel or two:
// `first` with `weight`, the next with the rest.
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

// The same seen from the kept side: the source pixels under kept i are
// `first` (partly, `firstWeight`), those between (wholly, `to` each) and
// `last` (partly, `lastWeight`; the same as `first` when one source pixel
// covers the whole kept one).
struct Cover {
    std::uint32_t first, last;
    std::uint32_t firstWeight, lastWeight;
};

std::vector<Cover> covers(int from, int to) {
    std::vector<Cover> out(static_cast<std::size_t>(to));
    for (std::int64_t i = 0; i < to; ++i) {
        const std::int64_t start = i * from, end = (i + 1) * from;
        const std::int64_t first = start / to, last = (end - 1) / to;
        Cover c{static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last), 0, 0};
        if (first == last) {
            c.firstWeight = static_cast<std::uint32_t>(end - start);
        } else {
            c.firstWeight = static_cast<std::uint32_t>((first + 1) * to - start);
            c.lastWeight = static_cast<std::uint32_t>(end - last * to);
        }
        out[static_cast<std::size_t>(i)] = c;
    }
    return out;
}

enum class Mode { Opaque, Alpha, Keyed };

// A row's four channels (blue, green, red, alpha, as the bytes lie), as the
// mean weighs them: opaque pixels as they are; pixels of the key colour as
// nothing (alpha 0) and the others whole (alpha 255); with an alpha channel
// the colours multiplied by it.
void weighRow(const std::uint32_t* row, int width, Mode mode, std::uint32_t key,
              std::uint32_t* out) {
    for (int x = 0; x < width; ++x, out += 4) {
        const std::uint32_t p = row[x];
        std::uint32_t a = 255;
        if (mode == Mode::Alpha)
            a = p >> 24;
        else if ((p | 0xFF000000u) == key)
            a = 0;
        const std::uint32_t scale = mode == Mode::Alpha ? a : (a != 0);
        out[0] = (p & 0xFF) * scale;
        out[1] = ((p >> 8) & 0xFF) * scale;
        out[2] = ((p >> 16) & 0xFF) * scale;
        out[3] = a;
    }
}

// to[i] += from[i] * weight: the loop the reduction spends its time in,
// written so that the compiler knows the two never overlap and turns it
// into vector instructions.
template <class Value>
void addWeighted(std::uint32_t* __restrict to, const Value* __restrict from, std::size_t count,
                 std::uint32_t weight) {
    for (std::size_t i = 0; i < count; ++i)
        to[i] += from[i] * weight;
}

template <class Value>
void addWhole(std::uint32_t* __restrict to, const Value* __restrict from, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        to[i] += from[i];
}

} // namespace

// Down the picture first, then across: each source row is added, weighted,
// into the kept rows it falls in, one channel of one column at a time (a
// loop the compiler turns into vector instructions), and each kept row is
// taken across once it is complete, so the work across is done for the
// kept rows only.
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

    const std::vector<Cover> across = covers(from, width);
    const std::vector<Span> down = spans(fromHeight, height);
    const std::size_t channels = std::size_t(from) * 4;
    // The kept row a source row falls in and the next one, which its lower
    // part may reach: per source column and channel, at most 65025 x the
    // source height, which 32 bits hold.
    std::vector<std::uint32_t> open(channels * 3);
    std::uint32_t* current = open.data();
    std::uint32_t* next = open.data() + channels;
    // The source rows wholly inside the current kept row, added as they are
    // (most rows of a large reduction): each weighs `height`, applied once
    // when the kept row is finished rather than once a row.
    std::uint32_t* whole = open.data() + channels * 2;
    std::vector<std::uint32_t> weighed(mode == Mode::Opaque ? 0 : channels);
    std::vector<std::uint64_t> sums(std::size_t(width) * 4);
    const std::uint64_t total = std::uint64_t(from) * std::uint64_t(fromHeight);
    const double perPixel = 1.0 / double(total);
    std::uint32_t done = 0; // kept rows written

    auto mean = [](std::uint64_t sum, double per) {
        return std::min<std::uint32_t>(static_cast<std::uint32_t>(double(sum) * per + 0.5), 255);
    };
    auto finish = [&](std::uint32_t* column) {
        addWeighted(column, whole, channels, std::uint32_t(height));
        std::fill(whole, whole + channels, 0u);
        // Across: the columns wholly under a kept pixel are added as they
        // are and weighed once; only the two at its edges are weighed alone.
        std::uint64_t* sum = sums.data();
        for (const Cover& c : across) {
            std::uint64_t s[4] = {0, 0, 0, 0};
            for (std::uint32_t x = c.first + 1; x < c.last; ++x)
                for (int k = 0; k < 4; ++k)
                    s[k] += column[std::size_t(x) * 4 + k];
            const std::uint32_t* first = column + std::size_t(c.first) * 4;
            const std::uint32_t* last = column + std::size_t(c.last) * 4;
            for (int k = 0; k < 4; ++k)
                sum[k] = s[k] * std::uint64_t(width) + std::uint64_t(first[k]) * c.firstWeight +
                         std::uint64_t(last[k]) * c.lastWeight;
            sum += 4;
        }
        std::uint32_t* to = out.pixels.data() + std::size_t(done) * std::size_t(width);
        for (int i = 0; i < width; ++i) {
            const std::uint64_t* sum = sums.data() + std::size_t(i) * 4;
            if (mode == Mode::Opaque) {
                to[i] = 0xFF000000u | mean(sum[2], perPixel) << 16 | mean(sum[1], perPixel) << 8 |
                        mean(sum[0], perPixel);
                continue;
            }
            const std::uint64_t alpha = sum[3];
            if (mode == Mode::Keyed && alpha * 2 < total * 255) {
                to[i] = key; // mostly over left-out pixels: left out too
                continue;
            }
            if (alpha == 0) {
                to[i] = 0;
                continue;
            }
            // Keyed colours were counted once a pixel, alpha 255 times.
            const double perAlpha = mode == Mode::Keyed ? 255.0 / double(alpha) : 1.0 / double(alpha);
            std::uint32_t colour = mean(sum[2], perAlpha) << 16 | mean(sum[1], perAlpha) << 8 |
                                   mean(sum[0], perAlpha);
            if (mode == Mode::Keyed) {
                // A mean that happens to be the key colour would be left out.
                if ((colour | 0xFF000000u) == key)
                    colour ^= 1;
                to[i] = 0xFF000000u | colour;
            } else {
                to[i] = mean(alpha, perPixel) << 24 | colour;
            }
        }
        ++done;
    };

    for (int y = 0; y < fromHeight; ++y) {
        const Span s = down[static_cast<std::size_t>(y)];
        while (done < s.first) { // every source row of that kept row is in
            finish(current);
            std::swap(current, next);
            std::fill(next, next + channels, 0u);
        }
        const std::uint32_t* row = pic.pixels.data() + std::size_t(y) * std::size_t(from);
        if (mode != Mode::Opaque)
            weighRow(row, from, mode, key, weighed.data());
        const std::uint32_t w = s.weight, rest = std::uint32_t(height) - w;
        if (mode == Mode::Opaque) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(row);
            if (rest == 0) {
                addWhole(whole, bytes, channels);
            } else {
                addWeighted(current, bytes, channels, w);
                addWeighted(next, bytes, channels, rest);
            }
        } else if (rest == 0) {
            addWhole(whole, weighed.data(), channels);
        } else {
            addWeighted(current, weighed.data(), channels, w);
            addWeighted(next, weighed.data(), channels, rest);
        }
    }
    while (done < std::uint32_t(height)) {
        finish(current);
        std::swap(current, next);
        std::fill(next, next + channels, 0u);
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
