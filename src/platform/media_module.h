#pragma once
// The media module: sound, video and speech, with Qt Multimedia, GStreamer
// and Qt's text to speech behind them, in a library of its own that the
// player loads the first time a game plays a sound or a video or a voice is
// asked to speak. Linked into the program, their thirty-odd libraries were
// loaded and started before the window, for every game, also for the many
// that have no sound at all; that took about as long as everything else the
// program does before its window.
//
// The module holds no code of the player's and the player none of the
// module's: what passes between them is this header, the same compiler and
// the same Qt on both sides.
#include <QImage>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace taleplay::media {

// Changes whenever anything in this header changes, so a module left from
// another build is refused rather than called wrongly.
inline constexpr int kModuleVersion = 2;

// One sound file, opened and ready to play.
class SoundStream {
  public:
    virtual ~SoundStream() = default;
    // From the beginning when `restart`, else from where it stopped.
    virtual void play(bool restart) = 0;
    // Stops where it is, to go on from there.
    virtual void stop() = 0;
    virtual bool playing() = 0;
};

// What the player's video window does for a video.
struct VideoScreen {
    std::function<void(const QImage&)> showFrame;
    std::function<void(bool)> setPlaying;
};

// One video at a time: loaded, its size learnt, played and stopped.
class VideoPlayer {
  public:
    virtual ~VideoPlayer() = default;
    // Stops; the screen is told of no frame and no playing, and nothing
    // plays or has a size until the next render. The file may stay loaded.
    virtual void clear() = 0;
    // Loads `fsPath`, waiting at most about two seconds, handling no input,
    // until its first picture is decoded; the file loaded already, unchanged
    // on disk, shows its first picture again without a new load. A file
    // that cannot be played is ignored, but for one line on standard error
    // that says why.
    virtual void render(const std::string& fsPath) = 0;
    // False when the rendered file offers no picture size.
    virtual bool videoSize(int& width, int& height) const = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual bool playing() const = 0;
    virtual std::int64_t position() const = 0;
};

// A text to speech engine of the system's.
class SpeechEngine {
  public:
    enum class State { Ready, Speaking, Paused, Error };
    virtual ~SpeechEngine() = default;
    // Says `text` in the language `russian` picks, when the engine has it.
    virtual void say(const QString& text, bool russian) = 0;
    virtual void stop() = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual State state() const = 0;
    virtual QString errorString() const = 0;
};

// What the module offers, from its one exported function.
struct Module {
    int version = kModuleVersion;
    // Whether the machine has a device to play sound on.
    bool (*hasAudioDevice)();
    // Null when the file holds no sound the machine can decode; one line on
    // standard error then says why. Waits at most about two seconds.
    std::unique_ptr<SoundStream> (*openSound)(const std::string& fsPath);
    std::unique_ptr<VideoPlayer> (*makeVideoPlayer)(VideoScreen screen);
    // The first of `engines` that starts (every installed one, the
    // desktop's speech-dispatcher first, when not given); null when none
    // does. `changed` hears every change of the engine's state.
    std::unique_ptr<SpeechEngine> (*startSpeech)(const std::optional<QStringList>& engines,
                                                 std::function<void(SpeechEngine::State)> changed);
};

} // namespace taleplay::media

// The module's exported function, found by name when it is loaded.
extern "C" {
using TaleplayMediaModuleFunction = const taleplay::media::Module* (*)();
}
#define TALEPLAY_MEDIA_MODULE_FUNCTION "taleplay_media_module"

namespace taleplay::platform {

// The module, loaded the first time it is asked for; null when it cannot be
// (one line on standard error then says why, and the game goes on without
// sound, video and speech).
const media::Module* mediaModule();

// Makes the program go on without the module, as on a machine that has
// none, and without a word; call it before anything asks for the module.
// The fuzz targets do: the media framework's own threads and waits took
// nearly all of their time, and they are not ours to fuzz.
void refuseMediaModule();

} // namespace taleplay::platform
