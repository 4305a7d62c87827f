#include "art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdint>

namespace demoart {
namespace {

const QColor gold{242, 201, 76};
const QColor paleGold{255, 236, 170};
const QColor deepGold{176, 128, 36};

// A small generator of our own, so the same picture comes out everywhere.
class Random {
  public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    double next() {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) / 16777216.0;
    }
    double between(double a, double b) { return a + (b - a) * next(); }

  private:
    std::uint32_t state_;
};

QImage blank(int w, int h, QColor fill = Qt::transparent) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

void glowDot(QPainter& p, QPointF at, double radius, QColor core) {
    QRadialGradient g(at, radius);
    QColor edge = core;
    edge.setAlpha(0);
    QColor mid = core;
    mid.setAlpha(core.alpha() / 3);
    g.setColorAt(0, core);
    g.setColorAt(0.25, mid);
    g.setColorAt(1, edge);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(at, radius, radius);
}

void sparkle(QPainter& p, QPointF c, double r, QColor colour) {
    QPainterPath star;
    star.moveTo(c.x(), c.y() - r);
    star.quadTo(c, QPointF(c.x() + r, c.y()));
    star.quadTo(c, QPointF(c.x(), c.y() + r));
    star.quadTo(c, QPointF(c.x() - r, c.y()));
    star.quadTo(c, QPointF(c.x(), c.y() - r));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(star);
}

void starField(QPainter& p, int w, int h, int count, std::uint32_t seed) {
    Random rnd(seed);
    for (int i = 0; i < count; ++i) {
        const QPointF at(rnd.between(0, w), rnd.between(0, h));
        const double size = std::pow(rnd.next(), 3.0) * 2.2 + 0.4;
        const int tint = static_cast<int>(rnd.between(0, 3));
        QColor c = tint == 0   ? QColor(255, 244, 220)
                   : tint == 1 ? QColor(210, 225, 255)
                               : QColor(255, 255, 255);
        c.setAlpha(static_cast<int>(rnd.between(110, 255)));
        if (size > 1.8)
            glowDot(p, at, size * 3, c);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(at, size / 2, size / 2);
    }
}

QPainterPath eightPointStar(QPointF c, double outer, double inner) {
    QPainterPath path;
    for (int i = 0; i < 16; ++i) {
        const double a = M_PI / 8 * i - M_PI / 2;
        const double r = i % 2 ? inner : outer;
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

} // namespace

QImage sky(int w, int h, bool withHills) {
    QImage img = blank(w, h, Qt::black);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(4, 8, 26));
    g.setColorAt(0.55, QColor(14, 26, 70));
    g.setColorAt(0.85, QColor(52, 38, 92));
    g.setColorAt(1, QColor(92, 52, 96));
    p.fillRect(img.rect(), g);

    // A faint band of the galaxy from the lower left to the upper right.
    Random rnd(11);
    p.save();
    p.translate(w / 2.0, h / 2.0);
    p.rotate(-28);
    for (int i = 0; i < 900; ++i) {
        const double x = rnd.between(-w * 0.8, w * 0.8);
        const double y = (rnd.next() + rnd.next() + rnd.next() - 1.5) * h * 0.12;
        glowDot(p, QPointF(x, y), rnd.between(8, 40), QColor(150, 140, 230, 10));
    }
    p.restore();
    starField(p, w, static_cast<int>(h * 0.9), w * h / 1800, 5);

    if (withHills) {
        QPainterPath hills;
        hills.moveTo(0, h);
        for (int x = 0; x <= w; x += 8) {
            const double t = static_cast<double>(x) / w;
            const double y =
                h * (0.93 - 0.035 * std::sin(t * 7.1 + 0.4) - 0.02 * std::sin(t * 17.3));
            hills.lineTo(x, y);
        }
        hills.lineTo(w, h);
        hills.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(8, 10, 26));
        p.drawPath(hills);
    }
    return img;
}

