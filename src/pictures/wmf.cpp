// Windows Metafiles (wmf): the placeable header, the metafile header and
// the records, played on the device context of metafile_player.h.
#include "pictures/decode_util.h"
#include "pictures/metafile_player.h"

#include <cmath>

namespace taleplay::pictures::metafile {

using namespace detail;
using pictures::detail::le16;
using pictures::detail::le32;
using pictures::detail::Reader;

namespace {

constexpr const char* kWmf = "WMF";
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kHeaderSize = 18;

// Record functions.
enum : unsigned {
    kEof = 0x0000,
    kSaveDc = 0x001E,
    kRealizePalette = 0x0035,
    kCreatePalette = 0x00F7,
    kSetBkMode = 0x0102,
    kSetMapMode = 0x0103,
    kSetRop2 = 0x0104,
    kSetPolyFillMode = 0x0106,
    kSetTextCharExtra = 0x0108,
    kRestoreDc = 0x0127,
    kPaintRegion = 0x012B,
    kSelectClipRegion = 0x012C,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kDibCreatePatternBrush = 0x0142,
    kDeleteObject = 0x01F0,
    kCreatePatternBrush = 0x01F9,
    kSetBkColor = 0x0201,
    kSetTextColor = 0x0209,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kSetViewportOrg = 0x020D,
    kSetViewportExt = 0x020E,
    kOffsetWindowOrg = 0x020F,
    kOffsetViewportOrg = 0x0211,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kOffsetClipRgn = 0x0220,
    kFillRegion = 0x0228,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kCreateBitmapIndirect = 0x02FD,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kScaleWindowExt = 0x0410,
    kScaleViewportExt = 0x0412,
    kExcludeClipRect = 0x0415,
    kIntersectClipRect = 0x0416,
    kEllipse = 0x0418,
    kRectangle = 0x041B,
    kSetPixel = 0x041F,
    kFrameRegion = 0x0429,
    kTextOut = 0x0521,
    kPolyPolygon = 0x0538,
    kRoundRect = 0x061C,
    kPatBlt = 0x061D,
    kCreateBitmap = 0x06FE,
    kCreateRegion = 0x06FF,
    kArc = 0x0817,
    kPie = 0x081A,
    kChord = 0x0830,
    kBitBlt = 0x0922,
    kDibBitBlt = 0x0940,
    kExtTextOut = 0x0A32,
    kStretchBlt = 0x0B23,
    kDibStretchBlt = 0x0B41,
    kSetDibToDev = 0x0D33,
    kStretchDib = 0x0F43,
};

constexpr unsigned kDibPalColours = 1;

// The parameters of one record: 16-bit words after the size and function.
class Params {
  public:
    Params(Bytes p, std::size_t bytes, const Player& player)
        : p_(p), bytes_(bytes), player_(player) {}

    std::size_t words() const { return bytes_ / 2; }
    std::int16_t s(std::size_t i) const { return static_cast<std::int16_t>(u(i)); }
    std::uint16_t u(std::size_t i) const {
        need(2 * i + 2);
        return le16(p_ + 2 * i);
    }
    std::uint32_t u32(std::size_t i) const {
        need(2 * i + 4);
        return le32(p_ + 2 * i);
    }
    Bytes bytes(std::size_t wordIndex, std::size_t n) const {
        need(2 * wordIndex + n);
        return p_ + 2 * wordIndex;
    }
    std::size_t bytesFrom(std::size_t wordIndex) const {
        return 2 * wordIndex <= bytes_ ? bytes_ - 2 * wordIndex : 0;
    }
    // Stored bottom, right, top, left from word i.
    Rect reversedRect(std::size_t i) const {
        return {double(s(i + 3)), double(s(i + 2)), double(s(i + 1)), double(s(i))};
    }
    // Stored y, x from word i.
    Point yx(std::size_t i) const { return {double(s(i + 1)), double(s(i))}; }
    std::vector<Point> points(std::size_t from, std::size_t count) const {
        need(2 * from + 4 * count);
        std::vector<Point> pts(count);
        for (std::size_t k = 0; k < count; ++k)
            pts[k] = {double(s(from + 2 * k)), double(s(from + 2 * k + 1))};
        return pts;
    }

