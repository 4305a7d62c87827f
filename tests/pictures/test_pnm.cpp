// Netpbm files written here as text, decoded and compared pixel by pixel.
#include "picture_test_support.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::test_support;

namespace {

using namespace std::string_literals;

Picture decode(const std::string& f) {
    return decodePnm(reinterpret_cast<const unsigned char*>(f.data()), f.size());
}

constexpr std::uint32_t kGrey = 0xFF808080;

struct Good {
    const char* seedName; // nullptr: not kept as a seed
    std::string file;
    int width, height;
    std::vector<std::uint32_t> expected;
};

TEST(PnmDecoder, ReadsEveryKind) {
    const std::vector<Good> cases = {
        {"bits.pbm",
         "P1\n# a comment\n3 2\n1 0 1\n0 1 0\n",
         3,
         2,
         {kBlack, kWhite, kBlack, kWhite, kBlack, kWhite}},
        {nullptr, "P1 3 1 011", 3, 1, {kWhite, kBlack, kBlack}},
        {"grey15.pgm",
         "P2 2 2 15 0 15\n#comment inside the data\n 8 16",
         2,
         2,
         {kBlack, kWhite, 0xFF888888, kWhite}}, // 16 is above the maximum: read as 15
        {"text-colour.ppm", "P3 2 1 255 255 0 0  0 0 255", 2, 1, {kRed, kBlue}},
        {"packed.pbm", "P4 10 2\n\xA0\x40\xFF\xC0"s, 10, 2, {kBlack, kWhite, kBlack, kWhite,
                                                             kWhite, kWhite, kWhite, kWhite,
                                                             kWhite, kBlack, kBlack, kBlack,
                                                             kBlack, kBlack, kBlack, kBlack,
                                                             kBlack, kBlack, kBlack, kBlack}},
        {"grey.pgm", "P5 3 1 255\n\x00\x80\xFF"s, 3, 1, {kBlack, kGrey, kWhite}},
        {nullptr, "P5 2 1 3\n\x01\x03"s, 2, 1, {0xFF555555, kWhite}},
        {"grey16.pgm", "P5 2 1 65535\n\x80\x00\xFF\xFF"s, 2, 1, {kGrey, kWhite}},
        {"colour.ppm", "P6 2 1 255\n\xFF\x00\x00\x00\xFF\x00"s, 2, 1, {kRed, kGreen}},
        {"colour1000.ppm", "P6 1 1 1000\n\x03\xE8\x01\xF4\x00\x00"s, 1, 1, {0xFFFF8000}},
    };
    for (const Good& c : cases) {
        SCOPED_TRACE(c.file);
        if (c.seedName)
            seed(c.seedName, c.file);
        const Picture pic = decode(c.file);
        EXPECT_EQ(pic.width, c.width);
        EXPECT_EQ(pic.height, c.height);
        EXPECT_EQ(pic.pixels, c.expected);
        EXPECT_FALSE(pic.hasAlpha);
    }
}

TEST(PnmDecoder, RefusesDamagedFiles) {
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"P6 2 2 255\n\x01\x02\x03"s, "PNM picture is damaged (truncated pixel data)"},
        {"P3 2 1 255 1 2 3 4 5", "PNM picture is damaged (truncated file)"},
        {"P2 2 1 255 1 x", "a number was expected"},
        {"P1 2 1 0 2", "a bit was expected"},
        {"P5 2 1 0\n\x01\x02"s, "bad maximum value"},
        {"P5 2 1 70000\n\x01\x02\x01\x02"s, "bad maximum value"},
        {"P5 2 1 255\x01\x02"s, "bad header"},
        {"P5 99999999999 1 255\n", "number too large"},
        {"P5 20000 1 255\n" + std::string(20000, '\0'),
         "PNM picture has an unsupported size (20000 x 1)"},
        {"P5 0 1 255\n", "unsupported size"},
        {"P7 1 1 255\n\x01"s, "not a PNM file"},
        {"P6 2", "truncated file"},
        {"", "not a PNM file"},
    };
    for (const auto& [file, message] : cases) {
        SCOPED_TRACE(file.substr(0, 30));
        expectRefused<decodePnm>(File(file.begin(), file.end()), message);
    }
}

} // namespace
