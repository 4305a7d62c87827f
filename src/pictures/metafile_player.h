#pragma once
// The device context that WMF and EMF records play on: GDI's state, its
// object table and its drawing calls, turned into the display list of
// metafile.h. The two file readers only cut records and call this.
#include "pictures/metafile.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace taleplay::pictures::metafile::detail {

// x' = a x + c y + e, y' = b x + d y + f (GDI's XFORM, eM11 = a, eM12 = b,
// eM21 = c, eM22 = d, eDx = e, eDy = f).
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    Point map(Point p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
    // This transform applied after `first`.
    Affine after(const Affine& first) const;
    double det() const { return a * d - b * c; }
    bool axisAligned() const { return b == 0 && c == 0; }
    bool invertible() const;
};

enum class MapMode {
    Text = 1,
    LoMetric,
    HiMetric,
    LoEnglish,
    HiEnglish,
    Twips,
    Isotropic,
    Anisotropic
};

struct LogPen {
    unsigned style = 0; // PS_* with end cap and join bits
    double width = 0;   // logical units
    std::uint32_t colour = 0xFF000000;
    bool extended = false; // ExtCreatePen: dashes at any width
};

struct LogBrush {
    unsigned style = 0; // BS_SOLID, BS_NULL, BS_HATCHED, BS_PATTERN, ...
    std::uint32_t colour = 0xFFFFFFFF;
    unsigned hatch = 0;
    std::shared_ptr<const Picture> pattern;
    // A two-colour pattern drawn in the text and background colours of the
    // moment (GDI's monochrome pattern bitmaps): pattern holds black and
    // white, which become those colours.
    bool monochrome = false;
};

struct LogFont {
    double height = 0;
    double width = 0;
    double escapement = 0; // tenths of a degree
    int weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    unsigned charset = 1;
    std::string face; // UTF-8
};

// How a call names its points or text: small enums instead of flags.
enum class From { FirstPoint, CurrentPosition }; // where a line starts
enum class Units { Logical, Device };            // of a region
enum class Encoding { CharacterSet, Utf16 };     // of text bytes
enum class Paint { PathOnly, Outline, Fill, FillAndOutline };

struct Object {
    enum class Kind { None, Pen, Brush, Font, Region, Other };
    Kind kind = Kind::None;
    LogPen pen;
    LogBrush brush;
    LogFont font;
    std::vector<Rect> region; // rectangles, in the record's units
};

enum class Combine { And = 1, Or, Xor, Diff, Copy }; // RGN_*

struct DcState {
    LogPen pen;
    LogBrush brush;
    LogFont font;
    std::uint32_t textColour = 0xFF000000;
    std::uint32_t bkColour = 0xFFFFFFFF;
    bool bkOpaque = true;
    int rop2 = 13;
    FillRule fill = FillRule::Alternate;
    unsigned textAlign = 0;
    double charExtra = 0;
    MapMode mode = MapMode::Text;
    Point windowOrg{0, 0}, windowExt{1, 1}, viewportOrg{0, 0}, viewportExt{1, 1};
    Affine world;
    Point current; // logical
    std::uint32_t clip = 0;
    bool clockwise = false; // arc direction
};

// What the records' logical units become: the output picture's pixels
// through `base`, from the reference device's pixels, at `pixelsPerMm`
// of that device for the mapping modes with real units.
struct Device {
    Affine base;
    double pixelsPerMmX = 96 / 25.4;
    double pixelsPerMmY = 96 / 25.4;
    // Placeable metafiles are drawn in their own units: MM_TEXT then maps
    // their window, not pixels, onto the picture.
    bool textModeIsAnisotropic = false;
};

class Player {
  public:
    Player(Metafile& out, const char* format, const Device& device);

    DcState& dc() { return dc_; }
    [[noreturn]] void fail(const char* why) const;

    // Device context.
    void save();
    void restore(int which); // negative: relative to the top; positive: absolute
    void setMapMode(int mode);
    void setWindowOrg(Point p);
    void setWindowExt(Point p);
    void setViewportOrg(Point p);
    void setViewportExt(Point p);
    void scaleWindowExt(double xNum, double xDen, double yNum, double yDen);
    void scaleViewportExt(double xNum, double xDen, double yNum, double yDen);
    void setWorld(const Affine& t);
    void modifyWorld(const Affine& t, int mode); // MWT_IDENTITY, LEFTMULTIPLY, RIGHTMULTIPLY
    void setTextColour(std::uint32_t c) { dc_.textColour = c; }
    void setBkColour(std::uint32_t c) { dc_.bkColour = c; }

    // Objects: WMF puts each new one in the lowest free slot, EMF names it.
    void createObject(Object o);
    void createObjectAt(std::uint32_t slot, Object o);
    void selectObject(std::uint32_t slot);
    void selectStockObject(std::uint32_t which);
    void deleteObject(std::uint32_t slot);
    const Object* object(std::uint32_t slot) const;

