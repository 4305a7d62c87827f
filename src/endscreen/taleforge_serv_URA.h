#pragma once
// The end screens: the switch from the play screen, the result file and the
// builders of the victory and loss screens.
#include <string>

namespace taleplay {

class Game;

// "mark for " + program file name + ".txt", every ".exe" removed from the
// whole name (lower case only: GAME.EXE keeps its own).
std::string ResultFileName(const std::string& programFileName);

// The result file's path (native): in the pupil's own folder of the results
// folder when TALEPLAY_RESULTS names one (a folder, not a database), else in the working folder, beside
// the data folder (or the folder start-up chose instead); its name found
// there as game files are found, so an existing "Mark For Quest.txt" is the
// result file of quest.
std::string ResultFilePath(const Game& game);

// Writes "5" (victory) or "2" (loss) and CR LF into the result file: created,
// or overwritten as the same file, never left holding another mark. With a
// results folder (or when start-up asked for it), the game's line is then
// added to the pupil's table. Throws InOutError; before anything is written
// when the pupil's folder cannot be had or its table cannot be written.
void WriteResultFile(const Game& game);

// With a school's database in TALEPLAY_RESULTS, hands the finished game's
// row (login, computer, game, mark, the game's version stamp) to the window
// to keep and send; the result file is written as without one.
void SendResult(Game& game);

// The end screen's builders, in their drawing order, from the files the
// switch chose.
void BuildEndScreen(Game& game);

// Replaces the play screen by the victory or loss screen, as the victory
// flag says.
void ShowEndScreen(Game& game);

} // namespace taleplay
