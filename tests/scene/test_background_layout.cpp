// The tiling arithmetic of the background, frames and corners, on the
// client sizes the worked examples name.
#include "scene/taleforge_serv_backpic.h"

#include <QRegion>
#include <gtest/gtest.h>

using namespace taleplay;

namespace {

// Whether the tiles cover the client area exactly, without overlap.
bool coverExactly(const std::vector<TilePlace>& tiles, int cw, int ch) {
    QRegion covered;
    long long area = 0;
    for (const TilePlace& t : tiles) {
        const QRect r(t.left, t.top, t.width, t.height);
        if (t.width > 0 && t.height > 0 && covered.intersects(r))
            return false;
        covered += r;
        area += static_cast<long long>(t.width) * t.height;
    }
    return area == static_cast<long long>(cw) * ch && covered == QRegion(0, 0, cw, ch);
}

} // namespace

TEST(BackgroundTiles, FillTheClientAreaWithCutTilesInTheLastColumnAndRow) {
    const auto tiles = backgroundTiles(1000, 700, {300, 200});
    ASSERT_EQ(tiles.size(), 16u); // 4 columns, 4 rows
    EXPECT_EQ(tiles[0], (TilePlace{0, 0, 300, 200, true}));
    EXPECT_EQ(tiles[3], (TilePlace{900, 0, 100, 200, false}));    // last column
    EXPECT_EQ(tiles[13], (TilePlace{300, 600, 300, 100, false})); // last row
    EXPECT_EQ(tiles[15], (TilePlace{900, 600, 100, 100, false}));
    EXPECT_TRUE(coverExactly(tiles, 1000, 700));
}

TEST(BackgroundTiles, CoverAnyClientSize) {
    struct Row {
        int cw, ch, w, h;
        std::size_t count;
    } rows[] = {
        {1366, 768, 64, 64, 22u * 13u},
        {1920, 1080, 64, 64, 31u * 17u}, // exact fit: the extra column is 0 wide
        {1024, 768, 1, 1, 1025u * 769u},
        {800, 600, 1000, 900, 1u},
    };
    for (const Row& r : rows) {
        const auto tiles = backgroundTiles(r.cw, r.ch, {r.w, r.h});
        EXPECT_EQ(tiles.size(), r.count) << r.cw << "x" << r.ch;
        EXPECT_EQ(backgroundTileCount(r.cw, r.ch, {r.w, r.h}), std::int64_t(r.count));
        EXPECT_TRUE(coverExactly(tiles, r.cw, r.ch)) << r.cw << "x" << r.ch;
    }
    // A picture larger than the window: one tile cut to the window.
    EXPECT_EQ(backgroundTiles(800, 600, {1000, 900}).front(), (TilePlace{0, 0, 800, 600, false}));
}

TEST(BackgroundTiles, PictureWithoutExtentGivesNone) {
    EXPECT_TRUE(backgroundTiles(1000, 700, {0, 200}).empty());
    EXPECT_TRUE(backgroundTiles(1000, 700, {300, 0}).empty());
    EXPECT_EQ(backgroundTileCount(1000, 700, {0, 200}), 0);
}

TEST(Frames, HorizontalAndVerticalTilesOfTheWorkedExample) {
    const FrameTiling horizontal = horizontalFrameTiling(1024, {100, 20}, 0);
    EXPECT_EQ(horizontal.tile, 94);      // 1024 div 11 = 93, widened once
    EXPECT_EQ(horizontal.thickness, 19); // 20 / (100 / 93) = 18.6
    const FrameTiling vertical = verticalFrameTiling(700, {20, 100}, horizontal.thickness);
    EXPECT_EQ(vertical.tile, 101); // 95, widened to leave a last tile of 94
    EXPECT_EQ(vertical.thickness, 19);

    const FrameTiles tiles = frameTiles(1024, 700, horizontal, vertical);
    ASSERT_EQ(tiles.horizontal.size(), 22u); // "RH0" to "RH21"
    EXPECT_EQ(tiles.horizontal[9], (TilePlace{846, 0, 94, 19, false}));
    EXPECT_EQ(tiles.horizontal[10], (TilePlace{940, 0, 84, 19, false}));
    EXPECT_EQ(tiles.horizontal[11], (TilePlace{0, 681, 94, 19, false}));
    EXPECT_EQ(tiles.horizontal[21], (TilePlace{940, 681, 84, 19, false}));
    ASSERT_EQ(tiles.vertical.size(), 14u); // "RV22" to "RV35"
    EXPECT_EQ(tiles.vertical[0], (TilePlace{0, 0, 19, 101, false}));
    EXPECT_EQ(tiles.vertical[6], (TilePlace{0, 606, 19, 94, false})); // "RV28"
    EXPECT_EQ(tiles.vertical[7], (TilePlace{1005, 0, 19, 101, false}));
    EXPECT_EQ(tiles.vertical[13], (TilePlace{1005, 606, 19, 94, false})); // "RV35"
}

