#pragma once

#include "platform/Autostart.h"

#include <string>
#include <string_view>

namespace ondrix {

// The autostart entry of freedesktop.org sessions: "Ondrix.desktop" in
// $XDG_CONFIG_HOME/autostart (~/.config/autostart when the variable is unset, empty or not
// an absolute path; no entry at all without an absolute HOME either), written atomically.
class XdgAutostart final : public Autostart
{
public:
    explicit XdgAutostart(std::string entryPath) : m_entryPath(std::move(entryPath)) {}

    static std::string DefaultEntryPath(const char* xdgConfigHome, const char* home);

    void Create(const std::string& executable, const std::string& workingFolder) override;
    void Remove() override;

    const std::string& EntryPath() const { return m_entryPath; }

private:
    std::string m_entryPath;
};

// The text of the entry: Exec holds the executable as one argument, quoted by the desktop
// entry rules where it needs to be (blanks, quotes, '$' and the like), with '%' doubled;
// Path is the working folder. Throws FileError for a path with a line break or another
// control character, which no entry can hold.
std::string AutostartEntryText(std::string_view executable, std::string_view workingFolder);

} // namespace ondrix
