#include "core/Errors.h"
#include "platform/DesktopDetection.h"

#include <gtest/gtest.h>

namespace ondrix {
namespace {

DesktopEnvironment WithDesktop(const std::string& xdgCurrentDesktop)
{
    DesktopEnvironment env;
    env.xdgCurrentDesktop = xdgCurrentDesktop;
    env.display = ":0"; // a DISPLAY never outranks a known desktop
    return env;
}

TEST(DetectDesktop, KnownDesktopNames)
{
    EXPECT_EQ(DetectDesktop(WithDesktop("ubuntu:GNOME")), DesktopKind::Gnome);
    EXPECT_EQ(DetectDesktop(WithDesktop("KDE")), DesktopKind::Kde);
    EXPECT_EQ(DetectDesktop(WithDesktop("X-Cinnamon")), DesktopKind::Cinnamon);
    EXPECT_EQ(DetectDesktop(WithDesktop("Cinnamon")), DesktopKind::Cinnamon);
    EXPECT_EQ(DetectDesktop(WithDesktop("MATE")), DesktopKind::Mate);
    EXPECT_EQ(DetectDesktop(WithDesktop("XFCE")), DesktopKind::Xfce);
    EXPECT_EQ(DetectDesktop(WithDesktop("Unity")), DesktopKind::Gnome);
    EXPECT_EQ(DetectDesktop(WithDesktop("Budgie:GNOME")), DesktopKind::Gnome);
    EXPECT_EQ(DetectDesktop(WithDesktop("budgie-desktop")), DesktopKind::Gnome);
    EXPECT_EQ(DetectDesktop(WithDesktop("Pantheon")), DesktopKind::Gnome);
    for (const char* wlroots : {"sway", "Hyprland", "river", "wayfire", "labwc"})
        EXPECT_EQ(DetectDesktop(WithDesktop(wlroots)), DesktopKind::Wlroots) << wlroots;
}

TEST(DetectDesktop, FirstKnownNameWins)
{
    // Unknown names are passed over; the first known one decides.
    EXPECT_EQ(DetectDesktop(WithDesktop("LXQt:KDE:GNOME")), DesktopKind::Kde);
    EXPECT_EQ(DetectDesktop(WithDesktop("GNOME:KDE")), DesktopKind::Gnome);
    EXPECT_EQ(DetectDesktop(WithDesktop("sway:GNOME")), DesktopKind::Wlroots);
    EXPECT_EQ(DetectDesktop(WithDesktop("GNOME-Flashback:GNOME")), DesktopKind::Gnome);
}

TEST(DetectDesktop, ForcedNameInAnyCaseWins)
{
    DesktopEnvironment env = WithDesktop("KDE");
    env.swaySock = "/run/sway.sock";
    const std::pair<const char*, DesktopKind> forced[] = {
        {"kde", DesktopKind::Kde},   {"CINNAMON", DesktopKind::Cinnamon}, {"Mate", DesktopKind::Mate},
        {"xfce", DesktopKind::Xfce}, {"GNOME", DesktopKind::Gnome},       {"wlRoots", DesktopKind::Wlroots},
        {"X11", DesktopKind::X11},   {"File", DesktopKind::File},
    };
    for (const auto& [name, kind] : forced) {
        env.ondrixDesktop = name;
        EXPECT_EQ(DetectDesktop(env), kind) << name;
        EXPECT_EQ(DesktopKindFromName(DesktopKindName(kind)), kind);
    }
}

TEST(DetectDesktop, UnknownForcedNameListsTheValidOnes)
{
    DesktopEnvironment env;
    env.ondrixDesktop = "enlightenment";
    try {
        DetectDesktop(env);
        FAIL() << "an unknown name was accepted";
    } catch (const PlatformError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("enlightenment"), std::string::npos);
        for (const char* name : {"kde", "cinnamon", "mate", "xfce", "gnome", "wlroots", "x11", "file"})
            EXPECT_NE(message.find(name), std::string::npos) << name;
    }
    // An empty value forces nothing.
    env.ondrixDesktop = "";
    EXPECT_EQ(DetectDesktop(env), DesktopKind::File);
}

TEST(DetectDesktop, MistypedForcedNameIsDroppedWithOneMessage)
{
    DesktopEnvironment env = WithDesktop("XFCE");
    env.ondrixDesktop = "gnomee";
    const std::string message = DropUnknownForcedDesktop(env);
    EXPECT_NE(message.find("\"gnomee\""), std::string::npos) << message;
    EXPECT_NE(message.find("valid names are: kde, cinnamon, mate, xfce, gnome, wlroots, x11, file"),
              std::string::npos)
        << message;
    EXPECT_NE(message.find("detects itself: xfce."), std::string::npos) << message;
    EXPECT_FALSE(env.ondrixDesktop.has_value());
    EXPECT_EQ(DetectDesktop(env), DesktopKind::Xfce);

    // A known name in any case, and an unset or empty variable, are left alone.
    env.ondrixDesktop = "KDE";
    EXPECT_EQ(DropUnknownForcedDesktop(env), "");
    EXPECT_EQ(env.ondrixDesktop, "KDE");
    env.ondrixDesktop = "";
    EXPECT_EQ(DropUnknownForcedDesktop(env), "");
    env.ondrixDesktop.reset();
    EXPECT_EQ(DropUnknownForcedDesktop(env), "");

    // A hostile value is shown short and without control characters.
    env.ondrixDesktop = std::string(5000, 'x') + "\n\x1b[2J";
    const std::string shortened = DropUnknownForcedDesktop(env);
    EXPECT_LT(shortened.size(), 300u);
    EXPECT_EQ(shortened.find('\x1b'), std::string::npos);
}

TEST(DetectDesktop, WithoutAKnownDesktop)
{
    DesktopEnvironment env;
    EXPECT_EQ(DetectDesktop(env), DesktopKind::File);

    env.display = ":0";
    EXPECT_EQ(DetectDesktop(env), DesktopKind::X11);
    env.xdgCurrentDesktop = "i3";
    EXPECT_EQ(DetectDesktop(env), DesktopKind::X11);

    env.xdgSessionType = "wayland";
    EXPECT_EQ(DetectDesktop(env), DesktopKind::Wlroots);
    env.xdgSessionType = "x11";
    EXPECT_EQ(DetectDesktop(env), DesktopKind::X11);
    env.waylandDisplay = "wayland-1";
    EXPECT_EQ(DetectDesktop(env), DesktopKind::Wlroots);

    DesktopEnvironment sway;
    sway.swaySock = "/run/user/1000/sway-ipc.sock";
    sway.display = ":0";
    EXPECT_EQ(DetectDesktop(sway), DesktopKind::Wlroots);

    DesktopEnvironment emptyValues;
    emptyValues.display = "";
    emptyValues.swaySock = "";
    emptyValues.xdgCurrentDesktop = "";
    EXPECT_EQ(DetectDesktop(emptyValues), DesktopKind::File);
}

} // namespace
} // namespace ondrix
