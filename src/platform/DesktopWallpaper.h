#pragma once

#include <string>

namespace ondrix {

// The desktop's wallpaper settings. The program speaks in two values: "Wallpaper" (the path
// of the bitmap, empty for none) and "TileWallpaper" ("1" tiled, "0" not; a picture that is
// not tiled is centred, and a stretched one already has the desktop's size).
class DesktopWallpaper
{
public:
    struct Values
    {
        std::string wallpaper;
        std::string tileWallpaper;
        friend bool operator==(const Values&, const Values&) = default;
    };

    virtual ~DesktopWallpaper() = default;

    // The two values as they stand now.
    virtual Values Read() = 0;
    // Writes both values and makes the desktop show them; throws PlatformError when the
    // desktop did not take them.
    virtual void Write(const Values& values) = 0;
    // The backend's name, as ONDRIX_DESKTOP names it.
    virtual std::string Name() const = 0;

    // Everything the desktop keeps about its wallpaper, so that RestoreState can bring back
    // exactly what the user had (modes the two values cannot express included). The text is
    // the backend's own; by default it is the two values.
    virtual std::string SaveState();
    virtual void RestoreState(const std::string& state);
};

} // namespace ondrix
