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
std::int64_t budget = 0; // 0: not read yet
void (*reclaimer)() = nullptr;

// The decode under way on this thread, when one is open.
thread_local bool decodeOpen = false;
thread_local std::int64_t decodeBytes = 0;

std::string mebibytes(std::int64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB";
}

void charge(std::int64_t bytes, const char* format) {
    const std::int64_t total = (decodeOpen ? decodeBytes : 0) + bytes;
    if (bytes > kMaxDecodeBytes || total > kMaxDecodeBytes)
        throw PictureError(std::string(format) + " picture needs more than " +
                           mebibytes(kMaxDecodeBytes) + " of memory to decode");
    if (decodeOpen)
        decodeBytes = total;
}
} // namespace

namespace detail {
void countPixelMemory(std::int64_t bytes) {
    live += bytes;
}
} // namespace detail

std::int64_t livePictureBytes() {
    return live;
}

std::int64_t pictureMemoryBudget() {
    if (budget == 0) {
        budget = 1024ll << 20;
        if (const char* v = std::getenv("TALEPLAY_PICTURE_MEMORY")) {
            char* end = nullptr;
            const long long mib = std::strtoll(v, &end, 10);
            if (end != v && *end == 0 && mib > 0 && mib < (1ll << 30))
                budget = mib << 20;
        }
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

DecodeScope::DecodeScope() : saved_(decodeBytes), wasOpen_(decodeOpen) {
    decodeOpen = true;
    decodeBytes = 0;
}

DecodeScope::~DecodeScope() {
    decodeOpen = wasOpen_;
    decodeBytes = saved_;
}

void setUnwrittenPattern(std::optional<std::uint32_t> pattern) {
    unwrittenPattern = pattern;
}

void allocate(Picture& pic, std::int64_t w, std::int64_t h, const char* format, Fill fill) {
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || w * h * 4 > kMaxPixelBytes)
        throw PictureError(std::string(format) + " picture has an unsupported size (" +
                           std::to_string(w) + " x " + std::to_string(h) + ")");
    const std::int64_t bytes = w * h * 4;
    charge(bytes, format);
    if (live + bytes > pictureMemoryBudget() && reclaimer)
        reclaimer();
    if (live + bytes > pictureMemoryBudget())
        throw PictureError("Not enough memory for the " + std::string(format) + " picture of " +
                           std::to_string(w) + " x " + std::to_string(h) +
                           ": the pictures shown take " + mebibytes(live) + " of the " +
                           mebibytes(pictureMemoryBudget()) +
                           " all pictures may take (TALEPLAY_PICTURE_MEMORY)");
    pic.width = static_cast<int>(w);
    pic.height = static_cast<int>(h);
    const auto count = static_cast<std::size_t>(w * h);
    if (fill == Fill::Zero)
        pic.pixels.assign(count, 0);
    else if (unwrittenPattern)
        pic.pixels.assign(count, *unwrittenPattern);
    else
        pic.pixels.resize(count);
}

} // namespace taleplay::pictures
