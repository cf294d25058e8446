#include "options.h"

#include "core/AtomicFile.h"
#include "core/Errors.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "platform/FirstRunHook.h"
#include "platform/Registry.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace ondrix {

namespace {

constexpr Hive kOptionsHive = Hive::LocalMachine;

// Typed reads of the options key. A value of the other type counts as absent, so it gets
// its default; a missing key makes every value absent.
class OptionsReader
{
public:
    explicit OptionsReader(const Registry& registry)
        : m_registry(registry), m_keyExists(registry.KeyExists(kOptionsHive, kOptionsKey))
    {
    }

    std::string String(const char* name, std::string fallback) const
    {
        if (!m_keyExists)
            return fallback;
        return m_registry.ReadString(kOptionsHive, kOptionsKey, name).value_or(std::move(fallback));
    }

    std::uint32_t Dword(const char* name, std::uint32_t fallback) const
    {
        if (!m_keyExists)
            return fallback;
        return m_registry.ReadDword(kOptionsHive, kOptionsKey, name).value_or(fallback);
    }

    std::int32_t Int(const char* name, std::int32_t fallback) const
    {
        return static_cast<std::int32_t>(Dword(name, static_cast<std::uint32_t>(fallback)));
    }

    // Fields narrower than 32 bits take the low byte of the stored number.
    std::uint8_t Byte(const char* name, std::uint8_t fallback) const
    {
        return static_cast<std::uint8_t>(Dword(name, fallback) & 0xFFu);
    }

    bool Bool(const char* name, bool fallback) const { return Dword(name, fallback ? 1u : 0u) != 0; }

