// Decoded pixels: allocation under the size limits, and the shared helpers of the decoders.
#include "pictures/picture.h"

#include "core/errors.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace taleplay::pictures {

namespace {
std::optional<std::uint32_t> unwrittenPattern;

std::atomic<std::int64_t> live{0};
// The part of `live` that decodes made only to reduce them hold for a moment.
std::atomic<std::int64_t> passing{0};
std::atomic<std::int64_t> budget{0}; // 0: not read yet
std::atomic<void (*)()> reclaimer{nullptr};

// The decode under way on this thread, when one is open.
thread_local bool decodeOpen = false;
thread_local std::int64_t decodeBytes = 0;
// What that decode is reduced for, and the passing pixels it took.
thread_local const Shown* decodeReducing = nullptr;
thread_local std::int64_t decodePassing = 0;

std::string mebibytes(std::int64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB";
}

// Throws PictureBudgetError when `bytes` more kept pixels (a picture kept at
// w x h) would pass the budget, once the pictures kept only for reuse are
// let go.
void checkBudget(std::int64_t bytes, const char* format, std::int64_t w, std::int64_t h) {
    auto kept = [] { return live.load() - passing.load(); };
    if (kept() + bytes > pictureMemoryBudget())
        if (void (*reclaim)() = reclaimer.load())
            reclaim();
    if (kept() + bytes > pictureMemoryBudget())
        throw PictureBudgetError(
            OwnText{"Pictures",
                    TALEPLAY_TEXT("Pictures",
                                  "Not enough memory for the %1 picture of %2 x %3: the pictures "
                                  "shown take %4 of the %5 all pictures may take "
                                  "(TALEPLAY_PICTURE_MEMORY)"),
                    {format, std::to_string(w), std::to_string(h), mebibytes(kept()),
                     mebibytes(pictureMemoryBudget())}});
}

void charge(std::int64_t bytes, const char* format) {
    const std::int64_t total = (decodeOpen ? decodeBytes : 0) + bytes;
    if (bytes > kMaxDecodeBytes || total > kMaxDecodeBytes)
        pictureFails(TALEPLAY_TEXT("Pictures", "%1 picture needs more than %2 of memory to decode"),
                     {format, mebibytes(kMaxDecodeBytes)});
    if (decodeOpen)
        decodeBytes = total;
}
} // namespace

void damagedPicture(const std::string& format, const std::string& why) {
    throw PictureError(OwnText{
        "Pictures", TALEPLAY_TEXT("Pictures", "%1 picture is damaged (%2)"), {format, why}});
}

void unsupportedPicture(const std::string& format, const std::string& what) {
    throw PictureError(OwnText{
        "Pictures", TALEPLAY_TEXT("Pictures", "%1 picture uses an unsupported %2"), {format, what}});
}

void pictureFails(const char* wording, std::vector<std::string> values) {
    throw PictureError(OwnText{"Pictures", wording, std::move(values)});
}

namespace detail {
void countPixelMemory(std::int64_t bytes) {
    live += bytes;
}

void releasedDuringDecode(std::int64_t bytes) {
    const std::int64_t released = std::min(bytes, decodePassing);
    passing -= released;
    decodePassing -= released;
}
} // namespace detail

std::int64_t livePictureBytes() {
    return live;
}

std::int64_t passingPictureBytes() {
    return passing;
}

Extent keptExtent(Extent natural, const Shown& shown) {
    if (!shown.stretched)
        return natural;
    return {std::clamp(shown.width, 1, std::max(natural.width, 1)),
            std::clamp(shown.height, 1, std::max(natural.height, 1))};
}

std::int64_t pictureMemoryBudget() {
    if (budget == 0) {
        std::int64_t b = 1024ll << 20;
        if (const char* v = std::getenv("TALEPLAY_PICTURE_MEMORY")) {
            char* end = nullptr;
            const long long mib = std::strtoll(v, &end, 10);
            if (end != v && *end == 0 && mib > 0 && mib < (1ll << 30))
                b = mib << 20;
        }
        budget = b;
    }
    return budget;
}

void setPictureMemoryBudget(std::int64_t bytes) {
    budget = bytes;
}

void setMemoryReclaimer(void (*reclaim)()) {
    reclaimer = reclaim;
}

void chargeWorkingMemory(std::int64_t bytes, const char* format) {
    charge(std::max<std::int64_t>(bytes, 0), format);
}

DecodeScope::DecodeScope(const Shown* reducingFor)
    : saved_(decodeBytes), wasOpen_(decodeOpen), savedReducing_(decodeReducing),
      savedPassing_(decodePassing) {
    decodeOpen = true;
    decodeBytes = 0;
    decodeReducing = reducingFor;
    decodePassing = 0;
}

DecodeScope::~DecodeScope() {
    passing -= decodePassing;
    decodeOpen = wasOpen_;
    decodeBytes = saved_;
    decodeReducing = savedReducing_;
    decodePassing = savedPassing_;
}

void DecodeScope::keep(const Picture& pic, const char* format) {
    const auto bytes = static_cast<std::int64_t>(pic.pixels.capacity() * sizeof(std::uint32_t));
    const std::int64_t counted = std::min(bytes, decodePassing);
    // No longer passing: counted as kept, after the check it must pass.
    passing -= counted;
    decodePassing -= counted;
    try {
        checkBudget(0, format, pic.width, pic.height);
    } catch (...) {
        passing += counted;
        decodePassing += counted;
        throw;
    }
}

KeptPixels::KeptPixels() : saved_(decodeReducing) {
    decodeReducing = nullptr;
}

KeptPixels::~KeptPixels() {
    decodeReducing = saved_;
}

void setUnwrittenPattern(std::optional<std::uint32_t> pattern) {
    unwrittenPattern = pattern;
}

void allocate(Picture& pic, std::int64_t w, std::int64_t h, const char* format, Fill fill,
              std::size_t spareWords) {
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || w * h * 4 > kMaxPixelBytes)
        pictureFails(TALEPLAY_TEXT("Pictures", "%1 picture has an unsupported size (%2 x %3)"),
                     {format, std::to_string(w), std::to_string(h)});
    // The spare words are memory of the picture's own like its pixels.
    const std::int64_t bytes = (w * h + static_cast<std::int64_t>(spareWords)) * 4;
    charge(bytes, format);
    if (decodeReducing) {
        // Refused at once when even the copy to be kept would not fit: it
        // has at most as many pixels as shown, whichever way the picture is
        // turned.
        const Shown& shown = *decodeReducing;
        const std::int64_t keptWidth = std::min<std::int64_t>(w, std::max(shown.width, 1));
        const std::int64_t keptHeight = std::min<std::int64_t>(h, std::max(shown.height, 1));
        checkBudget(std::min(bytes, std::int64_t(std::max(shown.width, 1)) *
                                        std::max(shown.height, 1) * 4),
                    format, keptWidth, keptHeight);
        passing += bytes;
        decodePassing += bytes;
    } else {
        checkBudget(bytes, format, w, h);
    }
    pic.width = static_cast<int>(w);
    pic.height = static_cast<int>(h);
    const auto count = static_cast<std::size_t>(w * h);
    if (spareWords > 0)
        pic.pixels.reserve(count + spareWords);
    if (fill == Fill::Zero)
        pic.pixels.assign(count, 0);
    else if (unwrittenPattern)
        pic.pixels.assign(count, *unwrittenPattern);
    else
        pic.pixels.resize(count);
}

} // namespace taleplay::pictures
