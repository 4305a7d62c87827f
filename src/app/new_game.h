#pragma once
// A new game made from the template (the school quiz installed with the
// player): its folder data_NAME, its description files in the encoding the
// author asks for, its pictures. No Qt: the command line and the chooser
// both call it before anything is shown.
#include "app/game_location.h"

#include <string>

namespace taleplay::launch {

// Windows-1251 keeps a game playable by the old Windows player; UTF-8 is
// what Linux editors open without being told.
enum class TextEncodingAsked { Utf8, Windows1251 };

struct NewGame {
    GameLocation game; // where it was made
    Phrase problem;    // why it was not, in one line
};

// Makes `where`/data_`name` from `templateFolder` (a data folder whose
// description files are Windows-1251). When `where` itself is named
// data_NAME it is the game's folder, and `name` is not used. Nothing is
// made over a folder that exists and is not empty.
NewGame makeNewGame(const std::string& where, const std::string& name,
                    TextEncodingAsked encoding, const std::string& templateFolder);

// The template among the examples, the school quiz; empty without one.
std::string templateIn(const std::string& examplesFolder);

} // namespace taleplay::launch
