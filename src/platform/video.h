#pragma once
// Video, with the calls the program makes of a filter graph: clear, set
// active, render a file, the video's own size, play, stop. Frames are
// painted by the video window itself, so a screenshot shows them.
#include <QObject>
#include <QSize>
#include <memory>
#include <string>

class QMediaPlayer;
class QVideoSink;
class QAudioOutput;

namespace taleplay {

class VideoControl;

class FilterGraph final : public QObject {
    Q_OBJECT
  public:
    FilterGraph(VideoControl& window, QObject* parent);
    ~FilterGraph() override;

    void clearGraph();
    void setActive(bool on);
    // Builds the playback of `fsPath`; `shownName` is what the window shows
    // as its file. Waits at most about two seconds, handling no input, until
    // the file is loaded and its first picture decoded, so the video's own
    // size is known right after. A file that cannot be played is ignored,
    // but for one line on standard error that says why.
    void renderFile(const std::string& fsPath, const std::string& shownName);
    // False when the rendered file offers no picture size.
    bool getVideoSize(int& width, int& height) const;
    void play();
    void stop();

    bool active() const { return active_; }
    bool playing() const;
    qint64 position() const;

  private:
    QMediaPlayer& player();
    void onFrame();

    VideoControl& window_;
    std::unique_ptr<QMediaPlayer> player_;
    std::unique_ptr<QVideoSink> sink_;
    std::unique_ptr<QAudioOutput> audio_;
    QSize size_;
    bool rendered_ = false;
    // Asked to play while the file was still loading (a slow machine): it
    // starts as soon as the file is loaded.
    bool playWhenLoaded_ = false;
    bool active_ = false;
};

} // namespace taleplay
