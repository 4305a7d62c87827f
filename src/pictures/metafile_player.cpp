// GDI's device context for metafile records, turned into a display list.
#include "pictures/metafile_player.h"

#include "core/codepage.h"
#include "pictures/decode_util.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace taleplay::pictures::metafile::detail {

using pictures::detail::argb;
using pictures::detail::le16;
using pictures::detail::le32;

namespace {

// Bounds of what one metafile may ask for, so that a small file cannot make
// the player (or the renderer after it) run out of memory.
constexpr std::size_t kMaxOps = 1'000'000;
constexpr std::size_t kMaxPoints = 4'000'000;
constexpr std::size_t kMaxSaved = 4096;
constexpr std::uint32_t kMaxObjects = 65536;
// Coordinates past this many output pixels are drawn as if they were there:
// far outside any picture, and still exact in a float.
constexpr double kFar = 1e6;
constexpr double kMaxFontPixels = 2048;

constexpr double kPi = std::numbers::pi;

// Pen styles and their end cap and join bits.
constexpr unsigned kPsNull = 5;
constexpr unsigned kPsUserStyle = 7;
constexpr unsigned kPsAlternate = 8;
constexpr unsigned kPsGeometric = 0x10000;

constexpr unsigned kBsSolid = 0;
constexpr unsigned kBsNull = 1;
constexpr unsigned kBsHatched = 2;

constexpr unsigned kEtoOpaque = 0x2;
constexpr unsigned kEtoClipped = 0x4;
constexpr unsigned kEtoGlyphIndex = 0x10;
constexpr unsigned kEtoPdy = 0x2000;
constexpr unsigned kTaUpdateCp = 1;

double finite(double v) {
    if (!std::isfinite(v))
        return 0;
    return std::clamp(v, -kFar, kFar);
}

LogPen stockPen(std::uint32_t colour, bool null = false) {
    LogPen p;
    p.style = null ? kPsNull : 0;
    p.colour = colour;
    return p;
}

LogBrush stockBrush(std::uint32_t colour, bool null = false) {
    LogBrush b;
    b.style = null ? kBsNull : kBsSolid;
    b.colour = colour;
    return b;
}

} // namespace

Affine Affine::after(const Affine& m) const {
    // this * m, applying m first.
    return {a * m.a + c * m.b, b * m.a + d * m.b,     a * m.c + c * m.d,
            b * m.c + d * m.d, a * m.e + c * m.f + e, b * m.e + d * m.f + f};
}

bool Affine::invertible() const {
    const double dt = det();
    return std::isfinite(dt) && std::abs(dt) > 1e-12 && std::isfinite(e) && std::isfinite(f);
}

std::uint32_t colourRef(std::uint32_t ref) {
    // 0x01000000: an index into the logical palette, which is not followed.
    if ((ref >> 24) == 1)
        return 0xFF000000u;
    return argb(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

std::shared_ptr<const Picture> readDib(Bytes data, std::size_t size, Player& player) {
    if (size < 16)
        return nullptr;
    // Charge the pixels the header claims before the BMP reader allocates them.
    const std::uint32_t headerSize = le32(data);
    std::int64_t w = 0, h = 0;
    if (headerSize == 12) {
        w = le16(data + 4);
        h = le16(data + 6);
    } else {
        w = static_cast<std::int32_t>(le32(data + 4));
        h = static_cast<std::int32_t>(le32(data + 8));
    }
    w = std::abs(w);
    h = std::abs(h);
    if (w > kMaxSide || h > kMaxSide)
        return nullptr;
    player.chargePixels(w * h);
    try {
        return std::make_shared<const Picture>(decodeBmp(data, size));
    } catch (const PictureError&) {
        return nullptr; // GDI draws nothing for a bitmap it cannot read
    }
}

namespace {

// Windows-1252 where it differs from Latin-1.
constexpr char16_t k1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

constexpr unsigned kAnsiCharset = 0;
constexpr unsigned kSymbolCharset = 2;

} // namespace

Object fontObject(double height, double width, double escapement, int weight, Bytes flags) {
    Object o;
    o.kind = Object::Kind::Font;
    o.font.height = height;
    o.font.width = width;
    o.font.escapement = escapement;
    o.font.weight = weight;
    o.font.italic = flags[0] != 0;
    o.font.underline = flags[1] != 0;
    o.font.strikeOut = flags[2] != 0;
    o.font.charset = flags[3];
    return o;
}

// The game's own code page is Windows-1251, and so is any font that does
// not say otherwise; Western (ANSI) fonts read their bytes as Windows-1252,
// as Windows does for them; symbol fonts keep the byte values.
std::string textToUtf8(const std::string& bytes, unsigned charset) {
    if (charset != kAnsiCharset && charset != kSymbolCharset)
        return cp1251::toUtf8(bytes);
    std::string out;
    for (unsigned char b : bytes) {
        char32_t cp = b;
        if (charset == kAnsiCharset && b >= 0x80 && b < 0xA0)
            cp = k1252High[b - 0x80];
        utf8::append(out, cp);
    }
    return out;
}

std::string utf16ToUtf8(const std::string& bytes) {
    std::string out;
    const auto unit = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    };
    const std::size_t n = bytes.size() / 2;
    for (std::size_t i = 0; i < n; ++i) {
        char32_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < n && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) < 0xE000) {
            u = 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            u = 0xFFFD;
        }
        utf8::append(out, u);
    }
    return out;
}

// ---------------------------------------------------------------- state

