#pragma once
// What a screen's pictures cost the player: the memory of the copies it
// keeps (each at the size shown where that is smaller than the picture)
// against the budget of all pictures, and the work of decoding them at
// start-up, estimated as the player will do it.
#include "check/game.h"
#include "pictures/picture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace taleplay::check {

// The client area the estimate assumes: a full-HD screen, the player's
// window maximised on it.
inline constexpr int kAssumedClientWidth = 1920;
inline constexpr int kAssumedClientHeight = 1080;

// One picture a screen loads, in the order its builders load them.
struct PictureCost {
    const DescrFile* file = nullptr; // where it is named; null for a default
    int line = 0;
    std::string name; // as written, Windows-1251
    pictures::Extent natural;
    pictures::Extent shown; // what its component shows
    pictures::Extent kept;  // what the player keeps of it
    std::int64_t keptBytes = 0;
    // The pictures of the screen kept before it.
    std::int64_t keptBefore = 0;
    // Whether the budget of all pictures has no room left for it: the player
    // leaves the component out.
    bool refused = false;
    // The estimated time to decode it for its component, and to decode it
    // were it saved at the size shown.
    double decodeMs = 0;
    double decodeSavedSmallMs = 0;
};

struct ScreenCost {
    const Screen* screen = nullptr;
    std::vector<PictureCost> pictures;
    std::int64_t keptBytes = 0;
};

// Each screen's pictures that exist and whose size can be read (the others
// are findings of their own).
std::vector<ScreenCost> screenCosts(const Game& game);

// Whether a picture is far larger than it is shown: more than four times
// the pixels, and more than a megapixel to decode.
bool farLargerThanShown(const PictureCost& cost);

} // namespace taleplay::check
