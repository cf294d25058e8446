#pragma once

#include "DesktopWallpaper.h"

namespace ondrix {

class Registry;

// The values kept only in the registry, under the current user's "Control Panel\Desktop" as
// the strings "Wallpaper" and "TileWallpaper"; no desktop is told. For machines without a
// desktop and for tests.
class FileDesktopWallpaper final : public DesktopWallpaper
{
public:
    static constexpr const char* kDesktopKey = "Control Panel\\Desktop";

    explicit FileDesktopWallpaper(Registry& registry) : m_registry(registry) {}

    Values Read() override;
    void Write(const Values& values) override;
    std::string Name() const override { return "file"; }

private:
    Registry& m_registry;
};

} // namespace ondrix
