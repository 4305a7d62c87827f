// Edit mode: selection, handles, drags, keys, the bar and the status line.
#include "app/edit_mode.h"

#include "app/edit_form.h"
#include "app/edit_placement.h"
#include "app/edit_session.h"
#include "app/taleforge_main.h"
#include "core/paths.h"
#include "platform/qtext.h"
#include "platform/system.h"

#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace taleplay {

using editing::Component;
using editing::Kind;

namespace {

constexpr int kFrame = 4;
constexpr int kHandle = 8;
constexpr int kBigStep = 10;
const QColor kFrameColour(255, 140, 0);
const QColor kSelection(0, 110, 255);
const QColor kOutline(0, 110, 255, 90);

QString kindWord(Kind kind) {
    switch (kind) {
    case Kind::Picture:
        return EditMode::tr("picture");
    case Kind::Shape:
        return EditMode::tr("shape");
    case Kind::Text:
        return EditMode::tr("text line");
    case Kind::List:
        return EditMode::tr("list");
    case Kind::TextWindow:
        return EditMode::tr("text window");
    case Kind::Button:
        return EditMode::tr("button");
    case Kind::LargeBackground:
        return EditMode::tr("large background");
    case Kind::Video:
        return EditMode::tr("video window");
    }
    return {};
}

QString shownFile(const std::string& composed) {
    return QString::fromStdString(paths::shown(paths::lastComponent(composed)));
}

// What a written value says to the author when it is not simply the number
// put there.
QString describe(const editing::Written& w, const std::string& key, int wanted) {
    const QString k = QString::fromStdString(key);
    using How = editing::Written::How;
    if (w.reads == 0 && wanted != 0)
        return EditMode::tr("%1 reads as not given, so the default applies").arg(k);
    switch (w.how) {
    case How::OffCentre:
        return EditMode::tr("%1 is no longer centred: written as %2 of %3 divisions")
            .arg(k)
            .arg(w.numerator)
            .arg(w.denominator);
    case How::Divisions:
        if (w.reads != wanted)
            return EditMode::tr("%1: %2 of %3 divisions, %4 px from where it was put")
                .arg(k)
                .arg(w.numerator)
                .arg(w.denominator)
                .arg(w.reads - wanted);
        return EditMode::tr("%1: %2 of %3 divisions").arg(k).arg(w.numerator).arg(w.denominator);
    case How::Added:
        return EditMode::tr("%1%2# added on a line of its own").arg(k).arg(wanted);
    case How::Pixels:
        break;
    }
    return {};
}

// The first picture of the data folder, for a picture or button added when
// none is selected.
std::string firstPictureIn(const std::string& folder) {
    const QStringList found =
        QDir(QFile::decodeName(QByteArray::fromStdString(folder)))
            .entryList({"*.png", "*.bmp", "*.jpg", "*.jpeg", "*.gif", "*.PNG", "*.BMP", "*.JPG"},
                       QDir::Files, QDir::Name);
    return found.isEmpty() ? std::string() : found.front().toStdString();
}

} // namespace

EditMode::EditMode(TForm1& form, editing::EditSession& session)
    : QWidget(&form), form_(form), session_(session) {
    setObjectName(QStringLiteral("editMode"));
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(false);
    setGeometry(form.rect());
    hide();

    bar_ = new QWidget(&form);
    bar_->setObjectName(QStringLiteral("editModeBar"));
    bar_->setAutoFillBackground(true);
    QPalette p = bar_->palette();
    p.setColor(QPalette::Window, QColor(255, 244, 220));
    p.setColor(QPalette::WindowText, Qt::black);
    bar_->setPalette(p);
    auto* layout = new QHBoxLayout(bar_);
    layout->setContentsMargins(8, 4, 8, 4);
    statusLabel_ = new QLabel(bar_);
    statusLabel_->setObjectName(QStringLiteral("editModeStatus"));
    statusLabel_->setWordWrap(true);
    layout->addWidget(statusLabel_, 1);
    struct Adder {
        QString text;
        Kind kind;
    };
    for (const Adder& a :
         {Adder{tr("Add picture"), Kind::Picture}, Adder{tr("Add text line"), Kind::Text},
          Adder{tr("Add text window"), Kind::TextWindow}, Adder{tr("Add button"), Kind::Button}}) {
        auto* button = new QPushButton(a.text, bar_);
        button->setFocusPolicy(Qt::NoFocus);
        const Kind kind = a.kind;
        connect(button, &QPushButton::clicked, this, [this, kind] { add(kind); });
        layout->addWidget(button);
    }
    auto* save = new QPushButton(tr("Save"), bar_);
    save->setFocusPolicy(Qt::NoFocus);
    connect(save, &QPushButton::clicked, this, &EditMode::saveAsked);
    layout->addWidget(save);
    bar_->hide();

    connect(&session_.undoStack(), &QUndoStack::indexChanged, this, [this] { refreshStatus(); });
    form.installEventFilter(this);
}

