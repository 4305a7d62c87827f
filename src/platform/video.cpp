// The video graph over the media module's player: frames into the video control.
#include "platform/video.h"

#include "platform/controls.h"
#include "platform/media_module.h"

#include <QImage>

namespace taleplay {

FilterGraph::FilterGraph(VideoControl& window, QObject* parent)
    : QObject(parent), window_(window) {}

FilterGraph::~FilterGraph() {
    player_.reset();
    window_.setPlaying(false);
}

media::VideoPlayer* FilterGraph::player() {
    if (player_)
        return player_.get();
    const media::Module* module = platform::mediaModule();
    if (!module)
        return nullptr;
    VideoControl* window = &window_;
    player_ = module->makeVideoPlayer(media::VideoScreen{
        [window](const QImage& frame) { window->setFrame(frame); },
        [window](bool playing) { window->setPlaying(playing); },
    });
    return player_.get();
}

void FilterGraph::clearGraph() {
    if (player_)
        player_->clear();
    window_.setFrame(QImage());
    window_.setPlaying(false);
}

void FilterGraph::setActive(bool on) {
    active_ = on;
    if (!on)
        stop();
}

void FilterGraph::renderFile(const std::string& fsPath, const std::string& shownName) {
    window_.setFile(shownName);
    if (media::VideoPlayer* p = player())
        p->render(fsPath);
}

bool FilterGraph::getVideoSize(int& width, int& height) const {
    return player_ && player_->videoSize(width, height);
}

void FilterGraph::play() {
    if (player_) // else nothing was rendered
        player_->play();
}

void FilterGraph::stop() {
    if (player_)
        player_->stop();
}

bool FilterGraph::playing() const {
    return player_ && player_->playing();
}

qint64 FilterGraph::position() const {
    return player_ ? player_->position() : 0;
}

} // namespace taleplay
