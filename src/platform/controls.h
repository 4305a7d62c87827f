#pragma once
// The controls a game screen is made of. Image, label and shape are painted
// by us on the graphic layer; list box, edit box and video window are real
// child windows and always stay above every painted control.
#include "pictures/picture.h"
#include "platform/colors.h"

#include <QLineEdit>
#include <QListWidget>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace taleplay {

class ControlHost;

enum class ControlKind { Image, Label, Shape, List, Edit, Video };
enum class Layer { Graphic, Windowed };

const char* kindName(ControlKind kind);
Layer layerOf(ControlKind kind);

// A font as the game describes it. Sizes are points at 96 dpi whatever the
// real screen says, so layouts do not move with the monitor.
struct FontSpec {
    std::string name = "Arial"; // Windows-1251
    int height = 14;            // character height in pixels
    bool bold = false;
    Colour color = clWindowText;

    int size() const; // points
    void setSize(int points);
    bool operator==(const FontSpec&) const = default;
};
QFont toQFont(const FontSpec& font);

// What assistive technology is told of a control: Undecided until the
// program has looked at it; a Silent one (decoration) has no role and no
// name and is not among the window's accessible children.
enum class Presence { Undecided, Presented, Silent };

// What every control has besides its Qt widget.
class Control {
  public:
    Control(ControlHost& host, ControlKind kind, std::string name);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind kind() const { return kind_; }
    Layer layer() const { return layerOf(kind_); }
    const std::string& name() const { return name_; }
    ControlHost& host() const { return host_; }
    virtual QWidget* widget() = 0;
    const QWidget* widget() const { return const_cast<Control*>(this)->widget(); }

    // A destroyed control is hidden and gone from the window at once, and
    // deleted once control returns to the event loop, so a handler that is
    // still running on it never loses its object.
    bool destroyed() const { return destroyed_; }
    bool setAside() const { return setAside_; }

    Presence presence() const { return presence_; }
    void setPresence(Presence presence) { presence_ = presence; }

  protected:
    // Called when the control is destroyed: what it holds that is large
    // (pixels) goes now, not when the widget itself is deleted later, so a
    // screen switch never holds the old screen's pictures and the new
    // screen's at once.
    virtual void releaseResources() {}

  private:
    friend class ControlHost;
    friend class HandlerGuard;
    ControlHost& host_;
    ControlKind kind_;
    std::string name_;
    bool destroyed_ = false;
    bool setAside_ = false;
    int handlersRunning_ = 0;
    Presence presence_ = Presence::Undecided;
};

enum class Stretch { Off, On };

// What word wrap does with a word wider than the label: game texts keep it
// whole on a line of its own (the label grows), the error window breaks it
// so a long path stays readable inside the window.
enum class LongWords { KeepWhole, Break };

class ImageControl final : public QWidget, public Control {
    Q_OBJECT
  public:
    ImageControl(ControlHost& host, std::string name, QWidget* parent);
    QWidget* widget() override { return this; }

    // Loads the picture named `composedPath` (Windows-1251, as composed by the
    // program) for what the control shows now: stretched to its size, or at
    // the picture's own. Throws PictureError (PictureBudgetError when the
    // pixels would not fit the memory of all pictures) or InOutError; the
    // old picture stays then.
    void loadPicture(const std::string& composedPath);
    // The same for a control that will show it as `shown` (the measuring
    // image, decoding a picture for the control about to be made).
    void loadPicture(const std::string& composedPath, const pictures::Shown& shown);
    // Takes only the picture's natural size, as the measuring image needs
    // it, from the file's header where it tells it; no pixels are kept.
    void measurePicture(const std::string& composedPath);
    // How the control would show a picture loaded now.
    pictures::Shown shown() const;
    // Shows what `other` shows, as if the same picture had been loaded: the
    // pixels and the colour-keyed copy are shared, not looked up or made
    // again (a background of hundreds of tiles loads its picture once).
    void showPictureOf(const ImageControl& other);
    void clearPicture();
    const std::string& pictureName() const { return pictureName_; }
    std::shared_ptr<const pictures::Picture> picture() const { return picture_; }
    // The picture's own size, upright, whatever size its pixels are kept at.
    QSize naturalSize() const;

