// The play screen's background builder and the picture screens of the end screens.
#include "scene/taleforge_serv_backpic.h"

#include "core/errors.h"
#include "core/paths.h"
#include "descr/File_functions.h"
#include "descr/Stroki_functions.h"
#include "descr/colour_values.h"
#include "game/game.h"
#include "platform/system.h"
#include "scene/scene_steps.h"
#include "scene/sound_video.h"

#include <algorithm>
#include <array>

namespace taleplay {
namespace {

constexpr int kPictureCount = 50;
constexpr int kShapeCount = 30;
// Background tiles made as controls of their own, at most: 16 x 16 tiles on
// a 1920 x 1080 screen (8,228) are still single controls; past this a tile so
// small is shown by one control that repeats it.
constexpr std::size_t kMostTileControls = 10'000;

// Makes the tiles of a frame wider (or taller) until the last, partial tile
// is at least four fifths of a tile, so no sliver ends the edge. An exact fit
// (remainder 0) does not count, unless the tile is below 5 pixels.
int widenUntilLastTileFits(int length, int tile) {
    // A tile longer than the edge is one tile cut to the edge; widening it
    // further changes nothing on the screen and, past 5/4 of the edge, would
    // never end.
    while (tile <= length && length - (length / tile) * tile < 4 * (tile / 5))
        ++tile;
    return tile;
}

ImageControl& createImage(Game& game, const std::string& name, Stretch stretch, bool autoSize,
                          bool transparent) {
    ImageControl& image = game.host().createImage(name);
    image.setStretch(stretch == Stretch::On);
    image.setAutoSize(autoSize);
    image.setTransparent(transparent);
    return image;
}

// (1) The colour that shows wherever nothing covers the window.
void SetScreenColour(Game& game, const std::string& file) {
    const std::string value = keyValue(file, "*screencolor*");
    if (!value.empty())
        game.host().setColour(convertColour(value));
}

// (2) A picture repeated over the whole client area.
} // namespace

void BuildBackgroundTiles(Game& game, const PictureScreen& screen) {
    const std::string& file = screen.file;
    const std::string name = decorationPictureName(game, file, "*fon*name*", "fon.bmp");
    if (name.empty())
        return;
    const std::string path = game.state.dataFolder + name;
    const PictureUse use{{"Pictures", TALEPLAY_TEXT("Pictures", "background"), {}}, name};
    Size picture;
    if (!pictureStep(game, use, [&] { picture = measurePicture(game, path); }) ||
        !preparePicture(game, use, path, pictures::Shown{}))
        return;
    // Counted before they are placed: a tile of a few pixels has tens of
    // thousands of places, made for nothing when one control shows them.
    if (backgroundTileCount(game.clientWidth(), game.clientHeight(), picture) >
        std::int64_t(kMostTileControls)) {
        // So small a tile would make tens of thousands of controls (a 1 x 1
        // tile, two million) that look exactly like one control showing
        // the picture repeated; no command can name a tile, so nothing but
        // their count tells them apart.
        ImageControl& tiling = game.host().createBackgroundTile(screen.namePrefix + "BP0");
        game.tables.backgroundTiles.emplace_back(&tiling);
        tiling.setTiled(true);
        tiling.setGeometry(0, 0, game.clientWidth(), game.clientHeight());
        tiling.loadPicture(path);
        return;
    }
    const auto tiles = backgroundTiles(game.clientWidth(), game.clientHeight(), picture);
    // Every tile shows the first tile's picture: one file, read once.
    ImageControl* first = nullptr;
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        const TilePlace& place = tiles[i];
        // Below everything else on the window, also below what the window
        // resource made, and below the tiles made before it.
        ImageControl& tile =
            game.host().createBackgroundTile(screen.namePrefix + "BP" + std::to_string(i));
        tile.setAutoSize(place.autoSize);
        game.tables.backgroundTiles.emplace_back(&tile);
        if (!place.autoSize)
            tile.resize(place.width, place.height);
        tile.move(place.left, place.top);
        if (first) {
            tile.showPictureOf(*first);
        } else {
            tile.loadPicture(path);
            first = &tile;
        }
    }
}

