// Game names resolved against the disk, ignoring letter case and the code
// page their files were stored in.
#include "core/paths.h"

#include "core/codepage.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace taleplay::paths {
namespace {

std::vector<std::string>& nativeFolders() {
    static std::vector<std::string> folders;
    return folders;
}

bool exists(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0;
}

// A name as the folded code points it compares by.
std::u32string foldedUtf8(std::string_view name) {
    std::u32string out;
    for (std::size_t i = 0; i < name.size();)
        out += foldCase(utf8::next(name, i));
    return out;
}

template <typename Decode> std::u32string foldedBytes(std::string_view name, Decode decode) {
    std::u32string out;
    for (unsigned char c : name)
        out += foldCase(decode(c));
    return out;
}

std::string cp866ToUtf8(std::string_view name) {
    std::string out;
    for (unsigned char c : name)
        utf8::append(out, cp866::toUnicode(c));
    return out;
}

struct Entry {
    std::string name;
    NameMatch match = NameMatch::Missing;
};

// The entry of `dir` whose name is `wanted` (folded) in any case and any of
// the three encodings, the earliest kind of match first, then the first in
// byte order.
Entry findEntry(const std::string& dir, const std::u32string& wanted) {
    Entry best;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return best;
    while (dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (name == "." || name == "..")
            continue;
        NameMatch match = NameMatch::Missing;
        if (foldedUtf8(name) == wanted)
            match = NameMatch::LetterCase;
        else if (foldedBytes(name, cp1251::toUnicode) == wanted)
            match = NameMatch::Windows1251;
        else if (foldedBytes(name, cp866::toUnicode) == wanted)
            match = NameMatch::Cp866;
        else
            continue;
        if (match < best.match || (match == best.match && name < best.name))
            best = {std::string(name), match};
    }
    ::closedir(d);
    return best;
}

std::string shownName(const Entry& e) {
    switch (e.match) {
    case NameMatch::Windows1251:
        return cp1251::toUtf8(e.name);
    case NameMatch::Cp866:
        return cp866ToUtf8(e.name);
    default:
        return e.name;
    }
}

} // namespace

void setNativeFolders(std::vector<std::string> folders) {
    nativeFolders() = std::move(folders);
}

Parts split(std::string_view composed) {
    std::size_t cut = 0;
    for (const std::string& f : nativeFolders())
        if (f.size() > cut && composed.substr(0, f.size()) == f)
            cut = f.size();
    return {composed.substr(0, cut), composed.substr(cut)};
}

std::string shown(std::string_view composed) {
    const Parts parts = split(composed);
    return std::string(parts.native) + cp1251::toUtf8(parts.game);
}

char32_t foldCase(char32_t cp) {
    if (cp >= 'A' && cp <= 'Z')
        return cp + 32;
    if (cp >= 0x0410 && cp <= 0x042F)
        return cp + 0x20;
    if (cp >= 0x0400 && cp <= 0x040F)
        return cp + 0x50;
    return cp;
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    return foldedUtf8(a) == foldedUtf8(b);
}

Resolved resolveName(std::string_view composed) {
    const Parts parts = split(composed);
    std::string game = cp1251::toUtf8(parts.game);
    std::replace(game.begin(), game.end(), '\\', '/');
    Resolved asComposed{std::string(parts.native) + game, shown(composed), NameMatch::Exact};
    if (asComposed.path.empty() || exists(asComposed.path))
        return asComposed;
    asComposed.match = NameMatch::Missing;

    // Walk the game names, keeping what exists and looking up what does not.
    std::string done(parts.native), seen(parts.native);
    std::string_view rest = parts.game;
    if (done.empty() && !rest.empty() && (rest.front() == '/' || rest.front() == '\\')) {
        done = seen = "/";
        rest.remove_prefix(1);
    }
    NameMatch loosest = NameMatch::Exact;
    for (;;) {
        const std::size_t end = rest.find_first_of("/\\");
        const std::string_view part = rest.substr(0, end);
        const bool last = end == std::string_view::npos;
        if (part.empty()) {
            // An empty name: a doubled separator, or the final one.
            if (last && !done.empty() && done.back() != '/') {
                done += '/';
                seen += '/';
            }
        } else {
            const std::string exact = cp1251::toUtf8(part);
            if (exists(done + exact) || part == "." || part == "..") {
                done += exact;
                seen += exact;
            } else {
                const Entry found = findEntry(done, foldedBytes(part, cp1251::toUnicode));
                if (found.match == NameMatch::Missing)
                    return asComposed;
                done += found.name;
                seen += shownName(found);
                loosest = std::max(loosest, found.match);
            }
            if (!last) {
                done += '/';
                seen += '/';
            }
        }
        if (last)
            break;
        rest.remove_prefix(end + 1);
    }
    return {done, seen, loosest};
}

std::string resolve(std::string_view composed) {
    return resolveName(composed).path;
}

Resolved resolveIn(std::string_view nativeFolder, std::string_view nativeName) {
    std::string folder(nativeFolder);
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    Resolved r{folder + std::string(nativeName), folder + std::string(nativeName),
               NameMatch::Exact};
    struct stat st;
    if (nativeName.empty() || ::lstat(r.path.c_str(), &st) == 0)
        return r;
    const Entry found = findEntry(folder, foldedUtf8(nativeName));
    if (found.match == NameMatch::Missing) {
        r.match = NameMatch::Missing;
        return r;
    }
    return {folder + found.name, folder + shownName(found), found.match};
}

std::optional<std::string> existingFile(std::string_view composed) {
    std::string path = resolve(composed);
    struct stat st;
    // Only a regular file (or a link to one) counts: a pipe, a device or a
    // socket where a game file should be is as good as missing.
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return path;
}

bool fileExists(std::string_view composed) {
    return existingFile(composed).has_value();
}

bool folderExists(std::string_view composed) {
    struct stat st;
    return ::stat(resolve(composed).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string currentFolder() {
    std::vector<char> buf(4096);
    while (!::getcwd(buf.data(), buf.size())) {
        if (buf.size() > (1u << 20))
            return ".";
        buf.resize(buf.size() * 2);
    }
    return buf.data();
}

std::string lastComponent(std::string_view path) {
    const std::size_t cut = path.rfind('/');
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

} // namespace taleplay::paths
