// Video through GStreamer's player element (playbin.h): frames to the
// player's video window, sound to the machine's device where it has one.
#include "platform/media/module_parts.h"

#include "platform/media/media_probe.h"
#include "platform/media/playbin.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSize>

#include <sys/stat.h>

namespace taleplay::media {
namespace {

// Under AddressSanitizer every allocation records its whole stack, the
// media framework's too (scripts/sanitizer_defaults.cpp.in), and a video
// then takes a second or two to load where it otherwise takes a twentieth:
// that build waits longer.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kRenderWaitMs = 10000;
#else
constexpr int kRenderWaitMs = 2000;
#endif

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
    explicit Player(VideoScreen screen)
        : screen_(std::move(screen)),
          playbin_(Playbin::Streams::SoundAndPictures, hasAudioDevice(),
                   {[this](const QImage& image) { onFrame(image); },
                    [this] { onLoaded(); },
                    [this] { setPlaying(false); },
                    [this] { setPlaying(false); }}) {}

    // The file stays loaded, stopped and out of sight: showing the same
    // video again (every click of a button that shows it, every rebuild of
    // a screen with one) then needs no new load, the slowest part of
    // showing a video.
    void clear() override {
        stop();
        shown_ = false;
        playWhenLoaded_ = false;
        screen_.showFrame(QImage());
        screen_.setPlaying(false);
    }

    void render(const std::string& fsPath) override {
        shown_ = true;
        if (rendered_ && !playbin_.failed() && playbin_.hasPictures() && fsPath == loadedPath_ &&
            stampOf(fsPath) == loadedStamp_) {
            // Loaded already and unchanged on disk: its first picture again.
            stop();
            playbin_.seekToStart();
            screen_.showFrame(firstFrame_);
            return;
        }
        setPlaying(false);
        loadedPath_ = fsPath;
        loadedStamp_ = stampOf(fsPath);
        size_ = QSize();
        firstFrame_ = QImage();
        rendered_ = playWhenLoaded_ = false;
        playbin_.load(fsPath);
        waitFor([this] { return playbin_.loaded() || playbin_.failed(); });
        // A still picture is no video, though the framework would show it.
        rendered_ = playbin_.loaded() && !playbin_.failed() && !playbin_.stillPicture();
        if (playbin_.failed() || playbin_.stillPicture() ||
            (rendered_ && !playbin_.hasPictures())) {
            // Nothing is reported to the player; the media framework can
            // name what this machine lacks, for the author to read.
            if (const std::string why = whyUnplayable(fsPath, kRenderWaitMs); !why.empty())
                reportUnplayable(fsPath, why);
            return;
        }
        if (!rendered_)
            return;
        // Loaded, paused on its first picture, which tells the size.
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
        if (!shown_ || playbin_.failed()) // cleared since, or refused: nothing to play
            return;
        if (!rendered_) {
            // Asked to play while the file was still loading (a slow
            // machine): it starts as soon as the file is loaded.
            if (!playbin_.loaded() && !loadedPath_.empty())
                playWhenLoaded_ = true;
            return;
        }
        // From the beginning, also when this file was playing already.
        playbin_.seekToStart();
        setPlaying(playbin_.play());
    }

    // Paused where it is; also a video played to its end, which its
    // pipeline leaves playing.
    void stop() override {
        playbin_.pause();
        setPlaying(false);
    }

    bool playing() const override { return playing_; }

    std::int64_t position() const override { return playbin_.positionMs(); }

  private:
    void onLoaded() {
        if (!playWhenLoaded_)
            return;
        playWhenLoaded_ = false;
        rendered_ = true;
        play();
    }

    void setPlaying(bool on) {
        if (playing_ == on)
            return;
        playing_ = on;
        screen_.setPlaying(on);
    }

    void onFrame(const QImage& image) {
        if (!size_.isValid() || size_.isEmpty()) {
            size_ = image.size();
            firstFrame_ = image;
        }
        // A cleared window shows nothing, also a picture the stopped
        // pipeline still delivers.
        if (shown_)
            screen_.showFrame(image);
    }

    VideoScreen screen_;
    QSize size_;
    QImage firstFrame_;
    std::string loadedPath_;
    FileStamp loadedStamp_;
    bool shown_ = false;
    bool rendered_ = false;
    bool playing_ = false;
    bool playWhenLoaded_ = false;
    // Last: its events reach the members above, so it goes first.
    Playbin playbin_;
};

} // namespace

std::unique_ptr<VideoPlayer> makeVideoPlayer(VideoScreen screen) {
    return std::make_unique<Player>(std::move(screen));
}

} // namespace taleplay::media
