#include "wallpaper/MonitorFit.h"

#include "TestPictures.h"

#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <vector>

namespace ondrix {
namespace {

using Monitors = std::vector<MonitorRect>;

constexpr int kRed[3] = {0, 0, 255};
constexpr int kGreen[3] = {0, 255, 0};
constexpr int kBlue[3] = {255, 0, 0};
constexpr int kWhite[3] = {255, 255, 255};
constexpr int kBlack[3] = {0, 0, 0};

Bitmap QuadrantPicture(int width, int height)
{
    Bitmap picture(width, height, "quadrants");
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            test::Quadrants(width, height, x, y, picture.Row(y) + 3 * x);
    return picture;
}

// Every pixel its own: blue is the column, green the row.
Bitmap CoordinatePicture(int width, int height)
{
    Bitmap picture(width, height, "coordinates");
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = picture.Row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = 77;
        }
    return picture;
}

::testing::AssertionResult Shows(const Bitmap& b, int x, int y, const int (&bgr)[3])
{
    const std::uint8_t* p = b.Row(y) + 3 * x;
    if (test::Near(p, bgr[0], bgr[1], bgr[2], 2))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << x << "," << y << ") is " << int(p[0]) << "," << int(p[1])
                                         << "," << int(p[2]) << " (blue, green, red)";
}

// Two 400x300 monitors side by side, a 2:1 picture fitted into each: 400x200 with 50 black
// rows above and below, the whole picture on both.
TEST(FitToMonitors, FitShowsTheWholePictureOnEveryMonitor)
{
    const Bitmap picture = QuadrantPicture(200, 100);
    const Bitmap desktop = FitToMonitors(picture, picture.Size(), DisplayMode::Fitted, {800, 300},
                                         {{0, 0, 400, 300}, {400, 0, 400, 300}});
    ASSERT_EQ(desktop.Size(), (PictureSize{800, 300}));
    for (int left : {0, 400}) {
        EXPECT_TRUE(Shows(desktop, left + 2, 52, kRed));
        EXPECT_TRUE(Shows(desktop, left + 197, 147, kRed));
        EXPECT_TRUE(Shows(desktop, left + 203, 52, kGreen));
        EXPECT_TRUE(Shows(desktop, left + 397, 147, kGreen));
        EXPECT_TRUE(Shows(desktop, left + 2, 153, kBlue));
        EXPECT_TRUE(Shows(desktop, left + 397, 247, kWhite));
        for (int y : {0, 49, 250, 299})
            EXPECT_TRUE(Shows(desktop, left + 200, y, kBlack)) << y;
    }
}

// Monitors of different sizes and positions: each crop is its own, and the part of the
// desktop no monitor shows is black.
TEST(FitToMonitors, FillCropsForEachMonitorAndLeavesTheRestBlack)
{
    const Bitmap picture = QuadrantPicture(200, 100);
    const Bitmap desktop = FitToMonitors(picture, picture.Size(), DisplayMode::Filled, {700, 300},
                                         {{0, 0, 400, 300}, {400, 100, 300, 200}});
    // 400x300: scaled by 3 to 600x300, columns 100-499 kept, so the picture's middle column
    // (300 scaled) is at 200.
    EXPECT_TRUE(Shows(desktop, 0, 0, kRed));
    EXPECT_TRUE(Shows(desktop, 197, 147, kRed));
    EXPECT_TRUE(Shows(desktop, 203, 147, kGreen));
    EXPECT_TRUE(Shows(desktop, 197, 153, kBlue));
    EXPECT_TRUE(Shows(desktop, 399, 299, kWhite));
    // 300x200: scaled by 2 to 400x200, columns 50-349 kept: the middle is at 150 (550 on the desktop).
    EXPECT_TRUE(Shows(desktop, 400, 100, kRed));
    EXPECT_TRUE(Shows(desktop, 547, 197, kRed));
    EXPECT_TRUE(Shows(desktop, 553, 197, kGreen));
    EXPECT_TRUE(Shows(desktop, 547, 203, kBlue));
    EXPECT_TRUE(Shows(desktop, 699, 299, kWhite));
    for (int x : {400, 550, 699})
        for (int y : {0, 99})
            EXPECT_TRUE(Shows(desktop, x, y, kBlack)) << x << "," << y;
}

TEST(FitToMonitors, StretchReachesEveryMonitorsCorners)
{
    const Bitmap picture = QuadrantPicture(40, 40);
    const Bitmap desktop = FitToMonitors(picture, picture.Size(), DisplayMode::Stretched, {600, 200},
                                         {{0, 0, 200, 200}, {200, 40, 400, 160}});
    for (const MonitorRect& m : Monitors{{0, 0, 200, 200}, {200, 40, 400, 160}}) {
        EXPECT_TRUE(Shows(desktop, m.x, m.y, kRed));
        EXPECT_TRUE(Shows(desktop, m.x + m.width - 1, m.y, kGreen));
        EXPECT_TRUE(Shows(desktop, m.x, m.y + m.height - 1, kBlue));
        EXPECT_TRUE(Shows(desktop, m.x + m.width - 1, m.y + m.height - 1, kWhite));
    }
    EXPECT_TRUE(Shows(desktop, 300, 39, kBlack));
}

// Centred: the picture's own pixels around each monitor's middle. Tiled: the first copy at each
// monitor's top left corner, not at the desktop's.
TEST(FitToMonitors, CentredAndTiledKeepThePicturesPixelsPerMonitor)
{
    const Bitmap picture = CoordinatePicture(30, 20);
    const Monitors monitors{{0, 0, 250, 100}, {250, 0, 60, 40}};
    const Bitmap centred = FitToMonitors(picture, picture.Size(), DisplayMode::Centred, {310, 100}, monitors);
    // 30x20 in 250x100: at (110, 40); in 60x40: at (265, 10).
    EXPECT_TRUE(Shows(centred, 110, 40, {0, 0, 77}));
    EXPECT_TRUE(Shows(centred, 139, 59, {29, 19, 77}));
    EXPECT_TRUE(Shows(centred, 109, 40, kBlack));
    EXPECT_TRUE(Shows(centred, 140, 59, kBlack));
    EXPECT_TRUE(Shows(centred, 265, 10, {0, 0, 77}));
    EXPECT_TRUE(Shows(centred, 294, 29, {29, 19, 77}));
    EXPECT_TRUE(Shows(centred, 264, 10, kBlack));
    EXPECT_TRUE(Shows(centred, 280, 50, kBlack)); // below the second monitor

    const Bitmap tiled = FitToMonitors(picture, picture.Size(), DisplayMode::Tiled, {310, 100}, monitors);
    EXPECT_TRUE(Shows(tiled, 0, 0, {0, 0, 77}));
    EXPECT_TRUE(Shows(tiled, 245, 95, {5, 15, 77})); // 245 = 8 * 30 + 5, 95 = 4 * 20 + 15
    EXPECT_TRUE(Shows(tiled, 249, 0, {9, 0, 77}));
    EXPECT_TRUE(Shows(tiled, 250, 0, {0, 0, 77}));
    EXPECT_TRUE(Shows(tiled, 289, 39, {9, 19, 77})); // 39 = 30 + 9 = 20 + 19
    EXPECT_TRUE(Shows(tiled, 309, 0, {29, 0, 77}));
    EXPECT_TRUE(Shows(tiled, 280, 50, kBlack));
}

// As on a desktop of the monitor's size, a centred or tiled picture larger than the monitor
// either way is stretched to it; on a monitor it fits it keeps its size.
TEST(FitToMonitors, ACentredOrTiledPictureLargerThanAMonitorIsStretchedToIt)
{
    const Bitmap picture = QuadrantPicture(40, 40);
    const Monitors monitors{{0, 0, 100, 100}, {100, 0, 30, 60}};
    for (DisplayMode mode : {DisplayMode::Centred, DisplayMode::Tiled}) {
        const Bitmap desktop = FitToMonitors(picture, picture.Size(), mode, {130, 100}, monitors);
        EXPECT_TRUE(Shows(desktop, 100, 0, kRed));
        EXPECT_TRUE(Shows(desktop, 129, 0, kGreen));
        EXPECT_TRUE(Shows(desktop, 100, 59, kBlue));
        EXPECT_TRUE(Shows(desktop, 129, 59, kWhite));
        EXPECT_TRUE(Shows(desktop, 115, 60, kBlack));
    }
    const Bitmap centred = FitToMonitors(picture, picture.Size(), DisplayMode::Centred, {130, 100}, monitors);
    EXPECT_TRUE(Shows(centred, 30, 30, kRed));
    EXPECT_TRUE(Shows(centred, 69, 69, kWhite));
    EXPECT_TRUE(Shows(centred, 29, 30, kBlack));
    const Bitmap tiled = FitToMonitors(picture, picture.Size(), DisplayMode::Tiled, {130, 100}, monitors);
    EXPECT_TRUE(Shows(tiled, 40, 0, kRed));
    EXPECT_TRUE(Shows(tiled, 79, 59, kGreen)); // 79 = 40 + 39, 59 = 40 + 19: the top right of a copy

    // Decoded at its own size while one monitor shows it so; else no larger than the largest monitor.
    EXPECT_EQ(MonitorDecodeSize({40, 40}, DisplayMode::Centred, monitors), (PictureSize{}));
    EXPECT_EQ(MonitorDecodeSize({4000, 3000}, DisplayMode::Tiled, monitors), (PictureSize{100, 100}));
}

TEST(FitToMonitors, APictureDecodedSmallerIsPlacedByItsFullSize)
{
    // A 2000x1000 file decoded at 600x300 (the largest size any monitor needs).
    const Monitors monitors{{0, 0, 400, 300}, {400, 0, 300, 200}};
    const PictureSize decode = MonitorDecodeSize({2000, 1000}, DisplayMode::Filled, monitors);
    EXPECT_EQ(decode, (PictureSize{600, 300}));
    const Bitmap small = QuadrantPicture(decode.width, decode.height);
    const Bitmap desktop = FitToMonitors(small, {2000, 1000}, DisplayMode::Filled, {700, 300}, monitors);
    EXPECT_TRUE(Shows(desktop, 197, 147, kRed));
    EXPECT_TRUE(Shows(desktop, 203, 147, kGreen));
    EXPECT_TRUE(Shows(desktop, 547, 97, kRed));
    EXPECT_TRUE(Shows(desktop, 553, 97, kGreen));
    EXPECT_TRUE(Shows(desktop, 553, 103, kWhite));

    EXPECT_EQ(MonitorDecodeSize({2000, 1000}, DisplayMode::Fitted, monitors), (PictureSize{400, 200}));
    EXPECT_EQ(MonitorDecodeSize({2000, 1000}, DisplayMode::Stretched, monitors), (PictureSize{400, 300}));
    EXPECT_EQ(MonitorDecodeSize({200, 100}, DisplayMode::Centred, monitors), (PictureSize{}));
    EXPECT_EQ(MonitorDecodeSize({200, 100}, DisplayMode::Tiled, monitors), (PictureSize{}));
}

TEST(FitToMonitors, RefusesMonitorsOutsideTheDesktopAndAnEmptyPicture)
{
    const Bitmap picture = QuadrantPicture(4, 4);
    EXPECT_THROW(FitToMonitors(picture, picture.Size(), DisplayMode::Fitted, {100, 100}, {{50, 0, 51, 100}}),
                 std::invalid_argument);
    EXPECT_THROW(FitToMonitors(picture, picture.Size(), DisplayMode::Fitted, {100, 100}, {{-1, 0, 10, 10}}),
                 std::invalid_argument);
    EXPECT_THROW(FitToMonitors(Bitmap(), {4, 4}, DisplayMode::Fitted, {100, 100}, {{0, 0, 10, 10}}),
                 std::invalid_argument);
}

TEST(UsableMonitors, CutToTheDesktopWithoutEmptyOrRepeatedOnes)
{
    const DesktopSize desktop{1600, 600};
    // Mirrored outputs, one reaching past the desktop, one outside it, one empty, one
    // whose sides overflow when added.
    const Monitors reported{
        {0, 0, 800, 600},  {0, 0, 800, 600},       {800, 0, 1000, 700},          {1700, 0, 100, 100},
        {100, 100, 0, 50}, {-200, -100, 300, 200}, {INT_MAX - 1, 0, INT_MAX, 10}};
    EXPECT_EQ(UsableMonitors(reported, desktop), (Monitors{{0, 0, 800, 600}, {800, 0, 800, 600}}));
    // A monitor mirrored at a smaller resolution lies inside the larger one: the larger stays.
    EXPECT_EQ(UsableMonitors({{0, 0, 1280, 600}, {0, 0, 1600, 600}, {0, 0, 1280, 600}}, desktop),
              (Monitors{{0, 0, 1600, 600}}));
    // Overlapping without one holding the other: both stay.
    EXPECT_EQ(UsableMonitors({{0, 0, 900, 600}, {700, 0, 900, 600}}, desktop),
              (Monitors{{0, 0, 900, 600}, {700, 0, 900, 600}}));
    EXPECT_EQ(UsableMonitors({}, desktop), (Monitors{{0, 0, 1600, 600}}));
    EXPECT_EQ(UsableMonitors({{2000, 0, 10, 10}}, desktop), (Monitors{{0, 0, 1600, 600}}));
    EXPECT_TRUE(UsableMonitors({{0, 0, 10, 10}}, {0, 0}).empty());

    EXPECT_FALSE(NeedsMonitorFit({{0, 0, 1600, 600}}, desktop));
    EXPECT_TRUE(NeedsMonitorFit({{0, 0, 800, 600}}, desktop));
    EXPECT_TRUE(NeedsMonitorFit({{0, 0, 800, 600}, {800, 0, 800, 600}}, desktop));
}

} // namespace
} // namespace ondrix
