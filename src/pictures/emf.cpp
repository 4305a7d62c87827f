// Enhanced Metafiles (emf): the header's frame and reference device, and
// the records, played on the device context of metafile_player.h.
#include "pictures/decode_util.h"
#include "pictures/metafile_player.h"

#include <bit>
#include <cmath>

namespace taleplay::pictures::metafile {

using namespace detail;
using pictures::detail::le16;
using pictures::detail::le32;
using pictures::detail::Reader;

namespace {

constexpr const char* kEmf = "EMF";
constexpr std::uint32_t kSignature = 0x464D4520; // " EMF"
constexpr std::size_t kMinHeaderSize = 88;

enum : std::uint32_t {
    kHeader = 1,
    kPolyBezier = 2,
    kPolygon = 3,
    kPolyline = 4,
    kPolyBezierTo = 5,
    kPolylineTo = 6,
    kPolyPolyline = 7,
    kPolyPolygon = 8,
    kSetWindowExtEx = 9,
    kSetWindowOrgEx = 10,
    kSetViewportExtEx = 11,
    kSetViewportOrgEx = 12,
    kEof = 14,
    kSetPixelV = 15,
    kSetMapMode = 17,
    kSetBkMode = 18,
    kSetPolyFillMode = 19,
    kSetRop2 = 20,
    kSetTextAlign = 22,
    kSetTextColor = 24,
    kSetBkColor = 25,
    kOffsetClipRgn = 26,
    kMoveToEx = 27,
    kExcludeClipRect = 29,
    kIntersectClipRect = 30,
    kScaleViewportExtEx = 31,
    kScaleWindowExtEx = 32,
    kSaveDc = 33,
    kRestoreDc = 34,
    kSetWorldTransform = 35,
    kModifyWorldTransform = 36,
    kSelectObject = 37,
    kCreatePen = 38,
    kCreateBrushIndirect = 39,
    kDeleteObject = 40,
    kAngleArc = 41,
    kEllipse = 42,
    kRectangle = 43,
    kRoundRect = 44,
    kArc = 45,
    kChord = 46,
    kPie = 47,
    kCreatePalette = 49,
    kLineTo = 54,
    kArcTo = 55,
    kSetArcDirection = 57,
    kBeginPath = 59,
    kEndPath = 60,
    kCloseFigure = 61,
    kFillPath = 62,
    kStrokeAndFillPath = 63,
    kStrokePath = 64,
    kSelectClipPath = 67,
    kAbortPath = 68,
    kFillRgn = 71,
    kFrameRgn = 72,
    kPaintRgn = 74,
    kExtSelectClipRgn = 75,
    kBitBlt = 76,
    kStretchBlt = 77,
    kSetDiBitsToDevice = 80,
    kStretchDiBits = 81,
    kExtCreateFontIndirectW = 82,
    kExtTextOutA = 83,
    kExtTextOutW = 84,
    kPolyBezier16 = 85,
    kPolygon16 = 86,
    kPolyline16 = 87,
    kPolyBezierTo16 = 88,
    kPolylineTo16 = 89,
    kPolyPolyline16 = 90,
    kPolyPolygon16 = 91,
    kCreateMonoBrush = 93,
    kCreateDibPatternBrushPt = 94,
    kExtCreatePen = 95,
    kSmallTextOut = 108,
    kAlphaBlend = 114,
    kTransparentBlt = 116,
};

constexpr std::uint32_t kStockObject = 0x80000000u;
constexpr unsigned kDibPalColours = 1;
constexpr std::uint32_t kSrcCopy = 0x00CC0020;

// One record: its bytes, with reads checked against its own size.
class Record {
  public:
    Record(Bytes p, std::size_t size, const Player& player) : p_(p), size_(size), player_(player) {}

