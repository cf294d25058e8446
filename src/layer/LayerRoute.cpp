#include "LayerRoute.h"

namespace ondrix {

LayerRoute ChooseLayerRoute(const LayerRouteSituation& situation)
{
    if (situation.desktop == DesktopKind::File)
        return LayerRoute::SettingsFile;
    if (situation.ondrixPlatform == "offscreen")
        return LayerRoute::Offscreen;
    const bool wayland = situation.sessionType == "wayland" || situation.ondrixPlatform == "wayland" ||
                         situation.desktop == DesktopKind::Wlroots;
    if (wayland) {
        // Mutter and KWin keep such a window below the others; wlroots compositors do not
        // promise it (labwc and Hyprland put it above).
        const bool keepsDesktopWindowBelow =
            situation.desktop == DesktopKind::Gnome || situation.desktop == DesktopKind::Kde;
        return keepsDesktopWindowBelow && situation.x11Reachable ? LayerRoute::XWaylandWindow
                                                                 : LayerRoute::StillPicture;
    }
    return situation.x11Reachable ? LayerRoute::X11Window : LayerRoute::StillPicture;
}

std::string LayerPlatformOf(LayerRoute route)
{
    switch (route) {
    case LayerRoute::SettingsFile:
        return {};
    case LayerRoute::X11Window:
    case LayerRoute::XWaylandWindow:
        return "xcb";
    case LayerRoute::Offscreen:
    case LayerRoute::StillPicture:
        return "offscreen";
    }
    return "offscreen";
}

std::string LayerRouteName(LayerRoute route)
{
    switch (route) {
    case LayerRoute::SettingsFile:
        return "file";
    case LayerRoute::X11Window:
        return "x11";
    case LayerRoute::XWaylandWindow:
        return "xwayland";
    case LayerRoute::Offscreen:
        return "offscreen";
    case LayerRoute::StillPicture:
        return "still";
    }
    return "still";
}

} // namespace ondrix
