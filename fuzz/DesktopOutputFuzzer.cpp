#include "platform/ScreenInfo.h"
#include "platform/linux/DesktopCommands.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

// What the desktop tools print (gsettings, xfconf-query, the Plasma script through gdbus or
// qdbus) and the values they hold (URIs, desktop sizes). The first byte picks the parser.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 6) {
    case 0: {
        (void)ondrix::ParseGVariantString(text);
        // What we write, gsettings prints back; it must read as what we wrote.
        const std::string value(text);
        if (value.find('\0') == std::string::npos &&
            ondrix::ParseGVariantString(ondrix::GVariantString(value)) != value)
            std::abort();
        break;
    }
    case 1: {
        (void)ondrix::PathFromUri(text);
        (void)ondrix::PercentDecode(text);
        const std::string path = "/" + std::string(text);
        if (ondrix::PathFromUri(ondrix::FileUri(path)) != path)
            std::abort();
        break;
    }
    case 2:
        (void)ondrix::XfceWorkspacePrefixes(text);
        (void)ondrix::XfceMonitorPrefixes(text);
        break;
    case 3: {
        const auto desktops = ondrix::ParseKdeReadOutput(text);
        (void)ondrix::KdeRestoreScript(desktops);
        break;
    }
    case 4:
        (void)ondrix::ParseKdeReadOutput(ondrix::ParseEvaluateOutput(text));
        break;
    default:
        (void)ondrix::ParseDesktopSize(text);
        (void)ondrix::SwaySafePath(text);
        break;
    }
    return 0;
}
