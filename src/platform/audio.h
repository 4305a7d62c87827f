#pragma once
// Sound, with the six calls the program makes of an audio library: start,
// open a file as a stream, play, stop, free the stream, free everything.
// Where the machine has no audio device, streams still open, "play" for
// their length and stay silent, so the game and its tests behave the same.
#include <QObject>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

class QWidget;

namespace taleplay {

class AudioLibrary final : public QObject {
    Q_OBJECT
  public:
    using Handle = std::uint32_t;

    explicit AudioLibrary(QObject* parent = nullptr);
    ~AudioLibrary() override;

    // Device -1 is the default output. Succeeds also without a device.
    bool init(int device, int frequency, unsigned flags, QWidget* owner);
    // 0 when the library is not started or the file is no sound it can play;
    // then one line on standard error says why (a decoder the machine lacks,
    // say). Waits at most about two seconds for the file to be recognised.
    Handle streamCreateFile(const std::string& fsPath);
    bool channelPlay(Handle stream, bool restart);
    bool channelStop(Handle stream);
    bool streamFree(Handle stream);
    void free();

    bool started() const { return started_; }
    bool isPlaying(Handle stream) const;
    std::string fileOf(Handle stream) const;

  private:
    struct Stream;
    Stream* find(Handle stream) const;

    std::map<Handle, std::unique_ptr<Stream>> streams_;
    Handle next_ = 1;
    bool started_ = false;
};

} // namespace taleplay
