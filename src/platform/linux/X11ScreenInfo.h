#pragma once

#include "X11Connection.h"
#include "platform/ScreenInfo.h"

namespace ondrix {

// The size of the X root window (all monitors together) and the monitors RandR reports in it
// (those made with "xrandr --setmonitor" included), asked of the server at every call on a
// connection of its own, so a change of resolution is seen at once.
class X11ScreenInfo final : public ScreenInfo
{
public:
    explicit X11ScreenInfo(const std::string& displayName = {}) : m_connection(displayName) {}
    DesktopSize CurrentDesktopSize() const override;
    // The active RandR monitors; the whole root as one where the server has no RandR 1.5.
    std::vector<MonitorRect> CurrentMonitors() const override;

private:
    X11Connection m_connection;
};

} // namespace ondrix
