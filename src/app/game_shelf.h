#pragma once
// Where the chooser finds games besides the current folder and the games
// played lately: the examples installed with the player, and the user's own
// games in the Documents folder. No Qt: the folders are given, so tests lay
// out their own.
#include "app/game_location.h"

#include <string>
#include <vector>

namespace taleplay::launch {

// The installed examples of a player whose program file is `program` (native
// path): share/taleplay/examples in the folder above the program's, as
// installed under /usr (the build tree links the same place to the
// source's examples). Empty when there is none.
std::string examplesFolderOf(const std::string& program);

// The games a teacher keeps in `documents` (the user's Documents folder):
// data folders in it, in its "Игры" and "Games" folders, and one level
// further down (Игры/5 класс/data_NAME). Sorted by folder, then name.
std::vector<GameLocation> documentsGames(const std::string& documents);

// Whether the player was started from a terminal: one of its standard
// streams is one. A desktop launcher gives it none.
bool startedFromTerminal();

} // namespace taleplay::launch
