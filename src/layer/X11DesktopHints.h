#pragma once

#include "ThemeLayerRules.h"

#include <vector>

class QWindow;

namespace ondrix {

// Makes a window of this X11 session a desktop window: _NET_WM_WINDOW_TYPE_DESKTOP, and the
// states SKIP_TASKBAR, SKIP_PAGER, BELOW and STICKY, on all workspaces. An unmapped window gets
// the properties (read by the window manager when it maps it); a mapped one gets the state
// changes the window manager is asked for. Throws PlatformError when Qt does not run on X11 or
// the server refuses a request.
void ApplyDesktopWindowHints(QWindow& window);

// Whether a window manager's client list holds a desktop-type window other than ours: the icon
// window of a file manager's desktop (xfdesktop, caja, nemo, ...). It paints the wallpaper and
// icons in one opaque window, so a live layer below it is hidden and one above it hides the icons.
// False when Qt does not run on X11.
bool OtherDesktopWindowPresent(const QWindow* ours);

// Whether another desktop-type window is stacked above ours (_NET_CLIENT_LIST_STACKING): an
// icon window the desktop has mapped again after ours. False when Qt does not run on X11.
bool OtherDesktopWindowAbove(const QWindow& ours);

// The window manager's clients but ours, with what DesktopCovered needs of them; empty when Qt
// does not run on X11.
std::vector<ClientWindow> ReadClientWindows(const QWindow* ours);

} // namespace ondrix