    // Drawing, in logical units.
    void moveTo(Point p);
    void lineTo(Point p);
    void polyline(const std::vector<Point>& pts, From from = From::FirstPoint);
    void polygon(const std::vector<Point>& pts);
    void polyPolygon(const std::vector<std::vector<Point>>& polys);
    void polyPolyline(const std::vector<std::vector<Point>>& lines);
    void bezier(const std::vector<Point>& pts, From from);
    void rectangle(Rect r);
    void roundRect(Rect r, double cornerWidth, double cornerHeight);
    void ellipse(Rect r);
    enum class ArcKind { Arc, ArcTo, Chord, Pie };
    void arc(Rect r, Point start, Point end, ArcKind kind);
    void angleArc(Point centre, double radius, double startDegrees, double sweepDegrees);
    void setPixel(Point p, std::uint32_t colour);
    // Text bytes in the selected font's character set, or UTF-16LE units.
    void text(Point p, const std::string& bytes, Encoding encoding, unsigned options,
              const std::optional<Rect>& box, const std::vector<double>& dx);
    // A bitmap drawn into a logical rectangle (width or height may be negative).
    void image(Rect dest, std::shared_ptr<const Picture> pic, Rect source, std::uint32_t rop);
    // A rectangle filled by a raster operation with the brush (PatBlt).
    void patternBlit(Rect dest, std::uint32_t rop);
    // Regions, given in `logicalRegion` units (WMF) or device units (EMF).
    void fillRegion(const std::vector<Rect>& rects, Units units, const LogBrush* brush);
    void frameRegion(const std::vector<Rect>& rects, Units units, const LogBrush& brush, double w,
                     double h);

    // Clipping.
    void intersectClip(Rect r);
    void excludeClip(Rect r);
    void selectClip(const std::vector<Rect>& rects, Units units, Combine how);
    void resetClip();
    void offsetClip(double dx, double dy);

    // Paths (EMF).
    void beginPath();
    void endPath();
    void abortPath();
    void closeFigure();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void selectClipPath(Combine how);

    // Bitmaps count against the pixel budget of the whole metafile.
    void chargePixels(std::int64_t pixels);

  private:
    Affine transform() const;
    Affine pageTransform() const;
    Point toDevice(Point p) const { return transform().map(p); }
    Point clampPoint(Point p) const;
    Pen devicePen() const;
    Brush deviceBrush(const LogBrush& b);
    Font deviceFont() const;
    void emit(Op op);
    void shape(const Path& path, Paint paint);
    Rect gdiInset(Rect r) const;
    Path rectPath(Rect r) const;
    Path ellipsePath(Rect r) const;
    void addPoint(Path& p, Path::Verb v, Point logical) const;
    enum class Join { Move, Line }; // how an arc meets what comes before it
    void arcPoints(Path& p, Rect r, double from, double sweep, Join join) const;
    double sweepBetween(Rect r, Point start, Point end, double& from) const;
    std::vector<Rect> regionToDevice(const std::vector<Rect>& rects, Units units) const;
    void pushClip(ClipStep step);
    std::shared_ptr<const Picture> hatchPattern(unsigned hatch, std::uint32_t colour);
    std::shared_ptr<const Picture> colouredPattern(const LogBrush& b);
    void countPoints(std::size_t n);

    Metafile& out_;
    const char* format_;
    Device device_;
    DcState dc_;
    std::vector<DcState> saved_;
    std::vector<Object> objects_;
    std::size_t lowestFree_ = 0;
    bool inPath_ = false;
    Path path_; // being built, output pixels
    bool pathReady_ = false;
    std::int64_t pixelsLeft_;
    std::size_t pointsLeft_;
    std::map<std::tuple<unsigned, std::uint32_t, std::uint32_t>, std::shared_ptr<const Picture>>
        hatches_;
    std::map<std::tuple<const Picture*, std::uint32_t, std::uint32_t>,
             std::shared_ptr<const Picture>>
        coloured_;
};

// Windows colour references (0x00BBGGRR) as opaque 0xAARRGGBB; palette
// index references take black (no palette is realised).
std::uint32_t colourRef(std::uint32_t ref);

// A DIB (header, colour table, bits) decoded with the BMP reader; nothing
// when it cannot be read, as GDI then draws nothing.
std::shared_ptr<const Picture> readDib(Bytes data, std::size_t size, Player& player);

// A font object from a LOGFONT's sizes and weight and its eight bytes from
// lfItalic on (italic, underline, strike-out, character set, ...), which WMF
// and EMF store alike; the face name is the caller's, as their encodings
// differ.
Object fontObject(double height, double width, double escapement, int weight, Bytes flags);

// Text bytes of a font's character set as UTF-8.
std::string textToUtf8(const std::string& bytes, unsigned charset);
std::string utf16ToUtf8(const std::string& bytes);

} // namespace taleplay::pictures::metafile::detail
