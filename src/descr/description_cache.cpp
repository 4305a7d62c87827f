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
// they are not description files anyone writes, and keeping them (with their
// folded copies) would cost more memory than it saves time.
constexpr std::int64_t kLargestKeptFile = 16 << 20;
constexpr std::size_t kBudgetBytes = 96u << 20;
constexpr std::size_t kMostFiles = 32;
// Keys asked of one file before its remembered answers are dropped: answer
// checks make a new key of every typed text.
constexpr std::size_t kMostMemoBytes = 8u << 20;

std::int64_t recentWindow = 3'000'000'000; // FAT's 2 s times, and some margin

struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0; // ns
    std::int64_t changed = 0;  // ns
    friend bool operator==(const Stamp&, const Stamp&) = default;
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

void keepWithinBudget() {
    auto& kept = entries();
    auto total = [&] {
        std::size_t sum = 0;
        for (const Entry& e : kept)
            sum += e.file->bytes() + e.raw.capacity();
        return sum;
    };
    while (!kept.empty() && (kept.size() > kMostFiles || total() > kBudgetBytes)) {
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

DescriptionFile::DescriptionFile(std::vector<std::string> lines) {
    std::size_t total = 0;
    for (const std::string& l : lines)
        total += l.size() + 1;
    text_.reserve(total);
    starts_.reserve(lines.size() + 1);
    for (const std::string& l : lines) {
        starts_.push_back(static_cast<std::uint32_t>(text_.size()));
        text_ += l;
        text_ += '\n';
    }
    starts_.push_back(static_cast<std::uint32_t>(text_.size()));
}

std::string_view DescriptionFile::line(std::size_t index) const {
    return std::string_view(text_).substr(starts_[index], starts_[index + 1] - starts_[index] - 1);
}

std::size_t DescriptionFile::bytes() const {
    return text_.capacity() + starts_.capacity() * 4 + anyCase_.text.capacity() +
           answer_.text.capacity() + (anyCase_.starts.capacity() + answer_.starts.capacity()) * 4 +
           memoBytes_;
}

const DescriptionFile::Folded& DescriptionFile::folded(Compare compare) {
    Folded& f = compare == Compare::AnyCase ? anyCase_ : answer_;
    if (f.made)
        return f;
    f.made = true;
    if (compare == Compare::AnyCase) {
        // Folding keeps every byte in place, so the line starts stay.
        f.text = text_;
        anyCaseLowerInPlace(f.text);
        f.starts = starts_;
        return f;
    }
    // Answer normalisation changes lengths: fold line by line.
    std::string l, spare, pending;
    f.text.reserve(text_.size());
    f.starts.reserve(starts_.size());
    for (std::size_t i = 0; i < lineCount(); ++i) {
        l.assign(line(i));
        asciiLowerCaseInPlace(l);
        normaliseAnswerInPlace(l, spare, pending);
        cyrillicLowerCaseInPlace(l);
        f.starts.push_back(static_cast<std::uint32_t>(f.text.size()));
        f.text += l;
        f.text += '\n';
    }
    f.starts.push_back(static_cast<std::uint32_t>(f.text.size()));
    return f;
}

std::vector<std::uint32_t> DescriptionFile::search(std::string_view text,
                                                   const std::vector<std::uint32_t>& starts,
                                                   const std::string& key) {
    std::vector<std::uint32_t> hits;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t at = text.find(key, from);
        if (at == std::string_view::npos)
            break;
        // The line holding the hit; a key has no line break, so it lies
        // within one line. Each line counts once: go on at the next one.
        const auto next = std::upper_bound(starts.begin(), starts.end(), at);
        hits.push_back(static_cast<std::uint32_t>(next - starts.begin() - 1));
        from = *next;
    }
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
    std::vector<std::uint32_t> hits;
    if (compare == Compare::Exact) {
        hits = search(text_, starts_, foldedKey);
    } else {
        const Folded& f = folded(compare);
        hits = search(f.text, f.starts, foldedKey);
    }
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
    files::readWholeFile(fsPath, shown, raw, static_cast<std::size_t>(kLargestKeptFile));
    std::shared_ptr<DescriptionFile> file;
    if (it != kept.end() && it->raw == raw) {
        file = it->file;
    } else {
        std::vector<std::string> lines;
        files::LineReader reader(fsPath, shown);
        std::string l;
        while (reader.next(l))
            lines.push_back(l);
        file = std::make_shared<DescriptionFile>(std::move(lines));
    }

    // A file that changed while it was read is used once and not kept.
    Stamp after;
    bool stillRegular = false;
    if (!stampOf(fsPath, after, stillRegular) || !(after == stamp)) {
        if (it != kept.end())
            kept.erase(it);
        return file;
    }
    Entry e{fsPath,         stamp, std::max(stamp.modified, stamp.changed) > readAt - recentWindow,
            std::move(raw), file,  ++useCounter};
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

void setRecentChangeWindow(std::int64_t nanoseconds) {
    recentWindow = nanoseconds;
}

} // namespace taleplay::descr
