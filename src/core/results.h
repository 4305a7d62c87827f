#pragma once
// The shared results folder of a classroom: when TALEPLAY_RESULTS names a
// folder, every player writes its result file there and adds one line to the
// folder's results.csv, so the teacher finds every mark in one table.
#include <optional>
#include <string>
#include <string_view>

namespace taleplay::results {

// The name of the environment variable, and of the table in the folder.
inline constexpr const char* kVariable = "TALEPLAY_RESULTS";
inline constexpr const char* kTableName = "results.csv";

// The folder TALEPLAY_RESULTS names (native), or nothing when it is unset or
// empty. Read afresh at every call, so whatever set it before the window
// opened (the command line, the desktop) is seen.
std::optional<std::string> sharedFolder();

// Throws InOutError("File access denied") unless `folder` is an existing
// folder whose table can be written (made, or added to): checked before the
// result file is written, so that a folder that cannot take the line changes
// nothing. Results never vanish into a folder the teacher did not make.
void requireFolder(const std::string& folder);

// One line of the table.
struct Entry {
    std::string time;     // local date and time, ISO 8601: 2024-05-17T10:42:05
    std::string login;    // the player's login name
    std::string computer; // the computer's host name
    std::string game;     // NAME of data_NAME
    std::string mark;     // "5" or "2"
};

// An entry for a game finished now, on this computer, by this user.
Entry entryNow(std::string game, std::string mark);

// A field as RFC 4180 writes it: in double quotes, its own doubled, when it
// holds a comma, a double quote, a CR or an LF; as it is otherwise.
std::string csvField(std::string_view text);

// The header line and an entry's line, each ended by CR LF.
std::string csvHeader();
std::string csvLine(const Entry& entry);

// Appends the entry to FOLDER/results.csv, made with its header when it does
// not exist. The file is locked for the append, so players finishing at the
// same moment on one share neither lose nor tear a line; the line is written
// whole and flushed to disk before the lock is let go. Throws InOutError
// with the Windows message for the error ("File access denied" for a folder
// that cannot be written, or a results.csv that is a folder).
void append(const std::string& folder, const Entry& entry);

} // namespace taleplay::results