Player::Player(Metafile& out, const char* format, const Device& device)
    : out_(out), format_(format), device_(device), pixelsLeft_(kMaxPixelBytes / 4),
      pointsLeft_(kMaxPoints) {
    dc_.pen = stockPen(0xFF000000);
    dc_.brush = stockBrush(0xFFFFFFFF);
    dc_.font.height = 0;
    dc_.font.weight = 700; // the System font, GDI's default
}

void Player::fail(const char* why) const {
    pictures::detail::damaged(format_, why);
}

void Player::chargePixels(std::int64_t pixels) {
    if (pixels > pixelsLeft_)
        pictureFails(TALEPLAY_TEXT("Pictures", "%1 picture holds too many bitmaps to draw"),
                     {format_});
    pixelsLeft_ -= pixels;
}

void Player::countPoints(std::size_t n) {
    if (n > pointsLeft_)
        pictureFails(TALEPLAY_TEXT("Pictures", "%1 picture has too many points to draw"),
                     {format_});
    pointsLeft_ -= n;
}

void Player::save() {
    if (saved_.size() >= kMaxSaved)
        fail("device context saved too often");
    saved_.push_back(dc_);
}

void Player::restore(int which) {
    std::size_t keep;
    if (which < 0) {
        const std::size_t back = static_cast<std::size_t>(-static_cast<std::int64_t>(which));
        if (back > saved_.size())
            return; // GDI refuses it and nothing changes
        keep = saved_.size() - back;
    } else {
        if (which == 0 || static_cast<std::size_t>(which) > saved_.size())
            return;
        keep = static_cast<std::size_t>(which) - 1;
    }
    dc_ = saved_[keep];
    saved_.resize(keep);
}

void Player::setMapMode(int mode) {
    if (mode >= 1 && mode <= 8)
        dc_.mode = static_cast<MapMode>(mode);
}

void Player::setWindowOrg(Point p) {
    dc_.windowOrg = p;
}
void Player::setWindowExt(Point p) {
    if (p.x != 0 && p.y != 0)
        dc_.windowExt = p;
}
void Player::setViewportOrg(Point p) {
    dc_.viewportOrg = p;
}
void Player::setViewportExt(Point p) {
    if (p.x != 0 && p.y != 0)
        dc_.viewportExt = p;
}
void Player::scaleWindowExt(double xNum, double xDen, double yNum, double yDen) {
    if (xDen != 0 && yDen != 0)
        setWindowExt({dc_.windowExt.x * xNum / xDen, dc_.windowExt.y * yNum / yDen});
}
void Player::scaleViewportExt(double xNum, double xDen, double yNum, double yDen) {
    if (xDen != 0 && yDen != 0)
        setViewportExt({dc_.viewportExt.x * xNum / xDen, dc_.viewportExt.y * yNum / yDen});
}

void Player::setWorld(const Affine& t) {
    if (t.invertible())
        dc_.world = t;
}

void Player::modifyWorld(const Affine& t, int mode) {
    switch (mode) {
    case 1: // MWT_IDENTITY
        dc_.world = Affine{};
        break;
    case 2: // MWT_LEFTMULTIPLY: t applies first
        setWorld(dc_.world.after(t));
        break;
    case 3: // MWT_RIGHTMULTIPLY
        setWorld(t.after(dc_.world));
        break;
    case 4: // MWT_SET
        setWorld(t);
        break;
    }
}