    std::size_t size() const { return size_; }
    std::uint32_t u32(std::size_t at) const {
        need(at, 4);
        return le32(p_ + at);
    }
    std::int32_t i32(std::size_t at) const { return static_cast<std::int32_t>(u32(at)); }
    float f32(std::size_t at) const { return std::bit_cast<float>(u32(at)); }
    Point point(std::size_t at) const { return {double(i32(at)), double(i32(at + 4))}; }
    Rect rect(std::size_t at) const {
        return {double(i32(at)), double(i32(at + 4)), double(i32(at + 8)), double(i32(at + 12))};
    }
    Bytes bytes(std::size_t at, std::size_t n) const {
        need(at, n);
        return p_ + at;
    }
    bool has(std::size_t at, std::size_t n) const { return at <= size_ && n <= size_ - at; }
    // 32-bit points (POINTL) or 16-bit ones (POINTS).
    enum class Width { Long, Short };
    std::vector<Point> points(std::size_t at, std::size_t count, Width width) const {
        const bool small = width == Width::Short;
        const std::size_t each = small ? 4 : 8;
        if (count > size_ / each)
            player_.fail("record too short");
        need(at, count * each);
        std::vector<Point> pts(count);
        for (std::size_t i = 0; i < count; ++i) {
            Bytes q = p_ + at + i * each;
            pts[i] = small ? Point{double(static_cast<std::int16_t>(le16(q))),
                                   double(static_cast<std::int16_t>(le16(q + 2)))}
                           : Point{double(static_cast<std::int32_t>(le32(q))),
                                   double(static_cast<std::int32_t>(le32(q + 4)))};
        }
        return pts;
    }

  private:
    void need(std::size_t at, std::size_t n) const {
        if (!has(at, n))
            player_.fail("record too short");
    }
    Bytes p_;
    std::size_t size_;
    const Player& player_;
};

Affine xform(const Record& r, std::size_t at) {
    return {r.f32(at),      r.f32(at + 4),  r.f32(at + 8),
            r.f32(at + 12), r.f32(at + 16), r.f32(at + 20)};
}

// RGNDATA: a header of 32 bytes, then its rectangles.
std::vector<Rect> readRegion(const Record& r, std::size_t at, std::size_t size) {
    std::vector<Rect> rects;
    if (size < 32)
        return rects;
    const std::size_t count = r.u32(at + 8);
    const std::size_t room = (size - 32) / 16;
    for (std::size_t i = 0; i < std::min(count, room); ++i)
        rects.push_back(r.rect(at + 32 + 16 * i));
    return rects;
}

struct Dib {
    std::shared_ptr<const Picture> picture;
    bool bottomUp = true;
};

// A bitmap given by the offsets and sizes of its header and bits.
Dib readEmfDib(const Record& r, std::size_t offBmi, std::size_t cbBmi, std::size_t offBits,
               std::size_t cbBits, unsigned usage, Player& player) {
    Dib d;
    if (usage == kDibPalColours || cbBmi < 12 || !r.has(offBmi, cbBmi) || !r.has(offBits, cbBits))
        return d;
    std::vector<unsigned char> packed(r.bytes(offBmi, cbBmi), r.bytes(offBmi, cbBmi) + cbBmi);
    Bytes bits = r.bytes(offBits, cbBits);
    packed.insert(packed.end(), bits, bits + cbBits);
    d.bottomUp =
        le32(packed.data()) == 12 || static_cast<std::int32_t>(le32(packed.data() + 8)) > 0;
    d.picture = readDib(packed.data(), packed.size(), player);
    return d;
}

// The fourth bytes of a 32-bit bottom-up or top-down BI_RGB DIB as the
// alpha of `pic` (decoded from it), its colours unpremultiplied.
void takeDibAlpha(const Record& r, std::size_t offBmi, std::size_t cbBmi, std::size_t offBits,
                  std::size_t cbBits, Picture& pic) {
    if (cbBmi < 40 || !r.has(offBmi, 40))
        return;
    Bytes h = r.bytes(offBmi, 40);
    const auto height = static_cast<std::int32_t>(le32(h + 8));
    if (le16(h + 14) != 32 || le32(h + 16) != 0 ||
        static_cast<std::int32_t>(le32(h + 4)) != pic.width)
        return;
    const std::size_t w = static_cast<std::size_t>(pic.width);
    const std::size_t rows = static_cast<std::size_t>(pic.height);
    if (cbBits / 4 / w < rows || !r.has(offBits, w * rows * 4))
        return;
    Bytes bits = r.bytes(offBits, w * rows * 4);
    for (std::size_t y = 0; y < rows; ++y) {
        const std::size_t from = height > 0 ? rows - 1 - y : y;
        for (std::size_t x = 0; x < w; ++x) {
            const std::uint32_t a = bits[(from * w + x) * 4 + 3];
            std::uint32_t& px = pic.pixels[y * w + x];
            auto un = [&](int shift) {
                const std::uint32_t c = (px >> shift) & 0xFF;
                return a == 0 ? 0u : std::min<std::uint32_t>(255, (c * 255 + a / 2) / a);
            };
            px = a << 24 | un(16) << 16 | un(8) << 8 | un(0);
        }
    }
}

class EmfPlayer {
  public:
    explicit EmfPlayer(Player& player) : player_(player) {}
    void play(std::uint32_t type, const Record& r);

