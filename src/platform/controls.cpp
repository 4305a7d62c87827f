// The controls the game screen is made of: image, label, shape, list, edit, video.
#include "platform/controls.h"

#include "core/paths.h"
#include "pictures/loader.h"
#include "platform/host.h"
#include "platform/metafile_renderer.h"
#include "platform/qtext.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

namespace taleplay {
namespace {

// Windows' MulDiv: a * b / c rounded half away from zero.
int mulDiv(int a, int b, int c) {
    long long p = static_cast<long long>(a) * b;
    long long q = (std::llabs(p) + c / 2) / c;
    return static_cast<int>(p < 0 ? -q : q);
}

} // namespace

const char* kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Image:
        return "image";
    case ControlKind::Label:
        return "label";
    case ControlKind::Shape:
        return "shape";
    case ControlKind::List:
        return "list";
    case ControlKind::Edit:
        return "edit";
    case ControlKind::Video:
        return "video";
    }
    return "?";
}

Layer layerOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::List:
    case ControlKind::Edit:
    case ControlKind::Video:
        return Layer::Windowed;
    default:
        return Layer::Graphic;
    }
}

int FontSpec::size() const {
    return mulDiv(height, 72, 96);
}
void FontSpec::setSize(int points) {
    height = mulDiv(points, 96, 72);
}

