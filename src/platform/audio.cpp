// The audio library's six calls over the media module's sound streams.
#include "platform/audio.h"

#include "platform/media_module.h"

namespace taleplay {

struct AudioLibrary::Stream {
    std::string file;
    std::unique_ptr<media::SoundStream> sound;
};

AudioLibrary::AudioLibrary(QObject* parent) : QObject(parent) {}

AudioLibrary::~AudioLibrary() {
    free();
}

bool AudioLibrary::init(int, int, unsigned, QWidget*) {
    started_ = true;
    return true;
}

AudioLibrary::Handle AudioLibrary::streamCreateFile(const std::string& fsPath) {
    if (!started_)
        return 0;
    // The media stack is loaded with the first sound, not with the window.
    const media::Module* module = platform::mediaModule();
    if (!module)
        return 0;
    auto sound = module->openSound(fsPath);
    if (!sound)
        return 0;
    const Handle h = next_++;
    streams_[h] = std::make_unique<Stream>(Stream{fsPath, std::move(sound)});
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
    s->sound->play(restart);
    return true;
}

bool AudioLibrary::channelStop(Handle stream) {
    Stream* s = find(stream);
    if (!s)
        return false;
    s->sound->stop();
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
    return s && s->sound->playing();
}

std::string AudioLibrary::fileOf(Handle stream) const {
    Stream* s = find(stream);
    return s ? s->file : std::string();
}

} // namespace taleplay
