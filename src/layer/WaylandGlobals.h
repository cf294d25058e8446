#pragma once

#include <string>

struct wl_display;

namespace ondrix {

// One round trip to the compositor: the requests sent so far are answered and their events
// dispatched. False when the connection broke or the compositor did not answer within
// timeoutMs (a compositor that hangs must not hang the program asking).
bool WaylandRoundTrip(wl_display* display, int timeoutMs);

// Whether the Wayland compositor at WAYLAND_DISPLAY announces the global interface, asked on a
// connection of its own that lasts one round trip. False without a compositor.
bool WaylandAnnounces(const std::string& interfaceName, int timeoutMs = 2000);

} // namespace ondrix
