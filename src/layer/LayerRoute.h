#pragma once

#include "platform/DesktopDetection.h"

#include <string>

namespace ondrix {

// Where a session's live layer goes: the way the layer program shows a theme page below the
// windows, and with it the Qt platform the program runs on.
enum class LayerRoute
{
    SettingsFile,   // no layer program: the settings file records the page (no desktop, tests)
    X11Window,      // a desktop-type window on the X server of an X11 session
    XWaylandWindow, // the same window on the XWayland server of a Wayland session
    LayerShell,     // the compositor's background layer on every output (zwlr_layer_shell_v1)
    Offscreen,      // drawn offscreen (headless and test use)
    StillPicture,   // the page drawn offscreen once and set as the desktop's picture
};

struct LayerRouteSituation
{
    DesktopKind desktop = DesktopKind::X11;
    std::string sessionType;    // XDG_SESSION_TYPE, empty when unset
    std::string ondrixPlatform; // Ondrix's own Qt platform: "xcb", "wayland", "offscreen", ...
    bool x11Reachable = false;  // an X server answers at DISPLAY (on Wayland: XWayland)
    bool layerShell = false;    // the Wayland compositor announces zwlr_layer_shell_v1
};

// The settings-file desktop records the page. Ondrix on the offscreen platform draws the layer
// offscreen too. In a Wayland session (or on a wlroots compositor):
// - GNOME keeps the desktop window on XWayland: mutter announces no layer shell, and keeps an
//   XWayland window of the desktop type below every normal window.
// - KDE Plasma keeps it too where XWayland answers: there the layer program can raise its window
//   above plasmashell's desktop or keep it below, so "over the desktop's icons" holds either
//   way, while a layer surface cannot be placed among the desktop windows. Without XWayland it
//   takes the compositor's background layer.
// - Every other compositor that announces the layer shell (sway, Hyprland, river, labwc,
//   Wayfire, niri, COSMIC) gets the background layer: their X servers do not promise to keep a
//   desktop window below (labwc and Hyprland put it above).
// - Otherwise the still picture.
// An X11 session whose server answers gets the desktop window; else the still picture.
LayerRoute ChooseLayerRoute(const LayerRouteSituation& situation);

// The Qt platform the layer program runs on: "xcb" for the desktop windows, "offscreen" for
// the offscreen layer, the layer shell (drawn offscreen, shown through Wayland) and the still
// picture; empty for the settings file (no program).
std::string LayerPlatformOf(LayerRoute route);

// "file", "x11", "xwayland", "layer-shell", "offscreen", "still": for messages, logs and the command line of
// the layer program.
std::string LayerRouteName(LayerRoute route);

} // namespace ondrix