EditMode::~EditMode() {
    delete bar_;
}

void EditMode::setOn(bool on) {
    if (on == this->on())
        return;
    if (!on) {
        // Left in the middle of a drag, the release never comes here: what
        // was dragged goes back to where its files put it.
        if (moving_ || dragging_ != Handle::None) {
            for (const auto& [w, geometry] : startGeometry_)
                if (w)
                    w->setGeometry(geometry);
            moving_ = pickOnRelease_ = false;
            dragging_ = Handle::None;
        }
        hide();
        bar_->hide();
        return;
    }
    note_.clear();
    // The game may have gone to its end screen while edit mode was off.
    dropSelectionNotShown();
    setGeometry(form_.rect());
    show();
    bar_->show();
    placeBar();
    keepOnTop();
    refreshStatus();
}

void EditMode::keepOnTop() {
    raise();
    bar_->raise();
}

void EditMode::placeBar() {
    QLayout* layout = bar_->layout();
    layout->activate();
    const int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(form_.width())
                                                   : bar_->sizeHint().height();
    const QRect bottom(0, form_.height() - height, form_.width(), height);
    const QRect top(0, 0, form_.width(), height);
    // At the bottom, unless it would cover the selection there: every
    // component stays within reach of the pointer.
    const QRect selected = selectionRect();
    const bool under = selection_ && selected.intersects(bottom) && !selected.intersects(top);
    bar_->setGeometry(under ? top : bottom);
}

bool EditMode::eventFilter(QObject* watched, QEvent* e) {
    if (watched == &form_ && e->type() == QEvent::Resize) {
        setGeometry(form_.rect());
        placeBar();
    } else if (watched == &form_ && e->type() == QEvent::ChildAdded && on()) {
        // Controls made later (a rebuild) must stay below.
        QTimer::singleShot(0, this, [this] {
            if (on())
                keepOnTop();
        });
    }
    return false;
}

void EditMode::say(const QString& text) {
    note_ = text;
    refreshStatus();
}

QString EditMode::status() const {
    return statusLabel_->text();
}

void EditMode::refreshStatus() {
    QStringList parts;
    parts << tr("Edit mode: click or Tab to select, drag to move, handles resize, arrows nudge, "
                "Enter edits, Delete removes, Ctrl+Z undoes, Ctrl+S saves, F6 plays.");
    if (selection_) {
        const QRect r = selectionRect();
        parts << tr("Selected: %1 %2 (%3), %4, %5, %6 x %7.")
                     .arg(kindWord(selection_->kind), QString::fromStdString(selection_->target),
                          shownFile(selection_->file))
                     .arg(r.left())
                     .arg(r.top())
                     .arg(r.width())
                     .arg(r.height());
    }
    if (!note_.isEmpty()) {
        // A system's error text comes without a full stop; the next part
        // would run on as if it were part of it.
        const bool ended = note_.endsWith(QLatin1Char('.')) || note_.endsWith(QLatin1Char('?')) ||
                           note_.endsWith(QLatin1Char('!'));
        parts << (ended ? note_ : note_ + QLatin1Char('.'));
    }
    if (session_.unsaved())
        parts << tr("Not saved yet.");
    statusLabel_->setText(parts.join(QLatin1Char(' ')));
    if (on())
        placeBar();
    update();
}

