// The live layer on a compositor's background layer: the real program on headless sway with two
// outputs of 640x480 side by side, the screen seen through grim. One page spans both outputs
// (its left half on the left output, its right half on the right one, its movie across the
// seam), below a normal window; a full-screen window freezes it; a killed layer program comes
// back; an output added later gets its part; a hostile page gets nowhere; after the pictures
// mode and after exit sway's own background is back.
//
// sway 1.7 draws the oldest surface of a layer on top, so there the layer is on the bottom
// layer, above the swaybg that sway started with the session and still below every window.
#include "../layer/LayerFixtures.h"
#include "../layer/ThemeLayerPages.h"
#include "DesktopScenes.h"
#include "DesktopSession.h"
#include "ProcessRunner.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ondrix::test {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr Rgb kUsersColour{0x33, 0x66, 0x99}; // "output * bg #336699 solid_color" below
constexpr Rgb kLeft{0xC0, 0x30, 0x20};
constexpr Rgb kRight{0x20, 0x40, 0xC0};
constexpr Rgb kTickA{0xE0, 0xE0, 0x20};
constexpr Rgb kTickB{0x20, 0xE0, 0xE0};
constexpr Rgb kNoGap{0x80, 0x80, 0x80};
constexpr Rgb kGap{0xF0, 0xF0, 0xF0};
constexpr Rgb kNormal{0x20, 0xC0, 0x40}; // foot's background below
constexpr Rgb kMovieStage{kStage.r, kStage.g, kStage.b};
constexpr Rgb kMovieShape{kShape.r, kShape.g, kShape.b};

// The page: its halves in two colours; a band at the top that changes colour five times a
// second; the movie (400x300) across the seam of the two outputs at x 440-840, y 100-400; and
// a band at the bottom that turns light once the page's timer saw a pause of its own of more
// than 2.5 seconds (a frozen page).
constexpr const char* kPage = R"HTML(<html><head><style>
html,body{margin:0;width:100%;height:100%;overflow:hidden}
div{position:absolute}
#l{left:0;top:0;width:50%;height:100%;background:#C03020}
#r{left:50%;top:0;width:50%;height:100%;background:#2040C0}
#t{left:0;top:0;width:100%;height:40px;background:#E0E020}
#g{left:0;bottom:0;width:100%;height:40px;background:#808080}
#m{left:440px;top:100px;width:400px;height:300px}
</style></head><body><div id="l"></div><div id="r"></div><div id="t"></div><div id="g"></div>
<div id="m"><embed src="movie.swf" width="400" height="300" type="application/x-shockwave-flash"></div>
<script>
var on = false, last = Date.now();
setInterval(function () {
  var now = Date.now();
  if (now - last > 2500) document.getElementById("g").style.background = "#F0F0F0";
  last = now;
  on = !on;
  document.getElementById("t").style.background = on ? "#20E0E0" : "#E0E020";
}, 200);
</script></body></html>)HTML";

class LayerShellSway : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string missing = MissingPrograms({"sway", "swaymsg", "swaybg", "grim", "foot"});
        if (!missing.empty())
            GTEST_SKIP() << "not installed: " << missing << " (scripts/deps installs them)";
        std::string why;
        const auto account = DesktopAccount(why);
        if (!account)
            GTEST_SKIP() << why;
        m_session = std::make_unique<DesktopSession>(*account);
        // Ondrix's window (shown at start, as there is no notification area) is put away; foot
        // floats over the left output.
        ASSERT_TRUE(m_session->StartSway(kWidth, kHeight,
                                         "output * bg #336699 solid_color\n"
                                         "for_window [app_id=\"^(?!foot$).*\"] move scratchpad\n"
                                         "for_window [app_id=\"foot\"] floating enable, border none, "
                                         "resize set 240 120, move position 40 300",
                                         why, 2))
            << why;
    }

    void HandOver(AppSandbox& sandbox) { HandToSession(sandbox, *m_session, SwayUserEnvironment()); }

    // The screen is width wide and shows the points.
    bool Shows(const std::vector<Point>& points, int width = 2 * kWidth)
    {
        std::string why;
        const auto shot = m_session->GrabWayland(why);
        if (!shot) {
            m_last = why;
            return false;
        }
        std::string seen;
        const bool shows = shot->width == width && ShowsPoints(*shot, points, seen);
        m_last = std::to_string(shot->width) + "x" + std::to_string(shot->height) + seen;
        return shows;
    }

    // Both halves, the movie on both outputs; where no normal window is.
    static std::vector<Point> PagePoints()
    {
        return {{100, 80, kLeft},        {400, 420, kLeft},       {1000, 80, kRight},
                {1200, 420, kRight},     {460, 120, kMovieStage}, {820, 380, kMovieStage},
                {630, 250, kMovieShape}, {650, 250, kMovieShape}};
    }

    // A screenshot was taken and the page's left half is not in it.
    bool PageGone()
    {
        std::string why;
        const auto shot = m_session->GrabWayland(why);
        std::string seen;
        m_last = shot ? Describe(*shot) : why;
        return shot && shot->width == 2 * kWidth &&
               !ShowsPoints(*shot, {{100, 80, kLeft}, {400, 420, kLeft}}, seen);
    }

    // The band at the top shows colour on both outputs.
    bool TickShows(const Rgb& colour) { return Shows({{100, 20, colour}, {1100, 20, colour}}); }

    std::unique_ptr<DesktopSession> m_session;
    std::string m_last;
};

