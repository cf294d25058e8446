#include "X11ScreenInfo.h"

#include <X11/Xlib.h>

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

} // namespace ondrix
