// The sound and video declarations of a screen's pictures file.
#include "scene/sound_video.h"

#include "core/paths.h"
#include "descr/File_functions.h"
#include "descr/placement.h"
#include "game/game.h"

namespace taleplay {
namespace {

// One side of the video window: division value, then pixels, then the
// default. Positions: a centre mark centres, 0 falls back to pixels, and
// still 0 centres too, so the window can never stand at the very edge.
// Both stay within reach, so that an edge (position plus size) fits an int.
int videoSize(const std::string& file, const char* axis, int reference, int fallback) {
    const std::string stem = std::string("*videoscreen*") + axis;
    int v = divisionValue(file, stem + "indivision*", reference).value;
    if (v == 0)
        v = pixelValue(file, stem + "inpixels*");
    return withinReach(v == 0 ? fallback : v);
}

int videoPosition(const std::string& file, const char* axis, int reference, int size) {
    const std::string stem = std::string("*videoscreen*") + axis;
    const int centred = centredPosition(reference, size);
    DivisionValue d = divisionValue(file, stem + "indivision*", reference);
    int v = d.centre ? centred : d.value;
    if (v == 0)
        v = pixelValue(file, stem + "inpixels*");
    return withinReach(v == 0 ? centred : v);
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
    w.resize(videoSize(file, "width", cw, cw / 4), w.height());
    w.resize(w.width(), videoSize(file, "height", ch, ch / 4));
    w.move(w.x(), videoPosition(file, "top", ch, w.height()));
    w.move(videoPosition(file, "left", cw, w.width()), w.y());

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

    // Each value goes to the window at once, and the fallbacks test the
    // window: a side no key gives stays 0 for PlayVideo to fill in, an edge
    // no key gives stays 0. Every value stays within reach, so that an edge
    // (position plus size) fits an int.
    VideoControl& w = *game.VideoWindow1;
    const int cw = game.clientWidth(), ch = game.clientHeight();
    auto pixels = [&](const char* key) { return withinReach(pixelValue(file, key)); };
    auto divisions = [&](const char* key, int reference) {
        DivisionValue d = divisionValue(file, key, reference);
        d.value = withinReach(d.value);
        return d;
    };
    w.resize(divisions("*videoscreen*widthindivision*", cw).value, w.height());
    if (w.width() == 0)
        w.resize(pixels("*videoscreen*widthinpixels*"), w.height());
    w.resize(w.width(), divisions("*videoscreen*heightindivision*", ch).value);
    if (w.height() == 0)
        w.resize(w.width(), pixels("*videoscreen*heightinpixels*"));
    DivisionValue top = divisions("*videoscreen*topindivision*", ch);
    w.move(w.x(), top.centre ? centredPosition(ch, w.height()) : top.value);
    if (w.y() == 0)
        w.move(w.x(), pixels("*videoscreen*topinpixels*"));
    DivisionValue left = divisions("*videoscreen*leftindivision*", cw);
    w.move(left.centre ? centredPosition(cw, w.width()) : left.value, w.y());
    if (w.x() == 0)
        w.move(pixels("*videoscreen*leftinpixels*"), w.y());

    const bool hold = flagSet(file, "*videoscreenvisible*no#");
    game.state.videoFile = full;
    if (!hold)
        game.PlayVideo();
}

} // namespace taleplay
