#pragma once
// The steps every scene builder takes the same way: reading a component's
// size and place from its placement keys, measuring a picture, and finding
// the file a picture key names.
#include "descr/placement.h"

#include <optional>
#include <string>
#include <string_view>

namespace taleplay {

class Game;

// The main window's client width (Horizontal) or height (Vertical), measured
// now.
int clientLength(const Game& game, Axis axis);

// prefix + number + suffix, the number in plain decimal: ("*picture", 3,
// "*name*") gives "*picture3*name*".
std::string numberedKey(std::string_view prefix, int number, std::string_view suffix);

// A picture's natural size: the picture loaded into the hidden measuring
// image with stretching off and automatic sizing on. Throws what the picture
// loader throws.
Size measurePicture(Game& game, const std::string& composedPath);

// The size of a picture component: the picture measured, then the width and
// height that `stem` gives in `file` over the client area, the one missing
// following the picture's proportions, or the natural size when neither is
// given. Nothing when the picture has no extent: there are no proportions to
// keep, and the component is left out.
std::optional<Size> pictureSize(Game& game, std::string_view file, std::string_view stem,
                                const std::string& composedPath);

// The picture file that `key` names in `file`, for decorations: a name whose
// file is missing counts as not given and `defaultName` is used instead. ""
// when that file is missing too, and the element is not built.
std::string decorationPictureName(const Game& game, std::string_view file, std::string_view key,
                                  std::string_view defaultName);

// The picture file that `key` names in `file`, for numbered components: a
// name whose file is missing is reported to the player as written (the
// report does not stop the program) and gives "", as does a missing key.
std::string reportedPictureName(Game& game, std::string_view file, std::string_view key);

// Where a numbered picture component (a picture, a button) goes: the file its
// stem + "*name*" key names (a missing one reported), its size and place from
// the stem's keys, and its two flags. Nothing when the name is missing or the
// picture has no extent; the number is then skipped.
struct NumberedPicture {
    std::string path;
    Size size;
    int left = 0;
    int top = 0;
    bool transparent = false;
    bool hidden = false;
};
std::optional<NumberedPicture> placeNumberedPicture(Game& game, std::string_view file,
                                                    const std::string& stem);

} // namespace taleplay
