#include "AppFolders.h"

#include "core/AtomicFile.h"
#include "core/Paths.h"

#include <filesystem>
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

void RemoveLeftoverTemporaries(const std::string& appDir, const std::string& settingsPath)
{
    RemoveStaleTemporaries(AppPath(appDir, "\\imgLists\\WorkDir\\wallpaper.bmp"));
    RemoveStaleTemporaries(settingsPath);
}

} // namespace ondrix
