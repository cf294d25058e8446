// The toolkit's screens as monitors: two screens of the offscreen platform, one of them at a
// negative position, as a configuration file of that platform describes them.
#include "platform/linux/QtScreenInfo.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace ondrix {
namespace {

TEST(QtScreenInfo, ScreensAreMonitorsFromTheUnionsTopLeftCorner)
{
    QtScreenInfo screen;
    // Left: 800x600 at (-800, 0); right: 1024x768 at (0, 100). Together 1824 wide, 868 high.
    EXPECT_EQ(screen.CurrentDesktopSize(), (DesktopSize{1824, 868}));
    EXPECT_EQ(screen.CurrentMonitors(), (std::vector<MonitorRect>{{0, 0, 800, 600}, {800, 100, 1024, 768}}));
    EXPECT_EQ(UsableMonitors(screen.CurrentMonitors(), screen.CurrentDesktopSize()).size(), 2u);
}

} // namespace
} // namespace ondrix

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir dir;
    const std::string config = dir.filePath("screens.json").toStdString();
    std::ofstream(config) << R"({"screens": [
        {"name": "left", "x": -800, "y": 0, "width": 800, "height": 600, "dpr": 1.0},
        {"name": "right", "x": 0, "y": 100, "width": 1024, "height": 768, "dpr": 1.0}]})";
    const std::string platform = "offscreen:configfile=" + config;
    ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    QGuiApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
