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

// The Unicode code point of one Windows-1251 byte.
char32_t toUnicode(unsigned char byte);

// The Windows-1251 byte of a code point, or '?' when there is none.
char fromUnicode(char32_t cp);

} // namespace taleplay::cp1251
