#pragma once
// What click rules act with: the component lookup, the command interpreter
// and the missing-file report.
#include "app/taleforge_error.h"
#include "commands/command_text.h"

#include <cstdint>
#include <string>

namespace taleplay {

class TForm1;
class Control;

// Tells the player that a file the game needs is missing. Returns when the
// error window is closed; a halting report ends the program instead.
void MissingFileReport(TForm1& form, const std::string& path, Halt halt);

// What a target such as picture3 or textwindow1 names.
struct LookupResult {
    std::string target;
    Control* component = nullptr; // none when the target names nothing
    std::int32_t textIndex = 0;   // the target's number minus 1
};

// Cuts the target between `key` and `delimiter` out of a rule line and
// finds its component in the window's tables. Never fails.
LookupResult ComponentLookup(TForm1& form, const std::string& line, const std::string& key,
                             const std::string& delimiter);

// Runs one command text on a looked-up component; the answer decides a
// rule's branch. Errors of the game data (a bad colour, checktext on what
// is no text window) are thrown.
bool RunCommand(TForm1& form, const LookupResult& found, const std::string& command);

} // namespace taleplay
