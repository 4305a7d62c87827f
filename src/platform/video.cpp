// The video graph over Qt Multimedia: frames into the video control.
#include "platform/video.h"

#include "platform/controls.h"
#include "platform/media_probe.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>
#include <mutex>

namespace taleplay {
namespace {

constexpr int kRenderWaitMs = 2000;

// Qt's player warns about a file it cannot decode in words of its own; the
// player writes one line that names the file and what is missing instead.
QLoggingCategory::CategoryFilter qtFilter = nullptr;
void quietPlayerWarnings(QLoggingCategory* category) {
    if (qtFilter)
        qtFilter(category);
    if (qstrcmp(category->categoryName(), "qt.multimedia.player") == 0)
        category->setEnabled(QtWarningMsg, false);
}

template <class Done> void waitFor(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < kRenderWaitMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
}

} // namespace

FilterGraph::FilterGraph(VideoControl& window, QObject* parent)
    : QObject(parent), window_(window) {}

// The media player is made when a video is first rendered: most games have
// none, and making one loads the whole media stack.
QMediaPlayer& FilterGraph::player() {
    if (player_)
        return *player_;
    platform::startMediaFramework();
    static std::once_flag quiet;
    std::call_once(quiet, [] { qtFilter = QLoggingCategory::installFilter(quietPlayerWarnings); });
    player_ = std::make_unique<QMediaPlayer>();
    sink_ = std::make_unique<QVideoSink>();
    player_->setVideoOutput(sink_.get());
    // The video's sound plays with it where there is a device to play it on.
    if (!QMediaDevices::audioOutputs().isEmpty()) {
        audio_ = std::make_unique<QAudioOutput>();
        player_->setAudioOutput(audio_.get());
    }
    connect(sink_.get(), &QVideoSink::videoFrameChanged, this, &FilterGraph::onFrame);
    connect(player_.get(), &QMediaPlayer::playbackStateChanged, this,
            [this] { window_.setPlaying(playing()); });
    connect(player_.get(), &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus s) {
                if (s != QMediaPlayer::LoadedMedia || !playWhenLoaded_)
                    return;
                playWhenLoaded_ = false;
                rendered_ = true;
                player_->setPosition(0);
                player_->play();
            });
    return *player_;
}

FilterGraph::~FilterGraph() {
    if (player_)
        player_->stop();
    window_.setPlaying(false);
}

void FilterGraph::onFrame() {
    const QVideoFrame frame = sink_->videoFrame();
    if (!frame.isValid())
        return;
    if (!size_.isValid() || size_.isEmpty())
        size_ = frame.size();
    window_.setFrame(frame.toImage());
}

void FilterGraph::clearGraph() {
    if (player_) {
        player_->stop();
        player_->setSource(QUrl());
    }
    size_ = QSize();
    rendered_ = false;
    playWhenLoaded_ = false;
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
    player().setSource(QUrl::fromLocalFile(QString::fromStdString(fsPath)));
    waitFor([this] {
        auto s = player_->mediaStatus();
        return s == QMediaPlayer::LoadedMedia || s == QMediaPlayer::InvalidMedia ||
               player_->error() != QMediaPlayer::NoError;
    });
    rendered_ = player_->mediaStatus() == QMediaPlayer::LoadedMedia;
    const bool refused = player_->mediaStatus() == QMediaPlayer::InvalidMedia ||
                         player_->error() != QMediaPlayer::NoError;
    if (refused || (rendered_ && !player_->hasVideo())) {
        // Nothing is reported to the player. Qt only says that it cannot;
        // the media framework itself can name what this machine lacks, for
        // the author to read.
        if (const std::string why = platform::whyUnplayable(fsPath, kRenderWaitMs); !why.empty())
            platform::reportUnplayable(fsPath, why);
        return;
    }
    if (!rendered_)
        return;
    // Paused, the pipeline decodes its first picture, which tells the size.
    player_->pause();
    waitFor([this] { return size_.isValid() && !size_.isEmpty(); });
}

bool FilterGraph::getVideoSize(int& width, int& height) const {
    if (!rendered_ || !size_.isValid() || size_.isEmpty())
        return false;
    width = size_.width();
    height = size_.height();
    return true;
}

void FilterGraph::play() {
    if (!player_)
        return; // nothing was rendered
    if (!rendered_) {
        if (player_->mediaStatus() == QMediaPlayer::LoadingMedia)
            playWhenLoaded_ = true;
        return;
    }
    // From the beginning, also when this file was playing already.
    player_->setPosition(0);
    player_->play();
}

void FilterGraph::stop() {
    if (player_)
        player_->stop();
}

bool FilterGraph::playing() const {
    return player_ && player_->playbackState() == QMediaPlayer::PlayingState;
}

qint64 FilterGraph::position() const {
    return player_ ? player_->position() : 0;
}

} // namespace taleplay