QImage starTile(int side) {
    QImage img = blank(side, side, QColor(14, 24, 58));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(side / 2.0, side / 2.0, side * 0.7);
    g.setColorAt(0, QColor(22, 36, 82));
    g.setColorAt(1, QColor(14, 24, 58));
    p.fillRect(img.rect(), g);
    sparkle(p, QPointF(side * 0.5, side * 0.5), side * 0.09, QColor(255, 230, 160, 120));
    Random rnd(3);
    for (int i = 0; i < 9; ++i) {
        const QPointF at(rnd.between(4, side - 4), rnd.between(4, side - 4));
        if (std::hypot(at.x() - side / 2.0, at.y() - side / 2.0) < side * 0.18)
            continue;
        p.setBrush(QColor(220, 230, 255, static_cast<int>(rnd.between(90, 220))));
        p.drawEllipse(at, 1.1, 1.1);
    }
    // Quarter sparkles in the corners meet across tiles into whole ones.
    for (QPointF c : {QPointF(0, 0), QPointF(side, 0), QPointF(0, side), QPointF(side, side)})
        sparkle(p, c, side * 0.05, QColor(170, 190, 255, 80));
    return img;
}

QImage ashTile(int side) {
    QImage img = blank(side, side, QColor(46, 14, 22));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(side / 2.0, side / 2.0, side * 0.7);
    g.setColorAt(0, QColor(66, 20, 30));
    g.setColorAt(1, QColor(40, 12, 20));
    p.fillRect(img.rect(), g);
    p.setPen(QPen(QColor(110, 40, 50, 120), 1.2));
    p.drawLine(QPointF(0, side * 0.3), QPointF(side * 0.4, side * 0.45));
    p.drawLine(QPointF(side * 0.4, side * 0.45), QPointF(side * 0.55, side * 0.8));
    p.drawLine(QPointF(side * 0.4, side * 0.45), QPointF(side, side * 0.3));
    p.drawLine(QPointF(side * 0.55, side * 0.8), QPointF(side * 0.5, side));
    p.drawLine(QPointF(side * 0.5, 0), QPointF(side * 0.55, side * 0.12));
    return img;
}

QImage frameTile(int length, int thickness) {
    QImage img = blank(length, thickness, keyDark);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double t = thickness;
    QLinearGradient band(0, 0, 0, t);
    band.setColorAt(0, paleGold);
    band.setColorAt(0.5, gold);
    band.setColorAt(1, deepGold);
    p.setPen(Qt::NoPen);
    p.setBrush(band);
    p.drawRect(QRectF(0, t * 0.16, length, t * 0.09));
    p.drawRect(QRectF(0, t * 0.75, length, t * 0.09));
    // A diamond with a star in it, and beads between the diamonds.
    const QPointF c(length / 2.0, t / 2.0);
    QPainterPath diamond;
    diamond.moveTo(c.x(), t * 0.06);
    diamond.lineTo(c.x() + t * 0.55, c.y());
    diamond.lineTo(c.x(), t * 0.94);
    diamond.lineTo(c.x() - t * 0.55, c.y());
    diamond.closeSubpath();
    p.setBrush(QColor(20, 30, 70));
    p.setPen(QPen(gold, t * 0.07));
    p.drawPath(diamond);
    p.setPen(Qt::NoPen);
    p.setBrush(paleGold);
    p.drawPath(eightPointStar(c, t * 0.28, t * 0.1));
    for (double x : {length * 0.18, length * 0.82, 0.0, double(length)}) {
        p.setBrush(band);
        p.drawEllipse(QPointF(x, c.y()), t * 0.12, t * 0.12);
    }
    return img;
}

