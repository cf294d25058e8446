#pragma once

#include "app/AppLayout.h"
#include "language/language.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ondrix {

class Registry;
class FirstRunHook;

inline constexpr const char* kOptionsKey = "SOFTWARE\\Quorvane\\Ondrix2\\Options";
inline constexpr std::uint32_t kDefaultDisplaySlots = 100222;

using DisplaySlotArray = std::array<std::uint8_t, 6>;

// Every setting of the program, read once at start and written once at exit.
struct TOptions
{
    bool FirstRun = false;
    std::vector<TMLang> LanguageList;
    std::string LanguageFileName;
    std::int32_t lvadvSortType = 0;
    std::int32_t lvIListsSortType = 0;
    std::uint8_t state = 0; // 0 desktop themes, 1 image lists
    bool Enabled = true;
    bool ShowAboutWindow = true;
    bool RunAtStartup = true;
    std::uint8_t advChType = 0;
    std::uint8_t advRandOrOrder = 0;
    std::int32_t advMin = 60;
    std::uint8_t AdvSec = 0;
    std::uint8_t ilChType = 0;
    std::uint8_t ilRandOrOrder = 0;
    std::int32_t ilMin = 60;
    std::uint8_t ilSec = 0;
    std::uint8_t ilShowType = 0;
    std::uint8_t ilDisplType = 0;
    std::uint8_t LastPos = 0;
    DisplaySlotArray DisplaySlots{2, 2, 2, 0, 0, 1};
    DisplaySlotArray DisplaySlotsEdit{2, 2, 2, 0, 0, 1};
    std::int32_t ActivePage = 0;
    bool ThemeSound = false;        // the live theme layer plays the movie's sound
    bool ThemePauseCovered = true;  // the live theme layer pauses under a covering window
    bool ThemePauseBattery = false; // the live theme layer pauses while on battery
    bool ThemeOverIcons = false;    // live over a desktop's own icon window, not a still picture
    bool FitEachMonitor = false;    // pictures are placed on every monitor, not once across all

    // Beside the record: the application folder (the user's files), the folders of the
    // program's read-only files (see AppLayout.h; all three the same in a portable folder), the
    // current items and the web links.
    std::string AppDir;
    std::string DataDir; // Languages, Help
    std::string LibDir;  // ondrix-layer, ruffle
    // The read-only folders, AppDir where they were not set (a portable folder).
    const std::string& DataFolder() const { return DataDir.empty() ? AppDir : DataDir; }
    const std::string& LibFolder() const { return LibDir.empty() ? AppDir : LibDir; }
    std::string cadvTheme;
    std::string cIList;
    std::string cImg;
    std::array<std::string, 5> Links;
};

// Digit k of the decimal number (units first) is the display mode of size class k; digits
// above the sixth are lost.
DisplaySlotArray UnpackDisplaySlots(std::uint32_t packed);
std::uint32_t PackDisplaySlots(const DisplaySlotArray& slots);

// Fills the options: the folders, the language list of DataDir/Languages, the registry values
// (defaults for the absent ones), the first-run list and hook call, and the links of
// links.ini. Throws FileError when the first-run list cannot be written. When the settings
// file was damaged (settingsDamaged), a first run that follows from the loss keeps a first-run
// list that is already there: it may hold the user's own entries.
void LoadOptions(TOptions& options, const AppLayout& layout, const Registry& registry, FirstRunHook& hook,
                 bool settingsDamaged = false);
// The same for a portable folder: every file in appDir.
void LoadOptions(TOptions& options, const std::string& appDir, const Registry& registry, FirstRunHook& hook,
                 bool settingsDamaged = false);

// Writes every stored value back into the options key, firstrun included.
void SaveOptions(const TOptions& options, Registry& registry);

// Interval of a change timer in milliseconds.
inline std::int64_t ChangeInterval(std::int32_t minutes, std::uint8_t seconds)
{
    return std::int64_t{minutes} * 60000 + std::int64_t{seconds} * 1000;
}

} // namespace ondrix
