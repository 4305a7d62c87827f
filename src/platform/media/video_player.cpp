// Video over Qt Multimedia: frames to the player's video window.
#include "platform/media/module_parts.h"

#include "platform/media/media_probe.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QSize>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>
#include <mutex>

namespace taleplay::media {
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

class Player final : public VideoPlayer {
  public:
    explicit Player(VideoScreen screen) : screen_(std::move(screen)) {
        startMediaFramework();
        static std::once_flag quiet;
        std::call_once(quiet,
                       [] { qtFilter = QLoggingCategory::installFilter(quietPlayerWarnings); });
        player_.setVideoOutput(&sink_);
        // The video's sound plays with it where there is a device to play it on.
        if (hasAudioDevice()) {
            audio_ = std::make_unique<QAudioOutput>();
            player_.setAudioOutput(audio_.get());
        }
        QObject::connect(&sink_, &QVideoSink::videoFrameChanged, &sink_, [this] { onFrame(); });
        QObject::connect(&player_, &QMediaPlayer::playbackStateChanged, &player_,
                         [this] { screen_.setPlaying(playing()); });
        QObject::connect(&player_, &QMediaPlayer::mediaStatusChanged, &player_,
                         [this](QMediaPlayer::MediaStatus s) {
                             if (s != QMediaPlayer::LoadedMedia || !playWhenLoaded_)
                                 return;
                             playWhenLoaded_ = false;
                             rendered_ = true;
                             player_.setPosition(0);
                             player_.play();
                         });
    }

    ~Player() override {
        // The screen may be going too: it hears nothing more.
        QObject::disconnect(&sink_, nullptr, &sink_, nullptr);
        QObject::disconnect(&player_, nullptr, &player_, nullptr);
        player_.stop();
    }

    void clear() override {
        player_.stop();
        player_.setSource(QUrl());
        size_ = QSize();
        rendered_ = false;
        playWhenLoaded_ = false;
        screen_.showFrame(QImage());
        screen_.setPlaying(false);
    }

    void render(const std::string& fsPath) override {
        player_.setSource(QUrl::fromLocalFile(QString::fromStdString(fsPath)));
        waitFor([this] {
            auto s = player_.mediaStatus();
            return s == QMediaPlayer::LoadedMedia || s == QMediaPlayer::InvalidMedia ||
                   player_.error() != QMediaPlayer::NoError;
        });
        rendered_ = player_.mediaStatus() == QMediaPlayer::LoadedMedia;
        const bool refused = player_.mediaStatus() == QMediaPlayer::InvalidMedia ||
                             player_.error() != QMediaPlayer::NoError;
        if (refused || (rendered_ && !player_.hasVideo())) {
            // Nothing is reported to the player. Qt only says that it cannot;
            // the media framework itself can name what this machine lacks,
            // for the author to read.
            if (const std::string why = whyUnplayable(fsPath, kRenderWaitMs); !why.empty())
                reportUnplayable(fsPath, why);
            return;
        }
        if (!rendered_)
            return;
        // Paused, the pipeline decodes its first picture, which tells the size.
        player_.pause();
        waitFor([this] { return size_.isValid() && !size_.isEmpty(); });
    }

    bool videoSize(int& width, int& height) const override {
        if (!rendered_ || !size_.isValid() || size_.isEmpty())
            return false;
        width = size_.width();
        height = size_.height();
        return true;
    }

    void play() override {
        if (!rendered_) {
            // Asked to play while the file was still loading (a slow
            // machine): it starts as soon as the file is loaded.
            if (player_.mediaStatus() == QMediaPlayer::LoadingMedia)
                playWhenLoaded_ = true;
            return;
        }
        // From the beginning, also when this file was playing already.
        player_.setPosition(0);
        player_.play();
    }

    void stop() override { player_.stop(); }

    bool playing() const override {
        return player_.playbackState() == QMediaPlayer::PlayingState;
    }

    std::int64_t position() const override { return player_.position(); }

  private:
    void onFrame() {
        const QVideoFrame frame = sink_.videoFrame();
        if (!frame.isValid())
            return;
        if (!size_.isValid() || size_.isEmpty())
            size_ = frame.size();
        screen_.showFrame(frame.toImage());
    }

    VideoScreen screen_;
    QMediaPlayer player_;
    QVideoSink sink_;
    std::unique_ptr<QAudioOutput> audio_;
    QSize size_;
    bool rendered_ = false;
    bool playWhenLoaded_ = false;
};

} // namespace

std::unique_ptr<VideoPlayer> makeVideoPlayer(VideoScreen screen) {
    return std::make_unique<Player>(std::move(screen));
}

} // namespace taleplay::media
