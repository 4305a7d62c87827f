#pragma once
// The small text operations with which description files, click rules and
// typed answers are cut and compared. Every text is Windows-1251 bytes;
// "space" means the blank (code 32) only, never a tab or a line break. None
// of them fails.
#include <string>
#include <string_view>

namespace taleplay {

std::string trimTrailingSpaces(std::string_view text);
std::string trimLeadingSpaces(std::string_view text);
std::string trimSpaces(std::string_view text);

// The text before the first occurrence of `delimiter`; the whole text when it
// does not occur (an empty delimiter never occurs).
std::string textBeforeDelimiter(std::string_view text, std::string_view delimiter);

// The text after the first occurrence of `key`. When the key is missing the
// text loses its first length(key) - 1 characters: see the .cpp.
std::string textAfterKey(std::string_view text, std::string_view key);

// `text` with every occurrence of `searched` replaced by `replacement`,
// searching again from the start after each replacement, so replacing two
// blanks by one shrinks every run of blanks to one blank. An empty `searched`
// leaves the text as it is.
std::string replaceAll(std::string_view searched, std::string_view replacement,
                       std::string_view text);

// Typed answers and answer keys compare after this: punctuation and dashes
// between blanks become blanks, runs of blanks shrink to one, the ends are
// trimmed. Letters keep their case.
std::string normaliseAnswer(std::string_view text);

// The 33 capitals of the Russian alphabet (Windows-1251 192-223 and 168)
// become small letters; every other byte stays.
std::string cyrillicLowerCase(std::string_view text);

// A-Z become a-z; every other byte stays.
std::string asciiLowerCase(std::string_view text);

// In-place forms for loops that fold many lines into one reused buffer.
void cyrillicLowerCaseInPlace(std::string& text);
void asciiLowerCaseInPlace(std::string& text);
// Both foldings at once, as the any-case comparison makes them.
void anyCaseLowerInPlace(std::string& text);

// Answer normalisation in place, with two caller-owned scratch buffers, so
// that a loop over the lines of a file allocates nothing once they have grown.
void normaliseAnswerInPlace(std::string& text, std::string& spare, std::string& pending);

} // namespace taleplay
