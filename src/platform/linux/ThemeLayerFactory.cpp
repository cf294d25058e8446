#include "ThemeLayerFactory.h"

#include "WebEngineActiveDesktop.h"
#include "platform/FileActiveDesktop.h"

#include <QGuiApplication>

namespace ondrix {

ThemeLayer MakeThemeLayer(const DesktopEnvironment& environment, const std::string& desktopName,
                          DesktopWallpaper& pictures, Registry& registry, const std::string& appDir,
                          std::function<DesktopSize()> desktopSize)
{
    const QString platform = QGuiApplication::platformName();
    ThemeLayerSituation situation;
    situation.desktop = DesktopKindFromName(desktopName).value_or(DesktopKind::X11);
    situation.sessionType = environment.xdgSessionType.value_or("");
    situation.qtPlatform = platform.toStdString();
    // Qt on xcb holds a connection to the server of DISPLAY: it answers.
    situation.x11Reachable = platform == QLatin1String("xcb");

    ThemeLayer made;
    made.kind = ChooseThemeLayer(situation);
    if (made.kind == ThemeLayerKind::SettingsFile) {
        made.layer = std::make_unique<FileActiveDesktop>(registry);
        return made;
    }
    WebEngineActiveDesktop::Settings settings;
    settings.kind = made.kind;
    settings.workRoot = std::filesystem::path(appDir) / "advThemes_" / "WorkDir";
    settings.playerRoot = std::filesystem::path(appDir) / "ruffle";
    settings.stillPicture = std::filesystem::path(appDir) / "imgLists" / "WorkDir" / "wallpaper.bmp";
    auto web = std::make_unique<WebEngineActiveDesktop>(settings, std::move(desktopSize), &pictures);
    made.webLayer = web.get();
    made.layer = std::move(web);
    return made;
}

} // namespace ondrix
