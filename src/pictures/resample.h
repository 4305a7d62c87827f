#pragma once
// Pictures made smaller for the size they are shown at, and turned upright.
#include "pictures/picture.h"

namespace taleplay::pictures {

// `pic` reduced to width x height (each at most the picture's own, at least
// 1) by area average: each pixel kept is the mean of the source pixels under
// it, weighted by how much of each it covers, so a line one pixel thin
// stays as a lighter line instead of vanishing between the pixels a
// replication would pick. Transparent pixels add no colour to their
// neighbours: with an alpha channel the colours are weighted by alpha; with
// `keyed` (an opaque picture a control leaves its key colour out of) pixels
// of the key colour are left out of the mean, and a kept pixel mostly over
// them takes the key colour itself, so edges stay hard and show no fringe.
// The result keeps the picture's natural size and key colour. Throws
// PictureBudgetError or PictureError naming `format` when its pixels do not
// fit.
Picture reduce(const Picture& pic, int width, int height, bool keyed, const char* format);

// Turns `pic` as an EXIF or TIFF orientation (1 to 8) says the picture was
// taken, so that it stands as its camera or scanner showed it: 6 is turned a
// quarter clockwise, 8 a quarter anticlockwise, 3 half round, and 2, 4, 5
// and 7 are those mirrored. Other values leave it as it is.
void orient(Picture& pic, int orientation, const char* format);

// Whether an orientation swaps width and height.
inline bool orientationTurns(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

} // namespace taleplay::pictures