// (3) One picture stretched over the client area, a pixel in from its edges.
void BuildLargeBackground(Game& game, const PictureScreen& screen) {
    const std::string name = largeBackgroundName(game, screen, platform::screenSize());
    if (name.empty())
        return;
    ImageControl& image = createImage(game, screen.namePrefix + "FON", Stretch::On, false, false);
    game.tables.largeBackground.emplace_back(&image);
    image.hide();
    image.setGeometry(1, 1, game.clientWidth() - 2, game.clientHeight() - 2);
    const PictureUse use{{"Pictures", TALEPLAY_TEXT("Pictures", "large background"), {}}, name};
    if (!pictureStep(game, use, [&] { image.loadPicture(game.state.dataFolder + name); })) {
        game.tables.largeBackground.pop_back();
        game.host().destroy(image);
        return;
    }
    image.show();
}

// (4) Tiles along the four edges: top and bottom first, then left and right,
// which run the full height and lie over the ends of the others.
void BuildFrames(Game& game, const PictureScreen& screen) {
    const std::string& file = screen.file;
    const int cw = game.clientWidth();
    const int ch = game.clientHeight();
    const std::string& folder = game.state.dataFolder;

    // Each edge picture is decoded at the size of its tiles once measured:
    // a damaged one stops the build before any tile is made, and one the
    // memory budget refuses leaves its edges out.
    const bool transparent = flagSet(file, "*frametransparent*yes#");
    const std::string horizontalName =
        decorationPictureName(game, file, "*framehoriz*name*", "ramkahor.bmp");
    FrameTiling horizontal;
    bool horizontalShown = false;
    if (!horizontalName.empty()) {
        const PictureUse use{{"Pictures", TALEPLAY_TEXT("Pictures", "frame"), {}}, horizontalName};
        Size picture;
        if (pictureStep(game, use,
                        [&] { picture = measurePicture(game, folder + horizontalName); })) {
            const int height = resolveSize(file, "*framehoriz", Axis::Vertical, ch);
            horizontal = horizontalFrameTiling(cw, picture, height);
            horizontalShown =
                horizontal.thickness == 0 ||
                preparePicture(game, use, folder + horizontalName,
                               stretchedTo({horizontal.tile, horizontal.thickness}, transparent));
        }
    }

    const std::string verticalName =
        decorationPictureName(game, file, "*framevert*name*", "ramkavert.bmp");
    FrameTiling vertical;
    bool verticalShown = false;
    if (!verticalName.empty()) {
        const PictureUse use{{"Pictures", TALEPLAY_TEXT("Pictures", "frame"), {}}, verticalName};
        Size picture;
        if (pictureStep(game, use,
                        [&] { picture = measurePicture(game, folder + verticalName); })) {
            int width = resolveSize(file, "*framevert", Axis::Horizontal, cw);
            if (width == 0)
                width = horizontal.thickness;
            if (width == 0)
                width = picture.width;
            vertical = verticalFrameTiling(ch, picture, width);
            verticalShown =
                vertical.thickness == 0 ||
                preparePicture(game, use, folder + verticalName,
                               stretchedTo({vertical.thickness, vertical.tile}, transparent));
        }
    }

    FrameTiles tiles = frameTiles(cw, ch, horizontal, vertical);
    if (!horizontalShown)
        tiles.horizontal.clear();
    if (!verticalShown)
        tiles.vertical.clear();
    int index = 0;
    // The tiles of one edge picture share it, read once.
    auto place = [&](const char* prefix, const std::string& name, const TilePlace& at,
                     ImageControl*& first) {
        ImageControl& tile = createImage(game, screen.namePrefix + prefix + std::to_string(index++),
                                         Stretch::On, false, transparent);
        game.tables.frames.emplace_back(&tile);
        tile.setGeometry(at.left, at.top, at.width, at.height);
        if (first) {
            tile.showPictureOf(*first);
        } else {
            tile.loadPicture(folder + name);
            first = &tile;
        }
    };
    ImageControl* firstHorizontal = nullptr;
    for (const TilePlace& at : tiles.horizontal)
        place("RH", horizontalName, at, firstHorizontal);
    ImageControl* firstVertical = nullptr;
    for (const TilePlace& at : tiles.vertical)
        place("RV", verticalName, at, firstVertical);
}