Affine Player::pageTransform() const {
    MapMode mode = dc_.mode;
    if (mode == MapMode::Text && device_.textModeIsAnisotropic)
        mode = MapMode::Anisotropic;
    double sx = 1, sy = 1;
    switch (mode) {
    case MapMode::Text:
        break;
    case MapMode::LoMetric:
        sx = 0.1 * device_.pixelsPerMmX, sy = -0.1 * device_.pixelsPerMmY;
        break;
    case MapMode::HiMetric:
        sx = 0.01 * device_.pixelsPerMmX, sy = -0.01 * device_.pixelsPerMmY;
        break;
    case MapMode::LoEnglish:
        sx = 0.254 * device_.pixelsPerMmX, sy = -0.254 * device_.pixelsPerMmY;
        break;
    case MapMode::HiEnglish:
        sx = 0.0254 * device_.pixelsPerMmX, sy = -0.0254 * device_.pixelsPerMmY;
        break;
    case MapMode::Twips:
        sx = 25.4 / 1440 * device_.pixelsPerMmX, sy = -25.4 / 1440 * device_.pixelsPerMmY;
        break;
    case MapMode::Isotropic:
    case MapMode::Anisotropic:
        sx = dc_.viewportExt.x / dc_.windowExt.x;
        sy = dc_.viewportExt.y / dc_.windowExt.y;
        if (mode == MapMode::Isotropic) {
            // The smaller scale both ways, each keeping its direction.
            const double s = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
        break;
    }
    return {sx,
            0,
            0,
            sy,
            dc_.viewportOrg.x - dc_.windowOrg.x * sx,
            dc_.viewportOrg.y - dc_.windowOrg.y * sy};
}

Affine Player::transform() const {
    return device_.base.after(pageTransform().after(dc_.world));
}

Point Player::clampPoint(Point p) const {
    return {finite(p.x), finite(p.y)};
}

// ---------------------------------------------------------------- objects

void Player::createObject(Object o) {
    // Every slot below lowestFree_ is taken.
    for (std::size_t i = lowestFree_; i < objects_.size(); ++i)
        if (objects_[i].kind == Object::Kind::None) {
            objects_[i] = std::move(o);
            lowestFree_ = i + 1;
            return;
        }
    if (objects_.size() >= kMaxObjects)
        fail("too many objects");
    objects_.push_back(std::move(o));
    lowestFree_ = objects_.size();
}

void Player::createObjectAt(std::uint32_t slot, Object o) {
    if (slot >= kMaxObjects)
        return;
    if (slot >= objects_.size())
        objects_.resize(slot + 1);
    objects_[slot] = std::move(o);
    lowestFree_ = 0; // EMF names its slots; the lowest free one is not used
}

const Object* Player::object(std::uint32_t slot) const {
    if (slot >= objects_.size() || objects_[slot].kind == Object::Kind::None)
        return nullptr;
    return &objects_[slot];
}

void Player::selectObject(std::uint32_t slot) {
    const Object* o = object(slot);
    if (!o)
        return;
    switch (o->kind) {
    case Object::Kind::Pen:
        dc_.pen = o->pen;
        break;
    case Object::Kind::Brush:
        dc_.brush = o->brush;
        break;
    case Object::Kind::Font:
        dc_.font = o->font;
        break;
    case Object::Kind::Region: {
        const std::vector<Rect> rects = o->region;
        selectClip(rects, Units::Logical, Combine::Copy);
        break;
    }
    default:
        break;
    }
}

void Player::selectStockObject(std::uint32_t which) {
    switch (which) {
    case 0:
        dc_.brush = stockBrush(0xFFFFFFFF);
        break;
    case 1:
        dc_.brush = stockBrush(0xFFC0C0C0);
        break;
    case 2:
        dc_.brush = stockBrush(0xFF808080);
        break;
    case 3:
        dc_.brush = stockBrush(0xFF404040);
        break;
    case 4:
        dc_.brush = stockBrush(0xFF000000);
        break;
    case 5:
        dc_.brush = stockBrush(0, true);
        break;
    case 6:
        dc_.pen = stockPen(0xFFFFFFFF);
        break;
    case 7:
        dc_.pen = stockPen(0xFF000000);
        break;
    case 8:
        dc_.pen = stockPen(0, true);
        break;
    case 10:
    case 11:
    case 16:
        dc_.font = LogFont{};
        dc_.font.face = "Courier New";
        dc_.font.height = 16;
        break;
    case 12:
    case 13:
    case 14:
    case 17:
        dc_.font = LogFont{};
        dc_.font.height = which == 17 ? -11 : 16;
        dc_.font.weight = which == 13 ? 700 : 400;
        break;
    default:
        break;
    }
}

void Player::deleteObject(std::uint32_t slot) {
    if (slot < objects_.size()) {
        objects_[slot] = Object{};
        lowestFree_ = std::min<std::size_t>(lowestFree_, slot);
    }
}

// ---------------------------------------------------------------- output

Pen Player::devicePen() const {
    Pen p;
    const unsigned kind = dc_.pen.style & 0xF;
    const Affine t = transform();
    const double scale = std::sqrt(std::abs(t.det()));
    double width = dc_.pen.width == 0 ? 1 : std::abs(dc_.pen.width) * scale;
    if (!std::isfinite(width) || width < 1)
        width = 1;
    p.width = std::min<double>(width, 2.0 * kMaxSide);
    p.colour = dc_.pen.colour;
    switch (kind) {
    case 1:
        p.style = PenStyle::Dash;
        break;
    case 2:
    case kPsAlternate:
        p.style = PenStyle::Dot;
        break;
    case 3:
        p.style = PenStyle::DashDot;
        break;
    case 4:
        p.style = PenStyle::DashDotDot;
        break;
    case kPsNull:
        p.style = PenStyle::Null;
        break;
    case kPsUserStyle:
        p.style = PenStyle::Dash;
        break;
    default: // solid, inside frame
        p.style = PenStyle::Solid;
        break;
    }
    // Pens made by CreatePen draw their dashes only one pixel wide.
    if (!dc_.pen.extended && p.width > 1.5 && p.style != PenStyle::Null)
        p.style = PenStyle::Solid;
    if (dc_.pen.extended || (dc_.pen.style & kPsGeometric)) {
        switch (dc_.pen.style & 0xF00) {
        case 0x100:
            p.cap = PenCap::Square;
            break;
        case 0x200:
            p.cap = PenCap::Flat;
            break;
        default:
            p.cap = PenCap::Round;
        }
        switch (dc_.pen.style & 0xF000) {
        case 0x1000:
            p.join = PenJoin::Bevel;
            break;
        case 0x2000:
            p.join = PenJoin::Miter;
            break;
        default:
            p.join = PenJoin::Round;
        }
    }
    return p;
}

std::shared_ptr<const Picture> Player::hatchPattern(unsigned hatch, std::uint32_t colour) {
    const std::uint32_t back = dc_.bkOpaque ? dc_.bkColour : 0;
    auto key = std::make_tuple(hatch, colour, back);
    if (auto it = hatches_.find(key); it != hatches_.end())
        return it->second;
    auto pic = std::make_shared<Picture>();
    allocate(*pic, 8, 8, format_);
    pic->hasAlpha = !dc_.bkOpaque;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            bool on = false;
            const bool horizontal = y == 7, vertical = x == 7;
            const bool forward = x == y, backward = x + y == 7;
            switch (hatch) {
            case 0:
                on = horizontal;
                break;
            case 1:
                on = vertical;
                break;
            case 2:
                on = forward;
                break;
            case 3:
                on = backward;
                break;
            case 4:
                on = horizontal || vertical;
                break;
            default:
                on = forward || backward;
                break;
            }
            pic->pixels[static_cast<std::size_t>(y * 8 + x)] = on ? colour : back;
        }
    hatches_[key] = pic;
    return pic;
}

