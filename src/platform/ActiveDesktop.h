#pragma once

#include <string>

namespace ondrix {

// The layer that shows a theme's start page as the desktop background, behind the icons.
// A theme is shown by ApplyTheme; DisableActiveDesktop switches the layer off so that the
// plain picture wallpaper shows. Failures are thrown (PlatformError, FileError).
class ActiveDesktop
{
public:
    virtual ~ActiveDesktop() = default;

    // Unpacks the theme package at packagePath and shows its start page as the desktop.
    virtual void ApplyTheme(const std::string& packagePath) = 0;
    // Switches the layer off; switching it off when it is off already is no error.
    virtual void DisableActiveDesktop() = 0;
};

// A desktop without a theme layer: nothing is shown and nothing needs switching off.
class NullActiveDesktop final : public ActiveDesktop
{
public:
    void ApplyTheme(const std::string&) override {}
    void DisableActiveDesktop() override {}
};

} // namespace ondrix
