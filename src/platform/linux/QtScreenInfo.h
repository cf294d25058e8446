#pragma once

#include "platform/ScreenInfo.h"

namespace ondrix {

// The union of all screens Qt knows, in device pixels.
class QtScreenInfo final : public ScreenInfo
{
public:
    DesktopSize CurrentDesktopSize() const override;
    // Each screen's geometry, from the union's top left corner, in device pixels. One ratio,
    // the largest, serves every screen, as for the size: screens of different scales come out
    // in the proportions of the layout, not in their own pixels.
    std::vector<MonitorRect> CurrentMonitors() const override;
};

} // namespace ondrix
