#pragma once

#include "platform/ScreenInfo.h"
#include "themes/ZipArchive.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ondrix {

class Clock;
class IniFile;

// Listing information of a package: the [Style] index modulo 256 (255 for a legacy package,
// whose "theme.cfg" has no [Style] key) and the theme name.
struct TThemeInfo
{
    std::uint8_t Style = 255;
    std::string Name;
};

// Placement and look of the movie in the Flash object fragment.
struct TFlashOptions
{
    double Width = 100;  // percent of the screen width
    double Height = 100; // percent of the screen height
    std::int32_t Quality = 2;
    std::string BgColor; // empty or "000000" for none
};

// The values the Flash object fragment is written from; the name "js" selects the script form.
struct tTheme
{
    std::string Name;
    std::string Author;
    std::string Description;
    TFlashOptions FlashOptions;
};

// Where the script form puts the movie: its placeholder's left and top offsets in percent of
// the placement preview, already rounded.
struct FlashPosition
{
    int Left = 0;
    int Top = 0;
};

inline constexpr std::array<const char*, 6> FlashQualityNames{"low",    "autolow", "autohigh",
                                                              "medium", "high",    "best"};

// What every package operation needs from the program: the application folder, the tick
// count that names work folders and temporary files, the screen size the fixed form of the
// Flash fragment is computed for, and the bounds of an unpack.
struct ThemeEnvironment
{
    std::string AppDir;
    std::string DataDir; // the program's read-only files (help); AppDir when empty
    const Clock* clock = nullptr;
    std::function<DesktopSize()> screenSize;
    ZipLimits limits;

    std::string StoreFolder() const;   // AppDir/advThemes_
    std::string RecycleFolder() const; // AppDir/advThemes_/Recycled
    std::string WorkFolder() const;    // AppDir/advThemes_/WorkDir
    std::uint32_t Tick() const;
};

// The largest "theme.cfg" a package may hold; a bigger one is refused as damaged.
inline constexpr std::uint64_t kMaxThemeCfgBytes = 1024 * 1024;

// To the nearest integer, halves to the even neighbour.
long long RoundHalfEven(double value);

// At most four significant digits, no trailing zeros, plain digits for whole numbers below
// 10000, scientific form ("1.235E+4") for larger ones and those below 0.00001.
std::string FormatGeneral(double value);

// An integer value of a theme description: decimal, or hexadecimal after "0x" or "$", with an
// optional sign; anything else, and a number outside 32 bits, reads as fallback.
std::int32_t ParseIniInteger(std::string_view text, std::int32_t fallback);
std::int32_t ReadIniInteger(const IniFile& ini, std::string_view section, std::string_view key,
                            std::int32_t fallback);

// Whether the INI text has a section of this name (any letter case) with at least one key.
bool SectionHasKeys(std::string_view iniText, std::string_view section);

// The INI text with section/key set to value, as the private-profile writer does: the first
// line of that key in the section is replaced, a missing key is added at the end of its
// section, a missing section is appended. Everything else stays as it was. CR LF line ends.
std::string SetIniValue(std::string_view iniText, std::string_view section, std::string_view key,
                        std::string_view value);

// Appends the lines of the Flash object fragment, each ended by CR LF.
void WriteFlashObject(std::string& out, const tTheme& theme, const std::string& movie, DesktopSize screen,
                      FlashPosition position = {});

// Lists a package: false when it has no "theme.cfg" or an empty one. The member is copied to
// a visible AppDir/advThemes_/Recycled/<tick>.tmp while it is read, and removed afterwards.
// Throws FileError or ArchiveError when the package cannot be read.
bool ReadThemeInfo(const ThemeEnvironment& env, const std::string& packagePath, TThemeInfo& info);
// The "theme.cfg" of a package read that way; nothing when it is absent or empty.
std::optional<std::string> ReadThemeCfg(const ThemeEnvironment& env, const std::string& packagePath);
// The same for a "theme.cfg" already read.
TThemeInfo ThemeInfoOf(std::string_view themeCfg);

// Turns a legacy package into a current one at its own path: unpacks it into a new work
// folder, edits its "theme.cfg", writes "ondrix.htm" and rebuilds the package from exactly
// "theme.cfg", "ondrix.htm", the style sheet and the movie. The rebuild is written beside
// the package and renamed over it, so a failed rebuild leaves the package as it was.
// Returns false when the rebuild failed (a member missing, a name that leaves the work
// folder, a write failure); the unpacking's errors are thrown.
bool ConvertLegacyTheme(const ThemeEnvironment& env, const std::string& packagePath);

// A new work folder AppDir/advThemes_/WorkDir/<tick> (the next free tick when that one is
// taken) with the package unpacked into it; returns the folder. A refused package leaves
// no folder behind.
std::string UnpackTheme(const ThemeEnvironment& env, const std::string& packagePath);

// The start page of a theme unpacked into workFolder: the folder followed by [Files] startup
// of its "theme.cfg", "\ondrix.htm" when that is empty or absent.
std::string StartPageOf(const std::string& workFolder);

} // namespace ondrix
