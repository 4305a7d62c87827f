// The inspector: outlines, labels, the control under the pointer, the reports.
#include "app/inspector.h"

#include "app/taleforge_main.h"
#include "core/paths.h"
#include "platform/qtext.h"

#include <QApplication>
#include <QChildEvent>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace taleplay {
namespace {

// Often enough that a command's change shows at once to the eye, seldom
// enough to cost nothing while nothing changes.
constexpr int kRefreshMs = 200;
constexpr int kMostKeyLines = 40;
constexpr int kPanelWidth = 320;
constexpr int kMostPanelRows = 12;

const QColor kComponent(255, 0, 200);
const QColor kDecoration(0, 150, 255);
const QColor kHidden(128, 128, 128);
const QColor kHovered(255, 200, 0);
const QColor kFlagged(230, 40, 0);
const QColor kOlderBuild(150, 150, 150);

QString fileAndLine(const ControlOrigin& o) {
    if (o.file.empty())
        return {};
    const QString file = QString::fromStdString(paths::shown(paths::lastComponent(o.file)));
    return o.line > 0 ? QStringLiteral("%1:%2").arg(file).arg(o.line) : file;
}

void hashIn(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

} // namespace

Inspector::Inspector(TForm1& form) : QWidget(&form), form_(form) {
    setObjectName(QStringLiteral("inspector"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(form.rect());
    hide();

    panel_ = new QWidget(&form);
    panel_->setObjectName(QStringLiteral("inspectorReports"));
    panel_->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(panel_);
    heading_ = new QLabel(tr("Reports and errors"), panel_);
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    reports_ = new QListWidget(panel_);
    reports_->setWordWrap(true);
    heading_->setBuddy(reports_);
    layout->addWidget(heading_);
    layout->addWidget(reports_);
    panel_->hide();
    placePanel();

    checker_ = new CheckerFindings(this);
    connect(checker_, &CheckerFindings::ready, this, [this] {
        checked_ = true;
        fillReports();
        flagItems();
        update();
    });

    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &Inspector::refresh);
    // A new screen at once, not a moment later: a screenshot may follow.
    connect(&form, &TForm1::screenBuilt, this, [this] {
        checked_ = false;
        if (shown()) {
            refresh();
            checkFiles();
        }
    });
    // Controls made later must stay below; so must one a command raises.
    for (QObject* child : form.children()) {
        if (child != this && child != panel_ && child->isWidgetType())
            child->installEventFilter(this);
    }
    form.installEventFilter(this);
}

Inspector::~Inspector() {
    qApp->removeEventFilter(this);
    delete panel_;
}

void Inspector::toggle() {
    if (shown()) {
        refresh_.stop();
        qApp->removeEventFilter(this);
        hide();
        panel_->hide();
        return;
    }
    fingerprint_ = 0;
    refresh();
    if (!checked_)
        checkFiles();
    show();
    panel_->show();
    keepOnTop();
    // The pointer moves over controls that do not ask for its moves.
    qApp->installEventFilter(this);
    refresh_.start();
}

void Inspector::keepOnTop() {
    raise();
    panel_->raise();
}

void Inspector::raiseSoon() {
    if (raisePending_ || !shown())
        return;
    raisePending_ = true;
    QTimer::singleShot(0, this, [this] {
        raisePending_ = false;
        if (shown())
            keepOnTop();
    });
}

void Inspector::placePanel() {
    // In the top right corner, as small as its reports let it be, so it
    // hides little of the game.
    const int width = std::min(kPanelWidth, form_.width() / 4);
    const int rows = std::min(reports_->count(), kMostPanelRows);
    int listHeight = 2 * reports_->frameWidth() + 4;
    for (int i = 0; i < rows; ++i)
        listHeight += reports_->sizeHintForRow(i);
    if (rows == 0)
        listHeight += reports_->fontMetrics().height();
    const QMargins m = panel_->layout()->contentsMargins();
    const int height = m.top() + m.bottom() + panel_->layout()->spacing() +
                       heading_->sizeHint().height() + listHeight;
    panel_->setGeometry(form_.width() - width, 0, width, std::min(height, form_.height() / 2));
}

bool Inspector::eventFilter(QObject* watched, QEvent* e) {
    switch (e->type()) {
    case QEvent::Resize:
        if (watched == &form_) {
            setGeometry(form_.rect());
            placePanel();
        }
        break;
    case QEvent::ChildAdded:
        if (watched == &form_) {
            QObject* child = static_cast<QChildEvent*>(e)->child();
            if (child != this && child != panel_ && child->isWidgetType()) {
                child->installEventFilter(this);
                raiseSoon();
            }
        }
        break;
    case QEvent::ZOrderChange:
        if (watched != this && watched != panel_)
            raiseSoon();
        break;
    case QEvent::MouseMove:
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == &form_)
            hoverAt(form_.mapFromGlobal(static_cast<QMouseEvent*>(e)->globalPosition().toPoint()));
        break;
    default:
        break;
    }
    return false;
}

QRect Inspector::rectOf(const QWidget& w) const {
    return QRect(w.mapTo(&form_, QPoint(0, 0)), w.size());
}

std::size_t Inspector::fingerprint() const {
    std::size_t seed = 0;
    // Controls in stacking order, so a control raised or lowered counts.
    for (const Layer layer : {Layer::Graphic, Layer::Windowed}) {
        for (const QWidget* w : form_.game().host().stacking(layer)) {
            hashIn(seed, std::hash<const void*>{}(w));
            hashIn(seed, std::hash<int>{}(w->x() * 7919 + w->y()));
            hashIn(seed, std::hash<int>{}(w->width() * 7919 + w->height()));
            hashIn(seed, w->isHidden());
        }
    }
    return seed;
}

void Inspector::collect() {
    items_.clear();
    const Game& game = form_.game();
    for (const Layer layer : {Layer::Graphic, Layer::Windowed}) {
        for (QWidget* w : game.host().stacking(layer)) {
            Control* c = controlOf(w);
            Item item;
            item.origin = originOf(game, *c);
            if (item.origin.name.empty())
                continue;
            item.widget = c->widget();
            item.decoration = item.origin.name == c->name();
            item.where = fileAndLine(item.origin);
            item.label = QString::fromStdString(item.origin.name);
            if (!item.where.isEmpty())
                item.label += QStringLiteral("  ") + item.where;
            items_.push_back(std::move(item));
        }
    }
}

void Inspector::checkFiles() {
    const std::string& folder = form_.game().state.dataFolder;
    checker_->check(QFile::decodeName(QByteArray(folder.data(), qsizetype(folder.size()))));
}

void Inspector::addReports() {
    const Game& game = form_.game();
    if (reportsShown_ != game.messages().size() || rebuildsShown_ != game.rebuildsAt().size())
        fillReports();
}

void Inspector::fillReports() {
    const Game& game = form_.game();
    const std::vector<std::string>& messages = game.messages();
    const std::vector<std::size_t>& rebuilds = game.rebuildsAt();
    reports_->clear();
    auto heading = [&](const QString& text, const QColor& colour) {
        auto* item = new QListWidgetItem(text, reports_);
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
        item->setForeground(colour);
    };
    // A section for the first start and one for each rebuild; only the
    // newest is about the files as they are now.
    for (std::size_t section = 0; section <= rebuilds.size(); ++section) {
        const bool newest = section == rebuilds.size();
        const QColor colour = newest ? palette().windowText().color() : kOlderBuild;
        if (!rebuilds.empty())
            heading(section == 0 ? tr("First start") : tr("Rebuild %1").arg(section), colour);
        const std::size_t from = section == 0 ? 0 : rebuilds[section - 1];
        const std::size_t to = newest ? messages.size() : rebuilds[section];
        for (std::size_t i = from; i < to && i < messages.size(); ++i)
            (new QListWidgetItem(QString::fromStdString(messages[i]), reports_))
                ->setForeground(colour);
    }
    if (checked_) {
        const QColor colour = palette().windowText().color();
        if (!checker_->problem().isEmpty()) {
            heading(checker_->problem(), colour);
        } else {
            heading(tr("The checker on the files as they are now: %n finding(s)", nullptr,
                       static_cast<int>(checker_->findings().size())),
                    colour);
            for (const CheckerFinding& f : checker_->findings()) {
                const QString where = f.line > 0 ? QStringLiteral("%1:%2").arg(f.file).arg(f.line)
                                                 : f.file;
                auto* item = new QListWidgetItem(
                    where.isEmpty() ? f.message : QStringLiteral("%1: %2").arg(where, f.message),
                    reports_);
                item->setForeground(f.severity == QLatin1String("error")     ? kFlagged
                                    : f.severity == QLatin1String("warning") ? kFlagged.darker(130)
                                                                             : colour);
            }
        }
    }
    reportsShown_ = messages.size();
    rebuildsShown_ = rebuilds.size();
    reports_->scrollToBottom();
    placePanel();
}

void Inspector::flagItems() {
    for (Item& item : items_) {
        item.flagged = false;
        if (!checked_ || item.decoration || item.origin.file.empty())
            continue;
        const QString file =
            QString::fromStdString(paths::shown(paths::lastComponent(item.origin.file)));
        std::vector<int> lines;
        for (const NumberedLine& l : keyLinesOf(item.origin))
            lines.push_back(l.number);
        for (const CheckerFinding& f : checker_->findings()) {
            if (f.severity != QLatin1String("note") && f.file == file &&
                std::find(lines.begin(), lines.end(), f.line) != lines.end())
                item.flagged = true;
        }
    }
}

QStringList Inspector::flaggedLabels() const {
    QStringList out;
    for (const Item& item : items_)
        if (item.flagged)
            out << item.label;
    return out;
}

void Inspector::refresh() {
    addReports();
    const std::size_t now = fingerprint();
    if (now == fingerprint_)
        return;
    fingerprint_ = now;
    collect();
    flagItems();
    hoverAt(pointer_);
    describeHovered();
    update();
}

QStringList Inspector::labels() const {
    QStringList out;
    for (const Item& item : items_)
        out << item.label;
    return out;
}

void Inspector::hoverAt(QPoint windowPos) {
    pointer_ = windowPos;
    QWidget* found = nullptr;
    if (!panel_->geometry().contains(windowPos)) {
        for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
            if (it->widget && it->widget->isVisibleTo(&form_) &&
                rectOf(*it->widget).contains(windowPos)) {
                found = it->widget;
                break;
            }
        }
    }
    if (found == hovered_.data())
        return;
    hovered_ = found;
    describeHovered();
    update();
}

