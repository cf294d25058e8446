#pragma once

#include "ActiveDesktop.h"

namespace ondrix {

class Registry;

// The layer kept only in the registry, for machines without a desktop and for tests: under
// the current user's "Software\Microsoft\Internet Explorer\Desktop\General", "Wallpaper"
// holds the start page shown last and "ActiveDesktop" is the dword 1 while a page is shown,
// 0 once the layer is off.
class FileActiveDesktop final : public ActiveDesktop
{
public:
    static constexpr const char* kGeneralKey = "Software\\Microsoft\\Internet Explorer\\Desktop\\General";

    explicit FileActiveDesktop(Registry& registry) : m_registry(registry) {}

    void ShowStartPage(const std::string& startPage) override;
    void SwitchOff() override;

private:
    Registry& m_registry;
};

} // namespace ondrix
