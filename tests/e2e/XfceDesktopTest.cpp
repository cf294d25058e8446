// The real program on the real XFCE desktop: xfdesktop on Xvfb with its settings service on a
// D-Bus session of the test's own, openbox as the window manager and trayer as the notification
// area. The user's own background is a solid colour; Ondrix's pictures and its theme replace it
// while it runs, the desktop's icon window stays usable, and after exit the screen and every
// setting of the desktop's channel are as they were.
#include "DesktopScenes.h"
#include "DesktopSession.h"
#include "ProcessRunner.h"
#include "platform/RegFileRegistry.h"

#include <gtest/gtest.h>

#include <csignal>

namespace ondrix::test {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
// The user's background: rgba1 0.2 0.4 0.6 with neither picture nor shading.
constexpr Rgb kUsersColour{0x33, 0x66, 0x99};
constexpr Rgb kFirstPicture{200, 40, 40};
constexpr Rgb kSecondPicture{40, 180, 60};
constexpr Rgb kThemeColour{0xE0, 0xB0, 0x20};
// Xvfb's one output is called "screen".
constexpr auto kWorkspace = "/backdrop/screen0/monitorscreen/workspace0/";

class XfceDesktop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string missing = MissingPrograms(
            {"Xvfb", "xfdesktop", "xfconf-query", "dbus-daemon", "openbox", "trayer", "import", "xdotool"});
        if (!missing.empty())
            GTEST_SKIP() << "not installed: " << missing << " (scripts/deps installs them)";
        std::string why;
        const auto account = DesktopAccount(why);
        if (!account)
            GTEST_SKIP() << why;
        m_session = std::make_unique<DesktopSession>(*account);
        ASSERT_TRUE(m_session->StartDbus(why)) << why;
        ASSERT_TRUE(m_session->StartXvfb(kWidth, kHeight, why)) << why;
        m_session->StartWindowManagerAndTray();
        // The user's own background, set before the desktop starts as a user's session has it.
        const std::string prefix = kWorkspace;
        Xfconf({"-p", prefix + "color-style", "-n", "-t", "int", "-s", "0"});
        Xfconf({"-p", prefix + "image-style", "-n", "-t", "int", "-s", "0"});
        Xfconf({"-p", prefix + "rgba1", "-n", "-t", "double", "-t", "double", "-t", "double", "-t", "double",
                "-s", "0.2", "-s", "0.4", "-s", "0.6", "-s", "1"});
        m_desktop = m_session->Start({"xfdesktop", "--disable-wm-check"}, "xfdesktop");
        ASSERT_TRUE(WaitUntil([&] { return ScreenShows(kUsersColour); }, 20s))
            << "xfdesktop does not show the user's background: " << m_last << "\n"
            << m_session->Log("xfdesktop");
        // xfdesktop adds its own defaults when it starts; the user's settings are what it then holds.
        WaitUntil([] { return false; }, 1s);
        m_before = Listing();
        ASSERT_NE(m_before.find(prefix + "image-style"), std::string::npos) << m_before;
    }

    void Xfconf(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"xfconf-query", "-c", "xfce4-desktop"});
        const RunResult result = m_session->Run(arguments);
        ASSERT_EQ(result.exitCode, 0) << result.err;
    }

    std::string Listing()
    {
        const RunResult result = m_session->Run({"xfconf-query", "-c", "xfce4-desktop", "-lv"});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.out;
    }

    void HandOver(AppSandbox& sandbox)
    {
        HandToSession(sandbox, *m_session,
                      {{"QT_QPA_PLATFORM", "xcb"},
                       {"XDG_SESSION_TYPE", "x11"},
                       {"XDG_CURRENT_DESKTOP", "XFCE"},
                       {"ONDRIX_DESKTOP", ""},
                       {"ONDRIX_SCREEN", ""}});
    }

    bool ScreenShows(const Rgb& colour)
    {
        std::string why;
        const auto shot = m_session->GrabX11(why);
        m_last = shot ? Describe(*shot) : why;
        return shot && shot->width == kWidth && shot->height == kHeight && ShowsEverywhere(*shot, colour);
    }

    void ExpectIconWindowUsable()
    {
        ASSERT_TRUE(m_session->Running(m_desktop)) << m_session->Log("xfdesktop");
        std::string why;
        EXPECT_TRUE(IconWindowTakesClicks(*m_session, "xfdesktop", why)) << why;
    }

    void ExpectAsBefore()
    {
        EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kUsersColour); }, 10s))
            << "the user's background did not come back: " << m_last;
        EXPECT_EQ(Listing(), m_before);
    }

    std::unique_ptr<DesktopSession> m_session;
    pid_t m_desktop = 0;
    std::string m_before;
    std::string m_last;
};

