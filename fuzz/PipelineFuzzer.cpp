#include "app/options.h"
#include "platform/DesktopWallpaper.h"
#include "platform/ScreenInfo.h"
#include "wallpaper/BmpCodec.h"
#include "wallpaper/ResolutionAgent.h"
#include "wallpaper/WallpaperSetter.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

class MemoryDesktop final : public ondrix::DesktopWallpaper
{
public:
    Values Read() override { return m_values; }
    void Write(const Values& values) override { m_values = values; }
    std::string Name() const override { return "memory"; }

private:
    Values m_values;
};

} // namespace

// A picture of the current list as the wallpaper setter takes it: read from its file,
// decoded (JPEG scaled down where it may be; BMP, PNG or WebP at full size), fitted to the desktop by its
// display mode and written as the work file. The first byte picks the kind and the desktop size; the work
// file written must always read back as a picture.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    namespace fs = std::filesystem;
    static const fs::path dir = fs::temp_directory_path() / ("ondrix-fuzz-" + std::to_string(::getpid()));
    static const bool made = fs::create_directories(dir / "imgLists" / "WorkDir");
    (void)made;
    // Bits 0 and 4 of the first byte pick the kind: BMP, JPEG, PNG or WebP.
    static const char* const kNames[] = {"in.bmp", "in.jpg", "in.png", "in.webp"};
    const char* name = kNames[(data[0] & 1) | ((data[0] >> 3) & 2)];
    const int desktopWidth = 1 + ((data[0] >> 1) & 7) * 37;
    const int desktopHeight = 1 + ((data[1]) & 7) * 29;
    const std::string picture = (dir / name).string();
    std::FILE* file = std::fopen(picture.c_str(), "wb");
    if (file == nullptr || std::fwrite(data + 2, 1, size - 2, file) != size - 2)
        std::abort();
    std::fclose(file);

    ondrix::TOptions options;
    options.AppDir = dir.string();
    // One display mode for every picture (0 centred, 1 tiled, 2 stretched, 3 and up: others).
    options.ilShowType = 0;
    options.ilDisplType = static_cast<std::uint8_t>(data[1] >> 3);
    const ondrix::FixedScreenInfo screen(ondrix::DesktopSize{desktopWidth, desktopHeight});
    ondrix::TRAgent agent(screen);
    MemoryDesktop desktop;
    ondrix::WallpaperSetter setter(options, agent, desktop);
    try {
        setter.SetWallpaper(picture);
    } catch (const ondrix::FileError&) {
        return 0;
    }
    const ondrix::Bitmap written = ondrix::ReadBmp(setter.WorkFilePath());
    if (written.Empty() || desktop.Read().wallpaper != setter.WorkFilePath())
        std::abort();
    return 0;
}
