// The start-up sequence: fixes the data folder and builds the play screen.
#include "app/taleforge_error.h"
#include "app/taleforge_main.h"
#include "core/paths.h"
#include "descr/Stroki_functions.h"
#include "scene/look_ahead.h"
#include "scene/taleforge_serv_backpic.h"
#include "scene/taleforge_serv_edits.h"
#include "scene/taleforge_serv_knopki.h"
#include "scene/taleforge_serv_nadpisi.h"

namespace taleplay {

namespace {

bool endsWithExeInAnyCase(const std::string& name) {
    return name.size() > 4 && asciiLowerCase(name.substr(name.size() - 4)) == ".exe";
}

} // namespace

void TForm1::StartUp(Halt whenFolderMissing) {
    ProgramState& state = game_.state;
    // Native, both: the folder and the started name are the file system's
    // bytes and stay so; only game names appended later are Windows-1251.
    // A separator is appended even to the root, giving "//", which the file
    // system takes as "/".
    state.workingFolder = paths::currentFolder() + paths::kSeparator;
    state.programFileName = paths::lastComponent(startedAs_);
    // Case-sensitive on purpose: GAME.EXE keeps its extension.
    const std::string name = replaceAll(".exe", "", state.programFileName);
    state.dataFolder = state.workingFolder + "data_" + name + paths::kSeparator;
    // Only when that folder is missing: a copy named GAME.EXE may still
    // play data_GAME.
    if (endsWithExeInAnyCase(name)) {
        const std::string plain =
            state.workingFolder + "data_" + name.substr(0, name.size() - 4) + paths::kSeparator;
        paths::setNativeFolders({state.workingFolder, state.dataFolder, plain});
        if (!paths::folderExists(state.dataFolder) && paths::folderExists(plain))
            state.dataFolder = plain;
    }
    paths::setNativeFolders({state.workingFolder, state.dataFolder});

    if (!paths::folderExists(state.dataFolder)) {
        MissingFileReport(game_, state.dataFolder, whenFolderMissing);
        return; // only when the report did not end the program
    }

    state.start = StartRequest{};
    state.pauseCounter = 0;

    // The order is also the creation order of the components, and so their
    // stacking order within each layer. The pictures are decoded ahead on
    // the other cores meanwhile.
    const auto ahead =
        DecodeAhead(game_, PictureScreen{state.dataFolder + "allbackpictures.txt", ""},
                    state.dataFolder + "allbuttons.txt");
    BuildBackground(game_);
    BuildTexts(game_);
    BuildTextWindows(game_);
    BuildButtons(game_);
}

void TForm1::Rebuild() {
    if (!startUpDone_)
        return; // the first start-up is still to come, or under way
    // A click still running (clicks nest through `pause`) or a modal window
    // open must not find its screen gone under it.
    if (handlingEvent()) {
        rebuildWaiting_ = true;
        return;
    }
    runEvent([this] {
        game_.reset();
        StartUp(Halt::No);
    });
    emit screenBuilt();
}

} // namespace taleplay