// (5) Up to 50 freely placed pictures.
void BuildPictures(Game& game, const PictureScreen& screen) {
    const std::string& file = screen.file;
    for (int n = 1; n <= kPictureCount; ++n) {
        const std::string stem = numberedKey("*picture", n, "");
        const auto at =
            placeNumberedPicture(game, file, stem, TALEPLAY_TEXT("Pictures", "picture %1"), n);
        if (!at)
            continue; // a number that is skipped does not end the loop
        game.tables.pictures.resize(n);
        ImageControl& image = createImage(game, screen.namePrefix + "RIS" + std::to_string(n - 1),
                                          Stretch::On, false, at->transparent);
        game.tables.pictures[n - 1] = &image;
        image.setGeometry(at->left, at->top, at->size.width, at->size.height);
        image.loadPicture(at->path);
        if (at->hidden)
            image.hide();
    }
}

// (6) The four corners, all of one size, over the frames and the pictures.
void BuildCorners(Game& game, const PictureScreen& screen) {
    const std::string& file = screen.file;
    struct Corner {
        const char* key;
        const char* defaultName;
    };
    static constexpr std::array<Corner, 4> corners{{
        {"*upleftcorner*name*", "cornerupleft.bmp"},
        {"*uprightcorner*name*", "cornerupright.bmp"},
        {"*bottomleftcorner*name*", "cornerbottomleft.bmp"},
        {"*bottomrightcorner*name*", "cornerbottomright.bmp"},
    }};
    const std::string& folder = game.state.dataFolder;

    const bool transparent = flagSet(file, "*cornertransparent*yes#");
    std::array<std::string, 4> names;
    std::optional<Size> lastMeasured;
    auto useOf = [&](std::size_t i) {
        return PictureUse{{"Pictures", TALEPLAY_TEXT("Pictures", "corner"), {}}, names[i]};
    };
    for (std::size_t i = 0; i < corners.size(); ++i) {
        names[i] = decorationPictureName(game, file, corners[i].key, corners[i].defaultName);
        if (!names[i].empty() && !pictureStep(game, useOf(i), [&] {
                lastMeasured = measurePicture(game, folder + names[i]);
            }))
            names[i].clear(); // refused: left out, and not measured
    }
    if (!lastMeasured)
        return;
    // Every corner takes the size of the last one measured: authors draw
    // the four alike.
    const std::optional<Size> size = cornerSize(
        *lastMeasured, resolveSize(file, "*corner", Axis::Vertical, game.clientHeight()));
    if (!size)
        return;

    // All four decoded before any is made, as measuring them all did.
    for (std::size_t i = 0; i < corners.size(); ++i)
        if (!names[i].empty() &&
            !preparePicture(game, useOf(i), folder + names[i], stretchedTo(*size, transparent)))
            names[i].clear();

    const int cw = game.clientWidth();
    const int ch = game.clientHeight();
    game.tables.corners.resize(corners.size());
    for (std::size_t i = 0; i < corners.size(); ++i) {
        if (names[i].empty())
            continue;
        ImageControl& image = createImage(game, screen.namePrefix + "UGOL" + std::to_string(i),
                                          Stretch::On, false, transparent);
        game.tables.corners[i] = &image;
        image.resize(size->width, size->height);
        image.loadPicture(folder + names[i]);
        const bool right = i == 1 || i == 3;
        const bool bottom = i >= 2;
        image.move(right ? cw - image.width() : 0, bottom ? ch - image.height() : 0);
    }
}

