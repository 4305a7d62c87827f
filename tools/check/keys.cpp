#include "check/keys.h"

#include "check/game.h"
#include "check/spelling.h"

#include "descr/Stroki_functions.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>

namespace taleplay::check {
namespace {

using Words = std::vector<const char*>;

Words joined(std::initializer_list<Words> parts) {
    Words out;
    for (const Words& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// The placement keys, in the order the builders read them.
const Words kWidth{"*widthindivision*", "*widthinpixels*"};
const Words kHeight{"*heightindivision*", "*heightinpixels*"};
const Words kPlace{"*leftindivision*", "*leftinpixels*", "*topindivision*", "*topinpixels*"};
const Words kFont{"*fontsize*", "font*", "fontcolor*", "color*"};

// "*hint*" names a button, picture, text window or list for screen readers;
// older players skip it.
const KeyFamily kPicture{"picture",
                         kLastPicture,
                         joined({{"*name*"}, kWidth, kHeight, kPlace, {"*hint*"}}),
                         {"transparent*yes#", "visible*no#"},
                         {},
                         {}};
const KeyFamily kShape{"shape",
                       kLastShape,
                       joined({{"*form*"}, kHeight, kWidth, kPlace, {"color*", "pencolor*"}}),
                       {"visible*no#"},
                       {},
                       {}};
const KeyFamily kButton{"button",
                        kLastButton,
                        joined({{"*name*", "*pressedname*"}, kWidth, kHeight, kPlace, {"*hint*"}}),
                        {"transparent*yes#", "visible*no#"},
                        {"*click*", "*clickALLGOOD*", "*clickALLBAD*"},
                        {}};
// Text lines have no height: each string is as high as its wrapped text.
const KeyFamily kText{"text",
                      kLastText,
                      joined({kWidth, kPlace, kFont}),
                      {"transparent*yes#", "bold*yes#", "visible*no#"},
                      {},
                      {},
                      true};
const KeyFamily kEndText{"text", kLastEndText, kText.values, kText.flags, {}, {}, kText.strings};
const KeyFamily kList{"list",
                      kLastList,
                      joined({kWidth, kHeight, kPlace, kFont, {"*hint*"}}),
                      {"bold*yes#", "visible*no#"},
                      {},
                      {},
                      true};
// Text windows have no height either: it comes from the font.
const KeyFamily kTextWindow{"textwindow",
                            kLastTextWindow,
                            joined({kWidth, kPlace, kFont, {"*text*", "*hint*"}}),
                            {"noborder*yes#", "bold*yes#", "visible*no#"},
                            {},
                            {"*rightanswer*"}};

// The screen's own keys: the same on the play screen and the end screens.
const Words kScreenValues{
    "*screencolor*",
    "*fon*name*",
    "*bigfon*name*",
    "*bigfon*squarename*",
    "*bigfon*longname*",
    "*framehoriz*name*",
    "*framehoriz*heightindivision*",
    "*framehoriz*heightinpixels*",
    "*framevert*name*",
    "*framevert*widthindivision*",
    "*framevert*widthinpixels*",
    "*upleftcorner*name*",
    "*uprightcorner*name*",
    "*bottomleftcorner*name*",
    "*bottomrightcorner*name*",
    "*corner*heightindivision*",
    "*corner*heightinpixels*",
    "*sound*",
    "*video*",
    "*videoscreen*widthindivision*",
    "*videoscreen*widthinpixels*",
    "*videoscreen*heightindivision*",
    "*videoscreen*heightinpixels*",
    "*videoscreen*leftindivision*",
    "*videoscreen*leftinpixels*",
    "*videoscreen*topindivision*",
    "*videoscreen*topinpixels*",
};
const Words kScreenFlags{"*frametransparent*yes#", "*cornertransparent*yes#",
                         "*videoscreenvisible*no#"};

constexpr std::array<FileRole, 6> kRoles{FileRole::PlayPictures, FileRole::PlayTexts,
                                         FileRole::TextWindows,  FileRole::Buttons,
                                         FileRole::EndPictures,  FileRole::EndTexts};

std::string folded(std::string_view text) {
    std::string f(text);
    anyCaseLowerInPlace(f);
    return f;
}

// --- Patterns: keys with their numbers left open -------------------------

// Stands for a number in a pattern, as a run of digits does in a line.
constexpr char kNumber = '\x01';

struct Pattern {
    enum class Use { Value, Flag, Rule, Answer } use;
    std::string text;   // with kNumber for each number
    std::string folded; // as the any-case comparison folds it
    bool exact() const { return use == Use::Value; }
};

std::vector<Pattern> buildPatterns(FileRole role) {
    std::vector<Pattern> out;
    auto add = [&](Pattern::Use use, std::string text) {
        std::string f = folded(text);
        out.push_back({use, std::move(text), std::move(f)});
    };
    const FileKeys& keys = keysReadFrom(role);
    for (const char* k : keys.values)
        add(Pattern::Use::Value, k);
    for (const char* k : keys.flags)
        add(Pattern::Use::Flag, k);
    for (const KeyFamily* family : keys.families) {
        const std::string stem = std::string("*") + family->word + kNumber;
        for (const char* s : family->values)
            add(Pattern::Use::Value, stem + s);
        for (const char* s : family->flags)
            add(Pattern::Use::Flag, stem + s);
        for (const char* s : family->rules)
            add(Pattern::Use::Rule, stem + s);
        for (const char* s : family->answers)
            add(Pattern::Use::Answer, stem + s);
        if (family->strings)
            add(Pattern::Use::Value, stem + "*string" + kNumber + "*");
    }
    return out;
}

const std::vector<Pattern>& patternsOf(FileRole role) {
    static const std::array<std::vector<Pattern>, kRoles.size()> all = [] {
        std::array<std::vector<Pattern>, kRoles.size()> a;
        for (std::size_t i = 0; i < kRoles.size(); ++i)
            a[i] = buildPatterns(kRoles[i]);
        return a;
    }();
    return all[static_cast<std::size_t>(role)];
}

// --- Reading a key-like text ---------------------------------------------

bool asciiLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool asciiDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

bool keyCharacter(unsigned char c) {
    return asciiLetter(c) || asciiDigit(c) || latinLookAlike(c) != 0;
}

// A written key with its runs of digits replaced by kNumber, and the runs.
struct Normalised {
    std::string text;
    std::vector<std::string> numbers;
};

Normalised normalised(std::string_view written) {
    Normalised n;
    for (std::size_t i = 0; i < written.size();) {
        if (!asciiDigit(static_cast<unsigned char>(written[i]))) {
            n.text += written[i++];
            continue;
        }
        std::size_t end = i;
        while (end < written.size() && asciiDigit(static_cast<unsigned char>(written[end])))
            ++end;
        n.numbers.emplace_back(written.substr(i, end - i));
        n.text += kNumber;
        i = end;
    }
    return n;
}

// A pattern written out with the numbers of what was written; a number the
// text lacks shows as N.
std::string filledIn(const std::string& pattern, const std::vector<std::string>& numbers) {
    std::string out;
    std::size_t next = 0;
    for (char c : pattern) {
        if (c != kNumber)
            out += c;
        else
            out += next < numbers.size() ? numbers[next++] : std::string("N");
    }
    return out;
}

// What one key-like text is to a file of `role`.
struct Verdict {
    bool known = false;
    Pattern::Use use = Pattern::Use::Value; // of the key, when known
    std::optional<KeySlip> slip;
    int distance = 0;
};

Verdict judge(std::string_view written, FileRole role) {
    const Normalised n = normalised(written);
    const std::string f = folded(n.text);
    const std::vector<Pattern>& patterns = patternsOf(role);
    for (const Pattern& p : patterns)
        if (p.exact() ? n.text == p.text : f == p.folded)
            return {true, p.use, std::nullopt, 0};
    // A value key in other letters is the letter-case check's to tell.
    for (const Pattern& p : patterns)
        if (f == p.folded)
            return {true, p.use, std::nullopt, 0};

    KeySlip slip;
    slip.written = std::string(written);
    std::string latin = withLatinLookAlikes(f);
    asciiLowerCaseInPlace(latin);
    if (latin != f) {
        for (const Pattern& p : patterns)
            if (latin == p.folded) {
                slip.kind = KeySlip::Kind::LookAlike;
                slip.meant = filledIn(p.text, n.numbers);
                return {false, p.use, slip, 0};
            }
    }
    for (FileRole other : kRoles) {
        if (other == role)
            continue;
        for (const Pattern& p : patternsOf(other))
            if (p.exact() ? n.text == p.text : f == p.folded) {
                slip.readFrom.push_back(other);
                break;
            }
    }
    if (!slip.readFrom.empty()) {
        slip.kind = KeySlip::Kind::OtherFile;
        return {false, Pattern::Use::Value, slip, 0};
    }
    // No key is half this long: a longer run of letters is no slip of one,
    // and need not cost a distance to every key.
    if (written.size() > 64)
        return {};
    const Pattern* best = nullptr;
    int bestDistance = 0;
    for (const Pattern& p : patterns) {
        // No distance is below the difference of the lengths: most keys
        // need no table at all (a line of many star words took seconds).
        const std::size_t shorter = std::min(latin.size(), p.folded.size());
        const std::size_t longer = std::max(latin.size(), p.folded.size());
        if (longer - shorter > static_cast<std::size_t>(allowedSlips(p.folded.size())))
            continue;
        const int d = editDistance(latin, p.folded);
        if (d <= allowedSlips(p.folded.size()) && (!best || d < bestDistance)) {
            best = &p;
            bestDistance = d;
        }
    }
    if (!best)
        return {};
    slip.kind = latin != f ? KeySlip::Kind::LookAlike : KeySlip::Kind::Misspelt;
    slip.meant = filledIn(best->text, n.numbers);
    return {false, best->use, slip, bestDistance};
}

// Where the scan goes on after a key the player reads, or after a slip
// taken for one (at `last`, the key's last character): past a value up to
// its "#", past a flag; a rule line holds commands, not keys, after its key.
std::size_t resumeAfter(std::string_view line, std::size_t last, Pattern::Use use) {
    switch (use) {
    case Pattern::Use::Rule:
        return std::string_view::npos;
    case Pattern::Use::Flag:
        return line.find('*', last + 1);
    case Pattern::Use::Value:
    case Pattern::Use::Answer:
        break;
    }
    const std::size_t end = line.find('#', last + 1);
    return end == std::string_view::npos ? end : line.find('*', end + 1);
}

} // namespace

FileRole roleOf(std::string_view name) {
    if (name == "allbackpictures.txt")
        return FileRole::PlayPictures;
    if (name == "allbacktexts.txt")
        return FileRole::PlayTexts;
    if (name == "alltextwindows.txt")
        return FileRole::TextWindows;
    if (name == "allbuttons.txt")
        return FileRole::Buttons;
    if (name == "victorypictures.txt" || name == "lostpictures.txt")
        return FileRole::EndPictures;
    return FileRole::EndTexts;
}

const FileKeys& keysReadFrom(FileRole role) {
    static const FileKeys playPictures{kScreenValues, kScreenFlags, {&kPicture, &kShape}};
    static const FileKeys playTexts{{}, {}, {&kText, &kList}};
    static const FileKeys textWindows{{}, {}, {&kTextWindow}};
    static const FileKeys buttons{{}, {}, {&kButton}};
    // An end screen's buttons are described beside its pictures; it has no
    // shapes, lists or text windows.
    static const FileKeys endPictures{kScreenValues, kScreenFlags, {&kPicture, &kButton}};
    static const FileKeys endTexts{{}, {}, {&kEndText}};
    switch (role) {
    case FileRole::PlayPictures:
        return playPictures;
    case FileRole::PlayTexts:
        return playTexts;
    case FileRole::TextWindows:
        return textWindows;
    case FileRole::Buttons:
        return buttons;
    case FileRole::EndPictures:
        return endPictures;
    case FileRole::EndTexts:
        return endTexts;
    }
    return endTexts;
}

std::vector<std::string> exactValueKeys(FileRole role) {
    const FileKeys& keys = keysReadFrom(role);
    std::vector<std::string> out(keys.values.begin(), keys.values.end());
    for (const KeyFamily* family : keys.families)
        for (int n = 1; n <= family->last; ++n) {
            const std::string stem = "*" + std::string(family->word) + std::to_string(n);
            for (const char* s : family->values)
                out.push_back(stem + s);
            if (family->strings)
                for (int k = 1; k <= kLastString; ++k)
                    out.push_back(stem + "*string" + std::to_string(k) + "*");
        }
    return out;
}

std::vector<KeySlip> keySlipsIn(std::string_view line, FileRole role) {
    std::vector<KeySlip> slips;
    std::size_t at = line.find('*');
    while (at != std::string_view::npos) {
        // "*" word "*", and a second word closed by "*" or by the "#" of a
        // flag; at least two Latin letters, so that "***" or a star in a
        // sentence is no key.
        std::size_t end1 = at + 1;
        while (end1 < line.size() && keyCharacter(static_cast<unsigned char>(line[end1])))
            ++end1;
        const auto letters = std::count_if(line.begin() + static_cast<std::ptrdiff_t>(at),
                                           line.begin() + static_cast<std::ptrdiff_t>(end1),
                                           [](char c) { return asciiLetter(c); });
        if (end1 >= line.size() || line[end1] != '*' || letters < 2) {
            at = line.find('*', at + 1);
            continue;
        }
        std::size_t end2 = end1 + 1;
        while (end2 < line.size() && keyCharacter(static_cast<unsigned char>(line[end2])))
            ++end2;
        const bool two =
            end2 > end1 + 1 && end2 < line.size() && (line[end2] == '*' || line[end2] == '#');

        const Verdict one = judge(line.substr(at, end1 - at + 1), role);
        const Verdict both = two ? judge(line.substr(at, end2 - at + 1), role) : Verdict{};
        if (two && both.known) {
            at = resumeAfter(line, end2, both.use);
            continue;
        }
        if (one.known) {
            at = resumeAfter(line, end1, one.use);
            continue;
        }
        // Of two slips, the one that explains more: a look-alike or another
        // file's key before a misspelling, the closer misspelling, the
        // longer text.
        auto rank = [](const Verdict& v) {
            return v.slip->kind == KeySlip::Kind::Misspelt ? 1 + v.distance : 0;
        };
        const Verdict* chosen = nullptr;
        std::size_t last = end1;
        if (two && both.slip) {
            chosen = &both;
            last = end2;
        }
        if (one.slip && (!chosen || rank(one) < rank(*chosen))) {
            chosen = &one;
            last = end1;
        }
        if (!chosen) {
            at = line.find('*', at + 1);
            continue;
        }
        KeySlip slip = *chosen->slip;
        slip.at = at;
        slips.push_back(std::move(slip));
        at = resumeAfter(line, last, chosen->use);
    }
    return slips;
}

} // namespace taleplay::check