  private:
    void need(std::size_t n) const {
        if (n > bytes_)
            player_.fail("record too short");
    }
    Bytes p_;
    std::size_t bytes_;
    const Player& player_;
};

// A DIB inside a record: nothing when it uses palette indices, which this
// player does not follow.
struct Dib {
    std::shared_ptr<const Picture> picture;
    bool bottomUp = true;
};

Dib readWmfDib(const Params& p, std::size_t word, unsigned usage, Player& player) {
    Dib d;
    const std::size_t n = p.bytesFrom(word);
    if (usage == kDibPalColours || n < 16)
        return d;
    Bytes b = p.bytes(word, n);
    d.bottomUp = le32(b) == 12 || static_cast<std::int32_t>(le32(b + 8)) > 0;
    d.picture = readDib(b, n, player);
    return d;
}

// A device-dependent bitmap of Windows 3.0 (Bitmap16): only its two-colour
// and true-colour forms have a meaning without the device. Two-colour ones
// come out black and white; `monochrome` says so.
std::shared_ptr<const Picture> readBitmap16(const Params& p, std::size_t word,
                                            std::size_t bitsOffset, Player& player,
                                            bool& monochrome) {
    const std::int64_t w = p.s(word + 1), h = p.s(word + 2);
    const std::int64_t stride = p.s(word + 3);
    Bytes planeBits = p.bytes(word + 4, 2);
    const unsigned planes = planeBits[0], bits = planeBits[1];
    if (w <= 0 || h <= 0 || planes != 1 || (bits != 1 && bits != 24 && bits != 32) ||
        stride < (w * bits + 7) / 8 || w > kMaxSide || h > kMaxSide)
        return nullptr;
    const std::size_t need = static_cast<std::size_t>(stride * h);
    if (p.bytesFrom(word) < bitsOffset + need)
        return nullptr;
    player.chargePixels(w * h);
    Bytes data = p.bytes(word, bitsOffset + need) + bitsOffset;
    auto pic = std::make_shared<Picture>();
    allocate(*pic, w, h, kWmf);
    for (std::int64_t y = 0; y < h; ++y) {
        Bytes row = data + y * stride;
        for (std::int64_t x = 0; x < w; ++x) {
            std::uint32_t px;
            if (bits == 1)
                px = (row[x / 8] >> (7 - x % 8)) & 1 ? 0xFFFFFFFFu : 0xFF000000u;
            else
                px = pictures::detail::argb(row[x * (bits / 8) + 2], row[x * (bits / 8) + 1],
                                            row[x * (bits / 8)]);
            pic->pixels[static_cast<std::size_t>(y * w + x)] = px;
        }
    }
    monochrome = bits == 1;
    return pic;
}

// A region object: its scans, each a band of rectangles between a top and a
// bottom.
std::vector<Rect> readRegion(const Params& p) {
    std::vector<Rect> rects;
    const std::size_t scans = p.u(6);
    std::size_t w = 11; // after the header and the bounding box
    for (std::size_t i = 0; i < scans; ++i) {
        const std::size_t count = p.u(w);
        const double top = p.s(w + 1), bottom = p.s(w + 2);
        for (std::size_t k = 0; k + 1 < count; k += 2)
            rects.push_back({double(p.s(w + 3 + k)), top, double(p.s(w + 4 + k)), bottom});
        w += 3 + count + 1;
    }
    return rects;
}

Object penObject(const Params& p) {
    Object o;
    o.kind = Object::Kind::Pen;
    o.pen.style = p.u(0);
    o.pen.width = p.s(1);
    o.pen.colour = colourRef(p.u32(3));
    return o;
}

Object brushObject(const Params& p) {
    Object o;
    o.kind = Object::Kind::Brush;
    o.brush.style = p.u(0);
    o.brush.colour = colourRef(p.u32(1));
    o.brush.hatch = p.words() > 3 ? p.u(3) : 0;
    return o;
}

Object fontObject(const Params& p) {
    Object o = detail::fontObject(p.s(0), p.s(1), p.s(2), p.s(4), p.bytes(5, 8));
    std::string face;
    const std::size_t room = std::min<std::size_t>(p.bytesFrom(9), 32);
    Bytes name = room ? p.bytes(9, room) : nullptr;
    for (std::size_t i = 0; i < room && name[i] != 0; ++i)
        face += static_cast<char>(name[i]);
    // Face names are in the font's own character set.
    o.font.face = textToUtf8(face, o.font.charset);
    return o;
}

class WmfPlayer {
  public:
    WmfPlayer(Player& player) : player_(player) {}
    void play(unsigned function, const Params& p);