std::shared_ptr<const Picture> Player::colouredPattern(const LogBrush& b) {
    auto key = std::make_tuple(b.pattern.get(), dc_.textColour, dc_.bkColour);
    if (auto it = coloured_.find(key); it != coloured_.end())
        return it->second;
    auto pic = std::make_shared<Picture>(*b.pattern);
    for (std::uint32_t& px : pic->pixels)
        px = (px & 0xFFFFFF) == 0 ? dc_.textColour : dc_.bkColour;
    pic->hasAlpha = false;
    coloured_[key] = pic;
    return pic;
}

Brush Player::deviceBrush(const LogBrush& b) {
    Brush out;
    out.colour = b.colour;
    switch (b.style) {
    case kBsSolid:
        out.style = Brush::Style::Solid;
        break;
    case kBsNull:
        out.style = Brush::Style::Null;
        break;
    case kBsHatched:
        out.style = Brush::Style::Pattern;
        out.pattern = hatchPattern(b.hatch, b.colour);
        break;
    default:
        if (!b.pattern) {
            out.style = b.style == 3 || b.style >= 5 ? Brush::Style::Null : Brush::Style::Solid;
            break;
        }
        out.style = Brush::Style::Pattern;
        out.pattern = b.monochrome ? colouredPattern(b) : b.pattern;
        break;
    }
    return out;
}

Font Player::deviceFont() const {
    Font f;
    const Affine t = transform();
    const double scaleY = std::hypot(t.c, t.d);
    const double scaleX = std::hypot(t.a, t.b);
    const double h = dc_.font.height == 0 ? 16 : std::abs(dc_.font.height) * scaleY;
    f.height = std::clamp(std::isfinite(h) ? h : 16, 1.0, kMaxFontPixels);
    f.cellHeight = dc_.font.height > 0;
    const double w = std::abs(dc_.font.width) * scaleX;
    f.width = std::clamp(std::isfinite(w) ? w : 0, 0.0, kMaxFontPixels);
    f.weight = dc_.font.weight == 0 ? 400 : std::clamp(dc_.font.weight, 1, 1000);
    f.italic = dc_.font.italic;
    f.underline = dc_.font.underline;
    f.strikeOut = dc_.font.strikeOut;
    f.face = dc_.font.face;
    return f;
}

void Player::emit(Op op) {
    if (out_.ops.size() >= kMaxOps)
        pictureFails(TALEPLAY_TEXT("Pictures", "%1 picture has too many records to draw"),
                     {format_});
    op.rop2 = static_cast<std::uint8_t>(std::clamp(dc_.rop2, 1, 16));
    op.clip = dc_.clip;
    op.opaqueBackground = dc_.bkOpaque;
    op.background = dc_.bkColour;
    out_.ops.push_back(std::move(op));
}

void Player::addPoint(Path& p, Path::Verb v, Point logical) const {
    p.verbs.push_back(v);
    p.points.push_back(clampPoint(toDevice(logical)));
}

void Player::shape(const Path& path, Paint paint) {
    const bool fill = paint == Paint::Fill || paint == Paint::FillAndOutline;
    const bool stroke = paint == Paint::Outline || paint == Paint::FillAndOutline;
    if (path.empty())
        return;
    countPoints(path.points.size());
    if (inPath_) {
        path_.verbs.insert(path_.verbs.end(), path.verbs.begin(), path.verbs.end());
        path_.points.insert(path_.points.end(), path.points.begin(), path.points.end());
        return;
    }
    const bool drawFill = fill && dc_.brush.style != kBsNull;
    const bool drawStroke = stroke && (dc_.pen.style & 0xF) != kPsNull;
    if (!drawFill && !drawStroke)
        return;
    const auto index = static_cast<std::uint32_t>(out_.paths.size());
    out_.paths.push_back(path);
    if (drawFill) {
        Op op;
        op.kind = Op::Kind::Fill;
        op.index = index;
        op.fill = dc_.fill;
        op.brush = deviceBrush(dc_.brush);
        emit(std::move(op));
    }
    if (drawStroke) {
        Op op;
        op.kind = Op::Kind::Stroke;
        op.index = index;
        op.pen = devicePen();
        emit(std::move(op));
    }
}

// GDI leaves out the right and bottom edges of a rectangle in device pixels
// (so Rectangle(0, 0, 10, 10) is ten pixels wide, outline included).
Rect Player::gdiInset(Rect r) const {
    const Affine t = transform();
    if (!t.axisAligned() || !t.invertible())
        return r;
    Point p0 = t.map({r.left, r.top}), p1 = t.map({r.right, r.bottom});
    double& xmax = p0.x > p1.x ? p0.x : p1.x;
    double& ymax = p0.y > p1.y ? p0.y : p1.y;
    if (std::abs(p1.x - p0.x) >= 1)
        xmax -= 1;
    if (std::abs(p1.y - p0.y) >= 1)
        ymax -= 1;
    return {(p0.x - t.e) / t.a, (p0.y - t.f) / t.d, (p1.x - t.e) / t.a, (p1.y - t.f) / t.d};
}

