#pragma once
// One file played by GStreamer's own player element, driven from the
// window's thread: the sounds and the videos of a game.
//
// Qt's media player is not used. Each load of a file in Qt 6.4's GStreamer
// player can deadlock between its own threads: it seeks to the start while
// the decoder's output is still being connected in a streaming thread, and
// the two wait for each other's locks for good (a sound or a video now and
// then, about once in a few thousand loads; the window then stops
// answering). Here nothing is sent into the pipeline before it has loaded.
#include <QImage>
#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;
typedef struct _GstSample GstSample;

namespace taleplay::media {

class Playbin {
  public:
    enum class Streams { Sound, SoundAndPictures };
    struct Events {
        // A decoded picture (SoundAndPictures only), in the window's
        // 32-bit layout.
        std::function<void(const QImage&)> frame;
        // Loaded, or refused, or played to its end.
        std::function<void()> loaded, failed, ended;
    };

    // `sound` false leaves the files' sound out (no device to play it on).
    Playbin(Streams streams, bool sound, Events events);
    ~Playbin();
    Playbin(const Playbin&) = delete;
    Playbin& operator=(const Playbin&) = delete;

    // Whether the media framework gave its player element.
    bool usable() const { return pipeline_ != nullptr; }

    // Stops whatever was loaded and starts loading `fsPath`, paused at its
    // start; `loaded` or `failed` follows. Events of the file before are
    // not heard after this.
    void load(const std::string& fsPath);
    bool loaded() const { return loaded_; }
    bool failed() const { return failed_; }
    bool ended() const { return ended_; }

    // Playing from where it is (a file still loading plays once loaded);
    // false when the framework refuses.
    bool play();
    void pause();
    // To the start; only once loaded, as the framework wants it.
    void seekToStart();
    bool hasPictures() const;
    // Whether the file is a still picture (PNG, JPEG, ...) rather than a
    // sound or a video: the framework would show it as a video of one frame.
    bool stillPicture() const { return stillPicture_; }
    std::int64_t positionMs() const;

  private:
    void deliver(GstSample* sample);
    void post(GstMessage* message);
    void handle(int type);
    void toWindowThread(std::function<void()> work);
    static void elementSetUp(GstElement* bin, GstElement* element, void* self);

    Events events_;
    GstElement* pipeline_ = nullptr;
    // Receives on the window's thread what the pipeline's threads send.
    QObject receiver_;
    std::atomic<int> generation_{0};
    std::atomic<bool> stillPicture_{false};
    mutable std::int64_t lastPositionMs_ = 0;
    bool loaded_ = false;
    bool failed_ = false;
    bool ended_ = false;
};

} // namespace taleplay::media
