#include "platform/linux/SwayOutputs.h"

#include "core/Errors.h"
#include "platform/PictureFiles.h"
#include "platform/fake/FakeCommandRunner.h"
#include "platform/linux/WlrootsDesktopWallpaper.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace ondrix {
namespace {

using Argv = std::vector<std::string>;

// What "swaymsg -t get_outputs -r" printed on headless sway 1.7 with two outputs (members
// without interest here shortened), and a third output switched off.
const char* const kTwoOutputs = R"([
  {
    "id": 3,
    "type": "output",
    "orientation": "none",
    "percent": 0.5,
    "urgent": false,
    "marks": [
    ],
    "layout": "output",
    "rect": {
      "x": 0,
      "y": 0,
      "width": 640,
      "height": 480
    },
    "deco_rect": { "x": 0, "y": 0, "width": 0, "height": 0 },
    "name": "HEADLESS-1",
    "window": null,
    "nodes": [
    ],
    "focus": [
      4
    ],
    "active": true,
    "scale": 1.0,
    "current_mode": { "width": 640, "height": 480, "refresh": 60000 },
    "focused": true
  },
  {
    "id": 5,
    "rect": { "x": 640, "y": 0, "width": 640, "height": 480 },
    "name": "HEADLESS-2",
    "active": true,
    "scale": 1.0,
    "modes": [ { "width": 640, "height": 480, "refresh": 60000, "picture_aspect_ratio": "none" } ]
  },
  {
    "id": 7,
    "rect": { "x": 0, "y": 0, "width": 0, "height": 0 },
    "name": "DP-\u00e92",
    "active": false,
    "scale": -1.0
  }
])";

TEST(SwayOutputs, ReadsNameRectangleScaleAndActivity)
{
    const auto outputs = ParseSwayOutputs(kTwoOutputs);
    ASSERT_TRUE(outputs.has_value());
    EXPECT_EQ(*outputs, (std::vector<SwayOutput>{{"HEADLESS-1", {0, 0, 640, 480}, 1.0, true},
                                                 {"HEADLESS-2", {640, 0, 640, 480}, 1.0, true},
                                                 {"DP-\xC3\xA9"
                                                  "2",
                                                  {0, 0, 0, 0},
                                                  -1.0,
                                                  false}}));
    EXPECT_EQ(ParseSwayOutputs(" [ ] "), std::vector<SwayOutput>{});
    // An output without a name or without a whole rectangle is left out.
    EXPECT_EQ(
        ParseSwayOutputs(R"([{"rect":{"x":0,"y":0,"width":1,"height":1}},{"name":"A","rect":{"x":0}}])"),
        std::vector<SwayOutput>{});
}

TEST(SwayOutputs, TextThatIsNotTheListGivesNothing)
{
    const std::string text = kTwoOutputs;
    for (const std::string& bad :
         {std::string(), std::string("{}"), std::string("[1]"), text.substr(0, text.size() / 2), text + "]",
          std::string(R"([{"name":"A" "rect":{}}])"), std::string(R"([{"name":"A\q"}])"),
          std::string(R"([{"name":"A","rect":{"x":0.5,"y":0,"width":1,"height":1}}])"),
          std::string(R"([{"name":"A","rect":{"x":1e300,"y":0,"width":1,"height":1}}])"),
          std::string("[{\"name\":\"tab\there\"}]"), std::string(200, '[') + std::string(200, ']')})
        EXPECT_FALSE(ParseSwayOutputs(bad).has_value()) << bad;
    // Nesting within the bound is read.
    EXPECT_TRUE(ParseSwayOutputs(
                    R"([{"nodes":[[[[{"a":[]}]]]],"name":"A","rect":{"x":0,"y":0,"width":1,"height":1}}])")
                    .has_value());
}

// Pictures held in memory by path.
class MemoryPictureFiles final : public PictureFiles
{
public:
    BgrPixels Load(const std::string& path) override { return files.at(path); }
    DesktopSize SizeOf(const std::string& path) override
    {
        const BgrPixels& p = files.at(path);
        return {p.width, p.height};
    }
    // Also leaves an empty file there, so that removing the pieces can be seen.
    void Save(const BgrPixels& pixels, const std::string& path) override
    {
        files[path] = pixels;
        std::ofstream{path};
    }
    std::map<std::string, BgrPixels> files;
};

// Blue is the column, green the row.
BgrPixels CoordinatePicture(int width, int height)
{
    BgrPixels picture{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &picture.bgr[(std::size_t(y) * width + x) * 3];
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = 9;
        }
    return picture;
}

class NoChildren final : public ChildProcesses
{
public:
    int Start(const std::vector<std::string>&) override { return 1; }
    bool Running(int) override { return true; }
    void Stop(int) override {}
};

class WlrootsPieces : public ::testing::Test
{
protected:
    void Answer(const std::string& outputs)
    {
        runner.handler = [outputs](const Argv& argv, CommandResult& answer) {
            if (argv == Argv{"swaymsg", "-t", "get_outputs", "-r"}) {
                answer = {0, outputs, ""};
                return true;
            }
            return false;
        };
    }

