#pragma once
// Written text on the game screen: text lines (labels drawn on the window,
// one per string) and lists (borderless list boxes), from allbacktexts.txt.
#include "platform/controls.h"
#include "scene/scene_steps.h"

#include <string>
#include <string_view>

namespace taleplay {

class Game;

// Builds from allbacktexts.txt: lists, then text lines.
void BuildTexts(Game& game);

// Where text lines come from and how they are named. The play screen and the
// end screens build them alike; the end screens read their own file, fewer
// texts, and let a line run past the right edge.
struct TextLineSource {
    std::string file;
    std::string namePrefix = "TLine";
    int lastText = 50;
    bool narrowAtRightEdge = true;
};

// Builds texts 1 to source.lastText into the label table from entry 0 on and
// into the text table by their numbers.
void BuildTextLines(Game& game, const TextLineSource& source);

// Builds lists 1 to 10 of `file` into the list table.
void BuildLists(Game& game, const std::string& file);

// ------------------------------------------------------------------------
// What texts, lists and text windows read alike.

// Font size in points when the file gives none: a fortieth of the screen
// height, halves to even (900 pixels give 22, 768 give 19).
int defaultFontSize(int screenHeight);

// Width when the file gives none: nine tenths of the client width.
int defaultTextWidth(int clientWidth);

// A list's height when the file gives none: half the client *width*, not
// height, as the game files have always been laid out with.
int defaultListHeight(int clientWidth);

// A left or top edge of a text, list or text window: the division reading
// with its centre mark (tested at once, before any other division reading),
// then the pixel key when the value is 0. Unlike pictures, these components
// are centred after both readings, so centring wins even over a pixel key;
// the caller does it once the size is final.
struct Edge {
    int value = 0;
    bool centre = false;
};
Edge readEdge(std::string_view file, const std::string& stem, Axis axis, int reference);

// The look of a text, list or text window. Colours stay texts here: they are
// converted only when applied, so a bad one stops the builder at the same
// point of the component it is building.
struct TextLook {
    int fontSize = 0;       // points
    std::string fontName;   // "Arial" when not given
    std::string fontColour; // empty: the window's font colour
    std::string backColour; // empty: the control's own default
    bool bold = false;
    bool hidden = false;
};
TextLook readTextLook(std::string_view file, const std::string& stem, int screenHeight);

// `base` with the look's name, size and boldness; its colour is left alone.
FontSpec lookFont(FontSpec base, const TextLook& look);

} // namespace taleplay
