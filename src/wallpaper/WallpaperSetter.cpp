#include "WallpaperSetter.h"

#include "BmpCodec.h"
#include "DisplayMode.h"
#include "Fit.h"
#include "JpegCodec.h"
#include "Picture.h"
#include "ResolutionAgent.h"
#include "app/options.h"
#include "core/Paths.h"

#include <utility>
#include <vector>

namespace ondrix {

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
        m_desktop.Write({"", "0"});
        return;
    }
    // The file is read whole before anything is written: path may be the work file itself.
    std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    const bool jpeg = PictureKindOf(path) == PictureKind::Jpeg;
    // The mode follows the picture's full size, also when a JPEG is decoded scaled down.
    const PictureSize full = jpeg ? JpegSize(bytes, path) : BmpSize(bytes, path);
    const DisplayMode mode = DisplayModeFor(m_options, full.width, full.height);
    const DesktopSize desktop = m_agent.GetDesktopSize();
    // Without a known desktop size there is nothing to stretch to; the picture keeps its own.
    const bool desktopKnown = desktop.width > 0 && desktop.height > 0;
    const bool keepSize = !desktopKnown || (mode != DisplayMode::Stretched && full.width <= desktop.width &&
                                            full.height <= desktop.height);

    Bitmap picture =
        jpeg ? DecodeJpeg(bytes, path, keepSize ? 0 : desktop.width, keepSize ? 0 : desktop.height)
             : DecodeBmp(bytes, path);
    std::vector<std::uint8_t>().swap(bytes);
    if (!keepSize) {
        Bitmap fitted = Stretch(picture, desktop.width, desktop.height);
        picture = std::move(fitted);
    }
    const std::string workFile = WorkFilePath();
    WriteBmp(picture, workFile);
    m_desktop.Write({workFile, mode == DisplayMode::Tiled ? "1" : "0"});
}

void WallpaperSetter::SaveUserWallpaper()
{
    const DesktopWallpaper::Values values = m_desktop.Read();
    m_savedWallpaper = values.wallpaper;
    m_savedTileWallpaper = values.tileWallpaper;
    // The backend's own record brings back what the two values cannot say.
    m_savedState = m_desktop.SaveState();
    m_saved = true;
}

void WallpaperSetter::RestoreUserWallpaper()
{
    if (disableActiveDesktop)
        disableActiveDesktop();
    if (m_saved)
        m_desktop.RestoreState(m_savedState);
    else
        m_desktop.Write({m_savedWallpaper, m_savedTileWallpaper});
}

} // namespace ondrix