    FakeCommandRunner runner;
    MemoryPictureFiles pictures;
    WlrootsDesktopWallpaper wlroots{runner, true, std::make_unique<NoChildren>(), &pictures};
};

TEST_F(WlrootsPieces, APictureOfTheLayoutsSizeIsCutForEachOutput)
{
    runner.installed = {"swaymsg"};
    // Outputs above and beside each other, the layout starting at (-20, 10): 40x30 in all.
    Answer(R"([{"name":"A","rect":{"x":-20,"y":10,"width":16,"height":30},"scale":1,"active":true},
               {"name":"B","rect":{"x":-4,"y":10,"width":24,"height":12},"scale":1,"active":true},
               {"name":"C","rect":{"x":-4,"y":22,"width":24,"height":18},"scale":1.0,"active":true},
               {"name":"OFF","rect":{"x":500,"y":0,"width":10,"height":10},"scale":1,"active":false}])");
    pictures.files["/w/WorkDir/wallpaper.bmp"] = CoordinatePicture(40, 30);
    wlroots.Write({"/w/WorkDir/wallpaper.bmp", "0"});

    EXPECT_EQ(runner.calls,
              (std::vector<Argv>{{"swaymsg", "-t", "get_outputs", "-r"},
                                 {"swaymsg", "output", "A", "bg", "/w/WorkDir/wallpaper-1.bmp", "center"},
                                 {"swaymsg", "output", "B", "bg", "/w/WorkDir/wallpaper-2.bmp", "center"},
                                 {"swaymsg", "output", "C", "bg", "/w/WorkDir/wallpaper-3.bmp", "center"}}));
    const auto at = [&](const std::string& file, int x, int y) {
        const BgrPixels& p = pictures.files.at(file);
        const std::uint8_t* px = &p.bgr[(std::size_t(y) * p.width + x) * 3];
        return std::vector<int>{px[0], px[1]};
    };
    EXPECT_EQ(pictures.files.at("/w/WorkDir/wallpaper-1.bmp").width, 16);
    EXPECT_EQ(pictures.files.at("/w/WorkDir/wallpaper-1.bmp").height, 30);
    EXPECT_EQ(at("/w/WorkDir/wallpaper-1.bmp", 15, 29), (std::vector<int>{15, 29}));
    EXPECT_EQ(at("/w/WorkDir/wallpaper-2.bmp", 0, 0), (std::vector<int>{16, 0}));
    EXPECT_EQ(at("/w/WorkDir/wallpaper-2.bmp", 23, 11), (std::vector<int>{39, 11}));
    EXPECT_EQ(at("/w/WorkDir/wallpaper-3.bmp", 0, 0), (std::vector<int>{16, 12}));
    EXPECT_EQ(at("/w/WorkDir/wallpaper-3.bmp", 23, 17), (std::vector<int>{39, 29}));
    EXPECT_EQ(wlroots.Read(), (DesktopWallpaper::Values{"/w/WorkDir/wallpaper.bmp", "0"}));

    // An output that refuses its piece is an error.
    runner.answers.clear();
    const auto outputs = R"([{"name":"A","rect":{"x":0,"y":0,"width":20,"height":30},"scale":1,"active":true},
                            {"name":"B","rect":{"x":20,"y":0,"width":20,"height":30},"scale":1,"active":true}])";
    runner.handler = [outputs](const Argv& argv, CommandResult& answer) {
        answer = argv[1] == "-t" ? CommandResult{0, outputs, ""}
                                 : CommandResult{0, R"([ { "success": false, "error": "no" } ])", ""};
        return true;
    };
    EXPECT_THROW(wlroots.Write({"/w/WorkDir/wallpaper.bmp", "0"}), PlatformError);
}

TEST_F(WlrootsPieces, OtherwiseEveryOutputGetsTheWholePicture)
{
    runner.installed = {"swaymsg"};
    pictures.files["/w/WorkDir/wallpaper.bmp"] = CoordinatePicture(40, 30);
    const Argv whole{"swaymsg", "output", "*", "bg", "/w/WorkDir/wallpaper.bmp", "center"};
    const std::string pair =
        R"([{"name":"A","rect":{"x":0,"y":0,"width":20,"height":30},"scale":SCALE,"active":true},
                                 {"name":"NAME","rect":{"x":20,"y":0,"width":WIDTH,"height":30},"scale":1,"active":true}])";
    const auto layout = [&](const std::string& scale, const std::string& name, const std::string& width) {
        std::string text = pair;
        text.replace(text.find("SCALE"), 5, scale);
        text.replace(text.find("NAME"), 4, name);
        text.replace(text.find("WIDTH"), 5, width);
        return text;
    };
    for (const std::string& outputs :
         {layout("1", "B", "21"),   // not the picture's size
          layout("2", "B", "20"),   // a scaled output
          layout("1", "B C", "20"), // a name sway would split
          layout("1", "-B", "20"),  // a name swaymsg would take for an option
          std::string(
              R"([{"name":"A","rect":{"x":0,"y":0,"width":40,"height":30},"scale":1,"active":true}])"),
          std::string("not json")}) {
        runner.calls.clear();
        Answer(outputs);
        wlroots.Write({"/w/WorkDir/wallpaper.bmp", "0"});
        ASSERT_EQ(runner.calls.size(), 2u) << outputs;
        EXPECT_EQ(runner.calls[1], whole) << outputs;
    }
    EXPECT_EQ(pictures.files.size(), 1u); // no piece was written

    // A tiled picture and no picture are never cut; sway is not even asked.
    runner.calls.clear();
    wlroots.Write({"/w/WorkDir/wallpaper.bmp", "1"});
    wlroots.Write({"", "0"});
    EXPECT_EQ(runner.calls,
              (std::vector<Argv>{{"swaymsg", "output", "*", "bg", "/w/WorkDir/wallpaper.bmp", "tile"},
                                 {"swaymsg", "output", "*", "bg", "#000000", "solid_color"}}));
}

