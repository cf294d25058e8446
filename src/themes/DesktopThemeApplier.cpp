#include "DesktopThemeApplier.h"

#include "core/Paths.h"
#include "platform/ActiveDesktop.h"
#include "platform/ComponentProbes.h"
#include "platform/Shell.h"

#include <utility>

namespace ondrix {

DesktopThemeApplier::DesktopThemeApplier(ThemeEnvironment env, ActiveDesktop& layer,
                                         const ComponentProbes& probes, Shell& shell, MessageBox showError,
                                         std::function<std::string()> helpFileName)
    : m_env(std::move(env)), m_layer(layer), m_probes(probes), m_shell(shell),
      m_showError(std::move(showError)), m_helpFileName(std::move(helpFileName))
{
}

void DesktopThemeApplier::ApplyTheme(const std::string& packagePath)
{
    if (!m_probes.ActiveDesktopRegistered() || !m_probes.FlashRegistered()) {
        if (std::exchange(m_missingComponentShown, true))
            return;
        if (m_showError)
            m_showError(kMissingComponentText, kMissingComponentCaption);
        std::string help = m_helpFileName ? m_helpFileName() : std::string();
        if (help.empty())
            help = "nofile";
        if (m_shell.Open(AppPath(m_env.DataDir.empty() ? m_env.AppDir : m_env.DataDir, help)) ==
                ShellResult::FileNotFound &&
            m_showError)
            m_showError(kHelpNotFoundText, kHelpNotFoundCaption);
        return;
    }
    const std::string folder = UnpackTheme(m_env, packagePath);
    const std::string startPage = StartPageOf(folder);
    m_layer.ShowStartPage(startPage);
    m_lastStartPage = startPage;
}

bool DesktopThemeApplier::CanShowThemes() const
{
    return m_probes.ActiveDesktopRegistered() && m_probes.FlashRegistered();
}

void DesktopThemeApplier::DisableActiveDesktop()
{
    m_layer.SwitchOff();
}

} // namespace ondrix
