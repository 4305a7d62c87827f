// The voice over the media module's speech engine, and its recorder.
#include "platform/speech.h"

#include "platform/media_module.h"

namespace taleplay {
namespace {

SpeechRecorder& recorder() {
    static SpeechRecorder r;
    return r;
}

std::optional<QStringList>& engineChoice() {
    static std::optional<QStringList> e;
    return e;
}

} // namespace

void setSpeechEngines(std::optional<QStringList> engines) {
    engineChoice() = std::move(engines);
}

SpeechLanguage speechLanguageOf(const QString& text) {
    for (const QChar c : text) {
        if (c.isLetter() && c.script() == QChar::Script_Cyrillic)
            return SpeechLanguage::Russian;
    }
    return SpeechLanguage::English;
}

void setSpeechRecorder(SpeechRecorder r) {
    recorder() = std::move(r);
}

Voice::Voice(QObject* parent) : QObject(parent), recorder_(recorder()) {}

Voice::~Voice() = default;

bool Voice::available() {
    if (recorder_)
        return true;
    startEngine();
    return engine_ != nullptr;
}

void Voice::startEngine() {
    if (engineAsked_)
        return;
    engineAsked_ = true;
    const media::Module* module = platform::mediaModule();
    if (!module)
        return;
    engine_ = module->startSpeech(engineChoice(), [this](media::SpeechEngine::State s) {
        using State = media::SpeechEngine::State;
        if (s == State::Speaking)
            hasSpoken_ = true;
        if (s == State::Error && engine_)
            lastError_ = engine_->errorString();
        if (s == State::Ready || s == State::Error) {
            speaking_ = false;
            speakNext();
        }
    });
}

void Voice::say(const QString& text) {
    if (text.trimmed().isEmpty() || !available())
        return;
    queue_.append(text);
    speakNext();
}

void Voice::speakNext() {
    if (speaking_ || paused_ || queue_.isEmpty())
        return;
    if (recorder_) {
        // The recorder hears at once what an engine would begin to say.
        while (!queue_.isEmpty() && !paused_) {
            const QString text = queue_.takeFirst();
            recorder_(speechLanguageOf(text), text);
        }
        return;
    }
    if (!engine_)
        return;
    const QString text = queue_.takeFirst();
    speaking_ = true;
    engine_->say(text, speechLanguageOf(text) == SpeechLanguage::Russian);
}

void Voice::stop() {
    queue_.clear();
    if (engine_ && speaking_)
        engine_->stop();
    speaking_ = false;
}

void Voice::setPaused(bool paused) {
    if (paused_ == paused)
        return;
    paused_ = paused;
    if (!engine_) {
        speakNext();
        return;
    }
    if (paused && speaking_)
        engine_->pause();
    else if (!paused && engine_->state() == media::SpeechEngine::State::Paused)
        engine_->resume();
    else
        speakNext();
}

} // namespace taleplay
