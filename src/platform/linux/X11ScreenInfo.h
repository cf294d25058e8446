#pragma once

#include "X11Connection.h"
#include "platform/ScreenInfo.h"

namespace ondrix {

// The size of the X root window (all monitors together), asked of the server at every call
// on a connection of its own, so a change of resolution is seen at once.
class X11ScreenInfo final : public ScreenInfo
{
public:
    explicit X11ScreenInfo(const std::string& displayName = {}) : m_connection(displayName) {}
    DesktopSize CurrentDesktopSize() const override;

private:
    X11Connection m_connection;
};

} // namespace ondrix
