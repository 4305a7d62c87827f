// A voice of the system's over Qt's text to speech.
#include "platform/media/module_parts.h"

#include <QLocale>
#include <QTextToSpeech>

namespace taleplay::media {
namespace {

SpeechEngine::State stateOf(QTextToSpeech::State s) {
    switch (s) {
    case QTextToSpeech::Speaking:
        return SpeechEngine::State::Speaking;
    case QTextToSpeech::Paused:
        return SpeechEngine::State::Paused;
    case QTextToSpeech::Error:
        return SpeechEngine::State::Error;
    default:
        return SpeechEngine::State::Ready;
    }
}

class Engine final : public SpeechEngine {
  public:
    Engine(std::unique_ptr<QTextToSpeech> engine, std::function<void(State)> changed)
        : engine_(std::move(engine)) {
        QObject::connect(engine_.get(), &QTextToSpeech::stateChanged, engine_.get(),
                         [changed = std::move(changed)](QTextToSpeech::State s) {
                             changed(stateOf(s));
                         });
    }

    ~Engine() override {
        // The voice that listens may be going too: it hears nothing more.
        QObject::disconnect(engine_.get(), nullptr, engine_.get(), nullptr);
    }

    void say(const QString& text, bool russian) override {
        const QLocale::Language wanted = russian ? QLocale::Russian : QLocale::English;
        if (engine_->locale().language() != wanted) {
            for (const QLocale& l : engine_->availableLocales()) {
                if (l.language() == wanted) {
                    engine_->setLocale(l);
                    break;
                }
            }
        }
        engine_->say(text);
    }
    void stop() override { engine_->stop(); }
    void pause() override { engine_->pause(); }
    void resume() override { engine_->resume(); }
    State state() const override { return stateOf(engine_->state()); }
    QString errorString() const override { return engine_->errorString(); }

  private:
    std::unique_ptr<QTextToSpeech> engine_;
};

} // namespace

std::unique_ptr<SpeechEngine> startSpeech(const std::optional<QStringList>& choice,
                                          std::function<void(SpeechEngine::State)> changed) {
    // speech-dispatcher first: it is what the desktop's screen reader speaks
    // through, with the voices and languages its user has set up; the
    // others as they come.
    QStringList engines = choice.value_or(QTextToSpeech::availableEngines());
    if (!choice && engines.removeAll(QStringLiteral("speechd")) > 0)
        engines.prepend(QStringLiteral("speechd"));
    for (const QString& name : engines) {
        auto engine = std::make_unique<QTextToSpeech>(name);
        if (engine->state() == QTextToSpeech::Error)
            continue;
        return std::make_unique<Engine>(std::move(engine), std::move(changed));
    }
    return nullptr;
}

} // namespace taleplay::media
