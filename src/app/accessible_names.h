#pragma once
// What screen readers are told about the controls of a game's screen. A text
// line says its caption, a button or picture its hint ("*button3*hint*Check#",
// "*picture2*hint*The moon#") or else a button its picture's file name, a
// text window or list its hint or else the text line just above it or on its
// left. Decoration says nothing at all: the background, frames, corners,
// shapes, pictures without a hint and text lines that show no text. Games
// without hints keep working as before; the names are only ever read, never
// shown.
#include <QString>

namespace taleplay {

class Control;
class Game;

// Whether `control` is decoration, from what it is: its kind, the table it
// is in, its hint.
bool isDecoration(const Game& game, const Control& control);

// The name of `control`, never empty for a control of the game's screen that
// is not decoration.
QString accessibleNameOf(const Game& game, const Control& control);

// A caption as a label shows it: "&&" is "&", a single "&" marks a mnemonic
// and is not said.
QString spokenCaption(const QString& caption);

// Tells assistive technology what the controls of the game's window are:
// which are decoration, and the names of the rest (new controls, and text
// lines and the video window whose caption or file changed).
void describeControls(Game& game);

} // namespace taleplay
