// The class's table as text, CSV and HTML.
#include "classresults/table_output.h"

#include "core/codepage.h"
#include "core/results.h"

#include <algorithm>
#include <array>

namespace taleplay::classresults {
namespace {

// East Asian wide characters take two columns of a terminal.
bool wide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

// The text with control characters as '?', and its width in columns.
std::string forTerminal(const std::string& text, std::size_t& width) {
    std::string out;
    width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const char32_t c = utf8::next(text, i);
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c >= 0x110000) {
            out += '?';
            ++width;
            continue;
        }
        out.append(text, start, i - start);
        width += wide(c) ? 2 : 1;
    }
    return out;
}

constexpr std::size_t kColumns = 8;

std::array<std::string, kColumns> headings(const Words& w) {
    return {w.name, w.login, w.game, w.best, w.last, w.attempts, w.first, w.latest};
}

std::array<std::string, kColumns> cells(const Row& r, const Words& w) {
    return {r.name,
            r.login,
            r.game,
            markText(r.best, w),
            r.finished() ? markText(r.last, w) : std::string(),
            std::to_string(r.attempts),
            shownTime(r.first),
            shownTime(r.latest)};
}

// A text a spreadsheet would take for a formula stays text.
std::string csvText(const std::string& text, char separator) {
    const bool formula = !text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' ||
                                           text[0] == '@' || text[0] == '\t' || text[0] == '\r');
    return results::csvField(formula ? "'" + text : text, separator);
}

std::string html(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

const char* markClass(const Row& r, int mark) {
    if (!r.finished())
        return "none";
    return mark == 5 ? "m5" : "m2";
}

} // namespace

Words wordsIn(const Translate& tr) {
    const char* c = kTextContext;
    Words w;
    w.title = tr(c, TALEPLAY_RESULTS_TEXT("ClassResults", "Class results"));
    w.name = tr(c, TALEPLAY_RESULTS_TEXT("ClassResults", "Name"));
    w.login = tr(c, TALEPLAY_RESULTS_TEXT("ClassResults", "Login"));
    w.game = tr(c, TALEPLAY_RESULTS_TEXT("ClassResults", "Game"));
    w.best = tr(c, TALEPLAY_RESULTS_TEXT("ClassResults", "Best mark"));
    w.last = tr(c, TALEPLAY_RESULTS_TEXT("ClassResults", "Last mark"));
    w.attempts = tr(c, TALEPLAY_RESULTS_TEXT("ClassResults", "Attempts"));
    w.first = tr(c, TALEPLAY_RESULTS_TEXT("ClassResults", "First played"));
    w.latest = tr(c, TALEPLAY_RESULTS_TEXT("ClassResults", "Last played"));
    w.notFinished = tr(c, TALEPLAY_RESULTS_TEXT("ClassResults", "not finished"));
    //: The language of the exported page, as HTML names it.
    w.language = tr(c, TALEPLAY_RESULTS_TEXT("ClassResults", "en"));
    //: Between the fields of the CSV: the list separator of spreadsheets in
    //: this language (";" where a comma writes decimals).
    const std::string separator = tr(c, TALEPLAY_RESULTS_TEXT("ClassResults", ","));
    if (separator == ";" || separator == "\t")
        w.separator = separator[0];
    return w;
}

std::string markText(int mark, const Words& words) {
    return mark == 5 || mark == 2 ? std::to_string(mark) : words.notFinished;
}

std::string shownTime(const std::string& time) {
    if (time.size() < 16)
        return time;
    std::string out = time.substr(0, 16);
    out[10] = ' ';
    return out;
}

std::string asText(const std::vector<Row>& rows, const Words& words) {
    std::vector<std::array<std::string, kColumns>> lines{headings(words)};
    for (const Row& r : rows)
        lines.push_back(cells(r, words));
    std::vector<std::array<std::size_t, kColumns>> widths(lines.size());
    std::array<std::size_t, kColumns> column{};
    for (std::size_t l = 0; l < lines.size(); ++l)
        for (std::size_t i = 0; i < kColumns; ++i) {
            lines[l][i] = forTerminal(lines[l][i], widths[l][i]);
            column[i] = std::max(column[i], widths[l][i]);
        }
    std::string out;
    for (std::size_t l = 0; l < lines.size(); ++l) {
        std::string line;
        for (std::size_t i = 0; i < kColumns; ++i) {
            line += lines[l][i];
            if (i + 1 < kColumns)
                line.append(column[i] - widths[l][i] + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + '\n';
    }
    return out;
}

std::string asCsv(const std::vector<Row>& rows, const Words& words) {
    std::string out = "\xEF\xBB\xBF";
    auto line = [&](const std::array<std::string, kColumns>& fields) {
        for (std::size_t i = 0; i < kColumns; ++i) {
            if (i)
                out += words.separator;
            out += csvText(fields[i], words.separator);
        }
        out += "\r\n";
    };
    line(headings(words));
    for (const Row& r : rows) {
        auto fields = cells(r, words);
        // The whole time, as a spreadsheet reads a date and time.
        fields[6] = r.first;
        fields[7] = r.latest;
        for (std::size_t i : {6, 7})
            if (fields[i].size() > 10)
                fields[i][10] = ' ';
        line(fields);
    }
    return out;
}

std::string asHtml(const std::vector<Row>& rows, const Words& words, const std::string& caption) {
    const auto heads = headings(words);
    std::string out = "<!DOCTYPE html>\n<html lang=\"" + html(words.language) +
                      "\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + html(words.title) +
                      "</title>\n<style>\n"
                      "body { font-family: sans-serif; margin: 1.5em; }\n"
                      "table { border-collapse: collapse; }\n"
                      "th, td { border: 1px solid #888; padding: 0.2em 0.6em; text-align: left; }\n"
                      "th { background: #eee; }\n"
                      "td.m5 { background: #c6efce; color: #006100; font-weight: bold; }\n"
                      "td.m2 { background: #ffc7ce; color: #9c0006; font-weight: bold; }\n"
                      "td.none { background: #ededed; color: #555; font-style: italic; }\n"
                      "@media print { body { margin: 0; } "
                      "th, td.m5, td.m2, td.none { -webkit-print-color-adjust: exact; "
                      "print-color-adjust: exact; } }\n"
                      "</style>\n</head>\n<body>\n<h1>" +
                      html(words.title) + "</h1>\n<p>" + html(caption) +
                      "</p>\n<table>\n<thead><tr>";
    for (const std::string& h : heads)
        out += "<th scope=\"col\">" + html(h) + "</th>";
    out += "</tr></thead>\n<tbody>\n";
    for (const Row& r : rows) {
        const auto c = cells(r, words);
        out += "<tr>";
        for (std::size_t i = 0; i < kColumns; ++i) {
            std::string cls;
            if (i == 3)
                cls = markClass(r, r.best);
            else if (i == 4 && r.finished())
                cls = markClass(r, r.last);
            out += cls.empty() ? "<td>" : "<td class=\"" + cls + "\">";
            out += html(c[i]) + "</td>";
        }
        out += "</tr>\n";
    }
    out += "</tbody>\n</table>\n</body>\n</html>\n";
    return out;
}

} // namespace taleplay::classresults