void EditMode::select(const std::string& target) {
    selection_ = target.empty() ? std::nullopt : editing::componentNamed(form_.game(), target);
    refreshStatus();
}

QRect EditMode::selectionRect() const {
    return selection_ ? editing::rectOf(form_.game(), *selection_) : QRect();
}

void EditMode::dropSelectionNotShown() {
    if (selection_ && editing::widgetsOf(form_.game(), *selection_).empty())
        selection_.reset();
}

void EditMode::screenRebuilt() {
    if (selection_) {
        const Component was = *selection_;
        select(was.target);
        if (selection_ && selection_->file != was.file)
            selection_.reset();
    }
    if (on())
        keepOnTop();
}

std::optional<Component> EditMode::pick(QPoint at) const {
    Game& game = form_.game();
    const ControlHost& host = game.host();
    // What is seen first: the windowed controls lie over the painted ones.
    for (const Layer layer : {Layer::Windowed, Layer::Graphic}) {
        const std::vector<QWidget*> stack = host.stacking(layer);
        for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
            QWidget* w = *it;
            if (w->isHidden() || !w->geometry().contains(at))
                continue;
            if (Control* c = controlOf(w))
                if (auto found = editing::componentOf(game, *c))
                    return found;
        }
    }
    // Then what starts hidden, which a click could not reach otherwise.
    for (Control* c : host.controls()) {
        if (c->widget()->isHidden() && c->widget()->geometry().contains(at))
            if (auto found = editing::componentOf(game, *c))
                return found;
    }
    return std::nullopt;
}

std::vector<std::pair<EditMode::Handle, QRect>> EditMode::handles() const {
    std::vector<std::pair<Handle, QRect>> out;
    if (!selection_ || !selection_->movable())
        return out;
    const QRect r = selectionRect();
    auto box = [](int x, int y) {
        return QRect(x - kHandle / 2, y - kHandle / 2, kHandle, kHandle);
    };
    const int midX = r.left() + r.width() / 2, midY = r.top() + r.height() / 2;
    if (selection_->sizedAcross()) {
        out.push_back({Handle::Left, box(r.left(), midY)});
        out.push_back({Handle::Right, box(r.right() + 1, midY)});
    }
    if (selection_->sizedDown()) {
        out.push_back({Handle::Top, box(midX, r.top())});
        out.push_back({Handle::Bottom, box(midX, r.bottom() + 1)});
        out.push_back({Handle::TopLeft, box(r.left(), r.top())});
        out.push_back({Handle::TopRight, box(r.right() + 1, r.top())});
        out.push_back({Handle::BottomLeft, box(r.left(), r.bottom() + 1)});
        out.push_back({Handle::BottomRight, box(r.right() + 1, r.bottom() + 1)});
    }
    return out;
}

EditMode::Handle EditMode::handleAt(QPoint at) const {
    for (const auto& [handle, box] : handles()) {
        if (box.adjusted(-2, -2, 2, 2).contains(at))
            return handle;
    }
    return Handle::None;
}

QRect EditMode::resized(QRect r, QPoint by) const {
    const bool left = dragging_ == Handle::Left || dragging_ == Handle::TopLeft ||
                      dragging_ == Handle::BottomLeft;
    const bool right = dragging_ == Handle::Right || dragging_ == Handle::TopRight ||
                       dragging_ == Handle::BottomRight;
    const bool top =
        dragging_ == Handle::Top || dragging_ == Handle::TopLeft || dragging_ == Handle::TopRight;
    const bool bottom = dragging_ == Handle::Bottom || dragging_ == Handle::BottomLeft ||
                        dragging_ == Handle::BottomRight;
    // Never smaller than a pixel: a size of 0 reads as not given.
    if (left)
        r.setLeft(std::min(r.left() + by.x(), r.right()));
    if (right)
        r.setRight(std::max(r.right() + by.x(), r.left()));
    if (top)
        r.setTop(std::min(r.top() + by.y(), r.bottom()));
    if (bottom)
        r.setBottom(std::max(r.bottom() + by.y(), r.top()));
    return r;
}

