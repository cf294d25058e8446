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
        LayerRoute expected;
    };
    const Row rows[] = {
        // The settings file and the offscreen platform, whatever else holds.
        {DesktopKind::File, "x11", "xcb", true, LayerRoute::SettingsFile},
        {DesktopKind::File, "wayland", "offscreen", false, LayerRoute::SettingsFile},
        {DesktopKind::X11, "", "offscreen", false, LayerRoute::Offscreen},
        {DesktopKind::Gnome, "wayland", "offscreen", true, LayerRoute::Offscreen},
        // X11 sessions: the desktop window where the server answers.
        {DesktopKind::X11, "x11", "xcb", true, LayerRoute::X11Window},
        {DesktopKind::X11, "", "xcb", true, LayerRoute::X11Window},
        {DesktopKind::Xfce, "x11", "xcb", true, LayerRoute::X11Window},
        {DesktopKind::Mate, "x11", "xcb", true, LayerRoute::X11Window},
        {DesktopKind::Cinnamon, "x11", "xcb", true, LayerRoute::X11Window},
        {DesktopKind::Kde, "x11", "xcb", true, LayerRoute::X11Window},
        {DesktopKind::X11, "x11", "xcb", false, LayerRoute::StillPicture},
        // GNOME and KDE Plasma on Wayland, Ondrix a Wayland client or on XWayland itself.
        {DesktopKind::Gnome, "wayland", "wayland", true, LayerRoute::XWaylandWindow},
        {DesktopKind::Gnome, "wayland", "xcb", true, LayerRoute::XWaylandWindow},
        {DesktopKind::Kde, "wayland", "wayland", true, LayerRoute::XWaylandWindow},
        {DesktopKind::Kde, "", "wayland", true, LayerRoute::XWaylandWindow},
        {DesktopKind::Gnome, "wayland", "wayland", false, LayerRoute::StillPicture},
        {DesktopKind::Kde, "wayland", "wayland", false, LayerRoute::StillPicture},
        // Other Wayland desktops keep no X window below the others.
        {DesktopKind::Wlroots, "wayland", "wayland", true, LayerRoute::StillPicture},
        {DesktopKind::Wlroots, "", "xcb", true, LayerRoute::StillPicture},
        {DesktopKind::Xfce, "wayland", "wayland", true, LayerRoute::StillPicture},
        {DesktopKind::X11, "wayland", "wayland", true, LayerRoute::StillPicture},
    };
    for (const Row& row : rows) {
        const LayerRouteSituation situation{row.desktop, row.session, row.platform, row.x11};
        EXPECT_EQ(LayerRouteName(ChooseLayerRoute(situation)), LayerRouteName(row.expected))
            << DesktopKindName(row.desktop) << " session '" << row.session << "' platform " << row.platform
            << " x11 " << row.x11;
    }
    EXPECT_EQ(LayerPlatformOf(LayerRoute::XWaylandWindow), "xcb");
    EXPECT_EQ(LayerPlatformOf(LayerRoute::X11Window), "xcb");
    EXPECT_EQ(LayerPlatformOf(LayerRoute::StillPicture), "offscreen");
    EXPECT_EQ(LayerPlatformOf(LayerRoute::SettingsFile), "");
}

} // namespace
} // namespace ondrix
