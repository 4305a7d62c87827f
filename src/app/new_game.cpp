// Copying the template into a new game.
#include "app/new_game.h"

#include "core/codepage.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace taleplay::launch {
namespace fs = std::filesystem;
namespace {

NewGame cannot(const char* text, std::vector<std::string> values) {
    return {{}, Phrase{"NewGame", text, std::move(values)}};
}

bool isDescriptionFile(const fs::path& p) {
    return p.extension() == ".txt";
}

} // namespace

std::string templateIn(const std::string& examplesFolder) {
    if (examplesFolder.empty())
        return {};
    // "data_викторина": the file system's UTF-8.
    const fs::path quiz = fs::path(examplesFolder) /
                          "data_\xD0\xB2\xD0\xB8\xD0\xBA\xD1\x82\xD0\xBE\xD1\x80\xD0\xB8\xD0\xBD\xD0\xB0";
    std::error_code e;
    return fs::is_directory(quiz, e) ? quiz.string() : std::string();
}

NewGame makeNewGame(const std::string& where, const std::string& name, TextEncodingAsked encoding,
                    const std::string& templateFolder) {
    if (templateFolder.empty())
        return cannot(TALEPLAY_TEXT("NewGame", "the template of new games is not installed"), {});
    fs::path target = fs::absolute(fs::path(where)).lexically_normal();
    if (!target.has_filename())
        target = target.parent_path();
    if (target.filename().string().rfind("data_", 0) != 0) {
        if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
            return cannot(TALEPLAY_TEXT("NewGame", "'%1' cannot be a game's name"), {name});
        target /= "data_" + name;
    }
    if (target.filename() == "data_")
        return cannot(TALEPLAY_TEXT("NewGame", "'%1' cannot be a game's name"), {""});
    std::error_code e;
    if (fs::exists(target, e) && !(fs::is_directory(target, e) && fs::is_empty(target, e)))
        return cannot(TALEPLAY_TEXT("NewGame", "%1 already exists: choose another name"),
                      {target.string()});
    fs::create_directories(target, e);
    if (e)
        return cannot(TALEPLAY_TEXT("NewGame", "cannot make %1: %2"), {target.string(), e.message()});
    for (fs::directory_iterator it(templateFolder, e), end; !e && it != end; it.increment(e)) {
        std::error_code ignored;
        if (!it->is_regular_file(ignored))
            continue;
        const fs::path to = target / it->path().filename();
        std::ifstream in(it->path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        if (encoding == TextEncodingAsked::Utf8 && isDescriptionFile(it->path()))
            bytes = cp1251::toUtf8(bytes);
        std::ofstream out(to, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!in || !out.flush())
            return cannot(TALEPLAY_TEXT("NewGame", "cannot write %1"), {to.string()});
    }
    if (e)
        return cannot(TALEPLAY_TEXT("NewGame", "cannot read the template %1: %2"),
                      {templateFolder, e.message()});
    const std::string data = target.filename().string();
    return {{target.parent_path().string(), data.substr(5)}, {}};
}

} // namespace taleplay::launch
