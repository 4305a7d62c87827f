#include "descr/placement.h"

#include "descr_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace taleplay {
namespace {

using test::TempFolder;

constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr int kIntMin = std::numeric_limits<int>::min();

TEST(Placement, DivisionValue) {
    struct Case {
        std::string value;
        int reference;
        int expected;
        bool centre;
    };
    TempFolder folder;
    for (const Case& c :
         std::vector<Case>{{"4#1#", 1366, 342, false}, // 341.5, halves to even
                           {"10#3#", 1000, 300, false},
                           {" 1 0 # 3 #", 1000, 300, false},
                           {"2#1#", 1001, 500, false},
                           {"2#1#", 1003, 502, false},
                           {"3#1#", 1000, 333, false},
                           {"3#2#", 1000, 667, false},
                           {"4", 1000, 1000, false}, // the numerator is read from the same "4"
                           {"4#", 1000, 0, false},
                           {"0#1#", 1000, 0, false},
                           {"3000#1#", 800, 0, false}, // rounds to 0: not given
                           {"$A#3#", 1000, 300, false},
                           {"-2#1#", 1000, -500, false},
                           {"abc#1#", 1000, 0, false},
                           {"1#2000000000#", 1366, 0, false}, // beyond int: not given
                           {"1#-2000000000#", 1366, 0, false},
                           {"#center#", 1000, 0, true},
                           {"2#center#", 1000, 0, true},
                           {"2 # cen ter #", 1000, 0, true},
                           {"center#", 1000, 0, false}, // the mark counts only after a first field
                           {"2#1#center#", 1000, 500, false},
                           {"2#CENTER#", 1000, 0, false},
                           {"10#3#*picture1*widthindivision*2#1#", 1000, 300, false}}) {
        SCOPED_TRACE(c.value + " of " + std::to_string(c.reference));
        std::string file = folder.write("p.txt", "x\n*picture1*widthindivision*" + c.value + "\n");
        DivisionValue v = divisionValue(file, "*picture1*widthindivision*", c.reference);
        EXPECT_EQ(v.value, c.expected);
        EXPECT_EQ(v.centre, c.centre);
    }

    std::string file = folder.write("p.txt", "*Picture1*widthindivision*2#center#\n");
    for (const std::string& f : {file, folder.composed("missing.txt")}) {
        DivisionValue v = divisionValue(f, "*picture1*widthindivision*", 1000);
        EXPECT_EQ(v.value, 0);
        EXPECT_FALSE(v.centre);
    }
}

TEST(Placement, PixelValue) {
    TempFolder folder;
    struct Case {
        std::string value;
        int expected;
    };
    for (const Case& c : std::vector<Case>{{" 1 2 #", 12},
                                           {"12", 12},
                                           {"abc#", 0},
                                           {"$10#5#", 16},
                                           {"-5#", -5},
                                           {"#12#", 0},
                                           {"99999999999#", 0},
                                           {"", 0}}) {
        SCOPED_TRACE(c.value);
        std::string file = folder.write("p.txt", "*picture1*topinpixels*" + c.value + "\n");
        EXPECT_EQ(pixelValue(file, "*picture1*topinpixels*"), c.expected);
    }
    EXPECT_EQ(pixelValue(folder.composed("missing.txt"), "*picture1*topinpixels*"), 0);
}

TEST(Placement, SizeFromAspect) {
    struct Case {
        int naturalWidth, naturalHeight, width, height;
        int expectedWidth, expectedHeight;
    };
    for (const Case& c :
         std::vector<Case>{{200, 100, 0, 50, 100, 50},
                           {200, 100, 50, 0, 50, 25},
                           {200, 100, 0, 0, 200, 100},
                           {200, 100, 30, 40, 30, 40},
                           {3, 2, 0, 1, 2, 1}, // 1.5 -> 2
                           {5, 2, 0, 1, 2, 1}, // 2.5 -> 2
                           {0, 0, 0, 50, 0, 50},
                           {200, 0, 0, 50, 0, 50}, // no height to keep proportions with
                           {0, 100, 50, 0, 50, 0},
                           {2'000'000'000, 1, 0, 2'000'000'000, 0, 2'000'000'000}}) {
        SCOPED_TRACE(std::to_string(c.naturalWidth) + "x" + std::to_string(c.naturalHeight) +
                     " given " + std::to_string(c.width) + "x" + std::to_string(c.height));
        Size s = sizeFromAspect(c.naturalWidth, c.naturalHeight, c.width, c.height);
        EXPECT_EQ(s.width, c.expectedWidth);
        EXPECT_EQ(s.height, c.expectedHeight);
    }
}

TEST(Placement, CentredPositionAndRounding) {
    EXPECT_EQ(centredPosition(1000, 300), 350);
    EXPECT_EQ(centredPosition(100, 103), -1); // toward zero
    EXPECT_EQ(centredPosition(100, 100), 0);
    EXPECT_EQ(centredPosition(kIntMax, kIntMin), kIntMax);
    EXPECT_EQ(centredPosition(kIntMin, kIntMax), kIntMin + 1);

    struct Case {
        long double value;
        int expected;
    };
    for (const Case& c : std::vector<Case>{{0.5L, 0},
                                           {1.5L, 2},
                                           {2.5L, 2},
                                           {2.5000001L, 3},
                                           {-0.5L, 0},
                                           {-1.5L, -2},
                                           {-2.5L, -2},
                                           {-2.6L, -3},
                                           {2147483647.4L, kIntMax},
                                           {-2147483648.5L, kIntMin},
                                           {2147483647.5L, 0},
                                           {1e30L, 0},
                                           {std::numeric_limits<long double>::infinity(), 0},
                                           {std::nanl(""), 0}}) {
        SCOPED_TRACE(static_cast<double>(c.value));
        EXPECT_EQ(roundHalfEven(c.value), c.expected);
    }
}

} // namespace
} // namespace taleplay