  private:
    void polys(std::uint32_t type, const Record& r);
    void text(const Record& r, Encoding encoding);
    void smallText(const Record& r);
    void blit(std::uint32_t type, const Record& r);
    void stretchDib(std::uint32_t type, const Record& r);
    enum class Colours { OfTheBitmap, TextAndBackground };
    Object patternBrush(const Record& r, Colours colours);
    Player& player_;
};

void EmfPlayer::polys(std::uint32_t type, const Record& r) {
    Player& pl = player_;
    const auto width = type >= kPolyBezier16 ? Record::Width::Short : Record::Width::Long;
    const bool small = width == Record::Width::Short;
    const std::uint32_t base = small ? type - kPolyBezier16 + kPolyBezier : type;
    if (base == kPolyPolyline || base == kPolyPolygon) {
        const std::size_t n = r.u32(24);
        const std::size_t total = r.u32(28);
        if (n > r.size() / 4)
            pl.fail("record too short");
        std::vector<std::vector<Point>> all;
        const std::vector<Point> pts = r.points(32 + 4 * n, total, width);
        std::size_t at = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t count = r.u32(32 + 4 * i);
            if (count > pts.size() - at)
                pl.fail("polygon counts past its points");
            all.emplace_back(pts.begin() + static_cast<std::ptrdiff_t>(at),
                             pts.begin() + static_cast<std::ptrdiff_t>(at + count));
            at += count;
        }
        if (base == kPolyPolygon)
            pl.polyPolygon(all);
        else
            pl.polyPolyline(all);
        return;
    }
    const std::vector<Point> pts = r.points(28, r.u32(24), width);
    switch (base) {
    case kPolyBezier:
        pl.bezier(pts, From::FirstPoint);
        break;
    case kPolyBezierTo:
        pl.bezier(pts, From::CurrentPosition);
        break;
    case kPolygon:
        pl.polygon(pts);
        break;
    case kPolyline:
        pl.polyline(pts);
        break;
    case kPolylineTo:
        pl.polyline(pts, From::CurrentPosition);
        break;
    }
}

void EmfPlayer::text(const Record& r, Encoding encoding) {
    const bool wide = encoding == Encoding::Utf16;
    const Point at = r.point(36);
    const std::size_t n = r.u32(44);
    const std::size_t offString = r.u32(48);
    const unsigned options = r.u32(52);
    const Rect box = r.rect(56);
    const std::size_t offDx = r.u32(72);
    const std::size_t unit = wide ? 2 : 1;
    if (n > r.size())
        player_.fail("record too short");
    Bytes s = r.bytes(offString, n * unit);
    std::vector<double> dx;
    const std::size_t dxCount = (options & 0x2000) ? 2 * n : n;
    if (offDx != 0 && r.has(offDx, dxCount * 4))
        for (std::size_t i = 0; i < dxCount; ++i)
            dx.push_back(r.i32(offDx + 4 * i));
    player_.text(at, std::string(s, s + n * unit), encoding, options, box, dx);
}

void EmfPlayer::smallText(const Record& r) {
    const Point at{double(r.i32(8)), double(r.i32(12))};
    const std::size_t n = r.u32(16);
    const unsigned options = r.u32(20);
    std::size_t offString = 36;
    std::optional<Rect> box;
    if (!(options & 0x100)) { // ETO_NO_RECT
        box = r.rect(36);
        offString = 52;
    }
    const bool wide = !(options & 0x200); // ETO_SMALL_CHARS
    const std::size_t unit = wide ? 2 : 1;
    if (n > r.size())
        player_.fail("record too short");
    Bytes s = r.bytes(offString, n * unit);
    player_.text(at, std::string(s, s + n * unit), wide ? Encoding::Utf16 : Encoding::CharacterSet,
                 options & ~0x300u, box, {});
}

void EmfPlayer::blit(std::uint32_t type, const Record& r) {
    Player& pl = player_;
    const double x = r.i32(24), y = r.i32(28), w = r.i32(32), h = r.i32(36);
    std::uint32_t rop = r.u32(40);
    const double xSrc = r.i32(44), ySrc = r.i32(48);
    const unsigned usage = r.u32(80);
    const std::size_t offBmi = r.u32(84), cbBmi = r.u32(88);
    const std::size_t offBits = r.u32(92), cbBits = r.u32(96);
    double sw = w, sh = h;
    if (type != kBitBlt) {
        sw = r.i32(100);
        sh = r.i32(104);
    }
    const Rect dest{x, y, x + w, y + h};
    const Rect src{xSrc, ySrc, xSrc + sw, ySrc + sh};
    if (cbBmi == 0 && type != kAlphaBlend && type != kTransparentBlt) {
        pl.image(dest, nullptr, src, rop);
        return;
    }
    Dib d = readEmfDib(r, offBmi, cbBmi, offBits, cbBits, usage, pl);
    if (!d.picture)
        return;
    if (type == kTransparentBlt) {
        // The colour named in place of a raster operation is left out.
        const std::uint32_t key = colourRef(rop) & 0xFFFFFF;
        auto keyed = std::make_shared<Picture>(*d.picture);
        for (std::uint32_t& px : keyed->pixels)
            if ((px & 0xFFFFFF) == key)
                px = 0;
        keyed->hasAlpha = true;
        d.picture = keyed;
        rop = kSrcCopy;
    } else if (type == kAlphaBlend) {
        // The blend function: the constant alpha of the whole bitmap and,
        // with AC_SRC_ALPHA, the bitmap's own premultiplied alpha, which a
        // plain 32-bit DIB keeps in the byte GDI ignores everywhere else.
        const unsigned constant = (rop >> 16) & 0xFF;
        const bool ownAlpha = ((rop >> 24) & 1) != 0;
        auto blended = std::make_shared<Picture>(*d.picture);
        if (ownAlpha)
            takeDibAlpha(r, offBmi, cbBmi, offBits, cbBits, *blended);
        for (std::uint32_t& px : blended->pixels)
            px = (px & 0xFFFFFF) | ((px >> 24) * constant / 255) << 24;
        blended->hasAlpha = true;
        d.picture = blended;
        rop = kSrcCopy;
    }
    pl.image(dest, d.picture, src, rop);
}

void EmfPlayer::stretchDib(std::uint32_t type, const Record& r) {
    Player& pl = player_;
    const double x = r.i32(24), y = r.i32(28);
    const double xSrc = r.i32(32), ySrc = r.i32(36), sw = r.i32(40), sh = r.i32(44);
    const std::size_t offBmi = r.u32(48), cbBmi = r.u32(52);
    const std::size_t offBits = r.u32(56), cbBits = r.u32(60);
    const unsigned usage = r.u32(64);
    std::uint32_t rop = kSrcCopy;
    double w = sw, h = sh;
    if (type == kStretchDiBits) {
        rop = r.u32(68);
        w = r.i32(72);
        h = r.i32(76);
    }
    const Rect dest{x, y, x + w, y + h};
    Rect src{xSrc, ySrc, xSrc + sw, ySrc + sh};
    if (cbBmi == 0) {
        pl.image(dest, nullptr, src, rop);
        return;
    }
    const Dib d = readEmfDib(r, offBmi, cbBmi, offBits, cbBits, usage, pl);
    if (!d.picture)
        return;
    if (d.bottomUp) {
        // Counted from the bottom row of a bottom-up bitmap.
        src.top = d.picture->height - ySrc - sh;
        src.bottom = src.top + sh;
    }
    pl.image(dest, d.picture, src, rop);
}

Object EmfPlayer::patternBrush(const Record& r, Colours colours) {
    Object o;
    o.kind = Object::Kind::Brush;
    o.brush.style = 5; // BS_DIBPATTERN
    const Dib d = readEmfDib(r, r.u32(16), r.u32(20), r.u32(24), r.u32(28), r.u32(12), player_);
    o.brush.pattern = d.picture;
    o.brush.monochrome = colours == Colours::TextAndBackground;
    return o;
}

void EmfPlayer::play(std::uint32_t type, const Record& r) {
    Player& pl = player_;
    DcState& dc = pl.dc();
    switch (type) {
    case kPolyBezier:
    case kPolygon:
    case kPolyline:
    case kPolyBezierTo:
    case kPolylineTo:
    case kPolyPolyline:
    case kPolyPolygon:
    case kPolyBezier16:
    case kPolygon16:
    case kPolyline16:
    case kPolyBezierTo16:
    case kPolylineTo16:
    case kPolyPolyline16:
    case kPolyPolygon16:
        polys(type, r);
        break;
    case kSetWindowExtEx:
        pl.setWindowExt(r.point(8));
        break;
    case kSetWindowOrgEx:
        pl.setWindowOrg(r.point(8));
        break;
    case kSetViewportExtEx:
        pl.setViewportExt(r.point(8));
        break;
    case kSetViewportOrgEx:
        pl.setViewportOrg(r.point(8));
        break;
    case kScaleViewportExtEx:
        pl.scaleViewportExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20));
        break;
    case kScaleWindowExtEx:
        pl.scaleWindowExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20));
        break;
    case kSetPixelV:
        pl.setPixel(r.point(8), colourRef(r.u32(16)));
        break;
    case kSetMapMode:
        pl.setMapMode(r.i32(8));
        break;
    case kSetBkMode:
        dc.bkOpaque = r.u32(8) == 2;
        break;
    case kSetPolyFillMode:
        dc.fill = r.u32(8) == 2 ? FillRule::Winding : FillRule::Alternate;
        break;
    case kSetRop2:
        dc.rop2 = static_cast<int>(r.u32(8) & 0xFF);
        break;
    case kSetTextAlign:
        dc.textAlign = r.u32(8);
        break;
    case kSetTextColor:
        pl.setTextColour(colourRef(r.u32(8)));
        break;
    case kSetBkColor:
        pl.setBkColour(colourRef(r.u32(8)));
        break;
    case kOffsetClipRgn: {
        const Point d = r.point(8);
        pl.offsetClip(d.x, d.y);
        break;
    }
    case kMoveToEx:
        pl.moveTo(r.point(8));
        break;
    case kLineTo:
        pl.lineTo(r.point(8));
        break;
    case kExcludeClipRect:
        pl.excludeClip(r.rect(8));
        break;
    case kIntersectClipRect:
        pl.intersectClip(r.rect(8));
        break;
    case kSaveDc:
        pl.save();
        break;
    case kRestoreDc:
        pl.restore(r.i32(8));
        break;
    case kSetWorldTransform:
        pl.setWorld(xform(r, 8));
        break;
    case kModifyWorldTransform:
        pl.modifyWorld(xform(r, 8), static_cast<int>(r.u32(32)));
        break;
    case kSelectObject: {
        const std::uint32_t ih = r.u32(8);
        if (ih & kStockObject)
            pl.selectStockObject(ih & ~kStockObject);
        else
            pl.selectObject(ih);
        break;
    }
    case kDeleteObject: {
        const std::uint32_t ih = r.u32(8);
        if (!(ih & kStockObject))
            pl.deleteObject(ih);
        break;
    }
    case kCreatePen: {
        Object o;
        o.kind = Object::Kind::Pen;
        o.pen.style = r.u32(12);
        o.pen.width = r.i32(16);
        o.pen.colour = colourRef(r.u32(24));
        pl.createObjectAt(r.u32(8), std::move(o));
        break;
    }
    case kExtCreatePen: {
        Object o;
        o.kind = Object::Kind::Pen;
        o.pen.extended = true;
        o.pen.style = r.u32(28);
        // Cosmetic pens are one pixel whatever their width says.
        o.pen.width = (o.pen.style & 0x10000) ? double(r.u32(32)) : 0;
        if (r.u32(36) == 1) // BS_NULL
            o.pen.style = (o.pen.style & ~0xFu) | 5;
        o.pen.colour = colourRef(r.u32(40));
        pl.createObjectAt(r.u32(8), std::move(o));
        break;
    }
    case kCreateBrushIndirect: {
        Object o;
        o.kind = Object::Kind::Brush;
        o.brush.style = r.u32(12);
        o.brush.colour = colourRef(r.u32(16));
        o.brush.hatch = r.u32(20);
        pl.createObjectAt(r.u32(8), std::move(o));
        break;
    }
    case kCreateMonoBrush:
    case kCreateDibPatternBrushPt:
        pl.createObjectAt(r.u32(8),
                          patternBrush(r, type == kCreateMonoBrush ? Colours::TextAndBackground
                                                                   : Colours::OfTheBitmap));
        break;
    case kExtCreateFontIndirectW: {
        Object o = fontObject(r.i32(12), r.i32(16), r.i32(20), r.i32(28), r.bytes(32, 8));
        std::string face;
        if (r.has(40, 64)) {
            Bytes name = r.bytes(40, 64);
            for (std::size_t i = 0; i < 32 && (name[2 * i] | name[2 * i + 1]); ++i)
                face.append(reinterpret_cast<const char*>(name + 2 * i), 2);
        }
        o.font.face = utf16ToUtf8(face);
        pl.createObjectAt(r.u32(8), std::move(o));
        break;
    }
    case kCreatePalette: {
        Object o;
        o.kind = Object::Kind::Other;
        pl.createObjectAt(r.u32(8), std::move(o));
        break;
    }
    case kAngleArc:
        pl.angleArc(r.point(8), r.u32(16), r.f32(20), r.f32(24));
        break;
    case kEllipse:
        pl.ellipse(r.rect(8));
        break;
    case kRectangle:
        pl.rectangle(r.rect(8));
        break;
    case kRoundRect:
        pl.roundRect(r.rect(8), r.i32(24), r.i32(28));
        break;
    case kArc:
    case kChord:
    case kPie:
    case kArcTo: {
        const auto kind = type == kArc     ? Player::ArcKind::Arc
                          : type == kChord ? Player::ArcKind::Chord
                          : type == kPie   ? Player::ArcKind::Pie
                                           : Player::ArcKind::ArcTo;
        pl.arc(r.rect(8), r.point(24), r.point(32), kind);
        break;
    }
    case kSetArcDirection:
        dc.clockwise = r.u32(8) == 2;
        break;
    case kBeginPath:
        pl.beginPath();
        break;
    case kEndPath:
        pl.endPath();
        break;
    case kCloseFigure:
        pl.closeFigure();
        break;
    case kFillPath:
        pl.fillPath();
        break;
    case kStrokeAndFillPath:
        pl.strokeAndFillPath();
        break;
    case kStrokePath:
        pl.strokePath();
        break;
    case kAbortPath:
        pl.abortPath();
        break;
    case kSelectClipPath:
        pl.selectClipPath(static_cast<Combine>(std::clamp<std::uint32_t>(r.u32(8), 1, 5)));
        break;
    case kExtSelectClipRgn: {
        const std::size_t cb = r.u32(8);
        const auto how = static_cast<Combine>(std::clamp<std::uint32_t>(r.u32(12), 1, 5));
        std::vector<Rect> rects;
        if (cb > 0 && r.has(16, cb))
            rects = readRegion(r, 16, cb);
        pl.selectClip(rects, Units::Device, how);
        break;
    }
    case kFillRgn:
    case kFrameRgn:
    case kPaintRgn: {
        const std::size_t cb = r.u32(24);
        const std::size_t at = type == kPaintRgn ? 28 : type == kFillRgn ? 32 : 40;
        if (!r.has(at, cb))
            pl.fail("record too short");
        const std::vector<Rect> rects = readRegion(r, at, cb);
        if (type == kPaintRgn) {
            pl.fillRegion(rects, Units::Device, nullptr);
            break;
        }
        const std::uint32_t ih = r.u32(28);
        LogBrush b;
        if (ih & kStockObject) {
            const DcState keep = dc;
            pl.selectStockObject(ih & ~kStockObject);
            b = pl.dc().brush;
            pl.dc() = keep;
        } else if (const Object* o = pl.object(ih); o && o->kind == Object::Kind::Brush) {
            b = o->brush;
        } else {
            break;
        }
        if (type == kFillRgn) {
            pl.fillRegion(rects, Units::Device, &b);
        } else {
            // The border's width and height are logical units; the region is
            // in device units, so the border is measured there too.
            pl.frameRegion(rects, Units::Device, b, r.i32(32), r.i32(36));
        }
        break;
    }
    case kBitBlt:
    case kStretchBlt:
    case kAlphaBlend:
    case kTransparentBlt:
        blit(type, r);
        break;
    case kSetDiBitsToDevice:
    case kStretchDiBits:
        stretchDib(type, r);
        break;
    case kExtTextOutA:
    case kExtTextOutW:
        text(r, type == kExtTextOutW ? Encoding::Utf16 : Encoding::CharacterSet);
        break;
    case kSmallTextOut:
        smallText(r);
        break;
    default:
        break; // palettes, colour management, comments (EMF+ included) and the like
    }
}

} // namespace

