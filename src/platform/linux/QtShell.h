#pragma once

#include "platform/Shell.h"

namespace ondrix {

// Opens files and addresses with the user's default programs and starts the running
// desktop's display settings.
class QtShell final : public Shell
{
public:
    ShellResult Open(const std::string& target) override;
    void OpenDisplaySettings() override;
};

} // namespace ondrix
