#include "DisplaySettings.h"

#include <algorithm>
#include <cctype>

namespace ondrix {

namespace {

struct SettingsTool
{
    const char* desktop; // nullptr: any desktop
    std::vector<std::string> command;
};

const std::vector<SettingsTool>& Tools()
{
    static const std::vector<SettingsTool> tools{
        {"kde", {"systemsettings", "kcm_kscreen"}},
        {"kde", {"kcmshell6", "kcm_kscreen"}},
        {"kde", {"kcmshell5", "kcm_kscreen"}},
        {"gnome", {"gnome-control-center", "display"}},
        {"unity", {"gnome-control-center", "display"}},
        {"budgie", {"gnome-control-center", "display"}},
        {"pantheon", {"io.elementary.settings", "settings://display"}},
        {"x-cinnamon", {"cinnamon-settings", "display"}},
        {"cinnamon", {"cinnamon-settings", "display"}},
        {"mate", {"mate-display-properties"}},
        {"xfce", {"xfce4-display-settings"}},
        {"lxqt", {"lxqt-config-monitor"}},
        {"lxde", {"lxrandr"}},
        {nullptr, {"arandr"}},
        {nullptr, {"lxrandr"}},
        {nullptr, {"wdisplays"}},
    };
    return tools;
}

} // namespace

std::vector<std::string> DesktopNames(std::string_view xdgCurrentDesktop)
{
    std::vector<std::string> names;
    std::string current;
    for (const char c : xdgCurrentDesktop) {
        if (c == ':') {
            if (!current.empty())
                names.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    if (!current.empty())
        names.push_back(current);
    return names;
}

std::vector<std::string> DisplaySettingsCommand(std::string_view xdgCurrentDesktop,
                                                const std::function<bool(const std::string&)>& isInstalled)
{
    const std::vector<std::string> desktops = DesktopNames(xdgCurrentDesktop);
    for (const std::string& desktop : desktops) {
        for (const SettingsTool& tool : Tools()) {
            if (tool.desktop && desktop == tool.desktop && isInstalled(tool.command.front()))
                return tool.command;
        }
    }
    for (const SettingsTool& tool : Tools()) {
        if (!tool.desktop && isInstalled(tool.command.front()))
            return tool.command;
    }
    return {};
}

} // namespace ondrix