void EditMode::showLive(const QRect& r) {
    liveRect_ = r;
    const QPoint delta = r.topLeft() - startRect_.topLeft();
    const bool single = startGeometry_.size() == 1;
    for (const auto& [w, geometry] : startGeometry_) {
        if (!w)
            continue;
        if (single && selection_->kind != Kind::Text)
            w->setGeometry(QRect(geometry.topLeft() + delta, r.size()));
        else
            w->move(geometry.topLeft() + delta);
    }
    update();
}

void EditMode::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint at = e->position().toPoint();
    lastPress_ = at;
    pressedAt_ = at;
    // A rule's pause may have ended in another screen since the selection.
    dropSelectionNotShown();
    dragging_ = handleAt(at);
    moving_ = false;
    // A press inside the selection drags the selection, even where another
    // component covers part of it; a click there without a drag selects
    // what lies on top (on release).
    pickOnRelease_ = false;
    if (dragging_ == Handle::None) {
        if (selection_ && selection_->movable() && selectionRect().contains(at)) {
            pickOnRelease_ = true;
        } else {
            selection_ = pick(at);
            note_.clear();
        }
        moving_ = selection_ && selection_->movable();
    }
    startGeometry_.clear();
    if (selection_) {
        startRect_ = liveRect_ = selectionRect();
        for (QWidget* w : editing::widgetsOf(form_.game(), *selection_))
            startGeometry_.push_back({w, w->geometry()});
    }
    refreshStatus();
}

void EditMode::mouseMoveEvent(QMouseEvent* e) {
    if (!(e->buttons() & Qt::LeftButton) || !selection_)
        return;
    const QPoint by = e->position().toPoint() - pressedAt_;
    if (moving_)
        showLive(startRect_.translated(by));
    else if (dragging_ != Handle::None)
        showLive(resized(startRect_, by));
}

void EditMode::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton)
        return;
    const bool moved = moving_ && liveRect_ != startRect_;
    const bool sized = dragging_ != Handle::None && liveRect_ != startRect_;
    moving_ = false;
    dragging_ = Handle::None;
    if (pickOnRelease_ && !moved) {
        pickOnRelease_ = false;
        selection_ = pick(e->position().toPoint());
        note_.clear();
        refreshStatus();
        return;
    }
    pickOnRelease_ = false;
    if (selection_ && (moved || sized))
        commit(startRect_, liveRect_,
               (moved ? tr("Move %1") : tr("Resize %1"))
                   .arg(QString::fromStdString(selection_->target)));
}

void EditMode::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton)
        return;
    selection_ = pick(e->position().toPoint());
    if (selection_)
        openForm();
}

void EditMode::commit(const QRect& before, const QRect& after, const QString& label) {
    const Component c = *selection_;
    Game& game = form_.game();
    const int width = game.clientWidth(), height = game.clientHeight();
    QStringList notes;
    // Where the player will put it: a value in divisions lands on the
    // nearest division, and the screen shows it there at once.
    auto shown = std::make_shared<QRect>(after);
    auto place = [this, c](const QRect& from, const QRect& to) {
        const std::vector<QWidget*> widgets = editing::widgetsOf(form_.game(), c);
        for (QWidget* w : widgets) {
            w->move(w->pos() + to.topLeft() - from.topLeft());
            if (widgets.size() == 1 && c.kind != Kind::Text)
                w->resize(to.size());
        }
    };
    const auto refused = session_.change(
        label,
        [&] {
            editing::DescriptionDocument& doc = session_.document(c.file);
            auto write = [&](Axis axis, editing::Quantity q, int was, int now) -> int {
                if (was == now)
                    return now;
                const editing::Written w =
                    editing::writePlacement(doc, c.stem, axis, q, now,
                                            axis == Axis::Horizontal ? width : height, c.otherStem);
                const std::string key = c.stem + editing::placementSuffix(
                                                     axis, q,
                                                     w.how == editing::Written::How::Divisions ||
                                                         w.how == editing::Written::How::OffCentre);
                if (const QString note = describe(w, key, now); !note.isEmpty())
                    notes << note;
                return w.reads != 0 ? w.reads : now;
            };
            const int left =
                write(Axis::Horizontal, editing::Quantity::Position, before.left(), after.left());
            const int top =
                write(Axis::Vertical, editing::Quantity::Position, before.top(), after.top());
            int w = after.width(), h = after.height();
            if (c.sizedAcross())
                w = write(Axis::Horizontal, editing::Quantity::Size, before.width(), after.width());
            if (c.sizedDown())
                h = write(Axis::Vertical, editing::Quantity::Size, before.height(), after.height());
            *shown = QRect(left, top, w, h);
        },
        [this, c, before, shown, place](bool forward) {
            if (forward)
                place(before, *shown);
            else
                place(*shown, before);
            selection_ = c;
            dropSelectionNotShown();
            refreshStatus();
        });
    if (refused) {
        place(after, before);
        return say(*refused);
    }
    if (*shown != after)
        place(after, *shown);
    note_ = notes.isEmpty() ? QString() : notes.join(QStringLiteral("; ")) + QLatin1Char('.');
    refreshStatus();
}