TEST_F(LayerShellSway, TheMoviePlaysOnBothOutputsBelowWindowsAndPausesUnderAFullScreenOne)
{
    AppSandbox sandbox;
    WriteThemeSettings(sandbox,
                       MakeTheme(sandbox, "Seams", {{"index.htm", kPage}, {"movie.swf", MovieBytes()}}));
    HandOver(sandbox);
    const std::filesystem::path program = sandbox.appDir() / "ondrix-layer";

    const pid_t pid = sandbox.Start();
    ASSERT_TRUE(WaitUntil([&] { return Shows(PagePoints()); }, 60s)) << "the page is not shown: " << m_last;
    // Live, not a still picture: the band changes on both outputs.
    EXPECT_TRUE(WaitUntil([&] { return TickShows(kTickA); }, 10s)) << m_last;
    EXPECT_TRUE(WaitUntil([&] { return TickShows(kTickB); }, 10s)) << m_last;
    EXPECT_EQ(ProcessesRunning(program).size(), 1u);

    // A normal window over the layer; the layer takes no click (the window below it does not
    // matter here: the screen shows the window where it is and the page around it).
    const pid_t normal = m_session->Start(
        {"foot", "-o", "colors.background=20c040", "-o", "colors.foreground=20c040", "sleep", "600"}, "foot");
    std::vector<Point> below = PagePoints();
    below.push_back({160, 360, kNormal});
    EXPECT_TRUE(WaitUntil([&] { return Shows(below); }, 15s)) << "the normal window is not above: " << m_last;
    EXPECT_TRUE(Shows({{100, 460, kNoGap}, {1100, 460, kNoGap}})) << "the page stalled before: " << m_last;

    // Full screen over both outputs: the page is frozen, and goes on once the window is back.
    m_session->Run({"swaymsg", "[app_id=foot] fullscreen enable global"});
    EXPECT_TRUE(WaitUntil([&] { return Shows({{100, 80, kNormal}, {1100, 80, kNormal}}); }, 10s)) << m_last;
    WaitUntil([] { return false; }, 4s);
    m_session->Run({"swaymsg", "[app_id=foot] fullscreen disable"});
    EXPECT_TRUE(WaitUntil(
        [&] {
            return Shows({{100, 460, kGap}, {1100, 460, kGap}});
        },
        15s))
        << "the page was not frozen under the full-screen window: " << m_last;
    m_session->Stop(normal);

    // A killed layer program is started again with its page.
    const std::vector<pid_t> layer = ProcessesRunning(program);
    ASSERT_EQ(layer.size(), 1u);
    ::kill(layer.front(), SIGKILL);
    EXPECT_TRUE(WaitUntil(
        [&] {
            const auto now = ProcessesRunning(program);
            return now.size() == 1 && now.front() != layer.front();
        },
        5s))
        << "the layer program was not started again";
    EXPECT_TRUE(WaitUntil([&] { return Shows(PagePoints()) && TickShows(kTickA); }, 60s))
        << "the page did not come back: " << m_last;

    // Pictures mode: the layer program goes, and the page with it.
    const AppSandbox::Run pictures = sandbox.RunToEnd({"--mode", "pictures"});
    EXPECT_EQ(pictures.status, 0) << pictures.err;
    EXPECT_TRUE(WaitUntil([&] { return ProcessesRunning(program).empty(); }, 5s))
        << "the layer program stayed";
    EXPECT_TRUE(WaitUntil([&] { return PageGone(); }, 5s)) << "the page stayed: " << m_last;

    const AppSandbox::Run themes = sandbox.RunToEnd({"--mode", "themes"});
    EXPECT_EQ(themes.status, 0) << themes.err;
    EXPECT_TRUE(WaitUntil([&] { return Shows(PagePoints()); }, 60s)) << "the page came not back: " << m_last;

    // A third output gets its part, and the page is laid out over the three. (sway 1.7 cannot
    // take a headless output away again.)
    m_session->Run({"swaymsg", "create_output"});
    m_session->Run({"swaymsg", "output HEADLESS-3 resolution 640x480 position 1280 0"});
    EXPECT_TRUE(WaitUntil(
        [&] {
            return Shows({{700, 60, kLeft}, {1600, 60, kRight}}, 3 * kWidth);
        },
        15s))
        << "the added output: " << m_last;

    ::kill(pid, SIGTERM);
    ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
    EXPECT_TRUE(ProcessesRunning(program).empty()) << "the layer program outlived Ondrix";
    EXPECT_TRUE(WaitUntil(
        [&] {
            return Shows({{100, 80, kUsersColour}, {1100, 80, kUsersColour}, {1600, 80, kUsersColour}},
                         3 * kWidth);
        },
        10s))
        << "sway's own background did not come back: " << m_last;
}

// The hostile-page rules hold on this route: the page turns green when only its own file could
// be read, red when anything else got through; a server of the test sees no connection.
TEST_F(LayerShellSway, AHostilePageReachesNothing)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(listener, 8), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    std::string page = kLoopbackHostilePage;
    for (std::size_t at; (at = page.find("PORT")) != std::string::npos;)
        page.replace(at, 4, std::to_string(ntohs(address.sin_port)));

    AppSandbox sandbox;
    WriteThemeSettings(sandbox,
                       MakeTheme(sandbox, "Hostile", {{"index.htm", page}, {"data.txt", "own data"}}));
    HandOver(sandbox);
    const pid_t pid = sandbox.Start();
    EXPECT_TRUE(WaitUntil(
        [&] {
            return Shows({{100, 240, kGreen}, {1100, 240, kGreen}});
        },
        60s))
        << "the page's outcome: " << m_last;
    EXPECT_LT(::accept(listener, nullptr, nullptr), 0) << "the page reached the test's server";
    ::close(listener);
    ::kill(pid, SIGTERM);
    ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
}

} // namespace
} // namespace ondrix::test
