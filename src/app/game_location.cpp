// Data folders found from a path, a folder or a Windows program file.
#include "app/game_location.h"

#include "core/paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace taleplay::launch {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kPrefix = "data_";

bool hasDataPrefix(std::string_view name) {
    if (name.size() <= kPrefix.size())
        return false;
    for (std::size_t i = 0; i < kPrefix.size(); ++i) {
        char c = name[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
        if (c != kPrefix[i])
            return false;
    }
    return true;
}

bool endsWithExeIgnoringCase(std::string_view name) {
    return name.size() > 4 && paths::sameNameIgnoringCase(name.substr(name.size() - 4), ".exe");
}

bool isFolder(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

// The absolute path without "." and ".." and without a trailing separator.
// Lexical on purpose: a data folder reached through a link is played from
// the folder that holds the link, as a person who typed the path expects.
fs::path absoluteLexical(const std::string& argument, const std::string& currentFolder) {
    fs::path p(argument);
    if (p.is_relative())
        p = fs::path(currentFolder) / p;
    p = p.lexically_normal();
    if (!p.has_filename() && p.has_relative_path())
        p = p.parent_path();
    return p;
}

std::string folderText(const fs::path& folder) {
    return folder.empty() ? std::string("/") : folder.string();
}

GameSearch noGame(const char* text, std::vector<std::string> values) {
    return {{}, Phrase{"GameLocation", text, std::move(values)}};
}

} // namespace

std::string GameLocation::dataFolder() const {
    return folder + (folder.empty() || folder.back() == '/' ? "" : "/") + "data_" + name;
}

std::vector<GameLocation> gamesIn(const std::string& folder) {
    std::vector<GameLocation> games;
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (hasDataPrefix(name) && isFolder(it->path()))
            games.push_back({folder, name.substr(kPrefix.size())});
    }
    std::sort(games.begin(), games.end(),
              [](const GameLocation& a, const GameLocation& b) { return a.name < b.name; });
    return games;
}

GameSearch findGame(const std::string& argument, const std::string& currentFolder) {
    const fs::path path = absoluteLexical(argument, currentFolder);
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status))
        return noGame(TALEPLAY_TEXT("GameLocation", "%1: no such file or folder"), {argument});

    const std::string last = path.filename().string();
    const std::string parent = folderText(path.parent_path());
    if (fs::is_directory(status)) {
        if (hasDataPrefix(last))
            return {{{parent, last.substr(kPrefix.size())}}, {}};
        std::vector<GameLocation> games = gamesIn(path.string());
        if (games.empty())
            return noGame(TALEPLAY_TEXT("GameLocation",
                                        "%1 holds no game: there is no data_NAME folder in it"),
                          {argument});
        return {std::move(games), {}};
    }

    if (!endsWithExeIgnoringCase(last))
        return noGame(TALEPLAY_TEXT("GameLocation",
                                    "%1 is not a game: give a data_NAME folder, a folder holding "
                                    "one, or NAME.exe beside data_NAME"),
                      {argument});
    // A game copied from Windows: its program file beside its data folder,
    // which the file system there found in any letter case.
    const std::string name = last.substr(0, last.size() - 4);
    if (isFolder(path.parent_path() / ("data_" + name)))
        return {{{parent, name}}, {}};
    for (const GameLocation& g : gamesIn(parent)) {
        if (paths::sameNameIgnoringCase(g.name, name))
            return {{g}, {}};
    }
    return noGame(TALEPLAY_TEXT("GameLocation", "%1: there is no data_%2 folder beside it"),
                  {argument, name});
}

ClassicStart classicStart(const std::string& startedAs, const std::string& currentFolder) {
    std::string name = paths::lastComponent(startedAs);
    for (std::size_t at; (at = name.find(".exe")) != std::string::npos;)
        name.erase(at, 4);
    if (name != "taleplay")
        return ClassicStart::PlayStartedName;
    for (const GameLocation& g : gamesIn(currentFolder)) {
        if (paths::sameNameIgnoringCase(g.name, "taleplay"))
            return ClassicStart::PlayStartedName;
    }
    return ClassicStart::OfferChooser;
}

} // namespace taleplay::launch