void Inspector::describeHovered() {
    hoverLines_.clear();
    const Item* item = nullptr;
    for (const Item& i : items_) {
        if (i.widget && i.widget == hovered_)
            item = &i;
    }
    if (!item)
        return;
    const Control* c = controlOf(item->widget.data());
    const QWidget& w = *item->widget;
    QString title = QString::fromStdString(item->origin.name);
    if (!item->decoration)
        title += QStringLiteral("  (%1)").arg(QString::fromStdString(c->name()));
    hoverLines_ << title;
    if (const QString where = fileAndLine(item->origin); !where.isEmpty())
        hoverLines_ << where;
    hoverLines_ << tr("left %1, top %2, width %3, height %4")
                       .arg(w.x())
                       .arg(w.y())
                       .arg(w.width())
                       .arg(w.height());
    const std::vector<NumberedLine> lines = keyLinesOf(item->origin);
    for (std::size_t i = 0; i < lines.size() && i < kMostKeyLines; ++i)
        hoverLines_ << QStringLiteral("%1: %2").arg(lines[i].number).arg(toQString(lines[i].text));
    if (lines.size() > kMostKeyLines)
        hoverLines_ << tr("… and %n more lines", nullptr,
                          static_cast<int>(lines.size() - kMostKeyLines));
}

