#pragma once

#include "platform/DesktopDetection.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

// The decisions of the live theme layer, as plain functions over plain data.

// The URL scheme and host that serve a theme's page and the player files, and the folder of
// the player files inside that host. Nothing else is ever loaded by a theme page.
inline constexpr const char* kThemeScheme = "ondrix-theme";
inline constexpr const char* kThemeHost = "theme";
inline constexpr const char* kPlayerPrefix = "/.ondrix-player/";

// How a theme is shown on this desktop.
enum class ThemeLayerKind
{
    SettingsFile, // recorded in the settings file only (no desktop, tests)
    LiveWindow,   // a web view in a desktop-type window below every other window
    StillPicture, // the page rendered once, offscreen, and set as the picture wallpaper
};

// "live", "still", "file": for messages and logs.
std::string ThemeLayerKindName(ThemeLayerKind kind);

// The folder a start page's theme was unpacked into: the first folder below workRoot on the way
// to startPage (a page may sit in a sub-folder of its theme and refer upwards). A start page
// outside workRoot has its own folder as the theme folder.
std::filesystem::path ThemeRootOf(const std::filesystem::path& workRoot,
                                  const std::filesystem::path& startPage);

// The file a request path of the theme host stands for (the URL's path, percent-decoding done),
// or nothing when it must not be served: paths under kPlayerPrefix are looked up in playerRoot,
// all others in themeRoot. Refused: an empty, absolute or NUL-holding remainder, any ".."
// component, a file that does not exist or is no regular file, and any path whose canonical
// form (symbolic links followed) leaves its root.
std::optional<std::filesystem::path> ResolveThemeFile(const std::filesystem::path& themeRoot,
                                                      const std::filesystem::path& playerRoot,
                                                      std::string_view requestPath);

// The MIME type a theme file is served with, from its extension (any case).
std::string ThemeMimeType(std::string_view path);

// The path of the theme host for a start page below themeRoot ("/index.htm"), each component
// kept as it stands; the caller percent-encodes it into a URL.
std::string ThemeRequestPath(const std::filesystem::path& themeRoot, const std::filesystem::path& startPage);

// A window of the window manager's client list, as far as covering the desktop goes.
struct ClientWindow
{
    bool desktopType = false; // another desktop window (an icon window) covers nothing
    bool fullScreen = false;
    bool maximizedHorz = false;
    bool maximizedVert = false;
    bool hidden = false; // minimised
    bool onCurrentWorkspace = true;
};

// Whether the desktop is out of sight: some shown window of the current workspace is full screen
// or maximised both ways. The live movie is paused while it is.
bool DesktopCovered(const std::vector<ClientWindow>& clients);

struct RenderingSituation
{
    bool userChoseRenderer = false; // QT_QUICK_BACKEND or QSG_RHI_BACKEND set by the user
    bool gpuRenderNode = false;     // a /dev/dri/renderD* node is there
    std::string qtPlatform;         // QT_QPA_PLATFORM, empty when unset
};

// Whether a GPU render node (/dev/dri/renderD*) is there.
bool GpuRenderNodePresent();

// Whether the web view should draw in software: where no GPU is usable (no render node, or the
// offscreen platform) unless the user chose a renderer. Software drawing is both the one that
// works there and the cheaper one.
bool UseSoftwareRendering(const RenderingSituation& situation);

} // namespace ondrix
