#pragma once
// A decoded picture and the decoders that make one. Decoders are pure
// functions of the file's bytes: no Qt, no file system, so each one can be
// fuzzed on its own.
#include "core/own_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace taleplay::pictures {

// The errors of decoders, in words the window can translate: "<FORMAT>
// picture is damaged (<why>)" and "<FORMAT> picture uses an unsupported
// <what>"; `why` and `what` are details left as they are.
[[noreturn]] void damagedPicture(const std::string& format, const std::string& why);
[[noreturn]] void unsupportedPicture(const std::string& format, const std::string& what);
// Any other text of our own about a picture, with its values.
[[noreturn]] void pictureFails(const char* wording, std::vector<std::string> values);
inline constexpr const char* kOutOfMemory =
    TALEPLAY_TEXT("Pictures", "%1 picture cannot be read (out of memory)");

// Hard limits checked before any pixel memory is allocated.
inline constexpr std::int64_t kMaxSide = 16384;
inline constexpr std::int64_t kMaxPixelBytes = 256ll * 1024 * 1024;
// What one decode may take, its pixels and every buffer of the decoder and
// of its library together.
inline constexpr std::int64_t kMaxDecodeBytes = kMaxPixelBytes;

// The pixel memory of every decoded picture alive now, and the part of it
// that is full-size pixels decoded only to be reduced.
std::int64_t livePictureBytes();
std::int64_t passingPictureBytes();

// An allocator that leaves new elements as they are on resize: a decoder that
// writes every pixel does not pay for zeroing a large buffer first.
// It also counts what it holds, so that all pictures alive together stay
// within their memory budget.
namespace detail {
void countPixelMemory(std::int64_t bytes);
// Pixels a decode took and let go of before it ended (a picture turned
// upright into new pixels) no longer pass through the budget.
void releasedDuringDecode(std::int64_t bytes);
} // namespace detail
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
    // The size of the pixels kept.
    int width = 0;
    int height = 0;
    // Row-major, top row first, one 0xAARRGGBB word a pixel, not premultiplied.
    Pixels pixels;
    // The file itself says which pixels are transparent (an alpha channel, a
    // tRNS chunk, a GIF transparent index, an icon's mask). Pictures without
    // it are opaque, and the image control's colour-key transparency applies
    // to them only.
    bool hasAlpha = false;
    // The picture's own size, upright, where the pixels are kept smaller for
    // a control that shows it smaller (0: the pixels are the picture's size).
    int fullWidth = 0;
    int fullHeight = 0;
    // The colour a transparent control leaves out of an opaque picture: its
    // bottom-left pixel at full size, which a reduced copy's own
    // bottom-left pixel (an average) need not be.
    std::optional<std::uint32_t> colourKey;

    int naturalWidth() const { return fullWidth > 0 ? fullWidth : width; }
    int naturalHeight() const { return fullHeight > 0 ? fullHeight : height; }
    bool reduced() const { return naturalWidth() != width || naturalHeight() != height; }
    // Alpha bits ignored; 0 for a picture without pixels.
    std::uint32_t keyColour() const {
        if (colourKey)
            return *colourKey | 0xFF000000u;
        if (pixels.empty())
            return 0;
        return pixels[static_cast<std::size_t>(height - 1) * static_cast<std::size_t>(width)] |
               0xFF000000u;
    }
};

// How a control shows a picture: at the picture's own size, or stretched to
// width x height. Along an axis where that is smaller than the picture only
// as many pixels are kept as are shown. `keyed`: the control leaves out the
// key colour of an opaque picture, so a reduction keeps those pixels apart
// instead of mixing them into their neighbours.
struct Shown {
    bool stretched = false;
    int width = 0;
    int height = 0;
    bool keyed = false;
    bool operator==(const Shown&) const = default;
};

// The size kept of a picture of natural size w x h shown as `shown`: the
// shown size along each axis where it is smaller (at least 1), the
// picture's own elsewhere.
struct Extent {
    int width = 0;
    int height = 0;
    bool operator==(const Extent&) const = default;
};
Extent keptExtent(Extent natural, const Shown& shown);

// Whether allocate() clears the pixels. Only a decoder that writes every
// pixel of every picture it returns, on every path, may leave them: PNG and
// JPEG, whose libraries fail the picture rather than return part of it.
enum class Fill { Zero, Unwritten };

