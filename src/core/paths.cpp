// Game names resolved against the disk, ignoring letter case and the code
// page their files were stored in.
#include "core/paths.h"

#include "core/codepage.h"

#include <algorithm>
#include <ctime>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

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

// A folder's entries by their folded names: for each folded name, the entry
// found for it, the earliest kind of match first, then the first in byte
// order. An entry counts under the first of its three readings that gives
// the name, as a search through the entries would find it.
using Listing = std::unordered_map<std::u32string, Entry>;

void offer(Listing& listing, std::u32string folded, std::string_view name, NameMatch match) {
    Entry& best = listing[std::move(folded)];
    if (match < best.match || (match == best.match && name < best.name))
        best = {std::string(name), match};
}

std::optional<Listing> listFolder(const std::string& dir) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d)
        return std::nullopt;
    Listing listing;
    while (dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (name == "." || name == "..")
            continue;
        std::u32string utf8 = foldedUtf8(name);
        std::u32string cp1251 = foldedBytes(name, cp1251::toUnicode);
        std::u32string cp866 = foldedBytes(name, cp866::toUnicode);
        if (cp866 != utf8 && cp866 != cp1251)
            offer(listing, std::move(cp866), name, NameMatch::Cp866);
        if (cp1251 != utf8)
            offer(listing, std::move(cp1251), name, NameMatch::Windows1251);
        offer(listing, std::move(utf8), name, NameMatch::LetterCase);
    }
    ::closedir(d);
    return listing;
}

// Folder listings kept while the folder is unchanged. A game asks many times
// for files it does not have (every text window number a builder tries, a
// file each end screen may name), and each miss would read and fold the
// folder's entries anew. A kept listing is used only while the folder's
// device, inode and modification and change times are those it was read
// with, which every entry made, removed or renamed changes; a folder changed
// too recently for its times to tell two versions apart is read again.
struct KeptListing {
    std::string dir;
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t modified = 0, changed = 0;
    Listing listing;
};

constexpr std::size_t kMostKeptListings = 16;
constexpr std::size_t kLargestKeptListing = 20'000; // entries
// Folders whose times carry nanoseconds are stamped by a clock of a few
// milliseconds; FAT keeps two seconds.
std::int64_t fineListingWindow = 50'000'000;
std::int64_t coarseListingWindow = 3'000'000'000;

std::int64_t nanoseconds(const timespec& t) {
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

std::int64_t nowNanoseconds() {
    timespec t{};
    ::clock_gettime(CLOCK_REALTIME, &t);
    return nanoseconds(t);
}

// The entry of `dir` whose name is `wanted` (folded) in any case and any of
// the three encodings, the earliest kind of match first, then the first in
// byte order.
Entry findEntry(const std::string& dir, const std::u32string& wanted) {
    static std::vector<KeptListing> kept;
    struct stat st;
    if (::stat(dir.empty() ? "." : dir.c_str(), &st) != 0)
        return {};
    auto it =
        std::find_if(kept.begin(), kept.end(), [&](const KeptListing& k) { return k.dir == dir; });
    const bool same = it != kept.end() && it->device == st.st_dev && it->inode == st.st_ino &&
                      it->modified == nanoseconds(st.st_mtim) &&
                      it->changed == nanoseconds(st.st_ctim);
    if (!same) {
        const std::int64_t readAt = nowNanoseconds();
        std::optional<Listing> listing = listFolder(dir);
        if (!listing)
            return {};
        const bool fine = st.st_mtim.tv_nsec != 0 || st.st_ctim.tv_nsec != 0;
        const bool settled = std::max(nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)) <=
                             readAt - (fine ? fineListingWindow : coarseListingWindow);
        if (it != kept.end())
            kept.erase(it);
        if (!settled || listing->size() > 3 * kLargestKeptListing) {
            const auto found = listing->find(wanted);
            return found == listing->end() ? Entry{} : found->second;
        }
        if (kept.size() >= kMostKeptListings)
            kept.erase(kept.begin());
        kept.push_back({dir, st.st_dev, st.st_ino, nanoseconds(st.st_mtim), nanoseconds(st.st_ctim),
                        std::move(*listing)});
        it = kept.end() - 1;
    }
    const auto found = it->listing.find(wanted);
    return found == it->listing.end() ? Entry{} : found->second;
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

void setRecentListingWindow(std::int64_t fineNanoseconds, std::int64_t coarseNanoseconds) {
    fineListingWindow = fineNanoseconds;
    coarseListingWindow = coarseNanoseconds;
}

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

namespace {

// The path as composed: the native part as it is, the game names converted.
std::string asComposedPath(const Parts& parts) {
    std::string path(parts.native);
    path += cp1251::toUtf8(parts.game);
    std::replace(path.begin() + std::ptrdiff_t(parts.native.size()), path.end(), '\\', '/');
    return path;
}

// For a composed path that does not exist as composed: walks the game names,
// keeping what exists and looking up what does not.
Resolved lookUpNames(const Parts& parts, Resolved asComposed) {
    asComposed.match = NameMatch::Missing;
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

} // namespace

Resolved resolveName(std::string_view composed) {
    const Parts parts = split(composed);
    Resolved asComposed{asComposedPath(parts), shown(composed), NameMatch::Exact};
    if (asComposed.path.empty() || exists(asComposed.path))
        return asComposed;
    return lookUpNames(parts, std::move(asComposed));
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
    struct stat st;
    return existingFile(composed, st);
}

std::optional<std::string> existingFile(std::string_view composed, struct stat& info) {
    // The path as composed, as resolveName tries it first; only when that is
    // missing are the names looked up in other cases and code pages.
    const Parts parts = split(composed);
    std::string path = asComposedPath(parts);
    if (path.empty())
        return std::nullopt;
    if (::stat(path.c_str(), &info) != 0) {
        Resolved found = lookUpNames(parts, {std::move(path), {}, NameMatch::Exact});
        if (found.match == NameMatch::Missing || ::stat(found.path.c_str(), &info) != 0)
            return std::nullopt;
        path = std::move(found.path);
    }
    // Only a regular file (or a link to one) counts: a pipe, a device or a
    // socket where a game file should be is as good as missing.
    if (!S_ISREG(info.st_mode))
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
