// Theme packages from outside: the archive, its "theme.cfg" and the unpacking of its members.
#include "core/Errors.h"
#include "themes/ThemePackage.h"
#include "themes/ThemeStore.h"
#include "themes/ZipArchive.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

// Made once and never destroyed, so that the clean-up at exit can still read it.
const std::string& Folder()
{
    static const std::string* folder = [] {
        const auto path =
            std::filesystem::temp_directory_path() / ("ondrix-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path / "out");
        auto* text = new std::string(path.string());
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(Folder(), ignored);
        });
        return text;
    }();
    return *folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const ondrix::ZipReader archive = ondrix::ZipReader::FromBytes(bytes, "fuzz.ond");
        for (const std::string& name : archive.MemberNames())
            ondrix::SafeMemberPath(name);
        if (const auto cfg = archive.ReadMember("theme.cfg", ondrix::kMaxThemeCfgBytes)) {
            const ondrix::TThemeInfo info = ondrix::ThemeInfoOf(*cfg);
            (void)info;
            ondrix::SetIniValue(*cfg, "Files", "startup", "\\ondrix.htm");
        }
        ondrix::ZipLimits limits;
        limits.maxMembers = 64;
        limits.maxTotalBytes = 4 << 20;
        const std::string out = Folder() + "/out";
        archive.ExtractAll(out, limits);
        // Nothing may land beside the folder it was unpacked into.
        for (const auto& entry : std::filesystem::directory_iterator(Folder()))
            if (entry.path().filename() != "out")
                __builtin_trap();
        ondrix::ClearFolder(out);
    } catch (const ondrix::ArchiveError&) {
    } catch (const ondrix::FileError&) {
    }
    // What ClearFolder keeps (hidden and read-only folders) must not pile up between runs.
    std::error_code ignored;
    std::filesystem::remove_all(Folder() + "/out", ignored);
    std::filesystem::create_directories(Folder() + "/out", ignored);
    return 0;
}