QImage cornerTopLeft(int side) {
    QImage img = blank(side, side, keyDark);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = side;
    const QPointF c(s * 0.42, s * 0.42);
    QRadialGradient disc(c, s * 0.36);
    disc.setColorAt(0, QColor(40, 56, 120));
    disc.setColorAt(1, QColor(16, 24, 62));
    p.setBrush(disc);
    p.setPen(QPen(gold, s * 0.04));
    p.drawEllipse(c, s * 0.34, s * 0.34);
    p.setPen(QPen(deepGold, s * 0.015));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, s * 0.28, s * 0.28);
    QRadialGradient starFill(c, s * 0.25);
    starFill.setColorAt(0, QColor(255, 250, 220));
    starFill.setColorAt(1, gold);
    p.setPen(Qt::NoPen);
    p.setBrush(starFill);
    p.drawPath(eightPointStar(c, s * 0.25, s * 0.09));
    // Brackets running off along both edges.
    p.setBrush(gold);
    p.drawRect(QRectF(s * 0.76, s * 0.05, s * 0.24, s * 0.05));
    p.drawRect(QRectF(s * 0.05, s * 0.76, s * 0.05, s * 0.24));
    p.drawEllipse(QPointF(s * 0.9, s * 0.2), s * 0.04, s * 0.04);
    p.drawEllipse(QPointF(s * 0.2, s * 0.9), s * 0.04, s * 0.04);
    return img;
}

QImage panel(int w, int h) {
    QImage img = blank(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(16, 28, 72, 215));
    g.setColorAt(1, QColor(10, 16, 44, 230));
    p.setBrush(g);
    p.setPen(QPen(gold, 4));
    p.drawRoundedRect(QRectF(3, 3, w - 6, h - 6), 28, 28);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(242, 201, 76, 90), 1.5));
    p.drawRoundedRect(QRectF(12, 12, w - 24, h - 24), 20, 20);
    return img;
}

namespace {
// Orion's brighter stars on a unit square: shoulders, belt, knees, head.
struct Star {
    double x, y, size;
    QColor colour;
};
const Star orion[] = {
    {0.28, 0.20, 1.3, QColor(255, 150, 90)},  // Betelgeuse
    {0.70, 0.24, 1.0, QColor(200, 220, 255)}, // Bellatrix
    {0.50, 0.09, 0.7, QColor(220, 230, 255)}, // Meissa
    {0.40, 0.52, 0.85, QColor(220, 230, 255)}, {0.50, 0.49, 0.85, QColor(220, 230, 255)},
    {0.60, 0.46, 0.85, QColor(220, 230, 255)}, // the belt
    {0.33, 0.84, 0.95, QColor(210, 225, 255)}, // Saiph
    {0.74, 0.80, 1.3, QColor(170, 200, 255)},  // Rigel
};
} // namespace

QImage orionStars(int side) {
    QImage img = blank(side, side, keyBlue);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Random rnd(21);
    for (int i = 0; i < 40; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(150, 165, 210));
        p.drawEllipse(QPointF(rnd.between(4, side - 4), rnd.between(4, side - 4)), 0.9, 0.9);
    }
    for (const Star& s : orion) {
        const QPointF at(s.x * side, s.y * side);
        glowDot(p, at, side * 0.05 * s.size, s.colour);
        sparkle(p, at, side * 0.045 * s.size, s.colour.lighter(120));
        p.setBrush(Qt::white);
        p.drawEllipse(at, side * 0.008 * s.size, side * 0.008 * s.size);
    }
    return img;
}

QImage orionLines(int side) {
    QImage img = blank(side, side);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    auto at = [&](int i) { return QPointF(orion[i].x * side, orion[i].y * side); };
    const int links[][2] = {{2, 0}, {2, 1}, {0, 3}, {1, 5}, {3, 4}, {4, 5}, {3, 6}, {5, 7}};
    p.setPen(QPen(QColor(242, 201, 76, 200), side * 0.012, Qt::SolidLine, Qt::RoundCap));
    for (const auto& l : links) {
        const QPointF a = at(l[0]), b = at(l[1]);
        const QPointF d = (b - a) / std::hypot(b.x() - a.x(), b.y() - a.y()) * (side * 0.04);
        p.drawLine(a + d, b - d);
    }
    QFont f("Liberation Serif");
    f.setPixelSize(side / 10);
    f.setBold(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, side / 40.0);
    p.setFont(f);
    p.setPen(QColor(255, 236, 170, 230));
    p.drawText(QRectF(0, side * 0.86, side, side * 0.14), Qt::AlignCenter, "ORION");
    return img;
}

