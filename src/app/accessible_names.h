#pragma once
// The names screen readers say for the controls of a game's screen: a text
// line its caption, a button or picture its hint ("*button3*hint*Check#",
// "*picture2*hint*The moon#") or else its picture's file name, a text window
// or list the text line just above it. Games without hints keep working as
// before; the names are only ever read, never shown.
#include <QString>

namespace taleplay {

class Control;
class Game;

// The name of `control`, never empty for a control of the game's screen.
QString accessibleNameOf(const Game& game, const Control& control);

// A caption as a label shows it: "&&" is "&", a single "&" marks a mnemonic
// and is not said.
QString spokenCaption(const QString& caption);

// Gives the controls of the game's window their names: new controls, and
// text lines and the video window whose caption or file changed.
void nameControls(Game& game);

} // namespace taleplay
