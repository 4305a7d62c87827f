// The description layer as its rules read, for comparison with the player's.
#include "reference.h"

#include "core/codepage.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace taleplay::fuzz {
namespace {

constexpr std::string_view kMark = "\xEF\xBB\xBF";

// Two-byte characters no game's text holds, which make a file read as
// Windows-1251 instead: Latin-1's lone diaeresis, macron, acute and cedilla,
// Latin Extended-B to the combining marks, and Armenian to N'Ko.
bool unlikelyInAGame(char32_t cp) {
    for (char32_t lone : {0xA8, 0xAF, 0xB4, 0xB8})
        if (cp == lone)
            return true;
    return (0x180 <= cp && cp <= 0x36F) || (0x530 <= cp && cp <= 0x7FF);
}

// Strict UTF-8 as description files are told apart: no overlong forms, no
// surrogates, nothing past U+10FFFF, no C1 controls, nothing left open, no
// character a game never holds; and at least one character of several bytes.
bool strictUtf8WithMultiByte(std::string_view s) {
    bool multiByte = false;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = b >= 0xC2 && b <= 0xDF   ? 2
                                   : b >= 0xE0 && b <= 0xEF ? 3
                                   : b >= 0xF0 && b <= 0xF4 ? 4
                                                            : 0;
        if (length == 0 || i + length > s.size())
            return false;
        char32_t cp = b & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
        for (std::size_t k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        const char32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || cp <= 0x9F)
            return false;
        if (length == 2 && unlikelyInAGame(cp))
            return false;
        multiByte = true;
        i += length;
    }
    return multiByte;
}

bool isBlank(char c) {
    return c == ' ';
}

// Placement values lose every blank, wherever it stands.
std::string withoutBlanks(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (!isBlank(c))
            out += c;
    return out;
}

} // namespace

std::string printable(std::string_view bytes) {
    std::string out;
    for (const char ch : bytes.substr(0, 400)) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += ch;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    if (bytes.size() > 400)
        out += "... (" + std::to_string(bytes.size()) + " bytes)";
    return out;
}

void differs(std::string_view what, std::string_view player, std::string_view reference) {
    std::fprintf(stderr, "%.*s differs\n  player:    %s\n  reference: %s\n", int(what.size()),
                 what.data(), printable(player).c_str(), printable(reference).c_str());
    std::abort();
}

void same(std::string_view what, const std::string& player, const std::string& reference) {
    if (player != reference)
        differs(what, player, reference);
}

void same(std::string_view what, long long player, long long reference) {
    if (player != reference)
        differs(what, std::to_string(player), std::to_string(reference));
}

int encodingOf(std::string_view raw) {
    if (raw.substr(0, 3) == kMark)
        return 1;
    return strictUtf8WithMultiByte(raw.substr(0, raw.find('\x1A'))) ? 2 : 0;
}

std::vector<std::string> lines(std::string_view raw) {
    const bool utf8 = encodingOf(raw) != 0;
    std::string_view body = raw;
    if (raw.substr(0, 3) == kMark)
        body.remove_prefix(3);
    body = body.substr(0, body.find('\x1A'));

    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t lf = body.find('\n', start);
        if (lf == std::string_view::npos) {
            if (start < body.size())
                out.emplace_back(body.substr(start));
            break;
        }
        std::string line(body.substr(start, lf - start));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out.push_back(std::move(line));
        start = lf + 1;
    }
    if (utf8)
        for (std::string& line : out)
            line = cp1251::fromUtf8(line);
    return out;
}

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    return out;
}

std::string cyrillicLower(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0xC0 && c <= 0xDF) // А..Я
            ch = static_cast<char>(c + 0x20);
        else if (c == 0xA8) // Ё
            ch = static_cast<char>(0xB8);
    }
    return out;
}

std::string anyCase(std::string_view text) {
    return cyrillicLower(asciiLower(text));
}

std::string normalisedAnswer(std::string_view text) {
    static constexpr std::string_view kPunctuation = ".,?!;:\"_=<>'\"()][}{`";
    std::string s(text);
    for (const char p : kPunctuation)
        s = replacedAll(std::string_view(&p, 1), " ", s);
    s = replacedAll(" - ", " ", s);
    s = replacedAll(" \x96 ", " ", s);
    s = replacedAll("  ", " ", s);
    return trimmed(s);
}

std::string answerFolded(std::string_view text) {
    return cyrillicLower(normalisedAnswer(asciiLower(text)));
}

std::string trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    return std::string(text);
}

std::string afterKey(std::string_view text, std::string_view key) {
    // Positions from 1: the key at p (0 when missing, or when the key is
    // empty), and the copy from p + length(key) on; a copy from below 1
    // starts at 1.
    const std::size_t found = key.empty() ? std::string_view::npos : text.find(key);
    const std::size_t p = found == std::string_view::npos ? 0 : found + 1;
    std::size_t from = p + key.size();
    if (from < 1)
        from = 1;
    if (from - 1 >= text.size())
        return {};
    return std::string(text.substr(from - 1));
}

std::string beforeDelimiter(std::string_view text, std::string_view delimiter) {
    if (delimiter.empty())
        return std::string(text);
    const std::size_t found = text.find(delimiter);
    return std::string(found == std::string_view::npos ? text : text.substr(0, found));
}

std::string replacedAll(std::string_view searched, std::string_view replacement,
                        std::string_view text) {
    std::string s(text);
    if (searched.empty())
        return s;
    // Before the occurrence just replaced the text held none, so the search
    // from the start need not look at what lies wholly before it.
    for (std::size_t at = 0; (at = s.find(searched, at)) != std::string::npos;) {
        s.replace(at, searched.size(), replacement);
        at = at >= searched.size() - 1 ? at - (searched.size() - 1) : 0;
    }
    return s;
}