QImage moon(int side) {
    // Flat colours only: the GIF keeps them exactly, and the flat blue around
    // the moon stays one colour for the colour key.
    QImage img = blank(side, side, keyBlue);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(side / 2.0, side / 2.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 204));
    p.drawEllipse(c, side * 0.4, side * 0.4);
    p.setBrush(QColor(204, 204, 153));
    p.drawEllipse(c + QPointF(-side * 0.13, -side * 0.08), side * 0.08, side * 0.065);
    p.drawEllipse(c + QPointF(side * 0.12, side * 0.13), side * 0.06, side * 0.055);
    p.drawEllipse(c + QPointF(side * 0.13, -side * 0.16), side * 0.04, side * 0.04);
    p.drawEllipse(c + QPointF(-side * 0.07, side * 0.2), side * 0.045, side * 0.04);
    p.drawEllipse(c + QPointF(side * 0.02, side * 0.02), side * 0.03, side * 0.03);
    return img;
}

QImage clouds(int side) {
    QImage img = blank(side, side);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Random rnd(8);
    for (int layer = 0; layer < 3; ++layer) {
        const QColor c = layer == 0   ? QColor(70, 80, 120, 235)
                         : layer == 1 ? QColor(100, 110, 150, 240)
                                      : QColor(140, 148, 186, 245);
        p.setBrush(c);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 7; ++i) {
            const double cx = side * (0.15 + 0.7 * rnd.next());
            const double cy = side * (0.3 + 0.12 * layer + 0.25 * rnd.next());
            const double r = side * rnd.between(0.12, 0.2);
            p.drawEllipse(QPointF(cx, cy), r * 1.3, r);
        }
    }
    return img;
}

QImage crystal(QColor hue, bool lit, int w, int h) {
    QImage img = blank(w, h, keyBlue);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double cx = w / 2.0;
    if (lit)
        glowDot(p, QPointF(cx, h * 0.45), w * 0.5, QColor(hue.red(), hue.green(), hue.blue(), 200));
    // A pedestal, then a six-sided gem standing on it.
    QLinearGradient stone(0, h * 0.82, 0, h);
    stone.setColorAt(0, QColor(150, 140, 170));
    stone.setColorAt(1, QColor(70, 64, 90));
    p.setPen(Qt::NoPen);
    p.setBrush(stone);
    p.drawRoundedRect(QRectF(w * 0.2, h * 0.84, w * 0.6, h * 0.12), 6, 6);
    const QPointF top(cx, h * 0.08), bottom(cx, h * 0.84);
    const QPointF ul(w * 0.22, h * 0.32), ur(w * 0.78, h * 0.32);
    const QPointF ll(w * 0.26, h * 0.68), lr(w * 0.74, h * 0.68);
    const QPointF mu(cx, h * 0.36), ml(cx, h * 0.7);
    auto facet = [&](std::initializer_list<QPointF> pts, double light) {
        QPolygonF poly(pts);
        QColor c = hue;
        c = light > 1 ? c.lighter(static_cast<int>(100 * light))
                      : c.darker(static_cast<int>(100 / light));
        if (lit)
            c = c.lighter(130);
        p.setBrush(c);
        p.setPen(QPen(c.lighter(140), 1));
        p.drawPolygon(poly);
    };
    facet({top, ul, mu}, 1.6);
    facet({top, mu, ur}, 1.15);
    facet({ul, ll, ml, mu}, 1.2);
    facet({mu, ml, lr, ur}, 0.7);
    facet({ll, bottom, ml}, 0.9);
    facet({ml, bottom, lr}, 0.55);
    p.setPen(QPen(QColor(255, 255, 255, 180), 2));
    p.drawLine(top + QPointF(-2, 10), ul + QPointF(6, 2));
    if (lit)
        sparkle(p, QPointF(w * 0.34, h * 0.24), w * 0.12, QColor(255, 255, 255, 230));
    return img;
}

