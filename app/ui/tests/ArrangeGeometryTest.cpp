#include <gtest/gtest.h>

#include "app/ui/ArrangeGeometry.h"

namespace plova::ui {
namespace {

const Rect kClient{0, 0, 1000, 700};

TEST(ArrangeGeometryTest, PlatformTilingPutsTwoSideBySideOrAboveEachOther) {
    EXPECT_EQ(TileRects(kClient, 2, false), (std::vector<Rect>{{0, 0, 500, 700}, {500, 0, 1000, 700}}));
    EXPECT_EQ(TileRects(kClient, 2, true), (std::vector<Rect>{{0, 0, 1000, 350}, {0, 350, 1000, 700}}));
    EXPECT_EQ(TileRects(kClient, 1, false), (std::vector<Rect>{kClient}));
    EXPECT_TRUE(TileRects(kClient, 0, true).empty());
}

TEST(ArrangeGeometryTest, PlatformTilingGivesTheLeftoverWindowsToTheLastColumn) {
    // Five windows: two rows and two columns, the last column holding three.
    const auto r = TileRects(kClient, 5, false);
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0], (Rect{0, 0, 500, 350}));
    EXPECT_EQ(r[1], (Rect{0, 350, 500, 700}));
    EXPECT_EQ(r[2], (Rect{500, 0, 1000, 233}));
    EXPECT_EQ(r[4], (Rect{500, 466, 1000, 699}));
    // Offsets of the area are kept.
    const auto inner = TileRects({100, 50, 300, 250}, 2, true);
    EXPECT_EQ(inner[1], (Rect{100, 150, 300, 250}));
}

TEST(ArrangeGeometryTest, SideBySideWithThreeLeavesTheBottomStrip) {
    EXPECT_EQ(ArrangeSideBySideRects(kClient, 3),
              (std::vector<Rect>{{0, 0, 500, 550}, {500, 0, 1000, 275}, {500, 275, 1000, 550}}));
    // Any other count is the vertical tiling of the whole area.
    EXPECT_EQ(ArrangeSideBySideRects(kClient, 2), TileRects(kClient, 2, false));
    EXPECT_EQ(ArrangeSideBySideRects(kClient, 4), TileRects(kClient, 4, false));
}

TEST(ArrangeGeometryTest, FourOrMoreGoInPairsOfBandsOrColumns) {
    // Five windows above each other: three bands over 550 pixels, a pair in
    // each of the first two, the fifth window alone in the last.
    const auto rows = ArrangeAboveEachOtherRects(kClient, 5);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (Rect{0, 0, 1000, 91}));
    EXPECT_EQ(rows[1], (Rect{0, 91, 1000, 182}));
    EXPECT_EQ(rows[2], (Rect{0, 183, 1000, 274}));
    EXPECT_EQ(rows[4], (Rect{0, 366, 1000, 550}));
    EXPECT_EQ(ArrangeAboveEachOtherRects(kClient, 3), TileRects(kClient, 3, true));

    const auto columns = ArrangeLeftRightRects(kClient, 4);
    EXPECT_EQ(columns,
              (std::vector<Rect>{{0, 0, 250, 700}, {250, 0, 500, 700}, {500, 0, 750, 700}, {750, 0, 1000, 700}}));
    EXPECT_EQ(ArrangeLeftRightRects(kClient, 2), TileRects(kClient, 2, false));
}

TEST(ArrangeGeometryTest, HugeClientAreasDoNotOverflow) {
    const Rect huge{0, 0, 2000000000, 2000000000};
    const auto r = ArrangeLeftRightRects(huge, 4);
    EXPECT_EQ(r[3].right, 2000000000);
    EXPECT_GT(r[2].left, 0);
}

}  // namespace
}  // namespace plova::ui
