#pragma once
// The play screen's lower layers, from allbackpictures.txt: screen colour,
// background tiles, large background, frames, pictures, corners and shapes,
// in that order, which is also their stacking order.
#include "descr/placement.h"

#include <QSize>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace taleplay {

class Game;

void BuildBackground(Game& game);

// The arithmetic of the tiled elements, as functions of the client size and
// the picture's natural size, so it can be checked on any screen.

// Where one image of a tiled element stands. A tile with automatic sizing
// takes the picture's natural size when its picture is loaded.
struct TilePlace {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool autoSize = false;

    friend bool operator==(const TilePlace&, const TilePlace&) = default;
};

// The background tiles of a picture of natural size `picture` over the
// client area, row by row from the top left; they cover it exactly. None
// when the picture has no extent.
std::vector<TilePlace> backgroundTiles(int clientWidth, int clientHeight, Size picture);
// How many tiles that is, without placing them.
std::int64_t backgroundTileCount(int clientWidth, int clientHeight, Size picture);

// The tiles of one pair of frames: `tile` is a tile's length along the edge,
// `thickness` the frame's extent into the window. Both 0 when the frame is
// not built.
struct FrameTiling {
    int tile = 0;
    int thickness = 0;
};

// The top and bottom frames of a picture of natural size `picture`, with the
// frame height given (0: not given, the picture's proportions decide).
FrameTiling horizontalFrameTiling(int clientWidth, Size picture, int height);

// The left and right frames of a picture of natural size `picture`, `width`
// thick (already resolved; the caller's defaults apply before).
FrameTiling verticalFrameTiling(int clientHeight, Size picture, int width);

// Every frame tile: the top row, the bottom row ("RH" + index), then the left
// column and the right column ("RV" + (horizontal count + index)).
struct FrameTiles {
    std::vector<TilePlace> horizontal;
    std::vector<TilePlace> vertical;
};
FrameTiles frameTiles(int clientWidth, int clientHeight, FrameTiling horizontal,
                      FrameTiling vertical);

// The common size of the four corners, from the natural size of the last
// corner picture measured and the height given (0: its natural height).
// Nothing when that picture has no extent.
std::optional<Size> cornerSize(Size lastCorner, int height);

// The large background's picture for a screen of `screen` pixels: the
// square or long alternative on screens narrower than 1.3 : 1 or wider than
// 1.47 : 1, "bigfon.bmp" when a named file is missing; "" when nothing exists.
// Where a screen's pictures come from and what its components are called:
// the play screen reads allbackpictures.txt and names them "BP", "FON",
// "RH", "RV", "RIS", "UGOL"; an end screen reads its pictures file and puts
// "ura" before each name.
struct PictureScreen {
    std::string file;
    std::string namePrefix;
    // The end screens find the "*bigfon*name*" line in any letter case.
    bool largeBackgroundKeyAnyCase = false;
};

void BuildBackgroundTiles(Game& game, const PictureScreen& screen);
void BuildLargeBackground(Game& game, const PictureScreen& screen);
void BuildFrames(Game& game, const PictureScreen& screen);
void BuildPictures(Game& game, const PictureScreen& screen);
void BuildCorners(Game& game, const PictureScreen& screen);

std::string largeBackgroundName(const Game& game, const PictureScreen& source, QSize screen);

} // namespace taleplay
