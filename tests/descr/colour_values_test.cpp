#include "descr/colour_values.h"

#include "core/errors.h"
#include "descr/Stroki_functions.h"
#include "descr_test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace taleplay {
namespace {

TEST(ColourValues, NamesIgnoreAsciiCase) {
    EXPECT_EQ(convertColour("clred"), 0x0000FF);
    EXPECT_EQ(convertColour("CLRED"), 0x0000FF);
    EXPECT_EQ(convertColour("clRed"), 0x0000FF);
    EXPECT_EQ(convertColour("clBtnFace"), static_cast<std::int32_t>(0xFF00000F));
    EXPECT_EQ(convertColour("clMenuBar"), static_cast<std::int32_t>(0xFF00001E));
    EXPECT_EQ(convertColour("CLNONE"), 0x1FFFFFFF);
    EXPECT_EQ(convertColour("cldefault"), 0x20000000);

    std::set<std::string> distinct;
    for (const ColourName& row : kColourNames) {
        std::string lower = asciiLowerCase(row.name);
        distinct.insert(lower);
        EXPECT_EQ(convertColour(lower), row.value) << row.name;
    }
    EXPECT_EQ(distinct.size(), 52u);
}

TEST(ColourValues, Integers) {
    struct Case {
        std::string text;
        std::int32_t value;
    };
    for (const Case& c : std::vector<Case>{{"255", 0x0000FF},
                                           {"$FF0000", 0xFF0000},
                                           {"16777215", 0xFFFFFF},
                                           {"$00FF00", 0x00FF00},
                                           {"0x00FF00", 0x00FF00},
                                           {"65280", 0x00FF00},
                                           {"x1f", 31},
                                           {"X1F", 31},
                                           {"0X1f", 31},
                                           {"  +12", 12},
                                           {"-12", -12},
                                           {"-$1", -1},
                                           {"0", 0},
                                           {"000000000000000000012", 12},
                                           {"2147483647", 2147483647},
                                           {"-2147483648", -2147483647 - 1},
                                           {"$80000000", -2147483647 - 1},
                                           {"$FF000000", static_cast<std::int32_t>(0xFF000000)},
                                           {"$FFFFFFFF", -1},
                                           {"-$FFFFFFFF", 1}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(readInteger(c.text), c.value);
        EXPECT_EQ(convertColour(c.text), c.value);
    }
}

TEST(ColourValues, NotAColour) {
    // clang-format off
    const std::vector<std::string> texts = {
        "red", "255 ", "", " ", "\t12", "2147483648", "-2147483649", "$100000000", "$", "0x", "x",
        "+", "-", "+-1", "$-1", "$ 1", "1_000", "$G", "12h", "clRed ", " clRed",
        std::string("1\0", 2), test::cp("клRed")};
    // clang-format on
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(readInteger(text), std::nullopt);
        try {
            convertColour(text);
            ADD_FAILURE() << "no error";
        } catch (const ConversionError& e) {
            // what() ends at a NUL byte, so compare as C strings.
            EXPECT_STREQ(e.what(), ("'" + text + "' is not a valid integer value").c_str());
        }
    }
}

} // namespace
} // namespace taleplay
