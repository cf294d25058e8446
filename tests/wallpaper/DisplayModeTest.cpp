#include "wallpaper/DisplayMode.h"

#include "app/options.h"

#include <gtest/gtest.h>

namespace ondrix {
namespace {

TEST(DisplayModeTest, SizeClassNeedsBothDimensions)
{
    EXPECT_EQ(ResolutionClass(99, 74), 0);
    EXPECT_EQ(ResolutionClass(90, 1000), 0);
    EXPECT_EQ(ResolutionClass(100, 75), 1);
    EXPECT_EQ(ResolutionClass(199, 600), 1);
    EXPECT_EQ(ResolutionClass(1000, 149), 1);
    EXPECT_EQ(ResolutionClass(200, 150), 2);
    EXPECT_EQ(ResolutionClass(399, 300), 2);
    EXPECT_EQ(ResolutionClass(400, 300), 3);
    EXPECT_EQ(ResolutionClass(800, 599), 3);
    EXPECT_EQ(ResolutionClass(800, 600), 4);
    EXPECT_EQ(ResolutionClass(1023, 768), 4);
    EXPECT_EQ(ResolutionClass(1024, 768), 5);
    EXPECT_EQ(ResolutionClass(10000, 10000), 5);
    EXPECT_EQ(ResolutionClass(0, 0), 0);
}

TEST(DisplayModeTest, StoredNumbersOutsideTheModesBehaveAsCentred)
{
    EXPECT_EQ(DisplayModeFromNumber(0), DisplayMode::Stretched);
    EXPECT_EQ(DisplayModeFromNumber(1), DisplayMode::Centred);
    EXPECT_EQ(DisplayModeFromNumber(2), DisplayMode::Tiled);
    EXPECT_EQ(DisplayModeFromNumber(3), DisplayMode::Filled);
    EXPECT_EQ(DisplayModeFromNumber(4), DisplayMode::Fitted);
    for (std::uint8_t n : {5, 6, 7, 8, 9, 10, 255})
        EXPECT_EQ(DisplayModeFromNumber(n), DisplayMode::Centred) << int{n};
}

TEST(DisplayModeTest, DefaultSlotsTileSmallStretchMiddleCentreLarge)
{
    TOptions options;
    options.ilShowType = 1;
    options.DisplaySlots = UnpackDisplaySlots(kDefaultDisplaySlots);
    EXPECT_EQ(DisplayModeFor(options, 50, 50), DisplayMode::Tiled);
    EXPECT_EQ(DisplayModeFor(options, 150, 100), DisplayMode::Tiled);
    EXPECT_EQ(DisplayModeFor(options, 399, 299), DisplayMode::Tiled);
    EXPECT_EQ(DisplayModeFor(options, 400, 300), DisplayMode::Stretched);
    EXPECT_EQ(DisplayModeFor(options, 1023, 767), DisplayMode::Stretched);
    EXPECT_EQ(DisplayModeFor(options, 1024, 768), DisplayMode::Centred);
}

TEST(DisplayModeTest, OneModeForEveryPictureIgnoresTheSlots)
{
    TOptions options;
    options.ilShowType = 0;
    options.ilDisplType = 2;
    options.DisplaySlots = {0, 0, 0, 0, 0, 0};
    EXPECT_EQ(DisplayModeFor(options, 50, 50), DisplayMode::Tiled);
    EXPECT_EQ(DisplayModeFor(options, 2000, 2000), DisplayMode::Tiled);
    options.ilDisplType = 7;
    EXPECT_EQ(DisplayModeFor(options, 2000, 2000), DisplayMode::Centred);
}

TEST(DisplayModeTest, FillAndFitComeOnlyFromTheirOwnDigits)
{
    TOptions options;
    options.ilShowType = 0;
    options.ilDisplType = 3;
    EXPECT_EQ(DisplayModeFor(options, 640, 480), DisplayMode::Filled);
    options.ilDisplType = 4;
    EXPECT_EQ(DisplayModeFor(options, 640, 480), DisplayMode::Fitted);

    // By size: the slots say which; a digit 3 or 4 stands for one class only.
    options.ilShowType = 1;
    options.DisplaySlots = UnpackDisplaySlots(104322);
    EXPECT_EQ(DisplayModeFor(options, 50, 50), DisplayMode::Tiled);
    EXPECT_EQ(DisplayModeFor(options, 150, 100), DisplayMode::Tiled);
    EXPECT_EQ(DisplayModeFor(options, 200, 150), DisplayMode::Filled);
    EXPECT_EQ(DisplayModeFor(options, 400, 300), DisplayMode::Fitted);
    EXPECT_EQ(DisplayModeFor(options, 800, 600), DisplayMode::Stretched);
    EXPECT_EQ(DisplayModeFor(options, 1024, 768), DisplayMode::Centred);
}

TEST(DisplayModeTest, SlotDigitOutsideTheModesShowsCentred)
{
    TOptions options;
    options.ilShowType = 1;
    options.DisplaySlots = UnpackDisplaySlots(900000);
    EXPECT_EQ(DisplayModeFor(options, 1920, 1080), DisplayMode::Centred);
    EXPECT_EQ(DisplayModeFor(options, 10, 10), DisplayMode::Stretched);
    options.DisplaySlots = UnpackDisplaySlots(500000);
    EXPECT_EQ(DisplayModeFor(options, 1920, 1080), DisplayMode::Centred);
}

} // namespace
} // namespace ondrix
