// The value parsers and the string helpers under them, on pieces of the
// input, checked against the reference: integers, colours, rounding, sizes
// from aspect, centring, trimming, cutting, replacing, answer normalisation
// and case folding.
#include "reference.h"
#include "scratch.h"
#include "targets.h"

#include "core/errors.h"
#include "descr/Stroki_functions.h"
#include "descr/colour_values.h"
#include "descr/placement.h"

#include <cstdint>
#include <cstring>
#include <optional>

namespace taleplay::fuzz {
namespace {

// The reference's replacing is quadratic: pieces are kept this short.
constexpr std::size_t kLongestPiece = 4096;

void compareNumber(std::string_view text) {
    const std::optional<std::int32_t> player = readInteger(text);
    const std::optional<std::int32_t> expected = integer(text);
    same("integer of " + printable(text) + " read", player.has_value(), expected.has_value());
    if (player)
        same("integer of " + printable(text), *player, *expected);

    const std::optional<std::int32_t> colourValue = colour(text);
    try {
        const std::int32_t c = convertColour(text);
        if (!colourValue)
            differs("colour of " + printable(text), std::to_string(c), "a conversion error");
        same("colour of " + printable(text), c, *colourValue);
    } catch (const ConversionError& e) {
        if (colourValue)
            differs("colour of " + printable(text), e.what(), std::to_string(*colourValue));
        same("conversion error of " + printable(text), e.what(), conversionMessage(text));
    }
}

void compareHelpers(std::string_view text, std::string_view key) {
    const std::string shown = printable(text) + " and " + printable(key);
    same("trim of " + shown, trimSpaces(text), trimmed(text));
    same("text before delimiter of " + shown, textBeforeDelimiter(text, key),
         beforeDelimiter(text, key));
    same("text after key of " + shown, textAfterKey(text, key), afterKey(text, key));
    // Only replacements shorter than what they replace, as every caller's.
    if (!key.empty()) {
        const std::string_view shorter = key.substr(0, key.size() - 1);
        for (std::string_view replacement : {std::string_view(), shorter.substr(0, 1), shorter})
            same("replace all in " + shown + " by " + printable(replacement),
                 replaceAll(key, replacement, text), replacedAll(key, replacement, text));
    }
    same("replace all of nothing in " + shown, replaceAll("", key, text), std::string(text));

    same("answer normalisation of " + shown, normaliseAnswer(text), normalisedAnswer(text));
    same("Cyrillic lower case of " + shown, cyrillicLowerCase(text), cyrillicLower(text));
    same("ASCII lower case of " + shown, asciiLowerCase(text), asciiLower(text));
    std::string both(text);
    anyCaseLowerInPlace(both);
    same("any case of " + shown, both, anyCase(text));
    // Scratch buffers that carry what an earlier line left in them must not
    // change the next line's answer.
    static std::string spare = "left over", pending = "from before";
    std::string inPlace(text);
    normaliseAnswerInPlace(inPlace, spare, pending);
    same("answer normalisation in place of " + shown, inPlace, normalisedAnswer(text));
}

// Four integers from the input's bytes, for the arithmetic of sizes.
std::int32_t word(std::string_view input, std::size_t at) {
    std::uint32_t w = 0;
    for (std::size_t i = 0; i < 4; ++i)
        w = (w << 8) | (at + i < input.size() ? static_cast<unsigned char>(input[at + i]) : 0u);
    return static_cast<std::int32_t>(w);
}

void compareArithmetic(std::string_view input) {
    const std::int32_t a = word(input, 0), b = word(input, 4), c = word(input, 8),
                       d = word(input, 12);
    // As the division reading computes it: the reference length over the
    // denominator, times the numerator.
    if (b != 0) {
        const long double v = static_cast<long double>(a) / b * c;
        same("rounding of " + std::to_string(a) + " / " + std::to_string(b) + " * " +
                 std::to_string(c),
             roundHalfEven(v), roundedHalfEven(v));
    }
    for (const long double v : {0.5L, 1.5L, 2.5L, -0.5L, -1.5L, 1e300L, -1e300L})
        same("rounding of a half", roundHalfEven(v), roundedHalfEven(v));

    same("centred position", centredPosition(a, b),
         static_cast<long long>((static_cast<long long>(a) - b) / 2));

    // Natural sizes are what a picture can have; given sizes anything.
    const int naturalWidth = static_cast<int>(static_cast<std::uint32_t>(a) % 70000);
    const int naturalHeight = static_cast<int>(static_cast<std::uint32_t>(b) % 70000);
    const Size s = sizeFromAspect(naturalWidth, naturalHeight, c, d);
    if (c != 0 && d != 0) {
        same("both sides given: width", s.width, c);
        same("both sides given: height", s.height, d);
    }
    if (c == 0 && d == 0) {
        same("no side given: width", s.width, naturalWidth);
        same("no side given: height", s.height, naturalHeight);
    }
    if (c == 0 && d != 0)
        same("only the height given: height", s.height, d);
    if (d == 0 && c != 0)
        same("only the width given: width", s.width, c);
}

} // namespace

void fuzzValues(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    compareArithmetic(input);
    compareNumber(input.substr(0, 64));

    // Pieces: the lines of the input, each against the next as its key.
    std::vector<std::string_view> pieces;
    for (std::size_t from = 0; from <= input.size() && pieces.size() < 64;) {
        std::size_t end = input.find('\n', from);
        if (end == std::string_view::npos)
            end = input.size();
        pieces.push_back(input.substr(from, std::min(end - from, kLongestPiece)));
        from = end + 1;
    }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        compareNumber(pieces[i]);
        compareHelpers(pieces[i], i + 1 < pieces.size() ? pieces[i + 1] : std::string_view("#"));
        compareHelpers(pieces[i], " ");
    }
}

} // namespace taleplay::fuzz
