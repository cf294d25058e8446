#include "ThemeLayerFactory.h"

#include "LayerClient.h"
#include "layer/WaylandGlobals.h"
#include "platform/FileActiveDesktop.h"

#include <QGuiApplication>

#include <filesystem>

namespace ondrix {

ThemeLayer MakeThemeLayer(const DesktopEnvironment& environment, const std::string& desktopName,
                          DesktopWallpaper& pictures, Registry& registry, const std::string& appDir,
                          std::function<DesktopSize()> desktopSize, bool x11Reachable,
                          const std::string& layerProgram, const std::string& playerRoot)
{
    LayerRouteSituation situation;
    situation.desktop = DesktopKindFromName(desktopName).value_or(DesktopKind::X11);
    situation.sessionType = environment.xdgSessionType.value_or("");
    situation.ondrixPlatform = QGuiApplication::platformName().toStdString();
    situation.x11Reachable = x11Reachable;
    // One round trip to the session's compositor, where there is one.
    situation.layerShell = environment.waylandDisplay.has_value() && WaylandAnnounces("zwlr_layer_shell_v1");

    ThemeLayer made;
    made.route = ChooseLayerRoute(situation);
    if (made.route == LayerRoute::SettingsFile) {
        made.layer = std::make_unique<FileActiveDesktop>(registry);
        return made;
    }
    const std::filesystem::path app(appDir);
    LayerClient::Settings settings;
    settings.program = layerProgram;
    settings.route = made.route;
    settings.workRoot = (app / "advThemes_" / "WorkDir").string();
    settings.playerRoot = playerRoot;
    settings.stillPicture = (app / "imgLists" / "WorkDir" / "wallpaper.bmp").string();
    auto client = std::make_unique<LayerClient>(settings, std::move(desktopSize), &pictures);
    made.client = client.get();
    made.layer = std::move(client);
    return made;
}

} // namespace ondrix
