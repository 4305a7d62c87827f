// The game's own controls and its reports.
#include "game/game.h"

namespace taleplay {

Game::Game(QWidget& window, GameWindow& events) : events_(events), host_(window) {
    ImageServant = &host_.createImage("ImageServant");
    ImageServant->setGeometry(0, 0, 65, 37);
    ImageServant->setAutoSize(true);
    ImageServant->setTransparent(true);
    ImageServant->hide();

    LabelServant = &host_.createLabel("LabelServant");
    LabelServant->move(0, 0);
    FontSpec servantFont;
    servantFont.height = 23;
    LabelServant->setFont(servantFont);
    LabelServant->setCaption("LabelServant");
    LabelServant->hide();

    VideoWindow1 = &host_.createVideo("VideoWindow1");
    VideoWindow1->setGeometry(24, 136, 65, 57);
    VideoWindow1->hide();
    FilterGraph1 = new FilterGraph(*VideoWindow1, &window);
}

void Game::releaseMedia() {
    // The graph first (it stops any video), then the audio library.
    delete FilterGraph1;
    FilterGraph1 = nullptr;
    audio_.free();
}

void MissingFileReport(Game& game, const std::string& path, Halt halt) {
    game.window().reportMissingFile(path, halt);
}

} // namespace taleplay
