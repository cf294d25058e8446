#include "platform/DisplaySettings.h"
#include "platform/ScreenInfo.h"

#include <gtest/gtest.h>

#include <set>

namespace ondrix {
namespace {

TEST(DesktopNames, SplitsOnColonsAndIgnoresCase)
{
    EXPECT_EQ(DesktopNames("ubuntu:GNOME"), (std::vector<std::string>{"ubuntu", "gnome"}));
    EXPECT_EQ(DesktopNames("KDE"), (std::vector<std::string>{"kde"}));
    EXPECT_EQ(DesktopNames("::X-Cinnamon:"), (std::vector<std::string>{"x-cinnamon"}));
    EXPECT_TRUE(DesktopNames("").empty());
}

TEST(DisplaySettingsCommand, PrefersTheRunningDesktopsOwnTool)
{
    const std::set<std::string> installed{"gnome-control-center", "xfce4-display-settings", "arandr"};
    const auto isInstalled = [&](const std::string& program) { return installed.count(program) > 0; };

    EXPECT_EQ(DisplaySettingsCommand("XFCE", isInstalled), (std::vector<std::string>{"xfce4-display-settings"}));
    EXPECT_EQ(DisplaySettingsCommand("ubuntu:GNOME", isInstalled),
              (std::vector<std::string>{"gnome-control-center", "display"}));
    // A desktop whose own tool is missing falls back to a generic one.
    EXPECT_EQ(DisplaySettingsCommand("MATE", isInstalled), (std::vector<std::string>{"arandr"}));
}

TEST(DisplaySettingsCommand, KdeTriesItsToolsInOrder)
{
    const auto onlyKcmshell5 = [](const std::string& program) { return program == "kcmshell5"; };
    EXPECT_EQ(DisplaySettingsCommand("KDE", onlyKcmshell5), (std::vector<std::string>{"kcmshell5", "kcm_kscreen"}));
}

TEST(DisplaySettingsCommand, NothingKnownGivesNoCommand)
{
    const auto nothing = [](const std::string&) { return false; };
    EXPECT_TRUE(DisplaySettingsCommand("GNOME", nothing).empty());
    EXPECT_TRUE(DisplaySettingsCommand("", nothing).empty());
}

TEST(ParseDesktopSize, AcceptsWidthByHeight)
{
    EXPECT_EQ(ParseDesktopSize("1024x768"), (DesktopSize{1024, 768}));
    EXPECT_EQ(ParseDesktopSize("3840X2160"), (DesktopSize{3840, 2160}));
}

TEST(ParseDesktopSize, RejectsMalformedText)
{
    for (const char* text : {"", "x", "1024", "1024x", "x768", "0x768", "-5x10", "1024x768x2", "10 x 10",
                             "99999999999x1", "70000x10", "abcxdef"})
        EXPECT_FALSE(ParseDesktopSize(text).has_value()) << text;
}

} // namespace
} // namespace ondrix
