#include "X11ScreenInfo.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace ondrix {

DesktopSize X11ScreenInfo::CurrentDesktopSize() const
{
    Display* display = m_connection.Get();
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    // XGetGeometry is a round trip; the size cached in the Display is that of the connection's start.
    XGetGeometry(display, DefaultRootWindow(display), &root, &x, &y, &width, &height, &border, &depth);
    m_connection.Check("reading the size of the desktop");
    return {static_cast<int>(width), static_cast<int>(height)};
}

std::vector<MonitorRect> X11ScreenInfo::CurrentMonitors() const
{
    Display* display = m_connection.Get();
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) || !XRRQueryVersion(display, &major, &minor) ||
        major < 1 || (major == 1 && minor < 5))
        return ScreenInfo::CurrentMonitors();
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    std::vector<MonitorRect> rects;
    for (int i = 0; monitors != nullptr && i < count; ++i)
        rects.push_back({monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height});
    if (monitors != nullptr)
        XRRFreeMonitors(monitors);
    m_connection.Check("reading the monitors of the desktop");
    if (rects.empty())
        return ScreenInfo::CurrentMonitors();
    return rects;
}

} // namespace ondrix
