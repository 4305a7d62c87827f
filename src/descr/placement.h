#pragma once
// Placement values: sizes and positions written in a description file either
// as a fraction of a reference length (usually the main window's client width
// or height) or in pixels. 0 always means "not given": the caller then falls
// back on its next source.
#include <string>
#include <string_view>

namespace taleplay {

// A division reading: the value, and whether the text asked for centring. The
// centre mark describes only this reading; a caller tests it at once.
struct DivisionValue {
    int value = 0;
    bool centre = false;
};

// Reads the first line holding `key` (exact case) as "d#n#" or "d#center#",
// blanks anywhere ignored, and gives round(reference / d * n).
DivisionValue divisionValue(std::string_view file, std::string_view key, int reference);

// Reads the first line holding `key` (exact case) as a whole number of pixels
// up to the first "#", blanks anywhere ignored; 0 when absent or unreadable.
int pixelValue(std::string_view file, std::string_view key);

// The same readings of a line already found (the first that holds `key`;
// "" for none), for the editor, which holds the file in memory.
DivisionValue divisionValueOfLine(std::string_view line, std::string_view key, int reference);
int pixelValueOfLine(std::string_view line, std::string_view key);

struct Size {
    int width = 0;
    int height = 0;
};

// The size of a picture of natural size naturalWidth x naturalHeight when
// only `width`, only `height`, both or neither (0) are given: the missing one
// keeps the picture's proportions.
Size sizeFromAspect(int naturalWidth, int naturalHeight, int width, int height);

// The position that centres `size` on `reference`, truncated toward zero.
int centredPosition(int reference, int size);

// Widths and left edges are fractions of the client width, heights and top
// edges of the client height.
enum class Axis { Horizontal, Vertical };

// A position or size read for a component, kept within 2^29 either way: far
// past any screen, so "*leftinpixels*2147483647#" places a component out of
// sight, and an edge (position plus size) still fits an int.
int withinReach(int value);

// The width (Horizontal) or height (Vertical) that `stem` gives in `file`:
// stem + "*widthindivision*" as a fraction of `reference`, else
// stem + "*widthinpixels*". 0 when neither gives one; the caller's default
// applies then.
int resolveSize(std::string_view file, std::string_view stem, Axis axis, int reference);

// The left edge (Horizontal) or top edge (Vertical) of a component `size`
// long along that axis: stem + "*leftindivision*" over `reference`, centred
// when the value carries the centre mark, else stem + "*leftinpixels*".
// Reproduced on purpose: a centred component that comes out at exactly 0 (as
// wide as the window) takes the pixel key instead. 0 when nothing is given.
int resolvePosition(std::string_view file, std::string_view stem, Axis axis, int reference,
                    int size);

// Rounds to the nearest integer, halves to the even neighbour, as the
// original's rounding does; 0 when the result does not fit an int.
int roundHalfEven(long double value);

} // namespace taleplay