Path Player::rectPath(Rect r) const {
    Path p;
    addPoint(p, Path::Verb::Move, {r.left, r.top});
    addPoint(p, Path::Verb::Line, {r.right, r.top});
    addPoint(p, Path::Verb::Line, {r.right, r.bottom});
    addPoint(p, Path::Verb::Line, {r.left, r.bottom});
    p.verbs.push_back(Path::Verb::Close);
    return p;
}

// An elliptical arc of the ellipse inscribed in r, from parameter angle
// `from` through `sweep` (radians), as cubic Bezier curves of at most a
// quarter turn each, built in logical units and then transformed (an affine
// map keeps a Bezier curve a Bezier curve).
void Player::arcPoints(Path& p, Rect r, double from, double sweep, Join join) const {
    if (!std::isfinite(from) || !std::isfinite(sweep) || !std::isfinite(r.left) ||
        !std::isfinite(r.top) || !std::isfinite(r.right) || !std::isfinite(r.bottom))
        return;
    const double cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    const double rx = std::abs(r.right - r.left) / 2, ry = std::abs(r.bottom - r.top) / 2;
    auto at = [&](double t) { return Point{cx + rx * std::cos(t), cy + ry * std::sin(t)}; };
    const int segments =
        std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (kPi / 2) - 1e-9)));
    const double step = sweep / segments;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    addPoint(p, join == Join::Move ? Path::Verb::Move : Path::Verb::Line, at(from));
    double t = from;
    for (int i = 0; i < segments; ++i, t += step) {
        const Point a = at(t), b = at(t + step);
        const Point c1{a.x - k * rx * std::sin(t), a.y + k * ry * std::cos(t)};
        const Point c2{b.x + k * rx * std::sin(t + step), b.y - k * ry * std::cos(t + step)};
        p.verbs.push_back(Path::Verb::Cubic);
        p.points.push_back(clampPoint(toDevice(c1)));
        p.points.push_back(clampPoint(toDevice(c2)));
        p.points.push_back(clampPoint(toDevice(b)));
    }
}

Path Player::ellipsePath(Rect r) const {
    Path p;
    arcPoints(p, r, 0, 2 * kPi, Join::Move);
    p.verbs.push_back(Path::Verb::Close);
    return p;
}

// The parameter angle where the radial line from the centre of r towards
// `start` meets the ellipse, and the sweep to the one towards `end`, in the
// direction that shows anticlockwise in the picture (or clockwise when the
// arc direction says so). Equal ends make a whole ellipse.
double Player::sweepBetween(Rect r, Point start, Point end, double& from) const {
    const double cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    const double rx = std::max(std::abs(r.right - r.left) / 2, 1e-9);
    const double ry = std::max(std::abs(r.bottom - r.top) / 2, 1e-9);
    from = std::atan2((start.y - cy) / ry, (start.x - cx) / rx);
    const double to = std::atan2((end.y - cy) / ry, (end.x - cx) / rx);
    // With y growing downwards on the picture, a growing angle turns
    // clockwise; a transform that mirrors the logical space turns it back.
    bool increasing = transform().det() < 0;
    if (dc_.clockwise)
        increasing = !increasing;
    double sweep = increasing ? to - from : from - to;
    while (sweep <= 1e-12)
        sweep += 2 * kPi;
    while (sweep > 2 * kPi + 1e-12)
        sweep -= 2 * kPi;
    return increasing ? sweep : -sweep;
}

void Player::moveTo(Point p) {
    dc_.current = p;
    if (inPath_) {
        Path one;
        addPoint(one, Path::Verb::Move, p);
        shape(one, Paint::PathOnly);
    }
}

void Player::lineTo(Point p) {
    Path path;
    const bool continuing = inPath_ && !path_.empty() && path_.verbs.back() != Path::Verb::Close;
    if (!continuing)
        addPoint(path, Path::Verb::Move, dc_.current);
    addPoint(path, Path::Verb::Line, p);
    dc_.current = p;
    shape(path, Paint::Outline);
}

void Player::polyline(const std::vector<Point>& pts, From from) {
    const bool fromCurrent = from == From::CurrentPosition;
    if (pts.empty() || (!fromCurrent && pts.size() < 2)) {
        if (fromCurrent && !pts.empty())
            dc_.current = pts.back();
        return;
    }
    Path path;
    const bool continuing = inPath_ && !path_.empty() && path_.verbs.back() != Path::Verb::Close;
    std::size_t i = 0;
    if (fromCurrent) {
        if (!continuing)
            addPoint(path, Path::Verb::Move, dc_.current);
    } else {
        addPoint(path, Path::Verb::Move, pts[0]);
        i = 1;
    }
    for (; i < pts.size(); ++i)
        addPoint(path, Path::Verb::Line, pts[i]);
    if (fromCurrent)
        dc_.current = pts.back();
    shape(path, Paint::Outline);
}

void Player::polyPolyline(const std::vector<std::vector<Point>>& lines) {
    Path path;
    for (const auto& pts : lines) {
        if (pts.size() < 2)
            continue;
        addPoint(path, Path::Verb::Move, pts[0]);
        for (std::size_t i = 1; i < pts.size(); ++i)
            addPoint(path, Path::Verb::Line, pts[i]);
    }
    shape(path, Paint::Outline);
}

void Player::polygon(const std::vector<Point>& pts) {
    polyPolygon({pts});
}

