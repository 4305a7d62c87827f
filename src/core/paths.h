#pragma once
// Two kinds of path meet in the program. Native paths (the current folder,
// the name the program was started under, whatever a command line or the
// environment gives) are file-system bytes, used as they are. Game names
// (written in description files) are Windows-1251 text from Windows, with
// '\' for a separator and any letter case. The program composes a path by
// appending game names to a native folder; the resolver takes such a path
// apart again at the native folder it starts with, keeps that part as it is
// and looks the game names up on disk. Paths shown to the player are the
// composed ones, each part read in its own encoding.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace taleplay::paths {

// What the program appends to a folder name.
inline constexpr char kSeparator = '/';

// The native folders that composed paths start from (each ending in the
// separator): start-up gives the working folder and the data folder. They
// replace those given before.
void setNativeFolders(std::vector<std::string> folders);

// A composed path taken apart: the longest registered native folder it
// starts with (empty when none), and the game names after it.
struct Parts {
    std::string_view native;
    std::string_view game;
};
Parts split(std::string_view composed);

// A composed path as the player reads it (UTF-8): the native part as it is,
// the game part converted from Windows-1251, '\' left as written.
std::string shown(std::string_view composed);

// How a name was found on disk; the order is that of the search.
enum class NameMatch {
    Exact,       // as written ('\' read as '/')
    LetterCase,  // the same text in other letter case
    Windows1251, // stored as Windows-1251 bytes, as an old archive leaves it
    Cp866,       // stored as CP866 bytes, as unzip leaves names from Windows
    Missing,     // not found: the path as composed
};

struct Resolved {
    std::string path;                   // the file-system path
    std::string shown;                  // the same, readable (UTF-8), each name as it matched
    NameMatch match = NameMatch::Exact; // the loosest match of its names
};

// The file-system path of a composed path. A game name that does not exist
// as written is looked for once more among its folder's entries, ignoring
// ASCII and Cyrillic letter case: first as UTF-8 names, then as names stored
// in Windows-1251 bytes, then in CP866 bytes; among several entries of the
// same kind the first in byte order wins, so the choice never depends on
// the disk's order. When nothing matches, the path as composed (converted)
// is returned, so the caller sees it missing.
Resolved resolveName(std::string_view composed);
std::string resolve(std::string_view composed);

// A native name in a native folder, looked for as game names are.
Resolved resolveIn(std::string_view nativeFolder, std::string_view nativeName);

// Whether the composed path names an existing regular file (or a link to
// one). A folder, a pipe, a device or a socket counts as missing: a game
// file is never any of them, and opening one could hang or never end.
bool fileExists(std::string_view composed);

// The resolved path of an existing regular file, or nothing: one
// resolution for callers that test and then open.
std::optional<std::string> existingFile(std::string_view composed);

// Whether the composed path names an existing folder.
bool folderExists(std::string_view composed);

// The process's current folder, native, without a final separator (except
// for the root itself, which is "/").
std::string currentFolder();

// The last component of a native path: the text after its last '/'. A '\'
// is an ordinary character of a file name here.
std::string lastComponent(std::string_view path);

// Unicode case folding restricted to what Windows' file names ignore here:
// ASCII A-Z and the Cyrillic capitals U+0400..U+042F.
char32_t foldCase(char32_t cp);

// Whether two UTF-8 names are equal ignoring that case.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

} // namespace taleplay::paths