    bool stretch() const { return stretch_; }
    void setStretch(bool on);
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    bool transparent() const { return transparent_; }
    void setTransparent(bool on);
    void setHandCursor(bool on);
    // Repeats the picture over the whole control from its top-left corner,
    // as a grid of image controls of the picture's size would show it.
    bool tiled() const { return tiled_; }
    void setTiled(bool on);

    // Mouse events as a person's click is delivered: press, then on a left
    // release over the control the click, then the release.
    std::function<void(ImageControl&, Qt::MouseButton)> onMouseDown;
    std::function<void(ImageControl&)> onClick;
    std::function<void(ImageControl&, Qt::MouseButton)> onMouseUp;
    bool pressable() const { return static_cast<bool>(onMouseDown); }
    // A control that takes clicks is a button, for the keyboard and for
    // screen readers.
    bool clickable() const { return static_cast<bool>(onClick); }

    // A whole left click at once, as a screen reader's "press" asks for it.
    void click();

  protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    // Space, Return and Enter on a focused button are a left click: pressed
    // while the key is held, clicked and released when it goes up.
    void keyPressEvent(QKeyEvent*) override;
    void keyReleaseEvent(QKeyEvent*) override;
    // The focus leaving while the key is held lets the button go unclicked,
    // as moving the mouse off it before the release does.
    void focusOutEvent(QFocusEvent*) override;
    void releaseResources() override;

  private:
    enum class Over { No, Yes };
    void press(Qt::MouseButton button);
    void release(Qt::MouseButton button, Over over);
    void rebuildView();
    bool keyed() const;
    const QImage& shownImage();
    // The image reduced along the axes where the control is smaller than the
    // pixels kept (a control made smaller after its picture was loaded).
    const QImage& fittedImage(const QImage& image);
    // Loads the picture again when what the control shows now needs pixels
    // its kept copy lacks; a failure keeps the copy it has.
    void refit();

    std::string pictureName_;
    std::shared_ptr<const pictures::Picture> picture_;
    // The shared pixels as an image, without a copy; the colour-keyed copy is
    // made only when a transparent control is first painted, so hidden and
    // measuring controls never pay for it, and once for all the controls
    // that show the picture through showPictureOf.
    QImage view_;
    std::shared_ptr<QImage> keyedView_;
    // What the picture was loaded for, and the reduction made for a smaller
    // size since.
    pictures::Shown loadedFor_;
    QImage fitted_;
    bool stretch_ = false;
    bool autoSize_ = false;
    bool transparent_ = false;
    bool tiled_ = false;
    Qt::MouseButtons down_;
    // The key holding the left button down, so that only its release clicks.
    int downKey_ = 0;
};

class LabelControl final : public QWidget, public Control {
    Q_OBJECT
  public:
    LabelControl(ControlHost& host, std::string name, QWidget* parent);
    QWidget* widget() override { return this; }

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& cp1251);
    // A caption that is not all game text (a path with native names in it):
    // shown as given; caption() holds it in Windows-1251 as far as it goes.
    void setUnicodeCaption(const QString& text);
    // The caption as shown, mnemonics unresolved.
    const QString& text() const { return text_; }
    const FontSpec& font() const { return font_; }
    void setFont(const FontSpec& font);
    // Without a colour of its own a label shows the window's colour, and
    // keeps following it.
    Colour color() const;
    void setColor(Colour c);
    bool transparent() const { return transparent_; }
    void setTransparent(bool on);
    bool wordWrap() const { return wordWrap_; }
    void setWordWrap(bool on);
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    void setLongWords(LongWords mode);

    // The caption as shown, "&" mnemonics resolved, broken into lines as
    // the label would draw it in `width` pixels.
    QStringList layoutLines(int width, int* underlineLine = nullptr,
                            int* underlineIndex = nullptr) const;
    // How often the caption has been broken into lines so far: a caption is
    // laid out once for what it shows, not at every paint or resize.
    int layoutsMade() const { return layoutsMade_; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    // The lines of the caption for one width, with what they were made from.
    struct Layout {
        QString text;
        FontSpec font;
        bool wordWrap = false;
        LongWords longWords = LongWords::KeepWhole;
        int width = 0;
        QStringList lines;
        int widest = 0; // the widest line's width in pixels
        int underlineLine = -1, underlineIndex = -1;
    };
    Layout computeLayout(int width) const;
    const Layout& layoutFor(int width) const;
    void adjustSize();

    mutable std::optional<Layout> layout_;
    mutable int layoutsMade_ = 0;
    std::string caption_;
    QString text_; // the caption as shown, mnemonics unresolved
    FontSpec font_;
    Colour color_ = clBtnFace;
    bool ownColor_ = false;
    bool transparent_ = false;
    bool wordWrap_ = false;
    bool autoSize_ = true;
    LongWords longWords_ = LongWords::KeepWhole;
};