Metafile parseEmf(Bytes data, std::size_t size) {
    Reader rd(data, size, kEmf);
    if (size < kMinHeaderSize || le32(data) != kHeader || le32(data + 40) != kSignature)
        rd.fail("not an Enhanced Metafile");
    const std::size_t headerSize = le32(data + 4);
    if (headerSize < kMinHeaderSize || headerSize > size)
        rd.fail("header too short");
    auto i32at = [&](std::size_t at) { return double(static_cast<std::int32_t>(le32(data + at))); };
    const Rect bounds{i32at(8), i32at(12), i32at(16), i32at(20)};
    const Rect frame{i32at(24), i32at(28), i32at(32), i32at(36)};
    const double devW = i32at(72), devH = i32at(76), mmW = i32at(80), mmH = i32at(84);

    // The reference device's pixels a millimetre; a header that leaves them
    // out is taken at 96 dots an inch.
    const double ppmX = devW > 0 && mmW > 0 ? devW / mmW : 96 / 25.4;
    const double ppmY = devH > 0 && mmH > 0 ? devH / mmH : 96 / 25.4;

    // The frame (hundredths of a millimetre) at 96 dpi is the picture's size,
    // and it maps onto the whole picture; without a frame the bounds (device
    // pixels) stand in for it.
    double width = (frame.right - frame.left) * 96 / 2540;
    double height = (frame.bottom - frame.top) * 96 / 2540;
    double fx = frame.left / 100 * ppmX, fy = frame.top / 100 * ppmY;
    double fw = (frame.right - frame.left) / 100 * ppmX;
    double fh = (frame.bottom - frame.top) / 100 * ppmY;
    if (width < 0.5 || height < 0.5) {
        width = bounds.right - bounds.left + 1;
        height = bounds.bottom - bounds.top + 1;
        fx = bounds.left, fy = bounds.top, fw = width, fh = height;
    }
    if (!(width >= 0.5 && height >= 0.5) || width > kMaxSide + 1 || height > kMaxSide + 1) {
        const auto w = static_cast<std::int64_t>(std::clamp(width, -1.0, 1e9));
        const auto h = static_cast<std::int64_t>(std::clamp(height, -1.0, 1e9));
        Picture none;
        allocate(none, w, h, kEmf); // throws with the size
    }
    Metafile m;
    m.width = static_cast<int>(std::lround(width));
    m.height = static_cast<int>(std::lround(height));
    if (std::int64_t(m.width) * m.height * 4 > kMaxPixelBytes || m.width > kMaxSide ||
        m.height > kMaxSide) {
        Picture none;
        allocate(none, m.width, m.height, kEmf); // throws with the size
    }

    Device device;
    device.pixelsPerMmX = ppmX;
    device.pixelsPerMmY = ppmY;
    const double sx = m.width / fw, sy = m.height / fh;
    device.base = {sx, 0, 0, sy, -fx * sx, -fy * sy};
    Player player(m, kEmf, device);

    EmfPlayer emf(player);
    std::size_t at = headerSize;
    while (at + 8 <= size) {
        const std::uint32_t type = le32(data + at);
        const std::uint32_t recordSize = le32(data + at + 4);
        if (type == kEof)
            break;
        if (recordSize < 8)
            rd.fail("record too short");
        if (recordSize > size - at)
            rd.fail("record past the end of the file");
        emf.play(type, Record(data + at, recordSize, player));
        at += recordSize;
    }
    return m;
}

} // namespace taleplay::pictures::metafile
