#pragma once
// Video, with the calls the program makes of a filter graph: clear, set
// active, render a file, the video's own size, play, stop. Frames are
// painted by the video window itself, so a screenshot shows them.
#include <QObject>
#include <QSize>
#include <memory>
#include <string>

namespace taleplay {

namespace media {
class VideoPlayer;
}

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
    // Made when a video is first rendered: most games have none, and making
    // one loads the whole media stack. Null also when the media module is
    // missing: nothing plays then.
    media::VideoPlayer* player();

    VideoControl& window_;
    std::unique_ptr<media::VideoPlayer> player_;
    bool active_ = false;
};

} // namespace taleplay
