#include "creator/Placement.h"

#include <gtest/gtest.h>

#include <limits>

namespace ondrix {
namespace {

constexpr PreviewSize kPreview{221, 137};

void ExpectRect(const PlacementRect& rect, int left, int top, int width, int height)
{
    EXPECT_EQ(rect.Left, left);
    EXPECT_EQ(rect.Top, top);
    EXPECT_EQ(rect.Width, width);
    EXPECT_EQ(rect.Height, height);
}

TEST(Placement, SpinValuesAreKeptBetweenOneAndAHundred)
{
    EXPECT_EQ(ClampPercent(0), 1);
    EXPECT_EQ(ClampPercent(-20), 1);
    EXPECT_EQ(ClampPercent(150), 100);
    EXPECT_EQ(ClampPercent(std::numeric_limits<double>::quiet_NaN()), 1);
    EXPECT_EQ(ClampPercent(33.5), 33.5);

    // The rectangle takes the clamped values: 1 % of 221 is 2.21, 100 % of 137 is 137.
    ExpectRect(ResizePlacement({}, kPreview, 0, 150), 0, 0, 2, 137);
}

TEST(Placement, StartingRectangleRoundsHalvesToEven)
{
    // 110.5 and 68.5 go to the even neighbours.
    ExpectRect(SizedPlacement({}, kPreview, 50, 50), 0, 0, 110, 68);
    // 11.5 goes up to 12.
    ExpectRect(SizedPlacement({}, {23, 23}, 50, 50), 0, 0, 12, 12);
}

TEST(Placement, ResizeMovesBackByTheOldSizeBeforeGrowing)
{
    const PlacementRect grown = ResizePlacement({50, 30, 110, 68}, kPreview, 100, 100);
    ExpectRect(grown, 50, 30, 221, 137); // reaches past the right and bottom edges
    ExpectRect(ResizePlacement(grown, kPreview, 100, 100), 0, 0, 221, 137);
    // Only the edge that is passed moves it back.
    ExpectRect(ResizePlacement({150, 30, 110, 68}, kPreview, 10, 10), 111, 30, 22, 14);
}

TEST(Placement, DragFollowsThePointerOnePixelOffAndStaysInside)
{
    PlacementRect rect{0, 0, 110, 68};
    PreviewPoint last{0, 0};
    EXPECT_TRUE(DragPlacement(rect, kPreview, {40, 20}, true, last));
    ExpectRect(rect, 41, 21, 110, 68);
    EXPECT_EQ(last, (PreviewPoint{40, 20}));

    // Left of and above the preview: stuck to its edges.
    EXPECT_TRUE(DragPlacement(rect, kPreview, {-15, -1}, true, last));
    ExpectRect(rect, 0, 0, 110, 68);

    // Beyond the far edges: the last place; exactly at it: one pixel beyond.
    EXPECT_TRUE(DragPlacement(rect, kPreview, {300, 200}, true, last));
    ExpectRect(rect, 111, 69, 110, 68);
    EXPECT_TRUE(DragPlacement(rect, kPreview, {111, 69}, true, last));
    ExpectRect(rect, 112, 70, 110, 68);
}

TEST(Placement, NoMoveWithoutTheLeftButtonOrANewPoint)
{
    PlacementRect rect{60, 40, 110, 68};
    PreviewPoint last{5, 5};
    EXPECT_FALSE(DragPlacement(rect, kPreview, {10, 10}, false, last));
    ExpectRect(rect, 60, 40, 110, 68);
    EXPECT_EQ(last, (PreviewPoint{5, 5}));
    EXPECT_FALSE(DragPlacement(rect, kPreview, {5, 5}, true, last));
    ExpectRect(rect, 60, 40, 110, 68);
}

TEST(Placement, LabelShowsTheCornerInScreenPixels)
{
    const PreviewPoint screen = ScreenPlacement({55, 34, 110, 68}, kPreview, {1024, 768});
    EXPECT_EQ(screen, (PreviewPoint{255, 191})); // 254.84 and 190.6
    EXPECT_EQ(PlacementLabel("Position", screen), "Position: X=255  Y=191");
    EXPECT_EQ(PlacementLabel("Position", ScreenPlacement({}, kPreview, {1024, 768})), "Position: X=0  Y=0");
    // Halves to even: 10 x 1 / 4 = 2.5 and 10 x 3 / 4 = 7.5.
    EXPECT_EQ(ScreenPlacement({1, 3, 1, 1}, {4, 4}, {10, 10}), (PreviewPoint{2, 8}));
    // No preview size gives no division by zero.
    EXPECT_EQ(ScreenPlacement({5, 5, 1, 1}, {0, 0}, {10, 10}), (PreviewPoint{0, 0}));
}

TEST(Placement, PercentOfThePreviewIsRoundedHalvesToEven)
{
    const FlashPosition design = PlacementPercent({55, 34, 110, 68}, kPreview);
    EXPECT_EQ(design.Left, 25); // 24.89
    EXPECT_EQ(design.Top, 25);  // 24.82
    const FlashPosition halves = PlacementPercent({1, 3, 1, 1}, {8, 8});
    EXPECT_EQ(halves.Left, 12); // 12.5
    EXPECT_EQ(halves.Top, 38);  // 37.5
}

} // namespace
} // namespace ondrix
