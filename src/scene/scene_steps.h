#pragma once
// The steps every scene builder takes the same way: reading a component's
// size and place from its placement keys, measuring a picture, and finding
// the file a picture key names.
#include "core/own_text.h"
#include "descr/placement.h"
#include "pictures/picture.h"

#include <functional>
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

// What a picture is loaded for, to name it in messages: the component
// ("picture %1" and its number, translated where it is shown) and the file
// as the description file names it.
struct PictureUse {
    OwnText component;
    std::string name;
};
PictureUse numberedUse(const char* component, int number, std::string name);

// Runs `step`, which measures or loads a picture for `use`. A picture the
// memory budget of all pictures refuses is told to the player (once,
// naming the component and the file) and gives false: the component is
// left out and the screen goes on. Any other failure of the picture is
// thrown on, naming them too, and stops the build as before.
bool pictureStep(Game& game, const PictureUse& use, const std::function<void()>& step);

// A picture's natural size: the picture loaded into the hidden measuring
// image with stretching off and automatic sizing on, which takes the size
// alone, from the file's header where it tells it. Throws what the picture
// loader throws.
Size measurePicture(Game& game, const std::string& composedPath);

// How a component shows its picture: stretched to `size` (keyed when it is
// transparent), or at the picture's own size.
pictures::Shown stretchedTo(Size size, bool transparent);

// Decodes the picture for the component about to be made, in the hidden
// measuring image: a damaged picture fails here, before its component
// exists, as measuring it always found; the pixels are kept at the size the
// component shows, and its own load then finds them. False when the memory
// budget refused it (told, see pictureStep).
bool preparePicture(Game& game, const PictureUse& use, const std::string& composedPath,
                    const pictures::Shown& shown);

// The size of a picture component: the picture measured, then the width and
// height that `stem` gives in `file` over the client area, the one missing
// following the picture's proportions, or the natural size when neither is
// given. Nothing when the picture has no extent: there are no proportions to
// keep, and the component is left out.
std::optional<Size> pictureSize(Game& game, std::string_view file, std::string_view stem,
                                const std::string& composedPath);
// The same from a natural size already measured.
std::optional<Size> pictureSize(const Game& game, std::string_view file, std::string_view stem,
                                Size natural);

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
// the stem's keys, and its two flags; its picture decoded for it. Nothing
// when the name is missing, the picture has no extent or the memory budget
// refuses it; the number is then skipped. `component` names it in messages
// ("picture %1" with `number`).
struct NumberedPicture {
    std::string path;
    Size size;
    int left = 0;
    int top = 0;
    bool transparent = false;
    bool hidden = false;
};
std::optional<NumberedPicture> placeNumberedPicture(Game& game, std::string_view file,
                                                    const std::string& stem,
                                                    const char* component, int number);

} // namespace taleplay
