#include "GsettingsDesktopWallpaper.h"

#include "DesktopCommands.h"
#include "core/Errors.h"
#include "platform/CommandRunner.h"
#include "platform/PictureFiles.h"

#include <algorithm>
#include <sstream>

namespace ondrix {

namespace {

constexpr const char* kStateHeader = "gsettings";
constexpr const char* kOptionsKey = "picture-options";
// A state line "!reset<TAB>key": the user never set the key (no key has this name).
constexpr const char* kResetMark = "!reset";

std::string TrimmedOutput(const std::string& out)
{
    auto end = out.find_last_not_of(" \t\r\n");
    return end == std::string::npos ? std::string() : out.substr(0, end + 1);
}

} // namespace

GsettingsScheme GnomeScheme()
{
    return {"gnome",
            "GNOME",
            "org.gnome.desktop.background",
            {"picture-uri", "picture-uri-dark"},
            true,
            {"picture-uri", "picture-uri-dark", "picture-options", "primary-color"}};
}

GsettingsScheme CinnamonScheme()
{
    return {"cinnamon",      "Cinnamon", "org.cinnamon.desktop.background",
            {"picture-uri"}, true,       {"picture-uri", "picture-options", "primary-color"}};
}

GsettingsScheme MateScheme()
{
    return {"mate",
            "MATE",
            "org.mate.background",
            {"picture-filename"},
            false,
            {"picture-filename", "picture-options", "primary-color"},
            false};
}

GsettingsDesktopWallpaper::GsettingsDesktopWallpaper(GsettingsScheme scheme, CommandRunner& runner,
                                                     PictureFiles* pictures, const ScreenInfo* screen)
    : m_scheme(std::move(scheme)), m_runner(runner), m_pictures(pictures), m_screen(screen)
{
}

void GsettingsDesktopWallpaper::EnsureAvailable()
{
    if (m_checked)
        return;
    if (!m_runner.IsInstalled("gsettings"))
        throw PlatformError("The program gsettings is not installed; it is needed to set the " +
                            m_scheme.desktop + " wallpaper (Debian package libglib2.0-bin)");
    const auto result = m_runner.Run(GsettingsListKeys(m_scheme.schema));
    if (result.exitCode != 0)
        throw PlatformError("The settings schema " + m_scheme.schema + " of the " + m_scheme.desktop +
                            " desktop is not installed: " + TrimmedOutput(result.err));
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        line = TrimmedOutput(line);
        if (!line.empty())
            m_keys.push_back(line);
    }
    if (!HasKey(m_scheme.pictureKeys.front()) || !HasKey(kOptionsKey))
        throw PlatformError("The settings schema " + m_scheme.schema + " has no key " +
                            m_scheme.pictureKeys.front() + " or " + kOptionsKey);
    m_checked = true;
}

bool GsettingsDesktopWallpaper::HasKey(const std::string& key) const
{
    return std::find(m_keys.begin(), m_keys.end(), key) != m_keys.end();
}

std::string GsettingsDesktopWallpaper::Get(const std::string& key)
{
    const auto result = m_runner.Run(GsettingsGet(m_scheme.schema, key));
    if (result.exitCode != 0)
        throw PlatformError("Cannot read " + m_scheme.schema + " " + key + ": " + TrimmedOutput(result.err));
    return TrimmedOutput(result.out);
}

void GsettingsDesktopWallpaper::Set(const std::string& key, const std::string& value)
{
    const auto result = m_runner.Run(GsettingsSet(m_scheme.schema, key, value));
    if (result.exitCode != 0)
        throw PlatformError("Cannot set " + m_scheme.schema + " " + key + ": " + TrimmedOutput(result.err));
}

DesktopWallpaper::Values GsettingsDesktopWallpaper::Read()
{
    EnsureAvailable();
    const std::string picture = ParseGVariantString(Get(m_scheme.pictureKeys.front()));
    const std::string options = ParseGVariantString(Get(kOptionsKey));
    Values values;
    if (options != "none")
        values.wallpaper = m_scheme.pictureAsUri ? PathFromUri(picture) : picture;
    values.tileWallpaper = options == "wallpaper" ? "1" : "0";
    return values;
}

