#pragma once

#include "platform/ScreenInfo.h"

namespace ondrix {

// The union of all screens Qt knows, in device pixels.
class QtScreenInfo final : public ScreenInfo
{
public:
    DesktopSize CurrentDesktopSize() const override;
};

} // namespace ondrix
