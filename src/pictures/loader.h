#pragma once
// Loading a picture file by its extension, with a cache so that each file is
// decoded once however many controls and measurements use it.
#include "pictures/picture.h"

#include <memory>
#include <string>

namespace taleplay::pictures {

// The extension of a file name as the picture loader sees it: the text after
// the last '.' of its last component, as written (may be empty).
std::string extensionOf(const std::string& name);

// Loads the picture at `fsPath` (a resolved path); `shownName` is the name as
// the program composed it, for messages and for finding the palette file
// of a Dr. Halo picture (the same name with .pal). Throws PictureError
// "Unknown picture file extension (.EXT)" for an extension not in the list,
// PictureError from the decoder for a damaged file, InOutError when the file
// cannot be read. A file changed on disk since the last load is decoded anew.
std::shared_ptr<const Picture> loadPicture(const std::string& fsPath, const std::string& shownName);

// Reads the picture at `fsPath` as loadPicture would, only to learn whether
// it loads: nothing is cached, and metafiles (and EPS files' metafile
// previews) are read without being drawn, so no renderer is needed. Throws
// what loadPicture throws. Gives the picture's natural size; 0 x 0 for a
// metafile, whose size only drawing it settles.
struct NaturalSize {
    int width = 0;
    int height = 0;
};
NaturalSize checkPicture(const std::string& fsPath, const std::string& shownName);

// Forgets every cached picture (pictures still shown stay alive with their
// controls). For tests and benchmarks that must decode afresh.
void clearPictureCache();

} // namespace taleplay::pictures
