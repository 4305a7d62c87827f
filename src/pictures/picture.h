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
// What one decode may take, its pixels and every buffer of the decoder and
// of its library together.
inline constexpr std::int64_t kMaxDecodeBytes = kMaxPixelBytes;

// The pixel memory of every decoded picture alive now.
std::int64_t livePictureBytes();

// An allocator that leaves new elements as they are on resize: a decoder that
// writes every pixel does not pay for zeroing a large buffer first.
// It also counts what it holds, so that all pictures alive together stay
// within their memory budget.
namespace detail {
void countPixelMemory(std::int64_t bytes);
}
template <class T> struct UninitialisedAllocator : std::allocator<T> {
    template <class U> struct rebind { using other = UninitialisedAllocator<U>; };
    UninitialisedAllocator() = default;
    template <class U> UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) {
        T* p = std::allocator<T>::allocate(n);
        detail::countPixelMemory(static_cast<std::int64_t>(n * sizeof(T)));
        return p;
    }
    void deallocate(T* p, std::size_t n) noexcept {
        detail::countPixelMemory(-static_cast<std::int64_t>(n * sizeof(T)));
        std::allocator<T>::deallocate(p, n);
    }
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
// limits above (computed in 64 bits), would take the decode past
// kMaxDecodeBytes, or all pictures past their budget; otherwise sizes `pic`
// for it.
void allocate(Picture& pic, std::int64_t w, std::int64_t h, const char* format,
              Fill fill = Fill::Zero);

// Counts memory the decode under way takes besides pixels (a library's strip
// buffer or coefficients, a decoder's planes); throws PictureError naming
// `format` when the decode's total would pass kMaxDecodeBytes.
void chargeWorkingMemory(std::int64_t bytes, const char* format);

// Opened around one decode: what it takes is counted from nothing, and is
// forgotten when it closes. Decoders called outside one check each charge
// on its own.
class DecodeScope {
  public:
    DecodeScope();
    ~DecodeScope();
    DecodeScope(const DecodeScope&) = delete;
    DecodeScope& operator=(const DecodeScope&) = delete;

  private:
    std::int64_t saved_;
    bool wasOpen_;
};

// The pixel memory all pictures alive at once may take: the environment
// variable TALEPLAY_PICTURE_MEMORY in MiB, 1024 when it is not set. A picture
// that would pass it fails (PictureError), after the pictures kept only for
// reuse were let go (the reclaimer, which the loader sets).
std::int64_t pictureMemoryBudget();
void setPictureMemoryBudget(std::int64_t bytes); // tests; 0: from the environment again
void setMemoryReclaimer(void (*reclaim)());

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