QFont toQFont(const FontSpec& spec) {
    QFont f(toQString(spec.name));
    f.setPixelSize(std::max(1, spec.height));
    f.setBold(spec.bold);
    // Windows' classic text output: no font hinting differences between runs.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

Control::Control(ControlHost& host, ControlKind kind, std::string name)
    : host_(host), kind_(kind), name_(std::move(name)) {}

// ---------------------------------------------------------------- image

ImageControl::ImageControl(ControlHost& host, std::string name, QWidget* parent)
    : QWidget(parent), Control(host, ControlKind::Image, std::move(name)) {
    resize(105, 105);
    platform::registerMetafileRenderer(); // image controls are where metafiles get drawn
}

void ImageControl::loadPicture(const std::string& composedPath) {
    auto pic = pictures::loadPicture(paths::resolve(composedPath), composedPath);
    picture_ = std::move(pic);
    pictureName_ = composedPath;
    rebuildView();
    if (autoSize_)
        resize(naturalSize());
    update();
}

void ImageControl::clearPicture() {
    picture_.reset();
    pictureName_.clear();
    rebuildView();
    update();
}

QSize ImageControl::naturalSize() const {
    return picture_ ? QSize(picture_->width, picture_->height) : QSize(0, 0);
}

void ImageControl::setStretch(bool on) {
    stretch_ = on;
    update();
}

void ImageControl::setAutoSize(bool on) {
    autoSize_ = on;
    if (on && picture_)
        resize(naturalSize());
}

void ImageControl::setTransparent(bool on) {
    if (transparent_ == on)
        return;
    transparent_ = on;
    keyedPixmap_ = QPixmap();
    update();
}

void ImageControl::setHandCursor(bool on) {
    if (on)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

bool ImageControl::keyed() const {
    return transparent_ && picture_ && !picture_->hasAlpha;
}

void ImageControl::rebuildView() {
    keyedPixmap_ = QPixmap();
    if (!picture_ || picture_->pixels.empty()) {
        view_ = QImage();
        return;
    }
    const auto& p = *picture_;
    view_ = QImage(reinterpret_cast<const uchar*>(p.pixels.data()), p.width, p.height, p.width * 4,
                   p.hasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

void ImageControl::paintEvent(QPaintEvent*) {
    if (view_.isNull())
        return;
    QPainter painter(this);
    if (stretch_)
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect target = stretch_ ? rect() : QRect(QPoint(0, 0), view_.size());
    if (!keyed()) {
        painter.drawImage(target, view_);
        return;
    }
    if (keyedPixmap_.isNull()) {
        // An opaque picture is made transparent by its bottom-left pixel's colour.
        QImage copy = view_.convertToFormat(QImage::Format_ARGB32);
        const auto& p = *picture_;
        const std::uint32_t key =
            p.pixels[static_cast<std::size_t>(p.height - 1) * p.width] | 0xFF000000u;
        for (int y = 0; y < copy.height(); ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(copy.scanLine(y));
            for (int x = 0; x < copy.width(); ++x)
                if ((row[x] | 0xFF000000u) == key)
                    row[x] = 0;
        }
        keyedPixmap_ = QPixmap::fromImage(std::move(copy));
    }
    painter.drawPixmap(target, keyedPixmap_);
}

void ImageControl::mousePressEvent(QMouseEvent* e) {
    down_ |= e->button();
    if (onMouseDown)
        onMouseDown(*this, e->button());
}

void ImageControl::mouseReleaseEvent(QMouseEvent* e) {
    const bool wasDown = down_.testFlag(e->button());
    down_ &= ~e->button();
    // The click comes before the release, so the pressed picture stays while
    // the click's rules run.
    if (e->button() == Qt::LeftButton && wasDown && rect().contains(e->position().toPoint()) &&
        onClick)
        onClick(*this);
    if (onMouseUp)
        onMouseUp(*this, e->button());
}

// ---------------------------------------------------------------- label

LabelControl::LabelControl(ControlHost& host, std::string name, QWidget* parent)
    : QWidget(parent), Control(host, ControlKind::Label, std::move(name)) {
    font_ = host.windowFont();
    caption_ = this->name();
    adjustSize();
}

Colour LabelControl::color() const {
    return ownColor_ ? color_ : host().colour();
}

void LabelControl::setCaption(const std::string& cp1251) {
    caption_ = cp1251;
    adjustSize();
    update();
}

void LabelControl::setFont(const FontSpec& font) {
    font_ = font;
    adjustSize();
    update();
}

void LabelControl::setColor(Colour c) {
    color_ = c;
    ownColor_ = true;
    update();
}

void LabelControl::setTransparent(bool on) {
    transparent_ = on;
    update();
}

void LabelControl::setWordWrap(bool on) {
    wordWrap_ = on;
    adjustSize();
    update();
}

void LabelControl::setLongWords(LongWords mode) {
    longWords_ = mode;
    adjustSize();
    update();
}

void LabelControl::setAutoSize(bool on) {
    autoSize_ = on;
    adjustSize();
}

QStringList LabelControl::layoutLines(int width, int* underlineLine, int* underlineIndex) const {
    // Resolve the mnemonics first: "&&" shows one "&", a single "&" is not
    // drawn and underlines the character after it.
    QString raw = toQString(caption_);
    QString shown;
    int underline = -1;
    for (int i = 0; i < raw.size(); ++i) {
        if (raw[i] == QLatin1Char('&')) {
            if (i + 1 < raw.size() && raw[i + 1] == QLatin1Char('&')) {
                shown += QLatin1Char('&');
                ++i;
            } else if (i + 1 < raw.size()) {
                underline = static_cast<int>(shown.size());
            }
            continue;
        }
        shown += raw[i];
    }

    QStringList lines;
    if (!wordWrap_) {
        lines << shown;
    } else {
        // Break at blanks only; a word wider than the width keeps a line of
        // its own and makes the label wider, as Windows draws it.
        QFontMetrics fm(toQFont(font_));
        QString line;
        int i = 0;
        const int n = static_cast<int>(shown.size());
        bool lineStarted = false;
        while (i < n) {
            int j = i;
            while (j < n && shown[j] == QLatin1Char(' '))
                ++j;
            QString blanks = shown.mid(i, j - i);
            int k = j;
            while (k < n && shown[k] != QLatin1Char(' '))
                ++k;
            QString word = shown.mid(j, k - j);
            if (!lineStarted) {
                line = blanks + word;
                lineStarted = true;
            } else if (fm.horizontalAdvance(line + blanks + word) <= width) {
                line += blanks + word;
            } else {
                lines << line;
                line = word; // the blanks at a break are not drawn
            }
            if (longWords_ == LongWords::Break) {
                // Cut what still does not fit, a character at a time.
                while (line.size() > 1 && fm.horizontalAdvance(line) > width) {
                    int fit = 1;
                    while (fit < line.size() && fm.horizontalAdvance(line.left(fit + 1)) <= width)
                        ++fit;
                    lines << line.left(fit);
                    line = line.mid(fit);
                }
            }
            i = k;
        }
        lines << line;
    }

    if (underlineLine && underlineIndex) {
        *underlineLine = -1;
        *underlineIndex = -1;
        if (underline >= 0) {
            // Find the line that holds the underlined character.
            int pos = 0;
            for (int l = 0; l < lines.size(); ++l) {
                int at = static_cast<int>(shown.indexOf(lines[l], pos));
                if (at < 0)
                    break;
                if (underline >= at && underline < at + lines[l].size()) {
                    *underlineLine = l;
                    *underlineIndex = underline - at;
                    break;
                }
                pos = at + static_cast<int>(lines[l].size());
            }
        }
    }
    return lines;
}

void LabelControl::adjustSize() {
    if (!autoSize_)
        return;
    QFontMetrics fm(toQFont(font_));
    QStringList lines = layoutLines(width());
    // An empty caption still measures as one blank, as Windows sizes it.
    if (lines.size() == 1 && lines[0].isEmpty())
        lines[0] = QStringLiteral(" ");
    int w = 0;
    for (const QString& l : lines)
        w = std::max(w, fm.horizontalAdvance(l));
    resize(w, fm.height() * static_cast<int>(lines.size()));
}

void LabelControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!transparent_)
        painter.fillRect(rect(), toQColor(color(), toQColor(clBtnFace)));
    QFont f = toQFont(font_);
    painter.setFont(f);
    painter.setPen(toQColor(font_.color, Qt::black));
    QFontMetrics fm(f);
    int ulLine = -1, ulIndex = -1;
    const QStringList lines = layoutLines(width(), &ulLine, &ulIndex);
    int y = 0;
    for (int l = 0; l < lines.size(); ++l) {
        painter.drawText(0, y + fm.ascent(), lines[l]);
        if (l == ulLine && ulIndex >= 0) {
            int x0 = fm.horizontalAdvance(lines[l].left(ulIndex));
            int x1 = x0 + fm.horizontalAdvance(lines[l].mid(ulIndex, 1));
            int uy = y + fm.ascent() + fm.underlinePos();
            painter.drawLine(x0, uy, x1 - 1, uy);
        }
        y += fm.height();
    }
}

// ---------------------------------------------------------------- shape

const char* shapeKindName(ShapeKind kind) {
    switch (kind) {
    case ShapeKind::Rectangle:
        return "rectangle";
    case ShapeKind::Square:
        return "square";
    case ShapeKind::RoundRect:
        return "roundrect";
    case ShapeKind::RoundSquare:
        return "roundsquare";
    case ShapeKind::Ellipse:
        return "ellipse";
    case ShapeKind::Circle:
        return "circle";
    }
    return "?";
}

ShapeControl::ShapeControl(ControlHost& host, std::string name, QWidget* parent)
    : QWidget(parent), Control(host, ControlKind::Shape, std::move(name)) {
    resize(65, 65);
}

void ShapeControl::setShape(ShapeKind kind) {
    shape_ = kind;
    update();
}
void ShapeControl::setBrush(Colour c) {
    brush_ = c;
    update();
}
void ShapeControl::setPen(Colour c) {
    pen_ = c;
    update();
}
void ShapeControl::setPenWidth(int w) {
    penWidth_ = std::max(0, w);
    update();
}

void ShapeControl::paintEvent(QPaintEvent*) {
    // The figure sits inside the control inset by half the pen, as Windows
    // draws it; the square kinds take the smaller side, centred.
    int x = penWidth_ / 2, y = x;
    int w = width() - penWidth_ + 1, h = height() - penWidth_ + 1;
    if (penWidth_ == 0) {
        --w;
        --h;
    }
    const int s = std::min(w, h);
    if (shape_ == ShapeKind::Square || shape_ == ShapeKind::RoundSquare ||
        shape_ == ShapeKind::Circle) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = h = s;
    }
    if (w <= 0 || h <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (penWidth_ > 0)
        painter.setPen(QPen(toQColor(pen_), penWidth_));
    else
        painter.setPen(Qt::NoPen);
    painter.setBrush(toQColor(brush_, Qt::white));
    const QRectF r(x, y, w - 1, h - 1);
    switch (shape_) {
    case ShapeKind::Rectangle:
    case ShapeKind::Square:
        painter.drawRect(r);
        break;
    case ShapeKind::RoundRect:
    case ShapeKind::RoundSquare:
        painter.drawRoundedRect(r, s / 8.0, s / 8.0);
        break;
    case ShapeKind::Ellipse:
    case ShapeKind::Circle:
        painter.drawEllipse(r);
        break;
    }
}

// ---------------------------------------------------------------- list

ListControl::ListControl(ControlHost& host, std::string name, QWidget* parent)
    : QListWidget(parent), Control(host, ControlKind::List, std::move(name)) {
    font_ = host.windowFont();
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSelectionMode(QAbstractItemView::SingleSelection);
    QListWidget::setFont(toQFont(font_));
    applyPalette();
}

void ListControl::addItem(const std::string& cp1251) {
    auto* item = new QListWidgetItem(toQString(cp1251), this);
    sizeItem(*item);
}

int ListControl::itemHeight() const {
    return QFontMetrics(toQFont(font_)).height();
}

void ListControl::sizeItem(QListWidgetItem& item) const {
    const QFontMetrics fm(toQFont(font_));
    item.setSizeHint(QSize(fm.horizontalAdvance(item.text()), fm.height()));
}

std::vector<std::string> ListControl::items() const {
    std::vector<std::string> out;
    for (int i = 0; i < count(); ++i)
        out.push_back(fromQString(item(i)->text()));
    return out;
}

void ListControl::setFont(const FontSpec& font) {
    font_ = font;
    QListWidget::setFont(toQFont(font_));
    for (int i = 0; i < count(); ++i)
        sizeItem(*item(i));
    applyPalette();
}

void ListControl::setColor(Colour c) {
    color_ = c;
    applyPalette();
}

void ListControl::setHorizontalExtent(int px) {
    hExtent_ = std::max(0, px);
    updateGeometries();
}

void ListControl::updateGeometries() {
    QListWidget::updateGeometries();
    // A scroll bar appears only when the extent is wider than the box; items
    // wider than the extent are cut off, as in a Windows list box.
    QScrollBar* bar = horizontalScrollBar();
    const int page = viewport()->width();
    bar->setRange(0, std::max(0, hExtent_ - page));
    bar->setPageStep(page);
}

void ListControl::applyPalette() {
    QPalette pal = palette();
    pal.setColor(QPalette::Base, toQColor(color_, Qt::white));
    pal.setColor(QPalette::Text, toQColor(font_.color, Qt::black));
    setPalette(pal);
}

// ---------------------------------------------------------------- edit

EditControl::EditControl(ControlHost& host, std::string name, QWidget* parent)
    : QLineEdit(parent), Control(host, ControlKind::Edit, std::move(name)) {
    font_ = host.windowFont();
    QLineEdit::setFont(toQFont(font_));
    applyPalette();
}

std::string EditControl::text() const {
    return fromQString(QLineEdit::text());
}
void EditControl::setText(const std::string& cp1251) {
    QLineEdit::setText(toQString(cp1251));
}

void EditControl::setFont(const FontSpec& font) {
    font_ = font;
    QLineEdit::setFont(toQFont(font_));
    applyPalette();
}

void EditControl::setColor(Colour c) {
    color_ = c;
    applyPalette();
}

void EditControl::setBorder(bool on) {
    border_ = on;
    setFrame(on);
}

void EditControl::applyPalette() {
    QPalette pal = palette();
    pal.setColor(QPalette::Base, toQColor(color_, Qt::white));
    pal.setColor(QPalette::Text, toQColor(font_.color, Qt::black));
    setPalette(pal);
}

// ---------------------------------------------------------------- video

VideoControl::VideoControl(ControlHost& host, std::string name, QWidget* parent)
    : QWidget(parent), Control(host, ControlKind::Video, std::move(name)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void VideoControl::setFrame(const QImage& frame) {
    frame_ = frame;
    update();
}

void VideoControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (frame_.isNull())
        return;
    // The picture keeps its proportions; the rest of the window stays black.
    QSize fitted = frame_.size().scaled(size(), Qt::KeepAspectRatio);
    QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, frame_);
}

} // namespace taleplay
