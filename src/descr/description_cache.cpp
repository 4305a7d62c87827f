// Description files kept in memory, checked against the disk on every lookup.
#include "descr/description_cache.h"

#include "core/files.h"
#include "descr/Stroki_functions.h"

#include <algorithm>
#include <ctime>
#include <sys/stat.h>

namespace taleplay::descr {
namespace {

// Files larger than this are read line by line at every lookup, as before:
// no game has one, and keeping it (with its folded copy) would take more
// memory than a player may spare.
constexpr std::int64_t kLargestKeptFile = 256 << 20;
// Files up to this size keep their bytes, so a recently changed one is
// compared rather than cut and folded again at every lookup.
constexpr std::int64_t kLargestCompared = 1 << 20;
// Kept files are dropped, least recently used first, while those beyond the
// largest take more than this (tests make it smaller).
std::size_t budgetBytes = kDescriptionCacheBudget;
// Lines longer than this carry the set of bytes they hold.
constexpr std::size_t kLongLine = 4096;
constexpr std::size_t kMostFiles = 32;
// Keys asked of one file before its remembered answers are dropped: answer
// checks make a new key of every typed text.
constexpr std::size_t kMostMemoBytes = 8u << 20;

// Disks that keep nanoseconds stamp files from a clock of a few
// milliseconds; FAT keeps two seconds.
std::int64_t fineWindow = 50'000'000;
std::int64_t coarseWindow = 3'000'000'000;

struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0; // ns
    std::int64_t changed = 0;  // ns
    friend bool operator==(const Stamp&, const Stamp&) = default;

