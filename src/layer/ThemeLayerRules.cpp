#include "ThemeLayerRules.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <system_error>
#include <utility>

namespace ondrix {

namespace fs = std::filesystem;

std::string ThemeLayerKindName(ThemeLayerKind kind)
{
    switch (kind) {
    case ThemeLayerKind::SettingsFile:
        return "file";
    case ThemeLayerKind::LiveWindow:
        return "live";
    case ThemeLayerKind::StillPicture:
        return "still";
    }
    return "still";
}

fs::path ThemeRootOf(const fs::path& workRoot, const fs::path& startPage)
{
    const fs::path root = workRoot.lexically_normal();
    const fs::path page = startPage.lexically_normal();
    const fs::path relative = page.lexically_relative(root);
    if (relative.empty() || *relative.begin() == ".." || *relative.begin() == "." ||
        std::distance(relative.begin(), relative.end()) < 2)
        return page.parent_path();
    return root / *relative.begin();
}

namespace {

bool Inside(const fs::path& root, const fs::path& path)
{
    const auto [rootEnd, pathAt] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return rootEnd == root.end() && pathAt != path.end();
}

std::string LowerExtension(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    std::string extension(path.substr(dot + 1));
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

} // namespace

std::optional<fs::path> ResolveThemeFile(const fs::path& themeRoot, const fs::path& playerRoot,
                                         std::string_view requestPath)
{
    const std::string_view playerPrefix = kPlayerPrefix;
    fs::path root = themeRoot;
    std::string_view rest = requestPath;
    if (rest.starts_with(playerPrefix)) {
        root = playerRoot;
        rest.remove_prefix(playerPrefix.size());
    } else if (rest.starts_with('/')) {
        rest.remove_prefix(1);
    }
    if (root.empty() || rest.empty() || rest.starts_with('/') || rest.find('\0') != std::string_view::npos)
        return std::nullopt;
    const fs::path relative(rest);
    if (relative.has_root_name() || relative.has_root_directory())
        return std::nullopt;
    for (const fs::path& part : relative)
        if (part == "..")
            return std::nullopt;

    std::error_code ec;
    const fs::path canonicalRoot = fs::canonical(root, ec);
    if (ec)
        return std::nullopt;
    const fs::path file = fs::canonical(root / relative, ec);
    if (ec || !Inside(canonicalRoot, file) || !fs::is_regular_file(file, ec))
        return std::nullopt;
    return file;
}

std::string ThemeMimeType(std::string_view path)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 21> kTypes{{
        {"htm", "text/html"},
        {"html", "text/html"},
        {"js", "text/javascript"},
        {"mjs", "text/javascript"},
        {"css", "text/css"},
        {"wasm", "application/wasm"},
        {"swf", "application/x-shockwave-flash"},
        {"png", "image/png"},
        {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"},
        {"gif", "image/gif"},
        {"bmp", "image/bmp"},
        {"ico", "image/x-icon"},
        {"svg", "image/svg+xml"},
        {"webp", "image/webp"},
        {"txt", "text/plain"},
        {"json", "application/json"},
        {"xml", "text/xml"},
        {"mp3", "audio/mpeg"},
        {"wav", "audio/wav"},
        {"cfg", "text/plain"},
    }};
    const std::string extension = LowerExtension(path);
    for (const auto& [name, type] : kTypes)
        if (extension == name)
            return std::string(type);
    return "application/octet-stream";
}

std::string ThemeRequestPath(const fs::path& themeRoot, const fs::path& startPage)
{
    const fs::path relative = startPage.lexically_normal().lexically_relative(themeRoot.lexically_normal());
    std::string out;
    for (const fs::path& part : relative) {
        out += '/';
        out += part.string();
    }
    return out.empty() ? "/" : out;
}

bool DesktopCovered(const std::vector<ClientWindow>& clients)
{
    return std::any_of(clients.begin(), clients.end(), [](const ClientWindow& client) {
        return !client.desktopType && !client.hidden && client.onCurrentWorkspace &&
               (client.fullScreen || (client.maximizedHorz && client.maximizedVert));
    });
}

bool GpuRenderNodePresent()
{
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/dev/dri", ec))
        if (entry.path().filename().string().starts_with("renderD"))
            return true;
    return false;
}

bool UseSoftwareRendering(const RenderingSituation& situation)
{
    if (situation.userChoseRenderer)
        return false;
    return !situation.gpuRenderNode || situation.qtPlatform == "offscreen";
}

} // namespace ondrix
