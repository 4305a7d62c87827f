// Accessible names: hints from the description files, captions, and the
// text line above a text window.
#include "app/accessible_names.h"

#include "app/control_origin.h"
#include "app/language.h"
#include "descr/File_functions.h"
#include "descr/Stroki_functions.h"
#include "game/game.h"
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

// The visible text line whose bottom is at most a line's height above the
// top of `below`, and which overlaps it from left to right; the nearest one.
const LabelControl* lineAbove(const Game& game, const QWidget& below) {
    const QRect box = below.geometry();
    const LabelControl* best = nullptr;
    int bestGap = std::numeric_limits<int>::max();
    for (Control* c : game.host().controls()) {
        if (c->kind() != ControlKind::Label || c == game.LabelServant || c->destroyed() ||
            c->widget()->isHidden())
            continue;
        const auto* label = static_cast<const LabelControl*>(c);
        const QRect r = label->geometry();
        const int gap = box.top() - (r.bottom() + 1);
        const int line = QFontMetrics(toQFont(label->font())).height();
        // A label may reach a little into the box below it (its own leading).
        if (gap < -line / 2 || gap > line || r.right() < box.left() || r.left() > box.right())
            continue;
        if (gap < bestGap && !spokenCaption(label->text()).trimmed().isEmpty()) {
            best = label;
            bestGap = gap;
        }
    }
    return best;
}

QString shapeName(ShapeKind kind) {
    switch (kind) {
    case ShapeKind::Rectangle:
        return said(QT_TRANSLATE_NOOP("AccessibleNames", "Rectangle"));
    case ShapeKind::Square:
        return said(QT_TRANSLATE_NOOP("AccessibleNames", "Square"));
    case ShapeKind::RoundRect:
        return said(QT_TRANSLATE_NOOP("AccessibleNames", "Rounded rectangle"));
    case ShapeKind::RoundSquare:
        return said(QT_TRANSLATE_NOOP("AccessibleNames", "Rounded square"));
    case ShapeKind::Ellipse:
        return said(QT_TRANSLATE_NOOP("AccessibleNames", "Ellipse"));
    case ShapeKind::Circle:
        return said(QT_TRANSLATE_NOOP("AccessibleNames", "Circle"));
    }
    return {};
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

QString accessibleNameOf(const Game& game, const Control& control) {
    switch (control.kind()) {
    case ControlKind::Image: {
        const auto& image = static_cast<const ImageControl&>(control);
        if (QString hint = hintOf(game, control); !hint.isEmpty())
            return hint;
        if (QString title = fileTitle(image.pictureName()); !title.isEmpty())
            return title;
        return image.clickable() ? said(QT_TRANSLATE_NOOP("AccessibleNames", "Button"))
                                 : said(QT_TRANSLATE_NOOP("AccessibleNames", "Picture"));
    }
    case ControlKind::Label: {
        const QString caption =
            spokenCaption(static_cast<const LabelControl&>(control).text()).simplified();
        return caption.isEmpty() ? said(QT_TRANSLATE_NOOP("AccessibleNames", "Empty line"))
                                 : caption;
    }
    case ControlKind::Shape:
        return shapeName(static_cast<const ShapeControl&>(control).shape());
    case ControlKind::List:
    case ControlKind::Edit:
        if (QString hint = hintOf(game, control); !hint.isEmpty())
            return hint;
        if (const LabelControl* above = lineAbove(game, *control.widget()))
            return spokenCaption(above->text()).simplified();
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

void nameControls(Game& game) {
    for (Control* c : game.host().controls()) {
        QWidget* w = c->widget();
        if (c->destroyed())
            continue;
        // A caption or a video can change while the screen is up; the rest
        // is named once (a hint costs a look into a file).
        const bool changes = c->kind() == ControlKind::Label || c->kind() == ControlKind::Video;
        if (!changes && !w->accessibleName().isEmpty())
            continue;
        const QString name = accessibleNameOf(game, *c);
        if (name != w->accessibleName())
            w->setAccessibleName(name);
    }
}

} // namespace taleplay
