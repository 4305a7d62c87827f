#pragma once
// The ring around the control that has the keyboard focus. It is a widget of
// its own over the window, not part of any control's drawing, so a game's
// screen looks exactly as before wherever the keyboard is not used.
#include <QPointer>
#include <QWidget>

namespace taleplay {

class FocusRing final : public QWidget {
    Q_OBJECT
  public:
    // Made hidden, on top of everything in `window`.
    explicit FocusRing(QWidget& window);

    // Rings `target` (a widget inside the window) and keeps following it as
    // it moves, changes size or is hidden; null takes the ring away.
    void follow(QWidget* target);
    QWidget* target() const { return target_; }

    // Pixels between the control's edge and the ring, and the ring's width.
    static constexpr int kGap = 2;
    static constexpr int kWidth = 4;

  protected:
    void paintEvent(QPaintEvent*) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void place();

    QPointer<QWidget> target_;
};

} // namespace taleplay
