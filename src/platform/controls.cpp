// The controls the game screen is made of: image, label, shape, list, edit, video.
#include "platform/controls.h"

#include "core/paths.h"
#include "pictures/loader.h"
#include "pictures/resample.h"
#include "platform/host.h"
#include "platform/metafile_renderer.h"
#include "platform/qtext.h"

#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

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

pictures::Shown ImageControl::shown() const {
    // A picture shown at its own size is kept whole whatever the control.
    if (!stretch_ || autoSize_ || tiled_)
        return {};
    return {true, width(), height(), transparent_};
}

void ImageControl::loadPicture(const std::string& composedPath) {
    loadPicture(composedPath, shown());
}

void ImageControl::loadPicture(const std::string& composedPath, const pictures::Shown& shown) {
    auto pic = pictures::loadPicture(paths::resolve(composedPath), composedPath, shown);
    picture_ = std::move(pic);
    pictureName_ = composedPath;
    loadedFor_ = shown;
    rebuildView();
    if (autoSize_)
        resize(naturalSize());
    update();
}

void ImageControl::measurePicture(const std::string& composedPath) {
    const pictures::Extent natural =
        pictures::naturalSize(paths::resolve(composedPath), composedPath);
    auto sized = std::make_shared<pictures::Picture>();
    sized->fullWidth = natural.width;
    sized->fullHeight = natural.height;
    picture_ = std::move(sized);
    pictureName_ = composedPath;
    loadedFor_ = {};
    rebuildView();
    if (autoSize_)
        resize(naturalSize());
    update();
}

void ImageControl::showPictureOf(const ImageControl& other) {
    picture_ = other.picture_;
    pictureName_ = other.pictureName_;
    loadedFor_ = other.loadedFor_;
    view_ = other.view_;
    keyedView_ = other.keyedView_;
    fitted_ = QImage();
    if (autoSize_)
        resize(naturalSize());
    refit();
    update();
}

void ImageControl::clearPicture() {
    picture_.reset();
    pictureName_.clear();
    loadedFor_ = {};
    rebuildView();
    update();
}

void ImageControl::releaseResources() {
    picture_.reset();
    view_ = QImage();
    keyedView_.reset();
    fitted_ = QImage();
}

QSize ImageControl::naturalSize() const {
    return picture_ ? QSize(picture_->naturalWidth(), picture_->naturalHeight()) : QSize(0, 0);
}

void ImageControl::setStretch(bool on) {
    stretch_ = on;
    refit();
    update();
}

void ImageControl::setAutoSize(bool on) {
    autoSize_ = on;
    if (on && picture_)
        resize(naturalSize());
    refit();
}

void ImageControl::setTransparent(bool on) {
    if (transparent_ == on)
        return;
    transparent_ = on;
    fitted_ = QImage();
    refit();
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

void ImageControl::refit() {
    if (!picture_ || picture_->pixels.empty() || !picture_->reduced() || pictureName_.empty())
        return;
    const pictures::Shown now = shown();
    const pictures::Extent wanted = pictures::keptExtent(
        {picture_->naturalWidth(), picture_->naturalHeight()}, now);
    const bool keyingChanged = !picture_->hasAlpha && now.keyed != loadedFor_.keyed;
    if (wanted.width <= picture_->width && wanted.height <= picture_->height && !keyingChanged)
        return; // the copy kept has the pixels; painting reduces it further
    try {
        loadPicture(pictureName_, now);
    } catch (const std::exception&) {
        // The copy kept is shown stretched: coarser, but the screen goes on.
    }
}

void ImageControl::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    fitted_ = QImage();
    refit();
}

namespace {

// Pixels of the key colour (alpha ignored) made transparent: how an opaque
// picture shows in a transparent control.
void leaveOutKey(QImage& image, std::uint32_t key) {
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            if ((row[x] | 0xFF000000u) == key)
                row[x] = 0;
    }
}

} // namespace

