// Accessible names and decoration: hints from the description files,
// captions, the text line that names a text window, the component tables.
#include "app/accessible_names.h"

#include "app/control_origin.h"
#include "app/language.h"
#include "descr/File_functions.h"
#include "descr/Stroki_functions.h"
#include "game/game.h"
#include "platform/accessibility.h"
#include "platform/qtext.h"

#include <QFontMetrics>
#include <limits>

namespace taleplay {
namespace {

QString said(const char* text) {
    return launch::translate("AccessibleNames", text);
}

// "data_x/img\moon.gif" says "moon".
QString fileTitle(const std::string& composed) {
    const std::size_t slash = composed.find_last_of("/\\");
    std::string name = slash == std::string::npos ? composed : composed.substr(slash + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.resize(dot);
    return toQString(name);
}

// The hint an author wrote for a button, a picture, a text window or a list,
// if any.
QString hintOf(const Game& game, const Control& control) {
    const ControlOrigin origin = originOf(game, control, Line::Skipped);
    const auto named = [&origin](std::string_view kind) { return origin.name.rfind(kind, 0) == 0; };
    if (origin.file.empty() ||
        !(named("button") || named("picture") || named("textwindow") || named("list")))
        return {};
    return toQString(trimSpaces(keyValue(origin.file, origin.stem + "*hint*")));
}

// The visible text line that names the box `named`: the nearest one whose
// bottom is at most a line's height above the box's top and which overlaps
// it from left to right, or that stands on the box's row, ending left of it.
const LabelControl* lineNaming(const Game& game, const QWidget& named) {
    const QRect box = named.geometry();
    const LabelControl* best = nullptr;
    int bestGap = std::numeric_limits<int>::max();
    for (Control* c : game.host().controls()) {
        if (c->kind() != ControlKind::Label || c == game.LabelServant || c->destroyed() ||
            c->widget()->isHidden())
            continue;
        const auto* label = static_cast<const LabelControl*>(c);
        const QRect r = label->geometry();
        const int line = QFontMetrics(toQFont(label->font())).height();
        int gap = std::numeric_limits<int>::max();
        if (r.right() >= box.left() && r.left() <= box.right()) {
            // A label may reach a little into the box below it (its own leading).
            const int above = box.top() - (r.bottom() + 1);
            if (above >= -line / 2 && above <= line)
                gap = above;
        } else if (r.right() < box.left() && r.bottom() >= box.top() && r.top() <= box.bottom()) {
            gap = box.left() - (r.right() + 1);
        }
        if (gap < bestGap && !spokenCaption(label->text()).trimmed().isEmpty()) {
            best = label;
            bestGap = gap;
        }
    }
    return best;
}

} // namespace

QString spokenCaption(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        else if (caption[i] == u'&')
            continue;
        out += caption[i];
    }
    return out;
}

bool isDecoration(const Game& game, const Control& control) {
    switch (control.kind()) {
    case ControlKind::Shape:
        return true;
    case ControlKind::Label:
        return &control == game.LabelServant ||
               spokenCaption(static_cast<const LabelControl&>(control).text()).trimmed().isEmpty();
    case ControlKind::Image: {
        if (static_cast<const ImageControl&>(control).clickable())
            return false;
        // The tables tell a picture from the background, the frames, the
        // corners and the measuring image, whichever controls show them.
        const ControlOrigin origin = originOf(game, control, Line::Skipped);
        return origin.name.rfind("picture", 0) != 0 || hintOf(game, control).isEmpty();
    }
    case ControlKind::List:
    case ControlKind::Edit:
    case ControlKind::Video:
        return false;
    }
    return true;
}

QString accessibleNameOf(const Game& game, const Control& control) {
    switch (control.kind()) {
    case ControlKind::Image: {
        const auto& image = static_cast<const ImageControl&>(control);
        if (QString hint = hintOf(game, control); !hint.isEmpty())
            return hint;
        if (QString title = fileTitle(image.pictureName()); !title.isEmpty())
            return title;
        return said(QT_TRANSLATE_NOOP("AccessibleNames", "Button"));
    }
    case ControlKind::Label:
        return spokenCaption(static_cast<const LabelControl&>(control).text()).simplified();
    case ControlKind::Shape:
        return {}; // always decoration
    case ControlKind::List:
    case ControlKind::Edit:
        if (QString hint = hintOf(game, control); !hint.isEmpty())
            return hint;
        if (const LabelControl* line = lineNaming(game, *control.widget()))
            return spokenCaption(line->text()).simplified();
        return control.kind() == ControlKind::List
                   ? said(QT_TRANSLATE_NOOP("AccessibleNames", "List"))
                   : said(QT_TRANSLATE_NOOP("AccessibleNames", "Answer"));
    case ControlKind::Video: {
        const QString title = fileTitle(static_cast<const VideoControl&>(control).file());
        return title.isEmpty() ? said(QT_TRANSLATE_NOOP("AccessibleNames", "Video")) : title;
    }
    }
    return {};
}

void describeControls(Game& game) {
    for (Control* c : game.host().controls()) {
        QWidget* w = c->widget();
        if (c->destroyed())
            continue;
        // What a control is does not change, except what a text line shows
        // (the measuring label shows anything); a hint costs a look into a
        // file, so the rest is looked at once.
        if (c->presence() == Presence::Undecided || c->kind() == ControlKind::Label)
            c->setPresence(isDecoration(game, *c) ? Presence::Silent : Presence::Presented);
        if (c->presence() == Presence::Silent)
            continue;
        // A caption or a video can change while the screen is up.
        const bool changes = c->kind() == ControlKind::Label || c->kind() == ControlKind::Video;
        if (!changes && !w->accessibleName().isEmpty())
            continue;
        const QString name = accessibleNameOf(game, *c);
        if (name != w->accessibleName())
            w->setAccessibleName(name);
    }
    screenChanged(game.host().window());
}

} // namespace taleplay
