#include "check/layout.h"

#include "check/text_measure.h"

#include "core/errors.h"
#include "core/paths.h"
#include "descr/Stroki_functions.h"
#include "descr/placement.h"
#include "pictures/loader.h"

#include <algorithm>
#include <cmath>

namespace taleplay::check {
namespace {

// Points at 96 dots an inch, rounded as the player's fonts are.
int pixelsOfPoints(int points) {
    const long long p = static_cast<long long>(points) * 96;
    const long long q = (std::llabs(p) + 36) / 72;
    return static_cast<int>(p < 0 ? -q : q);
}

// A text's or window's font: "*fontsize*" over the screen's height, else a
// fortieth of it; "font*" or Arial; "bold*yes# ".
struct FontKeys {
    std::string family;
    int pixels = 0;
    bool bold = false;
};

FontKeys fontOf(const std::string& path, const DescrFile& file, const std::string& stem,
                int screenHeight) {
    FontKeys f;
    int points = divisionValue(path, stem + "*fontsize*", screenHeight).value;
    if (points == 0)
        points = roundHalfEven(static_cast<long double>(screenHeight) / 40);
    f.pixels = pixelsOfPoints(points);
    f.family = file.value(stem + "font*").text;
    if (f.family.empty())
        f.family = "Arial";
    f.bold = file.firstAnyCase(stem + "bold*yes# ") != 0;
    return f;
}

// A string as its label shows it: "&&" one "&", a single "&" nothing.
std::string shownCaption(std::string_view raw) {
    std::string shown;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '&') {
            if (i + 1 < raw.size() && raw[i + 1] == '&')
                shown += '&';
            ++i;
            if (i >= raw.size() || raw[i] == '&')
                continue;
        }
        shown += raw[i];
    }
    return shown;
}

// Lines broken at blanks to fit `width`; a word wider than that keeps a line
// of its own. Gives the number of lines and the widest.
std::pair<int, int> wrapped(const std::string& text, int width, const TextMeasure& font) {
    int lines = 0, widest = 0;
    std::string line;
    bool started = false;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t j = i;
        while (j < text.size() && text[j] == ' ')
            ++j;
        std::size_t k = j;
        while (k < text.size() && text[k] != ' ')
            ++k;
        const std::string piece = text.substr(i, k - i);
        if (!started) {
            line = piece;
            started = true;
        } else if (font.width(line + piece) <= width) {
            line += piece;
        } else {
            widest = std::max(widest, font.width(line));
            ++lines;
            line = text.substr(j, k - j); // the blanks at a break are not drawn
        }
        i = k;
    }
    widest = std::max(widest, font.width(line));
    return {lines + 1, widest};
}

std::string composed(const Game& game, const DescrFile& file) {
    return game.folder() + file.name();
}

// A picture or a button: its picture's natural size, then its keys.
void addPictureBox(const Game& game, const DescrFile& file, Kind kind, int n, ScreenSize size,
                   NaturalSizes& sizes, std::vector<Box>& out) {
    const std::string path = composed(game, file);
    const std::string stem = numberedKey(kind == Kind::Button ? "*button" : "*picture", n, "");
    const DescrFile::Value name = file.value(stem + "*name*");
    const std::string picture = game.folder() + name.text;
    auto [it, fresh] = sizes.try_emplace(picture);
    if (fresh) {
        try {
            if (const auto found = paths::existingFile(picture)) {
                const pictures::NaturalSize s = pictures::checkPicture(*found, picture);
                it->second = {s.width, s.height};
            }
        } catch (const TaleError&) {
            // Told by the picture check; it takes no room.
        }
    }
    const auto [w0, h0] = it->second;
    if (w0 <= 0 || h0 <= 0)
        return;
    const Size s = sizeFromAspect(w0, h0, resolveSize(path, stem, Axis::Horizontal, size.width),
                                  resolveSize(path, stem, Axis::Vertical, size.height));
    Box b{kind, n};
    b.width = s.width;
    b.height = s.height;
    b.left = resolvePosition(path, stem, Axis::Horizontal, size.width, s.width);
    b.top = resolvePosition(path, stem, Axis::Vertical, size.height, s.height);
    b.file = &file;
    b.line = name.line;
    b.hidden = file.firstAnyCase(stem + "visible*no# ") != 0;
    out.push_back(b);
}

