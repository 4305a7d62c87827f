#pragma once
// What click rules act with: the component lookup and the command
// interpreter.
#include "commands/command_text.h"

#include <cstdint>
#include <string>
#include <vector>

namespace taleplay {

class Game;
class Control;

// What a target such as picture3 or textwindow1 names.
struct LookupResult {
    std::string target;
    Control* component = nullptr; // none when the target names nothing
    std::int32_t textIndex = 0;   // the target's number minus 1
};

// Cuts the target between `key` and `delimiter` out of a rule line and
// finds its component in the window's tables. Never fails.
LookupResult ComponentLookup(Game& game, const std::string& line, const std::string& key,
                             const std::string& delimiter);

// The controls a command on the looked-up target acts on, those that still
// exist: the component and, for a text, its further lines.
std::vector<Control*> TargetComponents(Game& game, const LookupResult& found);

// Runs one command text on a looked-up component; the answer decides a
// rule's branch. Errors of the game data (a bad colour, checktext on what
// is no text window) are thrown.
bool RunCommand(Game& game, const LookupResult& found, const std::string& command);

} // namespace taleplay
