#pragma once
// The benchmark game: a play screen as large as a game gets (50 pictures of
// 800 x 600, 30 image buttons with pressed pictures, full frames, four
// corners, a tiled background) and a victory screen of as many pictures of
// its own, reached by clicking button 30. Every picture is a file of its
// own, so no decoding can be shared between them.
#include <filesystem>
#include <string>

namespace taleplay::bench {

struct BenchGame {
    int pictures = 50; // 800 x 600 PNG pictures on each screen, 0 to 50
    int tile = 64;     // side of the square background tile
    // Frames, corners and buttons; without them (and with no pictures) the
    // screen is nothing but its background tiles.
    bool decorations = true;
    bool endScreen = true;
    // A line of this many MiB of plain words (no key) in allbackpictures.txt,
    // as a text pasted by mistake would make; 0 for none.
    int longLineMiB = 0;
    // A text line of this many KiB of words, wrapped to two thirds of the
    // screen's width; 0 for none.
    int longTextKiB = 0;
    // A game of phone photos instead: this many JPEG photos (0 for none) of
    // photoWidth x photoHeight with a camera's noise and detail (about 3 MB
    // at 4000 x 3000), each shown at shownWidth x shownHeight, then a
    // question and ten buttons; nothing else.
    int photos = 0;
    int photoWidth = 4000, photoHeight = 3000;
    int shownWidth = 400, shownHeight = 300;
};

// Writes the game into `dir` (named data_NAME), with two lists beside its
// description files: bench-play.list and bench-end.list, the picture files
// each screen shows, one name a line, for the floor program to decode. A
// game of photos writes bench-photos.list instead: "shown WxH", then the
// photos one a line. Returns an empty text or what went wrong.
std::string writeBenchGame(const std::filesystem::path& dir, const BenchGame& game);

// The text of "--pictures N --tile N --tiles-only --no-end --long-line MIB
// --long-text KIB --photos N --photo-size WxH --shown WxH" options into
// `game`; false on a word it does not know.
bool parseBenchGameOption(int argc, char** argv, int& i, BenchGame& game);

} // namespace taleplay::bench
