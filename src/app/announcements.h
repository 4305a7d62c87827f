#pragma once
// What a sighted player notices when the game's screen changes, told to
// screen readers: the text lines, pictures with a hint, buttons and other
// controls that came into view, in reading order, and the answer boxes that
// changed colour. Everything one event changed (a click, the start, the end
// screen) is one announcement, so a screen reader is not made to break off
// its voice for each part of it.
#include "app/in_view.h"

#include <QObject>
#include <QStringList>

namespace taleplay {

class TForm1;

class Announcements final : public QObject {
    Q_OBJECT
  public:
    explicit Announcements(TForm1& form);

    // After each of the game's events; the announcement follows once the
    // event is over, after the focus has moved, so that a screen reader
    // says it last.
    void screenChanged();

    // The announcement of `changes`, as said (empty when nothing is worth
    // saying).
    static QString textOf(TForm1& form, const InView::Changes& changes);

  private:
    void announceNow();

    TForm1& form_;
    InView inView_;
    QStringList pending_;
    bool scheduled_ = false;
};

// A colour as a word for an announcement ("turned green").
QString colourWord(Colour colour);

} // namespace taleplay
