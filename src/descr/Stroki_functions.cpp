// String helpers on Windows-1251 text.
#include "descr/Stroki_functions.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace taleplay {
namespace {

constexpr char kBlank = ' ';

// Windows-1251: the capitals А-Я are 192-223 and their small letters 224-255;
// Ё is 168 and ё 184. The other Cyrillic letters of the code page (Ukrainian,
// Belarusian, Serbian, Macedonian) keep their case, as in the original.
constexpr unsigned char kCyrillicCapitalA = 192;
constexpr unsigned char kCyrillicCapitalYa = 223;
constexpr unsigned char kCyrillicCapitalYo = 168;
constexpr unsigned char kCyrillicSmallYo = 184;
constexpr unsigned char kCyrillicCaseOffset = 32;

enum class Fold { Ascii, Cyrillic, Both };

constexpr std::array<unsigned char, 256> makeFoldTable(Fold fold) {
    std::array<unsigned char, 256> table{};
    for (unsigned c = 0; c < 256; ++c)
        table[c] = static_cast<unsigned char>(c);
    if (fold != Fold::Cyrillic) {
        for (unsigned c = 'A'; c <= 'Z'; ++c)
            table[c] = static_cast<unsigned char>(c - 'A' + 'a');
    }
    if (fold != Fold::Ascii) {
        for (unsigned c = kCyrillicCapitalA; c <= kCyrillicCapitalYa; ++c)
            table[c] = static_cast<unsigned char>(c + kCyrillicCaseOffset);
        table[kCyrillicCapitalYo] = kCyrillicSmallYo;
    }
    return table;
}

constexpr auto kAsciiLower = makeFoldTable(Fold::Ascii);
constexpr auto kCyrillicLower = makeFoldTable(Fold::Cyrillic);
constexpr auto kAnyLower = makeFoldTable(Fold::Both);

void foldInPlace(std::string& text, const std::array<unsigned char, 256>& table) {
    for (char& c : text)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
}

// The punctuation that answer normalisation turns into blanks. The original
// string holds 20 characters with the double quote twice; as every one of
// them becomes a blank, which is none of them, the order of the replacements
// cannot change the result and one pass over a table does the same.
constexpr std::string_view kAnswerPunctuation = ".,?!;:\"_=<>'\"()][}{`";

constexpr std::array<bool, 256> makePunctuationTable() {
    std::array<bool, 256> table{};
    for (char c : kAnswerPunctuation)
        table[static_cast<unsigned char>(c)] = true;
    return table;
}

constexpr auto kIsAnswerPunctuation = makePunctuationTable();

// The en dash of Windows-1251.
constexpr char kEnDash = static_cast<char>(150);

// Writes into `out` what replaceAll returns, using `pending` as scratch.
//
// The original deletes the first occurrence, inserts the replacement and
// searches again from the very start, so that a replacement combining with
// its neighbours is replaced too. Rebuilding the text each time is quadratic
// on a long line; instead `out` holds the finished front of the text, which
// holds no occurrence, and every character goes through it one at a time: the
// moment `out` ends with the searched text, that is the leftmost occurrence of
// the whole text, and the replacement goes back in front of the unread rest.
//
// That loop ends only when the text shrinks at every step. With a replacement
// at least as long as the searched text the original could run forever (it
// always does when the replacement contains the searched text), so such pairs
// get one plain left-to-right pass. No caller passes one.
void replaceAllInto(std::string_view searched, std::string_view replacement, std::string_view text,
                    std::string& out, std::string& pending) {
    out.clear();
    if (searched.empty()) {
        out.assign(text);
        return;
    }
    if (replacement.size() >= searched.size()) {
        std::size_t from = 0;
        for (std::size_t at; (at = text.find(searched, from)) != std::string_view::npos;
             from = at + searched.size()) {
            out.append(text.substr(from, at - from));
            out.append(replacement);
        }
        out.append(text.substr(from));
        return;
    }

    pending.clear();
    const char last = searched.back();
    const std::size_t length = searched.size();
    std::size_t next = 0;
    for (;;) {
        if (!pending.empty()) {
            out.push_back(pending.back());
            pending.pop_back();
        } else if (next < text.size()) {
            // No occurrence can end before the next copy of its last
            // character, so everything up to it moves at once.
            std::size_t stop = text.find(last, next);
            stop = stop == std::string_view::npos ? text.size() : stop + 1;
            out.append(text.substr(next, stop - next));
            next = stop;
        } else {
            break;
        }
        if (out.back() == last && out.size() >= length &&
            std::memcmp(out.data() + out.size() - length, searched.data(), length) == 0) {
            out.resize(out.size() - length);
            pending.append(replacement.rbegin(), replacement.rend());
        }
    }
}

// The same in place, through `spare`. Most lines hold none of what answer
// normalisation replaces, and those are not copied at all.
void replaceAllInPlace(std::string_view searched, std::string_view replacement, std::string& text,
                       std::string& spare, std::string& pending) {
    if (searched.empty() || text.find(searched) == std::string::npos)
        return;
    replaceAllInto(searched, replacement, text, spare, pending);
    std::swap(text, spare);
}

} // namespace