enum class ShapeKind { Rectangle, Square, RoundRect, RoundSquare, Ellipse, Circle };
const char* shapeKindName(ShapeKind kind);

class ShapeControl final : public QWidget, public Control {
    Q_OBJECT
  public:
    ShapeControl(ControlHost& host, std::string name, QWidget* parent);
    QWidget* widget() override { return this; }

    ShapeKind shape() const { return shape_; }
    void setShape(ShapeKind kind);
    Colour brush() const { return brush_; }
    void setBrush(Colour c);
    Colour pen() const { return pen_; }
    void setPen(Colour c);
    int penWidth() const { return penWidth_; }
    void setPenWidth(int w);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    ShapeKind shape_ = ShapeKind::Rectangle;
    Colour brush_ = 0xFFFFFF;
    Colour pen_ = clBlack;
    int penWidth_ = 1;
};

class ListControl final : public QListWidget, public Control {
    Q_OBJECT
  public:
    ListControl(ControlHost& host, std::string name, QWidget* parent);
    QWidget* widget() override { return this; }

    void addItem(const std::string& cp1251);
    std::vector<std::string> items() const;
    const FontSpec& font() const { return font_; }
    void setFont(const FontSpec& font);
    Colour color() const { return color_; }
    void setColor(Colour c);
    // The horizontal scroll range in pixels, as a list box's horizontal
    // extent: a scroll bar appears when it is wider than the box.
    int horizontalExtent() const { return hExtent_; }
    void setHorizontalExtent(int px);
    // One line of the font per item, as a list box spaces its items.
    int itemHeight() const;

  protected:
    // The horizontal scroll range follows the extent, not the items' widths.
    void updateGeometries() override;

  private:
    void applyPalette();
    void sizeItem(QListWidgetItem& item) const;
    FontSpec font_;
    Colour color_ = clWindow;
    int hExtent_ = 0;
};

class EditControl final : public QLineEdit, public Control {
    Q_OBJECT
  public:
    EditControl(ControlHost& host, std::string name, QWidget* parent);
    QWidget* widget() override { return this; }

    std::string text() const; // Windows-1251; what the code page lacks is '?'
    void setText(const std::string& cp1251);
    const FontSpec& font() const { return font_; }
    void setFont(const FontSpec& font);
    Colour color() const { return color_; }
    void setColor(Colour c);
    bool border() const { return border_; }
    void setBorder(bool on);

  private:
    void applyPalette();
    FontSpec font_;
    Colour color_ = clWindow;
    bool border_ = true;
};

// The window a video plays in: black where no picture is.
class VideoControl final : public QWidget, public Control {
    Q_OBJECT
  public:
    VideoControl(ControlHost& host, std::string name, QWidget* parent);
    QWidget* widget() override { return this; }

    const std::string& file() const { return file_; }
    void setFile(const std::string& cp1251) { file_ = cp1251; }
    bool playing() const { return playing_; }
    void setPlaying(bool on) { playing_ = on; }
    void setFrame(const QImage& frame);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    std::string file_;
    bool playing_ = false;
    QImage frame_;
};

} // namespace taleplay
