#include "core/codepage.h"

#include <gtest/gtest.h>

using namespace taleplay;

TEST(CodePage, RoundTripsEveryAssignedByte) {
    for (int b = 1; b < 256; ++b) {
        if (b == 0x98) // the one byte Windows-1251 leaves unassigned
            continue;
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(cp1251::fromUtf8(cp1251::toUtf8(one)), one) << "byte " << b;
    }
}

TEST(CodePage, ConvertsCyrillicBothWays) {
    struct Row {
        const char* cp1251;
        const char* utf8;
    } rows[] = {
        {"\xcc\xee\xf1\xea\xe2\xe0", "Москва"},
        {"\xa8\xb8", "Ёё"},
        {"\x96\x97", "–—"},
        {"Paris", "Paris"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(cp1251::toUtf8(r.cp1251), r.utf8);
        EXPECT_EQ(cp1251::fromUtf8(r.utf8), r.cp1251);
    }
}

TEST(CodePage, WhatTheCodePageLacksBecomesQuestionMark) {
    EXPECT_EQ(cp1251::fromUtf8("a漢b"), "a?b");
    EXPECT_EQ(cp1251::fromUtf8("😀"), "?");
    EXPECT_EQ(cp1251::fromUtf8("x\xff"), "x?"); // malformed lead byte
    EXPECT_EQ(cp1251::fromUtf8("x\xd0"), "x?"); // truncated sequence
    EXPECT_EQ(cp1251::fromUtf8("\xd0x"), "?x"); // bad continuation
}

TEST(CodePage, Cp866LettersAndItsOwnTail) {
    struct Row {
        unsigned char byte;
        char32_t cp;
    } rows[] = {
        {0x41, U'A'}, {0x80, U'А'}, {0x9F, U'Я'}, {0xA0, U'а'}, {0xAF, U'п'},
        {0xB0, U'░'}, {0xDB, U'█'}, {0xDF, U'▀'}, {0xE0, U'р'}, {0xEF, U'я'},
        {0xF0, U'Ё'}, {0xF1, U'ё'}, {0xFC, U'№'}, {0xFF, 0xA0},
    };
    for (const auto& r : rows)
        EXPECT_EQ(cp866::toUnicode(r.byte), r.cp) << int(r.byte);
}

TEST(Utf8, TheValidatorIsStrict) {
    struct Row {
        std::string bytes;
        bool complete;
        bool multiByte;
    } rows[] = {
        {"", true, false},
        {"plain ASCII", true, false},
        {"Москва", true, true},
        {"日本 語 😀", true, true},
        {"\xEF\xBB\xBF", true, true},              // U+FEFF is a character like any
        {"\xD0", false, true},                     // cut short
        {"\xC0\xAF", false, false},                // overlong '/'
        {"\xE0\x80\xAF", false, true},             // overlong, three bytes
        {"\xED\xA0\x80", false, true},             // a surrogate
        {"\xF4\x90\x80\x80", false, true},         // above U+10FFFF
        {"\xC2\x85", false, true},                 // a C1 control ("В…" in Windows-1251)
        {"\xC2\xA0", true, true},                  // a no-break space is text
        {"\xCC\xEE\xF1\xEA\xE2\xE0", false, true}, // "Москва" in Windows-1251
    };
    for (const auto& r : rows) {
        utf8::Validator v;
        v.feed(r.bytes);
        EXPECT_EQ(v.complete(), r.complete) << r.bytes;
        if (r.complete) {
            EXPECT_EQ(v.sawMultiByte(), r.multiByte) << r.bytes;
        }
    }
    // Fed a byte at a time, the same.
    utf8::Validator v;
    for (char c : std::string("Ёлка 日本"))
        v.feed(std::string(1, c));
    EXPECT_TRUE(v.complete());
}

TEST(Utf8, NextReadsOneCharacterAndLeavesBadBytesAlone) {
    const std::string s = "aЁ日\xFF\xD0";
    std::size_t i = 0;
    EXPECT_EQ(utf8::next(s, i), U'a');
    EXPECT_EQ(utf8::next(s, i), U'Ё');
    EXPECT_EQ(utf8::next(s, i), U'日');
    EXPECT_EQ(utf8::next(s, i), 0xFFu | 0x110000u);
    EXPECT_EQ(utf8::next(s, i), 0xD0u | 0x110000u);
    EXPECT_EQ(i, s.size());
}
