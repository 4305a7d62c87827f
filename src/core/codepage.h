#pragma once
// Windows-1251 is the program's own text encoding; Unicode appears only where
// a text meets the toolkit or the file system.
#include <string>
#include <string_view>

namespace taleplay::cp1251 {

// UTF-8 of a Windows-1251 byte string. The one unassigned byte (0x98) maps
// to U+FFFD so nothing is silently dropped.
std::string toUtf8(std::string_view bytes);

// Windows-1251 of a UTF-8 text; a character the code page lacks, and any
// malformed UTF-8 sequence, becomes '?'.
std::string fromUtf8(std::string_view utf8);
void fromUtf8InPlace(std::string& text);

// The Unicode code point of one Windows-1251 byte.
char32_t toUnicode(unsigned char byte);

// The Windows-1251 byte of a code point, or '?' when there is none.
char fromUnicode(char32_t cp);

} // namespace taleplay::cp1251

// DOS Cyrillic: what unzip leaves as file names from archives made on
// Windows. Only read, to find such files.
namespace taleplay::cp866 {

char32_t toUnicode(unsigned char byte);

} // namespace taleplay::cp866

namespace taleplay::utf8 {

// Tells whether bytes, fed in pieces of any size, are strict UTF-8: no
// overlong forms, no surrogates, nothing above U+10FFFF. The C1 controls
// (U+0080..U+009F) count as invalid as well: no text holds them, but a
// Windows-1251 "В" before its punctuation ("В…") spells one.
class Validator {
  public:
    // False once the bytes so far cannot be the start of such a text.
    bool feed(std::string_view bytes);
    bool valid() const { return valid_; }
    // Valid, and no sequence left open at the end.
    bool complete() const { return valid_ && need_ == 0; }
    // Whether a character of two or more bytes has been seen.
    bool sawMultiByte() const { return multiByte_; }
    // Whether every character of two bytes so far is one a game's text
    // plausibly holds (Latin, Greek and Cyrillic letters, the punctuation of
    // Latin-1). A Windows-1251 capital followed by its punctuation or by Ё
    // ("ШЁ", "Ц»", "Ж№") is valid UTF-8 for an Arabic, Hebrew or rare Latin
    // letter, or a lone diacritic, which no game writes.
    bool plausible() const { return plausible_; }

  private:
    bool valid_ = true;
    bool multiByte_ = false;
    bool plausible_ = true;
    unsigned char lead_ = 0; // the lead byte of a two-byte sequence under way
    int need_ = 0;                           // continuation bytes still to come
    unsigned char low_ = 0x80, high_ = 0xBF; // the range of the next one
};

// The code point at `i`, moving `i` past it; a byte that does not start a
// well-formed sequence comes back alone, as itself plus 0x110000, so it
// still compares byte for byte and never equals a character.
char32_t next(std::string_view text, std::size_t& i);

void append(std::string& out, char32_t cp);

// A name as the file system or a file gives it, as UTF-8: bytes that are no
// UTF-8 are taken as Windows-1251, as names from Windows are.
std::string orWindows1251(std::string_view bytes);

} // namespace taleplay::utf8
