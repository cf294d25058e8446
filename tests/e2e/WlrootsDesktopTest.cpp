// The real program on a real wlroots compositor: headless sway, its screen seen through grim.
// The user's own background is a solid colour of sway's configuration; Ondrix's pictures and
// its theme replace it while it runs, and sway's colour is back after exit.
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
// The user's background: "output * bg #336699 solid_color" below.
constexpr Rgb kUsersColour{0x33, 0x66, 0x99};
constexpr Rgb kFirstPicture{200, 40, 40};
constexpr Rgb kSecondPicture{40, 180, 60};
constexpr Rgb kThemeColour{0xE0, 0xB0, 0x20};

class WlrootsDesktop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string missing = MissingPrograms({"sway", "swaymsg", "swaybg", "grim"});
        if (!missing.empty())
            GTEST_SKIP() << "not installed: " << missing << " (scripts/deps installs them)";
        std::string why;
        const auto account = DesktopAccount(why);
        if (!account)
            GTEST_SKIP() << why;
        m_session = std::make_unique<DesktopSession>(*account);
        // With no notification area on this desktop the main window shows at start; the user
        // puts it away, as every window here, to look at the background.
        ASSERT_TRUE(m_session->StartSway(
            kWidth, kHeight, "output * bg #336699 solid_color\nfor_window [title=\".*\"] move scratchpad",
            why))
            << why;
        ASSERT_TRUE(WaitUntil([&] { return ScreenShows(kUsersColour); }, 10s))
            << "sway does not show its own background: " << m_last;
    }

    // The program on the Wayland platform of this session, the backend found from the desktop's
    // name as a user's session would give it.
    void HandOver(AppSandbox& sandbox) { HandToSession(sandbox, *m_session, SwayUserEnvironment()); }

    bool ScreenShows(const Rgb& colour)
    {
        std::string why;
        const auto shot = m_session->GrabWayland(why);
        m_last = shot ? Describe(*shot) : why;
        return shot && shot->width == kWidth && shot->height == kHeight && ShowsEverywhere(*shot, colour);
    }

    std::unique_ptr<DesktopSession> m_session;
    std::string m_last;
};

TEST_F(WlrootsDesktop, PicturesAreShownChangedOnTheTimerAndTheUsersBackgroundComesBack)
{
    AppSandbox sandbox;
    const auto pictures = MakeSolidPictureList(sandbox, {kFirstPicture, kSecondPicture});
    WritePictureSettings(sandbox, pictures, 3);
    HandOver(sandbox);

    const pid_t pid = sandbox.Start();
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kFirstPicture); }, 30s))
        << "the first picture was not shown: " << m_last;
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kSecondPicture); }, 15s))
        << "the timer did not show the next picture: " << m_last;

    ::kill(pid, SIGTERM);
    ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kUsersColour); }, 10s))
        << "sway's own background did not come back: " << m_last;
}

TEST_F(WlrootsDesktop, TheThemeIsShownAndTheUsersBackgroundComesBack)
{
    AppSandbox sandbox;
    WriteThemeSettings(sandbox, MakeSolidTheme(sandbox, kThemeColour));
    HandOver(sandbox);

    const pid_t pid = sandbox.Start();
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kThemeColour); }, 60s))
        << "the theme was not shown: " << m_last;
    // Every window is put away, so the colour is the background itself (sway announces the
    // layer shell, so the theme is live on the compositor's layer; LayerShellSwayTest.cpp
    // tests that layer).

    ::kill(pid, SIGTERM);
    ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kUsersColour); }, 10s))
        << "sway's own background did not come back: " << m_last;
}

// Two outputs of 640x480 side by side. sway puts a background on each output; Ondrix gives each
// its piece of the work picture, so a picture across the desktop spans both and one fitted to
// each monitor is whole on each.
class WlrootsTwoOutputs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string missing = MissingPrograms({"sway", "swaymsg", "grim"});
        if (!missing.empty())
            GTEST_SKIP() << "not installed: " << missing << " (scripts/deps installs them)";
        std::string why;
        const auto account = DesktopAccount(why);
        if (!account)
            GTEST_SKIP() << why;
        m_session = std::make_unique<DesktopSession>(*account);
        ASSERT_TRUE(m_session->StartSway(
            kWidth, kHeight, "output * bg #336699 solid_color\nfor_window [title=\".*\"] move scratchpad",
            why, 2))
            << why;
    }

    bool ScreenShows(const std::vector<Point>& points)
    {
        std::string why;
        const auto shot = m_session->GrabWayland(why);
        if (!shot) {
            m_last = why;
            return false;
        }
        m_last = std::to_string(shot->width) + "x" + std::to_string(shot->height) + ":";
        std::string seen;
        const bool shows =
            shot->width == 2 * kWidth && shot->height == kHeight && ShowsPoints(*shot, points, seen);
        m_last += seen;
        return shows;
    }

    void ExpectShows(int mode, bool eachMonitor, const std::vector<Point>& points)
    {
        AppSandbox sandbox;
        WriteMarkedPictureSettings(sandbox, mode, eachMonitor);
        HandToSession(sandbox, *m_session, SwayUserEnvironment());
        const pid_t pid = sandbox.Start();
        EXPECT_TRUE(WaitUntil([&] { return ScreenShows(points); }, 30s)) << "the screen shows " << m_last;
        ::kill(pid, SIGTERM);
        ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
        EXPECT_TRUE(WaitUntil(
            [&] {
                return ScreenShows({{10, 240, kUsersColour}, {1270, 240, kUsersColour}});
            },
            10s))
            << "sway's own background did not come back: " << m_last;
    }

    std::unique_ptr<DesktopSession> m_session;
    std::string m_last;
};

TEST_F(WlrootsTwoOutputs, StretchedSpansBothOutputs)
{
    // 1280x480 from 400x200: the strip in rows 0-47, the halves meet at column 640 and row 240.
    ExpectShows(0, false,
                {{10, 20, kYellow},
                 {1270, 20, kYellow},
                 {10, 100, kRed},
                 {630, 230, kRed},
                 {650, 100, kGreen},
                 {1270, 230, kGreen},
                 {10, 470, kBlue},
                 {630, 250, kBlue},
                 {650, 470, kWhite},
                 {1270, 250, kWhite}});
}

TEST_F(WlrootsTwoOutputs, FitToEachMonitorIsWholeOnEachOutput)
{
    // On each: scaled by 1.6 to 640x320 at row 80, the strip in rows 80-111.
    std::vector<Point> points;
    for (int left : {0, kWidth})
        points.insert(points.end(), {{left + 320, 40, kBlack},
                                     {left + 320, 440, kBlack},
                                     {left + 5, 95, kYellow},
                                     {left + 160, 160, kRed},
                                     {left + 480, 160, kGreen},
                                     {left + 160, 320, kBlue},
                                     {left + 480, 320, kWhite},
                                     {left + 634, 395, kWhite}});
    ExpectShows(4, true, points);
}

} // namespace
} // namespace ondrix::test
