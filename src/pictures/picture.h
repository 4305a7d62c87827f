#pragma once
// A decoded picture and the decoders that make one. Decoders are pure
// functions of the file's bytes: no Qt, no file system, so each one can be
// fuzzed on its own.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace taleplay::pictures {

// Hard limits checked before any pixel memory is allocated.
inline constexpr std::int64_t kMaxSide = 16384;
inline constexpr std::int64_t kMaxPixelBytes = 256ll * 1024 * 1024;

// An allocator that leaves new elements as they are on resize: a decoder that
// writes every pixel does not pay for zeroing a large buffer first.
template <class T> struct UninitialisedAllocator : std::allocator<T> {
    template <class U> struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <class U> UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
using Pixels = std::vector<std::uint32_t, UninitialisedAllocator<std::uint32_t>>;

inline bool operator==(const Pixels& a, const std::vector<std::uint32_t>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

struct Picture {
    int width = 0;
    int height = 0;
    // Row-major, top row first, one 0xAARRGGBB word a pixel, not premultiplied.
    Pixels pixels;
    // The file itself says which pixels are transparent (an alpha channel, a
    // tRNS chunk, a GIF transparent index, an icon's mask). Pictures without
    // it are opaque, and the image control's colour-key transparency applies
    // to them only.
    bool hasAlpha = false;
};

// Whether allocate() clears the pixels. Only a decoder that writes every
// pixel of every picture it returns, on every path, may leave them: PNG and
// JPEG, whose libraries fail the picture rather than return part of it.
enum class Fill { Zero, Unwritten };

// Throws PictureError naming `format` when a picture of w x h would break the
// limits above (computed in 64 bits); otherwise sizes `pic` for it.
void allocate(Picture& pic, std::int64_t w, std::int64_t h, const char* format,
              Fill fill = Fill::Zero);

// For tests: fill pixels that allocate() leaves unwritten with `pattern`, so
// that decoding twice with two patterns shows any pixel a decoder forgot.
void setUnwrittenPattern(std::optional<std::uint32_t> pattern);

using Bytes = const unsigned char*;

// Each throws PictureError with a message naming the format on a damaged file.
Picture decodePng(Bytes data, std::size_t size);
Picture decodeJpeg(Bytes data, std::size_t size);
Picture decodeGif(Bytes data, std::size_t size);
Picture decodeTiff(Bytes data, std::size_t size);
Picture decodeBmp(Bytes data, std::size_t size); // bmp, dib, rle
Picture decodeIco(Bytes data, std::size_t size);
Picture decodeTga(Bytes data, std::size_t size);      // tga, vst, vda, icb, win
Picture decodePcx(Bytes data, std::size_t size);      // pcx, pcc, scr
Picture decodePnm(Bytes data, std::size_t size);      // ppm, pgm, pbm
Picture decodeSgi(Bytes data, std::size_t size);      // sgi, rgb, rgba, bw
Picture decodePsd(Bytes data, std::size_t size);      // psd, pdd
Picture decodeAnimator(Bytes data, std::size_t size); // cel, pic
Picture decodePcd(Bytes data, std::size_t size);
Picture decodeRla(Bytes data, std::size_t size); // rla, rpf
Picture decodePsp(Bytes data, std::size_t size);
// Dr. Halo pictures keep their colours in a palette file beside them; without
// one (palette null) they are shown in greys.
Picture decodeCut(Bytes data, std::size_t size, Bytes palette = nullptr,
                  std::size_t paletteSize = 0);
// Metafiles are drawn by the renderer of metafile.h.
Picture decodeWmf(Bytes data, std::size_t size);
Picture decodeEmf(Bytes data, std::size_t size);
// The preview an EPS file carries (TIFF or WMF); its PostScript is never run.
Picture decodeEps(Bytes data, std::size_t size);

} // namespace taleplay::pictures
