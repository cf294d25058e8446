#pragma once

#include "platform/DesktopWallpaper.h"

#include <string>

namespace ondrix {

class CommandRunner;

// The KDE Plasma wallpaper through the shell's evaluateScript call on the session bus, made
// with gdbus (or qdbus where gdbus is missing).
class KdeDesktopWallpaper final : public DesktopWallpaper
{
public:
    explicit KdeDesktopWallpaper(CommandRunner& runner) : m_runner(runner) {}

    Values Read() override;
    void Write(const Values& values) override;
    std::string Name() const override { return "kde"; }
    std::string SaveState() override;
    void RestoreState(const std::string& state) override;

private:
    std::string Evaluate(const std::string& script);

    CommandRunner& m_runner;
};

} // namespace ondrix
