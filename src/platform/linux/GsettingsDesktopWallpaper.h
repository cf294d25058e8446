#pragma once

#include "platform/DesktopWallpaper.h"

#include <string>
#include <vector>

namespace ondrix {

class CommandRunner;
class PictureFiles;
class ScreenInfo;

// Where a desktop of the GNOME family keeps its wallpaper in gsettings.
struct GsettingsScheme
{
    std::string name;                     // the backend's name
    std::string desktop;                  // the desktop's name for messages
    std::string schema;                   // e.g. org.gnome.desktop.background
    std::vector<std::string> pictureKeys; // keys that take the picture (those the schema has)
    bool pictureAsUri = true;             // file:// URIs, or plain paths
    std::vector<std::string> savedKeys;   // keys SaveState keeps exactly
    // picture-options offers "none" (MATE's does not: there an empty picture key means none).
    bool noneOption = true;
};

GsettingsScheme GnomeScheme();
GsettingsScheme CinnamonScheme();
GsettingsScheme MateScheme();

// The wallpaper of GNOME, Cinnamon and MATE through the gsettings tool.
class GsettingsDesktopWallpaper final : public DesktopWallpaper
{
public:
    // pictures and screen are optional; with both, a picture as large as the whole desktop is
    // spanned over all monitors instead of centred on each.
    GsettingsDesktopWallpaper(GsettingsScheme scheme, CommandRunner& runner, PictureFiles* pictures = nullptr,
                              const ScreenInfo* screen = nullptr);

    Values Read() override;
    void Write(const Values& values) override;
    std::string Name() const override { return m_scheme.name; }
    std::string SaveState() override;
    void RestoreState(const std::string& state) override;

private:
    void EnsureAvailable();
    bool HasKey(const std::string& key) const;
    std::string Get(const std::string& key);
    void Set(const std::string& key, const std::string& value);

    GsettingsScheme m_scheme;
    CommandRunner& m_runner;
    PictureFiles* m_pictures;
    const ScreenInfo* m_screen;
    bool m_checked = false;
    std::vector<std::string> m_keys;
};

} // namespace ondrix