  private:
    void blit(const Params& p, unsigned function);
    Player& player_;
};

void WmfPlayer::play(unsigned function, const Params& p) {
    Player& pl = player_;
    DcState& dc = pl.dc();
    switch (function) {
    case kSaveDc:
        pl.save();
        break;
    case kRestoreDc:
        pl.restore(p.s(0));
        break;
    case kSetBkMode:
        dc.bkOpaque = p.u(0) == 2;
        break;
    case kSetBkColor:
        pl.setBkColour(colourRef(p.u32(0)));
        break;
    case kSetTextColor:
        pl.setTextColour(colourRef(p.u32(0)));
        break;
    case kSetMapMode:
        pl.setMapMode(p.u(0));
        break;
    case kSetRop2:
        dc.rop2 = p.u(0);
        break;
    case kSetPolyFillMode:
        dc.fill = p.u(0) == 2 ? FillRule::Winding : FillRule::Alternate;
        break;
    case kSetTextAlign:
        dc.textAlign = p.u(0);
        break;
    case kSetTextCharExtra:
        dc.charExtra = p.s(0);
        break;
    case kSetWindowOrg:
        pl.setWindowOrg(p.yx(0));
        break;
    case kSetWindowExt:
        pl.setWindowExt(p.yx(0));
        break;
    case kSetViewportOrg:
        pl.setViewportOrg(p.yx(0));
        break;
    case kSetViewportExt:
        pl.setViewportExt(p.yx(0));
        break;
    case kOffsetWindowOrg: {
        const Point d = p.yx(0);
        pl.setWindowOrg({dc.windowOrg.x + d.x, dc.windowOrg.y + d.y});
        break;
    }
    case kOffsetViewportOrg: {
        const Point d = p.yx(0);
        pl.setViewportOrg({dc.viewportOrg.x + d.x, dc.viewportOrg.y + d.y});
        break;
    }
    case kScaleWindowExt:
        pl.scaleWindowExt(p.s(3), p.s(2), p.s(1), p.s(0));
        break;
    case kScaleViewportExt:
        pl.scaleViewportExt(p.s(3), p.s(2), p.s(1), p.s(0));
        break;
    case kExcludeClipRect:
        pl.excludeClip(p.reversedRect(0));
        break;
    case kIntersectClipRect:
        pl.intersectClip(p.reversedRect(0));
        break;
    case kOffsetClipRgn: {
        const Point d = p.yx(0);
        pl.offsetClip(d.x, d.y);
        break;
    }
    case kSelectClipRegion: {
        const Object* o = pl.object(p.u(0));
        if (o && o->kind == Object::Kind::Region)
            pl.selectClip(o->region, Units::Logical, Combine::Copy);
        else
            pl.resetClip();
        break;
    }
    case kMoveTo:
        pl.moveTo(p.yx(0));
        break;
    case kLineTo:
        pl.lineTo(p.yx(0));
        break;
    case kRectangle:
        pl.rectangle(p.reversedRect(0));
        break;
    case kRoundRect:
        pl.roundRect(p.reversedRect(2), p.s(1), p.s(0));
        break;
    case kEllipse:
        pl.ellipse(p.reversedRect(0));
        break;
    case kArc:
    case kPie:
    case kChord: {
        const auto kind = function == kArc   ? Player::ArcKind::Arc
                          : function == kPie ? Player::ArcKind::Pie
                                             : Player::ArcKind::Chord;
        pl.arc(p.reversedRect(4), p.yx(2), p.yx(0), kind);
        break;
    }
    case kPolygon:
        pl.polygon(p.points(1, p.u(0)));
        break;
    case kPolyline:
        pl.polyline(p.points(1, p.u(0)));
        break;
    case kPolyPolygon: {
        const std::size_t n = p.u(0);
        std::vector<std::vector<Point>> polys;
        std::size_t at = 1 + n;
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t count = p.u(1 + i);
            polys.push_back(p.points(at, count));
            at += 2 * count;
        }
        pl.polyPolygon(polys);
        break;
    }
    case kSetPixel:
        pl.setPixel(p.yx(2), colourRef(p.u32(0)));
        break;
    case kTextOut: {
        const std::size_t n = static_cast<std::uint16_t>(p.s(0));
        Bytes s = p.bytes(1, n);
        const std::size_t after = 1 + (n + 1) / 2;
        pl.text(p.yx(after), std::string(s, s + n), Encoding::CharacterSet, 0, std::nullopt, {});
        break;
    }
    case kExtTextOut: {
        const Point at = p.yx(0);
        const std::size_t n = static_cast<std::uint16_t>(p.s(2));
        const unsigned options = p.u(3);
        std::size_t w = 4;
        std::optional<Rect> box;
        if (options & 0x6) {
            box = Rect{double(p.s(4)), double(p.s(5)), double(p.s(6)), double(p.s(7))};
            w = 8;
        }
        Bytes s = n ? p.bytes(w, n) : nullptr;
        const std::size_t dxAt = w + (n + 1) / 2;
        // The spacing is optional; writers that leave it out are common.
        std::vector<double> dx;
        if (p.words() >= dxAt + n)
            for (std::size_t i = 0; i < n; ++i)
                dx.push_back(p.s(dxAt + i));
        pl.text(at, n ? std::string(s, s + n) : std::string(), Encoding::CharacterSet, options, box,
                dx);
        break;
    }
    case kPatBlt: {
        const double h = p.s(2), w = p.s(3), y = p.s(4), x = p.s(5);
        pl.patternBlit({x, y, x + w, y + h}, p.u32(0));
        break;
    }
    case kBitBlt:
    case kStretchBlt:
    case kDibBitBlt:
    case kDibStretchBlt:
    case kStretchDib:
    case kSetDibToDev:
        blit(p, function);
        break;
    case kCreatePenIndirect:
        pl.createObject(penObject(p));
        break;
    case kCreateBrushIndirect:
        pl.createObject(brushObject(p));
        break;
    case kCreateFontIndirect:
        pl.createObject(fontObject(p));
        break;
    case kDibCreatePatternBrush: {
        Object o;
        o.kind = Object::Kind::Brush;
        o.brush.style = 5; // BS_DIBPATTERN
        Dib d = readWmfDib(p, 2, p.u(1), pl);
        o.brush.pattern = d.picture;
        pl.createObject(std::move(o));
        break;
    }
    case kCreatePatternBrush: {
        Object o;
        o.kind = Object::Kind::Brush;
        o.brush.style = 3; // BS_PATTERN
        bool mono = false;
        // The bitmap's header (14 bytes), 18 reserved bytes, then its bits.
        o.brush.pattern = readBitmap16(p, 0, 32, pl, mono);
        o.brush.monochrome = mono;
        pl.createObject(std::move(o));
        break;
    }
    case kCreateRegion: {
        Object o;
        o.kind = Object::Kind::Region;
        o.region = readRegion(p);
        pl.createObject(std::move(o));
        break;
    }
    case kCreatePalette:
    case kCreateBitmapIndirect:
    case kCreateBitmap: {
        // Still take a slot, or the objects after it would be numbered wrong.
        Object o;
        o.kind = Object::Kind::Other;
        pl.createObject(std::move(o));
        break;
    }
    case kSelectObject:
        pl.selectObject(p.u(0));
        break;
    case kDeleteObject:
        pl.deleteObject(p.u(0));
        break;
    case kFillRegion:
    case kPaintRegion:
    case kFrameRegion: {
        const Object* region = pl.object(p.u(0));
        if (!region || region->kind != Object::Kind::Region)
            break;
        const std::vector<Rect> rects = region->region;
        if (function == kPaintRegion) {
            pl.fillRegion(rects, Units::Logical, nullptr);
            break;
        }
        const Object* brush = pl.object(p.u(1));
        if (!brush || brush->kind != Object::Kind::Brush)
            break;
        const LogBrush b = brush->brush;
        if (function == kFillRegion)
            pl.fillRegion(rects, Units::Logical, &b);
        else
            pl.frameRegion(rects, Units::Logical, b, p.s(3), p.s(2));
        break;
    }
    default:
        break; // palettes, escapes, flood fills and the like: nothing to draw
    }
}

void WmfPlayer::blit(const Params& p, unsigned function) {
    Player& pl = player_;
    const std::uint32_t rop = function == kSetDibToDev ? 0x00CC0020 : p.u32(0);
    // The forms without a bitmap have as many parameter words as the
    // function's high byte says, one of them reserved.
    const std::size_t plainWords = function >> 8;
    const bool withBitmap =
        function == kStretchDib || function == kSetDibToDev || p.words() > plainWords;
    Rect dest, src;
    std::size_t bitmapAt = 0;
    switch (function) {
    case kBitBlt:
    case kDibBitBlt: {
        const std::size_t k = withBitmap ? 0 : 1;
        const double ySrc = p.s(2), xSrc = p.s(3);
        const double h = p.s(4 + k), w = p.s(5 + k), y = p.s(6 + k), x = p.s(7 + k);
        dest = {x, y, x + w, y + h};
        src = {xSrc, ySrc, xSrc + w, ySrc + h};
        bitmapAt = 8;
        break;
    }
    case kStretchBlt:
    case kDibStretchBlt: {
        const std::size_t k = withBitmap ? 0 : 1;
        const double sh = p.s(2), sw = p.s(3), ySrc = p.s(4), xSrc = p.s(5);
        const double h = p.s(6 + k), w = p.s(7 + k), y = p.s(8 + k), x = p.s(9 + k);
        dest = {x, y, x + w, y + h};
        src = {xSrc, ySrc, xSrc + sw, ySrc + sh};
        bitmapAt = 10;
        break;
    }
    case kStretchDib: {
        const double sh = p.s(3), sw = p.s(4), ySrc = p.s(5), xSrc = p.s(6);
        const double h = p.s(7), w = p.s(8), y = p.s(9), x = p.s(10);
        dest = {x, y, x + w, y + h};
        src = {xSrc, ySrc, xSrc + sw, ySrc + sh};
        bitmapAt = 11;
        break;
    }
    case kSetDibToDev: {
        const double yDib = p.s(3), xDib = p.s(4), h = p.s(5), w = p.s(6), y = p.s(7), x = p.s(8);
        dest = {x, y, x + w, y + h};
        src = {xDib, yDib, xDib + w, yDib + h};
        bitmapAt = 9;
        break;
    }
    }
    if (!withBitmap) {
        pl.image(dest, nullptr, src, rop);
        return;
    }
    std::shared_ptr<const Picture> pic;
    if (function == kBitBlt || function == kStretchBlt) {
        bool mono = false;
        pic = readBitmap16(p, bitmapAt, 10, pl, mono);
        if (pic && mono) {
            // Two-colour bitmaps take the text and background colours.
            auto coloured = std::make_shared<Picture>(*pic);
            for (std::uint32_t& px : coloured->pixels)
                px = (px & 0xFFFFFF) == 0 ? pl.dc().textColour : pl.dc().bkColour;
            pic = coloured;
        }
    } else {
        const unsigned usage = function == kStretchDib    ? p.u(2)
                               : function == kSetDibToDev ? p.u(0)
                                                          : 0;
        const Dib d = readWmfDib(p, bitmapAt, usage, pl);
        pic = d.picture;
        // StretchDIBits and SetDIBitsToDevice count the source rectangle of a
        // bottom-up bitmap from its bottom row.
        if (pic && d.bottomUp && (function == kStretchDib || function == kSetDibToDev)) {
            const double h = src.bottom - src.top;
            src.top = pic->height - src.top - h;
            src.bottom = src.top + h;
        }
    }
    if (!pic)
        return;
    pl.image(dest, pic, src, rop);
}

// Where a metafile without a placeable header draws: the window its records
// set, in the units of their mapping mode, or nothing.
bool windowOf(Bytes data, std::size_t size, std::size_t at, Rect& window, int& mode) {
    bool found = false;
    Point org{0, 0};
    mode = 1;
    while (at + 6 <= size) {
        const std::uint64_t bytes = std::uint64_t(le32(data + at)) * 2;
        const unsigned function = le16(data + at + 4);
        if (bytes < 6 || bytes > size - at || function == kEof)
            break;
        if (bytes >= 10) {
            const double y = static_cast<std::int16_t>(le16(data + at + 6));
            const double x = static_cast<std::int16_t>(le16(data + at + 8));
            if (function == kSetWindowOrg)
                org = {x, y};
            else if (function == kSetWindowExt && !found) {
                window = {org.x, org.y, org.x + x, org.y + y};
                found = true;
            }
        }
        if (function == kSetMapMode && bytes >= 8)
            mode = le16(data + at + 6);
        at += bytes;
    }
    window = {org.x, org.y, org.x + (window.right - window.left),
              org.y + (window.bottom - window.top)};
    return found;
}

} // namespace

