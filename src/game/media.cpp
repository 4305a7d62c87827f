// Video and sound playback.
#include "core/paths.h"
#include "descr/placement.h"
#include "game/game.h"

#include <cstdlib>

namespace taleplay {

void Game::PlayVideo() {
    VideoControl& w = *VideoWindow1;
    // Whether the window stands centred is noted before anything changes;
    // within 6 pixels counts as centred.
    auto centreTop = [&] { return roundHalfEven((clientHeight() - w.height()) / 2.0L); };
    auto centreLeft = [&] { return roundHalfEven((clientWidth() - w.width()) / 2.0L); };
    const bool vCentred = std::abs(w.y() - centreTop()) < 7;
    const bool hCentred = std::abs(w.x() - centreLeft()) < 7;

    FilterGraph1->clearGraph();
    FilterGraph1->setActive(true);
    FilterGraph1->renderFile(paths::resolve(state.videoFile), state.videoFile);

    // Without a size from the file (no picture, or it failed to render) a
    // zero side stays as it is: there is nothing to keep in proportion.
    int vw = 0, vh = 0;
    if (FilterGraph1->getVideoSize(vw, vh) && vw > 0 && vh > 0) {
        if (w.height() == 0 && w.width() == 0) {
            w.resize(vw, vh);
            if (vCentred)
                w.move(w.x(), centreTop());
            if (hCentred)
                w.move(centreLeft(), w.y());
        }
        if (w.height() == 0) {
            w.resize(w.width(), roundHalfEven(static_cast<long double>(w.width()) * vh / vw));
            if (vCentred)
                w.move(w.x(), centreTop());
        }
        if (w.width() == 0) {
            w.resize(roundHalfEven(static_cast<long double>(w.height()) * vw / vh), w.height());
            if (hCentred)
                w.move(centreLeft(), w.y());
        }
    }
    if (w.isHidden())
        w.show();
    FilterGraph1->play();
}

void Game::StopVideo() {
    FilterGraph1->stop();
    FilterGraph1->setActive(false);
    if (!VideoWindow1->isHidden())
        VideoWindow1->hide();
}

void Game::stopSound() {
    if (soundStream_ == 0)
        return;
    audio_.channelStop(soundStream_);
    audio_.streamFree(soundStream_);
    soundStream_ = 0;
}

void Game::PlayAudio(const std::string& fullPath) {
    if (soundStream_ != 0) {
        audio_.channelStop(soundStream_);
        audio_.streamFree(soundStream_);
    }
    // A sound that fails to open leaves none playing.
    soundStream_ = audio_.streamCreateFile(paths::resolve(fullPath));
    if (soundStream_ != 0)
        audio_.channelPlay(soundStream_, false);
}

} // namespace taleplay
