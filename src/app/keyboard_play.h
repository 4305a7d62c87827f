#pragma once
// Playing without a mouse. Tab and Shift+Tab move the focus through the
// visible image buttons, text windows and lists that scroll, in the order
// they were made, with a ring around the focused one; Space or Enter on a
// button clicks it (the control does that itself); Enter in a text window
// goes on to the button that checks it, else to the next control; Escape
// asks whether to leave the game. F2 turns reading aloud on and off. The
// focus starts on the first text window, else the first button, and never
// stays on a control that was hidden or destroyed. A mouse player sees none
// of it: the ring shows only after the keyboard has moved the focus, and goes
// at the next mouse press.
#include <QObject>
#include <QPointer>
#include <vector>

class QWidget;

namespace taleplay {

class Control;
class EditControl;
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
    // After each of the game's events: the focused control may have been
    // hidden or destroyed, a command may have raised a text window over the
    // ring, or moved the focused control.
    void screenChanged();

    // Where the focus starts: the first text window of the chain, else its
    // first button, else whatever comes first in it (null when it is empty).
    QWidget* startControl() const;
    // Puts the focus on the start control when the window has no focus yet.
    // No ring shows: the keyboard has not moved the focus.
    void focusStart();
    // A focused control that is hidden, disabled or destroyed gives the focus
    // up: to the next control of the chain after it (the start control when
    // it was destroyed), or to nothing when the chain is empty.
    void keepFocusVisible();
    // The first button of the chain whose click rules check `box`'s answer.
    QWidget* checkingButton(const EditControl& box) const;

    const FocusRing& ring() const { return *ring_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void onFocusChanged(QWidget* old, QWidget* now);
    // The control with the window's focus, whether or not the window is active.
    QWidget* focused() const;
    QWidget* nextInChainAfter(const Control& control) const;

    TForm1& form_;
    ReadAloud& readAloud_;
    FocusRing* ring_;
    // Whether the keyboard moved the focus last (and no mouse press since).
    bool ringShown_ = false;
};

} // namespace taleplay
