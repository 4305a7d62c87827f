#pragma once
// The class's table written out: aligned lines for a terminal, CSV for
// spreadsheets and a printable HTML page, all UTF-8, with the words of the
// reader's language.
#include "classresults/table.h"

#include <functional>
#include <string>
#include <vector>

// Marks an English text for the translators: lupdate collects it as it
// collects QT_TRANSLATE_NOOP (the build tells it so); here it is the text.
#define TALEPLAY_RESULTS_TEXT(context, text) text

namespace taleplay::classresults {

// The context the words are translated in.
inline constexpr const char* kTextContext = "ClassResults";

struct Words {
    std::string title; // of the page and the window
    std::string name, login, game, best, last, attempts, first, latest;
    std::string notFinished;
    std::string language = "en"; // of the page
    // Between the CSV's fields: a spreadsheet opened by a double click splits
    // at the list separator of its language, which is ';' where a comma
    // writes decimals (Russian among them). A word to translate too.
    char separator = ',';
};

// The words, each of them through `translate` (context, English text).
using Translate = std::function<std::string(const char* context, const char* english)>;
Words wordsIn(const Translate& translate);

// "5", "2", or the words for not finished.
std::string markText(int mark, const Words& words);

// 2024-05-17 10:42 of 2024-05-17T10:42:05.
std::string shownTime(const std::string& time);

// A heading line and a line a row, in columns; what could steer a terminal
// (control characters) shown as '?'.
std::string asText(const std::vector<Row>& rows, const Words& words);

// UTF-8 with a byte-order mark, so a spreadsheet opened by a double click
// reads the letters right; a heading line, CR LF, RFC 4180 quoting, times
// as spreadsheets read them. A text that a spreadsheet would take for a
// formula (=, +, -, @ first) is kept as text by a ' before it.
std::string asCsv(const std::vector<Row>& rows, const Words& words);

// A page for a browser to show and print: the title, `caption` (the folder,
// say) and the table, each mark on a colour of its own and in words.
std::string asHtml(const std::vector<Row>& rows, const Words& words, const std::string& caption);

} // namespace taleplay::classresults