void EditMode::selectNext(int step) {
    // In the order the game made them, as keyboard play goes through them.
    std::vector<Component> all;
    for (Control* c : form_.game().host().controls()) {
        const auto component = editing::componentOf(form_.game(), *c);
        if (component && std::find(all.begin(), all.end(), *component) == all.end())
            all.push_back(*component);
    }
    if (all.empty())
        return;
    auto at = selection_ ? std::find(all.begin(), all.end(), *selection_) : all.end();
    const auto size = static_cast<std::ptrdiff_t>(all.size());
    std::ptrdiff_t index = at == all.end() ? (step > 0 ? -1 : 0) : at - all.begin();
    index = ((index + step) % size + size) % size;
    selection_ = all[static_cast<std::size_t>(index)];
    note_.clear();
    refreshStatus();
}

void EditMode::nudge(int dx, int dy) {
    dropSelectionNotShown();
    if (!selection_)
        return;
    if (!selection_->movable())
        return say(tr("The large background always fills the window; Enter changes its picture."));
    const QRect before = selectionRect();
    const QRect after = before.translated(dx, dy);
    for (QWidget* w : editing::widgetsOf(form_.game(), *selection_))
        w->move(w->pos() + QPoint(dx, dy));
    commit(before, after, tr("Move %1").arg(QString::fromStdString(selection_->target)));
}

void EditMode::removeSelected() {
    dropSelectionNotShown();
    if (!selection_)
        return;
    const Component c = *selection_;
    const std::string question =
        tr("Take %1 off the screen? Its keys are taken out of %2; Ctrl+Z brings them back.")
            .arg(QString::fromStdString(c.target), shownFile(c.file))
            .toStdString();
    if (platform::askYesNo(&form_, "Taleplay", question) != platform::Answer::Yes)
        return;
    std::vector<std::pair<QPointer<QWidget>, bool>> shown;
    for (QWidget* w : editing::widgetsOf(form_.game(), c))
        shown.push_back({w, !w->isHidden()});
    const auto refused = session_.change(
        tr("Remove %1").arg(QString::fromStdString(c.target)),
        [&] { editing::removeKeys(session_.document(c.file), c); },
        [this, c](bool forward) {
            // The controls as they were: those the rebuild made are found again.
            for (QWidget* w : editing::widgetsOf(form_.game(), c))
                w->setVisible(!forward);
            selection_ = forward ? std::nullopt : std::optional<Component>(c);
            dropSelectionNotShown();
            refreshStatus();
        });
    if (refused)
        return say(*refused);
    for (const auto& [w, visible] : shown)
        if (w)
            w->hide();
    selection_.reset();
    say(tr("%1 taken out of %2.").arg(QString::fromStdString(c.target), shownFile(c.file)));
}

