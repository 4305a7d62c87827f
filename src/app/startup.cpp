// The start-up sequence: fixes the data folder and builds the play screen.
#include "app/taleforge_error.h"
#include "app/taleforge_main.h"
#include "core/codepage.h"
#include "core/paths.h"
#include "descr/Stroki_functions.h"
#include "scene/taleforge_serv_backpic.h"
#include "scene/taleforge_serv_edits.h"
#include "scene/taleforge_serv_knopki.h"
#include "scene/taleforge_serv_nadpisi.h"

namespace taleplay {

void TForm1::StartUp() {
    ProgramState& state = game_.state;
    // A separator is appended even to the root, giving "//", which the file
    // system takes as "/".
    state.workingFolder = paths::currentFolder() + paths::kSeparator;
    state.programFileName = cp1251::fromUtf8(paths::lastComponent(startedAs_));
    // Case-sensitive on purpose: GAME.EXE keeps its extension.
    state.dataFolder = state.workingFolder + "data_" +
                       replaceAll(".exe", "", state.programFileName) + paths::kSeparator;

    if (!paths::folderExists(state.dataFolder))
        MissingFileReport(game_, state.dataFolder, Halt::Yes);

    state.start = StartRequest{};
    state.pauseCounter = 0;

    // The order is also the creation order of the components, and so their
    // stacking order within each layer.
    BuildBackground(game_);
    BuildTexts(game_);
    BuildTextWindows(game_);
    BuildButtons(game_);
}

} // namespace taleplay
