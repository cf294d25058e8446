#pragma once

#include <string>

namespace ondrix {

// What the scheduler and the pages ask of theme application: make a theme package the
// desktop, and switch the theme layer off so that a picture wallpaper shows. Failures are
// thrown (FileError, ArchiveError, PlatformError).
class ThemeApplier
{
public:
    virtual ~ThemeApplier() = default;
    virtual void ApplyTheme(const std::string& packagePath) = 0;
    virtual void DisableActiveDesktop() = 0;
    // The user has asked for a theme by hand (switched changing on, applied a theme): a
    // message that a timer's change would not repeat is shown again.
    virtual void UserAskedForTheme() {}
    // Whether themes can be shown here at all (every component they need is there).
    virtual bool CanShowThemes() const { return true; }
};

// Theme application that does nothing, for programs and tests without themes.
class NullThemeApplier final : public ThemeApplier
{
public:
    void ApplyTheme(const std::string&) override {}
    void DisableActiveDesktop() override {}
};

} // namespace ondrix
