#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ondrix {

// The desktops whose wallpaper the program can set.
enum class DesktopKind
{
    Gnome,
    Kde,
    Cinnamon,
    Mate,
    Xfce,
    Wlroots,
    X11,
    File,
};

// The environment variables the choice depends on; absent variables are empty optionals.
struct DesktopEnvironment
{
    std::optional<std::string> ondrixDesktop;     // ONDRIX_DESKTOP
    std::optional<std::string> xdgCurrentDesktop; // XDG_CURRENT_DESKTOP
    std::optional<std::string> xdgSessionType;    // XDG_SESSION_TYPE
    std::optional<std::string> display;           // DISPLAY
    std::optional<std::string> waylandDisplay;    // WAYLAND_DISPLAY
    std::optional<std::string> swaySock;          // SWAYSOCK
    std::optional<std::string> ondrixScreen;      // ONDRIX_SCREEN

    static DesktopEnvironment FromProcess();
};

// The backend for this environment: ONDRIX_DESKTOP forces one by name (any case; an unknown
// name throws PlatformError listing the valid ones); otherwise the first desktop name of
// XDG_CURRENT_DESKTOP that is known; otherwise a sway socket or a Wayland session means a
// wlroots compositor; otherwise a DISPLAY means bare X11; otherwise the file backend.
DesktopKind DetectDesktop(const DesktopEnvironment& env);

// An ONDRIX_DESKTOP that names no known desktop is removed from env, so that the desktop is
// then detected as if the variable were unset. Returns the message that tells the user so,
// naming the valid names; empty when the variable is unset or names a known desktop.
std::string DropUnknownForcedDesktop(DesktopEnvironment& env);

// "gnome", "kde", "cinnamon", "mate", "xfce", "wlroots", "x11", "file".
std::string DesktopKindName(DesktopKind kind);
std::optional<DesktopKind> DesktopKindFromName(std::string_view name);

} // namespace ondrix
