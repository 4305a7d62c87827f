#pragma once
// Description files kept in memory between lookups. A game asks its few
// files for thousands of keys (every builder, every click rule, every
// answer), and reading a file afresh for each made a click grow with the
// file's length. A kept file is used only while the file on disk is provably
// the same: device, inode, size and the modification and change times in
// nanoseconds are checked on every lookup, and a file changed too recently
// for its times to tell two versions apart is read again each time. So every
// lookup still sees the file as it is on disk now.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct stat;

namespace taleplay::files {
class LineReader;
}

namespace taleplay::descr {

// How a key is compared with a line (both folded alike first).
enum class Compare { Exact, AnyCase, Answer };

// The key as the comparison folds it; empty when it can never match.
std::string foldKey(std::string_view key, Compare compare);

// One description file as read, with the line numbers each key was found on.
class DescriptionFile {
  public:
    // Reads every line the reader gives.
    explicit DescriptionFile(files::LineReader& reader);

    std::size_t lineCount() const { return plain_.starts.size() - 1; }
    std::string_view line(std::size_t index) const;

    // The indices of the lines that hold `foldedKey` (see foldKey), in file
    // order, each line once. Kept per key, so asking again costs nothing.
    const std::vector<std::uint32_t>& matches(Compare compare, const std::string& foldedKey);

    // Memory held, for the cache's budget.
    std::size_t bytes() const;

  private:
    // Lines joined by '\n', where each starts, and which bytes each very long
    // line holds: a key with a byte the line lacks is not looked for in it,
    // so a line of a hundred megabytes costs a lookup next to nothing.
    struct Text {
        std::string bytes;
        std::vector<std::uint32_t> starts;
        struct Long {
            std::uint32_t index;
            std::array<std::uint64_t, 4> present;
        };
        std::vector<Long> longLines;
        bool made = false;
        void finish();
        std::size_t memory() const;
    };
    const Text& folded(Compare compare);
    static std::vector<std::uint32_t> search(const Text& text, const std::string& key);

    Text plain_, anyCase_, answer_;
    std::unordered_map<std::string, std::vector<std::uint32_t>> memo_[3];
    std::size_t memoBytes_ = 0;
};

// The file at `fsPath` (an existing path from the resolver, `info` what
// stat() said of it just now; `shownPath` names it in errors), from the
// cache when it is unchanged on disk. Null when the file is too large to
// keep (over 256 MiB) or is not a regular file: the caller reads it line by
// line then.
// Throws InOutError when it exists but cannot be read.
std::shared_ptr<DescriptionFile> cachedDescriptionFile(const std::string& fsPath,
                                                       const struct stat& info,
                                                       std::string_view shownPath);

// Forgets every kept file.
void clearDescriptionCache();

// How much the kept files beyond the largest may hold before the least
// recently used are dropped; tests set less.
inline constexpr std::size_t kDescriptionCacheBudget = 96u << 20;
void setDescriptionCacheBudget(std::size_t bytes);

// How long after its last change a file is read afresh on every lookup: file
// times are only as fine as the clock that stamps them (a few milliseconds on
// disks that keep nanoseconds, two seconds on FAT), so a file rewritten
// within that time may carry the same times. Files whose times show no
// fraction of a second get the longer window. Tests set both to exercise the
// stamp alone.
void setRecentChangeWindow(std::int64_t fineNanoseconds, std::int64_t coarseNanoseconds);

} // namespace taleplay::descr
