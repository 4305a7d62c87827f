#pragma once
// The results folder of a classroom: when TALEPLAY_RESULTS names a folder,
// every pupil keeps a folder of its own there, named by its login, that only
// that pupil's account may change: the mark file of each game and a table of
// every game finished (results.csv). The teacher's table of the class is read
// from all of them (src/classresults).
#include <optional>
#include <string>
#include <string_view>

namespace taleplay::results {

// The name of the environment variable, and of the table in a folder.
inline constexpr const char* kVariable = "TALEPLAY_RESULTS";
inline constexpr const char* kTableName = "results.csv";

// Whether a TALEPLAY_RESULTS value names a school's database rather than a
// folder: a PostgreSQL URL (postgresql://..., postgres://...) or a service of
// libpq's service file (service=NAME, with more keywords if one likes).
bool isDatabase(std::string_view destination);

// The folder TALEPLAY_RESULTS names (native), or nothing when it is unset,
// empty or names a database. Read afresh at every call, so whatever set it
// before the window opened (the command line, the desktop) is seen.
std::optional<std::string> sharedFolder();

// The database connection TALEPLAY_RESULTS names, or nothing.
std::optional<std::string> database();

// The player's login name: its account's, else $USER or $LOGNAME, else the
// number of its account.
std::string loginName();

// `folder` and `name` joined by one '/'.
std::string joined(const std::string& folder, std::string_view name);

// Why a pupil cannot keep its results in a results folder.
enum class Refusal {
    None,
    Missing,        // no such folder
    NotAFolder,     // a file or something else in its place
    NotWritable,    // the pupil may not make its folder there, or not write in it
    TakenByAnother, // what bears the pupil's login there belongs to another account
};

// The pupil's own folder in the results folder `folder`: FOLDER/LOGIN/, made
// when it is not there yet, readable by everyone and writable by the pupil
// alone whatever the umask. A folder of that name that another pupil owns
// (or a link) is never used: in a folder with the sticky bit, as the guide
// makes it, nobody else can then rename or delete the pupil's folder or
// change what is in it. One that the results folder's owner owns is the
// pupil's: the teacher made it, or the folder lies on a network share that
// shows every file as one account's.
struct PupilFolder {
    Refusal refusal = Refusal::None;
    std::string path; // FOLDER/LOGIN, also when refused
};
PupilFolder pupilFolder(const std::string& folder);

// The pupil's mark file in the results folder `folder` (FOLDER/LOGIN/ and
// `markFileName`, found in any letter case), whether it exists or not.
std::string markFilePath(const std::string& folder, const std::string& markFileName);

// Throws InOutError("File access denied") unless `folder` is an existing
// folder whose table can be written (made, or added to): checked before the
// mark file is written, so that a folder that cannot take the line changes
// nothing.
void requireFolder(const std::string& folder);

// One line of a table.
struct Entry {
    std::string time;     // local date and time, ISO 8601: 2024-05-17T10:42:05
    std::string login;    // the player's login name
    std::string computer; // the computer's host name
    std::string game;     // NAME of data_NAME
    std::string mark;     // "5" or "2"
};

// An entry for a game finished now, on this computer, by this user.
Entry entryNow(std::string game, std::string mark);

// The computer's host name; empty when it has none.
std::string computerName();

// A stamp of the version of the game in `dataFolder` (native, ending in a
// separator): 16 hexadecimal digits that change when any of its description
// files changes, is added or goes, so attempts at an older version of a game
// can be told from the newer one's. Pictures and sounds do not count: they
// seldom change what a mark means, and reading them all at the end of every
// game would cost the pupil a wait.
std::string gameVersion(const std::string& dataFolder);

// A field as RFC 4180 writes it: in double quotes, its own doubled, when it
// holds the separator, a double quote, a CR or an LF; as it is otherwise.
std::string csvField(std::string_view text, char separator = ',');

// The header line and an entry's line, each ended by CR LF.
std::string csvHeader();
std::string csvLine(const Entry& entry);

// Appends the entry to FOLDER/results.csv, made with its header when it does
// not exist, readable by everyone and writable by its owner alone. The file
// is locked for the append, so that the same pupil finishing on two
// computers at once neither loses nor tears a line; the line is written
// whole and flushed to disk before the lock is let go. Throws InOutError
// with the Windows message for the error ("File access denied" for a folder
// that cannot be written, or a results.csv that is a folder).
void append(const std::string& folder, const Entry& entry);

// A finished game kept in `folder` (a pupil's folder, or the pupil's own data
// folder): the mark file `markFileName` ("5" or "2" and CR LF, found in any
// letter case) and a line of the table. Nothing is written when the table
// cannot take the line.
void record(const std::string& folder, const std::string& markFileName, const std::string& game,
            const std::string& mark);

// The same in the pupil's folder of the results folder `folder`; throws
// InOutError("File access denied"), writing nothing, when the pupil's folder
// is refused.
void recordInResultsFolder(const std::string& folder, const std::string& markFileName,
                           const std::string& game, const std::string& mark);

} // namespace taleplay::results