namespace {

ShapeKind shapeKindOf(const std::string& kind) {
    if (kind == "ellipse")
        return ShapeKind::Ellipse;
    if (kind == "square")
        return ShapeKind::Square;
    if (kind == "rectangle")
        return ShapeKind::Rectangle;
    if (kind == "roundrectangle" || kind == "roundrect")
        return ShapeKind::RoundRect;
    if (kind == "roundsquare")
        return ShapeKind::RoundSquare;
    return ShapeKind::Circle; // also for any word the game made up
}

// (7) Up to 30 filled and outlined shapes, over the corners.
void BuildShapes(Game& game, const std::string& file) {
    for (int n = 1; n <= kShapeCount; ++n) {
        const std::string stem = numberedKey("*shape", n, "");
        const std::string kind = asciiLowerCase(keyValue(file, stem + "*form*"));
        if (kind.empty())
            continue;
        // A shape has no natural size: what is not given stays 0.
        int height = resolveSize(file, stem, Axis::Vertical, game.clientHeight());
        int width = resolveSize(file, stem, Axis::Horizontal, game.clientWidth());
        if (kind == "circle" || kind == "square" || kind == "roundsquare")
            width = height = std::max(width, height);
        const int left = resolvePosition(file, stem, Axis::Horizontal, game.clientWidth(), width);
        const int top = resolvePosition(file, stem, Axis::Vertical, game.clientHeight(), height);
        const std::string fill = keyValue(file, stem + "color*");
        const std::string outline = keyValue(file, stem + "pencolor*");

        game.tables.shapes.resize(n);
        const bool hidden = flagSet(file, stem + "visible*no# ");
        ShapeControl& shape = game.host().createShape("SHAP" + std::to_string(n - 1));
        game.tables.shapes[n - 1] = &shape;
        shape.setShape(shapeKindOf(kind));
        shape.setGeometry(left, top, width, height);
        // A bad colour stops the build here; the shape stays, placed but
        // without the colours not yet set.
        if (!fill.empty())
            shape.setBrush(convertColour(fill));
        if (!outline.empty())
            shape.setPen(convertColour(outline));
        // 1 pixel on a screen 768 high, 2 on one 1080 high.
        shape.setPenWidth(platform::screenSize().height() / 400);
        if (hidden)
            shape.hide();
    }
}

} // namespace

std::int64_t backgroundTileCount(int clientWidth, int clientHeight, Size picture) {
    if (picture.width <= 0 || picture.height <= 0 || clientWidth < 0 || clientHeight < 0)
        return 0;
    return (std::int64_t(clientWidth) / picture.width + 1) *
           (std::int64_t(clientHeight) / picture.height + 1);
}

std::vector<TilePlace> backgroundTiles(int clientWidth, int clientHeight, Size picture) {
    std::vector<TilePlace> tiles;
    const int count = static_cast<int>(backgroundTileCount(clientWidth, clientHeight, picture));
    if (count == 0)
        return tiles;
    const int w = picture.width;
    const int h = picture.height;
    // One extra column and row take the remainder, which may be 0 pixels.
    const int cols = clientWidth / w + 1;
    const int rows = count / cols;
    tiles.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        TilePlace tile{(i % cols) * w, (i / cols) * h, w, h, true};
        if ((i + 1) % cols == 0) {
            tile.autoSize = false;
            tile.width = clientWidth - w * (cols - 1);
            tile.height = h;
        }
        if (i + 1 > cols * (rows - 1)) {
            tile.autoSize = false;
            if (i != count - 1)
                tile.width = w;
            tile.height = clientHeight - h * (rows - 1);
        }
        tiles.push_back(tile);
    }
    return tiles;
}

FrameTiling horizontalFrameTiling(int clientWidth, Size picture, int height) {
    const int w = picture.width;
    const int h = picture.height;
    if (w <= 0 || h <= 0 || clientWidth <= 0)
        return {};
    int tile = clientWidth / (clientWidth / w + 1);
    if (height != 0) {
        tile = roundHalfEven(w / (static_cast<long double>(h) / height));
    } else {
        if (tile <= 0)
            return {};
        height = roundHalfEven(h / (static_cast<long double>(w) / tile));
    }
    // A tile or frame of no (or negative) extent cannot be laid; the frame
    // is left out.
    if (tile <= 0 || height <= 0)
        return {};
    return {widenUntilLastTileFits(clientWidth, tile), height};
}

