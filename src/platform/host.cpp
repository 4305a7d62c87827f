// The control host: controls by name, their order, layers and destruction.
#include "platform/host.h"

#include "core/errors.h"
#include "platform/accessibility.h"

#include <algorithm>

namespace taleplay {

Control* controlOf(QWidget* w) {
    return dynamic_cast<Control*>(w);
}

ControlHost::ControlHost(QWidget& window) : window_(window), graphicLayer_(new QWidget(&window)) {
    installControlAccessibility();
    presentScreen(*this);
    graphicLayer_->setObjectName(QStringLiteral("graphicLayer"));
    graphicLayer_->setGeometry(0, 0, window.width(), window.height());
    graphicLayer_->show();
    tileFloor_ = new QWidget(graphicLayer_);
    tileFloor_->setObjectName(QStringLiteral("tileFloor"));
    tileFloor_->setGeometry(graphicLayer_->rect());
    tileFloor_->show();
    QPalette pal = window_.palette();
    pal.setColor(QPalette::Window, toQColor(colour_));
    window_.setPalette(pal);
    window_.setAutoFillBackground(true);
}

ControlHost::~ControlHost() {
    forgetScreen(*this);
}

void ControlHost::resizeLayer() {
    graphicLayer_->setGeometry(0, 0, window_.width(), window_.height());
    tileFloor_->setGeometry(graphicLayer_->rect());
}

void ControlHost::setColour(Colour c) {
    colour_ = c;
    QPalette pal = window_.palette();
    pal.setColor(QPalette::Window, toQColor(c, toQColor(clBtnFace)));
    window_.setPalette(pal);
    // Labels without a colour of their own follow the window's.
    graphicLayer_->update();
    window_.update();
}

QWidget* ControlHost::parentFor(Layer layer) const {
    return layer == Layer::Graphic ? graphicLayer_ : &window_;
}

template <class T> T& ControlHost::make(const std::string& name, QWidget* parent) {
    if (Control* holder = find(name); holder && !holder->setAside())
        throw ComponentError("A component named " + name + " already exists.");
    T* control = new T(*this, name, parent);
    control->setObjectName(QString::fromStdString(name));
    control->show();
    // A new child is already the topmost of its parent.
    created_.emplace_back(control);
    byName_[name] = control;
    // Controls destroyed at a screen switch leave null entries behind.
    if (created_.size() > 64 && created_.size() > 2 * byName_.size())
        std::erase_if(created_, [](const QPointer<QWidget>& p) {
            const Control* c = controlOf(p.data());
            return !c || c->destroyed();
        });
    return *control;
}

ImageControl& ControlHost::createImage(const std::string& n) {
    return make<ImageControl>(n, graphicLayer_);
}
ImageControl& ControlHost::createBackgroundTile(const std::string& n) {
    // On the graphic layer only tiles go to the back, but should anything
    // else have gone below the floor, a new tile still goes below it.
    if (graphicLayer_->children().constFirst() != tileFloor_)
        tileFloor_->lower();
    return make<ImageControl>(n, tileFloor_);
}
LabelControl& ControlHost::createLabel(const std::string& n) {
    return make<LabelControl>(n, graphicLayer_);
}
ShapeControl& ControlHost::createShape(const std::string& n) {
    return make<ShapeControl>(n, graphicLayer_);
}
ListControl& ControlHost::createList(const std::string& n) {
    return make<ListControl>(n, &window_);
}
EditControl& ControlHost::createEdit(const std::string& n) {
    return make<EditControl>(n, &window_);
}
VideoControl& ControlHost::createVideo(const std::string& n) {
    return make<VideoControl>(n, &window_);
}

void ControlHost::destroy(Control& control) {
    if (control.destroyed_)
        return;
    control.destroyed_ = true;
    if (auto it = byName_.find(control.name());
        it != byName_.end() && it->second == control.widget()) {
        byName_.erase(it);
        // A control set aside under this name answers to it again.
        if (auto aside = setAsideByName_.find(control.name()); aside != setAsideByName_.end()) {
            const Control* kept = controlOf(aside->second.data());
            if (kept && !kept->destroyed() && kept != &control)
                byName_[control.name()] = aside->second;
            else
                setAsideByName_.erase(aside);
        }
    }
    QWidget* w = control.widget();
    w->hide();
    w->setObjectName(QString());
    control.releaseResources();
    if (control.handlersRunning_ == 0)
        bury(w);
}

void ControlHost::bury(QWidget* w) {
    graveyard_.emplace_back(w);
    if (funeralPending_)
        return;
    funeralPending_ = true;
    // The undertaker's deferred deletion runs when control is back in the
    // loop that was running now (not in a nested one, as with deleteLater),
    // and takes the buried widgets with it. If the window goes first, the
    // lifeline cuts the connection and the window deletes its children.
    auto* undertaker = new QObject(lifeline_.get());
    QObject::connect(undertaker, &QObject::destroyed, lifeline_.get(), [this] {
        funeralPending_ = false;
        std::vector<QPointer<QWidget>> dead;
        dead.swap(graveyard_);
        for (const QPointer<QWidget>& p : dead)
            delete p.data();
    });
    undertaker->deleteLater();
}

void ControlHost::setAside(Control& control) {
    control.setAside_ = true;
    setAsideByName_[control.name()] = control.widget();
    control.widget()->hide();
}

HandlerGuard::HandlerGuard(Control& control) : widget_(control.widget()), control_(control) {
    ++control_.handlersRunning_;
}

HandlerGuard::~HandlerGuard() {
    if (!widget_)
        return;
    if (--control_.handlersRunning_ == 0 && control_.destroyed())
        widget_->deleteLater();
}

Control* ControlHost::find(const std::string& name) const {
    // A control deleted by other means than destroy() is gone from the map's
    // pointer, and so from the window.
    const auto it = byName_.find(name);
    Control* c = it == byName_.end() ? nullptr : controlOf(it->second.data());
    return c && !c->destroyed() ? c : nullptr;
}

std::vector<Control*> ControlHost::controls() const {
    std::vector<Control*> out;
    for (const auto& p : created_) {
        if (Control* c = controlOf(p.data()); c && !c->destroyed())
            out.push_back(c);
    }
    return out;
}

std::vector<QWidget*> ControlHost::stacking(Layer layer) const {
    std::vector<QWidget*> out;
    auto add = [&](QObject* o) {
        auto* w = qobject_cast<QWidget*>(o);
        Control* c = w ? controlOf(w) : nullptr;
        if (c && !c->destroyed() && c->layer() == layer)
            out.push_back(w);
    };
    // QObject::children() lists siblings bottom to top; the tiles, each as
    // if sent to the back when made, the last made lowest.
    for (QObject* o : parentFor(layer)->children()) {
        if (o != tileFloor_) {
            add(o);
            continue;
        }
        const QObjectList& tiles = tileFloor_->children();
        for (auto it = tiles.rbegin(); it != tiles.rend(); ++it)
            add(*it);
    }
    return out;
}

int ControlHost::zOrder(const Control& control) const {
    auto ws = stacking(control.layer());
    auto it = std::find(ws.begin(), ws.end(), control.widget());
    return it == ws.end() ? -1 : static_cast<int>(it - ws.begin());
}

void ControlHost::bringToFront(Control& control) {
    control.widget()->raise();
}

void ControlHost::sendToBack(Control& control) {
    QWidget* w = control.widget();
    if (w->parentWidget() == tileFloor_) {
        // The tiles are reported last made lowest: the top of the floor is
        // its bottom.
        w->raise();
        tileFloor_->lower();
        return;
    }
    w->lower();
    // A windowed control never goes below the painted ones.
    if (control.layer() == Layer::Windowed)
        graphicLayer_->lower();
}

} // namespace taleplay
