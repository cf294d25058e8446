#include "StartupShortcut.h"

#include "app/options.h"
#include "platform/Autostart.h"

#include <exception>

namespace ondrix {

bool SyncStartupShortcut(const TOptions& options, Autostart& autostart, const std::string& executable)
{
    try {
        if (options.RunAtStartup)
            autostart.Create(executable, options.AppDir);
        else
            autostart.Remove();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace ondrix
