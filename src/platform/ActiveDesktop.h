#pragma once

#include <string>

namespace ondrix {

// The shell's layer that shows a local web page as the desktop background, behind the icons.
// The themes core unpacks a theme and hands over its start page; the layer only shows it.
// Showing a page switches the layer on (components off, the layer on, saved, the desktop
// rebuilt and refreshed); SwitchOff switches it off and leaves the page setting alone.
// Failures are thrown (PlatformError).
class ActiveDesktop
{
public:
    virtual ~ActiveDesktop() = default;

    // Shows the page at this full path as the desktop.
    virtual void ShowStartPage(const std::string& startPage) = 0;
    // Switches the layer off; switching it off when it is off already is no error.
    virtual void SwitchOff() = 0;
};

// A desktop without a theme layer: nothing is shown and nothing needs switching off.
class NullActiveDesktop final : public ActiveDesktop
{
public:
    void ShowStartPage(const std::string&) override {}
    void SwitchOff() override {}
};

} // namespace ondrix
