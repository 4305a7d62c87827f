// The voice over Qt's text to speech, and its recorder.
#include "platform/speech.h"

#include <QLocale>
#include <QTextToSpeech>

namespace taleplay {
namespace {

SpeechRecorder& recorder() {
    static SpeechRecorder r;
    return r;
}

QLocale::Language qtLanguage(SpeechLanguage language) {
    return language == SpeechLanguage::Russian ? QLocale::Russian : QLocale::English;
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
    // speech-dispatcher first: it is what the desktop's screen reader speaks
    // through, with the voices and languages its user has set up; the
    // others as they come.
    QStringList engines = engineChoice().value_or(QTextToSpeech::availableEngines());
    if (!engineChoice() && engines.removeAll(QStringLiteral("speechd")) > 0)
        engines.prepend(QStringLiteral("speechd"));
    for (const QString& name : engines) {
        auto engine = std::make_unique<QTextToSpeech>(name);
        if (engine->state() == QTextToSpeech::Error)
            continue;
        engine_ = std::move(engine);
        connect(engine_.get(), &QTextToSpeech::stateChanged, this, [this](QTextToSpeech::State s) {
            if (s == QTextToSpeech::Speaking)
                hasSpoken_ = true;
            if (s == QTextToSpeech::Error)
                lastError_ = engine_->errorString();
            if (s == QTextToSpeech::Ready || s == QTextToSpeech::Error) {
                speaking_ = false;
                speakNext();
            }
        });
        return;
    }
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
    const QLocale::Language wanted = qtLanguage(speechLanguageOf(text));
    if (engine_->locale().language() != wanted) {
        for (const QLocale& l : engine_->availableLocales()) {
            if (l.language() == wanted) {
                engine_->setLocale(l);
                break;
            }
        }
    }
    speaking_ = true;
    engine_->say(text);
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
    else if (!paused && engine_->state() == QTextToSpeech::Paused)
        engine_->resume();
    else
        speakNext();
}

} // namespace taleplay