void addTextLines(const Game& game, const Screen& screen, ScreenSize size,
                  std::vector<Box>& out) {
    const std::string path = composed(game, *screen.texts);
    for (int n = 1; n <= screen.lastText; ++n) {
        if (!screen.has(Kind::Text, n))
            continue;
        const std::string stem = numberedKey("*text", n, "");
        int width = resolveSize(path, stem, Axis::Horizontal, size.width);
        if (width == 0)
            width = roundHalfEven(static_cast<long double>(size.width) / 10 * 9);
        const int top = resolvePosition(path, stem, Axis::Vertical, size.height, 0);
        const DivisionValue left = divisionValue(path, stem + "*leftindivision*", size.width);
        const int leftEdge =
            left.value != 0 ? left.value : pixelValue(path, stem + "*leftinpixels*");
        if (leftEdge + width >= size.width)
            width = size.width - leftEdge - 3;
        const FontKeys keys = fontOf(path, *screen.texts, stem, size.height);
        const TextMeasure font(keys.family, keys.pixels, keys.bold);
        if (!font.usable())
            return;
        const bool hidden = screen.texts->firstAnyCase(stem + "visible*no# ") != 0;
        int y = top;
        for (int k = 1; k <= kLastString; ++k) {
            const DescrFile::Value v =
                screen.texts->untrimmedValue(numberedKey(stem + "*string", k, "*"));
            if (v.text.empty())
                continue;
            const std::string shown = shownCaption(v.text);
            const auto [lines, widest] = wrapped(shown, width, font);
            Box b{Kind::Text, n};
            b.width = shown.empty() ? font.width(" ") : widest;
            b.height = font.lineHeight() * lines;
            b.left = left.centre ? (size.width - b.width) / 2 : leftEdge;
            b.top = y;
            b.file = screen.texts;
            b.line = v.line;
            b.lineHeight = font.lineHeight();
            b.hidden = hidden;
            out.push_back(b);
            y += b.height + 1;
        }
    }
}

void addTextWindows(const Game& game, const Screen& screen, ScreenSize size,
                    std::vector<Box>& out) {
    if (!screen.textWindows)
        return;
    const std::string path = composed(game, *screen.textWindows);
    for (int n = 1; n <= kLastTextWindow; ++n) {
        if (!screen.has(Kind::TextWindow, n))
            continue;
        const std::string stem = numberedKey("*textwindow", n, "");
        Box b{Kind::TextWindow, n};
        b.width = resolveSize(path, stem, Axis::Horizontal, size.width);
        if (b.width == 0)
            b.width = roundHalfEven(static_cast<long double>(size.width) / 10 * 9);
        const FontKeys keys = fontOf(path, *screen.textWindows, stem, size.height);
        b.height = TextMeasure(keys.family, keys.pixels, keys.bold).lineHeight();
        b.left = resolvePosition(path, stem, Axis::Horizontal, size.width, b.width);
        b.top = resolvePosition(path, stem, Axis::Vertical, size.height, b.height);
        b.file = screen.textWindows;
        b.line = screen.textWindows->firstAnyCase(stem + "*");
        b.hidden = screen.textWindows->firstAnyCase(stem + "visible*no# ") != 0;
        out.push_back(b);
    }
}

} // namespace

std::vector<Box> layOutPlayScreen(const Game& game, ScreenSize size, NaturalSizes& sizes) {
    std::vector<Box> boxes;
    const Screen& play = game.playScreen();
    for (int n = 1; n <= kLastPicture; ++n)
        if (play.has(Kind::Picture, n))
            addPictureBox(game, *play.pictures, Kind::Picture, n, size, sizes, boxes);
    addTextLines(game, play, size, boxes);
    addTextWindows(game, play, size, boxes);
    for (int n = 1; n <= kLastButton && play.buttons; ++n)
        if (play.buildsButton(n))
            addPictureBox(game, *play.buttons, Kind::Button, n, size, sizes, boxes);
    return boxes;
}

} // namespace taleplay::check