QImage brokenCrystal(int w, int h) {
    QImage img = blank(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor red(190, 40, 55);
    glowDot(p, QPointF(w / 2.0, h * 0.75), w * 0.4, QColor(255, 80, 60, 80));
    QLinearGradient stone(0, h * 0.82, 0, h);
    stone.setColorAt(0, QColor(150, 140, 170));
    stone.setColorAt(1, QColor(70, 64, 90));
    p.setPen(Qt::NoPen);
    p.setBrush(stone);
    p.drawRoundedRect(QRectF(w * 0.25, h * 0.84, w * 0.5, h * 0.12), 6, 6);
    // The gem split down a jagged line, its halves leaning apart.
    const double cx = w / 2.0;
    auto half = [&](bool left) {
        const double side = left ? -1 : 1;
        QPolygonF outer;
        outer << QPointF(cx, h * 0.1) << QPointF(cx + side * w * 0.13, h * 0.32)
              << QPointF(cx + side * w * 0.12, h * 0.68) << QPointF(cx, h * 0.84)
              << QPointF(cx + side * 0.01 * w, h * 0.62) << QPointF(cx - side * 0.015 * w, h * 0.45)
              << QPointF(cx + side * 0.01 * w, h * 0.25);
        p.save();
        p.translate(cx, h * 0.84);
        p.rotate(side * 16);
        p.translate(side * w * 0.05 - cx, -h * 0.84);
        QLinearGradient g(cx - w * 0.13, 0, cx + w * 0.13, 0);
        g.setColorAt(0, red.lighter(left ? 150 : 110));
        g.setColorAt(1, red.darker(left ? 110 : 160));
        p.setBrush(g);
        p.setPen(QPen(red.lighter(170), 1.5));
        p.drawPolygon(outer);
        p.setPen(QPen(QColor(255, 210, 210, 160), 1.2));
        p.drawLine(QPointF(cx, h * 0.1), QPointF(cx + side * w * 0.06, h * 0.5));
        p.restore();
    };
    half(true);
    half(false);
    Random rnd(17);
    for (int i = 0; i < 7; ++i) {
        const QPointF c(w * rnd.between(0.28, 0.72), h * rnd.between(0.8, 0.86));
        QPolygonF shard;
        for (int k = 0; k < 3; ++k) {
            const double a = rnd.between(0, 2 * M_PI);
            const double r = w * rnd.between(0.015, 0.04);
            shard << c + QPointF(r * std::cos(a), r * std::sin(a));
        }
        p.setBrush(i % 2 ? red.lighter(140) : red.darker(120));
        p.setPen(Qt::NoPen);
        p.drawPolygon(shard);
    }
    return img;
}

QImage comet(int w, int h) {
    QImage img = blank(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF head(w * 0.78, h * 0.3);
    // The tail: a long soft wedge towards the lower left.
    for (int i = 90; i >= 0; --i) {
        const double t = i / 90.0;
        const QPointF at = head + (QPointF(w * 0.05, h * 0.85) - head) * t;
        glowDot(p, at, h * (0.08 + 0.18 * t),
                QColor(140, 200, 255, static_cast<int>(30 * (1 - t)) + 3));
    }
    glowDot(p, head, h * 0.22, QColor(220, 240, 255, 230));
    sparkle(p, head, h * 0.16, QColor(255, 255, 255, 240));
    p.setBrush(Qt::white);
    p.drawEllipse(head, h * 0.035, h * 0.035);
    return img;
}

QImage cometFrame(int w, int h, double t) {
    QImage img = sky(w, h, true);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF start(w * 1.05, h * 0.05), end(w * 0.35, h * 0.55);
    const QPointF head = start + (end - start) * t;
    const QPointF back = (start - end) / std::hypot(start.x() - end.x(), start.y() - end.y());
    for (int i = 60; i >= 0; --i) {
        const double s = i / 60.0;
        glowDot(p, head + back * (w * 0.45 * s), h * (0.04 + 0.1 * s),
                QColor(150, 210, 255, static_cast<int>(80 * (1 - s)) + 4));
    }
    glowDot(p, head, h * 0.16, QColor(230, 245, 255, 255));
    sparkle(p, head, h * 0.08, QColor(255, 255, 255, 240));
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.drawEllipse(head, h * 0.02, h * 0.02);
    // The rim of the eyepiece.
    QPainterPath rim;
    rim.addRect(img.rect());
    rim.addEllipse(QPointF(w / 2.0, h / 2.0), w * 0.47, h * 0.47);
    p.setBrush(QColor(5, 6, 12));
    p.drawPath(rim);
    return img;
}

QImage button(const QString& text, QColor base, bool pressed, int w, int h) {
    QImage img = blank(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF body(4, pressed ? 6 : 3, w - 8, h - 10);
    if (!pressed) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 110));
        p.drawRoundedRect(body.translated(0, 4), h / 2.4, h / 2.4);
    }
    QLinearGradient g(0, body.top(), 0, body.bottom());
    g.setColorAt(0, pressed ? base.darker(140) : base.lighter(135));
    g.setColorAt(1, pressed ? base.darker(110) : base.darker(125));
    p.setBrush(g);
    p.setPen(QPen(pressed ? deepGold : gold, 3));
    p.drawRoundedRect(body, h / 2.4, h / 2.4);
    QFont f("Liberation Serif");
    f.setPixelSize(static_cast<int>(h * 0.42));
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0, 0, 0, 140));
    p.drawText(body.translated(1.5, 1.5), Qt::AlignCenter, text);
    p.setPen(pressed ? paleGold.darker(115) : paleGold);
    p.drawText(body, Qt::AlignCenter, text);
    return img;
}

