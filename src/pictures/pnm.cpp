// Netpbm pictures (pbm, pgm, ppm): P1 to P6, text or binary samples, with
// any maximum value up to 65535 scaled to 8 bits.
#include "pictures/decode_util.h"

#include <vector>

namespace taleplay::pictures {

using namespace detail;

namespace {

constexpr const char* kPnm = "PNM";

bool isSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The text part of the file: numbers separated by white space, with
// comments from '#' to the end of the line.
class Text {
  public:
    Text(Bytes data, std::size_t size, std::size_t pos) : data_(data), size_(size), pos_(pos) {}

    std::size_t pos() const { return pos_; }
    std::size_t remaining() const { return size_ - pos_; }

    void skipSpace() {
        while (pos_ < size_) {
            const unsigned char c = data_[pos_];
            if (c == '#') {
                while (pos_ < size_ && data_[pos_] != '\n' && data_[pos_] != '\r')
                    ++pos_;
            } else if (isSpace(c)) {
                ++pos_;
            } else {
                break;
            }
        }
    }

    std::uint32_t number() {
        skipSpace();
        if (pos_ >= size_)
            damaged(kPnm, "truncated file");
        if (data_[pos_] < '0' || data_[pos_] > '9')
            damaged(kPnm, "a number was expected");
        std::uint32_t v = 0;
        while (pos_ < size_ && data_[pos_] >= '0' && data_[pos_] <= '9') {
            v = v * 10 + (data_[pos_++] - '0');
            if (v > 100'000'000)
                damaged(kPnm, "number too large");
        }
        return v;
    }

    // P1 bits may be written without space between them.
    unsigned bit() {
        skipSpace();
        if (pos_ >= size_)
            damaged(kPnm, "truncated file");
        const unsigned char c = data_[pos_++];
        if (c != '0' && c != '1')
            damaged(kPnm, "a bit was expected");
        return c - '0';
    }

    // Binary samples start after exactly one white-space byte.
    void endHeader() {
        if (pos_ >= size_ || !isSpace(data_[pos_]))
            damaged(kPnm, "bad header");
        ++pos_;
    }

  private:
    Bytes data_;
    std::size_t size_;
    std::size_t pos_;
};

} // namespace

Picture decodePnm(Bytes data, std::size_t size) {
    if (size < 2 || data[0] != 'P' || data[1] < '1' || data[1] > '6')
        damaged(kPnm, "not a PNM file");
    const int kind = data[1] - '0';
    const bool bitmap = kind == 1 || kind == 4;
    const bool colour = kind == 3 || kind == 6;
    const bool binary = kind >= 4;
    Text text(data, size, 2);
    const std::uint32_t w = text.number();
    const std::uint32_t h = text.number();
    const std::uint32_t maxval = bitmap ? 1 : text.number();
    if (maxval == 0 || maxval > 65535)
        damaged(kPnm, "bad maximum value");
    if (binary)
        text.endHeader();

    checkSides(w, h, kPnm);
    const int channels = colour ? 3 : 1;
    const std::uint64_t samples = std::uint64_t(w) * h * channels;
    const int sampleBytes = maxval > 255 ? 2 : 1;
    const std::uint64_t rowBytes =
        kind == 4 ? (std::uint64_t(w) + 7) / 8 : std::uint64_t(w) * channels * sampleBytes;
    // Refuse a short file before allocating for the size it claims; a text
    // sample takes at least one byte.
    const std::uint64_t least = binary ? rowBytes * h : samples;
    if (least > text.remaining())
        damaged(kPnm, "truncated pixel data");

    Picture pic;
    allocate(pic, w, h, kPnm);
    std::uint32_t* out = pic.pixels.data();
    const std::size_t count = pic.pixels.size();

    if (bitmap) {
        // 1 is black.
        if (kind == 1) {
            for (std::size_t i = 0; i < count; ++i)
                out[i] = text.bit() ? kOpaqueBlack : 0xFFFFFFFFu;
        } else {
            Bytes row = data + text.pos();
            for (std::uint32_t y = 0; y < h; ++y, row += rowBytes)
                for (std::uint32_t x = 0; x < w; ++x)
                    *out++ = (row[x >> 3] >> (7 - (x & 7))) & 1 ? kOpaqueBlack : 0xFFFFFFFFu;
        }
        return pic;
    }

    // Samples above the maximum are read as the maximum.
    std::vector<std::uint8_t> scale(maxval + 1);
    for (std::uint32_t v = 0; v <= maxval; ++v)
        scale[v] = static_cast<std::uint8_t>((v * 255u + maxval / 2) / maxval);
    const std::uint8_t* to8 = scale.data();
    auto sample8 = [&](std::uint32_t v) -> std::uint32_t { return to8[std::min(v, maxval)]; };

    if (!binary) {
        for (std::size_t i = 0; i < count; ++i) {
            if (colour) {
                const std::uint32_t r = sample8(text.number());
                const std::uint32_t g = sample8(text.number());
                out[i] = argb(r, g, sample8(text.number()));
            } else {
                const std::uint32_t v = sample8(text.number());
                out[i] = argb(v, v, v);
            }
        }
        return pic;
    }

    Bytes src = data + text.pos();
    if (sampleBytes == 1 && maxval == 255) {
        if (colour) {
            for (std::size_t i = 0; i < count; ++i, src += 3)
                out[i] = argb(src[0], src[1], src[2]);
        } else {
            for (std::size_t i = 0; i < count; ++i)
                out[i] = argb(src[i], src[i], src[i]);
        }
    } else if (sampleBytes == 1) {
        if (colour) {
            for (std::size_t i = 0; i < count; ++i, src += 3)
                out[i] = argb(sample8(src[0]), sample8(src[1]), sample8(src[2]));
        } else {
            for (std::size_t i = 0; i < count; ++i) {
                const std::uint32_t v = sample8(src[i]);
                out[i] = argb(v, v, v);
            }
        }
    } else {
        if (colour) {
            for (std::size_t i = 0; i < count; ++i, src += 6)
                out[i] = argb(sample8(be16(src)), sample8(be16(src + 2)), sample8(be16(src + 4)));
        } else {
            for (std::size_t i = 0; i < count; ++i, src += 2) {
                const std::uint32_t v = sample8(be16(src));
                out[i] = argb(v, v, v);
            }
        }
    }
    return pic;
}

} // namespace taleplay::pictures