Metafile parseWmf(Bytes data, std::size_t size) {
    Reader r(data, size, kWmf);
    std::size_t at = 0;
    Rect box;
    double unitsPerInch = 0;
    const bool placeable = size >= kPlaceableSize && le32(data) == kPlaceableKey;
    if (placeable) {
        box = {double(static_cast<std::int16_t>(le16(data + 6))),
               double(static_cast<std::int16_t>(le16(data + 8))),
               double(static_cast<std::int16_t>(le16(data + 10))),
               double(static_cast<std::int16_t>(le16(data + 12)))};
        unitsPerInch = le16(data + 14);
        if (unitsPerInch == 0)
            unitsPerInch = 1440; // the usual value, for writers that leave it out
        at = kPlaceableSize;
    }
    if (size < at + kHeaderSize)
        r.fail("not a Windows Metafile");
    Bytes h = r.at(at, kHeaderSize);
    const unsigned type = le16(h), headerWords = le16(h + 2);
    if ((type != 1 && type != 2) || headerWords != 9)
        r.fail("not a Windows Metafile");
    at += kHeaderSize;

    Metafile m;
    double width = 0, height = 0;
    if (placeable) {
        width = std::abs(box.right - box.left) * 96 / unitsPerInch;
        height = std::abs(box.bottom - box.top) * 96 / unitsPerInch;
    } else {
        int mode = 1;
        if (!windowOf(data, size, at, box, mode))
            pictureFails(
                TALEPLAY_TEXT("Pictures",
                              "%1 picture has no size (no placeable header and no window)"),
                {"WMF"});
        // The window in its mapping mode's units, at 96 pixels an inch.
        static constexpr double kMmPer[9] = {1, 0, 0.1, 0.01, 0.254, 0.0254, 25.4 / 1440, 0, 0};
        const double perUnit = mode >= 2 && mode <= 6 ? kMmPer[mode] * 96 / 25.4 : 1;
        width = std::abs(box.right - box.left) * perUnit;
        height = std::abs(box.bottom - box.top) * perUnit;
    }
    // Both are below 2^23 (16-bit units at one or more units an inch).
    m.width = static_cast<int>(std::lround(width));
    m.height = static_cast<int>(std::lround(height));
    if (m.width <= 0 || m.height <= 0)
        r.fail("bad dimensions");
    // The size is checked against the limits before anything is drawn.
    if (std::int64_t(m.width) * m.height * 4 > kMaxPixelBytes || m.width > kMaxSide ||
        m.height > kMaxSide) {
        Picture none;
        allocate(none, m.width, m.height, kWmf); // throws with the size
    }

    // The records' window is drawn onto the whole picture.
    Device device;
    device.textModeIsAnisotropic = true;
    Player player(m, kWmf, device);
    player.setWindowOrg({box.left, box.top});
    player.setWindowExt({box.right - box.left, box.bottom - box.top});
    player.setViewportExt({double(m.width), double(m.height)});
    if (!placeable) {
        int mode = 1;
        Rect ignored;
        windowOf(data, size, at, ignored, mode);
        if (mode >= 2 && mode <= 6)
            player.setMapMode(mode);
    }

    WmfPlayer wmf(player);
    while (at + 6 <= size) {
        const std::uint64_t bytes = std::uint64_t(le32(data + at)) * 2;
        const unsigned function = le16(data + at + 4);
        if (function == kEof)
            break;
        if (bytes < 6)
            r.fail("record too short");
        if (bytes > size - at)
            r.fail("record past the end of the file");
        wmf.play(function, Params(data + at + 6, static_cast<std::size_t>(bytes - 6), player));
        at += static_cast<std::size_t>(bytes);
    }
    return m;
}

} // namespace taleplay::pictures::metafile
