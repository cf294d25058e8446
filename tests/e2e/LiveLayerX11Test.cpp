// The live layer of the real program on a bare X11 desktop (Xvfb, openbox, trayer): the theme
// plays in the layer program's desktop window, and when Ondrix is killed the layer program and
// its window are gone a second later.
#include "DesktopScenes.h"
#include "DesktopSession.h"
#include "ProcessRunner.h"
#include "layer/ThemeLayerRules.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

namespace ondrix::test {
namespace {

using namespace std::chrono_literals;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr Rgb kThemeColour{0x20, 0xA0, 0xE0};

// The text of a file of /proc (empty when it cannot be read).
std::string ProcText(pid_t pid, const char* what)
{
    return ReadFileBytes("/proc/" + std::to_string(pid) + "/" + what);
}

class LiveLayerX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const std::string missing = MissingPrograms({"Xvfb", "openbox", "trayer", "import", "xdotool"});
        if (!missing.empty())
            GTEST_SKIP() << "not installed: " << missing << " (scripts/deps installs them)";
        std::string why;
        const auto account = DesktopAccount(why);
        if (!account)
            GTEST_SKIP() << why;
        m_session = std::make_unique<DesktopSession>(*account);
        ASSERT_TRUE(m_session->StartXvfb(kWidth, kHeight, why)) << why;
        m_session->StartWindowManagerAndTray();
    }

    bool ScreenShows(const Rgb& colour)
    {
        std::string why;
        const auto shot = m_session->GrabX11(why);
        m_last = shot ? Describe(*shot) : why;
        return shot && ShowsEverywhere(*shot, colour);
    }

    std::unique_ptr<DesktopSession> m_session;
    std::string m_last;
};

TEST_F(LiveLayerX11, TheThemePlaysInTheLayerProgramAndGoesWithOndrix)
{
    AppSandbox sandbox;
    WriteThemeSettings(sandbox, MakeSolidTheme(sandbox, kThemeColour));
    HandToSession(sandbox, *m_session,
                  {{"QT_QPA_PLATFORM", "xcb"},
                   {"XDG_SESSION_TYPE", "x11"},
                   {"XDG_CURRENT_DESKTOP", ""},
                   {"ONDRIX_DESKTOP", "x11"},
                   {"ONDRIX_SCREEN", ""}});
    const std::filesystem::path program = sandbox.appDir() / "ondrix-layer";

    const pid_t pid = sandbox.Start();
    EXPECT_TRUE(WaitUntil([&] { return ScreenShows(kThemeColour); }, 60s))
        << "the theme was not shown: " << m_last;
    const std::vector<pid_t> layer = ProcessesRunning(program);
    ASSERT_EQ(layer.size(), 1u) << "one layer program runs for Ondrix";
    // Drawn in software (no GPU here), neither program loads the window system's OpenGL, and the
    // variables that keep it out are not handed on to the programs Ondrix starts.
    if (!GpuRenderNodePresent()) {
        for (const pid_t process : {pid, layer.front()}) {
            const std::string maps = ProcText(process, "maps");
            ASSERT_FALSE(maps.empty()) << "the memory map of " << process << " cannot be read";
            for (const char* driver : {"_dri.so", "libGLX_mesa", "libEGL_mesa", "libgallium"})
                EXPECT_EQ(maps.find(driver), std::string::npos) << process << " loaded " << driver;
        }
        EXPECT_EQ(ProcText(layer.front(), "environ").find("QT_XCB_GL_INTEGRATION="), std::string::npos)
            << "the layer program inherited Ondrix's OpenGL choice";
    }
    const RunResult window =
        m_session->Run({"xdotool", "search", "--onlyvisible", "--name", "^Ondrix desktop$"});
    EXPECT_FALSE(window.out.empty()) << "no live layer window is mapped";

    ::kill(pid, SIGKILL);
    const bool gone = WaitUntil([&] { return ProcessesRunning(program).empty(); }, 1s);
    EXPECT_TRUE(gone) << "the layer program outlived Ondrix";
    const RunResult left = m_session->Run({"xdotool", "search", "--name", "^Ondrix desktop$"});
    EXPECT_TRUE(left.out.empty()) << "a layer window was left: " << left.out;
    EXPECT_FALSE(ScreenShows(kThemeColour)) << "the theme still shows";
}

} // namespace
} // namespace ondrix::test
