// Changing on at each start in picture mode: three starts of the real program show three
// pictures of a list in order, and every exit gives the user's desktop values back.
#include "ProcessRunner.h"
#include "platform/RegFileRegistry.h"
#include "wallpaper/BmpCodec.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>

namespace ondrix::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kOptions = "SOFTWARE\\Quorvane\\Ondrix2\\Options";
constexpr auto kDesktop = "Control Panel\\Desktop";

std::string ReadAll(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Picture
{
    std::string path;
    int width;
    int height;
};

TEST(PictureChange, EachStartShowsTheNextPictureAndExitRestoresTheDesktop)
{
    AppSandbox sandbox;
    const auto lists = sandbox.appDir() / "imgLists";
    const auto workFile = lists / "WorkDir" / "wallpaper.bmp";
    std::filesystem::remove(workFile);
    const std::string listPath = (lists / "four.lst").string();

    std::vector<Picture> pictures;
    std::filesystem::create_directories(sandbox.root() / "pictures");
    std::ofstream list(listPath, std::ios::binary);
    for (int i = 0; i < 4; ++i) {
        Picture picture{(sandbox.root() / "pictures" / ("p" + std::to_string(i) + ".bmp")).string(),
                        30 + 10 * i, 20 + 5 * i};
        Bitmap bitmap(picture.width, picture.height, picture.path);
        bitmap.Fill(static_cast<std::uint8_t>(60 * i), 128, 0);
        WriteBmp(bitmap, picture.path);
        list << picture.path << "?" << picture.width << "*" << picture.height << "\r\n";
        pictures.push_back(picture);
    }
    list.close();

    std::filesystem::create_directories(sandbox.registryFile().parent_path());
    {
        RegFileRegistry registry(sandbox.registryFile().string());
        const auto hive = Hive::LocalMachine;
        for (const auto& [name, value] :
             std::initializer_list<std::pair<const char*, std::uint32_t>>{{"state", 1},
                                                                          {"ilChType", 1},
                                                                          {"Enabled", 1},
                                                                          {"firstrun", 1},
                                                                          {"ShowAboutWindow", 0},
                                                                          {"ilShowType", 0},
                                                                          {"ilDisplType", 1}})
            registry.WriteDword(hive, kOptions, name, value);
        registry.WriteString(hive, kOptions, "cIList", listPath);
        registry.WriteString(Hive::CurrentUser, kDesktop, "Wallpaper", "/home/someone/own.bmp");
        registry.WriteString(Hive::CurrentUser, kDesktop, "TileWallpaper", "0");
    }

    std::string previous;
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE("start " + std::to_string(run));
        const pid_t pid = sandbox.Start();
        const bool changed = WaitUntil(
            [&] {
                const std::string now = ReadAll(workFile);
                return !now.empty() && now != previous;
            },
            20s);
        EXPECT_TRUE(changed) << "wallpaper.bmp was not written";
        // While the program runs, the desktop points at the work file.
        EXPECT_TRUE(WaitUntil(
            [&] {
                RegFileRegistry running(sandbox.registryFile().string());
                return running.ReadString(Hive::CurrentUser, kDesktop, "Wallpaper") == workFile.string();
            },
            5s));
        ::kill(pid, SIGTERM);
        ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);

        previous = ReadAll(workFile);
        const Picture& expected = pictures[static_cast<std::size_t>(run)];
        const Bitmap shown = ReadBmp(workFile.string());
        EXPECT_EQ(shown.Width(), expected.width);
        EXPECT_EQ(shown.Height(), expected.height);

        RegFileRegistry registry(sandbox.registryFile().string());
        EXPECT_EQ(registry.ReadString(Hive::LocalMachine, kOptions, "cImg"), expected.path);
        EXPECT_EQ(registry.ReadString(Hive::CurrentUser, kDesktop, "Wallpaper"), "/home/someone/own.bmp");
        EXPECT_EQ(registry.ReadString(Hive::CurrentUser, kDesktop, "TileWallpaper"), "0");
    }
}

} // namespace
} // namespace ondrix::test
