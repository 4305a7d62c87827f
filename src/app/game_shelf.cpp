// The examples beside the program and the games in the Documents folder.
#include "app/game_shelf.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace taleplay::launch {
namespace fs = std::filesystem;

std::string examplesFolderOf(const std::string& program) {
    std::error_code e;
    const fs::path beside =
        fs::path(program).parent_path().parent_path() / "share" / "taleplay" / "examples";
    return fs::is_directory(beside, e) ? beside.lexically_normal().string() : std::string();
}

std::vector<GameLocation> documentsGames(const std::string& documents) {
    std::vector<GameLocation> games;
    const auto take = [&](const fs::path& folder) {
        for (GameLocation& g : gamesIn(folder.string()))
            games.push_back(std::move(g));
    };
    if (documents.empty())
        return games;
    take(documents);
    // "Игры" as the file system spells it: UTF-8.
    for (const char* shelf : {"\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B", "Games"}) {
        const fs::path root = fs::path(documents) / shelf;
        std::error_code e;
        if (!fs::is_directory(root, e))
            continue;
        take(root);
        std::vector<fs::path> inside;
        for (fs::directory_iterator it(root, e), end; !e && it != end; it.increment(e)) {
            std::error_code ignored;
            const std::string name = it->path().filename().string();
            if (it->is_directory(ignored) && name.rfind("data_", 0) != 0 && name.front() != '.')
                inside.push_back(it->path());
        }
        std::sort(inside.begin(), inside.end());
        for (const fs::path& folder : inside)
            take(folder);
    }
    return games;
}

bool startedFromTerminal() {
    return ::isatty(STDIN_FILENO) || ::isatty(STDOUT_FILENO) || ::isatty(STDERR_FILENO);
}

} // namespace taleplay::launch
