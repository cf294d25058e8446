#pragma once

#include "platform/DesktopWallpaper.h"

#include <optional>
#include <string>
#include <vector>

namespace ondrix {

class CommandRunner;

// The XFCE wallpaper through xfconf-query: "last-image" and "image-style" of every monitor and
// workspace of the xfce4-desktop channel.
class XfceDesktopWallpaper final : public DesktopWallpaper
{
public:
    explicit XfceDesktopWallpaper(CommandRunner& runner) : m_runner(runner) {}

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

    CommandRunner& m_runner;
    bool m_checked = false;
};

// The state text of XFCE: one line per property, "S" (string) or "I" (int), the property and
// its value, with backslashes and line breaks escaped.
std::string EscapeStateField(const std::string& text);
std::string UnescapeStateField(const std::string& text);

} // namespace ondrix
