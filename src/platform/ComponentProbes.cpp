#include "ComponentProbes.h"

#include <filesystem>
#include <system_error>

namespace ondrix {

AppFolderComponentProbes::AppFolderComponentProbes(bool layerCanRun, std::string appDir,
                                                   std::vector<std::string> playerFiles)
    : m_layerCanRun(layerCanRun), m_appDir(std::move(appDir)), m_playerFiles(std::move(playerFiles))
{
}

bool AppFolderComponentProbes::FlashRegistered() const
{
    if (m_playerFiles.empty())
        return false;
    for (const std::string& file : m_playerFiles) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(std::filesystem::path(m_appDir) / file, ec))
            return false;
    }
    return true;
}

} // namespace ondrix
