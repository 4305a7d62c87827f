#pragma once
// The window that owns a game screen's controls: creates them by name (at
// most one per name), keeps them in creation order, stacks them in two
// layers and destroys them by name.
#include "platform/controls.h"

#include <QPointer>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace taleplay {

class ControlHost {
  public:
    // `window` paints the window colour; the graphic layer is made as its
    // first child so every windowed control created later stands above it.
    explicit ControlHost(QWidget& window);
    ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    ImageControl& createImage(const std::string& name);
    // A background tile: below every other control of the graphic layer and
    // below every tile made before it, as if each were sent to the back when
    // made, but made without moving any other control in the stacking order
    // (which made a screen of thousands of tiles quadratic). Tiles do not
    // overlap, so how they stack among themselves never shows; the stacking
    // order reports them as sent to the back all the same. No command names
    // a tile, so none is ever raised.
    ImageControl& createBackgroundTile(const std::string& name);
    LabelControl& createLabel(const std::string& name);
    ShapeControl& createShape(const std::string& name);
    ListControl& createList(const std::string& name);
    EditControl& createEdit(const std::string& name);
    VideoControl& createVideo(const std::string& name);

    // Hides the control and takes it off the window now; the object itself is
    // deleted when control returns to the event loop.
    void destroy(Control& control);
    // Hides the control and keeps it, but gives its name up: a control
    // created later may take the name, and is then the one found by it.
    // For a button whose click is still running when its screen goes.
    void setAside(Control& control);

    // The control holding the name; one set aside only while no other has it.
    Control* find(const std::string& name) const;
    // Every live control, in creation order.
    std::vector<Control*> controls() const;
    // Position in its layer's stacking order, 0 at the bottom.
    int zOrder(const Control& control) const;
    // The live controls of a layer, bottom to top.
    std::vector<QWidget*> stacking(Layer layer) const;
    void bringToFront(Control& control);
    void sendToBack(Control& control);

    Colour colour() const { return colour_; }
    void setColour(Colour c);
    const FontSpec& windowFont() const { return windowFont_; }

    QWidget& window() const { return window_; }
    QWidget& graphicLayer() const { return *graphicLayer_; }
    // Keeps the graphic layer as large as the window's client area.
    void resizeLayer();

  private:
    template <class T> T& make(const std::string& name, QWidget* parent);
    QWidget* parentFor(Layer layer) const;

    QWidget& window_;
    QWidget* graphicLayer_;
    // The graphic layer's first child, under every control, holding the
    // background tiles in the order they were made (reported reversed).
    QWidget* tileFloor_;
    std::vector<QPointer<QWidget>> created_;
    // Live controls by name: a screen of thousands of tiles must not look
    // through every control made so far for each new name.
    std::unordered_map<std::string, QPointer<QWidget>> byName_;
    // Controls set aside, by the name they give up to a new control.
    std::unordered_map<std::string, QPointer<QWidget>> setAsideByName_;
    // Destroyed controls waiting to be deleted, all at once when control
    // returns to the event loop. Deleting them through one deferred deletion
    // instead of one each keeps a screen switch of thousands of controls
    // linear: every pending deferred deletion is an event that each deleted
    // object's destructor searches the whole event queue for.
    void bury(QWidget* w);
    std::vector<QPointer<QWidget>> graveyard_;
    std::unique_ptr<QObject> lifeline_ = std::make_unique<QObject>();
    bool funeralPending_ = false;
    Colour colour_ = clBtnFace;
    FontSpec windowFont_;
};

// Marks a control's handler as running for the guard's lifetime: a control
// destroyed meanwhile leaves the window at once but is deleted only when its
// last running handler has returned (handlers can nest through `pause`).
class HandlerGuard {
  public:
    explicit HandlerGuard(Control& control);
    ~HandlerGuard();
    HandlerGuard(const HandlerGuard&) = delete;
    HandlerGuard& operator=(const HandlerGuard&) = delete;

  private:
    QPointer<QWidget> widget_;
    Control& control_;
};

// The control behind a widget, or null for widgets that are not controls.
Control* controlOf(QWidget* w);

} // namespace taleplay
