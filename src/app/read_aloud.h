#pragma once
// Reading aloud, for players who cannot read the screen: when it is turned
// on (F2, or --read-aloud from the start) the visible text lines of the
// screen are read in order, then every text line that comes into view, and
// the name of each control the focus moves to. A game sound pauses the voice
// until it is over.
#include "app/in_view.h"

#include <QObject>
#include <QTimer>

class QWidget;

namespace taleplay {

class TForm1;
class Voice;

class ReadAloud final : public QObject {
    Q_OBJECT
  public:
    explicit ReadAloud(TForm1& form);
    ~ReadAloud() override;

    bool on() const { return on_; }
    // Turns reading on (reading the screen's text lines) or off (silence at
    // once). Without a speech engine it says so on standard error, the first
    // time only, and stays off.
    void toggle();
    void turnOn();

    // After each of the game's events: text lines that came into view are
    // read.
    void screenChanged();

    const Voice& voice() const { return *voice_; }

  private:
    void onFocusChanged(QWidget* old, QWidget* now);
    void followGameSound();
    void readNewLines();

    TForm1& form_;
    Voice* voice_;
    bool on_ = false;
    bool warned_ = false;
    // What was in view when the screen was last read.
    InView inView_;
    QTimer soundWatch_;
};

} // namespace taleplay
