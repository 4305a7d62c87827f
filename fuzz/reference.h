#pragma once
// The description layer written a second time, straight from the rules of
// the file format and as plainly as possible: no cache, no in-place folding,
// no shortcuts for long lines, quadratic where the rule reads that way. The
// text targets run the player's code and this side by side on the same input
// and stop at the first answer that differs.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace taleplay::fuzz {

// Stops the process with both answers shown, so that the fuzzer keeps the
// input as a crash.
[[noreturn]] void differs(std::string_view what, std::string_view player,
                          std::string_view reference);

// Checks that the player's answer equals the reference's.
void same(std::string_view what, const std::string& player, const std::string& reference);
void same(std::string_view what, long long player, long long reference);

// A text shown byte by byte, for a report.
std::string printable(std::string_view bytes);

// The lines a description file's bytes read as: a byte-order mark or a
// whole file of strict UTF-8 (up to a Ctrl-Z, with a character of several
// bytes) is UTF-8 and converted; a Ctrl-Z ends the file; LF or CR LF ends a
// line; a last line without LF counts only when it is not empty.
std::vector<std::string> lines(std::string_view raw);

// How those bytes are read: 0 Windows-1251, 1 UTF-8 with a byte-order mark,
// 2 UTF-8 without one.
int encodingOf(std::string_view raw);

// A-Z to a-z only.
std::string asciiLower(std::string_view text);
// The 33 Russian capitals to small letters only.
std::string cyrillicLower(std::string_view text);
// What the any-case comparison compares: both foldings.
std::string anyCase(std::string_view text);
// Answer normalisation: the 19 punctuation characters to blanks, then
// " - ", " <en dash> " and two blanks replaced by one blank, each until none
// is left, then blanks trimmed.
std::string normalisedAnswer(std::string_view text);
// What the answer comparison compares: ASCII folding, normalisation,
// Cyrillic folding.
std::string answerFolded(std::string_view text);

std::string trimmed(std::string_view text);
// Position rules of the original: see the description of text after key.
std::string afterKey(std::string_view text, std::string_view key);
std::string beforeDelimiter(std::string_view text, std::string_view delimiter);
// Replaces the first occurrence, then searches again from the start, until
// none is left. Only for replacements shorter than what they replace (the
// only kind the player uses), where this ends. Quadratic: keep texts short.
std::string replacedAll(std::string_view searched, std::string_view replacement,
                        std::string_view text);

// The integer rules of colour values and placement numbers.
std::optional<std::int32_t> integer(std::string_view text);
// The conversion error's message for `text`, as what() gives it: up to a NUL.
std::string conversionMessage(std::string_view text);
// A colour name (ASCII case ignored) or an integer; nothing otherwise.
std::optional<std::int32_t> colour(std::string_view text);
// Round half to even; 0 when not finite or outside int.
int roundedHalfEven(long double value);

// The lookups over lines already read: the indices of the lines that hold
// the key, compared exactly, in any case and as answers. An empty key (as
// compared) holds nowhere.
std::vector<std::size_t> exactHits(const std::vector<std::string>& lines, std::string_view key);
std::vector<std::size_t> foldedHits(const std::vector<std::string>& foldedLines,
                                    const std::string& foldedKey);

// The value of a value key, given the first line that holds it.
std::string keyValueOf(std::string_view line, std::string_view key);

struct Division {
    int value = 0;
    bool centre = false;
};
// A division reading of the line holding the key ("" when none).
Division division(std::string_view line, std::string_view key, int reference);
// A pixel reading of the line holding the key ("" when none).
int pixels(std::string_view line, std::string_view key);

} // namespace taleplay::fuzz
