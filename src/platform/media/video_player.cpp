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
#include <sys/stat.h>

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

// What tells one version of a file from another: a file replaced or
// rewritten since it was loaded is loaded again.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const std::string& fsPath) {
    struct stat st;
    if (::stat(fsPath.c_str(), &st) != 0)
        return {};
    return {st.st_dev, st.st_ino, st.st_size,
            std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
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

    // The file stays loaded, stopped and out of sight: showing the same
    // video again (every click of a button that shows it, every rebuild of
    // a screen with one) then needs no new load. Each load of Qt's GStreamer
    // player can, rarely, deadlock between its own threads (its seek to the
    // start races the decoder being connected), and a load is the slowest
    // part of showing a video besides.
    void clear() override {
        player_.stop();
        shown_ = false;
        playWhenLoaded_ = false;
        screen_.showFrame(QImage());
        screen_.setPlaying(false);
    }

    void render(const std::string& fsPath) override {
        shown_ = true;
        if (rendered_ && player_.hasVideo() && player_.error() == QMediaPlayer::NoError &&
            fsPath == loadedPath_ && stampOf(fsPath) == loadedStamp_) {
            // Loaded already and unchanged on disk: its first picture again.
            player_.pause();
            player_.setPosition(0);
            screen_.showFrame(firstFrame_);
            return;
        }
        loadedPath_ = fsPath;
        loadedStamp_ = stampOf(fsPath);
        size_ = QSize();
        firstFrame_ = QImage();
        rendered_ = false;
        const QUrl url = QUrl::fromLocalFile(QString::fromStdString(fsPath));
        if (player_.source() == url) // Qt's player ignores the same source again
            player_.setSource(QUrl());
        player_.setSource(url);
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
        if (!shown_ || !rendered_ || !size_.isValid() || size_.isEmpty())
            return false;
        width = size_.width();
        height = size_.height();
        return true;
    }

    void play() override {
        if (!shown_) // cleared since: nothing to play
            return;
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
        // A cleared window shows nothing, also a picture the stopped
        // pipeline still delivers.
        if (!shown_)
            return;
        const QImage image = frame.toImage();
        if (!size_.isValid() || size_.isEmpty()) {
            size_ = frame.size();
            firstFrame_ = image;
        }
        screen_.showFrame(image);
    }

    VideoScreen screen_;
    QMediaPlayer player_;
    QVideoSink sink_;
    std::unique_ptr<QAudioOutput> audio_;
    QSize size_;
    QImage firstFrame_;
    std::string loadedPath_;
    FileStamp loadedStamp_;
    bool shown_ = false;
    bool rendered_ = false;
    bool playWhenLoaded_ = false;
};

} // namespace

std::unique_ptr<VideoPlayer> makeVideoPlayer(VideoScreen screen) {
    return std::make_unique<Player>(std::move(screen));
}

} // namespace taleplay::media