TEST_F(XfceDesktop, PicturesAreShownChangedOnTheTimerAndEverySettingComesBack)
{
    AppSandbox sandbox;
    const auto pictures = MakeSolidPictureList(sandbox, {kFirstPicture, kSecondPicture});
    WritePictureSettings(sandbox, pictures, 3);
    HandOver(sandbox);

    const pid_t pid = sandbox.Start();
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kFirstPicture); }, 30s))
        << "the first picture was not shown: " << m_last;
    const std::string workFile = (sandbox.appDir() / "imgLists" / "WorkDir" / "wallpaper.bmp").string();
    const RunResult shown =
        m_session->Run({"xfconf-query", "-c", "xfce4-desktop", "-p", std::string(kWorkspace) + "last-image"});
    EXPECT_EQ(shown.out, workFile + "\n");
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kSecondPicture); }, 15s))
        << "the timer did not show the next picture: " << m_last;
    ExpectIconWindowUsable();

    ::kill(pid, SIGTERM);
    ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
    ExpectAsBefore();
}

TEST_F(XfceDesktop, ThemeIsAStillPictureUnderTheIconsAndEverySettingComesBack)
{
    AppSandbox sandbox;
    WriteThemeSettings(sandbox, MakeSolidTheme(sandbox, kThemeColour));
    HandOver(sandbox);

    const pid_t pid = sandbox.Start();
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kThemeColour); }, 60s))
        << "the theme's still picture was not shown: " << m_last;
    // No layer window of ours: the theme is the desktop's own picture, under its icons.
    const RunResult layer =
        m_session->Run({"xdotool", "search", "--onlyvisible", "--name", "^Ondrix desktop$"});
    EXPECT_TRUE(layer.out.empty()) << "a live layer window is mapped: " << layer.out;
    ExpectIconWindowUsable();

    ::kill(pid, SIGTERM);
    ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
    ExpectAsBefore();
}

// "Play live themes over the desktop's icons": the theme plays live above xfdesktop's window
// (the desktop's own picture settings untouched), and again once xfdesktop has been started anew.
TEST_F(XfceDesktop, WithTheOptionTheThemePlaysLiveOverTheIconsAndStaysAboveARestartedDesktop)
{
    AppSandbox sandbox;
    WriteThemeSettings(sandbox, MakeSolidTheme(sandbox, kThemeColour));
    RegFileRegistry(sandbox.registryFile().string())
        .WriteDword(Hive::LocalMachine, "SOFTWARE\\Quorvane\\Ondrix2\\Options", "ThemeOverIcons", 1);
    HandOver(sandbox);

    const pid_t pid = sandbox.Start();
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kThemeColour); }, 60s))
        << "the theme does not show over the icons: " << m_last;
    const auto layerMapped = [&] {
        return !m_session->Run({"xdotool", "search", "--onlyvisible", "--name", "^Ondrix desktop$"})
                    .out.empty();
    };
    EXPECT_TRUE(layerMapped()) << "no live layer window is mapped";
    EXPECT_EQ(Listing(), m_before) << "the desktop's picture was changed: the theme is no live layer";

    // A normal window stays above the layer, also when the layer is raised by hand.
    const pid_t normal = m_session->Start(
        {"xmessage", "-geometry", "400x300+100+80", "-bg", "#20C040", "-fg", "#20C040", "normal window"},
        "xmessage");
    const auto normalShows = [&] {
        std::string why;
        const auto shot = m_session->GrabX11(why);
        m_last = shot ? Describe(*shot) : why;
        return shot && shot->At(300, 230) == Rgb{0x20, 0xC0, 0x40};
    };
    EXPECT_TRUE(WaitUntil(normalShows, 10s)) << "the normal window is not seen: " << m_last;
    m_session->Run({"xdotool", "search", "--name", "^Ondrix desktop$", "windowraise"});
    WaitUntil([] { return false; }, 1500ms);
    EXPECT_TRUE(normalShows()) << "the raised layer covers the normal window: " << m_last;
    m_session->Stop(normal);

    // xfdesktop started anew maps its window over ours; ours goes above it again.
    m_session->Stop(m_desktop);
    m_desktop = m_session->Start({"xfdesktop", "--disable-wm-check"}, "xfdesktop");
    ASSERT_TRUE(WaitUntil(
        [&] {
            return !m_session->Run({"xdotool", "search", "--onlyvisible", "--class", "xfdesktop"})
                        .out.empty();
        },
        20s))
        << m_session->Log("xfdesktop");
    WaitUntil([] { return false; }, 1s);
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kThemeColour); }, 10s))
        << "the restarted desktop covers the theme: " << m_last;
    EXPECT_TRUE(layerMapped());

    ::kill(pid, SIGTERM);
    ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
    ExpectAsBefore();
}

} // namespace
} // namespace ondrix::test
