// The end screen switch, the result file and the end screens' builders.
#include "endscreen/taleforge_serv_URA.h"

#include "core/files.h"
#include "core/paths.h"
#include "core/results.h"
#include "descr/File_functions.h"
#include "descr/Stroki_functions.h"
#include "descr/colour_values.h"
#include "game/game.h"
#include "scene/look_ahead.h"
#include "scene/sound_video.h"
#include "scene/taleforge_serv_backpic.h"
#include "scene/taleforge_serv_knopki.h"
#include "scene/taleforge_serv_nadpisi.h"

namespace taleplay {

std::string ResultFileName(const std::string& programFileName) {
    return replaceAll(".exe", "", "mark for " + programFileName + ".txt");
}

namespace {

// NAME of the data folder data_NAME/, for the shared table.
std::string gameName(const ProgramState& state) {
    std::string folder = state.dataFolder;
    while (!folder.empty() && folder.back() == paths::kSeparator)
        folder.pop_back();
    const std::string last = paths::lastComponent(folder);
    return last.rfind("data_", 0) == 0 ? last.substr(5) : last;
}

} // namespace

std::string ResultFilePath(const Game& game) {
    const std::string name = ResultFileName(game.state.programFileName);
    if (const auto shared = results::sharedFolder())
        return results::markFilePath(*shared, name);
    // The working folder is the current folder, where the original's
    // relative name put the file.
    const std::string& own =
        game.state.resultFolder.empty() ? game.state.workingFolder : game.state.resultFolder;
    return paths::resolveIn(own, name).path;
}

void WriteResultFile(const Game& game) {
    const std::string mark = game.state.victory ? "5" : "2";
    const std::string name = ResultFileName(game.state.programFileName);
    if (const auto shared = results::sharedFolder()) {
        results::recordInResultsFolder(*shared, name, gameName(game.state), mark);
        return;
    }
    if (game.state.resultTable && !game.state.resultFolder.empty()) {
        results::record(game.state.resultFolder, name, gameName(game.state), mark);
        return;
    }
    files::overwriteFile(ResultFilePath(game), mark + "\r\n");
}

void SendResult(Game& game) {
    const std::optional<std::string> database = results::database();
    if (!database)
        return;
    game.window().sendResult(resultsdb::unsentNow(*database, gameName(game.state),
                                                  game.state.victory ? 5 : 2,
                                                  results::gameVersion(game.state.dataFolder)));
}

void BuildEndScreen(Game& game) {
    const std::string& pictures = game.state.endPicturesFile;
    const PictureScreen screen{pictures, "ura", /*largeBackgroundKeyAnyCase=*/true};
    const auto ahead = DecodeAhead(game, screen, pictures);
    BuildBackgroundTiles(game, screen);
    BuildLargeBackground(game, screen);
    BuildFrames(game, screen);
    BuildPictures(game, screen);
    BuildCorners(game, screen);
    // 25 texts, the label table from entry 0, and no narrowing at the right
    // edge: an end-screen line may run past it.
    BuildTextLines(game, TextLineSource{game.state.endTextsFile, "uraTLine", 25, false});
    BuildImageButtons(game, pictures, ButtonSet::EndScreen);
    DeclareSound(game, pictures);
    DeclareEndVideo(game, pictures);
}

void ShowEndScreen(Game& game) {
    ProgramState& state = game.state;
    ComponentTables& tables = game.tables;
    Control* clicked = controlOf(state.clickedControl.data());

    // 1, 2: the video stops and the result is written before anything of
    // the play screen goes; a failure to write leaves the game where it is.
    game.FilterGraph1->stop();
    game.FilterGraph1->setActive(false);
    if (game.VideoWindow1->isVisible())
        game.VideoWindow1->hide();
    WriteResultFile(game);
    // Only once the file is there: a file that could not be written keeps
    // the game on the play screen, and the click again must not send twice.
    SendResult(game);

    // 3
    state.endPicturesFile =
        state.dataFolder + (state.victory ? "victorypictures.txt" : "lostpictures.txt");
    state.endTextsFile = state.dataFolder + (state.victory ? "victorytexts.txt" : "losttexts.txt");

    // 4: from the last control to the first. A button whose click is still
    // being handled (clicks nest through `pause`) leaves the window now and
    // is deleted once its handling has returned.
    const std::vector<Control*> all = game.host().controls();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        Control* c = *it;
        if (c == game.ImageServant || c == game.LabelServant || c == game.VideoWindow1 ||
            c == clicked)
            continue;
        game.host().destroy(*c);
    }
    // No play-screen number may name something afterwards: the tables the
    // end screen fills start empty, the others no longer name anything.
    // The button table stays, so the kept clicked button is still found;
    // the end buttons' table is rebuilt by the new screen, which may have a
    // button of the kept one's number.
    tables.pictures.clear();
    tables.shapes.clear();
    tables.labels.clear();
    tables.texts.clear();
    tables.lists.clear();
    tables.textWindows.clear();
    tables.backgroundTiles.clear();
    tables.largeBackground.clear();
    tables.frames.clear();
    tables.corners.clear();
    tables.endButtons.clear();

    // 5, 6: the clicked button stays, hidden, until its handlers return, but
    // gives its name up, so a new end screen can build a button of the same
    // name ("play again") and nothing finds the old one in its place.
    game.VideoWindow1->hide();
    if (clicked)
        game.host().setAside(*clicked);

    // 7: without a colour of its own the end screen keeps the play screen's.
    const std::string colour = keyValue(state.endPicturesFile, "*screencolor*");
    if (!colour.empty())
        game.host().setColour(convertColour(colour));

    // 8
    game.forgetRefusedPictures();
    BuildEndScreen(game);
}

} // namespace taleplay
