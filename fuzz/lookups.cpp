// The line reader and every lookup over an input taken as a description
// file, checked against the reference and against the game checker's own
// reading of the same file, which must agree with the player's.
#include "real_keys.h"
#include "reference.h"
#include "scratch.h"
#include "targets.h"

#include "check/game.h"
#include "core/codepage.h"
#include "core/errors.h"
#include "core/files.h"
#include "core/paths.h"
#include "descr/File_functions.h"
#include "descr/colour_values.h"
#include "descr/description_cache.h"
#include "descr/placement.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <string>

namespace taleplay::fuzz {
namespace {

// Answer normalisation in the reference is quadratic; lines longer than
// this leave the answer comparison out.
constexpr std::size_t kLongestAnswerLine = 16 * 1024;
// Inputs up to this size are compared with the reference and the checker;
// longer ones (a real file's size) run the player's reading and lookups
// alone, where only a sanitizer report fails them, so the target keeps its
// speed.
constexpr std::size_t kLongestCompared = 1024;
// Keys asked of a longer input: each lookup of it goes over a long file.
constexpr std::size_t kKeysOfLongInputs = 3;

// The keys asked for: one of a few that can never match, texts of the input
// that look like keys (from a star to the second star after it), short
// pieces of it, and real keys chosen by the input's hash. Few enough that an
// input takes a couple of milliseconds: every key costs some thirty lookups,
// each compared, and the fuzzer gains more from more inputs than from more
// keys of one.
std::vector<std::string> keysFor(std::string_view input, std::uint64_t seed) {
    static constexpr const char* kNeverMatching[] = {"",  "\n", "a\nb", "#",
                                                     " ", "*",  "\xC0", "\xE0"};
    constexpr std::size_t kFixed = std::size(kNeverMatching);
    std::vector<std::string> keys = {kNeverMatching[seed % kFixed]};
    std::size_t from = 0;
    for (int n = 0; n < 5; ++n) {
        const std::size_t at = input.find('*', from);
        if (at == std::string_view::npos)
            break;
        const std::size_t second = input.find('*', at + 1);
        if (second == std::string_view::npos)
            break;
        const std::size_t third = input.find('*', second + 1);
        const std::size_t end = third != std::string_view::npos && third - at < 48 ? third : second;
        keys.emplace_back(input.substr(at, end - at + 1));
        from = at + 1;
    }
    for (std::size_t length : {std::size_t(1) + seed % 2, std::size_t(5)})
        if (input.size() >= length)
            keys.emplace_back(input.substr((seed >> 8) % (input.size() - length + 1), length));
    const std::vector<std::string>& real = allRealKeys();
    for (int i = 0; i < 2; ++i)
        keys.push_back(real[mix(seed + i) % real.size()]);
    return keys;
}

struct Reading {
    std::vector<std::string> lines, anyCase, answers;
    bool answersCompared = true;
};

Reading readingOf(std::string_view raw) {
    Reading r;
    r.lines = lines(raw);
    for (const std::string& l : r.lines) {
        r.anyCase.push_back(anyCase(l));
        if (l.size() > kLongestAnswerLine)
            r.answersCompared = false;
    }
    if (r.answersCompared)
        for (const std::string& l : r.lines)
            r.answers.push_back(answerFolded(l));
    return r;
}

std::string lineAt(const std::vector<std::string>& lines, const std::vector<std::size_t>& hits,
                   std::size_t n) {
    return n < hits.size() ? lines[hits[n]] : std::string();
}

// Every lookup of the player on `file` (composed path) for `key`, compared.
void compareLookups(const std::string& file, const Reading& r, const std::string& key,
                    std::uint64_t seed) {
    const std::string shownKey = "key " + printable(key);
    const auto exact = exactHits(r.lines, key);
    const auto any = foldedHits(r.anyCase, anyCase(key));

    same("first line with " + shownKey, firstLineWithKey(file, key), lineAt(r.lines, exact, 0));
    same("first line any case with " + shownKey, firstLineWithKeyAnyCase(file, key),
         lineAt(r.lines, any, 0));
    same("count of lines with " + shownKey, countLinesWithKey(file, key),
         static_cast<long long>(any.size()));
    for (const int n :
         {-1, 0, 1, 2, static_cast<int>(any.size()), static_cast<int>(any.size()) + 1})
        same("line " + std::to_string(n) + " with " + shownKey, nthLineWithKey(file, key, n),
             n >= 1 ? lineAt(r.lines, any, static_cast<std::size_t>(n - 1)) : std::string());
    same("flag " + shownKey, flagSet(file, key), !any.empty());
    if (r.answersCompared)
        same("count of answers with " + shownKey, countLinesWithAnswer(file, key),
             static_cast<long long>(foldedHits(r.answers, answerFolded(key)).size()));

    const std::string first = lineAt(r.lines, exact, 0);
    const std::string value = keyValueOf(first, key);
    same("value of " + shownKey, keyValue(file, key), value);

    static constexpr int kReferences[] = {1000, 1366, 768, 1, 0, -1000, INT_MAX, INT_MIN};
    const int reference = kReferences[seed % std::size(kReferences)];
    const DivisionValue d = divisionValue(file, key, reference);
    const Division expected = division(first, key, reference);
    same("division value of " + shownKey + " over " + std::to_string(reference), d.value,
         expected.value);
    same("centre mark of " + shownKey, d.centre, expected.centre);
    same("pixel value of " + shownKey, pixelValue(file, key), pixels(first, key));

    const std::optional<std::int32_t> colourValue = colour(value);
    try {
        const std::int32_t c = convertColour(value);
        if (!colourValue)
            differs("colour of " + printable(value), std::to_string(c), "a conversion error");
        same("colour of " + printable(value), c, *colourValue);
    } catch (const ConversionError& e) {
        if (colourValue)
            differs("colour of " + printable(value), e.what(), std::to_string(*colourValue));
        same("conversion error of " + printable(value), e.what(), conversionMessage(value));
    }
}

// The player's lookups alone, for an input too long to compare at speed.
void runLookups(const std::string& file, const std::string& key, std::uint64_t seed) {
    (void)firstLineWithKey(file, key);
    (void)firstLineWithKeyAnyCase(file, key);
    const int count = countLinesWithKey(file, key);
    for (const int n : {0, 1, count, count + 1})
        (void)nthLineWithKey(file, key, n);
    (void)flagSet(file, key);
    (void)countLinesWithAnswer(file, key);
    (void)divisionValue(file, key, static_cast<int>(seed % 2000) - 1000);
    (void)pixelValue(file, key);
    try {
        (void)convertColour(keyValue(file, key));
    } catch (const ConversionError&) {
    }
}

// The checker reads the same file for its own lookups: line for line as the
// player, and finding each key on the line the player finds it.
void compareChecker(const std::string& folder, const std::string& name, const Reading& r,
                    const std::vector<std::string>& keys, files::TextEncoding encoding) {
    const check::DescrFile f(folder, name);
    same("checker: file exists", f.exists(), true);
    same("checker: read error", f.readError(), "");
    same("checker: encoding", static_cast<int>(f.encoding()), static_cast<int>(encoding));
    same("checker: line count", static_cast<long long>(f.lines().size()),
         static_cast<long long>(r.lines.size()));
    for (std::size_t i = 0; i < r.lines.size(); ++i) {
        same("checker: line " + std::to_string(i + 1), f.lines()[i], r.lines[i]);
        same("checker: folded line " + std::to_string(i + 1), f.folded()[i], r.anyCase[i]);
    }
    for (const std::string& key : keys) {
        const auto exact = exactHits(r.lines, key);
        const auto any = foldedHits(r.anyCase, anyCase(key));
        same("checker: first exact " + printable(key), f.firstExact(key),
             exact.empty() ? 0 : static_cast<long long>(exact[0]) + 1);
        same("checker: first any case " + printable(key), f.firstAnyCase(key),
             any.empty() ? 0 : static_cast<long long>(any[0]) + 1);
        same("checker: value " + printable(key), f.value(key).text,
             keyValueOf(lineAt(r.lines, exact, 0), key));
    }
}

// The line reader on its own, and the code pages it converts with.
void compareReader(const std::string& fsPath, std::string_view raw, const Reading& r,
                   files::TextEncoding encoding) {
    files::LineReader reader(fsPath, fsPath);
    std::string line;
    std::size_t n = 0;
    while (reader.next(line)) {
        if (n >= r.lines.size())
            differs("line reader: a line past the last", line, "");
        same("line reader: line " + std::to_string(n + 1), line, r.lines[n]);
        ++n;
    }
    same("line reader: line count", static_cast<long long>(n),
         static_cast<long long>(r.lines.size()));
    // Until a byte beyond ASCII is read the reader says Windows-1251, which
    // reads ASCII alike; a file read to its end has decided.
    same("line reader: encoding", static_cast<int>(reader.encoding()), static_cast<int>(encoding));

    // Strict UTF-8 is decided alike whatever pieces the bytes come in.
    utf8::Validator whole, pieces;
    whole.feed(raw);
    for (std::size_t at = 0, step = 1; at < raw.size(); at += step, step = step * 2 + 1)
        pieces.feed(raw.substr(at, step));
    same("UTF-8 in pieces: valid", pieces.valid(), whole.valid());
    same("UTF-8 in pieces: complete", pieces.complete(), whole.complete());
    same("UTF-8 in pieces: characters of several bytes", pieces.sawMultiByte(),
         whole.sawMultiByte());

    // Windows-1251 to UTF-8 and back is the same text, but for the one byte
    // the code page leaves unassigned.
    for (const std::string& l : r.lines) {
        std::string back = l;
        std::replace(back.begin(), back.end(), '\x98', '?');
        same("Windows-1251 through UTF-8", cp1251::fromUtf8(cp1251::toUtf8(l)), back);
    }
}

int counter = 0;

} // namespace

void fuzzLookups(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::uint64_t seed = hashOf(input);
    static const bool registered = [] {
        paths::setNativeFolders({scratchRoot()});
        return true;
    }();
    (void)registered;

    // A file of its own for every input, and one rewritten in place with
    // other bytes of the same length: the cache must see the change.
    const std::string name = "lookups" + std::to_string(++counter) + ".txt";
    const std::string file = scratchRoot() + name;
    // Half of the inputs trust file times at once, so that kept files are
    // used without comparing their bytes; long ones always do, or every
    // lookup would read the whole file again to compare it.
    const bool trustTimes = (seed & 1) || size > kLongestCompared;
    if (trustTimes)
        descr::setRecentChangeWindow(0, 0);

    writeScratch(name, input);
    if (size > kLongestCompared) {
        std::vector<std::string> keys = keysFor(input, seed);
        // The never-matching ones first, then those of the input.
        keys.resize(std::min(keys.size(), kKeysOfLongInputs));
        for (const std::string& key : keys)
            runLookups(file, key, mix(seed ^ std::hash<std::string>{}(key)));
        files::LineReader reader(file, file);
        for (std::string line; reader.next(line);) {
        }
        (void)check::DescrFile(scratchRoot(), name).lines();
        removeScratch(name);
        descr::clearDescriptionCache();
        if (trustTimes)
            descr::setRecentChangeWindow(50'000'000, 3'000'000'000);
        return;
    }
    const Reading r = readingOf(input);
    const files::TextEncoding encoding = files::textEncoding(input);
    same("encoding", static_cast<int>(encoding), encodingOf(input));
    const std::vector<std::string> keys = keysFor(input, seed);
    for (const std::string& key : keys)
        compareLookups(file, r, key, mix(seed ^ std::hash<std::string>{}(key)));
    compareReader(file, input, r, encoding);
    compareChecker(scratchRoot(), name, r, keys, encoding);

    std::string rotated(input.substr(size / 3));
    rotated += input.substr(0, size / 3);
    const std::string secondName = trustTimes ? name + ".2" : name;
    writeScratch(secondName, rotated);
    const Reading r2 = readingOf(rotated);
    for (std::size_t i = seed % 3; i < keys.size(); i += 3)
        compareLookups(scratchRoot() + secondName, r2, keys[i], mix(seed + keys[i].size()));

    // A missing file reads as empty for every lookup.
    const std::string missing = scratchRoot() + "missing.txt";
    same("missing file: value", keyValue(missing, "*fon*name*"), "");
    same("missing file: count", countLinesWithKey(missing, "*"), 0);

    removeScratch(name);
    removeScratch(secondName);
    descr::clearDescriptionCache();
    if (trustTimes)
        descr::setRecentChangeWindow(50'000'000, 3'000'000'000);
}

} // namespace taleplay::fuzz
