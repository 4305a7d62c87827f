// Sound files through GStreamer's player element (playbin.h); silent where
// there is no device.
#include "platform/media/module_parts.h"

#include "platform/media/media_probe.h"
#include "platform/media/playbin.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>

namespace taleplay::media {
namespace {

// How long opening a file may block: the library answers at once on
// Windows, so keep the wait short and never handle input meanwhile.
constexpr int kOpenWaitMs = 2000;

class Stream final : public SoundStream {
  public:
    // Decoding the file proves that it is a sound and, without a device,
    // measures its length. Every format the machine's media framework
    // decodes counts (WAV, MP3, MP2, Ogg Vorbis, AIFF, ...), whatever the
    // sample format it decodes to.
    std::unique_ptr<MediaProbe> probe;
    // With a device, the real player.
    std::unique_ptr<Playbin> player;
    // Without one, the time since play.
    QElapsedTimer clock;
    bool isPlaying = false;

    void play(bool restart) override {
        if (player) {
            // A sound played to its end starts again, as from a stop.
            if (restart || player->ended())
                player->seekToStart();
            player->play();
        } else if (restart || !isPlaying) {
            clock.start();
        }
        isPlaying = true;
    }

    void stop() override {
        if (player)
            player->pause(); // a stopped channel resumes where it was, as Windows' does
        isPlaying = false;
    }

    bool playing() override {
        if (!isPlaying)
            return false;
        if (player)
            return !player->ended() && !player->failed();
        // Silent: playing until its length has passed (unknown length: playing).
        probe->poll(0);
        return !probe->ended() || clock.elapsed() * 1000 < probe->decodedUs();
    }
};

} // namespace

// Asked when the first sound is made, not at start: the question starts
// the whole media stack, which a game without sound never needs.
bool hasAudioDevice() {
    static const bool device = !QMediaDevices::audioOutputs().isEmpty();
    return device;
}

std::unique_ptr<SoundStream> openSound(const std::string& fsPath) {
    startMediaFramework();
    auto s = std::make_unique<Stream>();
    s->probe = std::make_unique<MediaProbe>(fsPath, MediaProbe::Streams::Sound);
    MediaProbe& probe = *s->probe;
    QElapsedTimer wait;
    wait.start();
    while (!probe.heardSound() && !probe.poll(10) && wait.elapsed() < kOpenWaitMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!probe.heardSound()) {
        // Nothing is reported to the player; the author learns why here.
        if (std::string why = probe.trouble(); !why.empty())
            reportUnplayable(fsPath, why);
        else if (probe.ended())
            reportUnplayable(fsPath, "it holds no sound");
        return nullptr;
    }
    if (hasAudioDevice()) {
        // The player plays; the probe is done with its job.
        s->probe.reset();
        s->player = std::make_unique<Playbin>(Playbin::Streams::Sound, true, Playbin::Events{});
        s->player->load(fsPath);
    }
    return s;
}

} // namespace taleplay::media
