#include "DesktopWallpaperFactory.h"

#include "GsettingsDesktopWallpaper.h"
#include "KdeDesktopWallpaper.h"
#include "WlrootsDesktopWallpaper.h"
#include "X11RootWallpaper.h"
#include "X11ScreenInfo.h"
#include "XfceDesktopWallpaper.h"
#include "core/Errors.h"
#include "platform/FileDesktopWallpaper.h"

namespace ondrix {

namespace {

constexpr DesktopSize kHeadlessSize{1024, 768};

} // namespace

std::unique_ptr<DesktopWallpaper> MakeDesktopWallpaper(DesktopKind kind, Registry& registry,
                                                       CommandRunner& runner, PictureFiles& pictures,
                                                       const ScreenInfo* screen)
{
    switch (kind) {
    case DesktopKind::Gnome:
        return std::make_unique<GsettingsDesktopWallpaper>(GnomeScheme(), runner, &pictures, screen);
    case DesktopKind::Cinnamon:
        return std::make_unique<GsettingsDesktopWallpaper>(CinnamonScheme(), runner, &pictures, screen);
    case DesktopKind::Mate:
        return std::make_unique<GsettingsDesktopWallpaper>(MateScheme(), runner, &pictures, screen);
    case DesktopKind::Xfce:
        return std::make_unique<XfceDesktopWallpaper>(runner, &pictures, screen);
    case DesktopKind::Kde:
        return std::make_unique<KdeDesktopWallpaper>(runner);
    case DesktopKind::Wlroots: {
        const auto swaySock = DesktopEnvironment::FromProcess().swaySock;
        return std::make_unique<WlrootsDesktopWallpaper>(runner, swaySock && !swaySock->empty(),
                                                         std::make_unique<PosixChildProcesses>(), &pictures);
    }
    case DesktopKind::X11:
        return std::make_unique<X11RootWallpaper>(pictures);
    case DesktopKind::File:
        break;
    }
    return std::make_unique<FileDesktopWallpaper>(registry);
}

std::unique_ptr<ScreenInfo> MakeScreenInfo(const DesktopEnvironment& env)
{
    if (env.ondrixScreen && !env.ondrixScreen->empty())
        return std::make_unique<FixedScreenInfo>(ParseDesktopSize(*env.ondrixScreen).value_or(kHeadlessSize));
    if (DetectDesktop(env) == DesktopKind::File)
        return std::make_unique<FixedScreenInfo>(kHeadlessSize);
    if (env.display && !env.display->empty()) {
        try {
            return std::make_unique<X11ScreenInfo>(*env.display);
        } catch (const PlatformError&) {
            // An X server that cannot be reached leaves the toolkit's screens.
        }
    }
    return nullptr;
}

} // namespace ondrix
