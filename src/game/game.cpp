// The game's own controls and its reports.
#include "game/game.h"

#include <algorithm>

namespace taleplay {

Game::Game(QWidget& window, GameWindow& events) : events_(events), host_(window) {
    ImageServant = &host_.createImage("ImageServant");
    LabelServant = &host_.createLabel("LabelServant");
    VideoWindow1 = &host_.createVideo("VideoWindow1");
    FilterGraph1 = new FilterGraph(*VideoWindow1, &window);
    setResourceState();
}

void Game::setResourceState() {
    ImageServant->clearPicture();
    ImageServant->setGeometry(0, 0, 65, 37);
    ImageServant->setStretch(false);
    ImageServant->setAutoSize(true);
    ImageServant->setTransparent(true);
    ImageServant->hide();

    LabelServant->move(0, 0);
    FontSpec servantFont;
    servantFont.height = 23;
    LabelServant->setFont(servantFont);
    LabelServant->setCaption("LabelServant");
    LabelServant->hide();

    VideoWindow1->setGeometry(24, 136, 65, 57);
    VideoWindow1->setFile({});
    VideoWindow1->hide();
}

void Game::reset() {
    rebuildsAt_.push_back(messages_.size());
    StopVideo();
    FilterGraph1->clearGraph();
    stopSound();

    // From the last control to the first, as the end screen goes; the
    // window resource's own stay and get their first state back.
    const std::vector<Control*> all = host_.controls();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        Control* c = *it;
        if (c != ImageServant && c != LabelServant && c != VideoWindow1)
            host_.destroy(*c);
    }
    tables = ComponentTables{};
    forgetRefusedPictures();
    host_.setColour(clBtnFace);
    setResourceState();
    // Stacked as at the start: the video window at the bottom of its layer,
    // and that layer above the painted one.
    host_.sendToBack(*VideoWindow1);

    // Where the result file goes was decided before the game started.
    ProgramState fresh;
    fresh.resultFolder = std::move(state.resultFolder);
    fresh.resultTable = state.resultTable;
    state = std::move(fresh);
}

void Game::releaseMedia() {
    // The graph first (it stops any video), then the audio library.
    delete FilterGraph1;
    FilterGraph1 = nullptr;
    audio_.free();
}

void Game::refusePicture(const PictureBudgetError& refusal) {
    std::string told = refusal.file();
    if (const auto& c = refusal.component())
        told += '\n' + c->english();
    if (std::find(refusalsTold_.begin(), refusalsTold_.end(), told) != refusalsTold_.end())
        return;
    refusalsTold_.push_back(std::move(told));
    refusals_.push_back(refusal);
}

std::vector<PictureBudgetError> Game::takeRefusedPictures() {
    return std::exchange(refusals_, {});
}

void MissingFileReport(Game& game, const std::string& path, Halt halt) {
    game.window().reportMissingFile(path, halt);
}

} // namespace taleplay
