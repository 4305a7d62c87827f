#pragma once
// Loading a picture file by its extension, with a cache so that each file is
// decoded once for each size it is kept at however many controls and
// measurements use it, and its decoding ahead on the machine's other cores.
#include "pictures/picture.h"

#include <memory>
#include <string>
#include <vector>

namespace taleplay::pictures {

// The extension of a file name as the picture loader sees it: the text after
// the last '.' of its last component, as written (may be empty).
std::string extensionOf(const std::string& name);

// Loads the picture at `fsPath` (a resolved path) for a control that shows
// it as `shown`; `shownName` is the name as the program composed it, for
// messages and for finding the palette file of a Dr. Halo picture (the same
// name with .pal). A picture shown smaller than it is comes kept at the size
// shown (pictures/resample.h); its natural size is the file's. Throws
// PictureError "Unknown picture file extension (.EXT)" for an extension not
// in the list, PictureError from the decoder for a damaged file,
// PictureBudgetError when the pixels kept would pass the budget of all
// pictures, InOutError when the file cannot be read. A file changed on disk
// since the last load is decoded anew.
std::shared_ptr<const Picture> loadPicture(const std::string& fsPath, const std::string& shownName,
                                           const Shown& shown = {});

// The picture's natural size, upright, as loadPicture would give it: read
// from the file's header where its format has one that settles it (JPEG,
// PNG, GIF, TIFF), decoded otherwise. Throws what loadPicture throws; a
// damaged file whose header reads well throws only when it is loaded.
Extent naturalSize(const std::string& fsPath, const std::string& shownName);

// The natural size as naturalSize gives it when it needs no decoding (known
// already, or read from the header); nothing otherwise. Throws InOutError
// when the file cannot be read.
std::optional<Extent> naturalSizeIfKnown(const std::string& fsPath, const std::string& shownName);

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

// Pictures a screen is about to load, decoded on the machine's other cores
// while the builders go on: a loadPicture of the same file for the same use
// takes the picture decoded ahead, waits for it if it is under way, or
// decodes it itself if no core has started it yet; so the pictures come out
// exactly as loaded one after another, and a picture that fails is loaded
// again where it is asked for, to fail there. The pictures decoded stay
// while this object lives; it waits for any under way when it goes.
class Prefetch {
  public:
    Prefetch();
    ~Prefetch();
    Prefetch(const Prefetch&) = delete;
    Prefetch& operator=(const Prefetch&) = delete;

    // Starts decoding the picture for `shown`. Formats drawn through Qt
    // (metafiles and EPS previews) and files that are not there are left
    // to loadPicture.
    void add(const std::string& fsPath, const std::string& shownName, const Shown& shown);
    // How many were started.
    std::size_t size() const;

    struct Job;

  private:
    std::vector<std::shared_ptr<Job>> jobs_;
};

// How many threads decode ahead: -1 (as it starts) for the cores but one,
// at least one and at most four; 0 makes every load decode where it is
// asked for. For tests and benchmarks.
void setPrefetchThreads(int threads);

} // namespace taleplay::pictures
