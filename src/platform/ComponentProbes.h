#pragma once

#include <string>
#include <vector>

namespace ondrix {

// Whether the two outside components that themes need are there: a layer that can show a
// theme page as the desktop, and the player of the Flash movies in it. Asking changes nothing.
class ComponentProbes
{
public:
    virtual ~ComponentProbes() = default;
    virtual bool ActiveDesktopRegistered() const = 0;
    virtual bool FlashRegistered() const = 0;
};

// The player files the Flash probe looks for in the application folder, relative to it.
inline const std::vector<std::string>& DefaultPlayerFiles()
{
    static const std::vector<std::string> files{"ruffle/ruffle.js"};
    return files;
}

// The layer is there when the chosen theme layer backend can run (the caller knows); the
// player is there when every one of the named files is a regular file in the application
// folder (looked up at each question, so a player installed later counts).
class AppFolderComponentProbes final : public ComponentProbes
{
public:
    AppFolderComponentProbes(bool layerCanRun, std::string appDir,
                             std::vector<std::string> playerFiles = DefaultPlayerFiles());

    bool ActiveDesktopRegistered() const override { return m_layerCanRun; }
    bool FlashRegistered() const override;

private:
    bool m_layerCanRun;
    std::string m_appDir;
    std::vector<std::string> m_playerFiles;
};

} // namespace ondrix
