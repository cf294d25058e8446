#pragma once

#include "platform/DesktopWallpaper.h"

#include <functional>
#include <string>

namespace ondrix {

struct TOptions;
class TRAgent;

// Turns a picture file into the desktop wallpaper: decodes it, fits it to the desktop by its
// display mode, writes the work file AppDir/imgLists/WorkDir/wallpaper.bmp and points the
// desktop at it. Also keeps the user's own wallpaper from start to exit.
class WallpaperSetter
{
public:
    WallpaperSetter(const TOptions& options, TRAgent& agent, DesktopWallpaper& desktop);

    // Makes the picture at path the wallpaper; an empty path removes the wallpaper picture.
    // ".JPG" and ".JPEG" (any letter case) are read as JPEG, everything else as BMP. A picture
    // that cannot be read throws (FileError, DecodeError) and leaves the desktop values and
    // the work file as they were. path may be the work file itself.
    void SetWallpaper(const std::string& path);

    // Remembers the desktop's wallpaper as the user had it, once at start.
    void SaveUserWallpaper();
    // Switches the Active Desktop off and puts the remembered wallpaper back, once at exit.
    void RestoreUserWallpaper();

    const std::string& SavedWallpaper() const { return m_savedWallpaper; }
    const std::string& SavedTileWallpaper() const { return m_savedTileWallpaper; }
    std::string WorkFilePath() const;

    // Switches the Active Desktop off; run first by RestoreUserWallpaper when set.
    std::function<void()> disableActiveDesktop;

private:
    const TOptions& m_options;
    TRAgent& m_agent;
    DesktopWallpaper& m_desktop;
    std::string m_savedWallpaper;
    std::string m_savedTileWallpaper;
    std::string m_savedState;
    bool m_saved = false;
};

} // namespace ondrix
