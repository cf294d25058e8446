#include "wallpaper/Fit.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <utility>
#include <vector>

namespace ondrix {
namespace {

using Bgr = std::array<std::uint8_t, 3>;

Bgr Pixel(const Bitmap& b, int x, int y)
{
    const std::uint8_t* p = b.Row(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

void SetGray(Bitmap& b, int x, int y, std::uint8_t v)
{
    std::uint8_t* p = b.Row(y) + 3 * x;
    p[0] = p[1] = p[2] = v;
}

Bitmap GrayRow(std::initializer_list<std::uint8_t> values)
{
    Bitmap b(static_cast<int>(values.size()), 1, "test");
    int x = 0;
    for (std::uint8_t v : values)
        SetGray(b, x++, 0, v);
    return b;
}

TEST(Stretch, CheckerboardKeepsItsCornersWhenEnlarged)
{
    Bitmap board(2, 2, "test");
    SetGray(board, 0, 0, 0);
    SetGray(board, 1, 0, 255);
    SetGray(board, 0, 1, 255);
    SetGray(board, 1, 1, 0);
    const Bitmap big = Stretch(board, 100, 60);
    ASSERT_EQ(big.Size(), (PictureSize{100, 60}));
    EXPECT_EQ(Pixel(big, 0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(Pixel(big, 99, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(Pixel(big, 0, 59), (Bgr{255, 255, 255}));
    EXPECT_EQ(Pixel(big, 99, 59), (Bgr{0, 0, 0}));
    // The middle lies between the four and is blended.
    const int middle = Pixel(big, 50, 30)[0];
    EXPECT_GT(middle, 60);
    EXPECT_LT(middle, 195);
}

TEST(Stretch, UniformColourStaysUniformWhateverTheSizes)
{
    Bitmap flat(37, 23, "test");
    flat.Fill(10, 200, 77);
    for (auto [w, h] :
         std::vector<std::pair<int, int>>{{101, 7}, {5, 3}, {37, 23}, {1, 1}, {36, 100}, {600, 2}}) {
        const Bitmap out = Stretch(flat, w, h);
        ASSERT_EQ(out.Size(), (PictureSize{w, h}));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(Pixel(out, x, y), (Bgr{10, 200, 77})) << w << "x" << h << " at " << x << "," << y;
    }
}

TEST(Stretch, ShrinkingAveragesTheCoveredArea)
{
    const Bitmap half = Stretch(GrayRow({0, 255, 0, 255}), 2, 1);
    for (int x = 0; x < 2; ++x) {
        EXPECT_GE(Pixel(half, x, 0)[0], 127);
        EXPECT_LE(Pixel(half, x, 0)[0], 128);
    }
    // Three to two: each target pixel covers one and a half source pixels.
    const Bitmap twoThirds = Stretch(GrayRow({0, 90, 180}), 2, 1);
    EXPECT_EQ(Pixel(twoThirds, 0, 0)[0], 30);  // (0 + 90 / 2) / 1.5
    EXPECT_EQ(Pixel(twoThirds, 1, 0)[0], 150); // (90 / 2 + 180) / 1.5
}

TEST(Stretch, ShrinkingVerticallyAveragesRowsToo)
{
    Bitmap column(1, 6, "test");
    for (int y = 0; y < 6; ++y)
        SetGray(column, 0, y, static_cast<std::uint8_t>(y * 40));
    const Bitmap out = Stretch(column, 1, 3);
    EXPECT_EQ(Pixel(out, 0, 0)[0], 20);
    EXPECT_EQ(Pixel(out, 0, 1)[0], 100);
    EXPECT_EQ(Pixel(out, 0, 2)[0], 180);
}

TEST(Stretch, EnlargingAGradientIsMonotoneAndKeepsItsEnds)
{
    const Bitmap wide = Stretch(GrayRow({0, 85, 170, 255}), 97, 1);
    EXPECT_EQ(Pixel(wide, 0, 0)[0], 0);
    EXPECT_EQ(Pixel(wide, 96, 0)[0], 255);
    for (int x = 1; x < 97; ++x)
        EXPECT_LE(Pixel(wide, x - 1, 0)[0], Pixel(wide, x, 0)[0]) << x;

    Bitmap column(1, 4, "test");
    for (int y = 0; y < 4; ++y)
        SetGray(column, 0, y, static_cast<std::uint8_t>(y * 85));
    const Bitmap tall = Stretch(column, 1, 50);
    for (int y = 1; y < 50; ++y)
        EXPECT_LE(Pixel(tall, 0, y - 1)[0], Pixel(tall, 0, y)[0]) << y;
    EXPECT_EQ(Pixel(tall, 0, 49)[0], 255);
}

TEST(Stretch, SameSizeIsAnExactCopyAndChannelsStaySeparate)
{
    Bitmap picture(7, 5, "test");
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            std::uint8_t* p = picture.Row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(x * 30);
            p[1] = static_cast<std::uint8_t>(y * 50);
            p[2] = static_cast<std::uint8_t>((x * 13 + y * 71) % 256);
        }
    const Bitmap copy = Stretch(picture, 7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(Pixel(copy, x, y), Pixel(picture, x, y));
}

TEST(Stretch, ShrinkOneAxisWhileEnlargingTheOther)
{
    Bitmap picture(4, 2, "test");
    for (int x = 0; x < 4; ++x) {
        SetGray(picture, x, 0, x < 2 ? 0 : 200);
        SetGray(picture, x, 1, x < 2 ? 0 : 200);
    }
    const Bitmap out = Stretch(picture, 2, 5);
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(Pixel(out, 0, y)[0], 0);
        EXPECT_EQ(Pixel(out, 1, y)[0], 200);
    }
}

TEST(Stretch, RefusesNoPictureAndNoSize)
{
    Bitmap one(1, 1, "test");
    one.Fill(0, 0, 0);
    EXPECT_THROW(Stretch(one, 0, 5), std::invalid_argument);
    EXPECT_THROW(Stretch(Bitmap(), 5, 5), std::invalid_argument);
}

constexpr Bgr kRed{0, 0, 255};
constexpr Bgr kBlue{255, 0, 0};
constexpr Bgr kGreen{0, 255, 0};
constexpr Bgr kWhite{255, 255, 255};
constexpr Bgr kBlack{0, 0, 0};

void Set(Bitmap& b, int x, int y, Bgr colour)
{
    std::uint8_t* p = b.Row(y) + 3 * x;
    p[0] = colour[0];
    p[1] = colour[1];
    p[2] = colour[2];
}

// 200x100: a white band over rows 0-9, a green stripe over rows 40-59, elsewhere the left
// half (columns 0-99) red and the right half blue.
Bitmap Halves()
{
    Bitmap b(200, 100, "halves");
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            Set(b, x, y, y < 10 ? kWhite : (y >= 40 && y < 60) ? kGreen : x < 100 ? kRed : kBlue);
    return b;
}

TEST(Placement, FillCoversAndFitLiesInsideRoundingHalvesToEven)
{
    // Wider than the desktop: the height matches, the sides go.
    EXPECT_EQ(FillPlacement({200, 100}, 100, 100), (Placement{200, 100, 50, 0}));
    // Narrower: the width matches, 150 rows of which 25 go at the top and 25 at the bottom.
    EXPECT_EQ(FillPlacement({200, 100}, 300, 100), (Placement{300, 150, 0, 25}));
    // 100 * 301 / 200 = 150.5 rounds to 150; (150 - 100) / 2 = 25.
    EXPECT_EQ(FillPlacement({200, 100}, 301, 100), (Placement{301, 150, 0, 25}));
    // 4 - 1 = 3 columns to lose: 1.5 rounds to 2; 6 - 1 = 5: 2.5 rounds to 2.
    EXPECT_EQ(FillPlacement({4, 1}, 1, 1), (Placement{4, 1, 2, 0}));
    EXPECT_EQ(FillPlacement({6, 1}, 1, 1), (Placement{6, 1, 2, 0}));
    EXPECT_EQ(FillPlacement({3, 1}, 2, 2), (Placement{6, 2, 2, 0}));

    EXPECT_EQ(FitPlacement({200, 100}, 100, 100), (Placement{100, 50, 0, 25}));
    EXPECT_EQ(FitPlacement({200, 100}, 300, 100), (Placement{200, 100, 50, 0}));
    // 101 columns of bands: 50.5 rounds to 50 on the left; 103: 51.5 rounds to 52.
    EXPECT_EQ(FitPlacement({200, 100}, 301, 100), (Placement{200, 100, 50, 0}));
    EXPECT_EQ(FitPlacement({200, 100}, 303, 100), (Placement{200, 100, 52, 0}));
    // 100 * 301 / 200 = 150.5 rows rounds to 150, the one row left over goes below.
    EXPECT_EQ(FitPlacement({200, 100}, 301, 151), (Placement{301, 150, 0, 0}));
    // 100 * 303 / 200 = 151.5 rounds to 152; (160 - 152) / 2 = 4.
    EXPECT_EQ(FitPlacement({200, 100}, 303, 160), (Placement{303, 152, 0, 4}));
    // A line of a picture keeps one row; (100 - 1) / 2 = 49.5 rounds to 50.
    EXPECT_EQ(FitPlacement({1000, 1}, 100, 100), (Placement{100, 1, 0, 50}));

    // The desktop's own proportions: no crop, no band.
    EXPECT_EQ(FillPlacement({400, 300}, 800, 600), (Placement{800, 600, 0, 0}));
    EXPECT_EQ(FitPlacement({400, 300}, 800, 600), (Placement{800, 600, 0, 0}));
}

TEST(Fill, SquareDesktopCropsBothSidesEqually)
{
    // Scale 1: the middle 100 columns (50-149) stay as they are.
    const Bitmap out = Fill(Halves(), 100, 100);
    ASSERT_EQ(out.Size(), (PictureSize{100, 100}));
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const Bgr expected = y < 10 ? kWhite : (y >= 40 && y < 60) ? kGreen : x < 50 ? kRed : kBlue;
            ASSERT_EQ(Pixel(out, x, y), expected) << x << "," << y;
        }
}

TEST(Fill, WideDesktopCropsTopAndBottomEqually)
{
    // Scale 1.5 to 300x150, rows 25-124 of that stay: the white band (scaled rows 0-14) is
    // gone; the green stripe (scaled rows 60-89) lies around row 49.5 of the desktop.
    const Bitmap out = Fill(Halves(), 300, 100);
    ASSERT_EQ(out.Size(), (PictureSize{300, 100}));
    for (int x = 0; x < 300; ++x) {
        for (int y = 0; y < 100; ++y)
            ASSERT_NE(Pixel(out, x, y), kWhite) << x << "," << y;
        for (int y : {0, 33, 66, 99})
            ASSERT_EQ(Pixel(out, x, y)[1], 0) << x << "," << y; // no green outside the stripe
        for (int y = 36; y <= 63; ++y)
            ASSERT_EQ(Pixel(out, x, y), kGreen) << x << "," << y;
        // The stripe's blended edges mirror each other.
        for (auto [top, bottom] : {std::pair{34, 65}, std::pair{35, 64}})
            for (int c = 0; c < 3; ++c)
                ASSERT_NEAR(Pixel(out, x, top)[c], Pixel(out, x, bottom)[c], 1) << x << "," << top;
    }
    // Across, all 200 columns are kept: red up to column 148, blue from 151.
    for (int y : {0, 20, 80, 99}) {
        EXPECT_EQ(Pixel(out, 0, y), kRed);
        EXPECT_EQ(Pixel(out, 148, y), kRed);
        EXPECT_EQ(Pixel(out, 151, y), kBlue);
        EXPECT_EQ(Pixel(out, 299, y), kBlue);
    }
}

TEST(Fill, ReachingFarPastTheDesktopComputesOnlyWhatStays)
{
    // 16000x2 filled into 100x100 is scaled to 800000x100, far past the bitmap limits; only
    // its middle 100 columns (399950-400049) are made. They straddle the colour change.
    Bitmap line(16000, 2, "line");
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 16000; ++x)
            Set(line, x, y, x < 8000 ? kRed : kBlue);
    const Bitmap out = Fill(line, 100, 100);
    ASSERT_EQ(out.Size(), (PictureSize{100, 100}));
    for (int y : {0, 50, 99}) {
        for (int x = 0; x <= 24; ++x)
            ASSERT_EQ(Pixel(out, x, y), kRed) << x;
        for (int x = 75; x < 100; ++x)
            ASSERT_EQ(Pixel(out, x, y), kBlue) << x;
        for (int x = 1; x < 100; ++x)
            ASSERT_GE(Pixel(out, x, y)[0], Pixel(out, x - 1, y)[0]) << x;
    }
}

TEST(FitInside, SquareDesktopLeavesEqualBandsAboveAndBelow)
{
    // Scale 0.5 to 100x50 at row 25: each desktop pixel of the picture averages a 2x2 block.
    const Bitmap out = FitInside(Halves(), 100, 100);
    ASSERT_EQ(out.Size(), (PictureSize{100, 100}));
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            Bgr expected = kBlack;
            if (y >= 25 && y < 30)
                expected = kWhite;
            else if (y >= 45 && y < 55)
                expected = kGreen;
            else if (y >= 30 && y < 75)
                expected = x < 50 ? kRed : kBlue;
            ASSERT_EQ(Pixel(out, x, y), expected) << x << "," << y;
        }
}

TEST(FitInside, WideDesktopLeavesEqualBandsLeftAndRight)
{
    // Scale 1: the picture unchanged at columns 50-249, 50 black columns on either side.
    const Bitmap out = FitInside(Halves(), 300, 100);
    ASSERT_EQ(out.Size(), (PictureSize{300, 100}));
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 300; ++x) {
            Bgr expected = kBlack;
            if (x >= 50 && x < 250)
                expected = y < 10 ? kWhite : (y >= 40 && y < 60) ? kGreen : x < 150 ? kRed : kBlue;
            ASSERT_EQ(Pixel(out, x, y), expected) << x << "," << y;
        }
}

TEST(FitInside, BandsTakeTheGivenColourAndOddBandsRoundToEven)
{
    // 303 columns: 103 of bands, 52 on the left and 51 on the right.
    const Bitmap out = FitInside(Halves(), 303, 100, BandColour{10, 20, 30});
    ASSERT_EQ(out.Size(), (PictureSize{303, 100}));
    EXPECT_EQ(Pixel(out, 0, 0), (Bgr{10, 20, 30}));
    EXPECT_EQ(Pixel(out, 51, 50), (Bgr{10, 20, 30}));
    EXPECT_EQ(Pixel(out, 52, 50), kGreen);
    EXPECT_EQ(Pixel(out, 52, 20), kRed);
    EXPECT_EQ(Pixel(out, 251, 20), kBlue);
    EXPECT_EQ(Pixel(out, 252, 20), (Bgr{10, 20, 30}));
    EXPECT_EQ(Pixel(out, 302, 99), (Bgr{10, 20, 30}));
}

TEST(FillAndFit, TheDesktopsOwnProportionsGiveAPlainStretch)
{
    Bitmap picture(4, 3, "test");
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            Set(picture, x, y, Bgr{std::uint8_t(x * 60), std::uint8_t(y * 100), std::uint8_t(200 - x * 50)});
    const Bitmap stretched = Stretch(picture, 8, 6);
    const Bitmap filled = Fill(picture, 8, 6);
    const Bitmap fitted = FitInside(picture, 8, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(Pixel(filled, x, y), Pixel(stretched, x, y)) << x << "," << y;
            EXPECT_EQ(Pixel(fitted, x, y), Pixel(stretched, x, y)) << x << "," << y;
        }
}

TEST(FillAndFit, RefuseNoPictureNoSizeAndAPlacementThatDoesNotFit)
{
    const Bitmap picture = Halves();
    EXPECT_THROW(Fill(Bitmap(), 5, 5), std::invalid_argument);
    EXPECT_THROW(FitInside(Bitmap(), 5, 5), std::invalid_argument);
    EXPECT_THROW(Fill(picture, 0, 5), std::invalid_argument);
    EXPECT_THROW(FitInside(picture, 5, 0), std::invalid_argument);
    // A crop reaching past the scaled picture, a picture reaching past the desktop.
    EXPECT_THROW(Fill(picture, Placement{200, 100, 101, 0}, 100, 100), std::invalid_argument);
    EXPECT_THROW(FitInside(picture, Placement{100, 50, 0, 51}, 100, 100), std::invalid_argument);
    EXPECT_THROW(FitInside(picture, Placement{0, 50, 0, 0}, 100, 100), std::invalid_argument);
    // A desktop past the bitmap limits is refused like a picture past them.
    EXPECT_THROW(Fill(picture, kMaxBitmapSide + 1, 10), DecodeError);
    EXPECT_THROW(FitPlacement({10, 10}, 10, kMaxBitmapSide + 1), DecodeError);
}

} // namespace
} // namespace ondrix
