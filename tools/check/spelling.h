#pragma once
// Near misses: how far a written word lies from one the player knows, and
// the Cyrillic letters that look like Latin ones, so that a key typed on a
// Russian keyboard layout is told apart from a word the player never reads.
#include <cstddef>
#include <string>
#include <string_view>

namespace taleplay::check {

// The Latin letter that the Windows-1251 byte `c` looks like when it is a
// Cyrillic letter ('р' gives 'p', 'Р' gives 'P'), or 0.
char latinLookAlike(unsigned char c);

// `text` (Windows-1251) with every look-alike Cyrillic letter replaced by
// its Latin twin.
std::string withLatinLookAlikes(std::string_view text);

// The number of single-letter insertions, deletions, replacements and
// swaps of two neighbours that turn `a` into `b`.
int editDistance(std::string_view a, std::string_view b);

// How many such slips a word of `length` characters may carry to be taken
// for a misspelling of it: one in a short word, two in a long one.
int allowedSlips(std::size_t length);

} // namespace taleplay::check
