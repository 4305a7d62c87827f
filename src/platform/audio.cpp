// The audio library's six calls over Qt Multimedia; silent where there is no device.
#include "platform/audio.h"

#include <QAudioBuffer>
#include <QAudioDecoder>
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
    // The decoder proves that the file is a sound and, without a device,
    // measures its length.
    std::unique_ptr<QAudioDecoder> decoder;
    qint64 decodedUs = 0;
    bool recognised = false;
    bool decodeFinished = false;
    bool decodeFailed = false;
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
    auto s = std::make_unique<Stream>();
    s->file = fsPath;
    s->decoder = std::make_unique<QAudioDecoder>();
    Stream* raw = s.get();
    connect(raw->decoder.get(), &QAudioDecoder::bufferReady, this, [raw] {
        const QAudioBuffer b = raw->decoder->read();
        raw->decodedUs += b.duration();
        raw->recognised = true;
    });
    connect(raw->decoder.get(), &QAudioDecoder::finished, this,
            [raw] { raw->decodeFinished = true; });
    connect(raw->decoder.get(), qOverload<QAudioDecoder::Error>(&QAudioDecoder::error), this,
            [raw](QAudioDecoder::Error) {
                raw->decodeFailed = true;
                raw->decodeFinished = true;
            });
    raw->decoder->setSource(QUrl::fromLocalFile(QString::fromStdString(fsPath)));
    raw->decoder->start();
    QElapsedTimer wait;
    wait.start();
    while (!raw->recognised && !raw->decodeFinished && wait.elapsed() < kOpenWaitMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    if (!raw->recognised || raw->decodeFailed)
        return 0;
    if (hasDevice()) {
        // The player plays; the decoder is done with its job.
        raw->decoder->stop();
        raw->decoder.reset();
        raw->output = std::make_unique<QAudioOutput>();
        raw->player = std::make_unique<QMediaPlayer>();
        raw->player->setAudioOutput(raw->output.get());
        raw->player->setSource(QUrl::fromLocalFile(QString::fromStdString(fsPath)));
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
    return !s->decodeFinished || s->clock.elapsed() * 1000 < s->decodedUs;
}

std::string AudioLibrary::fileOf(Handle stream) const {
    Stream* s = find(stream);
    return s ? s->file : std::string();
}

} // namespace taleplay
