#pragma once

#include "platform/DesktopWallpaper.h"

#include <optional>
#include <string>
#include <vector>

namespace ondrix {

class CommandRunner;
class PictureFiles;
class ScreenInfo;

// The XFCE wallpaper through xfconf-query: "last-image" and "image-style" of every monitor and
// workspace of the xfce4-desktop channel. xfdesktop centres a picture on each monitor; one of
// the desktop's size on several monitors (a stretched one, or one fitted to each monitor) is
// shown spanning the screens instead, so that each monitor shows its own part. Without pictures
// and screen every picture is centred.
class XfceDesktopWallpaper final : public DesktopWallpaper
{
public:
    explicit XfceDesktopWallpaper(CommandRunner& runner, PictureFiles* pictures = nullptr,
                                  const ScreenInfo* screen = nullptr)
        : m_runner(runner), m_pictures(pictures), m_screen(screen)
    {
    }

    Values Read() override;
    void Write(const Values& values) override;
    std::string Name() const override { return "xfce"; }
    std::string SaveState() override;
    void RestoreState(const std::string& state) override;

private:
    void EnsureAvailable();
    std::string List();
    std::optional<std::string> Get(const std::string& property);
    void Run(const std::vector<std::string>& argv);
    // The workspace prefixes to write: those that exist, else workspace 0 of every known
    // monitor, else monitor0/workspace0.
    std::vector<std::string> TargetPrefixes(const std::string& listing);

    // Whether the picture at path is the desktop's size on several monitors (or on one that
    // does not cover the desktop).
    bool SpansMonitors(const std::string& path) const;

    CommandRunner& m_runner;
    PictureFiles* m_pictures;
    const ScreenInfo* m_screen;
    bool m_checked = false;
};

// The state text of XFCE: one line per property, "S" (string) or "I" (int), the property and
// its value, with backslashes and line breaks escaped.
std::string EscapeStateField(const std::string& text);
std::string UnescapeStateField(const std::string& text);

} // namespace ondrix
