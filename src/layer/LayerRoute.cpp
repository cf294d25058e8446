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
        if (situation.desktop == DesktopKind::Gnome)
            return situation.x11Reachable ? LayerRoute::XWaylandWindow : LayerRoute::StillPicture;
        if (situation.desktop == DesktopKind::Kde && situation.x11Reachable)
            return LayerRoute::XWaylandWindow;
        return situation.layerShell ? LayerRoute::LayerShell : LayerRoute::StillPicture;
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
    case LayerRoute::LayerShell:
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
    case LayerRoute::LayerShell:
        return "layer-shell";
    case LayerRoute::Offscreen:
        return "offscreen";
    case LayerRoute::StillPicture:
        return "still";
    }
    return "still";
}

} // namespace ondrix
