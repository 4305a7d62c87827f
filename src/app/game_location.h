#pragma once
// Where a game named on the command line or in the chooser lies. The player
// itself only knows the classic way: a current folder and a started name.
// Every other way in is turned into that pair here, so the start-up rules
// stay the same for all of them. No Qt: tests run it on folders of their own.
#include "app/phrase.h"

#include <string>
#include <vector>

namespace taleplay::launch {

// A game as the start-up sequence sees it: started as `name` with current
// folder `folder`, it plays folder/data_name/. Native paths (file-system
// bytes), absolute, without a trailing separator except for the root.
struct GameLocation {
    std::string folder;
    std::string name;

    std::string dataFolder() const;
    bool operator==(const GameLocation&) const = default;
};

// What a path given as GAME leads to: exactly one game, several (a folder
// holding more than one data folder, for the player to choose from), or a
// problem, said in one line without the program's name in front.
struct GameSearch {
    std::vector<GameLocation> games;
    Phrase problem;
};

// `argument` is a data folder (data_NAME), a folder holding data folders, or
// NAME.exe (any letter case) beside data_NAME; relative to `currentFolder`.
GameSearch findGame(const std::string& argument, const std::string& currentFolder);

// The data folders inside `folder`, sorted by name. A folder whose name
// starts with "data_" in any letter case counts, as the start-up sequence
// finds it that way too.
std::vector<GameLocation> gamesIn(const std::string& folder);

// How the program was asked to start when no GAME was given.
enum class ClassicStart { PlayStartedName, OfferChooser };

// Started under its own name ("taleplay", with any ".exe" dropped as the
// start-up sequence drops it) in a folder without data_taleplay/, there is no
// game to play and the chooser is offered; under any other name, the classic
// start-up rules apply unchanged, missing-folder report included.
ClassicStart classicStart(const std::string& startedAs, const std::string& currentFolder);

} // namespace taleplay::launch
