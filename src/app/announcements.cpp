// Announcements: what changed in view, as one text in reading order.
#include "app/announcements.h"

#include "app/language.h"
#include "app/taleforge_main.h"
#include "platform/accessibility.h"

#include <QTimer>
#include <algorithm>

namespace taleplay {
namespace {

QString said(const char* text) {
    return launch::translate("Announcements", text);
}

// What a control coming into view is called: what it can be used for is
// said with it, as a screen reader says a control's role.
QString spokenAs(Control& c) {
    const QString name = c.widget()->accessibleName();
    switch (c.kind()) {
    case ControlKind::Image:
        return static_cast<ImageControl&>(c).clickable()
                   ? said(QT_TRANSLATE_NOOP("Announcements", "%1, button")).arg(name)
                   : name;
    case ControlKind::Edit:
        return said(QT_TRANSLATE_NOOP("Announcements", "%1, answer box")).arg(name);
    case ControlKind::List:
        return said(QT_TRANSLATE_NOOP("Announcements", "%1, list")).arg(name);
    case ControlKind::Video:
        return said(QT_TRANSLATE_NOOP("Announcements", "%1, video")).arg(name);
    default:
        return name;
    }
}

// One sentence after the other: a part that does not end a sentence is given
// a full stop, so that a voice pauses between them.
QString joined(const QStringList& parts) {
    QString text;
    for (const QString& part : parts) {
        const QString p = part.trimmed();
        if (p.isEmpty())
            continue;
        if (!text.isEmpty())
            text += QStringView(u"….!?:;").contains(text.back()) ? QStringView(u" ")
                                                                 : QStringView(u". ");
        text += p;
    }
    return text;
}

QString colourSaid(const char* word) {
    return launch::translate("AnnouncedColour", word);
}

} // namespace

QString colourWord(Colour colour) {
    const QColor c = toQColor(colour).toHsl();
    const int lightness = c.lightness();
    const int chroma =
        std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()});
    //: The colour words complete "The answer box “%1” turned %2".
    // Pale tints still read as their colour; near-greys (a cream white) not.
    if (chroma < 24) {
        if (lightness >= 200)
            return colourSaid(QT_TRANSLATE_NOOP("AnnouncedColour", "white"));
        if (lightness < 50)
            return colourSaid(QT_TRANSLATE_NOOP("AnnouncedColour", "black"));
        return colourSaid(QT_TRANSLATE_NOOP("AnnouncedColour", "grey"));
    }
    if (lightness < 30)
        return colourSaid(QT_TRANSLATE_NOOP("AnnouncedColour", "black"));
    const int hue = c.hslHue();
    if (hue < 15 || hue >= 345)
        return lightness >= 180 ? colourSaid(QT_TRANSLATE_NOOP("AnnouncedColour", "pink"))
                                : colourSaid(QT_TRANSLATE_NOOP("AnnouncedColour", "red"));
    if (hue < 45)
        return c.value() < 160 ? colourSaid(QT_TRANSLATE_NOOP("AnnouncedColour", "brown"))
                               : colourSaid(QT_TRANSLATE_NOOP("AnnouncedColour", "orange"));
    if (hue < 70)
        return colourSaid(QT_TRANSLATE_NOOP("AnnouncedColour", "yellow"));
    if (hue < 165)
        return colourSaid(QT_TRANSLATE_NOOP("AnnouncedColour", "green"));
    if (hue < 200)
        return colourSaid(QT_TRANSLATE_NOOP("AnnouncedColour", "light blue"));
    if (hue < 255)
        return colourSaid(QT_TRANSLATE_NOOP("AnnouncedColour", "blue"));
    if (hue < 320 && lightness < 180)
        return colourSaid(QT_TRANSLATE_NOOP("AnnouncedColour", "purple"));
    return colourSaid(QT_TRANSLATE_NOOP("AnnouncedColour", "pink"));
}

Announcements::Announcements(TForm1& form) : QObject(&form), form_(form) {}

QString Announcements::textOf(TForm1& form, const InView::Changes& changes) {
    std::vector<QWidget*> shown;
    for (Control* c : changes.cameIntoView)
        shown.push_back(c->widget());
    sortInReadingOrder(shown, form.game().host().window());
    QStringList parts;
    for (QWidget* w : shown)
        parts << spokenAs(*controlOf(w));
    for (const InView::Recoloured& r : changes.recoloured) {
        const auto* box = static_cast<const EditControl*>(r.box);
        // Of both, the background is the larger change to the eye.
        const Colour now = r.back ? box->color() : box->font().color;
        parts << said(QT_TRANSLATE_NOOP("Announcements", "The answer box “%1” turned %2"))
                     .arg(box->accessibleName(), colourWord(now));
    }
    return joined(parts);
}

void Announcements::screenChanged() {
    const QString text = textOf(form_, inView_.look(form_.game()));
    if (text.isEmpty())
        return;
    pending_ << text;
    if (scheduled_)
        return;
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] { announceNow(); });
}

void Announcements::announceNow() {
    scheduled_ = false;
    const QString text = joined(pending_);
    pending_.clear();
    announce(form_.game().host().window(), text);
}

} // namespace taleplay