void EditMode::add(Kind kind) {
    Game& game = form_.game();
    const QPoint at = lastPress_.x() >= 0
                          ? lastPress_
                          : QPoint(game.clientWidth() / 10, game.clientHeight() / 10);
    std::string file;
    if (kind == Kind::Picture || kind == Kind::Button) {
        if (selection_ && (selection_->kind == Kind::Picture || selection_->kind == Kind::Button)) {
            try {
                file = editing::fieldsOf(session_, *selection_).front().values.front();
            } catch (const std::exception&) {
                // The folder's first picture, then.
            }
        }
        if (file.empty())
            file = firstPictureIn(game.state.dataFolder);
    }
    std::string target;
    const auto refused = session_.change(tr("Add %1").arg(kindWord(kind)), [&] {
        target = editing::addComponent(session_, game, kind, at.x(), at.y(), file);
    });
    if (refused)
        return say(*refused);
    QString text = tr("%1 added at %2, %3; Ctrl+S saves it and shows it.")
                       .arg(QString::fromStdString(target))
                       .arg(std::max(1, at.x()))
                       .arg(std::max(1, at.y()));
    if (kind == Kind::Button)
        text +=
            QLatin1Char(' ') +
            tr("A click rule to fill in follows its keys: put \"*\" before it when it is done.");
    say(text);
}

void EditMode::openForm() {
    if (!selection_)
        return;
    const Component c = *selection_;
    std::vector<editing::Field> fields;
    try {
        fields = editing::fieldsOf(session_, c);
    } catch (const std::exception& e) {
        return say(toQString(e.what())); // its file cannot be read
    }
    if (!runEditForm(&form_, c, fields, form_.game().state.dataFolder))
        return;
    const auto refused = session_.change(tr("Edit %1").arg(QString::fromStdString(c.target)),
                                         [&] { editing::writeFields(session_, c, fields); });
    say(refused ? *refused
                : tr("%1 changed; Ctrl+S saves it and shows it.")
                      .arg(QString::fromStdString(c.target)));
}

bool EditMode::key(const QKeyEvent& e) {
    const Qt::KeyboardModifiers mods =
        e.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool ctrl = mods & Qt::ControlModifier, shift = mods & Qt::ShiftModifier;
    const int step = shift ? kBigStep : 1;
    switch (e.key()) {
    case Qt::Key_Z:
        if (ctrl && shift)
            session_.undoStack().redo();
        else if (ctrl)
            session_.undoStack().undo();
        break;
    case Qt::Key_Y:
        if (ctrl)
            session_.undoStack().redo();
        break;
    case Qt::Key_Left:
        nudge(-step, 0);
        break;
    case Qt::Key_Right:
        nudge(step, 0);
        break;
    case Qt::Key_Up:
        nudge(0, -step);
        break;
    case Qt::Key_Down:
        nudge(0, step);
        break;
    case Qt::Key_Delete:
        removeSelected();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        openForm();
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        selectNext(e.key() == Qt::Key_Backtab || shift ? -1 : 1);
        break;
    case Qt::Key_Escape:
        selection_.reset();
        note_.clear();
        refreshStatus();
        break;
    case Qt::Key_P:
    case Qt::Key_T:
    case Qt::Key_W:
    case Qt::Key_B:
        if (ctrl && shift)
            add(e.key() == Qt::Key_P   ? Kind::Picture
                : e.key() == Qt::Key_T ? Kind::Text
                : e.key() == Qt::Key_W ? Kind::TextWindow
                                       : Kind::Button);
        break;
    default:
        break;
    }
    // Every key is edit mode's while it is on: none reaches the game.
    return true;
}

void EditMode::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QPen(kFrameColour, kFrame));
    p.drawRect(rect().adjusted(kFrame / 2, kFrame / 2, -kFrame / 2, -kFrame / 2));
    // Every component a click can select, faintly.
    Game& game = form_.game();
    p.setPen(QPen(kOutline, 1, Qt::DashLine));
    for (Control* c : game.host().controls()) {
        const auto component = editing::componentOf(game, *c);
        if (component && component->kind != Kind::LargeBackground)
            p.drawRect(c->widget()->geometry().adjusted(0, 0, -1, -1));
    }
    if (!selection_)
        return;
    const QRect r = dragging_ != Handle::None || moving_ ? liveRect_ : selectionRect();
    p.setPen(QPen(kSelection, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setBrush(Qt::white);
    p.setPen(QPen(kSelection, 1));
    for (const auto& [handle, box] : handles())
        p.drawRect(box.translated(r.topLeft() - selectionRect().topLeft()));
}

} // namespace taleplay
