#include "ComponentProbes.h"

#include "core/RegularFile.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <system_error>

namespace ondrix {

namespace {

// A manifest of a few names; anything larger is not ours.
constexpr std::uint64_t kMaxManifestBytes = 64 * 1024;

bool IsPlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos && std::none_of(name.begin(), name.end(), [](char c) {
               return static_cast<unsigned char>(c) < 0x20;
           });
}

} // namespace

std::vector<std::string> PlayerFilesOf(const std::string& appDir)
{
    const std::filesystem::path manifest = std::filesystem::path(appDir) / kPlayerManifest;
    std::string text;
    try {
        text = ReadRegularFile(manifest.string(), kMaxManifestBytes, "player manifest");
    } catch (const std::exception&) {
        return {};
    }
    const std::filesystem::path folder = std::filesystem::path(kPlayerManifest).parent_path();
    std::vector<std::string> files;
    bool script = false, core = false, module = false;
    std::istringstream lines(text);
    for (std::string name; std::getline(lines, name);) {
        if (!name.empty() && name.back() == '\r')
            name.pop_back();
        if (name.empty())
            continue;
        if (!IsPlainName(name))
            return {};
        script = script || name == "ruffle.js";
        core = core || (name.starts_with("core.") && name.ends_with(".js"));
        module = module || name.ends_with(".wasm");
        files.push_back((folder / name).string());
    }
    if (!script || !core || !module)
        return {};
    return files;
}

AppFolderComponentProbes::AppFolderComponentProbes(bool layerCanRun, std::string appDir)
    : m_layerCanRun(layerCanRun), m_appDir(std::move(appDir))
{
}

bool AppFolderComponentProbes::FlashRegistered() const
{
    const std::vector<std::string> files = PlayerFilesOf(m_appDir);
    if (files.empty())
        return false;
    return std::all_of(files.begin(), files.end(), [this](const std::string& file) {
        std::error_code ec;
        return std::filesystem::is_regular_file(std::filesystem::path(m_appDir) / file, ec);
    });
}

} // namespace ondrix
