#pragma once
// Windows metafiles (wmf, emf) as a display list. The records are read and
// played here, without Qt: object tables, the device context's state (pens,
// brushes, fonts, colours, mapping modes, origins and extents, world
// transforms, saved states, clipping) and embedded bitmaps. What comes out
// is a list of drawing operations in the output picture's own pixels, which
// a renderer of the platform layer draws; the checker and the fuzz targets
// stop at the list.
//
// We play the records ourselves rather than through libwmf or libemf2svg:
// libwmf's upstream has been dormant for years and its history is a long
// list of memory-safety fixes, libemf2svg reads EMF only and is not in
// Debian; a player of our own is bounded by the same limits as every other
// decoder here, fuzzed with them, and draws GDI's pixels (no smoothing,
// 8 x 8 hatches, pens of at least one pixel) where an SVG route would not.
#include "pictures/picture.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace taleplay::pictures::metafile {

struct Point {
    double x = 0;
    double y = 0;
};

struct Rect {
    double left = 0, top = 0, right = 0, bottom = 0;
};

// A path in output pixels: moves, lines, cubic Bezier curves (three points
// each) and closes, as GDI builds them.
struct Path {
    enum class Verb : std::uint8_t { Move, Line, Cubic, Close };
    std::vector<Verb> verbs;
    std::vector<Point> points; // one a Move or Line, three a Cubic, none a Close
    bool empty() const { return verbs.empty(); }
};

enum class PenStyle : std::uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Null };
enum class PenCap : std::uint8_t { Round, Square, Flat };
enum class PenJoin : std::uint8_t { Round, Bevel, Miter };

struct Pen {
    PenStyle style = PenStyle::Solid;
    double width = 1; // output pixels, at least 1
    std::uint32_t colour = 0xFF000000;
    PenCap cap = PenCap::Round;
    PenJoin join = PenJoin::Round;
};

// Hatched brushes arrive as patterns already: 8 x 8 pixels of the hatch
// colour over the background colour (or transparent, in transparent
// background mode), as GDI draws them.
struct Brush {
    enum class Style : std::uint8_t { Null, Solid, Pattern };
    Style style = Style::Solid;
    std::uint32_t colour = 0xFFFFFFFF;
    std::shared_ptr<const Picture> pattern; // tiled from the output's origin
};

enum class FillRule : std::uint8_t { Alternate, Winding };

// Clipping as the device context builds it. Each clip is a step on an
// earlier one (its parent; clips[0] is the whole picture, not clipped): a
// region of rectangles in output pixels, or a path, combined with the
// parent's region, or the parent moved by an offset.
struct ClipStep {
    enum class Combine : std::uint8_t { Replace, Intersect, Exclude, Union, Xor, Offset };
    Combine combine = Combine::Intersect;
    std::vector<Rect> rects; // the region, when path is empty
    Path path;
    FillRule fill = FillRule::Alternate;
    Point offset; // Offset only
};

struct Clip {
    std::uint32_t parent = 0;
    ClipStep step;
};

struct Font {
    std::string face; // UTF-8
    // Output pixels. A character height (the em) when cellHeight is false, the
    // height of the character cell (ascent and descent) when true, GDI's
    // negative and positive heights.
    double height = 16;
    bool cellHeight = false;
    double width = 0; // average character width, 0 for the font's own
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

struct Text {
    Point origin; // the reference point, output pixels
    std::string utf8;
    Font font;
    std::uint32_t colour = 0xFF000000;
    double angle = 0; // degrees, anticlockwise, as the escapement says
    // Alignment of the reference point to the text.
    enum class HAlign : std::uint8_t { Left, Center, Right } hAlign = HAlign::Left;
    enum class VAlign : std::uint8_t { Top, Baseline, Bottom } vAlign = VAlign::Top;
    std::vector<double> advances; // per character, output pixels; empty: the font's own
    double extra = 0;             // added to every character's advance
    bool opaqueBackground = false;
    std::uint32_t background = 0xFFFFFFFF;
    bool hasBox = false; // a rectangle given with the text
    Rect box;
    bool boxOpaque = false;  // filled with the background colour first
    bool boxClipped = false; // the text clipped to it
};

// A bitmap drawn into a parallelogram: destination corners of its source
// rectangle's top-left, top-right and bottom-left pixels' outer edges.
struct Image {
    std::shared_ptr<const Picture> picture;
    Rect source; // in the picture's pixels
    std::array<Point, 3> corners;
    std::uint32_t rop = 0x00CC0020; // SRCCOPY
};

struct Op {
    enum class Kind : std::uint8_t { Fill, Stroke, Text, Image, PatternBlit };
    Kind kind = Kind::Fill;
    std::uint8_t rop2 = 13;  // R2_COPYPEN: how a pen or brush meets the picture
    std::uint32_t clip = 0;  // index into Metafile::clips
    std::uint32_t index = 0; // into paths, texts or images, by kind
    FillRule fill = FillRule::Alternate;
    Pen pen;
    Brush brush;
    std::uint32_t rop3 = 0; // PatternBlit: the raster operation over its path
    // The gaps of a dashed line take the background colour in opaque mode.
    bool opaqueBackground = false;
    std::uint32_t background = 0xFFFFFFFF;
};

struct Metafile {
    int width = 0;
    int height = 0;
    std::vector<Op> ops;
    std::vector<Path> paths;
    std::vector<Text> texts;
    std::vector<Image> images;
    std::vector<Clip> clips{Clip{}}; // clips[0]: not clipped, its step unused
};

// Each throws PictureError naming the format on a damaged file.
Metafile parseWmf(Bytes data, std::size_t size);
Metafile parseEmf(Bytes data, std::size_t size);

// Reads an EPS file's preview as decodeEps does, without drawing a WMF one.
void checkEps(Bytes data, std::size_t size);

// Draws a display list; the platform layer sets one at start-up. Without
// one, drawing a metafile fails with a clear error (the checker reads
// metafiles without drawing them).
using Renderer = Picture (*)(const Metafile&);
void setRenderer(Renderer renderer);
Picture render(const Metafile& m, const char* format);

} // namespace taleplay::pictures::metafile
