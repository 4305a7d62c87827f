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
