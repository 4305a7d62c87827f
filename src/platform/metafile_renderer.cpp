// Metafile display lists drawn with QPainter.
//
// Each list is drawn twice, on a white picture and on a black one. Where
// both agree, something opaque was drawn; where nothing was drawn they
// differ by everything, and the pixel is transparent; raster operations
// that mix with what lies below (the AND and OR masks of clip art's
// bitmaps) come out as partly transparent in between. So the picture needs
// no coverage bookkeeping of its own, and the raster operations work on
// opaque pixels, as they do on a screen.
#include "platform/metafile_renderer.h"

#include "core/errors.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <cmath>
#include <map>
#include <optional>

namespace taleplay::platform {

namespace {

using namespace pictures::metafile;
using pictures::Picture;

QColor colourOf(std::uint32_t argb) {
    return QColor::fromRgba(argb);
}

QPainterPath toQPath(const Path& p, FillRule fill) {
    QPainterPath out;
    out.setFillRule(fill == FillRule::Winding ? Qt::WindingFill : Qt::OddEvenFill);
    std::size_t k = 0;
    auto pt = [&](std::size_t i) { return QPointF(p.points[i].x, p.points[i].y); };
    for (Path::Verb v : p.verbs) {
        switch (v) {
        case Path::Verb::Move:
            out.moveTo(pt(k++));
            break;
        case Path::Verb::Line:
            out.lineTo(pt(k++));
            break;
        case Path::Verb::Cubic:
            out.cubicTo(pt(k), pt(k + 1), pt(k + 2));
            k += 3;
            break;
        case Path::Verb::Close:
            out.closeSubpath();
            break;
        }
    }
    return out;
}

// Binary raster operations of pens and brushes (R2_BLACK = 1 ... R2_WHITE = 16).
QPainter::CompositionMode rop2Mode(int rop2) {
    switch (rop2) {
    case 1:
        return QPainter::RasterOp_ClearDestination;
    case 2:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case 3:
        return QPainter::RasterOp_NotSourceAndDestination;
    case 4:
        return QPainter::RasterOp_NotSource;
    case 5:
        return QPainter::RasterOp_SourceAndNotDestination;
    case 6:
        return QPainter::RasterOp_NotDestination;
    case 7:
        return QPainter::RasterOp_SourceXorDestination;
    case 8:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case 9:
        return QPainter::RasterOp_SourceAndDestination;
    case 10:
        return QPainter::RasterOp_NotSourceXorDestination;
    case 12:
        return QPainter::RasterOp_NotSourceOrDestination;
    case 14:
        return QPainter::RasterOp_SourceOrNotDestination;
    case 15:
        return QPainter::RasterOp_SourceOrDestination;
    case 16:
        return QPainter::RasterOp_SetDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

// The ternary raster operations of bitmaps that do not read the pattern.
std::optional<QPainter::CompositionMode> bitmapMode(std::uint32_t rop) {
    switch (rop >> 16) {
    case 0xCC: // SRCCOPY
        return QPainter::CompositionMode_SourceOver;
    case 0xEE: // SRCPAINT
        return QPainter::RasterOp_SourceOrDestination;
    case 0x88: // SRCAND
        return QPainter::RasterOp_SourceAndDestination;
    case 0x66: // SRCINVERT
        return QPainter::RasterOp_SourceXorDestination;
    case 0x44: // SRCERASE
        return QPainter::RasterOp_SourceAndNotDestination;
    case 0x33: // NOTSRCCOPY
        return QPainter::RasterOp_NotSource;
    case 0x11: // NOTSRCERASE
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case 0xBB: // MERGEPAINT
        return QPainter::RasterOp_NotSourceOrDestination;
    case 0x99: // ~(S ^ D)
        return QPainter::RasterOp_NotSourceXorDestination;
    case 0xAA: // the destination left as it is
        return std::nullopt;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

class Drawing {
  public:
    explicit Drawing(const Metafile& m) : m_(m), regions_(m.clips.size()) {}

    void draw(QImage& canvas) {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        for (const Op& op : m_.ops) {
            if (op.rop2 == 11) // R2_NOP
                continue;
            p.save();
            if (op.clip != 0 && op.clip < m_.clips.size())
                p.setClipRegion(region(op.clip));
            switch (op.kind) {
            case Op::Kind::Fill:
                fill(p, op);
                break;
            case Op::Kind::Stroke:
                stroke(p, op);
                break;
            case Op::Kind::Text:
                text(p, m_.texts[op.index]);
                break;
            case Op::Kind::Image:
                image(p, m_.images[op.index]);
                break;
            case Op::Kind::PatternBlit:
                patternBlit(p, op);
                break;
            }
            p.restore();
        }
    }

  private:
    // Raster operations mix opaque pixels; other drawing keeps the alpha.
    enum class Alpha { Keep, Drop };
    const QImage& imageOf(const Picture& pic, Alpha alpha) {
        const bool opaque = alpha == Alpha::Drop;
        auto& slot = (opaque ? opaqueImages_ : images_)[&pic];
        if (slot.isNull()) {
            QImage view(reinterpret_cast<const uchar*>(pic.pixels.data()), pic.width, pic.height,
                        pic.width * 4,
                        pic.hasAlpha && !opaque ? QImage::Format_ARGB32 : QImage::Format_RGB32);
            slot = view.copy();
        }
        return slot;
    }

    QBrush brushOf(const Brush& b) {
        if (b.style == Brush::Style::Pattern && b.pattern)
            return QBrush(imageOf(*b.pattern, Alpha::Keep));
        if (b.style == Brush::Style::Null)
            return Qt::NoBrush;
        return QBrush(colourOf(b.colour));
    }

    const QRegion& region(std::uint32_t index) {
        if (regions_[index])
            return *regions_[index];
        // Built from the root down, without recursion: a chain of steps may
        // be as long as the file has records.
        std::vector<std::uint32_t> chain;
        for (std::uint32_t i = index; i != 0 && !regions_[i]; i = m_.clips[i].parent)
            chain.push_back(i);
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            const Clip& c = m_.clips[*it];
            const QRegion parent = c.parent == 0 ? whole() : *regions_[c.parent];
            regions_[*it] = combine(parent, c.step);
        }
        return *regions_[index];
    }

    QRegion whole() const { return QRegion(0, 0, m_.width, m_.height); }

    static QRegion regionOf(const ClipStep& s) {
        if (!s.path.empty()) {
            const QPolygon polygon = toQPath(s.path, s.fill).toFillPolygon().toPolygon();
            return QRegion(polygon,
                           s.fill == FillRule::Winding ? Qt::WindingFill : Qt::OddEvenFill);
        }
        QRegion r;
        for (const Rect& rect : s.rects) {
            const int l = static_cast<int>(std::lround(rect.left));
            const int t = static_cast<int>(std::lround(rect.top));
            const int rr = static_cast<int>(std::lround(rect.right));
            const int b = static_cast<int>(std::lround(rect.bottom));
            if (rr > l && b > t)
                r += QRect(l, t, rr - l, b - t);
        }
        return r;
    }

    QRegion combine(const QRegion& parent, const ClipStep& s) const {
        switch (s.combine) {
        case ClipStep::Combine::Replace:
            return regionOf(s);
        case ClipStep::Combine::Intersect:
            return parent.intersected(regionOf(s));
        case ClipStep::Combine::Exclude:
            return parent.subtracted(regionOf(s));
        case ClipStep::Combine::Union:
            return parent.united(regionOf(s));
        case ClipStep::Combine::Xor:
            return parent.xored(regionOf(s));
        case ClipStep::Combine::Offset:
            return parent.translated(static_cast<int>(std::lround(s.offset.x)),
                                     static_cast<int>(std::lround(s.offset.y)));
        }
        return parent;
    }

    void fill(QPainter& p, const Op& op) {
        if (op.brush.style == Brush::Style::Null)
            return;
        p.setCompositionMode(rop2Mode(op.rop2));
        p.fillPath(toQPath(m_.paths[op.index], op.fill), brushOf(op.brush));
    }

    void stroke(QPainter& p, const Op& op) {
        if (op.pen.style == PenStyle::Null)
            return;
        QPen pen(colourOf(op.pen.colour));
        pen.setWidthF(op.pen.width);
        switch (op.pen.cap) {
        case PenCap::Round:
            pen.setCapStyle(Qt::RoundCap);
            break;
        case PenCap::Square:
            pen.setCapStyle(Qt::SquareCap);
            break;
        case PenCap::Flat:
            pen.setCapStyle(Qt::FlatCap);
            break;
        }
        switch (op.pen.join) {
        case PenJoin::Round:
            pen.setJoinStyle(Qt::RoundJoin);
            break;
        case PenJoin::Bevel:
            pen.setJoinStyle(Qt::BevelJoin);
            break;
        case PenJoin::Miter:
            pen.setJoinStyle(Qt::MiterJoin);
            break;
        }
        // GDI's dashes, in pen widths.
        switch (op.pen.style) {
        case PenStyle::Dash:
            pen.setDashPattern({18, 6});
            break;
        case PenStyle::Dot:
            pen.setDashPattern({3, 3});
            break;
        case PenStyle::DashDot:
            pen.setDashPattern({9, 6, 3, 6});
            break;
        case PenStyle::DashDotDot:
            pen.setDashPattern({9, 3, 3, 3, 3, 3});
            break;
        default:
            break;
        }
        if (op.pen.width <= 1.5) {
            // One-pixel lines cover their pixels whole, ends included.
            pen.setWidth(1);
            pen.setCapStyle(Qt::SquareCap);
        }
        if (op.pen.style != PenStyle::Solid && op.opaqueBackground) {
            p.setBackgroundMode(Qt::OpaqueMode);
            p.setBackground(colourOf(op.background));
        }
        p.setCompositionMode(rop2Mode(op.rop2));
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(toQPath(m_.paths[op.index], FillRule::Alternate));
    }

    static QFont fontOf(const Font& f) {
        QString face = QString::fromUtf8(f.face.c_str());
        // Russian Windows named the Cyrillic cuts of its fonts apart ("Arial
        // Cyr", "Times New Roman Cyr"); the fonts here hold both alphabets.
        if (face.endsWith(QLatin1String(" Cyr"), Qt::CaseInsensitive))
            face.chop(4);
        QFont font(face);
        font.setStyleStrategy(QFont::NoAntialias);
        font.setHintingPreference(QFont::PreferNoHinting);
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(f.height))));
        if (f.cellHeight) {
            // A positive height is the character cell's; the em is smaller.
            const QFontMetricsF fm(font);
            const double cell = fm.ascent() + fm.descent();
            if (cell > 0)
                font.setPixelSize(
                    std::max(1, static_cast<int>(std::lround(f.height * f.height / cell))));
        }
        font.setWeight(static_cast<QFont::Weight>(std::clamp(f.weight, 100, 900)));
        font.setItalic(f.italic);
        font.setUnderline(f.underline);
        font.setStrikeOut(f.strikeOut);
        if (f.width > 0) {
            const double average = QFontMetricsF(font).averageCharWidth();
            if (average > 0)
                font.setStretch(
                    std::clamp(static_cast<int>(std::lround(100 * f.width / average)), 1, 4000));
        }
        return font;
    }

    void text(QPainter& p, const Text& t) {
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (t.hasBox && t.boxOpaque)
            p.fillRect(QRectF(QPointF(t.box.left, t.box.top), QPointF(t.box.right, t.box.bottom)),
                       colourOf(t.background));
        if (t.hasBox && t.boxClipped)
            p.setClipRect(
                QRectF(QPointF(t.box.left, t.box.top), QPointF(t.box.right, t.box.bottom)),
                Qt::IntersectClip);
        if (t.utf8.empty())
            return;
        const QFont font = fontOf(t.font);
        const QFontMetricsF fm(font);
        const QString s = QString::fromUtf8(t.utf8.c_str(), static_cast<int>(t.utf8.size()));
        const QList<uint> chars = s.toUcs4();
        // Where each character starts: the given spacing, else the font's own.
        std::vector<double> x(static_cast<std::size_t>(chars.size()) + 1, 0);
        for (qsizetype i = 0; i < chars.size(); ++i) {
            const std::size_t k = static_cast<std::size_t>(i);
            double advance;
            if (k < t.advances.size())
                advance = t.advances[k];
            else
                advance = fm.horizontalAdvance(
                              QString::fromUcs4(reinterpret_cast<const char32_t*>(&chars[i]), 1)) +
                          t.extra;
            x[k + 1] = x[k] + advance;
        }
        const double width = x.back();
        double left = 0;
        if (t.hAlign == Text::HAlign::Right)
            left = -width;
        else if (t.hAlign == Text::HAlign::Center)
            left = -width / 2;
        double baseline = 0;
        if (t.vAlign == Text::VAlign::Top)
            baseline = fm.ascent();
        else if (t.vAlign == Text::VAlign::Bottom)
            baseline = -fm.descent();

        p.translate(t.origin.x, t.origin.y);
        p.rotate(-t.angle);
        if (t.opaqueBackground)
            p.fillRect(QRectF(left, baseline - fm.ascent(), width, fm.ascent() + fm.descent()),
                       colourOf(t.background));
        p.setFont(font);
        p.setPen(colourOf(t.colour));
        if (t.advances.empty() && t.extra == 0) {
            p.drawText(QPointF(left, baseline), s);
            return;
        }
        for (qsizetype i = 0; i < chars.size(); ++i)
            p.drawText(QPointF(left + x[static_cast<std::size_t>(i)], baseline),
                       QString::fromUcs4(reinterpret_cast<const char32_t*>(&chars[i]), 1));
    }

    void image(QPainter& p, const Image& im) {
        const auto mode = bitmapMode(im.rop);
        if (!mode)
            return;
        const double sw = im.source.right - im.source.left;
        const double sh = im.source.bottom - im.source.top;
        const auto& c = im.corners;
        const QTransform t((c[1].x - c[0].x) / sw, (c[1].y - c[0].y) / sw, (c[2].x - c[0].x) / sh,
                           (c[2].y - c[0].y) / sh, c[0].x, c[0].y);
        if (!t.isInvertible())
            return;
        const bool rasterOp = *mode != QPainter::CompositionMode_SourceOver;
        p.setCompositionMode(*mode);
        p.setTransform(t, true);
        p.drawImage(QRectF(0, 0, sw, sh),
                    imageOf(*im.picture, rasterOp ? Alpha::Drop : Alpha::Keep),
                    QRectF(im.source.left, im.source.top, sw, sh));
    }

    void patternBlit(QPainter& p, const Op& op) {
        const QPainterPath path = toQPath(m_.paths[op.index], FillRule::Alternate);
        switch (op.rop3 >> 16) {
        case 0x00: // BLACKNESS
            p.fillPath(path, Qt::black);
            return;
        case 0xFF: // WHITENESS
            p.fillPath(path, Qt::white);
            return;
        case 0x55: // DSTINVERT
            p.setCompositionMode(QPainter::RasterOp_NotDestination);
            p.fillPath(path, Qt::black);
            return;
        case 0xAA: // the destination left as it is
            return;
        case 0x5A: // PATINVERT
            p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            break;
        default: // PATCOPY and the rest
            break;
        }
        if (op.brush.style != Brush::Style::Null)
            p.fillPath(path, brushOf(op.brush));
    }

    const Metafile& m_;
    std::vector<std::optional<QRegion>> regions_;
    std::map<const Picture*, QImage> images_, opaqueImages_;
};

} // namespace

Picture renderMetafile(const Metafile& m) {
    Picture out;
    pictures::allocate(out, m.width, m.height, "Metafile");
    QImage onWhite(m.width, m.height, QImage::Format_RGB32);
    QImage onBlack(m.width, m.height, QImage::Format_RGB32);
    if (onWhite.isNull() || onBlack.isNull())
        throw PictureError("Metafile picture is too large to draw");
    onWhite.fill(Qt::white);
    onBlack.fill(Qt::black);
    Drawing drawing(m);
    drawing.draw(onWhite);
    drawing.draw(onBlack);

    // On black a pixel is its colour times its alpha; on white that plus the
    // white let through.
    for (int y = 0; y < m.height; ++y) {
        const auto* w = reinterpret_cast<const std::uint32_t*>(onWhite.constScanLine(y));
        const auto* b = reinterpret_cast<const std::uint32_t*>(onBlack.constScanLine(y));
        std::uint32_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * m.width;
        for (int x = 0; x < m.width; ++x) {
            int through = 0;
            for (int shift = 0; shift < 24; shift += 8)
                through =
                    std::max(through, int((w[x] >> shift) & 255) - int((b[x] >> shift) & 255));
            const int alpha = 255 - through;
            if (alpha <= 0) {
                dst[x] = 0;
                continue;
            }
            std::uint32_t px = std::uint32_t(alpha) << 24;
            for (int shift = 0; shift < 24; shift += 8) {
                const int c = int((b[x] >> shift) & 255) * 255 / alpha;
                px |= std::uint32_t(std::min(c, 255)) << shift;
            }
            dst[x] = px;
        }
    }
    out.hasAlpha = true;
    return out;
}

void registerMetafileRenderer() {
    pictures::metafile::setRenderer(renderMetafile);
}

} // namespace taleplay::platform
