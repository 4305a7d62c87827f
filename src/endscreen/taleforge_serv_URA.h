#pragma once
// The end screens: the switch from the play screen, the result file and the
// builders of the victory and loss screens.
#include <string>

namespace taleplay {

class Game;

// "mark for " + program file name + ".txt", every ".exe" removed from the
// whole name (lower case only: GAME.EXE keeps its own).
std::string ResultFileName(const std::string& programFileName);

// Writes "5" (victory) or "2" (loss) and CR LF into the result file in the
// current folder, never leaving it half written. Throws InOutError.
void WriteResultFile(const Game& game);

// The end screen's builders, in their drawing order, from the files the
// switch chose.
void BuildEndScreen(Game& game);

// Replaces the play screen by the victory or loss screen, as the victory
// flag says.
void ShowEndScreen(Game& game);

} // namespace taleplay
