// Text lines and lists, and what texts, lists and text windows read alike.
#include "scene/taleforge_serv_nadpisi.h"

#include "descr/File_functions.h"
#include "descr/Stroki_functions.h"
#include "descr/colour_values.h"
#include "descr/placement.h"
#include "game/game.h"
#include "platform/host.h"
#include "platform/system.h"
#include "scene/scene_steps.h"

#include <cassert>

namespace taleplay {
namespace {

constexpr int kLastList = 10;
constexpr int kLastString = 25;

std::string stringKey(const std::string& stem, int k) {
    return stem + "*string" + std::to_string(k) + "*";
}

// A string is taken as written: the blanks around it are part of it, and a
// string of blanks still makes a label or item that shows nothing.
std::string untrimmedValue(std::string_view file, const std::string& key) {
    const std::string line = firstLineWithKey(file, key);
    if (line.empty())
        return {};
    return textBeforeDelimiter(textAfterKey(line, key), "#");
}

// 0 means not given.
int sizeOr(int size, int fallback) {
    return size == 0 ? fallback : size;
}

template <class Table> void growTo(Table& table, std::size_t n) {
    if (table.size() < n)
        table.resize(n);
}

void buildList(Game& game, const std::string& file, int n, int screenHeight) {
    const std::string stem = "*list" + std::to_string(n);
    // Existence is tested in any case, the strings are read in exact case, so
    // a list can exist without a single item.
    if (countLinesWithKey(file, stem + "*string1*") == 0)
        return;

    const int cw = game.clientWidth();
    const int ch = game.clientHeight();
    const int width = sizeOr(resolveSize(file, stem, Axis::Horizontal, cw), defaultTextWidth(cw));
    const int height = sizeOr(resolveSize(file, stem, Axis::Vertical, ch), defaultListHeight(cw));
    Edge top = readEdge(file, stem, Axis::Vertical, ch);
    Edge left = readEdge(file, stem, Axis::Horizontal, cw);
    const TextLook look = readTextLook(file, stem, screenHeight);

    // The box is made for every list that exists, not only when its first
    // string has a value: later strings must never go to a box that is not
    // there, and commands expect every list to have its box.
    growTo(game.tables.lists, static_cast<std::size_t>(n));
    ListControl& list = game.host().createList("LIST" + std::to_string(n - 1));
    game.tables.lists[n - 1] = &list;
    // Centring overrides even a pixel key: it is applied after both readings.
    if (left.centre)
        left.value = centredPosition(cw, width);
    if (top.centre)
        top.value = centredPosition(ch, height);
    list.setGeometry(left.value, top.value, width, height);
    if (!look.backColour.empty())
        list.setColor(convertColour(look.backColour));
    FontSpec font = lookFont(list.font(), look);
    list.setFont(font);
    if (!look.fontColour.empty()) {
        font.color = convertColour(look.fontColour);
        list.setFont(font);
    }
    if (look.hidden)
        list.hide();

    // The horizontal scroll range ends as the width of the widest item in
    // the list's font, measured by the window's measuring label.
    LabelControl& servant = *game.LabelServant;
    servant.setFont(list.font());
    for (int k = 1; k <= kLastString; ++k) {
        const std::string item = untrimmedValue(file, stringKey(stem, k));
        if (item.empty())
            continue;
        list.addItem(item);
        servant.setCaption(item);
        if (list.horizontalExtent() < servant.width())
            list.setHorizontalExtent(servant.width());
    }
}

// Builds text n; `labelCounter` is the label-table index the next label gets.
void buildText(Game& game, const TextLineSource& source, int n, int screenHeight,
               int& labelCounter) {
    const std::string& file = source.file;
    const std::string stem = "*text" + std::to_string(n);
    if (countLinesWithKey(file, stem + "*string1*") == 0)
        return;

    auto& texts = game.tables.texts;
    // Only the entry of this number is touched: entries of texts that do not
    // exist keep what they held (0 and 0 when the table grows).
    texts.resize(static_cast<std::size_t>(n));
    texts[n - 1].second = 0;

    const int cw = game.clientWidth();
    const int ch = game.clientHeight();
    int width = sizeOr(resolveSize(file, stem, Axis::Horizontal, cw), defaultTextWidth(cw));
    // Text lines are never centred vertically: the top's centre mark is ignored.
    const int top = readEdge(file, stem, Axis::Vertical, ch).value;
    const Edge left = readEdge(file, stem, Axis::Horizontal, cw);
    if (source.narrowAtRightEdge && left.value + width >= cw)
        width = cw - left.value - 3;
    const TextLook look = readTextLook(file, stem, screenHeight);
    const bool transparent = flagSet(file, stem + "transparent*yes# ");

    LabelControl* previous = nullptr; // the last label of this text
    for (int k = 1; k <= kLastString; ++k) {
        const std::string text = untrimmedValue(file, stringKey(stem, k));
        if (text.empty())
            continue;
        // The text's range starts at its first label actually made, which is
        // string 1's unless string 1 has no value; so the range never covers
        // another text's labels.
        const int index = labelCounter++;
        if (!previous)
            texts[n - 1].first = index;
        ++texts[n - 1].second;
        // The label table ends with this label: on the play screen that is
        // one more entry; an end screen cuts the old screen's entries away.
        game.tables.labels.resize(static_cast<std::size_t>(index) + 1);

        LabelControl& label = game.host().createLabel(source.namePrefix + std::to_string(index));
        game.tables.labels[index] = &label;
        label.setAutoSize(false);
        label.setTransparent(transparent);
        label.resize(width, label.height());
        label.setWordWrap(true);
        const int y = previous ? previous->y() + previous->height() + 1 : top;
        label.move(left.value, y);
        if (!look.backColour.empty())
            label.setColor(convertColour(look.backColour));
        FontSpec font = lookFont(label.font(), look);
        label.setFont(font);
        if (!look.fontColour.empty()) {
            font.color = convertColour(look.fontColour);
            label.setFont(font);
        }
        label.setCaption(text);
        // Sized to the wrapped text: as tall as its lines, as wide as the
        // widest of them (wider than `width` only for a single long word).
        label.setAutoSize(true);
        if (look.hidden)
            label.hide();
        // Each line is centred by its own width.
        if (left.centre)
            label.move(centredPosition(cw, label.width()), label.y());
        previous = &label;
    }
}

} // namespace

int defaultFontSize(int screenHeight) {
    return roundHalfEven(static_cast<long double>(screenHeight) / 40);
}

int defaultTextWidth(int clientWidth) {
    return roundHalfEven(static_cast<long double>(clientWidth) / 10 * 9);
}

int defaultListHeight(int clientWidth) {
    return roundHalfEven(static_cast<long double>(clientWidth) / 2);
}

Edge readEdge(std::string_view file, const std::string& stem, Axis axis, int reference) {
    const std::string edge = stem + (axis == Axis::Horizontal ? "*left" : "*top");
    const DivisionValue d = divisionValue(file, edge + "indivision*", reference);
    Edge e{d.value, d.centre};
    if (e.value == 0)
        e.value = pixelValue(file, edge + "inpixels*");
    e.value = withinReach(e.value);
    return e;
}

TextLook readTextLook(std::string_view file, const std::string& stem, int screenHeight) {
    TextLook look;
    // The whole screen's height, not the window's.
    look.fontSize = divisionValue(file, stem + "*fontsize*", screenHeight).value;
    if (look.fontSize == 0)
        look.fontSize = defaultFontSize(screenHeight);
    look.fontName = keyValue(file, stem + "font*");
    if (look.fontName.empty())
        look.fontName = "Arial";
    look.fontColour = keyValue(file, stem + "fontcolor*");
    look.backColour = keyValue(file, stem + "color*");
    // Flags follow the number directly and end with a blank after the "#".
    look.bold = flagSet(file, stem + "bold*yes# ");
    look.hidden = flagSet(file, stem + "visible*no# ");
    return look;
}

FontSpec lookFont(FontSpec base, const TextLook& look) {
    base.name = look.fontName;
    base.setSize(look.fontSize);
    if (look.bold)
        base.bold = true;
    return base;
}

void BuildLists(Game& game, const std::string& file) {
    const int screenHeight = platform::screenSize().height();
    for (int n = 1; n <= kLastList; ++n)
        buildList(game, file, n, screenHeight);
}

void BuildTextLines(Game& game, const TextLineSource& source) {
    assert(source.lastText >= 0);
    const int screenHeight = platform::screenSize().height();
    int labelCounter = 0;
    for (int n = 1; n <= source.lastText; ++n)
        buildText(game, source, n, screenHeight, labelCounter);
}

void BuildTexts(Game& game) {
    const std::string file = game.state.dataFolder + "allbacktexts.txt";
    // A bad colour in a list stops the whole builder: no text line is built.
    BuildLists(game, file);
    BuildTextLines(game, TextLineSource{file});
}

} // namespace taleplay
