// Roles of the painted controls, and a button's press action.
#include "platform/accessibility.h"

#include "platform/controls.h"

#include <QAccessibleWidget>
#include <QPointer>

namespace taleplay {
namespace {

class ControlAccessible final : public QAccessibleWidget {
  public:
    ControlAccessible(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}

    // A picture becomes a button when its click is wired, which may be
    // after a screen reader first asked about it.
    QAccessible::Role role() const override {
        if (qobject_cast<ImageControl*>(widget()))
            return button() ? QAccessible::Button : QAccessible::Graphic;
        return QAccessibleWidget::role();
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (button())
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
    case QAccessible::NoRole:
        return QStringLiteral("none");
    default:
        return QStringLiteral("role%1").arg(static_cast<int>(role));
    }
}

} // namespace taleplay
