#pragma once

#include <string>

namespace ondrix {

struct TOptions;
class Autostart;

// Run after every commit of the options page: the program starts at logon exactly when
// RunAtStartup is set (the executable, started in AppDir). A failure to write or remove the
// entry is not shown to the user; false says that it happened.
bool SyncStartupShortcut(const TOptions& options, Autostart& autostart, const std::string& executable);

} // namespace ondrix