void Player::polyPolygon(const std::vector<std::vector<Point>>& polys) {
    Path path;
    for (const auto& pts : polys) {
        if (pts.size() < 2)
            continue;
        addPoint(path, Path::Verb::Move, pts[0]);
        for (std::size_t i = 1; i < pts.size(); ++i)
            addPoint(path, Path::Verb::Line, pts[i]);
        path.verbs.push_back(Path::Verb::Close);
    }
    shape(path, Paint::FillAndOutline);
}

void Player::bezier(const std::vector<Point>& pts, From from) {
    const bool fromCurrent = from == From::CurrentPosition;
    Path path;
    std::size_t i = 0;
    const bool continuing = inPath_ && !path_.empty() && path_.verbs.back() != Path::Verb::Close;
    if (fromCurrent) {
        if (!continuing)
            addPoint(path, Path::Verb::Move, dc_.current);
    } else {
        if (pts.empty())
            return;
        addPoint(path, Path::Verb::Move, pts[0]);
        i = 1;
    }
    for (; i + 3 <= pts.size(); i += 3) {
        path.verbs.push_back(Path::Verb::Cubic);
        for (std::size_t k = 0; k < 3; ++k)
            path.points.push_back(clampPoint(toDevice(pts[i + k])));
    }
    if (fromCurrent && pts.size() >= 3)
        dc_.current = pts[(pts.size() / 3) * 3 - 1];
    shape(path, Paint::Outline);
}

void Player::rectangle(Rect r) {
    shape(rectPath(gdiInset(r)), Paint::FillAndOutline);
}

void Player::roundRect(Rect given, double cornerWidth, double cornerHeight) {
    const Rect r = gdiInset(given);
    const double left = std::min(r.left, r.right), right = std::max(r.left, r.right);
    const double top = std::min(r.top, r.bottom), bottom = std::max(r.top, r.bottom);
    const double w = std::min(std::abs(cornerWidth), right - left);
    const double h = std::min(std::abs(cornerHeight), bottom - top);
    if (w <= 0 || h <= 0) {
        rectangle(given);
        return;
    }
    // Four quarter ellipses joined by the straight sides.
    Path p;
    arcPoints(p, {right - w, top, right, top + h}, -kPi / 2, kPi / 2, Join::Move);
    arcPoints(p, {right - w, bottom - h, right, bottom}, 0, kPi / 2, Join::Line);
    arcPoints(p, {left, bottom - h, left + w, bottom}, kPi / 2, kPi / 2, Join::Line);
    arcPoints(p, {left, top, left + w, top + h}, kPi, kPi / 2, Join::Line);
    p.verbs.push_back(Path::Verb::Close);
    shape(p, Paint::FillAndOutline);
}

void Player::ellipse(Rect r) {
    shape(ellipsePath(gdiInset(r)), Paint::FillAndOutline);
}

void Player::arc(Rect r, Point start, Point end, ArcKind kind) {
    r = gdiInset(r);
    double from = 0;
    const double sweep = sweepBetween(r, start, end, from);
    Path p;
    const double cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    const bool continuing = inPath_ && !path_.empty() && path_.verbs.back() != Path::Verb::Close;
    switch (kind) {
    case ArcKind::Arc:
        arcPoints(p, r, from, sweep, Join::Move);
        shape(p, Paint::Outline);
        break;
    case ArcKind::ArcTo: {
        if (!continuing)
            addPoint(p, Path::Verb::Move, dc_.current);
        arcPoints(p, r, from, sweep, Join::Line);
        const double t = from + sweep;
        const double rx = std::abs(r.right - r.left) / 2, ry = std::abs(r.bottom - r.top) / 2;
        dc_.current = {cx + rx * std::cos(t), cy + ry * std::sin(t)};
        shape(p, Paint::Outline);
        break;
    }
    case ArcKind::Chord:
        arcPoints(p, r, from, sweep, Join::Move);
        p.verbs.push_back(Path::Verb::Close);
        shape(p, Paint::FillAndOutline);
        break;
    case ArcKind::Pie:
        addPoint(p, Path::Verb::Move, {cx, cy});
        arcPoints(p, r, from, sweep, Join::Line);
        p.verbs.push_back(Path::Verb::Close);
        shape(p, Paint::FillAndOutline);
        break;
    }
}

void Player::angleArc(Point centre, double radius, double startDegrees, double sweepDegrees) {
    // Angles count anticlockwise on the picture: y grows downwards.
    if (!std::isfinite(startDegrees) || !std::isfinite(sweepDegrees))
        return;
    const double r = std::abs(radius);
    const Rect box{centre.x - r, centre.y - r, centre.x + r, centre.y + r};
    const double from = -startDegrees * kPi / 180;
    const double sweep = -std::clamp(sweepDegrees, -3600.0, 3600.0) * kPi / 180;
    Path p;
    const bool continuing = inPath_ && !path_.empty() && path_.verbs.back() != Path::Verb::Close;
    if (!continuing)
        addPoint(p, Path::Verb::Move, dc_.current);
    arcPoints(p, box, from, sweep, Join::Line);
    dc_.current = {centre.x + r * std::cos(from + sweep), centre.y + r * std::sin(from + sweep)};
    shape(p, Paint::Outline);
}

