#pragma once

#include "themes/ThemeApplier.h"
#include "themes/ThemePackage.h"

#include <functional>
#include <string>

namespace ondrix {

class ActiveDesktop;
class ComponentProbes;
class Shell;

// The fixed texts of a missing component; they are not taken from the language file.
inline constexpr const char* kMissingComponentText = "Error: ActiveDesktop or ShockWave ActiveX not found.";
inline constexpr const char* kMissingComponentCaption = "Ondrix 2.00 Error";
inline constexpr const char* kHelpNotFoundText = "Help file not found";
inline constexpr const char* kHelpNotFoundCaption = "Ondrix 2.00";

// Theme application over the platform's theme layer. ApplyTheme asks the two component
// probes first; when one answers no it shows the missing-component message, opens the help
// file (and says so when it is not found) and changes nothing. The message and the help come
// once, not at every tick of the theme timer: again only after UserAskedForTheme. Otherwise
// it unpacks the package into a new work folder and shows its start page. A package that is
// missing or cannot be read throws before anything is unpacked.
class DesktopThemeApplier final : public ThemeApplier
{
public:
    // An error message box without owner: text, caption.
    using MessageBox = std::function<void(const std::string& text, const std::string& caption)>;

    // helpFileName gives the language file's HELPFILE/filename at the time of the call
    // ("nofile" when it gives nothing); the help file is AppDir followed by it.
    DesktopThemeApplier(ThemeEnvironment env, ActiveDesktop& layer, const ComponentProbes& probes,
                        Shell& shell, MessageBox showError, std::function<std::string()> helpFileName);

    void ApplyTheme(const std::string& packagePath) override;
    void DisableActiveDesktop() override;
    void UserAskedForTheme() override { m_missingComponentShown = false; }
    bool CanShowThemes() const override;

    // The start page shown by the last ApplyTheme; empty before.
    const std::string& LastStartPage() const { return m_lastStartPage; }

private:
    ThemeEnvironment m_env;
    ActiveDesktop& m_layer;
    const ComponentProbes& m_probes;
    Shell& m_shell;
    MessageBox m_showError;
    std::function<std::string()> m_helpFileName;
    std::string m_lastStartPage;
    bool m_missingComponentShown = false;
};

} // namespace ondrix
