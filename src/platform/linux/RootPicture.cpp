#include "RootPicture.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace ondrix {

namespace {

unsigned long ScaleIn(std::uint8_t value, unsigned long mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    unsigned long scaled = value;
    if (bits < 8)
        scaled >>= 8 - bits;
    else
        scaled <<= bits - 8;
    return (scaled << shift) & mask;
}

std::uint8_t ScaleOut(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const unsigned long value = (pixel & mask) >> shift;
    const unsigned long maximum = (1UL << bits) - 1;
    // Rounded, so that a full channel gives 255 and 8-bit channels come back unchanged.
    return static_cast<std::uint8_t>((value * 255 + maximum / 2) / maximum);
}

} // namespace

unsigned long PackColour(const ColourMasks& masks, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return ScaleIn(red, masks.red) | ScaleIn(green, masks.green) | ScaleIn(blue, masks.blue);
}

void UnpackColour(const ColourMasks& masks, unsigned long pixel, std::uint8_t& red, std::uint8_t& green,
                  std::uint8_t& blue)
{
    red = ScaleOut(pixel, masks.red);
    green = ScaleOut(pixel, masks.green);
    blue = ScaleOut(pixel, masks.blue);
}

BgrPixels ComposeDesktop(const BgrPixels& picture, int width, int height, bool tiled)
{
    BgrPixels desktop;
    desktop.width = width;
    desktop.height = height;
    desktop.bgr.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, 0);
    if (picture.width <= 0 || picture.height <= 0)
        return desktop;
    const auto source = [&](int x, int y) {
        return picture.bgr.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
                                     static_cast<std::size_t>(x)) *
                                        3;
    };
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row =
            desktop.bgr.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3;
        if (tiled) {
            const int sy = y % picture.height;
            for (int x = 0; x < width; x += picture.width) {
                const int count = std::min(picture.width, width - x);
                std::memcpy(row + static_cast<std::size_t>(x) * 3, source(0, sy),
                            static_cast<std::size_t>(count) * 3);
            }
            continue;
        }
        // Centred: the offset may be negative when the picture is larger than the desktop.
        const int offsetX = (width - picture.width) / 2;
        const int offsetY = (height - picture.height) / 2;
        const int sy = y - offsetY;
        if (sy < 0 || sy >= picture.height)
            continue;
        const int firstX = std::max(0, offsetX);
        const int lastX = std::min(width, offsetX + picture.width);
        if (lastX > firstX)
            std::memcpy(row + static_cast<std::size_t>(firstX) * 3, source(firstX - offsetX, sy),
                        static_cast<std::size_t>(lastX - firstX) * 3);
    }
    return desktop;
}

} // namespace ondrix
