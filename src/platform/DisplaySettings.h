#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

// The desktop names of XDG_CURRENT_DESKTOP (split on ":"), lower-cased.
std::vector<std::string> DesktopNames(std::string_view xdgCurrentDesktop);

// The command line that opens the display settings of the running desktop: the desktop's
// own tool first, then the generic ones; only tools that isInstalled accepts are chosen.
// Empty when none is known.
std::vector<std::string> DisplaySettingsCommand(std::string_view xdgCurrentDesktop,
                                                const std::function<bool(const std::string&)>& isInstalled);

} // namespace ondrix