TEST(Frames, TilesFollowTheGivenThicknessAndTheScreen) {
    struct Row {
        int length;
        Size picture;
        int thickness;
        int tile, expectedThickness;
    };
    const Row horizontal[] = {
        {1366, {100, 20}, 0, 98, 19},     // 1366 div 14 = 97, h 19.4; remainder 8 < 76
        {1280, {100, 20}, 0, 99, 20},     // 1280 div 13 = 98, h 19.6; remainder 6 < 76
        {1280, {100, 25}, 0, 99, 24},     // h 24.5 rounds to the even 24
        {1024, {100, 20}, 10, 54, 10},    // 50, widened until the remainder reaches 40
        {1000, {5, 4}, 2, 2, 2},          // 2.5 rounds to the even 2; an exact fit passes below 5
        {1000, {7, 4}, 2, 4, 2},          // 3.5 rounds to the even 4
        {1024, {2000, 20}, 20, 2000, 20}, // longer than the edge: one cut tile, no widening
        {1024, {1, 100}, 10, 0, 0},       // a tile of 0.1 pixel cannot be laid
        {1024, {0, 20}, 0, 0, 0},
        {1024, {100, 20}, -5, 0, 0}, // a negative height lays nothing
    };
    for (const Row& r : horizontal) {
        const FrameTiling got = horizontalFrameTiling(r.length, r.picture, r.thickness);
        EXPECT_EQ(got.tile, r.tile)
            << r.length << " " << r.picture.width << "x" << r.picture.height;
        EXPECT_EQ(got.thickness, r.expectedThickness) << r.length;
    }
    const Row vertical[] = {
        {700, {20, 100}, 19, 101, 19},
        {768, {30, 90}, 15, 52, 15},
        {768, {30, 90}, 0, 0, 0},
        {768, {100, 1}, 10, 0, 0}, // 0.1 pixel high
    };
    for (const Row& r : vertical) {
        const FrameTiling got = verticalFrameTiling(r.length, r.picture, r.thickness);
        EXPECT_EQ(got.tile, r.tile)
            << r.length << " " << r.picture.width << "x" << r.picture.height;
        EXPECT_EQ(got.thickness, r.expectedThickness) << r.length;
    }
}

TEST(Frames, TilesCoverTheirEdgesOnEveryScreen) {
    for (auto [cw, ch] : {std::pair{1024, 768}, {1280, 1024}, {1366, 768}, {1920, 1080}}) {
        const FrameTiling h = horizontalFrameTiling(cw, {100, 20}, 0);
        const FrameTiling v = verticalFrameTiling(ch, {20, 100}, h.thickness);
        const FrameTiles tiles = frameTiles(cw, ch, h, v);
        std::vector<TilePlace> top(tiles.horizontal.begin(),
                                   tiles.horizontal.begin() + tiles.horizontal.size() / 2);
        std::vector<TilePlace> left(tiles.vertical.begin(),
                                    tiles.vertical.begin() + tiles.vertical.size() / 2);
        EXPECT_TRUE(coverExactly(top, cw, h.thickness)) << cw;
        EXPECT_TRUE(coverExactly(left, v.thickness, ch)) << ch;
        // The last tile is never a sliver.
        EXPECT_GE(top.back().width, 4 * (h.tile / 5)) << cw;
        EXPECT_GE(left.back().height, 4 * (v.tile / 5)) << ch;
    }
}

TEST(Corners, CommonSizeFromTheLastCornerMeasured) {
    EXPECT_EQ(cornerSize({50, 100}, 40)->width, 20);
    EXPECT_EQ(cornerSize({50, 100}, 40)->height, 40);
    EXPECT_EQ(cornerSize({50, 100}, 0)->width, 50); // its own size
    EXPECT_EQ(cornerSize({50, 100}, 0)->height, 100);
    EXPECT_EQ(cornerSize({5, 4}, 2)->width, 2); // 2.5, halves to even
    EXPECT_FALSE(cornerSize({0, 100}, 40));
    EXPECT_FALSE(cornerSize({50, 0}, 40));
}
