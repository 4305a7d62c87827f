// Keyboard play: the focus chain, its ring, Enter in text windows, Escape.
#include "app/keyboard_play.h"

#include "app/language.h"
#include "app/read_aloud.h"
#include "app/taleforge_main.h"
#include "platform/focus_ring.h"
#include "platform/system.h"

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>

namespace taleplay {
namespace {

bool plainKey(const QKeyEvent* e) {
    return !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

} // namespace

KeyboardPlay::KeyboardPlay(TForm1& form, ReadAloud& readAloud)
    : QObject(&form), form_(form), readAloud_(readAloud), ring_(new FocusRing(form)) {
    connect(qApp, &QApplication::focusChanged, this, &KeyboardPlay::onFocusChanged);
    // The keys reach whichever control of the window has the focus, and a
    // text window would keep Tab and Enter for itself.
    qApp->installEventFilter(this);
}

KeyboardPlay::~KeyboardPlay() {
    qApp->removeEventFilter(this);
}

std::vector<QWidget*> KeyboardPlay::focusChain() const {
    std::vector<QWidget*> chain;
    for (Control* c : form_.game().host().controls()) {
        QWidget* w = c->widget();
        if (c->destroyed() || !w->isVisible() || !w->isEnabled())
            continue;
        const bool button =
            c->kind() == ControlKind::Image && static_cast<ImageControl*>(c)->clickable();
        if (button || c->kind() == ControlKind::Edit)
            chain.push_back(w);
    }
    return chain;
}

void KeyboardPlay::moveFocus(Direction direction) {
    const std::vector<QWidget*> chain = focusChain();
    if (chain.empty())
        return;
    const auto at = std::find(chain.begin(), chain.end(), QApplication::focusWidget());
    std::size_t next = 0;
    if (at == chain.end())
        next = direction == Direction::Forward ? 0 : chain.size() - 1;
    else if (direction == Direction::Forward)
        next = (static_cast<std::size_t>(at - chain.begin()) + 1) % chain.size();
    else
        next = (static_cast<std::size_t>(at - chain.begin()) + chain.size() - 1) % chain.size();
    ringShown_ = true;
    QWidget* target = chain[next];
    if (QApplication::focusWidget() == target)
        ring_->follow(target); // the only control: it keeps the focus
    else
        target->setFocus(direction == Direction::Forward ? Qt::TabFocusReason
                                                         : Qt::BacktabFocusReason);
}

void KeyboardPlay::askToLeave() {
    const std::string question = launch::translate(
        launch::Phrase{"KeyboardPlay", QT_TRANSLATE_NOOP("KeyboardPlay", "Leave the game?"), {}});
    if (platform::askYesNo(&form_, "TALEPLAY", question) == platform::Answer::Yes)
        form_.close(); // as the window's own close button does: no result is written
}

void KeyboardPlay::screenChanged() {
    if (ringShown_ && ring_->target())
        ring_->follow(ring_->target());
}

void KeyboardPlay::onFocusChanged(QWidget*, QWidget* now) {
    if (!ringShown_)
        return;
    const std::vector<QWidget*> chain = focusChain();
    const bool inChain = std::find(chain.begin(), chain.end(), now) != chain.end();
    ring_->follow(inChain ? now : nullptr);
}

bool KeyboardPlay::eventFilter(QObject* watched, QEvent* e) {
    const QEvent::Type type = e->type();
    if ((type != QEvent::KeyPress && type != QEvent::MouseButtonPress) ||
        !watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != &form_)
        return false;
    if (type == QEvent::MouseButtonPress) {
        ringShown_ = false;
        ring_->follow(nullptr);
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(e);
    if (!plainKey(key))
        return false;
    switch (key->key()) {
    case Qt::Key_Tab:
        moveFocus(key->modifiers() & Qt::ShiftModifier ? Direction::Backward : Direction::Forward);
        return true;
    case Qt::Key_Backtab:
        moveFocus(Direction::Backward);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!qobject_cast<EditControl*>(watched))
            return false; // a button clicks
        moveFocus(Direction::Forward);
        return true;
    case Qt::Key_Escape:
        if (!key->isAutoRepeat())
            askToLeave();
        return true;
    case Qt::Key_F2:
        if (!key->isAutoRepeat())
            readAloud_.toggle();
        return true;
    default:
        return false;
    }
}

} // namespace taleplay