    // Only the presence of the value counts, whatever its type: a first-run marker that
    // was edited into a string must not make the first-run list be written again.
    bool Exists(const char* name) const
    {
        return m_keyExists && (m_registry.ReadDword(kOptionsHive, kOptionsKey, name).has_value() ||
                               m_registry.ReadString(kOptionsHive, kOptionsKey, name).has_value());
    }

private:
    const Registry& m_registry;
    bool m_keyExists;
};

std::string WithoutTrailingSeparator(std::string path)
{
    while (!path.empty() && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    return path;
}

// The image list of the first run: the picture shipped with the program.
void WriteFirstRunList(const std::string& appDir, bool keepExisting)
{
    const std::string listPath = AppPath(appDir, "\\imgLists\\quorvane.lst");
    std::error_code error;
    if (keepExisting && std::filesystem::exists(listPath, error))
        return;
    const std::string line = AppPath(appDir, "\\imgLists\\Quorvane\\ilwallpap.jpg") + "?800*600\r\n";
    // Without the imgLists folder the program cannot run, so the folder is not created here.
    WriteFileAtomically(listPath, line, false);
}

void ReadLinks(TOptions& options)
{
    const IniFile links = IniFile::Load(AppPath(options.AppDir, "\\links.ini"));
    for (std::size_t i = 0; i < options.Links.size(); ++i) {
        std::string link = links.Read("INTERNET_LINKS", "link" + std::to_string(i));
        // A link that begins with a backslash names a page of the application folder, as the
        // help and flag entries of the language files do; the folder may be anywhere.
        options.Links[i] = link.starts_with('\\') ? AppPath(options.DataFolder(), link) : std::move(link);
    }
}

} // namespace

DisplaySlotArray UnpackDisplaySlots(std::uint32_t packed)
{
    // A digit 5..9 is kept as stored: the wallpaper code shows every mode other than
    // 0 to 4 centred, and the digit is written back unchanged.
    DisplaySlotArray slots{};
    for (auto& slot : slots) {
        slot = static_cast<std::uint8_t>(packed % 10);
        packed /= 10;
    }
    return slots;
}

std::uint32_t PackDisplaySlots(const DisplaySlotArray& slots)
{
    std::uint32_t packed = 0;
    for (auto k = slots.size(); k-- > 0;) {
        // A slot above 9 is no digit and would spill into its neighbour; it behaves as
        // centred, so it is stored as centred.
        const std::uint32_t digit = slots[k] <= 9 ? slots[k] : 1;
        packed = packed * 10 + digit;
    }
    return packed;
}

void LoadOptions(TOptions& options, const std::string& appDir, const Registry& registry, FirstRunHook& hook,
                 bool settingsDamaged)
{
    LoadOptions(options, AppLayout{appDir, appDir, appDir, false}, registry, hook, settingsDamaged);
}

void LoadOptions(TOptions& options, const AppLayout& layout, const Registry& registry, FirstRunHook& hook,
                 bool settingsDamaged)
{
    options.AppDir = WithoutTrailingSeparator(layout.appDir);
    options.DataDir = WithoutTrailingSeparator(layout.dataDir);
    options.LibDir = WithoutTrailingSeparator(layout.libDir);
    const std::string& dir = options.AppDir;
    const std::string& data = options.DataDir;

    options.LanguageList.clear();
    ScanLanguages(AppPath(data, "\\Languages"), data, options.LanguageList);

    const OptionsReader read(registry);
    options.LanguageFileName = read.String("LanguageFileName", AppPath(data, "\\Languages\\english.lng"));
    // A language chosen in the other layout (the program moved from its folder to the system,
    // or back) is the same language file here.
    if (std::error_code missing; !std::filesystem::is_regular_file(options.LanguageFileName, missing)) {
        const std::string name = std::filesystem::path(options.LanguageFileName).filename().string();
        const std::string here = AppPath(data, "\\Languages\\" + name);
        if (!name.empty() && std::filesystem::is_regular_file(here, missing))
            options.LanguageFileName = here;
    }
    options.cadvTheme = read.String("cadvTheme", "");
    options.lvadvSortType = read.Int("lvadvSortType", 0);
    options.ActivePage = read.Int("ActivePage", 0);
    options.state = read.Byte("state", 0);
    options.lvIListsSortType = read.Int("lvIListsSortType", 0);
    options.cIList = read.String("cIList", "");
    options.cImg = read.String("cImg", "");
    options.Enabled = read.Bool("Enabled", true);
    options.ShowAboutWindow = read.Bool("ShowAboutWindow", true);
    options.RunAtStartup = read.Bool("RunAtStartup", true);
    options.advChType = read.Byte("advChType", 0);
    options.advRandOrOrder = read.Byte("advRandOrOrder", 0);
    options.AdvSec = read.Byte("AdvSec", 0);
    options.advMin = read.Int("advMin", 60);
    options.ilChType = read.Byte("ilChType", 0);
    options.ilRandOrOrder = read.Byte("ilRandOrOrder", 0);
    options.ilSec = read.Byte("ilSec", 0);
    options.ilMin = read.Int("ilMin", 60);
    options.ilShowType = read.Byte("ilShowType", 0);
    options.ilDisplType = read.Byte("ilDisplType", 0);
    options.LastPos = read.Byte("LastPos", 0);
    options.ThemeSound = read.Bool("ThemeSound", false);
    options.ThemePauseCovered = read.Bool("ThemePauseCovered", true);
    options.ThemePauseBattery = read.Bool("ThemePauseBattery", false);
    options.ThemeOverIcons = read.Bool("ThemeOverIcons", false);
    options.FitEachMonitor = read.Bool("FitEachMonitor", false);

    options.FirstRun = !read.Exists("firstrun");
    if (options.FirstRun) {
        WriteFirstRunList(dir, settingsDamaged);
        hook.Call();
    }

    options.DisplaySlots = UnpackDisplaySlots(read.Dword("ilgrDispl", kDefaultDisplaySlots));
    options.DisplaySlotsEdit = options.DisplaySlots;

    ReadLinks(options);
}

void SaveOptions(const TOptions& options, Registry& registry)
{
    const auto writeString = [&](const char* name, const std::string& value) {
        registry.WriteString(kOptionsHive, kOptionsKey, name, value);
    };
    const auto writeInt = [&](const char* name, std::int64_t value) {
        registry.WriteDword(kOptionsHive, kOptionsKey, name, static_cast<std::uint32_t>(value));
    };
    const auto writeBool = [&](const char* name, bool value) { writeInt(name, value ? 1 : 0); };

    writeString("LanguageFileName", options.LanguageFileName);
    writeString("cadvTheme", options.cadvTheme);
    writeString("cIList", options.cIList);
    writeString("cImg", options.cImg);
    writeInt("lvadvSortType", options.lvadvSortType);
    writeInt("ActivePage", options.ActivePage);
    writeInt("lvIListsSortType", options.lvIListsSortType);
    writeBool("Enabled", options.Enabled);
    writeInt("state", options.state);
    writeBool("ShowAboutWindow", options.ShowAboutWindow);
    writeBool("firstrun", true);
    writeBool("RunAtStartup", options.RunAtStartup);
    writeInt("advChType", options.advChType);
    writeInt("advRandOrOrder", options.advRandOrOrder);
    writeInt("AdvSec", options.AdvSec);
    writeInt("advMin", options.advMin);
    writeInt("ilChType", options.ilChType);
    writeInt("ilRandOrOrder", options.ilRandOrOrder);
    writeInt("ilSec", options.ilSec);
    writeInt("ilMin", options.ilMin);
    writeInt("ilShowType", options.ilShowType);
    writeInt("LastPos", options.LastPos);
    writeInt("ilDisplType", options.ilDisplType);
    writeInt("ilgrDispl", PackDisplaySlots(options.DisplaySlots));
    writeBool("ThemeSound", options.ThemeSound);
    writeBool("ThemePauseCovered", options.ThemePauseCovered);
    writeBool("ThemePauseBattery", options.ThemePauseBattery);
    writeBool("ThemeOverIcons", options.ThemeOverIcons);
    writeBool("FitEachMonitor", options.FitEachMonitor);
}

} // namespace ondrix
