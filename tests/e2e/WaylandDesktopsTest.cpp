// The live layer on the compositors of GNOME and KDE Plasma: the real program, its own window a
// Wayland client, on headless mutter and on headless KWin, each with XWayland. The theme plays in
// the layer program's desktop window on XWayland, below a normal window also when the layer is
// raised by hand (a window without the desktop hints covers that window: the control), and goes
// with the pictures mode and at exit. The screen is read through the compositors' own services.
// KWin runs without plasmashell, whose scripting service a stand-in answers for the picture
// backend.
#include "DesktopScenes.h"
#include "DesktopSession.h"
#include "ProcessRunner.h"

#include <gtest/gtest.h>

#include <csignal>

namespace ondrix::test {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 1024;
constexpr int kHeight = 640;
constexpr Rgb kThemeColour{0x20, 0xA0, 0xE0};
constexpr Rgb kNormal{0x20, 0xC0, 0x40};
constexpr Rgb kControl{0xC0, 0x20, 0x40};

class WaylandDesktops : public ::testing::TestWithParam<std::string>
{
protected:
    bool Mutter() const { return GetParam() == "mutter"; }

    void SetUp() override
    {
        const std::vector<std::string> compositor =
            Mutter() ? std::vector<std::string>{"mutter", "pipewire", "wireplumber", "gst-launch-1.0"}
                     : std::vector<std::string>{"kwin_wayland"};
        std::vector<std::string> programs{"Xwayland", "dbus-daemon", "xmessage", "xdotool", "convert"};
        programs.insert(programs.end(), compositor.begin(), compositor.end());
        const std::string missing = MissingPrograms(programs);
        if (!missing.empty())
            GTEST_SKIP() << "not installed: " << missing << " (scripts/deps installs them)";
        std::string why;
        const auto account = DesktopAccount(why);
        if (!account)
            GTEST_SKIP() << why;
        m_session = std::make_unique<DesktopSession>(*account);
        ASSERT_TRUE(m_session->StartDbus(why)) << why;
        if (Mutter()) {
            ASSERT_TRUE(m_session->StartMutter(kWidth, kHeight, why)) << why;
        } else {
            ASSERT_TRUE(m_session->StartKWin(kWidth, kHeight, why)) << why;
            m_session->Start({ONDRIX_FAKE_PLASMASHELL}, "plasmashell");
        }
    }

    std::optional<Screenshot> Grab()
    {
        std::string why;
        auto shot = m_session->GrabCompositor(ONDRIX_COMPOSITOR_SHOT, GetParam(), why);
        m_last = shot ? Describe(*shot) : why;
        return shot;
    }
    bool ScreenShows(const Rgb& colour)
    {
        const auto shot = Grab();
        return shot && ShowsEverywhere(*shot, colour);
    }
    bool PointShows(int x, int y, const Rgb& colour)
    {
        const auto shot = Grab();
        return shot && shot->At(x, y) == colour;
    }

    std::unique_ptr<DesktopSession> m_session;
    std::string m_last;
};

TEST_P(WaylandDesktops, TheThemePlaysBelowNormalWindowsThroughXWayland)
{
    AppSandbox sandbox;
    WriteThemeSettings(sandbox, MakeSolidTheme(sandbox, kThemeColour));
    HandToSession(sandbox, *m_session,
                  {{"QT_QPA_PLATFORM", "wayland"},
                   {"XDG_SESSION_TYPE", "wayland"},
                   {"XDG_CURRENT_DESKTOP", Mutter() ? "GNOME" : "KDE"},
                   {"GSETTINGS_BACKEND", "memory"},
                   {"ONDRIX_DESKTOP", ""},
                   {"ONDRIX_SCREEN", ""}});
    const std::filesystem::path program = sandbox.appDir() / "ondrix-layer";

    const pid_t pid = sandbox.Start();
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kThemeColour); }, 60s))
        << "the theme was not shown: " << m_last;
    EXPECT_EQ(ProcessesRunning(program).size(), 1u);

    // A normal window stays above the layer, also when the layer is raised by hand.
    const pid_t normal = m_session->Start(
        {"xmessage", "-geometry", "400x300+100+80", "-bg", "#20C040", "-fg", "#20C040", "normal window"},
        "normal");
    EXPECT_TRUE(WaitUntil([&] { return PointShows(300, 230, kNormal); }, 15s))
        << "the normal window is not seen: " << m_last;
    m_session->Run({"xdotool", "search", "--name", "^Ondrix desktop$", "windowraise"});
    WaitUntil([] { return false; }, 1s);
    EXPECT_TRUE(PointShows(300, 230, kNormal)) << "the raised layer covers the normal window: " << m_last;
    EXPECT_TRUE(PointShows(800, 500, kThemeColour)) << "the theme is gone: " << m_last;
    // The control: a window without the desktop hints does cover the normal one.
    const pid_t control = m_session->Start(
        {"xmessage", "-geometry", "600x500+50+50", "-bg", "#C02040", "-fg", "#C02040", "control window"},
        "control");
    EXPECT_TRUE(WaitUntil([&] { return PointShows(300, 230, kControl); }, 15s))
        << "the control window does not cover the normal one: " << m_last;
    m_session->Stop(control);
    m_session->Stop(normal);

    // Pictures mode: the layer program goes, and the theme with it.
    const AppSandbox::Run pictures = sandbox.RunToEnd({"--mode", "pictures"});
    EXPECT_EQ(pictures.status, 0) << pictures.err;
    EXPECT_TRUE(WaitUntil([&] { return ProcessesRunning(program).empty(); }, 5s))
        << "the layer program stayed";
    EXPECT_TRUE(WaitUntil([&] { return !PointShows(800, 500, kThemeColour); }, 5s)) << "the theme stayed";

    // Themes again, then exit.
    const AppSandbox::Run themes = sandbox.RunToEnd({"--mode", "themes"});
    EXPECT_EQ(themes.status, 0) << themes.err;
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kThemeColour); }, 60s))
        << "the theme came not back: " << m_last;
    ::kill(pid, SIGTERM);
    ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
    EXPECT_TRUE(ProcessesRunning(program).empty()) << "the layer program outlived Ondrix";
    EXPECT_TRUE(WaitUntil([&] { return !PointShows(800, 500, kThemeColour); }, 5s))
        << "the theme stayed: " << m_last;
}

INSTANTIATE_TEST_SUITE_P(Compositors, WaylandDesktops, ::testing::Values("mutter", "kwin"),
                         [](const ::testing::TestParamInfo<std::string>& compositor) {
                             return compositor.param;
                         });

} // namespace
} // namespace ondrix::test