void ImageControl::rebuildView() {
    keyedView_.reset();
    fitted_ = QImage();
    if (!picture_ || picture_->pixels.empty()) {
        view_ = QImage();
        return;
    }
    // The keyed copy depends on the pixels alone; it is made at the first
    // paint that needs it, into this holder the sharing controls all see.
    keyedView_ = std::make_shared<QImage>();
    const auto& p = *picture_;
    view_ = QImage(reinterpret_cast<const uchar*>(p.pixels.data()), p.width, p.height, p.width * 4,
                   p.hasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

const QImage& ImageControl::shownImage() {
    if (!keyed() || !keyedView_) // no holder: a picture without pixels
        return view_;
    QImage& keyedView = *keyedView_;
    if (keyedView.isNull()) {
        // An opaque picture is made transparent by its bottom-left pixel's
        // colour, at its own size.
        keyedView = view_.convertToFormat(QImage::Format_ARGB32);
        leaveOutKey(keyedView, picture_->keyColour());
    }
    return keyedView;
}

const QImage& ImageControl::fittedImage(const QImage& image) {
    const QSize target(std::min(width(), image.width()), std::min(height(), image.height()));
    if (target == image.size() || target.isEmpty())
        return image;
    if (fitted_.size() == target)
        return fitted_;
    try {
        const pictures::Picture small =
            pictures::reduce(*picture_, target.width(), target.height(), keyed(), "picture");
        QImage made(small.width, small.height,
                    small.hasAlpha || keyed() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        for (int y = 0; y < small.height; ++y)
            std::memcpy(made.scanLine(y), small.pixels.data() + std::size_t(y) * small.width,
                        std::size_t(small.width) * 4);
        if (keyed())
            leaveOutKey(made, small.keyColour());
        fitted_ = std::move(made);
    } catch (const std::exception&) {
        return image; // no memory for it: the kept copy, stretched
    }
    return fitted_;
}

namespace {

// The part `area` of `image` stretched to `size` by pixel replication, as the
// original toolkit stretches: no smoothing, so a colour-keyed edge stays
// hard. Each pixel takes the source pixel under its centre, exactly, however
// large the stretch (the painter's own nearest-pixel scaling drifts by a
// few pixels on large stretches).
QImage replicate(const QImage& image, QSize size, const QRect& area) {
    QImage out(area.size(), image.format());
    const int width = area.width();
    const long long sourceWidth = image.width();
    const long long sourceHeight = image.height();
    std::vector<int> columns(static_cast<std::size_t>(width));
    for (int i = 0; i < width; ++i)
        columns[static_cast<std::size_t>(i)] =
            static_cast<int>((2LL * (area.left() + i) + 1) * sourceWidth / (2LL * size.width()));
    const auto* source = image.constBits();
    const qsizetype sourceStride = image.bytesPerLine();
    auto* target = out.bits();
    const qsizetype targetStride = out.bytesPerLine();
    int lastRow = -1;
    for (int j = 0; j < area.height(); ++j) {
        const int row =
            static_cast<int>((2LL * (area.top() + j) + 1) * sourceHeight / (2LL * size.height()));
        auto* to = reinterpret_cast<QRgb*>(target + j * targetStride);
        if (row == lastRow) { // an enlarged row repeats the one above it
            std::memcpy(to, target + (j - 1) * targetStride, std::size_t(width) * sizeof(QRgb));
            continue;
        }
        lastRow = row;
        const auto* in = reinterpret_cast<const QRgb*>(source + row * sourceStride);
        for (int i = 0; i < width; ++i)
            to[i] = in[columns[static_cast<std::size_t>(i)]];
    }
    return out;
}

} // namespace

void ImageControl::setTiled(bool on) {
    tiled_ = on;
    update();
}

void ImageControl::paintEvent(QPaintEvent* e) {
    if (view_.isNull())
        return;
    QPainter painter(this);
    if (tiled_) {
        painter.fillRect(rect(), QBrush(view_));
        return;
    }
    const QImage& kept = shownImage();
    if (!stretch_ || size() == kept.size()) {
        painter.drawImage(QPoint(0, 0), kept);
        return;
    }
    const QImage& image = fittedImage(kept);
    if (size() == image.size()) {
        painter.drawImage(QPoint(0, 0), image);
        return;
    }
    const QRect area = e->rect() & rect();
    if (!area.isEmpty())
        painter.drawImage(area.topLeft(), replicate(image, size(), area));
}

void ImageControl::mousePressEvent(QMouseEvent* e) {
    press(e->button());
}

void ImageControl::mouseReleaseEvent(QMouseEvent* e) {
    release(e->button(), rect().contains(e->position().toPoint()) ? Over::Yes : Over::No);
}

void ImageControl::press(Qt::MouseButton button) {
    down_ |= button;
    if (onMouseDown)
        onMouseDown(*this, button);
}

void ImageControl::release(Qt::MouseButton button, Over over) {
    const bool wasDown = down_.testFlag(button);
    down_ &= ~button;
    // The click comes before the release, so the pressed picture stays while
    // the click's rules run.
    if (button == Qt::LeftButton && wasDown && over == Over::Yes && onClick)
        onClick(*this);
    if (onMouseUp)
        onMouseUp(*this, button);
}

void ImageControl::click() {
    if (down_.testFlag(Qt::LeftButton))
        return;
    press(Qt::LeftButton);
    release(Qt::LeftButton, Over::Yes);
}

namespace {

bool isClickKey(const QKeyEvent* e) {
    const int key = e->key();
    return (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
           !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

} // namespace

void ImageControl::keyPressEvent(QKeyEvent* e) {
    // A button that is hidden (or gone) may still hold the focus for a
    // moment, until the click that hid it is over: it does nothing then.
    if (!clickable() || !isClickKey(e) || !isVisible() || !isEnabled())
        return QWidget::keyPressEvent(e);
    e->accept();
    // A held key repeats; the button stays pressed until it goes up. A
    // second click key while one is held does nothing either.
    if (e->isAutoRepeat() || down_.testFlag(Qt::LeftButton))
        return;
    downKey_ = e->key();
    press(Qt::LeftButton);
}

void ImageControl::keyReleaseEvent(QKeyEvent* e) {
    if (!clickable() || !isClickKey(e))
        return QWidget::keyReleaseEvent(e);
    e->accept();
    if (e->isAutoRepeat() || e->key() != downKey_)
        return;
    downKey_ = 0;
    // Hidden while the key was held, it goes up unclicked.
    release(Qt::LeftButton, isVisible() ? Over::Yes : Over::No);
}

void ImageControl::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    if (downKey_ == 0)
        return;
    downKey_ = 0;
    release(Qt::LeftButton, Over::No);
}

// ---------------------------------------------------------------- label

LabelControl::LabelControl(ControlHost& host, std::string name, QWidget* parent)
    : QWidget(parent), Control(host, ControlKind::Label, std::move(name)) {
    font_ = host.windowFont();
    caption_ = this->name();
    text_ = toQString(caption_);
    adjustSize();
}

Colour LabelControl::color() const {
    return ownColor_ ? color_ : host().colour();
}

void LabelControl::setCaption(const std::string& cp1251) {
    caption_ = cp1251;
    text_ = toQString(cp1251);
    adjustSize();
    update();
}

void LabelControl::setUnicodeCaption(const QString& text) {
    caption_ = fromQString(text);
    text_ = text;
    adjustSize();
    update();
}

void LabelControl::setFont(const FontSpec& font) {
    if (font == font_)
        return;
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

namespace {

// The caption as shown: "&&" shows one "&", a single "&" is not drawn and
// underlines the character after it (`underline`, -1 for none).
QString resolveMnemonics(const QString& raw, int& underline) {
    QString shown;
    shown.reserve(raw.size());
    underline = -1;
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
    return shown;
}

// Cuts lines off `text` as long as it is wider than `width`, each with as
// many characters as fit (at least one), and returns the rest. Linear in the
// length of the text, whatever its length: each cut is estimated from the
// characters' own advances and then measured, a line at a time, instead of
// measuring the whole rest for every cut.
QString cutToWidth(const QString& text, int width, const QFontMetrics& fm, QStringList& lines) {
    const int n = static_cast<int>(text.size());
    std::vector<long long> before(static_cast<std::size_t>(n) + 1, 0);
    for (int i = 0; i < n; ++i)
        before[static_cast<std::size_t>(i) + 1] =
            before[static_cast<std::size_t>(i)] + fm.horizontalAdvance(text[i]);
    const auto fits = [&](int from, int count) {
        return fm.horizontalAdvance(text.mid(from, count)) <= width;
    };
    int start = 0;
    for (;;) {
        // Kerning moves a line's width only a little from the sum of its
        // characters' advances, so a rest estimated at twice the width or
        // more is not measured at all.
        const long long estimate =
            before[static_cast<std::size_t>(n)] - before[static_cast<std::size_t>(start)];
        if (n - start <= 1 || (estimate <= 2LL * std::max(width, 1) && fits(start, n - start)))
            break;
        const auto limit = before[static_cast<std::size_t>(start)] + width;
        int count =
            static_cast<int>(std::upper_bound(before.begin() + start + 1, before.end(), limit) -
                             (before.begin() + start + 1));
        count = std::clamp(count, 1, n - start);
        while (count > 1 && !fits(start, count))
            --count;
        while (start + count < n && fits(start, count + 1))
            ++count;
        lines << text.mid(start, count);
        start += count;
    }
    return text.mid(start);
}

} // namespace

LabelControl::Layout LabelControl::computeLayout(int width) const {
    Layout out;
    out.text = text_;
    out.font = font_;
    out.wordWrap = wordWrap_;
    out.longWords = longWords_;
    out.width = width;
    int underline = -1;
    const QString shown = resolveMnemonics(text_, underline);
    const QFontMetrics fm(toQFont(font_));

    QStringList& lines = out.lines;
    if (!wordWrap_) {
        lines << shown;
    } else {
        // Break at blanks only; a word wider than the width keeps a line of
        // its own and makes the label wider, as Windows draws it.
        QString line;
        int i = 0;
        const int n = static_cast<int>(shown.size());
        bool lineStarted = false;
        // The line's width so far, summed from its pieces, and how far that
        // sum may stray from the line measured whole (kerning at each seam
        // between pieces): only a line that ends within that of the edge is
        // measured whole, so a long text costs each word one measurement
        // instead of one of its whole line.
        const QFontMetricsF piece(toQFont(font_));
        qreal lineWidth = 0;
        int seams = 0;
        const qreal perSeam = std::max<qreal>(1, fm.height() / 8.0);
        // Texts repeat their words: each distinct piece is measured once (a
        // megabyte of text holds a few tens of thousands), up to a bound.
        QHash<QString, qreal> pieceWidths;
        const auto pieceWidth = [&](const QString& text) {
            if (const auto it = pieceWidths.constFind(text); it != pieceWidths.constEnd())
                return it.value();
            const qreal w = piece.horizontalAdvance(text);
            if (pieceWidths.size() < 65'536)
                pieceWidths.insert(text, w);
            return w;
        };
        const auto nearEdge = [&](qreal estimate) {
            return estimate > width - 4 - seams * perSeam;
        };
        while (i < n) {
            int j = i;
            while (j < n && shown[j] == QLatin1Char(' '))
                ++j;
            int k = j;
            while (k < n && shown[k] != QLatin1Char(' '))
                ++k;
            const QString blanks = shown.mid(i, j - i);
            const QString word = shown.mid(j, k - j);
            if (!lineStarted) {
                line = blanks + word;
                lineWidth = pieceWidth(line);
                seams = 0;
                lineStarted = true;
            } else {
                const qreal estimate = lineWidth + pieceWidth(blanks + word);
                ++seams;
                bool fits = true;
                qreal measured = estimate;
                if (nearEdge(estimate)) {
                    const int whole = fm.horizontalAdvance(line + blanks + word);
                    fits = whole <= width;
                    measured = whole;
                    seams = 0; // measured whole: no stray left
                }
                if (fits) {
                    line += blanks + word;
                    lineWidth = measured;
                } else {
                    lines << line;
                    line = word; // the blanks at a break are not drawn
                    lineWidth = pieceWidth(line);
                    seams = 0;
                }
            }
            // Cut what still does not fit, as many characters as fit a line.
            if (longWords_ == LongWords::Break && line.size() > 1 && nearEdge(lineWidth) &&
                fm.horizontalAdvance(line) > width) {
                line = cutToWidth(line, width, fm, lines);
                lineWidth = piece.horizontalAdvance(line);
                seams = 0;
            }
            i = k;
        }
        lines << line;
    }
    for (const QString& l : lines)
        out.widest = std::max(out.widest, fm.horizontalAdvance(l));

    if (underline >= 0) {
        // Find the line that holds the underlined character.
        int pos = 0;
        for (int l = 0; l < lines.size(); ++l) {
            const int at = static_cast<int>(shown.indexOf(lines[l], pos));
            if (at < 0)
                break;
            if (underline >= at && underline < at + lines[l].size()) {
                out.underlineLine = l;
                out.underlineIndex = underline - at;
                break;
            }
            pos = at + static_cast<int>(lines[l].size());
        }
    }
    return out;
}

const LabelControl::Layout& LabelControl::layoutFor(int width) const {
    // Laid out once for what it shows: painting and sizing ask again and
    // again. Lines made for a width still hold for any narrower width down
    // to their widest line, which is where an automatic size leaves the
    // label.
    const bool same = layout_ && layout_->text == text_ && layout_->font == font_ &&
                      layout_->wordWrap == wordWrap_ && layout_->longWords == longWords_;
    const bool holds = layout_ && (!wordWrap_ || width == layout_->width ||
                                   (layout_->widest <= width && width <= layout_->width));
    if (!same || !holds) {
        layout_ = computeLayout(width);
        ++layoutsMade_;
    }
    return *layout_;
}

QStringList LabelControl::layoutLines(int width, int* underlineLine, int* underlineIndex) const {
    const Layout& layout = layoutFor(width);
    if (underlineLine && underlineIndex) {
        *underlineLine = layout.underlineLine;
        *underlineIndex = layout.underlineIndex;
    }
    return layout.lines;
}

void LabelControl::adjustSize() {
    if (!autoSize_)
        return;
    const QFontMetrics fm(toQFont(font_));
    const Layout& layout = layoutFor(width());
    // An empty caption still measures as one blank, as Windows sizes it.
    const bool empty = layout.lines.size() == 1 && layout.lines[0].isEmpty();
    const int w = empty ? fm.horizontalAdvance(QLatin1Char(' ')) : layout.widest;
    resize(w, fm.height() * static_cast<int>(layout.lines.size()));
}

void LabelControl::paintEvent(QPaintEvent* e) {
    QPainter painter(this);
    if (!transparent_)
        painter.fillRect(rect(), toQColor(color(), toQColor(clBtnFace)));
    QFont f = toQFont(font_);
    painter.setFont(f);
    painter.setPen(toQColor(font_.color, Qt::black));
    const QFontMetrics fm(f);
    const Layout& layout = layoutFor(width());
    const int lineHeight = std::max(1, fm.height());
    // Only the lines in the part to paint: a label of a very long text
    // reaches far below its window.
    const int first = std::max(0, e->rect().top() / lineHeight);
    const int last =
        std::min(static_cast<int>(layout.lines.size()) - 1, e->rect().bottom() / lineHeight);
    for (int l = first; l <= last; ++l) {
        const int y = l * lineHeight;
        const QString& line = layout.lines[l];
        painter.drawText(0, y + fm.ascent(), line);
        if (l == layout.underlineLine && layout.underlineIndex >= 0) {
            int x0 = fm.horizontalAdvance(line.left(layout.underlineIndex));
            int x1 = x0 + fm.horizontalAdvance(line.mid(layout.underlineIndex, 1));
            int uy = y + fm.ascent() + fm.underlinePos();
            painter.drawLine(x0, uy, x1 - 1, uy);
        }
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
