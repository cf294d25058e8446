#pragma once

#include "platform/DesktopWallpaper.h"

#include <functional>
#include <string>

namespace ondrix {

struct TOptions;
class TRAgent;
class Registry;
class Bitmap;

// Turns a picture file into the desktop wallpaper: decodes it, fits it to the desktop by its
// display mode, writes the work file AppDir/imgLists/WorkDir/wallpaper.bmp and points the
// desktop at it. Also keeps the user's own wallpaper from start to exit.
class WallpaperSetter
{
public:
    WallpaperSetter(const TOptions& options, TRAgent& agent, DesktopWallpaper& desktop);

    // Makes the picture at path the wallpaper; an empty path removes the wallpaper picture.
    // With FitEachMonitor on several monitors, the work file is the desktop's size with the
    // picture placed on every monitor by the display mode (see FitToMonitors).
    // ".JPG" and ".JPEG" (any letter case) are read as JPEG, ".PNG" as PNG, ".WEBP" as WebP,
    // everything else as BMP. A picture
    // that cannot be read throws (FileError, DecodeError) and leaves the desktop values and
    // the work file as they were. path may be the work file itself.
    void SetWallpaper(const std::string& path);

    // Remembers the desktop's wallpaper as the user had it, once at start. With a keeper the
    // values are also kept there until a clean exit, and a start after a crash takes them
    // from there rather than from the desktop, which then shows this program's picture.
    // When the desktop cannot be read the error is thrown and the setter leaves the
    // desktop alone from then on: values that were never read are never written back.
    void SaveUserWallpaper();
    // Switches the Active Desktop off and puts the remembered wallpaper back, once at exit;
    // then the keeper forgets the values.
    void RestoreUserWallpaper();

    // Where the values read at start are kept across a crash (a registry of its own).
    void SetKeeper(Registry* keeper) { m_keeper = keeper; }
    // False after a failed read at start: the desktop is not touched in this session.
    bool TouchesDesktop() const { return !m_readFailed; }

    const std::string& SavedWallpaper() const { return m_savedWallpaper; }
    const std::string& SavedTileWallpaper() const { return m_savedTileWallpaper; }
    std::string WorkFilePath() const;

    // Switches the Active Desktop off; run first by RestoreUserWallpaper when set.
    std::function<void()> disableActiveDesktop;

private:
    void WriteWorkFile(const Bitmap& picture, const std::string& tileWallpaper);

    const TOptions& m_options;
    TRAgent& m_agent;
    DesktopWallpaper& m_desktop;
    std::string m_savedWallpaper;
    std::string m_savedTileWallpaper;
    std::string m_savedState;
    bool m_saved = false;
    bool m_readFailed = false;
    Registry* m_keeper = nullptr;
};

} // namespace ondrix
