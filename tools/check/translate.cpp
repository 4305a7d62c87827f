#include "check/translate.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <libintl.h>
#include <system_error>

namespace taleplay::check {

const char* tr(const char* english) {
    return ::dgettext(kTextDomain, english);
}

const char* trn(const char* one, const char* many, unsigned long n) {
    return ::dngettext(kTextDomain, one, many, n);
}

std::string format(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(pattern.size() + 32);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const std::size_t index = i + 2 < pattern.size() && pattern[i] == '{' &&
                                          pattern[i + 2] == '}' && pattern[i + 1] >= '1' &&
                                          pattern[i + 1] <= '9'
                                      ? static_cast<std::size_t>(pattern[i + 1] - '1')
                                      : args.size();
        if (index < args.size()) {
            out += *(args.begin() + index);
            i += 2;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Where the catalogues lie: "locale" beside the program in the build tree,
// "../share/locale" from an installed program's folder; empty for the
// system's own place.
std::string catalogueFolder() {
    std::error_code e;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", e);
    if (e)
        return {};
    const std::filesystem::path folder = program.parent_path();
    for (const std::filesystem::path& candidate :
         {folder / "locale", folder.parent_path() / "share" / "locale"})
        if (std::filesystem::is_directory(candidate, e))
            return candidate.string();
    return {};
}

} // namespace

void setUpMessages() {
    // Only the messages follow the locale: the reading of the game (letter
    // case, digits) must not change with it.
    if (!std::setlocale(LC_MESSAGES, "")) {
        // The locale asked for is not installed: a fresh Debian has only
        // C.UTF-8, and "ru_RU.UTF-8" would leave every message English.
        // gettext still honours LANGUAGE in C.UTF-8 (not in plain C), so the
        // name asked for becomes the language list.
        std::string wanted = environment("LC_ALL");
        if (wanted.empty())
            wanted = environment("LC_MESSAGES");
        if (wanted.empty())
            wanted = environment("LANG");
        if (!wanted.empty() &&
            (std::setlocale(LC_MESSAGES, "C.UTF-8") || std::setlocale(LC_MESSAGES, "C.utf8")) &&
            environment("LANGUAGE").empty())
            ::setenv("LANGUAGE", wanted.c_str(), 1);
    }
    if (const std::string folder = catalogueFolder(); !folder.empty())
        ::bindtextdomain(kTextDomain, folder.c_str());
    // Findings quote the game's texts in UTF-8, whatever the terminal's
    // locale says.
    ::bind_textdomain_codeset(kTextDomain, "UTF-8");
}

} // namespace taleplay::check
