#pragma once

#include <cstdint>
#include <string>

namespace ondrix {

struct TOptions;

enum class DisplayMode : std::uint8_t
{
    Stretched = 0,
    Centred = 1,
    Tiled = 2,
    Filled = 3, // scaled to cover the desktop, proportions kept, centre cropped
    Fitted = 4, // scaled to lie inside the desktop, proportions kept, bands around it
};

// A stored mode number; anything but 0 to 4 behaves as centred (copies of the program from
// before fill and fit show 3 and 4 centred too).
DisplayMode DisplayModeFromNumber(std::uint8_t number);

// The size class 0..5 of a picture: the number of the thresholds 100x75, 200x150, 400x300,
// 800x600 and 1024x768 that it reaches in both dimensions, counted in that order.
int ResolutionClass(int width, int height);

// The text of a size class on the options page; sizeWord stands for the picture's size.
std::string ResolutionClassText(int sizeClass, const std::string& sizeWord);

// The mode the options give a picture of this size.
DisplayMode DisplayModeFor(const TOptions& options, int width, int height);

} // namespace ondrix
