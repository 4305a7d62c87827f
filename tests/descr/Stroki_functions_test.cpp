#include "descr/Stroki_functions.h"

#include "descr_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace taleplay {
namespace {

using test::cp;

struct Row {
    std::string in;
    std::string out;
};

void expectRows(const std::function<std::string(std::string_view)>& f,
                const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE("input '" + row.in + "'");
        EXPECT_EQ(f(row.in), row.out);
    }
}

TEST(StrokiFunctions, TrimmingTakesBlanksOnly) {
    expectRows(trimSpaces, {{"  ", ""},
                            {"", ""},
                            {"a b  ", "a b"},
                            {"  a b  ", "a b"},
                            {"\ta ", "\ta"},
                            {" a\t", "a\t"},
                            {"\xA0x\xA0", "\xA0x\xA0"}, // no-break space stays
                            {" \r\n", "\r\n"}});
    expectRows(trimLeadingSpaces, {{"  a  ", "a  "}, {"   ", ""}});
    expectRows(trimTrailingSpaces, {{"  a  ", "  a"}, {"   ", ""}});
}

TEST(StrokiFunctions, TextBeforeDelimiter) {
    struct Case {
        std::string text, delimiter, out;
    };
    for (const Case& c : std::vector<Case>{{"10#3#", "#", "10"},
                                           {"10", "#", "10"},
                                           {"#x", "#", ""},
                                           {"a*b*c*b*", "*b*", "a"},
                                           {"abc", "", "abc"},
                                           {"", "#", ""}}) {
        SCOPED_TRACE(c.text + " / " + c.delimiter);
        EXPECT_EQ(textBeforeDelimiter(c.text, c.delimiter), c.out);
    }
}

TEST(StrokiFunctions, TextAfterKeyDropsKeyLengthLessOneWhenMissing) {
    struct Case {
        std::string text, key, out;
    };
    for (const Case& c : std::vector<Case>{{"10#3#", "#", "3#"},
                                           {"abc", "#", "abc"},
                                           {"abcdefgh", "*name*", "fgh"},
                                           {"ab", "*name*", ""},
                                           {"abcde", "*name*", ""},
                                           {"abcdef", "*name*", "f"},
                                           {"abc", "", "abc"},
                                           {"", "#", ""},
                                           {"x*k*a*k*b", "*k*", "a*k*b"},
                                           {"*k*", "*k*", ""}}) {
        SCOPED_TRACE(c.text + " / " + c.key);
        EXPECT_EQ(textAfterKey(c.text, c.key), c.out);
    }
}

TEST(StrokiFunctions, ReplaceAll) {
    struct Case {
        std::string searched, replacement, text, out;
    };
    for (const Case& c :
         std::vector<Case>{{"a", "", "banana", "bnn"},
                           {"  ", " ", "a     b", "a b"},
                           {".exe", "", "game.exe", "game"},
                           {".exe", "", "GAME.EXE", "GAME.EXE"},
                           {"Nazhimalka", "", "Nazhimalka12", "12"},
                           {"* ", "*", "*  x", "*x"},
                           // The search restarts at the front, so what a deletion joins
                           // together is deleted too.
                           {"ab", "", "aabb", ""},
                           {" - ", " ", " - - ", " "},
                           {"x", "y", "", ""},
                           // An empty searched text is never found.
                           {"", "x", "abc", "abc"},
                           // Restarting would never end on these: one left-to-right pass.
                           {"a", "aa", "banana", "baanaanaa"},
                           {"ab", "bbaa", "abb", "bbaab"},
                           {"ab", "ba", "aab", "aba"},
                           {"a", "a", "aaa", "aaa"}}) {
        SCOPED_TRACE("'" + c.searched + "' -> '" + c.replacement + "' in '" + c.text + "'");
        EXPECT_EQ(replaceAll(c.searched, c.replacement, c.text), c.out);
    }
}

TEST(StrokiFunctions, ReplaceAllStaysLinearOnLongRuns) {
    // Quadratic rebuilding would take hours here.
    std::string text = "a" + std::string(4'000'000, ' ') + "b";
    EXPECT_EQ(replaceAll("  ", " ", text), "a b");
    EXPECT_EQ(replaceAll(" ", "", text), "ab");
}

TEST(StrokiFunctions, NormaliseAnswer) {
    expectRows(normaliseAnswer, {{" Hello,  World! ", "Hello World"},
                                 {"well-known", "well-known"},
                                 {"yes - no", "yes no"},
                                 {"(a)", "a"},
                                 {"a - - b", "a b"},
                                 {"a  -  b", "a b"},
                                 {cp("да – нет"), cp("да нет")},   // en dash between blanks
                                 {cp("да–нет"), cp("да–нет")},     // en dash inside a word
                                 {cp("да — нет"), cp("да — нет")}, // em dash stays
                                 {cp("“да”"), cp("“да”")},         // typographic quotes stay
                                 {".,?!;:\"_=<>'()][}{`", ""},
                                 {"a.b,c?d!e;f:g\"h_i=j<k>l'm(n)o]p[q}r{s`t",
                                  "a b c d e f g h i j k l m n o p q r s t"},
                                 {"a#b*c/d\\e&f+g~h^i|j@k%l$m", "a#b*c/d\\e&f+g~h^i|j@k%l$m"},
                                 {"a\tb", "a\tb"},
                                 {"Answer", "Answer"},
                                 {"   ", ""},
                                 {"", ""}});
}

TEST(StrokiFunctions, LowerCasing) {
    expectRows(cyrillicLowerCase,
               {{cp("ЁЖИК"), cp("ёжик")},
                {"Abc", "Abc"},
                {cp("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"), cp("абвгдежзийклмнопрстуфхцчшщъыьэюя")},
                {cp("ІЇЄЎҐЈЉЊЋЌЏЅ"), cp("ІЇЄЎҐЈЉЊЋЌЏЅ")}});
    expectRows(asciiLowerCase, {{"AbZ@[`{", "abz@[`{"}, {cp("ЁЖ"), cp("ЁЖ")}});

    // Every byte outside the two alphabets is left alone.
    for (int b = 0; b < 256; ++b) {
        std::string one(1, static_cast<char>(b));
        bool cyrillicCapital = (b >= 192 && b <= 223) || b == 168;
        bool latinCapital = b >= 'A' && b <= 'Z';
        EXPECT_EQ(cyrillicLowerCase(one) != one, cyrillicCapital) << b;
        EXPECT_EQ(asciiLowerCase(one) != one, latinCapital) << b;
    }
}

} // namespace
} // namespace taleplay
