#include "DesktopDetection.h"

#include "DisplaySettings.h"
#include "core/Errors.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <utility>

namespace ondrix {

namespace {

constexpr std::array<std::pair<const char*, DesktopKind>, 8> kKindNames{{
    {"kde", DesktopKind::Kde},
    {"cinnamon", DesktopKind::Cinnamon},
    {"mate", DesktopKind::Mate},
    {"xfce", DesktopKind::Xfce},
    {"gnome", DesktopKind::Gnome},
    {"wlroots", DesktopKind::Wlroots},
    {"x11", DesktopKind::X11},
    {"file", DesktopKind::File},
}};

// XDG_CURRENT_DESKTOP names, lower-cased, and the backend that serves them.
constexpr std::array<std::pair<const char*, DesktopKind>, 16> kDesktopNames{{
    {"kde", DesktopKind::Kde},
    {"x-cinnamon", DesktopKind::Cinnamon},
    {"cinnamon", DesktopKind::Cinnamon},
    {"mate", DesktopKind::Mate},
    {"xfce", DesktopKind::Xfce},
    {"gnome", DesktopKind::Gnome},
    {"unity", DesktopKind::Gnome},
    {"budgie", DesktopKind::Gnome},
    {"budgie-desktop", DesktopKind::Gnome},
    {"pantheon", DesktopKind::Gnome},
    {"sway", DesktopKind::Wlroots},
    {"hyprland", DesktopKind::Wlroots},
    {"river", DesktopKind::Wlroots},
    {"wayfire", DesktopKind::Wlroots},
    {"labwc", DesktopKind::Wlroots},
    {"wlroots", DesktopKind::Wlroots},
}};

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::optional<std::string> Variable(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

bool Set(const std::optional<std::string>& value)
{
    return value.has_value() && !value->empty();
}

std::string ValidNames()
{
    std::string valid;
    for (const auto& entry : kKindNames)
        valid += (valid.empty() ? "" : ", ") + std::string(entry.first);
    return valid;
}

} // namespace

DesktopEnvironment DesktopEnvironment::FromProcess()
{
    DesktopEnvironment env;
    env.ondrixDesktop = Variable("ONDRIX_DESKTOP");
    env.xdgCurrentDesktop = Variable("XDG_CURRENT_DESKTOP");
    env.xdgSessionType = Variable("XDG_SESSION_TYPE");
    env.display = Variable("DISPLAY");
    env.waylandDisplay = Variable("WAYLAND_DISPLAY");
    env.swaySock = Variable("SWAYSOCK");
    env.ondrixScreen = Variable("ONDRIX_SCREEN");
    return env;
}

std::string DesktopKindName(DesktopKind kind)
{
    for (const auto& [name, value] : kKindNames) {
        if (value == kind)
            return name;
    }
    return "file";
}

std::optional<DesktopKind> DesktopKindFromName(std::string_view name)
{
    const std::string lower = Lower(name);
    for (const auto& [known, value] : kKindNames) {
        if (lower == known)
            return value;
    }
    return std::nullopt;
}

DesktopKind DetectDesktop(const DesktopEnvironment& env)
{
    if (Set(env.ondrixDesktop)) {
        if (const auto forced = DesktopKindFromName(*env.ondrixDesktop))
            return *forced;
        throw PlatformError("ONDRIX_DESKTOP names an unknown desktop \"" + *env.ondrixDesktop +
                            "\"; valid names are: " + ValidNames());
    }
    for (const auto& name : DesktopNames(env.xdgCurrentDesktop.value_or(""))) {
        for (const auto& [known, kind] : kDesktopNames) {
            if (name == known)
                return kind;
        }
    }
    const bool wayland = Lower(env.xdgSessionType.value_or("")) == "wayland" || Set(env.waylandDisplay);
    if (Set(env.swaySock) || wayland)
        return DesktopKind::Wlroots;
    if (Set(env.display))
        return DesktopKind::X11;
    return DesktopKind::File;
}

std::string DropUnknownForcedDesktop(DesktopEnvironment& env)
{
    if (!Set(env.ondrixDesktop) || DesktopKindFromName(*env.ondrixDesktop))
        return {};
    std::string name = *env.ondrixDesktop;
    // A mistyped name may be long or hold control characters; the message shows a short, plain form.
    if (name.size() > 40)
        name = name.substr(0, 40) + "...";
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    }
    env.ondrixDesktop.reset();
    return "ONDRIX_DESKTOP names an unknown desktop \"" + name + "\"; valid names are: " + ValidNames() +
           ".\n\nOndrix goes on with the desktop it detects itself: " + DesktopKindName(DetectDesktop(env)) +
           ".";
}

} // namespace ondrix
