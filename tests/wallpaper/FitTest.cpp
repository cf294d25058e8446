#include "wallpaper/Fit.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
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

} // namespace
} // namespace ondrix
