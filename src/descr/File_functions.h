#pragma once
// The lookups through which every reader asks a description file for one key.
// Each call finds the file (a composed Windows-1251 path, resolved ignoring
// letter case) and scans it from its first line, and sees the file as it is
// on disk now: a file kept in memory is used only while it is unchanged
// (descr/description_cache.h).
//
// A missing file, or a folder in its place, gives "" or 0; a file that exists
// but cannot be read throws InOutError. An empty key never matches.
#include <string>
#include <string_view>
#include <vector>

namespace taleplay {

// The first line containing `key`, byte for byte, as read.
std::string firstLineWithKey(std::string_view file, std::string_view key);

// The first line containing `key` ignoring the case of A-Z and the 33 Russian
// capitals, returned as read (not folded).
std::string firstLineWithKeyAnyCase(std::string_view file, std::string_view key);

// The n-th line (from 1) containing `key` in any case; "" when fewer lines
// match or n is below 1.
std::string nthLineWithKey(std::string_view file, std::string_view key, int n);

// How many lines contain `key` in any case; a line counts once.
int countLinesWithKey(std::string_view file, std::string_view key);

// How many lines contain `key` when both are lower-cased for ASCII, answer
// normalised and lower-cased for Cyrillic, in that order.
int countLinesWithAnswer(std::string_view file, std::string_view key);

// The value of a value key: the first line containing `key` exactly, from
// just after the key up to the next "#" (or the end of the line), blanks
// trimmed. "" when the key is absent or its value is empty.
std::string keyValue(std::string_view file, std::string_view key);

// Whether any line contains `flagText` in any case.
bool flagSet(std::string_view file, std::string_view flagText);

// Where keys are written, for the tools that point an author at a line: the
// lines holding `key` with their numbers (from 1), and the number of the
// first, 0 when there is none. The player itself never asks.
enum class KeyCase { Exact, Any };
struct NumberedLine {
    int number;
    std::string text;
};
std::vector<NumberedLine> numberedLinesWithKey(std::string_view file, std::string_view key,
                                               KeyCase keyCase);
int firstLineNumberWithKey(std::string_view file, std::string_view key, KeyCase keyCase);

} // namespace taleplay