QImage iconButton(char icon, QColor base, bool pressed, int side) {
    QImage img = blank(side, side);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(side / 2.0, side / 2.0 + (pressed ? 2 : 0));
    const double r = side * 0.44;
    QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r * 1.4);
    g.setColorAt(0, pressed ? base : base.lighter(140));
    g.setColorAt(1, base.darker(pressed ? 170 : 130));
    p.setBrush(g);
    p.setPen(QPen(gold, side * 0.05));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(paleGold, side * 0.08, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    if (icon == 'x') {
        const double d = r * 0.42;
        p.drawLine(c + QPointF(-d, -d), c + QPointF(d, d));
        p.drawLine(c + QPointF(-d, d), c + QPointF(d, -d));
    } else {
        QPainterPath eye;
        eye.moveTo(c.x() - r * 0.6, c.y());
        eye.quadTo(c.x(), c.y() - r * 0.65, c.x() + r * 0.6, c.y());
        eye.quadTo(c.x(), c.y() + r * 0.65, c.x() - r * 0.6, c.y());
        p.setPen(QPen(paleGold, side * 0.05));
        p.drawPath(eye);
        p.setBrush(paleGold);
        p.drawEllipse(c, r * 0.18, r * 0.18);
    }
    return img;
}

QImage telescopeButton(bool pressed, int w, int h) {
    QImage img = button(QString(), QColor(40, 70, 140), pressed, w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double y0 = pressed ? 3 : 0;
    // A small telescope on its tripod, at the left end.
    p.save();
    p.translate(h * 0.62, h * 0.48 + y0);
    p.setPen(QPen(paleGold, h * 0.05, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, 0), QPointF(-h * 0.18, h * 0.3));
    p.drawLine(QPointF(0, 0), QPointF(h * 0.18, h * 0.3));
    p.rotate(-30);
    p.setPen(Qt::NoPen);
    p.setBrush(paleGold);
    p.drawRoundedRect(QRectF(-h * 0.3, -h * 0.08, h * 0.6, h * 0.16), 3, 3);
    p.drawRect(QRectF(h * 0.26, -h * 0.11, h * 0.08, h * 0.22));
    p.restore();
    QFont f("Liberation Serif");
    f.setPixelSize(static_cast<int>(h * 0.4));
    f.setBold(true);
    p.setFont(f);
    p.setPen(pressed ? paleGold.darker(115) : paleGold);
    p.drawText(QRectF(h * 1.0, y0, w - h * 1.1, h - 8), Qt::AlignCenter, "Telescope");
    return img;
}

} // namespace demoart

