// Key lookups in description files: every lookup sees the file as it is on disk.
#include "descr/File_functions.h"

#include "core/files.h"
#include "core/paths.h"
#include "descr/Stroki_functions.h"
#include "descr/description_cache.h"

#include <limits>
#include <sys/stat.h>

namespace taleplay {
namespace {

using descr::Compare;

enum class Scan { Stop, Continue };

// Reads a file that is not kept in memory line by line, as every lookup once
// did: hands each line that contains the folded key to `onMatch` until it
// says stop. The buffers live for the whole scan, so once they have grown to
// the longest line no further memory is taken.
template <typename OnMatch>
void streamLines(const std::string& fsPath, std::string_view shownPath,
                 const std::string& foldedKey, Compare compare, OnMatch& onMatch) {
    files::LineReader reader(fsPath, std::string(shownPath));
    std::string line, folded, spare, pending;
    std::size_t number = 0;
    while (reader.next(line)) {
        ++number;
        std::string_view searched = line;
        switch (compare) {
        case Compare::Exact:
            break;
        case Compare::AnyCase:
            folded.assign(line);
            anyCaseLowerInPlace(folded);
            searched = folded;
            break;
        case Compare::Answer:
            folded.assign(line);
            asciiLowerCaseInPlace(folded);
            normaliseAnswerInPlace(folded, spare, pending);
            cyrillicLowerCaseInPlace(folded);
            searched = folded;
            break;
        }
        if (searched.find(foldedKey) != std::string_view::npos &&
            onMatch(line, number) == Scan::Stop)
            return;
    }
}

// The one loop under every lookup: hands each line that contains the key,
// compared as `compare` says, to `onMatch` with its number (from 1), in file
// order, until it says stop; the first `skip` such lines are passed over
// unread where the file is kept, so a button's thousandth rule line is
// found without copying the 999 before it. The file comes from memory while
// it is unchanged on disk.
template <typename OnMatch>
void scanNumberedLines(std::string_view file, std::string_view key, Compare compare,
                       OnMatch onMatch, std::size_t skip = 0) {
    // An empty key is never found, as with the original's position search;
    // that includes an answer key that normalisation empties.
    const std::string foldedKey = descr::foldKey(key, compare);
    if (foldedKey.empty())
        return;
    struct stat info;
    const auto path = paths::existingFile(file, info);
    if (!path)
        return;
    const auto kept = descr::cachedDescriptionFile(*path, info, file);
    if (!kept) {
        auto afterSkipped = [&](std::string& line, std::size_t number) {
            if (skip > 0) {
                --skip;
                return Scan::Continue;
            }
            return onMatch(line, number);
        };
        streamLines(*path, file, foldedKey, compare, afterSkipped);
        return;
    }
    const std::vector<std::uint32_t>& hits = kept->matches(compare, foldedKey);
    for (std::size_t i = skip; i < hits.size(); ++i) {
        std::string line(kept->line(hits[i]));
        if (onMatch(line, std::size_t(hits[i]) + 1) == Scan::Stop)
            return;
    }
}

template <typename OnMatch>
void scanLines(std::string_view file, std::string_view key, Compare compare, OnMatch onMatch,
               std::size_t skip = 0) {
    scanNumberedLines(
        file, key, compare, [&](std::string& line, std::size_t) { return onMatch(line); }, skip);
}

std::string firstLine(std::string_view file, std::string_view key, Compare compare) {
    std::string found;
    scanLines(file, key, compare, [&](std::string& line) {
        found = std::move(line);
        return Scan::Stop;
    });
    return found;
}

int countLines(std::string_view file, std::string_view key, Compare compare) {
    int count = 0;
    scanLines(file, key, compare, [&](const std::string&) {
        // A file of more than 2^31 lines is absurd but must not overflow.
        if (count < std::numeric_limits<int>::max())
            ++count;
        return Scan::Continue;
    });
    return count;
}

} // namespace

std::string firstLineWithKey(std::string_view file, std::string_view key) {
    return firstLine(file, key, Compare::Exact);
}

std::string firstLineWithKeyAnyCase(std::string_view file, std::string_view key) {
    return firstLine(file, key, Compare::AnyCase);
}

std::string nthLineWithKey(std::string_view file, std::string_view key, int n) {
    std::string found;
    if (n < 1)
        return found;
    scanLines(
        file, key, Compare::AnyCase,
        [&](std::string& line) {
            found = std::move(line);
            return Scan::Stop;
        },
        static_cast<std::size_t>(n - 1));
    return found;
}

int countLinesWithKey(std::string_view file, std::string_view key) {
    return countLines(file, key, Compare::AnyCase);
}

int countLinesWithAnswer(std::string_view file, std::string_view key) {
    return countLines(file, key, Compare::Answer);
}

std::string keyValue(std::string_view file, std::string_view key) {
    std::string line = firstLineWithKey(file, key);
    if (line.empty())
        return line;
    // Only the first occurrence of the key counts, and the value stops at the
    // first "#" after it, so several keys can share one line.
    return trimSpaces(textBeforeDelimiter(textAfterKey(line, key), "#"));
}

bool flagSet(std::string_view file, std::string_view flagText) {
    // The first match settles it; the rest of the file cannot unset a flag.
    return !firstLine(file, flagText, Compare::AnyCase).empty();
}

std::vector<NumberedLine> numberedLinesWithKey(std::string_view file, std::string_view key,
                                               KeyCase keyCase) {
    std::vector<NumberedLine> found;
    scanNumberedLines(file, key, keyCase == KeyCase::Exact ? Compare::Exact : Compare::AnyCase,
                      [&](std::string& line, std::size_t number) {
                          found.push_back({static_cast<int>(number), std::move(line)});
                          return Scan::Continue;
                      });
    return found;
}

int firstLineNumberWithKey(std::string_view file, std::string_view key, KeyCase keyCase) {
    int found = 0;
    scanNumberedLines(file, key, keyCase == KeyCase::Exact ? Compare::Exact : Compare::AnyCase,
                      [&](std::string&, std::size_t number) {
                          found = static_cast<int>(number);
                          return Scan::Stop;
                      });
    return found;
}

} // namespace taleplay