void Inspector::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QFont small = font();
    small.setPixelSize(11);
    p.setFont(small);
    const QFontMetrics fm(small);

    auto tag = [&](QPoint at, const QString& text, const QColor& colour) {
        QRect box = fm.boundingRect(text).adjusted(-2, 0, 2, 0);
        box.moveTopLeft(at);
        p.fillRect(box, QColor(255, 255, 255, 200));
        p.setPen(colour);
        p.drawText(box, Qt::AlignCenter, text);
    };

    // The many tiles of a background or a frame say once where they come from.
    QSet<QString> placesSaid;
    for (const Item& item : items_) {
        const Control* c = controlOf(item.widget.data());
        if (!c || c->destroyed())
            continue;
        const QRect r = rectOf(*item.widget);
        const bool visible = item.widget->isVisibleTo(&form_);
        const QColor colour = !visible ? kHidden : item.decoration ? kDecoration : kComponent;
        p.setPen(QPen(colour, item.decoration || !visible ? 1 : 2,
                      visible ? (item.decoration ? Qt::DotLine : Qt::SolidLine) : Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        if (item.flagged) {
            // What the checker says of it is in the list; here it is found.
            p.setPen(QPen(kFlagged, 3, Qt::DashLine));
            p.drawRect(r.adjusted(2, 2, -3, -3));
        }
        QString label = item.label;
        if (item.decoration && placesSaid.contains(item.where))
            label = QString::fromStdString(item.origin.name);
        placesSaid.insert(item.where);
        tag(r.topLeft() + QPoint(1, 1), visible ? label : tr("%1 (hidden)").arg(label),
            colour.darker(150));
    }

    if (!hovered_ || hoverLines_.isEmpty())
        return;
    p.setPen(QPen(kHovered, 3));
    p.drawRect(rectOf(*hovered_).adjusted(1, 1, -2, -2));

    // The lines next to the pointer, inside the window and beside the list
    // of reports.
    int width = 0;
    for (const QString& line : hoverLines_)
        width = std::max(width, fm.horizontalAdvance(line));
    QRect box(0, 0, width + 12, static_cast<int>(hoverLines_.size()) * fm.height() + 8);
    box.moveTopLeft(pointer_ + QPoint(16, 16));
    if (box.right() > rect().right())
        box.moveRight(std::max(box.width() - 1, pointer_.x() - 16));
    if (box.bottom() > rect().bottom())
        box.moveBottom(std::max(box.height() - 1, pointer_.y() - 16));
    if (box.intersects(panel_->geometry()))
        box.moveRight(std::max(box.width() - 1, panel_->x() - 1));
    p.fillRect(box, QColor(255, 255, 225, 235));
    p.setPen(Qt::black);
    p.drawRect(box.adjusted(0, 0, -1, -1));
    int y = box.top() + 4;
    for (const QString& line : hoverLines_) {
        p.drawText(QRect(box.left() + 6, y, width + 2, fm.height()), Qt::AlignLeft, line);
        y += fm.height();
    }
}

} // namespace taleplay
