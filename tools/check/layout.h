#pragma once
// Where the play screen's components would stand on a screen of a given
// size, as its builders place them: the text lines (each string a label,
// word-wrapped and sized to its text), the text windows, the buttons and the
// pictures. For the checks that look at how a screen is laid out.
#include "check/game.h"

#include <map>
#include <string>
#include <vector>

namespace taleplay::check {

struct Box {
    Kind kind = Kind::None;
    int number = 0;
    int left = 0, top = 0, width = 0, height = 0;
    const DescrFile* file = nullptr;
    int line = 0;        // the line that names it (a string's, a window's first)
    int lineHeight = 0;  // a text line's: the height of one of its lines
    bool hidden = false; // made invisible when built
};

struct ScreenSize {
    int width = 0;
    int height = 0;
};

// Pictures' natural sizes by their composed path, decoded once for every
// screen size asked about; a picture that does not load measures 0 x 0.
using NaturalSizes = std::map<std::string, std::pair<int, int>>;

// The boxes of the play screen when the window fills a screen of `size`, in
// the order the builders make them: pictures, text lines, text windows,
// buttons. Pictures without a size (a metafile) are left out.
std::vector<Box> layOutPlayScreen(const Game& game, ScreenSize size, NaturalSizes& sizes);

} // namespace taleplay::check