std::string trimTrailingSpaces(std::string_view text) {
    std::size_t end = text.find_last_not_of(kBlank);
    return std::string(end == std::string_view::npos ? std::string_view()
                                                     : text.substr(0, end + 1));
}

std::string trimLeadingSpaces(std::string_view text) {
    std::size_t begin = text.find_first_not_of(kBlank);
    return std::string(begin == std::string_view::npos ? std::string_view() : text.substr(begin));
}

std::string trimSpaces(std::string_view text) {
    return trimLeadingSpaces(trimTrailingSpaces(text));
}

std::string textBeforeDelimiter(std::string_view text, std::string_view delimiter) {
    // Like the original's position search, an empty delimiter is never found.
    if (delimiter.empty())
        return std::string(text);
    return std::string(text.substr(0, text.find(delimiter)));
}

std::string textAfterKey(std::string_view text, std::string_view key) {
    std::size_t at = key.empty() ? std::string_view::npos : text.find(key);
    if (at != std::string_view::npos)
        return std::string(text.substr(at + key.size()));
    // Reproduced on purpose: the original copies from position
    // (0 + length of key) when the key is missing, so the text loses its
    // first length(key) - 1 characters ("abcdefgh" after "*name*" is "fgh").
    // Readers such as the end screens' large background depend on it.
    std::size_t drop = key.empty() ? 0 : key.size() - 1;
    return std::string(drop >= text.size() ? std::string_view() : text.substr(drop));
}

std::string replaceAll(std::string_view searched, std::string_view replacement,
                       std::string_view text) {
    std::string out;
    std::string pending;
    replaceAllInto(searched, replacement, text, out, pending);
    return out;
}

void normaliseAnswerInPlace(std::string& text, std::string& spare, std::string& pending) {
    for (char& c : text) {
        if (kIsAnswerPunctuation[static_cast<unsigned char>(c)])
            c = kBlank;
    }
    // Only a dash between blanks is a dash of the sentence; "well-known"
    // keeps its hyphen.
    replaceAllInPlace(" - ", " ", text, spare, pending);
    const char blankEnDashBlank[] = {kBlank, kEnDash, kBlank};
    replaceAllInPlace(std::string_view(blankEnDashBlank, 3), " ", text, spare, pending);
    replaceAllInPlace("  ", " ", text, spare, pending);

    std::size_t end = text.find_last_not_of(kBlank);
    text.resize(end == std::string::npos ? 0 : end + 1);
    text.erase(0, std::min(text.size(), text.find_first_not_of(kBlank)));
}

std::string normaliseAnswer(std::string_view text) {
    std::string result(text);
    std::string spare;
    std::string pending;
    normaliseAnswerInPlace(result, spare, pending);
    return result;
}

void cyrillicLowerCaseInPlace(std::string& text) {
    foldInPlace(text, kCyrillicLower);
}

void asciiLowerCaseInPlace(std::string& text) {
    foldInPlace(text, kAsciiLower);
}

void anyCaseLowerInPlace(std::string& text) {
    foldInPlace(text, kAnyLower);
}

std::string cyrillicLowerCase(std::string_view text) {
    std::string result(text);
    cyrillicLowerCaseInPlace(result);
    return result;
}

std::string asciiLowerCase(std::string_view text) {
    std::string result(text);
    asciiLowerCaseInPlace(result);
    return result;
}

} // namespace taleplay
