#pragma once
// Game files were written on Windows: their names use '\' and may differ in
// letter case from the files on disk. Every path that reaches the file system
// goes through resolve(); the paths shown to the player stay as composed.
#include <optional>
#include <string>
#include <string_view>

namespace taleplay::paths {

// What the program appends to a folder name.
inline constexpr char kSeparator = '/';

// The file-system path (UTF-8) of a path the program composed (Windows-1251,
// '\' or '/'). A component that does not exist as written is looked up once
// more ignoring ASCII and Cyrillic letter case; when nothing matches, the
// path is returned as composed (converted), so the caller sees it missing.
std::string resolve(std::string_view composed);

// Whether the composed path names an existing file that is not a folder.
bool fileExists(std::string_view composed);

// The resolved path of an existing file that is not a folder, or nothing:
// one resolution for callers that test and then open.
std::optional<std::string> existingFile(std::string_view composed);

// Whether the composed path names an existing folder.
bool folderExists(std::string_view composed);

// The process's current folder, in Windows-1251, without a final separator
// (except for the root itself, which is "/").
std::string currentFolder();

// The last component of the name the program was started under, with every
// separator (either kind) taken as a folder boundary.
std::string lastComponent(std::string_view path);

// Unicode case folding restricted to what Windows' file names ignore here:
// ASCII A-Z and the Cyrillic capitals U+0400..U+042F.
char32_t foldCase(char32_t cp);

// Whether two UTF-8 names are equal ignoring that case.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

} // namespace taleplay::paths
