// Windows-1251 to and from UTF-8; CP866 and strict UTF-8 for reading.
#include "core/codepage.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace taleplay {
namespace {

// 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// CP866 0xB0..0xDF (box drawing) and 0xF0..0xFF; its letters are computed.
constexpr std::array<char16_t, 48> kBoxes = {
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
};
constexpr std::array<char16_t, 16> kDosTail = {
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

// How a lead byte of strict UTF-8 goes on: the number of continuation bytes
// and the range the first of them must lie in (Unicode's table of
// well-formed sequences). -1: the byte cannot start a sequence.
int sequenceOf(unsigned char lead, unsigned char& low, unsigned char& high) {
    low = 0x80;
    high = 0xBF;
    if (lead < 0x80)
        return 0;
    if (lead < 0xC2 || lead > 0xF4)
        return -1;
    if (lead <= 0xDF)
        return 1;
    if (lead <= 0xEF) {
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F; // no surrogates
        return 2;
    }
    if (lead == 0xF0)
        low = 0x90;
    else if (lead == 0xF4)
        high = 0x8F; // nothing above U+10FFFF
    return 3;
}

} // namespace
} // namespace taleplay

namespace taleplay::cp866 {

char32_t toUnicode(unsigned char byte) {
    if (byte < 0x80)
        return byte;
    if (byte < 0xB0)
        return 0x0410 + (byte - 0x80); // А..Я, а..п
    if (byte < 0xE0)
        return kBoxes[byte - 0xB0];
    if (byte < 0xF0)
        return 0x0440 + (byte - 0xE0); // р..я
    return kDosTail[byte - 0xF0];
}

} // namespace taleplay::cp866

namespace taleplay::utf8 {

namespace {

// Characters of two bytes (U+0080..U+07FF) that no game's text holds: the
// lone spacing diacritics of Latin-1, Latin Extended-B, phonetics and
// combining marks, and the scripts from Armenian to N'Ko. Three-byte
// characters and above are all taken: a Windows-1251 text spells one only
// with a small letter followed by two punctuation bytes.
bool implausible(char32_t cp) {
    return cp == 0xA8 || cp == 0xAF || cp == 0xB4 || cp == 0xB8 || (cp >= 0x180 && cp < 0x370) ||
           (cp >= 0x530 && cp < 0x800);
}

} // namespace

bool Validator::feed(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (valid_ && p < end) {
        if (need_ > 0) {
            if (*p < low_ || *p > high_)
                return valid_ = false;
            if (lead_ != 0 &&
                implausible((static_cast<char32_t>(lead_ & 0x1F) << 6) | (*p & 0x3Fu)))
                plausible_ = false;
            lead_ = 0;
            ++p;
            low_ = 0x80;
            high_ = 0xBF;
            --need_;
            continue;
        }
        // Most of a description file is ASCII: past it eight bytes a time.
        std::uint64_t eight;
        while (end - p >= 8 && (std::memcpy(&eight, p, 8), (eight & 0x8080808080808080u) == 0))
            p += 8;
        while (p < end && *p < 0x80)
            ++p;
        if (p == end)
            break;
        need_ = sequenceOf(*p, low_, high_);
        if (need_ < 0)
            return valid_ = false;
        multiByte_ = true;
        lead_ = need_ == 1 ? *p : 0;
        if (*p == 0xC2)
            low_ = 0xA0; // not a C1 control
        ++p;
    }
    return valid_;
}

char32_t next(std::string_view s, std::size_t& i) {
    const auto c = static_cast<unsigned char>(s[i]);
    unsigned char low, high;
    const int extra = sequenceOf(c, low, high);
    if (extra == 0) {
        ++i;
        return c;
    }
    auto alone = [&] {
        ++i;
        return static_cast<char32_t>(c) | 0x110000u;
    };
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size())
        return alone();
    char32_t cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const auto cc = static_cast<unsigned char>(s[i + k]);
        if (cc < (k == 1 ? low : 0x80) || cc > (k == 1 ? high : 0xBF))
            return alone();
        cp = (cp << 6) | (cc & 0x3F);
    }
    i += extra + 1;
    return cp;
}

void append(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string orWindows1251(std::string_view bytes) {
    Validator v;
    v.feed(bytes);
    return v.complete() ? std::string(bytes) : cp1251::toUtf8(bytes);
}

} // namespace taleplay::utf8

namespace taleplay::cp1251 {

char32_t toUnicode(unsigned char byte) {
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return 0x0410 + (byte - 0xC0);
    return kHigh[byte - 0x80];
}

char fromUnicode(char32_t cp) {
    if (cp < 0x80)
        return static_cast<char>(cp);
    if (cp >= 0x0410 && cp <= 0x044F)
        return static_cast<char>(0xC0 + (cp - 0x0410));
    if (cp == 0xFFFD)
        return '?';
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == cp)
            return static_cast<char>(0x80 + i);
    return '?';
}

std::string toUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes)
        utf8::append(out, toUnicode(c));
    return out;
}

void fromUtf8InPlace(std::string& s) {
    // Every character takes at least the one byte it becomes, so the text
    // is written over itself from the front.
    const std::size_t n = s.size();
    std::size_t i = 0, o = 0;
    while (i < n) {
        const auto c = static_cast<unsigned char>(s[i]);
        int extra;
        char32_t cp;
        if (c < 0x80) {
            s[o++] = static_cast<char>(c);
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            s[o++] = '?';
            ++i;
            continue;
        }
        if (i + extra >= n) {
            // Truncated sequence at the end of the text.
            s[o++] = '?';
            break;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {
            s[o++] = '?';
            ++i;
            continue;
        }
        s[o++] = fromUnicode(cp);
        i += extra + 1;
    }
    s.resize(o);
}

std::string fromUtf8(std::string_view s) {
    std::string out(s);
    fromUtf8InPlace(out);
    return out;
}

} // namespace taleplay::cp1251