void Player::setPixel(Point p, std::uint32_t colour) {
    const Point d = clampPoint(toDevice(p));
    const double x = std::floor(d.x), y = std::floor(d.y);
    const auto index = static_cast<std::uint32_t>(out_.paths.size());
    Path path;
    path.verbs = {Path::Verb::Move, Path::Verb::Line, Path::Verb::Line, Path::Verb::Line,
                  Path::Verb::Close};
    path.points = {{x, y}, {x + 1, y}, {x + 1, y + 1}, {x, y + 1}};
    countPoints(4);
    out_.paths.push_back(std::move(path));
    Op op;
    op.kind = Op::Kind::Fill;
    op.index = index;
    op.brush.style = Brush::Style::Solid;
    op.brush.colour = colour;
    const int rop2 = dc_.rop2;
    dc_.rop2 = 13;
    emit(std::move(op));
    dc_.rop2 = rop2;
}

// ---------------------------------------------------------------- text

void Player::text(Point p, const std::string& bytes, Encoding encoding, unsigned options,
                  const std::optional<Rect>& box, const std::vector<double>& dx) {
    if (inPath_)
        return; // glyph outlines in paths are not drawn
    const bool updateCp = (dc_.textAlign & kTaUpdateCp) != 0;
    Text t;
    t.origin = clampPoint(toDevice(updateCp ? dc_.current : p));
    t.utf8 = encoding == Encoding::Utf16 ? utf16ToUtf8(bytes) : textToUtf8(bytes, dc_.font.charset);
    t.font = deviceFont();
    t.colour = dc_.textColour;
    t.angle = std::isfinite(dc_.font.escapement) ? dc_.font.escapement / 10 : 0;
    switch (dc_.textAlign & 6) {
    case 2:
        t.hAlign = Text::HAlign::Right;
        break;
    case 6:
        t.hAlign = Text::HAlign::Center;
        break;
    default:
        t.hAlign = Text::HAlign::Left;
    }
    switch (dc_.textAlign & 24) {
    case 8:
        t.vAlign = Text::VAlign::Bottom;
        break;
    case 24:
        t.vAlign = Text::VAlign::Baseline;
        break;
    default:
        t.vAlign = Text::VAlign::Top;
    }
    const Affine tr = transform();
    const double scaleX = std::hypot(tr.a, tr.b);
    const bool pairs = (options & kEtoPdy) != 0;
    double advanced = 0;
    for (std::size_t i = 0; i < dx.size(); i += pairs ? 2 : 1) {
        t.advances.push_back(finite(dx[i] * scaleX));
        advanced += dx[i];
    }
    t.extra = finite(dc_.charExtra * scaleX);
    t.opaqueBackground = dc_.bkOpaque;
    t.background = dc_.bkColour;
    if (box && (options & (kEtoOpaque | kEtoClipped))) {
        const Point a = clampPoint(toDevice({box->left, box->top}));
        const Point b = clampPoint(toDevice({box->right, box->bottom}));
        t.hasBox = true;
        t.box = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
        t.boxOpaque = (options & kEtoOpaque) != 0;
        t.boxClipped = (options & kEtoClipped) != 0;
    }
    if (options & kEtoGlyphIndex)
        t.utf8.clear(); // glyph numbers of a font we do not have; the box still shows
    if (updateCp && !dx.empty())
        dc_.current.x += advanced;
    if (t.utf8.empty() && !t.boxOpaque)
        return;
    const auto index = static_cast<std::uint32_t>(out_.texts.size());
    out_.texts.push_back(std::move(t));
    Op op;
    op.kind = Op::Kind::Text;
    op.index = index;
    emit(std::move(op));
}

// ---------------------------------------------------------------- bitmaps

void Player::image(Rect dest, std::shared_ptr<const Picture> pic, Rect source, std::uint32_t rop) {
    if (inPath_)
        return;
    if (!pic) {
        // Raster operations that do not read a source still paint.
        const unsigned code = (rop >> 16) & 0xFF;
        if (((code >> 2) & 0x33) == (code & 0x33))
            patternBlit(dest, rop);
        return;
    }
    Rect src = source;
    if (src.right < src.left)
        std::swap(src.left, src.right);
    if (src.bottom < src.top)
        std::swap(src.top, src.bottom);
    src.left = std::clamp(src.left, 0.0, double(pic->width));
    src.right = std::clamp(src.right, 0.0, double(pic->width));
    src.top = std::clamp(src.top, 0.0, double(pic->height));
    src.bottom = std::clamp(src.bottom, 0.0, double(pic->height));
    if (src.right <= src.left || src.bottom <= src.top)
        return;
    Image im;
    im.picture = std::move(pic);
    im.source = src;
    im.corners = {clampPoint(toDevice({dest.left, dest.top})),
                  clampPoint(toDevice({dest.right, dest.top})),
                  clampPoint(toDevice({dest.left, dest.bottom}))};
    im.rop = rop;
    const auto index = static_cast<std::uint32_t>(out_.images.size());
    out_.images.push_back(std::move(im));
    Op op;
    op.kind = Op::Kind::Image;
    op.index = index;
    op.brush = deviceBrush(dc_.brush);
    emit(std::move(op));
}

void Player::patternBlit(Rect dest, std::uint32_t rop) {
    if (inPath_)
        return;
    const auto index = static_cast<std::uint32_t>(out_.paths.size());
    Path p = rectPath(dest);
    countPoints(p.points.size());
    out_.paths.push_back(std::move(p));
    Op op;
    op.kind = Op::Kind::PatternBlit;
    op.index = index;
    op.rop3 = rop;
    op.brush = deviceBrush(dc_.brush);
    emit(std::move(op));
}

// ---------------------------------------------------------------- regions

