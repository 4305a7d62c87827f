// Photo CD image packs written here: the base image's luma and chroma
// planes at their fixed place, decoded and compared.
#include "picture_test_support.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace taleplay;
using namespace taleplay::pictures;
using namespace taleplay::pictures::test_support;

namespace {

constexpr std::size_t kBaseAt = 0x30000;
constexpr int kW = 768, kH = 512;

struct Ycc {
    unsigned y, c1, c2;
};

// A pack whose base image has the given PhotoYCC sample at each pixel
// (chroma taken from the even pixels of the even rows).
File pcd(unsigned orientation, const std::function<Ycc(int, int)>& at) {
    File f(kBaseAt + std::size_t(kW) * kH * 3 / 2, 0);
    std::memcpy(f.data() + 0x800, "PCD_IPI", 7);
    f[0xE02] = static_cast<unsigned char>(orientation);
    for (int pair = 0; pair < kH / 2; ++pair) {
        unsigned char* p = f.data() + kBaseAt + std::size_t(pair) * kW * 3;
        for (int row = 0; row < 2; ++row)
            for (int x = 0; x < kW; ++x)
                p[row * kW + x] = static_cast<unsigned char>(at(x, pair * 2 + row).y);
        for (int x = 0; x < kW / 2; ++x) {
            p[2 * kW + x] = static_cast<unsigned char>(at(2 * x, 2 * pair).c1);
            p[2 * kW + kW / 2 + x] = static_cast<unsigned char>(at(2 * x, 2 * pair).c2);
        }
    }
    return f;
}

// Neutral chroma everywhere, a luma of 100 in the top-left 2 x 2 pixels and
// 0 elsewhere.
Ycc markedCorner(int x, int y) {
    return {x < 2 && y < 2 ? 100u : 0u, 156, 137};
}

} // namespace

TEST(PcdDecoder, ConvertsPhotoYccToRgb) {
    const File f = pcd(0, [](int x, int) -> Ycc {
        if (x < 2)
            return {100, 156, 137}; // neutral: grey, 1.3584 times the luma
        if (x < 4)
            return {100, 156, 200}; // more red chroma
        return {255, 156, 137};     // beyond white, clipped
    });
    const Picture pic = decodeFile<decodePcd>(f);
    ASSERT_EQ(pic.width, kW);
    ASSERT_EQ(pic.height, kH);
    EXPECT_EQ(pic.pixels[0], 0xFF888888u);
    EXPECT_EQ(pic.pixels[kW + 1], 0xFF888888u);
    // R = L + 1.8215 (C2 - 137), G = L - 0.509 * that, B = L.
    EXPECT_EQ(pic.pixels[2], 0xFFFB4D88u);
    EXPECT_EQ(pic.pixels[5], kWhite);
    EXPECT_FALSE(pic.hasAlpha);
}

TEST(PcdDecoder, TurnsThePictureUprightAsThePackSays) {
    struct Row {
        unsigned orientation;
        int width, height;
        int markX, markY; // where the scan's top-left corner ends up
    } rows[] = {
        {0, kW, kH, 0, 0},
        {1, kH, kW, 0, kW - 1},      // a quarter turn anticlockwise
        {2, kW, kH, kW - 1, kH - 1}, // half a turn
        {3, kH, kW, kH - 1, 0},      // a quarter turn clockwise
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.orientation);
        const File f = pcd(r.orientation, markedCorner);
        if (r.orientation == 1)
            seed("quarter-turn.pcd", f);
        const Picture pic = decodeFile<decodePcd>(f);
        ASSERT_EQ(pic.width, r.width);
        ASSERT_EQ(pic.height, r.height);
        EXPECT_EQ(pic.pixels[std::size_t(r.markY) * pic.width + r.markX], 0xFF888888u);
        EXPECT_EQ(pic.pixels[std::size_t(pic.height / 2) * pic.width + pic.width / 2], kBlack);
    }
}

TEST(PcdDecoder, RefusesDamagedFiles) {
    File cut = pcd(0, markedCorner);
    cut.resize(cut.size() - 1);
    File notPcd = pcd(0, markedCorner);
    notPcd[0x800] = 'X';
    expectRefused<decodePcd>({
        {"base image cut short", cut, "Photo CD picture is damaged (truncated base image)"},
        {"no signature", notPcd, "not a Photo CD image pack"},
        {"tiny", File(10, 0), "not a Photo CD image pack"},
    });
}
