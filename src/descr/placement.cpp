// Placement values: fractions of the client area, pixels and the centre mark.
#include "descr/placement.h"

#include "descr/File_functions.h"
#include "descr/Stroki_functions.h"
#include "descr/colour_values.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace taleplay {
namespace {

// Numbers of placement values follow the integer rules of colour values; a
// text that is not such a number, the empty text included, reads as 0.
int readNumber(std::string_view text) {
    return readInteger(text).value_or(0);
}

// The rest of `line` after `key`, with every blank removed: authors write
// "1 0 # 3 #" for "10#3#".
std::string valueWithoutBlanks(std::string_view line, std::string_view key) {
    if (line.empty())
        return {};
    return replaceAll(" ", "", textAfterKey(line, key));
}

} // namespace

int roundHalfEven(long double value) {
    if (!std::isfinite(value))
        return 0;
    long double whole = std::floor(value);
    long double fraction = value - whole;
    if (fraction > 0.5L || (fraction == 0.5L && std::fmod(whole, 2.0L) != 0))
        whole += 1;
    // A fraction such as "1#2000000000#" gives a length no window has; it is
    // taken as not given rather than wrapped into a random size.
    if (whole < std::numeric_limits<int>::min() || whole > std::numeric_limits<int>::max())
        return 0;
    return static_cast<int>(whole);
}

DivisionValue divisionValueOfLine(std::string_view line, std::string_view key, int reference) {
    DivisionValue result;
    std::string s = valueWithoutBlanks(line, key);
    if (s.empty())
        return result;
    const int denominator = readNumber(textBeforeDelimiter(s, "#"));
    // With no "#" this keeps s whole, so "4" reads as 4 divisions of 4.
    s = textAfterKey(s, "#");
    const int numerator = readNumber(textBeforeDelimiter(s, "#"));
    if (denominator != 0) {
        // Divide first, then multiply, in extended precision: 1366 / 4 * 1
        // is 341.5 and rounds to the even 342.
        result.value = roundHalfEven(static_cast<long double>(reference) / denominator * numerator);
    }
    // Reproduced on purpose: the mark is only seen after a first field, so
    // "#center#" and "2#center#" centre but "center#" alone does not.
    result.centre = s.starts_with("center#");
    return result;
}

int pixelValueOfLine(std::string_view line, std::string_view key) {
    return readNumber(textBeforeDelimiter(valueWithoutBlanks(line, key), "#"));
}

DivisionValue divisionValue(std::string_view file, std::string_view key, int reference) {
    return divisionValueOfLine(firstLineWithKey(file, key), key, reference);
}

int pixelValue(std::string_view file, std::string_view key) {
    return pixelValueOfLine(firstLineWithKey(file, key), key);
}

Size sizeFromAspect(int naturalWidth, int naturalHeight, int width, int height) {
    if (width == 0 && height == 0)
        return {naturalWidth, naturalHeight};
    // A picture with no extent along the other axis has no proportions to
    // keep (the original divided by zero there); the missing side stays 0,
    // "not given", and the given one is used as it is.
    if (width == 0 && naturalHeight != 0) {
        long double scale = static_cast<long double>(naturalHeight) / height;
        width = roundHalfEven(naturalWidth / scale);
    } else if (height == 0 && naturalWidth != 0) {
        long double scale = static_cast<long double>(naturalWidth) / width;
        height = roundHalfEven(naturalHeight / scale);
    }
    return {width, height};
}

int centredPosition(int reference, int size) {
    // In 64 bits, so that no pair of ints can overflow; the halved difference
    // always fits an int again. Integer division truncates toward zero.
    return static_cast<int>((static_cast<std::int64_t>(reference) - size) / 2);
}

int withinReach(int value) {
    constexpr int kFarthest = 1 << 29;
    return std::clamp(value, -kFarthest, kFarthest);
}

int resolveSize(std::string_view file, std::string_view stem, Axis axis, int reference) {
    const bool across = axis == Axis::Horizontal;
    std::string key(stem);
    const int value =
        divisionValue(file, key + (across ? "*widthindivision*" : "*heightindivision*"), reference)
            .value;
    if (value != 0)
        return withinReach(value);
    return withinReach(pixelValue(file, key + (across ? "*widthinpixels*" : "*heightinpixels*")));
}

int resolvePosition(std::string_view file, std::string_view stem, Axis axis, int reference,
                    int size) {
    const bool across = axis == Axis::Horizontal;
    std::string key(stem);
    const DivisionValue division =
        divisionValue(file, key + (across ? "*leftindivision*" : "*topindivision*"), reference);
    int value = division.value;
    if (division.centre)
        value = centredPosition(reference, size);
    if (value != 0)
        return withinReach(value);
    return withinReach(pixelValue(file, key + (across ? "*leftinpixels*" : "*topinpixels*")));
}

} // namespace taleplay
