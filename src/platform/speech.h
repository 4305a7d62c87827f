#pragma once
// The voice that reads a game's texts aloud: Qt's text to speech, whose
// engines (speech-dispatcher, flite) are plugins the system may or may not
// have. Speaking never waits: texts queue and are spoken one after the
// other while the game goes on. Tests and the playtest driver put a recorder
// in place of the engine (setSpeechRecorder) and see what would be said.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace taleplay {

namespace media {
class SpeechEngine;
}

enum class SpeechLanguage { English, Russian };

// Russian for a text with any Cyrillic letter in it, English otherwise.
SpeechLanguage speechLanguageOf(const QString& text);

// When a recorder is set, voices made from then on speak to it instead of to
// an engine (and always count as available): each text as it would begin to
// be said, so a paused voice records nothing until it goes on.
using SpeechRecorder = std::function<void(SpeechLanguage, const QString&)>;
void setSpeechRecorder(SpeechRecorder recorder);

// The engines voices made from then on may use, best first; unless set,
// every installed one, speech-dispatcher's first. An empty list stands for
// a system without any.
void setSpeechEngines(std::optional<QStringList> engines);

class Voice final : public QObject {
    Q_OBJECT
  public:
    explicit Voice(QObject* parent = nullptr);
    ~Voice() override;

    // Whether there is an engine to speak with. Asking starts the engine the
    // first time, so a player who never asks for speech never waits for one.
    bool available();
    // Queues `text` after what is being said; blank text is not said.
    void say(const QString& text);
    // Stops speaking and forgets what was queued.
    void stop();
    // A paused voice keeps its place and goes on when resumed.
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    // Whether the engine is saying something now.
    bool speaking() const { return speaking_; }
    // Whether the engine has begun to say anything yet, and what went wrong
    // last (empty while nothing did): a system without sound fails there.
    bool hasSpoken() const { return hasSpoken_; }
    const QString& lastError() const { return lastError_; }
    // Texts waiting to be said (the one being said not counted).
    int queued() const { return static_cast<int>(queue_.size()); }

  private:
    void startEngine();
    void speakNext();

    SpeechRecorder recorder_;
    std::unique_ptr<media::SpeechEngine> engine_;
    bool engineAsked_ = false;
    bool speaking_ = false;
    bool paused_ = false;
    bool hasSpoken_ = false;
    QString lastError_;
    QStringList queue_;
};

} // namespace taleplay
