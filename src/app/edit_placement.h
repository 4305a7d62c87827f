#pragma once
// Writing a size or a position back in the unit it was written in: a value
// in divisions stays in divisions (the nearest one, which may be a few pixels
// off), a value in pixels stays in pixels, a centred position stays centred
// unless it moved, and a value that came from a default gets a key of its
// own, in pixels, on a line of its own after the component's other keys.
#include "app/edit_document.h"
#include "descr/placement.h"

#include <string>
#include <string_view>
#include <vector>

namespace taleplay::editing {

enum class Quantity { Position, Size };

// "*leftindivision*", "*widthinpixels*" and the rest.
std::string placementSuffix(Axis axis, Quantity quantity, bool divisions);

struct Written {
    enum class How {
        Divisions, // a numerator replaced
        Pixels,    // a number of pixels replaced
        OffCentre, // the centre mark replaced by a numerator
        Added,     // a key added on a line of its own
    };
    How how = How::Pixels;
    // What the player reads from the file now; 0 means not given, and the
    // component's default applies.
    int reads = 0;
    int denominator = 0, numerator = 0;
};

// Writes `wanted` pixels as the size or position of the component whose
// keys begin with `stem`; `reference` is the length its divisions divide.
// `otherStems` are further beginnings of the component's keys that count
// for where an added line goes (the video's "*video*" beside
// "*videoscreen").
Written writePlacement(DescriptionDocument& doc, std::string_view stem, Axis axis,
                       Quantity quantity, int wanted, int reference,
                       std::string_view otherStem = {});

// Where a key of `stem` begins in `line`: where it goes on with something
// else than a digit or a rule's separator. So "*picture3" in the rule
// "*button2*click*picture3#..." is no key of picture 3, and "*picture1" in
// "*picture12*name*" none of picture 1.
std::vector<std::size_t> keyPositions(std::string_view line, std::string_view stem);

// The index of the last line holding a key of `stem` ("*picture1" and not
// "*picture12") or of `otherStem`, if any.
std::optional<std::size_t> lastLineOf(const DescriptionDocument& doc, std::string_view stem,
                                      std::string_view otherStem = {});

} // namespace taleplay::editing