std::vector<Rect> Player::regionToDevice(const std::vector<Rect>& rects, Units units) const {
    std::vector<Rect> out;
    out.reserve(rects.size());
    const Affine t = units == Units::Logical ? transform() : device_.base;
    for (const Rect& r : rects) {
        const Point a = clampPoint(t.map({r.left, r.top}));
        const Point b = clampPoint(t.map({r.right, r.bottom}));
        out.push_back(
            {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)});
    }
    return out;
}

void Player::fillRegion(const std::vector<Rect>& rects, Units units, const LogBrush* brush) {
    if (inPath_ || rects.empty())
        return;
    Path p;
    for (const Rect& r : regionToDevice(rects, units)) {
        p.verbs.insert(p.verbs.end(), {Path::Verb::Move, Path::Verb::Line, Path::Verb::Line,
                                       Path::Verb::Line, Path::Verb::Close});
        p.points.insert(
            p.points.end(),
            {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}});
    }
    countPoints(p.points.size());
    const auto index = static_cast<std::uint32_t>(out_.paths.size());
    out_.paths.push_back(std::move(p));
    Op op;
    op.kind = Op::Kind::Fill;
    op.index = index;
    op.fill = FillRule::Winding;
    op.brush = deviceBrush(brush ? *brush : dc_.brush);
    emit(std::move(op));
}

void Player::frameRegion(const std::vector<Rect>& rects, Units units, const LogBrush& brush,
                         double w, double h) {
    // Each rectangle's border, w by h logical units thick, as a ring.
    std::vector<Rect> ring;
    for (const Rect& r : rects) {
        ring.push_back({r.left, r.top, r.right, r.top + h});
        ring.push_back({r.left, r.bottom - h, r.right, r.bottom});
        ring.push_back({r.left, r.top + h, r.left + w, r.bottom - h});
        ring.push_back({r.right - w, r.top + h, r.right, r.bottom - h});
    }
    fillRegion(ring, units, &brush);
}

// ---------------------------------------------------------------- clipping

void Player::pushClip(ClipStep step) {
    if (out_.clips.size() >= kMaxOps)
        pictureFails(TALEPLAY_TEXT("Pictures", "%1 picture has too many records to draw"),
                     {format_});
    const std::uint32_t parent = step.combine == ClipStep::Combine::Replace ? 0 : dc_.clip;
    out_.clips.push_back({parent, std::move(step)});
    dc_.clip = static_cast<std::uint32_t>(out_.clips.size() - 1);
}

void Player::intersectClip(Rect r) {
    ClipStep s;
    s.combine = ClipStep::Combine::Intersect;
    s.rects = regionToDevice({r}, Units::Logical);
    pushClip(std::move(s));
}

void Player::excludeClip(Rect r) {
    ClipStep s;
    s.combine = ClipStep::Combine::Exclude;
    s.rects = regionToDevice({r}, Units::Logical);
    pushClip(std::move(s));
}

namespace {
ClipStep::Combine combineOf(Combine how) {
    switch (how) {
    case Combine::And:
        return ClipStep::Combine::Intersect;
    case Combine::Or:
        return ClipStep::Combine::Union;
    case Combine::Xor:
        return ClipStep::Combine::Xor;
    case Combine::Diff:
        return ClipStep::Combine::Exclude;
    default:
        return ClipStep::Combine::Replace;
    }
}
} // namespace

void Player::selectClip(const std::vector<Rect>& rects, Units units, Combine how) {
    if (how == Combine::Copy && rects.empty()) {
        resetClip();
        return;
    }
    ClipStep s;
    s.combine = combineOf(how);
    s.rects = regionToDevice(rects, units);
    pushClip(std::move(s));
}

void Player::resetClip() {
    dc_.clip = 0;
}

void Player::offsetClip(double dx, double dy) {
    if (dc_.clip == 0)
        return;
    const Affine t = transform();
    ClipStep s;
    s.combine = ClipStep::Combine::Offset;
    s.offset = clampPoint({t.a * dx + t.c * dy, t.b * dx + t.d * dy});
    pushClip(std::move(s));
}

// ---------------------------------------------------------------- paths

void Player::beginPath() {
    inPath_ = true;
    pathReady_ = false;
    path_ = Path{};
}

void Player::endPath() {
    if (!inPath_)
        return;
    inPath_ = false;
    pathReady_ = true;
}

void Player::abortPath() {
    inPath_ = false;
    pathReady_ = false;
    path_ = Path{};
}

void Player::closeFigure() {
    if (inPath_ && !path_.empty() && path_.verbs.back() != Path::Verb::Close)
        path_.verbs.push_back(Path::Verb::Close);
}

void Player::fillPath() {
    if (!pathReady_)
        return;
    pathReady_ = false;
    shape(std::exchange(path_, Path{}), Paint::Fill);
}

void Player::strokePath() {
    if (!pathReady_)
        return;
    pathReady_ = false;
    shape(std::exchange(path_, Path{}), Paint::Outline);
}

void Player::strokeAndFillPath() {
    if (!pathReady_)
        return;
    pathReady_ = false;
    shape(std::exchange(path_, Path{}), Paint::FillAndOutline);
}

void Player::selectClipPath(Combine how) {
    if (!pathReady_)
        return;
    pathReady_ = false;
    ClipStep s;
    s.combine = combineOf(how);
    s.path = std::exchange(path_, Path{});
    s.fill = dc_.fill;
    if (s.path.empty())
        return;
    pushClip(std::move(s));
}

} // namespace taleplay::pictures::metafile::detail
