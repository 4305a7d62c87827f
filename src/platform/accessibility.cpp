// Roles of the painted controls, a button's press action, the screen's
// children in reading order, and announcements.
#include "platform/accessibility.h"

#include "platform/controls.h"
#include "platform/host.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <algorithm>
#include <deque>

namespace taleplay {
namespace {

const char* const kKeptApart = "taleplayKeptApart";

// One announcement: what a notification of the screen says.
class Announcement final : public QObject {
  public:
    Announcement(QString text, QObject* window) : QObject(window), text_(std::move(text)) {}
    const QString& text() const { return text_; }

  private:
    QString text_;
};

// What a screen keeps for its accessible: the host whose controls are its
// children, those children once worked out, and the latest announcements.
struct Screen {
    ControlHost* host = nullptr;
    std::vector<QPointer<QObject>> children;
    bool stale = true;
    std::deque<QPointer<Announcement>> announcements;
};

QHash<const QWidget*, Screen>& screens() {
    static QHash<const QWidget*, Screen> all;
    return all;
}

// A reader may look at an announcement a while after it was made (Orca
// queues what it hears); the last few stay for it.
constexpr std::size_t kAnnouncementsKept = 8;

std::vector<QObject*> childrenOf(const QWidget* window) {
    auto it = screens().find(window);
    if (it == screens().end())
        return {};
    Screen& s = *it;
    // The controls in reading order are worked out once for what an event
    // made of the screen; the window's few other widgets come and go
    // outside the game's events (the inspector), and are looked at each time.
    if (s.stale) {
        std::vector<QWidget*> shown;
        if (s.host) {
            for (Control* c : s.host->controls())
                if (!c->destroyed() && c->presence() == Presence::Presented)
                    shown.push_back(c->widget());
        }
        sortInReadingOrder(shown, *window);
        s.children.assign(shown.begin(), shown.end());
        s.stale = false;
    }
    std::vector<QObject*> out;
    out.reserve(s.children.size() + 2);
    for (const QPointer<QObject>& p : s.children)
        if (p)
            out.push_back(p.data());
    for (QObject* o : window->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && !w->isWindow() && !w->isHidden() && !controlOf(w) &&
            (!s.host || w != &s.host->graphicLayer()) && !w->property(kKeptApart).toBool())
            out.push_back(w);
    }
    if (!s.announcements.empty() && s.announcements.back())
        out.push_back(s.announcements.back().data());
    return out;
}

QAccessibleInterface* screenOf(const QWidget* window) {
    if (!window || !screens().contains(window))
        return nullptr;
    return QAccessible::queryAccessibleInterface(const_cast<QWidget*>(window));
}

class ScreenAccessible final : public QAccessibleWidget {
  public:
    explicit ScreenAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Window) {}

    int childCount() const override { return static_cast<int>(childrenOf(widget()).size()); }
    QAccessibleInterface* child(int index) const override {
        const std::vector<QObject*> children = childrenOf(widget());
        if (index < 0 || static_cast<std::size_t>(index) >= children.size())
            return nullptr;
        return QAccessible::queryAccessibleInterface(children[static_cast<std::size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child)
            return -1;
        const std::vector<QObject*> children = childrenOf(widget());
        const auto at = std::find(children.begin(), children.end(), child->object());
        return at == children.end() ? -1 : static_cast<int>(at - children.begin());
    }
};

class ControlAccessible final : public QAccessibleWidget {
  public:
    ControlAccessible(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}

    // A picture becomes a button when its click is wired, which may be
    // after a screen reader first asked about it.
    QAccessible::Role role() const override {
        if (silent())
            return QAccessible::NoRole;
        if (qobject_cast<ImageControl*>(widget()))
            return button() ? QAccessible::Button : QAccessible::Graphic;
        return QAccessibleWidget::role();
    }

    QString text(QAccessible::Text t) const override {
        return silent() ? QString() : QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (silent())
            s.invisible = true;
        return s;
    }

    // The screen, not the layer the control is painted on.
    QAccessibleInterface* parent() const override {
        if (QAccessibleInterface* screen = screenOf(widget()->window()))
            return screen;
        return QAccessibleWidget::parent();
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (button() && !silent())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& action) override {
        if (action != pressAction())
            return QAccessibleWidget::doAction(action);
        if (ImageControl* b = button(); b && b->isVisible() && b->isEnabled())
            b->click();
    }

  private:
    ImageControl* button() const {
        auto* image = qobject_cast<ImageControl*>(widget());
        return image && image->clickable() ? image : nullptr;
    }
    bool silent() const {
        const Control* c = controlOf(widget());
        return c && c->presence() == Presence::Silent;
    }
};

class AnnouncementAccessible final : public QAccessibleObject {
  public:
    explicit AnnouncementAccessible(Announcement* a) : QAccessibleObject(a) {}

