// The focus ring: placed around its control, drawn black and white so it
// shows on any colour the game may have.
#include "platform/focus_ring.h"

#include "platform/accessibility.h"

#include <QEvent>
#include <QPainter>

namespace taleplay {

FocusRing::FocusRing(QWidget& window) : QWidget(&window) {
    setObjectName(QStringLiteral("FocusRing"));
    // Clicks go through to what lies below, and the ring is never focused.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    // It only shows where the focus is, which screen readers know already.
    keepFromAssistiveTechnology(*this);
    hide();
}

void FocusRing::follow(QWidget* target) {
    if (target_ == target) {
        place();
        return;
    }
    if (target_)
        target_->removeEventFilter(this);
    target_ = target;
    if (target_)
        target_->installEventFilter(this);
    place();
}

void FocusRing::place() {
    if (!target_ || !target_->isVisible()) {
        hide();
        return;
    }
    const int out = kGap + kWidth;
    const QPoint at = target_->mapTo(parentWidget(), QPoint(0, 0));
    setGeometry(QRect(at, target_->size()).adjusted(-out, -out, out, out));
    // Above the windowed controls too, which are raised after it is made.
    raise();
    show();
    update();
}

bool FocusRing::eventFilter(QObject* watched, QEvent* e) {
    if (watched == target_) {
        switch (e->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::ZOrderChange:
            place();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void FocusRing::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int half = kWidth / 2;
    // The outer half black, the inner half white: one of them always stands
    // out against the game's colours.
    painter.setPen(QPen(Qt::black, half, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    const QRectF outer = QRectF(rect()).adjusted(half / 2.0, half / 2.0, -half / 2.0, -half / 2.0);
    painter.drawRect(outer);
    painter.setPen(QPen(Qt::white, half, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(outer.adjusted(half, half, -half, -half));
}

} // namespace taleplay
