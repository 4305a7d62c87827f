#pragma once
// Playing without a mouse. Tab and Shift+Tab move the focus through the
// visible image buttons and text windows in the order they were made, with a
// ring around the focused one; Space or Enter on a button clicks it (the
// control does that itself); Enter in a text window goes on to the next
// control; Escape asks whether to leave the game. F2 turns reading aloud on
// and off. A mouse player sees none of it: the ring shows only after the
// keyboard has moved the focus, and goes at the next mouse press.
#include <QObject>
#include <QPointer>
#include <vector>

class QWidget;

namespace taleplay {

class FocusRing;
class ReadAloud;
class TForm1;

enum class Direction { Forward, Backward };

class KeyboardPlay final : public QObject {
    Q_OBJECT
  public:
    KeyboardPlay(TForm1& form, ReadAloud& readAloud);
    ~KeyboardPlay() override;

    // The controls Tab goes through now, in their order.
    std::vector<QWidget*> focusChain() const;
    // Moves the focus to the next (or previous) control of the chain, from
    // the focused one, round at the ends; shows the ring.
    void moveFocus(Direction direction);
    // Asks "Leave the game?" and closes the window on yes.
    void askToLeave();
    // After each of the game's events: a command may have raised a text
    // window over the ring, or moved the focused control.
    void screenChanged();

    const FocusRing& ring() const { return *ring_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void onFocusChanged(QWidget* old, QWidget* now);

    TForm1& form_;
    ReadAloud& readAloud_;
    FocusRing* ring_;
    // Whether the keyboard moved the focus last (and no mouse press since).
    bool ringShown_ = false;
};

} // namespace taleplay