std::optional<std::int32_t> integer(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.starts_with("$") || text.starts_with("x") || text.starts_with("X")) {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    for (const char c : text) {
        const bool digit = (c >= '0' && c <= '9') ||
                           (base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
        if (!digit)
            return std::nullopt;
    }
    while (text.size() > 1 && text.front() == '0')
        text.remove_prefix(1);
    if (text.size() > (base == 10 ? 10u : 8u))
        return std::nullopt;
    const unsigned long long magnitude = std::strtoull(std::string(text).c_str(), nullptr, base);
    if (base == 10) {
        if (magnitude > (negative ? 2147483648ull : 2147483647ull))
            return std::nullopt;
        const long long value =
            negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
        return static_cast<std::int32_t>(value);
    }
    // Hexadecimal is a bit pattern of 32 bits; a sign negates the pattern.
    std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
    if (negative)
        bits = ~bits + 1u;
    return static_cast<std::int32_t>(bits);
}

std::string conversionMessage(std::string_view text) {
    const std::string message = "'" + std::string(text) + "' is not a valid integer value";
    return message.substr(0, message.find('\0'));
}

std::optional<std::int32_t> colour(std::string_view text) {
    struct Row {
        const char* name;
        std::uint32_t value;
    };
    static constexpr Row kNames[] = {
        {"clblack", 0x000000},
        {"clmaroon", 0x000080},
        {"clgreen", 0x008000},
        {"clolive", 0x008080},
        {"clnavy", 0x800000},
        {"clpurple", 0x800080},
        {"clteal", 0x808000},
        {"clgray", 0x808080},
        {"clsilver", 0xC0C0C0},
        {"clred", 0x0000FF},
        {"cllime", 0x00FF00},
        {"clyellow", 0x00FFFF},
        {"clblue", 0xFF0000},
        {"clfuchsia", 0xFF00FF},
        {"claqua", 0xFFFF00},
        {"clwhite", 0xFFFFFF},
        {"clmoneygreen", 0xC0DCC0},
        {"clskyblue", 0xF0CAA6},
        {"clcream", 0xF0FBFF},
        {"clmedgray", 0xA4A0A0},
        {"clscrollbar", 0xFF000000},
        {"clbackground", 0xFF000001},
        {"clactivecaption", 0xFF000002},
        {"clinactivecaption", 0xFF000003},
        {"clmenu", 0xFF000004},
        {"clwindow", 0xFF000005},
        {"clwindowframe", 0xFF000006},
        {"clmenutext", 0xFF000007},
        {"clwindowtext", 0xFF000008},
        {"clcaptiontext", 0xFF000009},
        {"clactiveborder", 0xFF00000A},
        {"clinactiveborder", 0xFF00000B},
        {"clappworkspace", 0xFF00000C},
        {"clhighlight", 0xFF00000D},
        {"clhighlighttext", 0xFF00000E},
        {"clbtnface", 0xFF00000F},
        {"clbtnshadow", 0xFF000010},
        {"clgraytext", 0xFF000011},
        {"clbtntext", 0xFF000012},
        {"clinactivecaptiontext", 0xFF000013},
        {"clbtnhighlight", 0xFF000014},
        {"cl3ddkshadow", 0xFF000015},
        {"cl3dlight", 0xFF000016},
        {"clinfotext", 0xFF000017},
        {"clinfobk", 0xFF000018},
        {"clhotlight", 0xFF00001A},
        {"clgradientactivecaption", 0xFF00001B},
        {"clgradientinactivecaption", 0xFF00001C},
        {"clmenuhighlight", 0xFF00001D},
        {"clmenubar", 0xFF00001E},
        {"clnone", 0x1FFFFFFF},
        {"cldefault", 0x20000000},
    };
    const std::string lowered = asciiLower(text);
    for (const Row& row : kNames)
        if (lowered == row.name)
            return static_cast<std::int32_t>(row.value);
    return integer(text);
}

int roundedHalfEven(long double value) {
    if (!std::isfinite(value))
        return 0;
    // The default rounding mode rounds halves to the even neighbour.
    const long double r = std::nearbyint(value);
    if (r < std::numeric_limits<int>::min() || r > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(r);
}

std::vector<std::size_t> exactHits(const std::vector<std::string>& lines, std::string_view key) {
    std::vector<std::size_t> hits;
    if (key.empty())
        return hits;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].find(key) != std::string::npos)
            hits.push_back(i);
    return hits;
}

std::vector<std::size_t> foldedHits(const std::vector<std::string>& foldedLines,
                                    const std::string& foldedKey) {
    return exactHits(foldedLines, foldedKey);
}

std::string keyValueOf(std::string_view line, std::string_view key) {
    if (line.empty())
        return {};
    return trimmed(beforeDelimiter(afterKey(line, key), "#"));
}

Division division(std::string_view line, std::string_view key, int reference) {
    Division d;
    if (line.empty())
        return d;
    std::string s = withoutBlanks(afterKey(line, key));
    const std::int32_t denominator = integer(beforeDelimiter(s, "#")).value_or(0);
    s = afterKey(s, "#");
    const std::int32_t numerator = integer(beforeDelimiter(s, "#")).value_or(0);
    if (denominator != 0)
        d.value = roundedHalfEven(static_cast<long double>(reference) / denominator * numerator);
    d.centre = s.starts_with("center#");
    return d;
}

int pixels(std::string_view line, std::string_view key) {
    if (line.empty())
        return 0;
    return integer(beforeDelimiter(withoutBlanks(afterKey(line, key)), "#")).value_or(0);
}

} // namespace taleplay::fuzz