    QAccessible::Role role() const override { return QAccessible::Notification; }
    QString text(QAccessible::Text t) const override {
        auto* a = static_cast<Announcement*>(object());
        return t == QAccessible::Name && a ? a->text() : QString();
    }
    // Only the latest is in view: older ones wait for a late reader.
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invisible = parent() == nullptr || parent()->indexOfChild(this) < 0;
        return s;
    }
    QAccessibleInterface* parent() const override {
        return object() ? screenOf(qobject_cast<QWidget*>(object()->parent())) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
};

QAccessibleInterface* controlAccessible(const QString&, QObject* object) {
    if (auto* image = qobject_cast<ImageControl*>(object))
        return new ControlAccessible(image, QAccessible::Graphic);
    if (auto* label = qobject_cast<LabelControl*>(object))
        return new ControlAccessible(label, QAccessible::StaticText);
    if (auto* shape = qobject_cast<ShapeControl*>(object))
        return new ControlAccessible(shape, QAccessible::Graphic);
    if (auto* video = qobject_cast<VideoControl*>(object))
        return new ControlAccessible(video, QAccessible::Animation);
    if (auto* announcement = dynamic_cast<Announcement*>(object))
        return new AnnouncementAccessible(announcement);
    if (object && object->isWidgetType() && screens().contains(static_cast<QWidget*>(object)))
        return new ScreenAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

void installControlAccessibility() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(controlAccessible);
}

void presentScreen(ControlHost& host) {
    screens()[&host.window()].host = &host;
}

void forgetScreen(ControlHost& host) {
    screens().remove(&host.window());
}

void keepFromAssistiveTechnology(QWidget& widget) {
    widget.setProperty(kKeptApart, true);
}

void screenChanged(QWidget& window) {
    if (auto it = screens().find(&window); it != screens().end())
        it->stale = true;
}

void sortInReadingOrder(std::vector<QWidget*>& widgets, const QWidget& window) {
    struct Placed {
        QWidget* widget;
        QRect box;
    };
    std::vector<Placed> placed;
    placed.reserve(widgets.size());
    for (QWidget* w : widgets)
        placed.push_back({w, QRect(w->mapTo(&window, QPoint(0, 0)), w->size())});
    std::stable_sort(placed.begin(), placed.end(),
                     [](const Placed& a, const Placed& b) { return a.box.top() < b.box.top(); });
    // Lines: each begins with the highest widget not yet placed; a widget
    // whose top is within half a height of the line's first is on it.
    for (std::size_t first = 0; first < placed.size();) {
        const QRect& head = placed[first].box;
        std::size_t end = first + 1;
        while (end < placed.size()) {
            const QRect& next = placed[end].box;
            const int half = std::max(1, std::min(head.height(), next.height()) / 2);
            if (next.top() - head.top() >= half)
                break;
            ++end;
        }
        std::stable_sort(
            placed.begin() + static_cast<std::ptrdiff_t>(first),
            placed.begin() + static_cast<std::ptrdiff_t>(end),
            [](const Placed& a, const Placed& b) { return a.box.left() < b.box.left(); });
        first = end;
    }
    for (std::size_t i = 0; i < placed.size(); ++i)
        widgets[i] = placed[i].widget;
}

void announce(QWidget& window, const QString& text) {
    if (text.isEmpty())
        return;
    Screen& s = screens()[&window];
    auto* a = new Announcement(text, &window);
    s.announcements.emplace_back(a);
    while (s.announcements.size() > kAnnouncementsKept) {
        if (s.announcements.front())
            s.announcements.front()->deleteLater();
        s.announcements.pop_front();
    }
    // A notification coming into view is what Orca speaks without the focus
    // moving (its default script presents object:state-changed:showing of a
    // notification: the role, then the name).
    QAccessibleEvent shown(a, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

AccessibleFacts accessibleFactsOf(QWidget* widget) {
    QAccessibleInterface* a = widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
    if (!a)
        return {};
    return {a->role(), a->text(QAccessible::Name)};
}

QString roleWord(QAccessible::Role role) {
    switch (role) {
    case QAccessible::Button:
        return QStringLiteral("button");
    case QAccessible::StaticText:
        return QStringLiteral("statictext");
    case QAccessible::EditableText:
        return QStringLiteral("editabletext");
    case QAccessible::List:
        return QStringLiteral("list");
    case QAccessible::ListItem:
        return QStringLiteral("listitem");
    case QAccessible::Graphic:
        return QStringLiteral("graphic");
    case QAccessible::Animation:
        return QStringLiteral("animation");
    case QAccessible::Client:
        return QStringLiteral("client");
    case QAccessible::Window:
        return QStringLiteral("window");
    case QAccessible::Notification:
        return QStringLiteral("notification");
    case QAccessible::NoRole:
        return QStringLiteral("none");
    default:
        return QStringLiteral("role%1").arg(static_cast<int>(role));
    }
}

} // namespace taleplay
