#include "ResolutionAgent.h"

namespace ondrix {

TRAgent::TRAgent(const ScreenInfo& screen) : m_screen(screen)
{
    GetDesktopSize();
}

DesktopSize TRAgent::GetDesktopSize()
{
    const DesktopSize size = m_screen.CurrentDesktopSize();
    DesktopWidth = size.width;
    DesktopHeight = size.height;
    return size;
}

std::vector<MonitorRect> TRAgent::GetMonitors(DesktopSize desktop) const
{
    return UsableMonitors(m_screen.CurrentMonitors(), desktop);
}

std::string TRAgent::DesktopSizeText() const
{
    return std::to_string(DesktopWidth) + "x" + std::to_string(DesktopHeight);
}

void TRAgent::Poll()
{
    const DesktopSize size = m_screen.CurrentDesktopSize();
    if (size.width == DesktopWidth && size.height == DesktopHeight)
        return;
    DesktopWidth = size.width;
    DesktopHeight = size.height;
    NotifyChange();
}

void TRAgent::NotifyChange()
{
    if (OnChange)
        OnChange(*this);
}

} // namespace ondrix
