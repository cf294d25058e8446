#pragma once

#include "platform/ScreenInfo.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

// An output of sway as "swaymsg -t get_outputs -r" reports it: its name, its rectangle in the
// layout (logical pixels), its scale and whether it is on.
struct SwayOutput
{
    std::string name;
    MonitorRect rect;
    double scale = 1.0;
    bool active = false;
    friend bool operator==(const SwayOutput&, const SwayOutput&) = default;
};

// The outputs of that JSON list in its order; nothing when the text is not a list of objects
// (damaged, truncated, nested past 64 levels). Members other than "name", "rect", "scale"
// and "active" are skipped, and an output without a name or rectangle is left out.
std::optional<std::vector<SwayOutput>> ParseSwayOutputs(std::string_view json);

} // namespace ondrix