// --- The school quiz's pictures: bright, flat, on a white card -------------

namespace demoart {
namespace {

QImage card(int side) {
    QImage img = blank(side, side);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 160, 210), side * 0.03));
    p.setBrush(QColor(235, 244, 255));
    p.drawRoundedRect(QRectF(side * 0.03, side * 0.03, side * 0.94, side * 0.94), side * 0.1,
                      side * 0.1);
    return img;
}

} // namespace

QImage firTree(int side) {
    QImage img = card(side);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 72, 40));
    p.drawRect(QRectF(side * 0.45, side * 0.72, side * 0.1, side * 0.16));
    for (int tier = 0; tier < 3; ++tier) {
        const double top = side * (0.12 + tier * 0.16), bottom = top + side * 0.32;
        const double half = side * (0.18 + tier * 0.08);
        QPainterPath path;
        path.moveTo(side * 0.5, top);
        path.lineTo(side * 0.5 + half, bottom);
        path.lineTo(side * 0.5 - half, bottom);
        path.closeSubpath();
        p.setBrush(QColor(30, 120 - tier * 15, 60));
        p.drawPath(path);
    }
    return img;
}

QImage sun(int side) {
    QImage img = card(side);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(side / 2.0, side / 2.0);
    p.setPen(QPen(QColor(250, 170, 30), side * 0.04, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 12; ++i) {
        const double a = i * M_PI / 6;
        p.drawLine(c + QPointF(std::cos(a), std::sin(a)) * side * 0.25,
                   c + QPointF(std::cos(a), std::sin(a)) * side * 0.4);
    }
    p.setPen(Qt::NoPen);
    QRadialGradient g(c, side * 0.22);
    g.setColorAt(0, QColor(255, 240, 120));
    g.setColorAt(1, QColor(255, 190, 40));
    p.setBrush(g);
    p.drawEllipse(c, side * 0.21, side * 0.21);
    return img;
}

QImage snowflake(int side) {
    QImage img = card(side);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(side / 2.0, side / 2.0);
    p.setPen(QPen(QColor(60, 130, 210), side * 0.035, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 6; ++i) {
        const double a = i * M_PI / 3;
        const QPointF dir(std::cos(a), std::sin(a));
        p.drawLine(c, c + dir * side * 0.38);
        for (double at : {0.18, 0.28}) {
            const QPointF base = c + dir * side * at;
            for (double turn : {-0.6, 0.6}) {
                const QPointF twig(std::cos(a + turn), std::sin(a + turn));
                p.drawLine(base, base + twig * side * 0.08);
            }
        }
    }
    return img;
}

QImage tick(int side) {
    QImage img = blank(side, side);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 160, 70), side * 0.14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath path;
    path.moveTo(side * 0.18, side * 0.52);
    path.lineTo(side * 0.42, side * 0.76);
    path.lineTo(side * 0.82, side * 0.24);
    p.drawPath(path);
    return img;
}

QImage markStar(const QString& mark, QColor colour, int side) {
    QImage img = blank(side, side);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath star;
    const QPointF c(side / 2.0, side / 2.0);
    for (int i = 0; i < 10; ++i) {
        const double a = -M_PI / 2 + i * M_PI / 5;
        const double r = side * (i % 2 ? 0.2 : 0.46);
        const QPointF at = c + QPointF(std::cos(a), std::sin(a)) * r;
        i ? star.lineTo(at) : star.moveTo(at);
    }
    star.closeSubpath();
    p.setPen(QPen(colour.darker(140), side * 0.02));
    p.setBrush(colour);
    p.drawPath(star);
    QFont f("Liberation Sans");
    f.setPixelSize(static_cast<int>(side * 0.3));
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, side * 0.04, side, side), Qt::AlignCenter, mark);
    return img;
}

} // namespace demoart