void GsettingsDesktopWallpaper::Write(const Values& values)
{
    EnsureAvailable();
    const bool empty = values.wallpaper.empty();
    const bool tiled = values.tileWallpaper == "1";
    std::optional<DesktopSize> pictureSize, desktopSize;
    if (!empty && !tiled && m_pictures != nullptr && m_screen != nullptr) {
        pictureSize = m_pictures->SizeOf(values.wallpaper);
        desktopSize = m_screen->CurrentDesktopSize();
    }
    const std::string options = GsettingsPictureOptions(empty, tiled, pictureSize, desktopSize);

    const std::string pictureKey = m_scheme.pictureKeys.front();
    // Where picture-options has no "none" (MATE), an empty picture key is what shows no picture.
    const auto pictureOff = [&] {
        if (m_scheme.noneOption) {
            Set(kOptionsKey, GVariantString("none"));
        } else {
            for (const auto& key : m_scheme.pictureKeys)
                if (HasKey(key))
                    Set(key, GVariantString(""));
        }
    };
    if (!empty) {
        const std::string picture = m_scheme.pictureAsUri ? FileUri(values.wallpaper) : values.wallpaper;
        // The program always writes the same work file, so the picture key often keeps its value
        // and the desktop would see no change and keep showing the old picture. Switching the
        // picture off for a moment is a change every desktop of the family reacts to by
        // dropping the picture, and the final write makes it load the file afresh. (A changing
        // "#fragment" on the URI is not used: Cinnamon and MATE pass the value to
        // g_filename_from_uri, which refuses a URI with a fragment.)
        if (ParseGVariantString(Get(pictureKey)) == picture)
            pictureOff();
        for (const auto& key : m_scheme.pictureKeys) {
            if (HasKey(key))
                Set(key, GVariantString(picture));
        }
        Set(kOptionsKey, GVariantString(options));
    } else {
        pictureOff();
    }

    const Values now = Read();
    const std::string shownOptions = ParseGVariantString(Get(kOptionsKey));
    const bool optionsTaken = (empty && !m_scheme.noneOption) || shownOptions == options;
    if (now.wallpaper != (empty ? std::string() : values.wallpaper) || !optionsTaken)
        throw PlatformError("The " + m_scheme.desktop + " desktop did not take the wallpaper: " +
                            m_scheme.schema + " still shows \"" + now.wallpaper + "\" with " + kOptionsKey +
                            " " + shownOptions + " (is the settings service dconf running?)");
}

std::string GsettingsDesktopWallpaper::SaveState()
{
    EnsureAvailable();
    // gsettings prints each value as one line of GVariant text, which it takes back as it is.
    // A key that holds its default is most likely one the user never set: it is reset at
    // exit rather than written, so that it goes on following the desktop's default (a new
    // default picture of the distribution, say) instead of being pinned to today's.
    std::string state = std::string(kStateHeader) + "\n";
    for (const auto& key : m_scheme.savedKeys) {
        if (!HasKey(key))
            continue;
        const std::string value = Get(key);
        const auto fallback = m_runner.Run(GsettingsGetDefault(m_scheme.schema, key));
        if (fallback.exitCode == 0 && TrimmedOutput(fallback.out) == value)
            state += std::string(kResetMark) + "\t" + key + "\n";
        else
            state += key + "\t" + value + "\n";
    }
    return state;
}

void GsettingsDesktopWallpaper::RestoreState(const std::string& state)
{
    std::istringstream lines(state);
    std::string line;
    if (!std::getline(lines, line) || line != kStateHeader) {
        DesktopWallpaper::RestoreState(state);
        return;
    }
    EnsureAvailable();
    while (std::getline(lines, line)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const std::string key = line.substr(0, tab);
        if (key == kResetMark) {
            const std::string resetKey = line.substr(tab + 1);
            if (!HasKey(resetKey))
                continue;
            const auto result = m_runner.Run(GsettingsReset(m_scheme.schema, resetKey));
            if (result.exitCode != 0)
                throw PlatformError("Cannot reset " + m_scheme.schema + " " + resetKey + ": " +
                                    TrimmedOutput(result.err));
        } else if (HasKey(key)) {
            Set(key, line.substr(tab + 1));
        }
    }
}

} // namespace ondrix
