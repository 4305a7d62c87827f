// Keyboard play: the focus chain, its ring, where the focus starts and goes,
// Enter in text windows, Escape.
#include "app/keyboard_play.h"

#include "app/language.h"
#include "app/read_aloud.h"
#include "app/taleforge_main.h"
#include "commands/command_text.h"
#include "commands/taleforge_serv_serv.h"
#include "descr/File_functions.h"
#include "descr/Stroki_functions.h"
#include "platform/focus_ring.h"
#include "platform/system.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <algorithm>

namespace taleplay {
namespace {

bool plainKey(const QKeyEvent* e) {
    return !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

bool isButton(const Control* c) {
    return c && c->kind() == ControlKind::Image && static_cast<const ImageControl*>(c)->clickable();
}

// A list whose items all show is read at a glance; one that scrolls must be
// reachable to be read.
bool scrolls(const ListControl& list) {
    return list.verticalScrollBar()->maximum() > 0 || list.horizontalScrollBar()->maximum() > 0;
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
        const bool list =
            c->kind() == ControlKind::List && scrolls(*static_cast<const ListControl*>(c));
        if (isButton(c) || c->kind() == ControlKind::Edit || list)
            chain.push_back(w);
    }
    return chain;
}

QWidget* KeyboardPlay::focused() const {
    QWidget* f = QApplication::focusWidget();
    if (f && f->window() == &form_)
        return f;
    f = form_.focusWidget();
    return f == &form_ ? nullptr : f;
}

QWidget* KeyboardPlay::startControl() const {
    const std::vector<QWidget*> chain = focusChain();
    for (QWidget* w : chain)
        if (controlOf(w)->kind() == ControlKind::Edit)
            return w;
    for (QWidget* w : chain)
        if (isButton(controlOf(w)))
            return w;
    return chain.empty() ? nullptr : chain.front();
}

void KeyboardPlay::focusStart() {
    if (focused())
        return;
    if (QWidget* start = startControl())
        start->setFocus(Qt::ActiveWindowFocusReason);
}

QWidget* KeyboardPlay::nextInChainAfter(const Control& control) const {
    const std::vector<QWidget*> chain = focusChain();
    const std::vector<Control*> all = form_.game().host().controls();
    const auto at = std::find(all.begin(), all.end(), &control);
    if (at == all.end())
        return startControl();
    // The chain is in creation order too: the first of it made after the
    // control, round the end.
    const std::size_t from = static_cast<std::size_t>(at - all.begin());
    for (std::size_t i = 1; i <= all.size(); ++i) {
        QWidget* w = all[(from + i) % all.size()]->widget();
        if (std::find(chain.begin(), chain.end(), w) != chain.end())
            return w;
    }
    return nullptr;
}

void KeyboardPlay::keepFocusVisible() {
    QWidget* f = focused();
    const Control* c = controlOf(f);
    if (!c || (!c->destroyed() && !f->isHidden() && f->isEnabled()))
        return;
    if (QWidget* next = nextInChainAfter(*c))
        next->setFocus(Qt::OtherFocusReason);
    else
        f->clearFocus();
}

QWidget* KeyboardPlay::checkingButton(const EditControl& box) const {
    Game& game = form_.game();
    for (QWidget* w : focusChain()) {
        auto* button = qobject_cast<ImageControl*>(w);
        if (!isButton(button))
            continue;
        // As the click reads its rules: the condition target cut with the
        // key as written, the command compared without letter case.
        const std::string file = form_.ruleFileOf(*button);
        const std::string key = "*button" + TForm1::buttonNumberOf(*button) + "*click*";
        const int rules = countLinesWithKey(file, key);
        for (int i = 1; i <= rules; ++i) {
            const std::string line = nthLineWithKey(file, key, i);
            if (asciiLowerCase(RuleField(line, "#", "^")) == "checktext" &&
                ComponentLookup(game, line, key, "#").component == &box)
                return button;
        }
    }
    return nullptr;
}

void KeyboardPlay::moveFocus(Direction direction) {
    const std::vector<QWidget*> chain = focusChain();
    if (chain.empty())
        return;
    const auto at = std::find(chain.begin(), chain.end(), focused());
    std::size_t next = 0;
    if (at == chain.end())
        next = direction == Direction::Forward ? 0 : chain.size() - 1;
    else if (direction == Direction::Forward)
        next = (static_cast<std::size_t>(at - chain.begin()) + 1) % chain.size();
    else
        next = (static_cast<std::size_t>(at - chain.begin()) + chain.size() - 1) % chain.size();
    ringShown_ = true;
    QWidget* target = chain[next];
    if (focused() == target)
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
    keepFocusVisible();
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
    case Qt::Key_Enter: {
        const auto* box = qobject_cast<EditControl*>(watched);
        if (!box)
            return false; // a button clicks
        if (QWidget* button = checkingButton(*box)) {
            ringShown_ = true;
            button->setFocus(Qt::TabFocusReason);
        } else {
            moveFocus(Direction::Forward);
        }
        return true;
    }
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
