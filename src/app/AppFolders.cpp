#include "AppFolders.h"

#include "core/AtomicFile.h"
#include "core/Paths.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace ondrix {

void MakeMissingWorkFolders(const std::string& appDir)
{
    namespace fs = std::filesystem;
    for (const char* store : {"\\imgLists", "\\advThemes_"}) {
        const fs::path storeFolder = AppPath(appDir, store);
        std::error_code error;
        if (!fs::is_directory(storeFolder, error))
            continue;
        for (const char* own : {"WorkDir", "Recycled"}) {
            const fs::path folder = storeFolder / own;
            if (!fs::exists(fs::symlink_status(folder, error)))
                fs::create_directory(folder, error);
        }
    }
}

namespace {

bool AllDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// "<name>.tmp-<number>" and "<name>.import-<number>": a write into the store cut short.
bool IsStoreTemporary(std::string_view name)
{
    for (std::string_view marker : {".tmp-", ".import-"}) {
        const auto at = name.rfind(marker);
        if (at != std::string_view::npos && at > 0 && AllDigits(name.substr(at + marker.size())))
            return true;
    }
    return false;
}

// "<tick>.tmp": the short-lived copy of a package's description in the recycle folder.
bool IsDescriptionCopy(std::string_view name)
{
    return name.size() > 4 && name.substr(name.size() - 4) == ".tmp" &&
           AllDigits(name.substr(0, name.size() - 4));
}

void RemoveFilesNamed(const std::filesystem::path& folder, bool (*matches)(std::string_view))
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error)
        return;
    for (const fs::directory_entry& entry : entries) {
        if (entry.is_regular_file(error) && !entry.is_symlink(error) &&
            matches(entry.path().filename().string()))
            fs::remove(entry.path(), error);
    }
}

} // namespace

void RemoveLeftoverTemporaries(const std::string& appDir, const std::string& settingsPath)
{
    RemoveStaleTemporaries(AppPath(appDir, "\\imgLists\\WorkDir\\wallpaper.bmp"));
    RemoveStaleTemporaries(settingsPath);
    RemoveFilesNamed(AppPath(appDir, "\\imgLists"), IsStoreTemporary);
    RemoveFilesNamed(AppPath(appDir, "\\advThemes_"), IsStoreTemporary);
    RemoveFilesNamed(AppPath(appDir, "\\advThemes_\\Recycled"), IsDescriptionCopy);
}

} // namespace ondrix
