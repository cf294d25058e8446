#pragma once

#include "platform/ScreenInfo.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ondrix {

// The one place that asks for the desktop size. Poll() is run once a second by the
// application's timer and raises OnChange when the size has changed.
class TRAgent
{
public:
    explicit TRAgent(const ScreenInfo& screen);

    DesktopSize GetDesktopSize();
    // The monitors inside a desktop of that size (the one just read) as pictures are placed on
    // them (see UsableMonitors).
    std::vector<MonitorRect> GetMonitors(DesktopSize desktop) const;
    std::string DesktopSizeText() const;
    void Poll();
    void NotifyChange();

    std::int32_t DesktopWidth = 0;
    std::int32_t DesktopHeight = 0;
    std::function<void(TRAgent& sender)> OnChange;

private:
    const ScreenInfo& m_screen;
};

} // namespace ondrix
