#include "FileDesktopWallpaper.h"

#include "Registry.h"

namespace ondrix {

DesktopWallpaper::Values FileDesktopWallpaper::Read()
{
    Values values;
    values.wallpaper = m_registry.ReadString(Hive::CurrentUser, kDesktopKey, "Wallpaper").value_or("");
    values.tileWallpaper =
        m_registry.ReadString(Hive::CurrentUser, kDesktopKey, "TileWallpaper").value_or("");
    return values;
}

void FileDesktopWallpaper::Write(const Values& values)
{
    m_registry.WriteString(Hive::CurrentUser, kDesktopKey, "Wallpaper", values.wallpaper);
    m_registry.WriteString(Hive::CurrentUser, kDesktopKey, "TileWallpaper", values.tileWallpaper);
}

} // namespace ondrix
