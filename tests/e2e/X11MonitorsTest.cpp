// The real program on a bare X11 desktop of two monitors: one wide Xvfb screen split in two
// with "xrandr --setmonitor", openbox as the window manager and trayer as the notification
// area. The picture is drawn on the root window; what the root shows is checked for the
// display modes that keep the picture's proportions, across the whole desktop and, with
// "fit to each monitor", on each monitor.
#include "DesktopScenes.h"
#include "DesktopSession.h"
#include "ProcessRunner.h"

#include <gtest/gtest.h>

#include <csignal>

namespace ondrix::test {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 1600;
constexpr int kHeight = 600;

class X11Monitors : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string missing = MissingPrograms({"Xvfb", "xrandr", "openbox", "trayer", "import"});
        if (!missing.empty())
            GTEST_SKIP() << "not installed: " << missing << " (scripts/deps installs them)";
        std::string why;
        const auto account = DesktopAccount(why);
        if (!account)
            GTEST_SKIP() << why;
        m_session = std::make_unique<DesktopSession>(*account);
        ASSERT_TRUE(m_session->StartXvfb(kWidth, kHeight, why)) << why;
        // The left half takes the screen's output (so the server's monitor for the whole goes),
        // the right half is a monitor of its own.
        for (const auto& monitor : {std::vector<std::string>{"left", "800/211x600/158+0+0", "screen"},
                                    std::vector<std::string>{"right", "800/211x600/158+800+0", "none"}}) {
            const RunResult set =
                m_session->Run({"xrandr", "--setmonitor", monitor[0], monitor[1], monitor[2]});
            ASSERT_EQ(set.exitCode, 0) << set.err;
        }
        const RunResult listed = m_session->Run({"xrandr", "--listmonitors"});
        ASSERT_NE(listed.out.find("Monitors: 2"), std::string::npos) << listed.out;
        m_session->StartWindowManagerAndTray();
    }

    void Show(AppSandbox& sandbox, int mode, bool eachMonitor)
    {
        WriteMarkedPictureSettings(sandbox, mode, eachMonitor);
        HandToSession(sandbox, *m_session,
                      {{"QT_QPA_PLATFORM", "xcb"},
                       {"XDG_SESSION_TYPE", "x11"},
                       {"XDG_CURRENT_DESKTOP", ""},
                       {"ONDRIX_DESKTOP", "x11"},
                       {"ONDRIX_SCREEN", ""}});
    }

    bool RootShows(const std::vector<Point>& points)
    {
        std::string why;
        const auto shot = m_session->GrabX11(why);
        if (!shot) {
            m_last = why;
            return false;
        }
        return shot->width == kWidth && shot->height == kHeight && ShowsPoints(*shot, points, m_last);
    }

    // Starts the program, waits for the root to show the points, and ends the program again.
    void ExpectRootShows(AppSandbox& sandbox, const std::vector<Point>& points)
    {
        const pid_t pid = sandbox.Start();
        EXPECT_TRUE(WaitUntil([&] { return RootShows(points); }, 30s)) << "the root shows" << m_last;
        ::kill(pid, SIGTERM);
        ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
    }

    std::unique_ptr<DesktopSession> m_session;
    std::string m_last;
};

// Fit and fill placed once across the 1600x600 desktop, as without the option.
TEST_F(X11Monitors, AcrossTheWholeDesktopWithoutTheOption)
{
    {
        SCOPED_TRACE("fit");
        AppSandbox sandbox;
        Show(sandbox, 4, false);
        // Scaled by 3 to 1200x600 at column 200: black bands left and right, the strip in rows 0-59.
        ExpectRootShows(sandbox, {{100, 300, kBlack},
                                  {1500, 300, kBlack},
                                  {500, 30, kYellow},
                                  {500, 150, kRed},
                                  {1100, 150, kGreen},
                                  {500, 450, kBlue},
                                  {1100, 450, kWhite},
                                  {795, 450, kBlue},
                                  {805, 450, kWhite}});
    }
    {
        SCOPED_TRACE("fill");
        AppSandbox sandbox;
        Show(sandbox, 3, false);
        // Scaled by 4 to 1600x800, rows 100-699 kept: the strip is cropped away, the halves
        // meet at row 300 and column 800.
        ExpectRootShows(sandbox, {{400, 2, kRed},
                                  {1200, 2, kGreen},
                                  {400, 295, kRed},
                                  {400, 305, kBlue},
                                  {400, 597, kBlue},
                                  {1200, 597, kWhite},
                                  {5, 450, kBlue},
                                  {1594, 450, kWhite}});
    }
}

// With "fit to each monitor" each 800x600 monitor shows the picture its own way, whole in fit.
TEST_F(X11Monitors, OnEachMonitorWithTheOption)
{
    {
        SCOPED_TRACE("fit");
        AppSandbox sandbox;
        Show(sandbox, 4, true);
        // On each: scaled by 2 to 800x400 at row 100, the strip in rows 100-139.
        std::vector<Point> points;
        for (int left : {0, 800})
            points.insert(points.end(), {{left + 400, 50, kBlack},
                                         {left + 400, 550, kBlack},
                                         {left + 5, 120, kYellow},
                                         {left + 795, 120, kYellow},
                                         {left + 200, 200, kRed},
                                         {left + 600, 200, kGreen},
                                         {left + 200, 400, kBlue},
                                         {left + 600, 400, kWhite},
                                         {left + 5, 495, kBlue},
                                         {left + 795, 495, kWhite}});
        ExpectRootShows(sandbox, points);
    }
    {
        SCOPED_TRACE("fill");
        AppSandbox sandbox;
        Show(sandbox, 3, true);
        // On each: scaled by 3 to 1200x600, columns 200-999 kept: the strip in rows 0-59, the
        // halves meet at column 400 of the monitor.
        std::vector<Point> points;
        for (int left : {0, 800})
            points.insert(points.end(), {{left + 5, 30, kYellow},
                                         {left + 100, 150, kRed},
                                         {left + 395, 150, kRed},
                                         {left + 405, 150, kGreen},
                                         {left + 100, 450, kBlue},
                                         {left + 700, 450, kWhite}});
        ExpectRootShows(sandbox, points);
    }
}

} // namespace
} // namespace ondrix::test