FrameTiling verticalFrameTiling(int clientHeight, Size picture, int width) {
    const int w = picture.width;
    const int h = picture.height;
    if (w <= 0 || h <= 0 || clientHeight <= 0 || width <= 0)
        return {};
    const int tile = roundHalfEven(h / (static_cast<long double>(w) / width));
    if (tile <= 0)
        return {};
    return {widenUntilLastTileFits(clientHeight, tile), width};
}

FrameTiles frameTiles(int clientWidth, int clientHeight, FrameTiling horizontal,
                      FrameTiling vertical) {
    FrameTiles out;
    const int t = horizontal.tile;
    const int h = horizontal.thickness;
    const int a = h != 0 && t > 0 ? clientWidth / t + 1 : 0;
    for (int i = 0; i < 2 * a; ++i) {
        const bool top = i < a;
        TilePlace tile{(top ? i : i - a) * t, top ? 0 : clientHeight - h, t, h, false};
        if (i + 1 == a || i + 1 == 2 * a)
            tile.width = clientWidth - (a - 1) * t; // the last tile of a row
        out.horizontal.push_back(tile);
    }
    const int u = vertical.tile;
    const int v = vertical.thickness;
    const int b = v != 0 && u > 0 ? clientHeight / u + 1 : 0;
    for (int i = 0; i < 2 * b; ++i) {
        const bool left = i < b;
        TilePlace tile{left ? 0 : clientWidth - v, (left ? i : i - b) * u, v, u, false};
        if (i + 1 == b || i + 1 == 2 * b)
            tile.height = clientHeight - (b - 1) * u; // the last tile of a column
        out.vertical.push_back(tile);
    }
    return out;
}

std::optional<Size> cornerSize(Size lastCorner, int height) {
    if (lastCorner.width <= 0 || lastCorner.height <= 0)
        return std::nullopt;
    if (height == 0)
        height = lastCorner.height;
    const int width =
        roundHalfEven(lastCorner.width / (static_cast<long double>(lastCorner.height) / height));
    return Size{width, height};
}

std::string largeBackgroundName(const Game& game, const PictureScreen& source, QSize screen) {
    const std::string& folder = game.state.dataFolder;
    const std::string& file = source.file;
    auto existing = [&](std::string name) {
        return !name.empty() && paths::fileExists(folder + name) ? name : std::string();
    };
    std::string given;
    if (source.largeBackgroundKeyAnyCase) {
        // The end screens find the line in any case but cut the name with the
        // key as written: a line in other letters loses its first 12
        // characters instead and rarely names a file. Kept on purpose.
        const std::string line = firstLineWithKeyAnyCase(file, "*bigfon*name*");
        if (!line.empty())
            given = trimSpaces(textBeforeDelimiter(textAfterKey(line, "*bigfon*name*"), "#"));
    } else {
        given = keyValue(file, "*bigfon*name*");
    }
    std::string name = existing(given);
    // The alternatives are read only when the game names a large background
    // of its own; a missing alternative falls back to "bigfon.bmp", not to
    // that picture.
    if (!name.empty() && screen.height() > 0) {
        const double ratio = static_cast<double>(screen.width()) / screen.height();
        if (ratio < 1.3) {
            if (std::string square = keyValue(file, "*bigfon*squarename*"); !square.empty())
                name = existing(square);
        }
        if (ratio > 1.47) {
            if (std::string longer = keyValue(file, "*bigfon*longname*"); !longer.empty())
                name = existing(longer);
        }
    }
    if (name.empty())
        name = "bigfon.bmp";
    return existing(name);
}

void BuildBackground(Game& game) {
    const std::string file = game.state.dataFolder + "allbackpictures.txt";
    // Each step builds whatever it can, whether or not the ones before it
    // built anything; an error (a bad colour, an unreadable picture) stops the
    // whole build and leaves what is built.
    const PictureScreen screen{file, ""};
    SetScreenColour(game, file);
    BuildBackgroundTiles(game, screen);
    BuildLargeBackground(game, screen);
    BuildFrames(game, screen);
    BuildPictures(game, screen);
    BuildCorners(game, screen);
    BuildShapes(game, file);
    DeclareSound(game, file);
    DeclareVideo(game, file);
}

} // namespace taleplay
