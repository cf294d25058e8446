#include "ProcessRunner.h"
#include "platform/RegFileRegistry.h"

#include <gtest/gtest.h>

#include <csignal>

namespace ondrix::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kDesktopKey = "Control Panel\\Desktop";

// With the settings-file desktop, whatever the program shows while it runs, the two desktop
// values it found at start are the ones left behind.
TEST(DesktopValues, TheUsersValuesAreLeftAsFound)
{
    AppSandbox sandbox;
    {
        RegFileRegistry registry(sandbox.registryFile().string());
        registry.WriteString(Hive::CurrentUser, kDesktopKey, "Wallpaper",
                             "/home/someone/My \"own\" picture.bmp");
        registry.WriteString(Hive::CurrentUser, kDesktopKey, "TileWallpaper", "1");
    }
    const pid_t pid = sandbox.Start();
    const auto list = sandbox.appDir() / "imgLists" / "quorvane.lst";
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(list); }, 20s));
    WaitUntil([] { return false; }, 1s);
    ::kill(pid, SIGTERM);
    ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);

    RegFileRegistry registry(sandbox.registryFile().string());
    EXPECT_EQ(registry.ReadString(Hive::CurrentUser, kDesktopKey, "Wallpaper"),
              "/home/someone/My \"own\" picture.bmp");
    EXPECT_EQ(registry.ReadString(Hive::CurrentUser, kDesktopKey, "TileWallpaper"), "1");
}

} // namespace
} // namespace ondrix::test
