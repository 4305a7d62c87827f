// The sound and video declarations of a screen's pictures file.
#include "scene/sound_video.h"

#include "core/paths.h"
#include "descr/File_functions.h"
#include "descr/placement.h"
#include "game/game.h"

namespace taleplay {
namespace {

// One side of the video window, as other components' sides are read, else
// the default. Positions: likewise, and a window no key places is centred,
// so it can never stand at the very edge.
int videoSize(const std::string& file, Axis axis, int reference, int fallback) {
    const int v = resolveSize(file, "*videoscreen", axis, reference);
    return v == 0 ? fallback : v;
}

int videoPosition(const std::string& file, Axis axis, int reference, int size) {
    const int v = resolvePosition(file, "*videoscreen", axis, reference, size);
    return v == 0 ? centredPosition(reference, size) : v;
}

} // namespace

void DeclareSound(Game& game, const std::string& file) {
    if (!paths::fileExists(file))
        return;
    const std::string name = keyValue(file, "*sound*");
    if (!name.empty() && paths::fileExists(game.state.dataFolder + name))
        game.PlayAudio(game.state.dataFolder + name);
}

void DeclareVideo(Game& game, const std::string& file) {
    if (!paths::fileExists(file))
        return;
    const std::string name = keyValue(file, "*video*");
    const std::string full = game.state.dataFolder + name;
    if (!name.empty() && !paths::fileExists(full))
        MissingFileReport(game, name, Halt::No);

    VideoControl& w = *game.VideoWindow1;
    const int cw = game.clientWidth(), ch = game.clientHeight();
    w.resize(videoSize(file, Axis::Horizontal, cw, cw / 4), w.height());
    w.resize(w.width(), videoSize(file, Axis::Vertical, ch, ch / 4));
    w.move(w.x(), videoPosition(file, Axis::Vertical, ch, w.height()));
    w.move(videoPosition(file, Axis::Horizontal, cw, w.width()), w.y());

    const bool hold = flagSet(file, "*videoscreenvisible*no#");
    if (!name.empty()) {
        game.state.videoFile = full; // also when the file is missing
        if (paths::fileExists(full) && !hold)
            game.PlayVideo();
    }
}

void DeclareEndVideo(Game& game, const std::string& file) {
    if (!paths::fileExists(file))
        return;
    const std::string name = keyValue(file, "*video*");
    const std::string full = game.state.dataFolder + name;
    const bool exists = !name.empty() && paths::fileExists(full);
    if (!name.empty() && !exists)
        MissingFileReport(game, name, Halt::No);
    if (!exists)
        return;

    // Each side goes to the window at once, and the fallback tests the
    // window (which makes a negative side 0): a side no key gives stays 0 for
    // PlayVideo to fill in. The edges are read as other components' are; one
    // no key gives stays 0. Every value stays within reach, so that an edge
    // (position plus size) fits an int.
    VideoControl& w = *game.VideoWindow1;
    const int cw = game.clientWidth(), ch = game.clientHeight();
    w.resize(withinReach(divisionValue(file, "*videoscreen*widthindivision*", cw).value),
             w.height());
    if (w.width() == 0)
        w.resize(withinReach(pixelValue(file, "*videoscreen*widthinpixels*")), w.height());
    w.resize(w.width(),
             withinReach(divisionValue(file, "*videoscreen*heightindivision*", ch).value));
    if (w.height() == 0)
        w.resize(w.width(), withinReach(pixelValue(file, "*videoscreen*heightinpixels*")));
    w.move(w.x(), resolvePosition(file, "*videoscreen", Axis::Vertical, ch, w.height()));
    w.move(resolvePosition(file, "*videoscreen", Axis::Horizontal, cw, w.width()), w.y());

    const bool hold = flagSet(file, "*videoscreenvisible*no#");
    game.state.videoFile = full;
    if (!hold)
        game.PlayVideo();
}

} // namespace taleplay
