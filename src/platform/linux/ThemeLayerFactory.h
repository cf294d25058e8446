#pragma once

#include "ThemeLayerRules.h"
#include "platform/ActiveDesktop.h"
#include "platform/DesktopDetection.h"
#include "platform/ScreenInfo.h"

#include <functional>
#include <memory>
#include <string>

namespace ondrix {

class DesktopWallpaper;
class Registry;
class WebEngineActiveDesktop;

// The theme layer of this session, made once the application object exists: the settings-file
// layer on the settings-file desktop, else the web view layer, live or as a still picture as
// ChooseThemeLayer says for this desktop, session and platform.
struct ThemeLayer
{
    ThemeLayerKind kind = ThemeLayerKind::SettingsFile;
    std::unique_ptr<ActiveDesktop> layer;
    WebEngineActiveDesktop* webLayer = nullptr; // the same object when it is the web view layer
};

// desktopName: the picture backend's Name(); pictures: that backend (the still picture's way
// to the desktop); desktopSize: the resolution agent's size.
ThemeLayer MakeThemeLayer(const DesktopEnvironment& environment, const std::string& desktopName,
                          DesktopWallpaper& pictures, Registry& registry, const std::string& appDir,
                          std::function<DesktopSize()> desktopSize);

} // namespace ondrix
