#include "check/spelling.h"

#include <algorithm>
#include <vector>

namespace taleplay::check {

char latinLookAlike(unsigned char c) {
    switch (c) {
    // Russian capitals and small letters (Windows-1251)
    case 0xC0:
        return 'A';
    case 0xC2:
        return 'B';
    case 0xC5:
        return 'E';
    case 0xCA:
        return 'K';
    case 0xCC:
        return 'M';
    case 0xCD:
        return 'H';
    case 0xCE:
        return 'O';
    case 0xD0:
        return 'P';
    case 0xD1:
        return 'C';
    case 0xD2:
        return 'T';
    case 0xD3:
        return 'Y';
    case 0xD5:
        return 'X';
    case 0xE0:
        return 'a';
    case 0xE5:
        return 'e';
    case 0xEA:
        return 'k';
    case 0xEE:
        return 'o';
    case 0xF0:
        return 'p';
    case 0xF1:
        return 'c';
    case 0xF3:
        return 'y';
    case 0xF5:
        return 'x';
    // Ukrainian and Serbian letters of the same code page
    case 0xB2:
        return 'I';
    case 0xB3:
        return 'i';
    case 0xA3:
        return 'J';
    case 0xBC:
        return 'j';
    case 0xBD:
        return 'S';
    case 0xBE:
        return 's';
    default:
        return 0;
    }
}

std::string withLatinLookAlikes(std::string_view text) {
    std::string out(text);
    for (char& ch : out)
        if (const char latin = latinLookAlike(static_cast<unsigned char>(ch)))
            ch = latin;
    return out;
}

int editDistance(std::string_view a, std::string_view b) {
    // Optimal string alignment: Levenshtein's table with one more case, two
    // neighbours written the other way round ("pictrue").
    const std::size_t n = a.size(), m = b.size();
    std::vector<int> before(m + 1), previous(m + 1), current(m + 1);
    for (std::size_t j = 0; j <= m; ++j)
        previous[j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= n; ++i) {
        current[0] = static_cast<int>(i);
        for (std::size_t j = 1; j <= m; ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
            current[j] =
                std::min(std::min(previous[j] + 1, current[j - 1] + 1), previous[j - 1] + cost);
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                current[j] = std::min(current[j], before[j - 2] + 1);
        }
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous[m];
}

int allowedSlips(std::size_t length) {
    // Below ten characters ("*sound*", "*video*") a second slip already
    // reaches ordinary words.
    return length < 10 ? 1 : 2;
}

} // namespace taleplay::check
