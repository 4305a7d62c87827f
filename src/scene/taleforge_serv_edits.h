#pragma once
// The text windows of the play screen.

namespace taleplay {

class Game;

// Builds from alltextwindows.txt: the one-line text windows the player types
// answers into.
void BuildTextWindows(Game& game);

} // namespace taleplay