// Throws PictureError naming `format` when a picture of w x h would break the
// limits above (computed in 64 bits), would take the decode past
// kMaxDecodeBytes, or all pictures past their budget; otherwise sizes `pic`
// for it, with room reserved for `spareWords` more words (for a decoder that
// works in the picture's own memory before the pixels are in place).
void allocate(Picture& pic, std::int64_t w, std::int64_t h, const char* format,
              Fill fill = Fill::Zero, std::size_t spareWords = 0);

// Counts memory the decode under way takes besides pixels (a library's strip
// buffer or coefficients, a decoder's planes); throws PictureError naming
// `format` when the decode's total would pass kMaxDecodeBytes.
void chargeWorkingMemory(std::int64_t bytes, const char* format);

// Opened around one decode: what it takes is counted from nothing, and is
// forgotten when it closes. Decoders called outside one check each charge
// on its own.
//
// A decode made only to be reduced for `reducingFor` (a control showing the
// picture smaller) takes its full-size pixels for a moment: the budget of
// all pictures counts what is kept, so those pixels pass it when the copy
// kept for that control would, and count as passing memory until the scope
// closes or keep() takes them.
class DecodeScope {
  public:
    explicit DecodeScope(const Shown* reducingFor = nullptr);
    ~DecodeScope();
    DecodeScope(const DecodeScope&) = delete;
    DecodeScope& operator=(const DecodeScope&) = delete;

    // The decoded picture is kept as it is, unreduced: its pixels now count
    // in the budget, and throw PictureBudgetError where they do not fit.
    void keep(const Picture& pic, const char* format);

  private:
    std::int64_t saved_;
    bool wasOpen_;
    const Shown* savedReducing_;
    std::int64_t savedPassing_;
};

// Pixels allocated while one is open count as kept even inside a reducing
// decode: the reduced copy itself.
class KeptPixels {
  public:
    KeptPixels();
    ~KeptPixels();
    KeptPixels(const KeptPixels&) = delete;
    KeptPixels& operator=(const KeptPixels&) = delete;

  private:
    const Shown* saved_;
};

// The pixel memory all pictures kept at once may take: the environment
// variable TALEPLAY_PICTURE_MEMORY in MiB, 1024 when it is not set. A picture
// that would pass it fails (PictureBudgetError), after the pictures kept only
// for reuse were let go (the reclaimer, which the loader sets). Full-size
// pixels decoded only to be reduced pass it (see DecodeScope).
std::int64_t pictureMemoryBudget();
void setPictureMemoryBudget(std::int64_t bytes); // tests; 0: from the environment again
void setMemoryReclaimer(void (*reclaim)());

// For tests: fill pixels that allocate() leaves unwritten with `pattern`, so
// that decoding twice with two patterns shows any pixel a decoder forgot.
void setUnwrittenPattern(std::optional<std::uint32_t> pattern);

using Bytes = const unsigned char*;

// Each throws PictureError with a message naming the format on a damaged file.
Picture decodePng(Bytes data, std::size_t size);
// For tests and fuzzing: PNG image data is inflated whole where it can be,
// or always row by row through libpng, so the two can be compared; or only
// whole, failing with "PNG picture is not inflated whole" where it cannot
// be, so a test knows which way a file went.
enum class PngInflate { WholeStream, RowByRow, WholeStreamOnly };
void setPngInflate(PngInflate how);
// JPEG and TIFF pictures are turned upright as their orientation tag says.
Picture decodeJpeg(Bytes data, std::size_t size);
// The JPEG picture for a control that shows it as `shown`: decoded at the
// smallest of the library's scales (1/8 to 1) that keeps at least as many
// pixels as are shown, and turned upright; its natural size is the file's.
// A picture shown keyed is decoded whole (its key colour is its own
// bottom-left pixel, which a smaller scale does not have).
Picture decodeJpegFor(Bytes data, std::size_t size, const Shown& shown);
// A picture's size from its file's header, upright, without decoding it;
// nothing where the header does not settle it (the picture is decoded
// then, and a damaged file says so).
std::optional<Extent> jpegNaturalSize(Bytes data, std::size_t size);
std::optional<Extent> pngNaturalSize(Bytes data, std::size_t size);
std::optional<Extent> gifNaturalSize(Bytes data, std::size_t size);
std::optional<Extent> tiffNaturalSize(Bytes data, std::size_t size);
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
