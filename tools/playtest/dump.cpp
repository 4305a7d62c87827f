#include "playtest/dump.h"

#include "app/taleforge_main.h"
#include "core/paths.h"
#include "platform/accessibility.h"
#include "platform/qtext.h"
#include "platform/system.h"

#include <QJsonArray>

namespace taleplay::playtest {
namespace {

QString utf8(const std::string& cp1251) {
    return QString::fromStdString(toUtf8(cp1251));
}

// A composed path: native folders as they are, game names converted.
QString path(const std::string& composed) {
    return QString::fromStdString(paths::shown(composed));
}

QJsonObject size(int w, int h) {
    return {{"width", w}, {"height", h}};
}

QJsonObject font(const FontSpec& f) {
    return {{"name", utf8(f.name)},
            {"size", f.size()},
            {"bold", f.bold},
            {"color", colourText(f.color)}};
}

QJsonValue tableEntry(const QPointer<QWidget>& p) {
    Control* c = controlOf(p.data());
    if (!c || c->destroyed())
        return QJsonValue::Null;
    return QString::fromStdString(c->name());
}

QJsonArray table(const std::vector<QPointer<QWidget>>& entries) {
    QJsonArray a;
    for (const auto& e : entries)
        a.append(tableEntry(e));
    return a;
}

} // namespace

QJsonObject dumpControl(ControlHost& host, Control& c) {
    QWidget* w = c.widget();
    QJsonObject o{
        {"name", QString::fromStdString(c.name())},
        {"kind", kindName(c.kind())},
        {"left", w->x()},
        {"top", w->y()},
        {"width", w->width()},
        {"height", w->height()},
        {"visible", !w->isHidden()},
        {"layer", c.layer() == Layer::Graphic ? "graphic" : "windowed"},
        {"z", host.zOrder(c)},
        {"focused", w->hasFocus()},
    };
    // As the accessibility tree tells a screen reader.
    const AccessibleFacts facts = accessibleFactsOf(w);
    o["accessible"] = QJsonObject{{"role", roleWord(facts.role)}, {"name", facts.name}};
    switch (c.kind()) {
    case ControlKind::Image: {
        auto& i = static_cast<ImageControl&>(c);
        o["picture"] = path(i.pictureName());
        o["stretch"] = i.stretch();
        o["autosize"] = i.autoSize();
        o["transparent"] = i.transparent();
        o["pressable"] = i.pressable();
        break;
    }
    case ControlKind::Label: {
        auto& l = static_cast<LabelControl&>(c);
        o["caption"] = utf8(l.caption());
        o["font"] = font(l.font());
        o["color"] = colourText(l.color());
        o["transparent"] = l.transparent();
        break;
    }
    case ControlKind::Shape: {
        auto& s = static_cast<ShapeControl&>(c);
        o["shape"] = shapeKindName(s.shape());
        o["brush"] = colourText(s.brush());
        o["pen"] = colourText(s.pen());
        o["penwidth"] = s.penWidth();
        break;
    }
    case ControlKind::List: {
        auto& l = static_cast<ListControl&>(c);
        QJsonArray items;
        for (const auto& item : l.items())
            items.append(utf8(item));
        o["items"] = items;
        o["font"] = font(l.font());
        o["color"] = colourText(l.color());
        o["hscroll"] = l.horizontalExtent();
        break;
    }
    case ControlKind::Edit: {
        auto& e = static_cast<EditControl&>(c);
        o["text"] = utf8(e.text());
        o["font"] = font(e.font());
        o["color"] = colourText(e.color());
        o["border"] = e.border();
        break;
    }
    case ControlKind::Video: {
        auto& v = static_cast<VideoControl&>(c);
        o["playing"] = v.playing();
        o["file"] = path(v.file());
        break;
    }
    }
    return o;
}

QJsonObject dumpScene(TForm1& form) {
    const ProgramState& s = form.game().state;
    QJsonObject state{
        {"workingfolder", path(s.workingFolder)},
        {"programfilename", QString::fromStdString(s.programFileName)},
        {"datafolder", path(s.dataFolder)},
        {"victory", s.victory},
        {"videofile", path(s.videoFile)},
        {"pausecounter", s.pauseCounter},
        {"endpicturesfile", path(s.endPicturesFile)},
        {"endtextsfile", path(s.endTextsFile)},
        {"sound",
         QJsonObject{{"file", QString::fromStdString(
                                  form.game().audio().fileOf(form.game().soundStream()))},
                     {"playing", form.game().audio().isPlaying(form.game().soundStream())}}},
        {"startrequest", QJsonObject{{"requested", s.start.requested},
                                     {"file", utf8(s.start.file)},
                                     {"folder", path(s.start.folder)}}},
    };

    QJsonArray messages;
    for (const auto& m : form.game().messages())
        messages.append(QString::fromStdString(m));

    const ComponentTables& t = form.game().tables;
    QJsonArray texts;
    for (const auto& [first, count] : t.texts)
        texts.append(QJsonArray{first, count});
    QJsonObject tables{
        {"pictures", table(t.pictures)},
        {"shapes", table(t.shapes)},
        {"labels", table(t.labels)},
        {"texts", texts},
        {"lists", table(t.lists)},
        {"textwindows", table(t.textWindows)},
        {"buttons", table(t.buttons)},
        {"endbuttons", table(t.endButtons)},
        {"backgroundtiles", table(t.backgroundTiles)},
        {"largebackground", table(t.largeBackground)},
        {"frames", table(t.frames)},
        {"corners", table(t.corners)},
    };

    QJsonArray controls;
    for (Control* c : form.game().host().controls())
        controls.append(dumpControl(form.game().host(), *c));

    const QSize screen = platform::screenSize();
    return QJsonObject{
        {"title", form.windowTitle()},
        {"screen", size(screen.width(), screen.height())},
        {"client", size(form.game().clientWidth(), form.game().clientHeight())},
        {"color", colourText(form.game().host().colour())},
        {"state", state},
        {"messages", messages},
        {"tables", tables},
        {"controls", controls},
    };
}

} // namespace taleplay::playtest