// Pieces no output shows any more are removed; the work file and other files beside it stay.
TEST_F(WlrootsPieces, PiecesNoLongerShownAreRemoved)
{
    runner.installed = {"swaymsg"};
    test::TempDir root;
    const std::filesystem::path dir = root.path() / "WorkDir";
    std::filesystem::create_directory(dir);
    const std::string work = (dir / "wallpaper.bmp").string();
    const auto piece = [&](int n) { return dir / ("wallpaper-" + std::to_string(n) + ".bmp"); };
    pictures.Save(CoordinatePicture(40, 30), work);
    std::ofstream{dir / "wallpaper-9.bmp"}; // not one of ours
    const std::string three =
        R"([{"name":"A","rect":{"x":0,"y":0,"width":10,"height":30},"scale":1,"active":true},
                                  {"name":"B","rect":{"x":10,"y":0,"width":10,"height":30},"scale":1,"active":true},
                                  {"name":"C","rect":{"x":20,"y":0,"width":20,"height":30},"scale":1,"active":true}])";
    Answer(three);
    wlroots.Write({work, "0"});
    EXPECT_TRUE(std::filesystem::exists(piece(3)));
    Answer(R"([{"name":"A","rect":{"x":0,"y":0,"width":20,"height":30},"scale":1,"active":true},
               {"name":"C","rect":{"x":20,"y":0,"width":20,"height":30},"scale":1,"active":true}])");
    wlroots.Write({work, "0"});
    EXPECT_TRUE(std::filesystem::exists(piece(1)));
    EXPECT_TRUE(std::filesystem::exists(piece(2)));
    EXPECT_FALSE(std::filesystem::exists(piece(3)));
    // A tiled picture goes to every output whole: no piece is left.
    wlroots.Write({work, "1"});
    EXPECT_FALSE(std::filesystem::exists(piece(1)));
    EXPECT_FALSE(std::filesystem::exists(piece(2)));
    // Back to pieces, then the user's background: the pieces go with it.
    const std::string untouched =
        WlrootsDesktopWallpaper(runner, true, std::make_unique<NoChildren>()).SaveState();
    Answer(three);
    wlroots.Write({work, "0"});
    EXPECT_TRUE(std::filesystem::exists(piece(3)));
    wlroots.RestoreState(untouched);
    EXPECT_FALSE(std::filesystem::exists(piece(1)));
    EXPECT_FALSE(std::filesystem::exists(piece(3)));
    EXPECT_TRUE(std::filesystem::exists(work));
    EXPECT_TRUE(std::filesystem::exists(dir / "wallpaper-9.bmp"));

    // A write that fails half way still leaves no piece behind the next restore.
    runner.handler = [three](const Argv& argv, CommandResult& answer) {
        const bool list = argv[1] == "-t";
        const bool refused = argv.size() > 2 && argv[2] == "B";
        answer = list ? CommandResult{0, three, ""}
                      : CommandResult{
                            0, refused ? R"([ { "success": false } ])" : R"([ { "success": true } ])", ""};
        return true;
    };
    EXPECT_THROW(wlroots.Write({work, "0"}), PlatformError);
    EXPECT_TRUE(std::filesystem::exists(piece(2)));
    wlroots.RestoreState(untouched);
    EXPECT_FALSE(std::filesystem::exists(piece(1)));
    EXPECT_FALSE(std::filesystem::exists(piece(2)));
    EXPECT_FALSE(std::filesystem::exists(piece(3)));

    // A picture outside the work folder is never cut: nothing is written beside it.
    const std::string own = (root.path() / "own.bmp").string();
    pictures.Save(CoordinatePicture(40, 30), own);
    Answer(three);
    wlroots.Write({own, "0"});
    EXPECT_FALSE(std::filesystem::exists(root.path() / "own-1.bmp"));
    EXPECT_EQ(runner.calls.back(), (Argv{"swaymsg", "output", "*", "bg", own, "center"}));
}

} // namespace
} // namespace ondrix
