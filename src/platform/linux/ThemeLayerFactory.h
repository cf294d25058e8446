#pragma once

#include "layer/LayerRoute.h"
#include "platform/ActiveDesktop.h"
#include "platform/DesktopDetection.h"
#include "platform/ScreenInfo.h"

#include <functional>
#include <memory>
#include <string>

namespace ondrix {

class DesktopWallpaper;
class LayerClient;
class Registry;

// The theme layer of this session, made once the application object exists: the settings-file
// layer on the settings-file desktop, else the client of the layer program on the route
// ChooseLayerRoute gives for this desktop, session and display.
struct ThemeLayer
{
    LayerRoute route = LayerRoute::SettingsFile;
    std::unique_ptr<ActiveDesktop> layer;
    LayerClient* client = nullptr; // the same object when it is the layer program's client
};

// desktopName: the picture backend's Name(); pictures: that backend (the still picture's way
// to the desktop); desktopSize: the resolution agent's size; x11Reachable: an X server answers
// at DISPLAY; layerProgram: the full path of ondrix-layer; playerRoot: the player's folder.
ThemeLayer MakeThemeLayer(const DesktopEnvironment& environment, const std::string& desktopName,
                          DesktopWallpaper& pictures, Registry& registry, const std::string& appDir,
                          std::function<DesktopSize()> desktopSize, bool x11Reachable,
                          const std::string& layerProgram, const std::string& playerRoot);

} // namespace ondrix