    // Whether the file changed so lately, seen from `now`, that another
    // change within the same tick of its clock would leave this stamp.
    bool recent(std::int64_t now) const {
        const bool fine = modified % 1'000'000'000 != 0 || changed % 1'000'000'000 != 0;
        return std::max(modified, changed) > now - (fine ? fineWindow : coarseWindow);
    }
};

std::int64_t nanoseconds(const timespec& t) {
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

Stamp stampOf(const struct stat& st) {
    return Stamp{st.st_dev, st.st_ino, st.st_size, nanoseconds(st.st_mtim),
                 nanoseconds(st.st_ctim)};
}

bool stampOf(const std::string& fsPath, Stamp& out, bool& regular) {
    struct stat st;
    if (::stat(fsPath.c_str(), &st) != 0)
        return false;
    regular = S_ISREG(st.st_mode);
    out = stampOf(st);
    return true;
}

std::int64_t now() {
    timespec t{};
    ::clock_gettime(CLOCK_REALTIME, &t);
    return nanoseconds(t);
}

struct Entry {
    std::string path;
    Stamp stamp;
    bool recent = false; // changed too lately for the stamp to be trusted
    // The bytes the lines were read from: a recently changed file is read
    // again and compared, which costs far less than cutting and folding it.
    std::vector<unsigned char> raw;
    std::shared_ptr<DescriptionFile> file;
    std::uint64_t lastUse = 0;
};

std::vector<Entry>& entries() {
    static std::vector<Entry> kept;
    return kept;
}

std::uint64_t useCounter = 0;

// The file just used is never dropped, and the largest kept file does not
// count against the budget: a file larger than the whole budget (a text
// pasted by mistake, a hundred megabytes on one line) would otherwise be
// dropped as soon as another file was read, and read and cut again at each
// of the hundreds of lookups of a start-up, for minutes.
void keepWithinBudget() {
    auto& kept = entries();
    auto overBudget = [&] {
        std::size_t sum = 0;
        std::size_t largest = 0;
        for (const Entry& e : kept) {
            const std::size_t bytes = e.file->bytes() + e.raw.capacity();
            sum += bytes;
            largest = std::max(largest, bytes);
        }
        return sum - largest > budgetBytes;
    };
    // The file just used has the newest use, so it is never the oldest of two.
    while (kept.size() > 1 && (kept.size() > kMostFiles || overBudget())) {
        auto oldest =
            std::min_element(kept.begin(), kept.end(),
                             [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
        kept.erase(oldest);
    }
}

} // namespace

std::string foldKey(std::string_view key, Compare compare) {
    std::string folded(key);
    switch (compare) {
    case Compare::Exact:
        break;
    case Compare::AnyCase:
        anyCaseLowerInPlace(folded);
        break;
    case Compare::Answer: {
        std::string spare, pending;
        asciiLowerCaseInPlace(folded);
        normaliseAnswerInPlace(folded, spare, pending);
        cyrillicLowerCaseInPlace(folded);
        break;
    }
    }
    // A line never holds a line break, so such a key matches nothing.
    if (folded.find('\n') != std::string::npos)
        folded.clear();
    return folded;
}

void DescriptionFile::Text::finish() {
    starts.push_back(static_cast<std::uint32_t>(bytes.size()));
    for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
        if (starts[i + 1] - starts[i] <= kLongLine)
            continue;
        Long l{static_cast<std::uint32_t>(i), {}};
        for (std::size_t at = starts[i]; at + 1 < starts[i + 1]; ++at) {
            const auto b = static_cast<unsigned char>(bytes[at]);
            l.present[b >> 6] |= std::uint64_t(1) << (b & 63);
        }
        longLines.push_back(l);
    }
    made = true;
}

std::size_t DescriptionFile::Text::memory() const {
    return bytes.capacity() + starts.capacity() * sizeof(std::uint32_t) +
           longLines.capacity() * sizeof(Long);
}

DescriptionFile::DescriptionFile(files::LineReader& reader) {
    std::string l;
    while (reader.next(l)) {
        plain_.starts.push_back(static_cast<std::uint32_t>(plain_.bytes.size()));
        plain_.bytes += l;
        plain_.bytes += '\n';
    }
    plain_.bytes.shrink_to_fit();
    plain_.finish();
}

std::string_view DescriptionFile::line(std::size_t index) const {
    const auto& starts = plain_.starts;
    return std::string_view(plain_.bytes)
        .substr(starts[index], starts[index + 1] - starts[index] - 1);
}

std::size_t DescriptionFile::bytes() const {
    return plain_.memory() + anyCase_.memory() + answer_.memory() + memoBytes_;
}

const DescriptionFile::Text& DescriptionFile::folded(Compare compare) {
    if (compare == Compare::Exact)
        return plain_;
    Text& f = compare == Compare::AnyCase ? anyCase_ : answer_;
    if (f.made)
        return f;
    if (compare == Compare::AnyCase) {
        // Folding keeps every byte in place, so the line starts stay.
        f.bytes = plain_.bytes;
        anyCaseLowerInPlace(f.bytes);
        f.starts.assign(plain_.starts.begin(), plain_.starts.end() - 1);
        f.finish();
        return f;
    }
    // Answer normalisation changes lengths: fold line by line.
    std::string l, spare, pending;
    f.bytes.reserve(plain_.bytes.size());
    for (std::size_t i = 0; i < lineCount(); ++i) {
        l.assign(line(i));
        asciiLowerCaseInPlace(l);
        normaliseAnswerInPlace(l, spare, pending);
        cyrillicLowerCaseInPlace(l);
        f.starts.push_back(static_cast<std::uint32_t>(f.bytes.size()));
        f.bytes += l;
        f.bytes += '\n';
    }
    f.finish();
    return f;
}

std::vector<std::uint32_t> DescriptionFile::search(const Text& t, const std::string& key) {
    std::array<std::uint64_t, 4> needed{};
    for (const char c : key) {
        const auto b = static_cast<unsigned char>(c);
        needed[b >> 6] |= std::uint64_t(1) << (b & 63);
    }
    std::vector<std::uint32_t> hits;
    const std::string_view text = t.bytes;
    // Finds the key in [from, to), a run of whole lines, each line once.
    const auto scan = [&](std::size_t from, std::size_t to) {
        while (from < to) {
            const std::size_t at = text.substr(0, to).find(key, from);
            if (at == std::string_view::npos)
                return;
            // The line holding the hit; a key has no line break, so it lies
            // within one line. Each line counts once: go on at the next one.
            const auto next = std::upper_bound(t.starts.begin(), t.starts.end(), at);
            hits.push_back(static_cast<std::uint32_t>(next - t.starts.begin() - 1));
            from = *next;
        }
    };
    std::size_t from = 0;
    for (const Text::Long& l : t.longLines) {
        scan(from, t.starts[l.index]);
        bool possible = true;
        for (int w = 0; w < 4; ++w)
            possible = possible && (needed[w] & ~l.present[w]) == 0;
        if (possible)
            scan(t.starts[l.index], t.starts[l.index + 1]);
        from = t.starts[l.index + 1];
    }
    scan(from, text.size());
    return hits;
}

const std::vector<std::uint32_t>& DescriptionFile::matches(Compare compare,
                                                           const std::string& foldedKey) {
    auto& memo = memo_[static_cast<int>(compare)];
    if (auto it = memo.find(foldedKey); it != memo.end())
        return it->second;
    if (memoBytes_ > kMostMemoBytes) {
        for (auto& m : memo_)
            m.clear();
        memoBytes_ = 0;
    }
    std::vector<std::uint32_t> hits = search(folded(compare), foldedKey);
    memoBytes_ += foldedKey.size() + hits.size() * 4 + 64;
    return memo.emplace(foldedKey, std::move(hits)).first->second;
}

std::shared_ptr<DescriptionFile> cachedDescriptionFile(const std::string& fsPath,
                                                       const struct stat& info,
                                                       std::string_view shownPath) {
    const Stamp stamp = stampOf(info);
    if (!S_ISREG(info.st_mode) || stamp.size > kLargestKeptFile)
        return nullptr;

    auto& kept = entries();
    auto it =
        std::find_if(kept.begin(), kept.end(), [&](const Entry& e) { return e.path == fsPath; });
    if (it != kept.end() && it->stamp == stamp && !it->recent) {
        it->lastUse = ++useCounter;
        return it->file;
    }

    const std::int64_t readAt = now();
    std::vector<unsigned char> raw;
    const std::string shown(shownPath);
    if (stamp.size <= kLargestCompared)
        files::readWholeFile(fsPath, shown, raw, static_cast<std::size_t>(kLargestCompared));
    std::shared_ptr<DescriptionFile> file;
    if (it != kept.end() && !it->raw.empty() && it->raw == raw) {
        file = it->file;
    } else {
        // The old one goes first: a large file is not held twice.
        if (it != kept.end())
            it->file.reset();
        files::LineReader reader(fsPath, shown);
        file = std::make_shared<DescriptionFile>(reader);
    }

    // A file that changed while it was read is used once and not kept.
    Stamp after;
    bool stillRegular = false;
    if (!stampOf(fsPath, after, stillRegular) || !(after == stamp)) {
        if (it != kept.end())
            kept.erase(it);
        return file;
    }
    Entry e{fsPath, stamp, stamp.recent(readAt), std::move(raw), file, ++useCounter};
    if (it != kept.end())
        *it = std::move(e);
    else
        kept.push_back(std::move(e));
    keepWithinBudget();
    return file;
}

void clearDescriptionCache() {
    entries().clear();
}

void setDescriptionCacheBudget(std::size_t bytes) {
    budgetBytes = bytes;
}

void setRecentChangeWindow(std::int64_t fineNanoseconds, std::int64_t coarseNanoseconds) {
    fineWindow = fineNanoseconds;
    coarseWindow = coarseNanoseconds;
}

} // namespace taleplay::descr
