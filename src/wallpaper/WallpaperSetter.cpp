#include "WallpaperSetter.h"

#include "BmpCodec.h"
#include "DisplayMode.h"
#include "Fit.h"
#include "MonitorFit.h"
#include "Picture.h"
#include "ResolutionAgent.h"
#include "app/options.h"
#include "core/Errors.h"
#include "core/Paths.h"
#include "platform/Registry.h"

#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace ondrix {

namespace {

constexpr Hive kKeeperHive = Hive::CurrentUser;
constexpr const char* kKeeperKey = "Software\\Quorvane\\Ondrix2\\DesktopAtStart";

// The work folder is the program's own: when it was deleted it is made again, as long as the
// image lists folder that holds it is there.
void EnsureWorkFolder(const std::string& workFile)
{
    const std::filesystem::path folder = std::filesystem::path(workFile).parent_path();
    std::error_code error;
    if (std::filesystem::is_directory(folder.parent_path(), error) && !std::filesystem::exists(folder, error))
        std::filesystem::create_directory(folder, error);
}

} // namespace

WallpaperSetter::WallpaperSetter(const TOptions& options, TRAgent& agent, DesktopWallpaper& desktop)
    : m_options(options), m_agent(agent), m_desktop(desktop)
{
}

std::string WallpaperSetter::WorkFilePath() const
{
    return AppPath(m_options.AppDir, "\\imgLists\\WorkDir\\wallpaper.bmp");
}

void WallpaperSetter::SetWallpaper(const std::string& path)
{
    if (path.empty()) {
        if (!m_readFailed)
            m_desktop.Write({"", "0"});
        return;
    }
    // The file is read whole before anything is written: path may be the work file itself.
    std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    const PictureKind kind = PictureKindOf(path);
    // The mode follows the picture's full size, also when a JPEG is decoded scaled down.
    const PictureSize full = PictureSizeOf(bytes, path, kind);
    const DisplayMode mode = DisplayModeFor(m_options, full.width, full.height);
    const DesktopSize desktop = m_agent.GetDesktopSize();
    // Without a known desktop size there is nothing to fit to; the picture keeps its own.
    const bool desktopKnown = desktop.width > 0 && desktop.height > 0;
    if (desktopKnown && m_options.FitEachMonitor) {
        const std::vector<MonitorRect> monitors = m_agent.GetMonitors(desktop);
        if (NeedsMonitorFit(monitors, desktop)) {
            // The desktop's size, with the picture on every monitor: the desktop shows it as it is.
            const PictureSize decode = MonitorDecodeSize(full, mode, monitors);
            Bitmap picture = DecodePicture(bytes, path, kind, decode.width, decode.height);
            std::vector<std::uint8_t>().swap(bytes);
            WriteWorkFile(FitToMonitors(picture, full, mode, desktop, monitors), "0");
            return;
        }
    }
    const bool keepProportions = mode == DisplayMode::Filled || mode == DisplayMode::Fitted;
    const bool keepSize = !desktopKnown || (!keepProportions && mode != DisplayMode::Stretched &&
                                            full.width <= desktop.width && full.height <= desktop.height);
    // Fill and fit scale every picture, up or down, to the desktop with its proportions kept;
    // a JPEG need not be decoded larger than the size it is scaled to.
    Placement placement;
    if (!keepSize && keepProportions)
        placement = mode == DisplayMode::Filled ? FillPlacement(full, desktop.width, desktop.height)
                                                : FitPlacement(full, desktop.width, desktop.height);
    else if (!keepSize)
        placement = {desktop.width, desktop.height, 0, 0};

    Bitmap picture = DecodePicture(bytes, path, kind, placement.scaledWidth, placement.scaledHeight);
    std::vector<std::uint8_t>().swap(bytes);
    if (!keepSize) {
        Bitmap fitted;
        if (mode == DisplayMode::Filled)
            fitted = Fill(picture, placement, desktop.width, desktop.height);
        else if (mode == DisplayMode::Fitted)
            // The program knows no background colour of the desktop: the bands are black.
            fitted = FitInside(picture, placement, desktop.width, desktop.height);
        else
            fitted = Stretch(picture, desktop.width, desktop.height);
        picture = std::move(fitted);
    }
    WriteWorkFile(picture, mode == DisplayMode::Tiled ? "1" : "0");
}

void WallpaperSetter::WriteWorkFile(const Bitmap& picture, const std::string& tileWallpaper)
{
    const std::string workFile = WorkFilePath();
    EnsureWorkFolder(workFile);
    WriteBmp(picture, workFile);
    if (!m_readFailed)
        m_desktop.Write({workFile, tileWallpaper});
}

void WallpaperSetter::SaveUserWallpaper()
{
    // The record of the backend is written last: a record without it is incomplete.
    const std::string backend = m_desktop.Name();
    if (m_keeper && m_keeper->ReadString(kKeeperHive, kKeeperKey, "Backend") == backend) {
        const auto wallpaper = m_keeper->ReadString(kKeeperHive, kKeeperKey, "Wallpaper");
        const auto tile = m_keeper->ReadString(kKeeperHive, kKeeperKey, "TileWallpaper");
        const auto state = m_keeper->ReadString(kKeeperHive, kKeeperKey, "State");
        if (wallpaper && tile && state) {
            m_savedWallpaper = *wallpaper;
            m_savedTileWallpaper = *tile;
            m_savedState = *state;
            m_saved = true;
            return;
        }
    }
    try {
        const DesktopWallpaper::Values values = m_desktop.Read();
        m_savedWallpaper = values.wallpaper;
        m_savedTileWallpaper = values.tileWallpaper;
        // The backend's own record brings back what the two values cannot say.
        m_savedState = m_desktop.SaveState();
    } catch (const std::exception& error) {
        m_readFailed = true;
        throw PlatformError(std::string(error.what()) +
                            "\n\nThe wallpaper the desktop shows now could not be read, so Ondrix leaves the "
                            "desktop as it is until it is started again.");
    }
    m_saved = true;
    if (m_keeper) {
        m_keeper->DeleteKey(kKeeperHive, kKeeperKey);
        m_keeper->WriteString(kKeeperHive, kKeeperKey, "Wallpaper", m_savedWallpaper);
        m_keeper->WriteString(kKeeperHive, kKeeperKey, "TileWallpaper", m_savedTileWallpaper);
        m_keeper->WriteString(kKeeperHive, kKeeperKey, "State", m_savedState);
        m_keeper->WriteString(kKeeperHive, kKeeperKey, "Backend", backend);
    }
}

void WallpaperSetter::RestoreUserWallpaper()
{
    if (disableActiveDesktop)
        disableActiveDesktop();
    if (m_readFailed || !m_saved)
        return;
    m_desktop.RestoreState(m_savedState);
    if (m_keeper)
        m_keeper->DeleteKey(kKeeperHive, kKeeperKey);
}

} // namespace ondrix
