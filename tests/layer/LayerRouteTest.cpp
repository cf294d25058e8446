// The route of the live layer, desktop by desktop and session by session.
#include "layer/LayerRoute.h"

#include <gtest/gtest.h>

namespace ondrix {
namespace {

TEST(LayerRoute, ByDesktopSessionAndServer)
{
    struct Row
    {
        DesktopKind desktop;
        const char* session;
        const char* platform;
        bool x11;
        bool layerShell; // the compositor announces zwlr_layer_shell_v1
        LayerRoute expected;
    };
    const Row rows[] = {
        // The settings file and the offscreen platform, whatever else holds.
        {DesktopKind::File, "x11", "xcb", true, false, LayerRoute::SettingsFile},
        {DesktopKind::File, "wayland", "offscreen", false, true, LayerRoute::SettingsFile},
        {DesktopKind::X11, "", "offscreen", false, false, LayerRoute::Offscreen},
        {DesktopKind::Gnome, "wayland", "offscreen", true, false, LayerRoute::Offscreen},
        {DesktopKind::Wlroots, "wayland", "offscreen", true, true, LayerRoute::Offscreen},
        // X11 sessions: the desktop window where the server answers.
        {DesktopKind::X11, "x11", "xcb", true, false, LayerRoute::X11Window},
        {DesktopKind::X11, "", "xcb", true, false, LayerRoute::X11Window},
        {DesktopKind::Xfce, "x11", "xcb", true, false, LayerRoute::X11Window},
        {DesktopKind::Mate, "x11", "xcb", true, false, LayerRoute::X11Window},
        {DesktopKind::Cinnamon, "x11", "xcb", true, false, LayerRoute::X11Window},
        {DesktopKind::Kde, "x11", "xcb", true, false, LayerRoute::X11Window},
        {DesktopKind::X11, "x11", "xcb", false, false, LayerRoute::StillPicture},
        // GNOME (mutter announces no layer shell) keeps the XWayland window, Ondrix a Wayland
        // client or on XWayland itself.
        {DesktopKind::Gnome, "wayland", "wayland", true, false, LayerRoute::XWaylandWindow},
        {DesktopKind::Gnome, "wayland", "xcb", true, false, LayerRoute::XWaylandWindow},
        {DesktopKind::Gnome, "wayland", "wayland", true, true, LayerRoute::XWaylandWindow},
        {DesktopKind::Gnome, "wayland", "wayland", false, false, LayerRoute::StillPicture},
        {DesktopKind::Gnome, "wayland", "wayland", false, true, LayerRoute::StillPicture},
        // KDE Plasma: KWin announces the layer shell; the XWayland window where X answers, so
        // that the layer can go over plasmashell's icons or under them; else the layer shell.
        {DesktopKind::Kde, "wayland", "wayland", true, true, LayerRoute::XWaylandWindow},
        {DesktopKind::Kde, "", "wayland", true, false, LayerRoute::XWaylandWindow},
        {DesktopKind::Kde, "wayland", "wayland", false, true, LayerRoute::LayerShell},
        {DesktopKind::Kde, "wayland", "wayland", false, false, LayerRoute::StillPicture},
        // wlroots compositors (sway, Hyprland, river, labwc, Wayfire) and others: the
        // background layer where it is announced, even with XWayland; else the still picture.
        {DesktopKind::Wlroots, "wayland", "wayland", true, true, LayerRoute::LayerShell},
        {DesktopKind::Wlroots, "", "xcb", true, true, LayerRoute::LayerShell},
        {DesktopKind::Wlroots, "", "wayland", false, true, LayerRoute::LayerShell},
        {DesktopKind::X11, "wayland", "wayland", true, true, LayerRoute::LayerShell},
        {DesktopKind::Xfce, "wayland", "wayland", true, true, LayerRoute::LayerShell},
        {DesktopKind::Wlroots, "wayland", "wayland", true, false, LayerRoute::StillPicture},
        {DesktopKind::Wlroots, "", "xcb", true, false, LayerRoute::StillPicture},
        {DesktopKind::Xfce, "wayland", "wayland", true, false, LayerRoute::StillPicture},
        {DesktopKind::X11, "wayland", "wayland", true, false, LayerRoute::StillPicture},
        // An X11 session never takes a compositor's layer.
        {DesktopKind::X11, "x11", "xcb", true, true, LayerRoute::X11Window},
    };
    for (const Row& row : rows) {
        const LayerRouteSituation situation{row.desktop, row.session, row.platform, row.x11, row.layerShell};
        EXPECT_EQ(LayerRouteName(ChooseLayerRoute(situation)), LayerRouteName(row.expected))
            << DesktopKindName(row.desktop) << " session '" << row.session << "' platform " << row.platform
            << " x11 " << row.x11 << " layer shell " << row.layerShell;
    }
    EXPECT_EQ(LayerPlatformOf(LayerRoute::XWaylandWindow), "xcb");
    EXPECT_EQ(LayerPlatformOf(LayerRoute::X11Window), "xcb");
    EXPECT_EQ(LayerPlatformOf(LayerRoute::StillPicture), "offscreen");
    EXPECT_EQ(LayerPlatformOf(LayerRoute::LayerShell), "offscreen");
    EXPECT_EQ(LayerPlatformOf(LayerRoute::SettingsFile), "");
}

} // namespace
} // namespace ondrix
