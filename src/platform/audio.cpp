// The audio library's six calls over Qt Multimedia; silent where there is no device.
#include "platform/audio.h"

#include "platform/media_probe.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

namespace taleplay {
namespace {

// How long opening a file may block: the library answers at once on
// Windows, so keep the wait short and never handle input meanwhile.
constexpr int kOpenWaitMs = 2000;

} // namespace

struct AudioLibrary::Stream {
    std::string file;
    // Decoding the file proves that it is a sound and, without a device,
    // measures its length. Every format the machine's media framework
    // decodes counts (WAV, MP3, MP2, Ogg Vorbis, AIFF, ...), whatever the
    // sample format it decodes to.
    std::unique_ptr<platform::MediaProbe> probe;
    // With a device, the real player.
    std::unique_ptr<QMediaPlayer> player;
    std::unique_ptr<QAudioOutput> output;
    // Without one, the time since play.
    QElapsedTimer clock;
    bool playing = false;
};

AudioLibrary::AudioLibrary(QObject* parent) : QObject(parent) {}

AudioLibrary::~AudioLibrary() {
    free();
}

bool AudioLibrary::init(int, int, unsigned, QWidget*) {
    started_ = true;
    return true;
}

// Asked when the first sound is made, not at start: the question loads the
// whole media stack, which a game without sound never needs.
bool AudioLibrary::hasDevice() const {
    if (!deviceKnown_) {
        device_ = !QMediaDevices::audioOutputs().isEmpty();
        deviceKnown_ = true;
    }
    return device_;
}

AudioLibrary::Handle AudioLibrary::streamCreateFile(const std::string& fsPath) {
    if (!started_)
        return 0;
    // The media framework starts with the first sound, not with the window.
    platform::startMediaFramework();
    auto s = std::make_unique<Stream>();
    s->file = fsPath;
    s->probe = std::make_unique<platform::MediaProbe>(fsPath, platform::MediaProbe::Streams::Sound);
    platform::MediaProbe& probe = *s->probe;
    QElapsedTimer wait;
    wait.start();
    while (!probe.heardSound() && !probe.poll(10) && wait.elapsed() < kOpenWaitMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!probe.heardSound()) {
        // Nothing is reported to the player; the author learns why here.
        if (std::string why = probe.trouble(); !why.empty())
            platform::reportUnplayable(fsPath, why);
        else if (probe.ended())
            platform::reportUnplayable(fsPath, "it holds no sound");
        return 0;
    }
    if (hasDevice()) {
        // The player plays; the probe is done with its job.
        s->probe.reset();
        s->output = std::make_unique<QAudioOutput>();
        s->player = std::make_unique<QMediaPlayer>();
        s->player->setAudioOutput(s->output.get());
        s->player->setSource(QUrl::fromLocalFile(QString::fromStdString(fsPath)));
    }
    const Handle h = next_++;
    streams_[h] = std::move(s);
    return h;
}

AudioLibrary::Stream* AudioLibrary::find(Handle stream) const {
    auto it = streams_.find(stream);
    return it == streams_.end() ? nullptr : it->second.get();
}

bool AudioLibrary::channelPlay(Handle stream, bool restart) {
    Stream* s = find(stream);
    if (!s)
        return false;
    if (s->player) {
        if (restart)
            s->player->setPosition(0);
        s->player->play();
    } else if (restart || !s->playing) {
        s->clock.start();
    }
    s->playing = true;
    return true;
}

bool AudioLibrary::channelStop(Handle stream) {
    Stream* s = find(stream);
    if (!s)
        return false;
    if (s->player)
        s->player->pause(); // a stopped channel resumes where it was, as Windows' does
    s->playing = false;
    return true;
}

bool AudioLibrary::streamFree(Handle stream) {
    return streams_.erase(stream) > 0;
}

void AudioLibrary::free() {
    streams_.clear();
    started_ = false;
}

bool AudioLibrary::isPlaying(Handle stream) const {
    Stream* s = find(stream);
    if (!s || !s->playing)
        return false;
    if (s->player)
        return s->player->playbackState() == QMediaPlayer::PlayingState;
    // Silent: playing until its length has passed (unknown length: playing).
    s->probe->poll(0);
    return !s->probe->ended() || s->clock.elapsed() * 1000 < s->probe->decodedUs();
}

std::string AudioLibrary::fileOf(Handle stream) const {
    Stream* s = find(stream);
    return s ? s->file : std::string();
}

} // namespace taleplay
