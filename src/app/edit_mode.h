#pragma once
// Author mode's edit mode, drawn over the whole game: a frame round the
// window and a status line say it is on; a click selects a component and
// shows its handles; dragging moves it, a handle resizes it, arrow keys
// nudge it, Delete takes its keys out, Enter or a double click opens its
// form; the bar at the bottom adds pictures, text lines, text windows and
// buttons. It takes every click while it is on, so no click rule runs;
// off, it leaves the game exactly as it would be without it.
#include "app/edit_component.h"

#include <QPointer>
#include <QWidget>
#include <optional>
#include <vector>

class QKeyEvent;
class QLabel;

namespace taleplay {

class TForm1;

namespace editing {
class EditSession;
}

class EditMode final : public QWidget {
    Q_OBJECT
  public:
    EditMode(TForm1& form, editing::EditSession& session);
    ~EditMode() override;

    void setOn(bool on);
    bool on() const { return !isHidden(); }

    // A key for edit mode; false when it is not one of its keys.
    bool key(const QKeyEvent& e);

    // What the status line says, for tests and the driver.
    QString status() const;
    // The target of the selected component ("picture3"), "" for none.
    std::string selected() const { return selection_ ? selection_->target : std::string(); }
    void select(const std::string& target);
    QRect selectionRect() const;

    // The steps the bar and the keys start.
    void add(editing::Kind kind);
    void openForm();
    void removeSelected();
    void nudge(int dx, int dy);
    // The next (1) or previous (-1) component, in the order they were made.
    void selectNext(int step);
    // After a save the game is built again: the same component is selected
    // on the new screen.
    void screenRebuilt();
    // Says a result of the author's on the status line.
    void say(const QString& text);

  signals:
    // Ctrl+S was pressed; author mode saves and rebuilds.
    void saveAsked();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    enum class Handle {
        None,
        Left,
        Right,
        Top,
        Bottom,
        TopLeft,
        TopRight,
        BottomLeft,
        BottomRight
    };
    std::optional<editing::Component> pick(QPoint at) const;
    Handle handleAt(QPoint at) const;
    std::vector<std::pair<Handle, QRect>> handles() const;
    QRect resized(QRect from, QPoint by) const;
    void showLive(const QRect& r);
    // Writes the change of the selection from `before` to `after` as one step.
    void commit(const QRect& before, const QRect& after, const QString& label);
    void keepOnTop();
    void placeBar();
    void refreshStatus();
    // A selection whose component is not on the screen shown now is dropped:
    // its place would be read from another component's.
    void dropSelectionNotShown();

    TForm1& form_;
    editing::EditSession& session_;
    std::optional<editing::Component> selection_;
    QWidget* bar_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QString note_;
    // A drag under way.
    Handle dragging_ = Handle::None;
    bool moving_ = false;
    bool pickOnRelease_ = false;
    QPoint pressedAt_;
    QRect startRect_;
    QRect liveRect_;
    std::vector<std::pair<QPointer<QWidget>, QRect>> startGeometry_;
    QPoint lastPress_{-1, -1};
};

} // namespace taleplay
