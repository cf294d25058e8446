#pragma once

#include "platform/DesktopDetection.h"
#include "platform/DesktopWallpaper.h"
#include "platform/ScreenInfo.h"

#include <memory>

namespace ondrix {

class CommandRunner;
class PictureFiles;
class Registry;

// The wallpaper backend of a desktop. pictures serves the bare X11 backend, which draws the
// picture itself, and with screen lets the GNOME family span a desktop-sized picture over all
// monitors. Throws PlatformError when the backend cannot reach its desktop (no X display).
std::unique_ptr<DesktopWallpaper> MakeDesktopWallpaper(DesktopKind kind, Registry& registry,
                                                       CommandRunner& runner, PictureFiles& pictures,
                                                       const ScreenInfo* screen = nullptr);

// ONDRIX_SCREEN gives a fixed size (a malformed one 1024x768); so does the file backend
// without it; a DISPLAY means the X root window; otherwise nullptr: the toolkit's screens.
std::unique_ptr<ScreenInfo> MakeScreenInfo(const DesktopEnvironment& env);

} // namespace ondrix
