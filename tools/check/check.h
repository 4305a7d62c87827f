#pragma once
// The game checker: reads a game's data folder as the player would and lists
// what would go wrong while it is played, each finding at the line of the
// description file the player would read it from.
#include <string>
#include <vector>

namespace taleplay::check {

// A note tells how the game is read and asks for nothing.
enum class Severity { Error, Warning, Note };

struct Finding {
    std::string file; // the description file (or picture) in the data folder, UTF-8
    int line = 0;     // from 1; 0 when the finding concerns the whole file
    Severity severity = Severity::Error;
    std::string kind;    // the check that found it, such as "missing-file"; never translated
    std::string message; // UTF-8, in the language of the messages (English without one)
};

// Whether the checks for players who use the keyboard, a screen reader or
// reading aloud run too (a button without a hint).
enum class Accessibility { Skip, Check };

// Checks the game in `dataFolder` (UTF-8, as given on the command line).
// Findings come in the order of the checks, and within a check in file and
// line order.
std::vector<Finding> checkGame(const std::string& dataFolder,
                               Accessibility accessibility = Accessibility::Skip);

// The kinds of finding, in the order the checks run.
std::vector<std::string> checkKinds();

// "FOLDER/FILE:LINE: error: MESSAGE" (without ":LINE" for line 0); the
// severity is "error", "warning" or "note", translated like the message.
std::string formatLine(const std::string& folder, const Finding& finding);

// The same findings as one JSON object:
// {"folder":..., "game":..., "errors":N, "warnings":N, "notes":N,
// "findings":[{"file", "line", "severity", "kind", "message"}, ...]}.
// Field names, severities and kinds stay English; messages are translated.
std::string formatJson(const std::string& folder, const std::vector<Finding>& findings);

// The name of the game in `folder`: NAME of data_NAME, or the folder's own
// name when it is not named so.
std::string gameName(const std::string& folder);

// "quiz: 0 errors, 2 warnings", with ", 3 notes" when there are notes.
std::string formatSummary(const std::string& folder, const std::vector<Finding>& findings);

bool hasErrors(const std::vector<Finding>& findings);

} // namespace taleplay::check
