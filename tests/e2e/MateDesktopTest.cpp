// The real program on the real MATE desktop: caja drawing the desktop on Xvfb from
// org.mate.background (gsettings with dconf on a D-Bus session of the test's own), openbox as
// the window manager and trayer as the notification area. The user's own background is a solid
// colour; Ondrix's pictures and its theme replace it while it runs, caja's icon window stays
// usable, and after exit the screen and every key are as they were.
#include "DesktopScenes.h"
#include "DesktopSession.h"
#include "ProcessRunner.h"

#include <gtest/gtest.h>

#include <csignal>

namespace ondrix::test {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr Rgb kUsersColour{0x33, 0x66, 0x99};
constexpr Rgb kFirstPicture{200, 40, 40};
constexpr Rgb kSecondPicture{40, 180, 60};
constexpr Rgb kThemeColour{0xE0, 0xB0, 0x20};
constexpr auto kSchema = "org.mate.background";

class MateDesktop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string missing = MissingPrograms(
            {"Xvfb", "caja", "gsettings", "dconf", "dbus-daemon", "openbox", "trayer", "import", "xdotool"});
        if (!missing.empty())
            GTEST_SKIP() << "not installed: " << missing << " (scripts/deps installs them)";
        std::string why;
        const auto account = DesktopAccount(why);
        if (!account)
            GTEST_SKIP() << why;
        m_session = std::make_unique<DesktopSession>(*account);
        m_session->environment["GSETTINGS_BACKEND"] = "dconf";
        ASSERT_TRUE(m_session->StartDbus(why)) << why;
        ASSERT_TRUE(m_session->StartXvfb(kWidth, kHeight, why)) << why;
        m_session->StartWindowManagerAndTray();
        // The user's own background: a plain colour, no picture.
        Set("picture-filename", "''");
        Set("color-shading-type", "'solid'");
        Set("primary-color", "'#336699'");
        m_desktop = m_session->Start({"caja", "-n", "--force-desktop"}, "caja");
        ASSERT_TRUE(WaitUntil([&] { return ScreenShows(kUsersColour); }, 20s))
            << "caja does not show the user's background: " << m_last << "\n"
            << m_session->Log("caja");
        m_keys = Keys();
        m_stored = Stored();
    }

    void Set(const std::string& key, const std::string& value)
    {
        const RunResult result = m_session->Run({"gsettings", "set", kSchema, key, value});
        ASSERT_EQ(result.exitCode, 0) << result.err;
    }

    std::string Keys() { return m_session->Run({"gsettings", "list-recursively", kSchema}).out; }
    // What the store holds of the background (caja keeps other things of its own there).
    std::string Stored() { return m_session->Run({"dconf", "dump", "/org/mate/desktop/background/"}).out; }

    void HandOver(AppSandbox& sandbox)
    {
        HandToSession(sandbox, *m_session,
                      {{"QT_QPA_PLATFORM", "xcb"},
                       {"XDG_SESSION_TYPE", "x11"},
                       {"XDG_CURRENT_DESKTOP", "MATE"},
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
        ASSERT_TRUE(m_session->Running(m_desktop)) << m_session->Log("caja");
        std::string why;
        EXPECT_TRUE(IconWindowTakesClicks(*m_session, "caja", why)) << why;
    }

    void ExpectAsBefore()
    {
        EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kUsersColour); }, 10s))
            << "the user's background did not come back: " << m_last;
        EXPECT_EQ(Keys(), m_keys);
        EXPECT_EQ(Stored(), m_stored);
    }

    std::unique_ptr<DesktopSession> m_session;
    pid_t m_desktop = 0;
    std::string m_keys;
    std::string m_stored;
    std::string m_last;
};

TEST_F(MateDesktop, PicturesAreShownChangedOnTheTimerAndEveryKeyComesBack)
{
    AppSandbox sandbox;
    const auto pictures = MakeSolidPictureList(sandbox, {kFirstPicture, kSecondPicture});
    WritePictureSettings(sandbox, pictures, 3);
    HandOver(sandbox);

    const pid_t pid = sandbox.Start();
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kFirstPicture); }, 30s))
        << "the first picture was not shown: " << m_last << "\n"
        << Keys();
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kSecondPicture); }, 15s))
        << "the timer did not show the next picture: " << m_last;
    ExpectIconWindowUsable();

    ::kill(pid, SIGTERM);
    ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
    ExpectAsBefore();
}

TEST_F(MateDesktop, ThemeIsAStillPictureUnderTheIconsAndEveryKeyComesBack)
{
    AppSandbox sandbox;
    WriteThemeSettings(sandbox, MakeSolidTheme(sandbox, kThemeColour));
    HandOver(sandbox);

    const pid_t pid = sandbox.Start();
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kThemeColour); }, 60s))
        << "the theme's still picture was not shown: " << m_last;
    const RunResult layer =
        m_session->Run({"xdotool", "search", "--onlyvisible", "--name", "^Ondrix desktop$"});
    EXPECT_TRUE(layer.out.empty()) << "a live layer window is mapped: " << layer.out;
    ExpectIconWindowUsable();

    ::kill(pid, SIGTERM);
    ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
    ExpectAsBefore();
}

} // namespace
} // namespace ondrix::test
