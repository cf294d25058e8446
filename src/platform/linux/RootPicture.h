#pragma once

#include "platform/PictureFiles.h"

#include <cstdint>

namespace ondrix {

// The masks of a TrueColor or DirectColor visual.
struct ColourMasks
{
    unsigned long red = 0;
    unsigned long green = 0;
    unsigned long blue = 0;
};

// The pixel value of an 8-bit-per-channel colour in a visual with these masks (the top bits
// of each channel are kept when the visual has fewer, as in 16-bit visuals).
unsigned long PackColour(const ColourMasks& masks, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
// The colour of a pixel value, each channel widened back to 8 bits.
void UnpackColour(const ColourMasks& masks, unsigned long pixel, std::uint8_t& red, std::uint8_t& green,
                  std::uint8_t& blue);

// The picture laid on a black desktop of width x height: tiled from the top left corner, or
// centred (a picture larger than the desktop shows its middle part).
BgrPixels ComposeDesktop(const BgrPixels& picture, int width, int height, bool tiled);

} // namespace ondrix
