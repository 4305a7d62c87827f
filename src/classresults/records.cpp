// The class list and the tables of results, read from their bytes.
#include "classresults/records.h"

#include "core/codepage.h"
#include "core/files.h"

#include <algorithm>
#include <set>

namespace taleplay::classresults {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (isBlank(s.front()) || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (isBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The records of a CSV text as RFC 4180 has them: a quoted field may hold
// commas, doubled quotes and line ends; a record ends at LF or CR LF.
std::vector<std::vector<std::string>> csvRecords(std::string_view text) {
    std::vector<std::vector<std::string>> out;
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else
                quoted = false;
            continue;
        }
        any = true;
        if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
        } else if (c == '\n') {
            if (!field.empty() && field.back() == '\r')
                field.pop_back();
            fields.push_back(std::move(field));
            field.clear();
            out.push_back(std::move(fields));
            fields.clear();
            any = false;
        } else {
            field += c;
        }
    }
    if (any || quoted || !fields.empty()) {
        fields.push_back(std::move(field));
        out.push_back(std::move(fields));
    }
    return out;
}

bool isDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// 2024-05-17T10:42:05 (or with a blank for the T, as a spreadsheet may save
// it), given back with the T.
bool readTime(std::string_view text, std::string& time) {
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' ||
        (text[10] != 'T' && text[10] != ' ') || text[13] != ':' || text[16] != ':')
        return false;
    for (std::size_t at : {0, 5, 8, 11, 14, 17})
        if (!isDigits(text.substr(at, at == 0 ? 4 : 2)))
            return false;
    time = std::string(text);
    time[10] = 'T';
    return true;
}

} // namespace

std::string asUtf8(std::string_view bytes) {
    return utf8::orWindows1251(bytes);
}

std::vector<Pupil> readClassList(std::string_view bytes) {
    const files::TextEncoding encoding = files::textEncoding(bytes);
    if (encoding == files::TextEncoding::Utf8WithMark)
        bytes.remove_prefix(3);
    const std::string text =
        encoding == files::TextEncoding::Windows1251 ? cp1251::toUtf8(bytes) : std::string(bytes);
    std::vector<Pupil> pupils;
    std::set<std::string> seen;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = trimmed(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        std::size_t cut = line.find('\t');
        if (cut == std::string_view::npos)
            cut = line.find(' ');
        Pupil p{std::string(trimmed(line.substr(0, cut))),
                cut == std::string_view::npos ? std::string()
                                              : std::string(trimmed(line.substr(cut + 1)))};
        if (seen.insert(p.login).second)
            pupils.push_back(std::move(p));
    }
    return pupils;
}

std::size_t readTable(std::string_view bytes, const std::string& login,
                      std::vector<Attempt>& into) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    std::size_t bad = 0;
    bool first = true;
    for (std::vector<std::string>& f : csvRecords(bytes)) {
        const bool header = first && !f.empty() && f[0] == "time";
        first = false;
        if (header || (f.size() == 1 && f[0].empty()))
            continue;
        Attempt a;
        if (f.size() != 5 || !readTime(f[0], a.time) || (f[4] != "5" && f[4] != "2") ||
            f[3].empty() || (login.empty() && f[1].empty())) {
            ++bad;
            continue;
        }
        a.login = login.empty() ? asUtf8(f[1]) : login;
        a.computer = asUtf8(f[2]);
        a.game = asUtf8(f[3]);
        a.mark = f[4][0] - '0';
        into.push_back(std::move(a));
    }
    return bad;
}

} // namespace taleplay::classresults
