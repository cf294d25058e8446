#pragma once

#include <string>

namespace ondrix {

enum class ShellResult
{
    Ok,
    FileNotFound,
    Failed,
};

// The desktop shell: opening documents and addresses, and the display settings of the
// running desktop.
class Shell
{
public:
    virtual ~Shell() = default;
    // Opens a local file or a web or mail address with the user's default program.
    virtual ShellResult Open(const std::string& target) = 0;
    // Starts the running desktop's own display settings; throws PlatformError with a
    // message the user can act on when no settings tool is known.
    virtual void OpenDisplaySettings() = 0;
};

} // namespace ondrix
