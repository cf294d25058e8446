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

// The build lists the player's files, one file name a line, in this file of the application
// folder; the player needs every one of them (its script, its core chunks, its WebAssembly).
inline constexpr const char* kPlayerManifest = "ruffle/player-files";

// The files the player needs, relative to the application folder: the manifest's names below
// its folder. Empty when the manifest cannot be read, names anything but a plain file name,
// or lacks the script "ruffle.js", a core chunk ("core.*.js") or a ".wasm" module.
std::vector<std::string> PlayerFilesOf(const std::string& appDir);

// The layer is there when the chosen theme layer backend can run (the caller knows); the
// player is there when every file it needs is a regular file in the application folder
// (looked up at each question, so a player installed later counts).
class AppFolderComponentProbes final : public ComponentProbes
{
public:
    AppFolderComponentProbes(bool layerCanRun, std::string appDir);

    bool ActiveDesktopRegistered() const override { return m_layerCanRun; }
    bool FlashRegistered() const override;

private:
    bool m_layerCanRun;
    std::string m_appDir;
};

} // namespace ondrix
