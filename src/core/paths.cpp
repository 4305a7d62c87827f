// Game names resolved against the disk, ignoring letter case where they differ.
#include "core/paths.h"

#include "core/codepage.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace taleplay::paths {
namespace {

bool exists(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0;
}

// Decodes one UTF-8 code point; malformed bytes come back one at a time as
// themselves so that comparison still works byte for byte on them.
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
    unsigned char c = s[i];
    int extra = c < 0x80             ? 0
                : (c & 0xE0) == 0xC0 ? 1
                : (c & 0xF0) == 0xE0 ? 2
                : (c & 0xF8) == 0xF0 ? 3
                                     : -1;
    if (extra == 0) {
        ++i;
        return c;
    }
    if (extra < 0 || i + extra >= s.size()) {
        ++i;
        return c | 0x110000u;
    }
    char32_t cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned char cc = s[i + k];
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return c | 0x110000u;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    i += extra + 1;
    return cp;
}

// The entry of folder `dir` whose name equals `name` ignoring case; the first
// in byte order when several do, so the choice does not depend on the disk.
std::string findIgnoringCase(const std::string& dir, const std::string& name) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return {};
    std::vector<std::string> hits;
    while (dirent* e = ::readdir(d)) {
        if (sameNameIgnoringCase(e->d_name, name))
            hits.emplace_back(e->d_name);
    }
    ::closedir(d);
    if (hits.empty())
        return {};
    return *std::min_element(hits.begin(), hits.end());
}

} // namespace

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
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (foldCase(nextCodePoint(a, i)) != foldCase(nextCodePoint(b, j)))
            return false;
    }
    return i == a.size() && j == b.size();
}

std::string resolve(std::string_view composed) {
    std::string path = cp1251::toUtf8(composed);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || exists(path))
        return path;

    // Walk the components, keeping what exists and looking up what does not.
    const bool absolute = path.front() == '/';
    std::string done = absolute ? "/" : "";
    std::size_t pos = absolute ? 1 : 0;
    while (pos <= path.size()) {
        std::size_t end = path.find('/', pos);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty()) {
            if (end == path.size() && !done.empty() && done.back() != '/')
                done += '/';
            continue;
        }
        std::string candidate = done + part;
        if (!exists(candidate) && part != "." && part != "..") {
            std::string found = findIgnoringCase(done, part);
            if (found.empty())
                return path;
            candidate = done + found;
        }
        done = candidate;
        if (end < path.size())
            done += '/';
    }
    return done;
}

std::optional<std::string> existingFile(std::string_view composed) {
    std::string path = resolve(composed);
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
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
    return cp1251::fromUtf8(buf.data());
}

std::string lastComponent(std::string_view path) {
    std::size_t cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

} // namespace taleplay::paths
