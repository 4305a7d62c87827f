#pragma once
// The program from its command line to its event loop: options, the game
// to play (named, chosen, or the classic one from the started name), a
// quiet start, and the game's window shown as the options ask.
#include "app/command_line.h"
#include "app/game_location.h"
#include "app/phrase.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace taleplay {
class TForm1;
}

namespace taleplay::launch {

// Runs the program; returns its exit status.
int run(int argc, char** argv);

// Makes the game's folder the current folder, as the start-up sequence
// expects it; false when it cannot be entered.
bool enterGameFolder(const GameLocation& game);

// The user's own folder for result files: $XDG_DATA_HOME/taleplay/results/
// (~/.local/share/... without it); nothing without a home folder.
std::optional<std::string> userResultFolder(const std::function<const char*(const char*)>& env);

// What start-up found wrong with the results folder TALEPLAY_RESULTS names,
// and where the pupil's results go instead: the user's own folder (with a
// table there too, for the teacher to gather), or, without one, beside the
// game as the classic start writes them.
struct ResultsFallback {
    Phrase problem;                    // names the results folder
    Phrase instead;                    // says where the results go
    std::optional<std::string> folder; // the user's folder; nothing: beside the game
};

// Checks the results folder when one is set, making the pupil's own folder
// there (so that a share that lies about its permissions is found out now,
// not when the pupil has finished); nothing when it will take the results.
std::optional<ResultsFallback>
checkResultsFolder(const std::function<const char*(const char*)>& env);

// Where the result file of a game named on the command line (or chosen) goes
// when the folder above its data folder cannot be written and no shared
// results folder is set: the user's own data folder
// ($XDG_DATA_HOME/taleplay/results/, ~/.local/share/... without it). Nothing
// when the Part's place will do. `env` reads the environment.
std::optional<std::string> personalResultFolder(const GameLocation& game,
                                                const std::function<const char*(const char*)>& env);

// Gives every window of the program the application's icon: the desktop's
// own where its theme has one, else the one built into the program.
void useApplicationIcon();

// Creates the main window and its error window for a program started as
// `startedAs` in the current folder, and shows it as `mode` says; the
// start-up sequence then runs at its first activation.
std::unique_ptr<TForm1> openGameWindow(const std::string& startedAs, const WindowMode& mode);

} // namespace taleplay::launch
