// Key lookups in description files: every lookup reads the file afresh.
#include "descr/File_functions.h"

#include "core/files.h"
#include "core/paths.h"
#include "descr/Stroki_functions.h"

#include <limits>

namespace taleplay {
namespace {

enum class Compare { Exact, AnyCase, Answer };

enum class Scan { Stop, Continue };

// The one loop under every lookup: hands each line that contains the key,
// compared as `compare` says, to `onMatch`, until it says stop. The line and
// the folding buffers live for the whole scan, so once they have grown to the
// longest line no further memory is taken.
template <typename OnMatch>
void scanLines(std::string_view file, std::string_view key, Compare compare, OnMatch onMatch) {
    std::string foldedKey(key);
    std::string spare;
    std::string pending;
    switch (compare) {
    case Compare::Exact:
        break;
    case Compare::AnyCase:
        anyCaseLowerInPlace(foldedKey);
        break;
    case Compare::Answer:
        asciiLowerCaseInPlace(foldedKey);
        normaliseAnswerInPlace(foldedKey, spare, pending);
        cyrillicLowerCaseInPlace(foldedKey);
        break;
    }
    // An empty key is never found, as with the original's position search;
    // that includes an answer key that normalisation empties.
    if (foldedKey.empty())
        return;
    const auto path = paths::existingFile(file);
    if (!path)
        return;

    files::LineReader reader(*path, std::string(file));
    std::string line;
    std::string folded;
    while (reader.next(line)) {
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
        if (searched.find(foldedKey) != std::string_view::npos && onMatch(line) == Scan::Stop)
            return;
    }
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
    int seen = 0;
    scanLines(file, key, Compare::AnyCase, [&](std::string& line) {
        if (++seen < n)
            return Scan::Continue;
        found = std::move(line);
        return Scan::Stop;
    });
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

} // namespace taleplay
