#include "wallpaper/WallpaperSetter.h"

#include "TestPictures.h"
#include "app/options.h"
#include "core/Errors.h"
#include "core/RegularFile.h"
#include "platform/FileDesktopWallpaper.h"
#include "platform/RegFileRegistry.h"
#include "platform/ScreenInfo.h"
#include "support/ConvertedPictures.h"
#include "support/TempDir.h"
#include "wallpaper/BmpCodec.h"
#include "wallpaper/Picture.h"
#include "wallpaper/ResolutionAgent.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace ondrix {
namespace {

namespace fs = std::filesystem;
using Values = DesktopWallpaper::Values;

class WallpaperSetterTest : public ::testing::Test
{
protected:
    WallpaperSetterTest()
    {
        fs::create_directories(m_dir.path() / "imgLists" / "WorkDir");
        m_options.AppDir = m_dir.str();
    }

    // A BMP of its own pattern: every pixel differs from its neighbours.
    std::string MakeBmp(const std::string& name, int width, int height)
    {
        Bitmap picture(width, height, name);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint8_t* p = picture.Row(y) + 3 * x;
                p[0] = static_cast<std::uint8_t>(x);
                p[1] = static_cast<std::uint8_t>(y);
                p[2] = static_cast<std::uint8_t>(x * 7 + y * 3);
            }
        const std::string path = (m_dir.path() / name).string();
        WriteBmp(picture, path);
        return path;
    }

    std::string MakeJpeg(const std::string& name, int width, int height)
    {
        return m_dir
            .Write(name, test::EncodeJpeg(width, height, test::JpegKind::Colour,
                                          [&](int x, int y, std::uint8_t* out) {
                                              test::Quadrants(width, height, x, y, out);
                                          }))
            .string();
    }

    std::string WorkFile() const
    {
        return (m_dir.path() / "imgLists" / "WorkDir" / "wallpaper.bmp").string();
    }
    PictureSize WorkSize() const { return ReadBmpSize(WorkFile()); }
    Values Desktop() { return m_desktop.Read(); }

    void OneMode(std::uint8_t mode)
    {
        m_options.ilShowType = 0;
        m_options.ilDisplType = mode;
    }

    test::TempDir m_dir;
    TOptions m_options;
    FixedScreenInfo m_screen{{1024, 768}};
    TRAgent m_agent{m_screen};
    RegFileRegistry m_registry{(m_dir.path() / "Ondrix2.reg").string()};
    FileDesktopWallpaper m_desktop{m_registry};
    WallpaperSetter m_setter{m_options, m_agent, m_desktop};
};

TEST_F(WallpaperSetterTest, StretchedModeFillsTheDesktop)
{
    OneMode(0);
    m_setter.SetWallpaper(MakeBmp("small.bmp", 100, 100));
    EXPECT_EQ(WorkSize(), (PictureSize{1024, 768}));
    EXPECT_EQ(Desktop(), (Values{WorkFile(), "0"}));
}

TEST_F(WallpaperSetterTest, TiledSmallPictureKeepsItsSizeAndPixels)
{
    OneMode(2);
    const std::string source = MakeBmp("small.bmp", 100, 100);
    m_setter.SetWallpaper(source);
    EXPECT_EQ(Desktop(), (Values{WorkFile(), "1"}));
    const Bitmap before = ReadBmp(source);
    const Bitmap after = ReadBmp(WorkFile());
    ASSERT_EQ(after.Size(), (PictureSize{100, 100}));
    EXPECT_EQ(std::memcmp(before.Data(), after.Data(), before.ByteCount()), 0);
}

TEST_F(WallpaperSetterTest, PictureLargerThanTheDesktopIsShrunkInEveryMode)
{
    const std::string big = MakeBmp("big.bmp", 1600, 1200);
    OneMode(1);
    m_setter.SetWallpaper(big);
    EXPECT_EQ(WorkSize(), (PictureSize{1024, 768}));
    EXPECT_EQ(Desktop().tileWallpaper, "0");
    OneMode(2);
    m_setter.SetWallpaper(big);
    EXPECT_EQ(WorkSize(), (PictureSize{1024, 768}));
    EXPECT_EQ(Desktop().tileWallpaper, "1");
    // One side too large is enough.
    m_setter.SetWallpaper(MakeBmp("wide.bmp", 1025, 10));
    EXPECT_EQ(WorkSize(), (PictureSize{1024, 768}));
}

TEST_F(WallpaperSetterTest, PictureOfExactlyTheDesktopSizeIsNotStretched)
{
    OneMode(1);
    const std::string source = MakeBmp("exact.bmp", 1024, 768);
    m_setter.SetWallpaper(source);
    EXPECT_EQ(test::ReadFileBytes(WorkFile()), test::ReadFileBytes(source));
    EXPECT_EQ(Desktop(), (Values{WorkFile(), "0"}));
}

TEST_F(WallpaperSetterTest, JpegExtensionsInAnyLetterCase)
{
    OneMode(1);
    for (const char* name : {"a.jpeg", "b.JPG", "c.Jpeg", "d.jpg"}) {
        m_setter.SetWallpaper(MakeJpeg(name, 64, 48));
        const Bitmap work = ReadBmp(WorkFile());
        ASSERT_EQ(work.Size(), (PictureSize{64, 48})) << name;
        EXPECT_TRUE(test::Near(work.Row(12) + 3 * 16, 0, 0, 255)) << name;
    }
    // Any other extension is read as a bitmap, whatever the file holds.
    const std::string notBmp = MakeJpeg("e.tif", 64, 48);
    EXPECT_THROW(m_setter.SetWallpaper(notBmp), DecodeError);
    fs::copy_file(MakeBmp("f.bmp", 20, 10), m_dir.path() / "g.pic");
    m_setter.SetWallpaper((m_dir.path() / "g.pic").string());
    EXPECT_EQ(WorkSize(), (PictureSize{20, 10}));
}

TEST_F(WallpaperSetterTest, PngAndWebpPicturesBecomeTheWallpaper)
{
    // Two blocks of 50 x 100: red on the left, half-transparent white on the right.
    const test::Pam pam = test::Blocks(2, 1, 50, 4, {{255, 0, 0, 255}, {255, 255, 255, 128}});
    for (const char* format : {"png", "webp"}) {
        SCOPED_TRACE(format);
        const std::string path =
            m_dir.Write(std::string("p.") + format, test::Convert(m_dir, pam, "-quality 100", format))
                .string();
        OneMode(2);
        m_setter.SetWallpaper(path);
        EXPECT_EQ(Desktop(), (Values{WorkFile(), "1"}));
        const Bitmap kept = ReadBmp(WorkFile());
        ASSERT_EQ(kept.Size(), (PictureSize{100, 50}));
        EXPECT_TRUE(test::Near(kept.Row(25) + 3 * 10, 0, 0, 255, 2)) << "red";
        EXPECT_TRUE(test::Near(kept.Row(25) + 3 * 90, 128, 128, 128, 2)) << "white on black at half";
        OneMode(0);
        m_setter.SetWallpaper(path);
        EXPECT_EQ(WorkSize(), (PictureSize{1024, 768}));
        // Damaged, it changes nothing.
        const Values before = Desktop();
        m_dir.Write(std::string("broken.") + format, test::ReadFileBytes(path).substr(0, 40));
        EXPECT_THROW(m_setter.SetWallpaper((m_dir.path() / (std::string("broken.") + format)).string()),
                     DecodeError);
        EXPECT_EQ(Desktop(), before);
        EXPECT_EQ(WorkSize(), (PictureSize{1024, 768}));
    }
}

TEST_F(WallpaperSetterTest, LargeJpegIsDecodedScaledAndFittedExactly)
{
    m_options.ilShowType = 1;
    m_options.DisplaySlots = {0, 0, 0, 0, 0, 2};
    m_setter.SetWallpaper(MakeJpeg("big.jpg", 1600, 1200));
    // The mode follows the full 1600x1200 (class 5, tiled), not the scaled decode.
    EXPECT_EQ(Desktop(), (Values{WorkFile(), "1"}));
    const Bitmap work = ReadBmp(WorkFile());
    ASSERT_EQ(work.Size(), (PictureSize{1024, 768}));
    EXPECT_TRUE(test::Near(work.Row(192) + 3 * 256, 0, 0, 255));
    EXPECT_TRUE(test::Near(work.Row(576) + 3 * 768, 255, 255, 255));
}

TEST_F(WallpaperSetterTest, ModeBySizeClassWithTheDefaultSlots)
{
    m_options.ilShowType = 1;  // default slots 2, 2, 2, 0, 0, 1
    m_options.ilDisplType = 2; // not used
    m_setter.SetWallpaper(MakeBmp("class3.bmp", 640, 480));
    EXPECT_EQ(WorkSize(), (PictureSize{1024, 768}));
    EXPECT_EQ(Desktop().tileWallpaper, "0");

    m_setter.SetWallpaper(MakeBmp("class1.bmp", 150, 100));
    EXPECT_EQ(WorkSize(), (PictureSize{150, 100}));
    EXPECT_EQ(Desktop().tileWallpaper, "1");

    m_setter.SetWallpaper(MakeBmp("class5.bmp", 1280, 1024));
    EXPECT_EQ(WorkSize(), (PictureSize{1024, 768}));
    EXPECT_EQ(Desktop().tileWallpaper, "0");

    // Class 0 is tiled, but 1000 rows do not fit: shrunk to the desktop, still tiled.
    m_setter.SetWallpaper(MakeBmp("class0.bmp", 90, 1000));
    EXPECT_EQ(WorkSize(), (PictureSize{1024, 768}));
    EXPECT_EQ(Desktop().tileWallpaper, "1");
}

// 200x100: the left quarter (columns 0-49) red, the rest blue.
std::string MakeQuarterBmp(const test::TempDir& dir, const std::string& name)
{
    Bitmap picture(200, 100, name);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            std::uint8_t* p = picture.Row(y) + 3 * x;
            p[0] = x < 50 ? 0 : 255;
            p[1] = 0;
            p[2] = x < 50 ? 255 : 0;
        }
    const std::string path = (dir.path() / name).string();
    WriteBmp(picture, path);
    return path;
}

bool IsColour(const Bitmap& b, int x, int y, int blue, int green, int red)
{
    const std::uint8_t* p = b.Row(y) + 3 * x;
    return p[0] == blue && p[1] == green && p[2] == red;
}

TEST_F(WallpaperSetterTest, FillScalesASmallPictureUpAndCropsItsSides)
{
    OneMode(3);
    m_setter.SetWallpaper(MakeQuarterBmp(m_dir, "quarter.bmp"));
    EXPECT_EQ(Desktop(), (Values{WorkFile(), "0"}));
    const Bitmap work = ReadBmp(WorkFile());
    ASSERT_EQ(work.Size(), (PictureSize{1024, 768}));
    // Scaled by 7.68 to 1536x768, columns 256-1279 kept: the colour change at scaled
    // column 384 lands on desktop column 128 (stretched it would be at 256).
    for (int y : {0, 384, 767}) {
        EXPECT_TRUE(IsColour(work, 0, y, 0, 0, 255)) << y;
        EXPECT_TRUE(IsColour(work, 123, y, 0, 0, 255)) << y;
        EXPECT_TRUE(IsColour(work, 132, y, 255, 0, 0)) << y;
        EXPECT_TRUE(IsColour(work, 1023, y, 255, 0, 0)) << y;
    }
}

TEST_F(WallpaperSetterTest, FitScalesASmallPictureUpWithBlackBandsAboveAndBelow)
{
    OneMode(4);
    m_setter.SetWallpaper(MakeQuarterBmp(m_dir, "quarter.bmp"));
    EXPECT_EQ(Desktop(), (Values{WorkFile(), "0"}));
    const Bitmap work = ReadBmp(WorkFile());
    ASSERT_EQ(work.Size(), (PictureSize{1024, 768}));
    // Scaled by 5.12 to 1024x512 at row 128: 128 black rows above and below.
    for (int x : {0, 500, 1023}) {
        EXPECT_TRUE(IsColour(work, x, 0, 0, 0, 0)) << x;
        EXPECT_TRUE(IsColour(work, x, 127, 0, 0, 0)) << x;
        EXPECT_TRUE(IsColour(work, x, 640, 0, 0, 0)) << x;
        EXPECT_TRUE(IsColour(work, x, 767, 0, 0, 0)) << x;
    }
    for (int y : {128, 384, 639}) {
        EXPECT_TRUE(IsColour(work, 0, y, 0, 0, 255)) << y;
        EXPECT_TRUE(IsColour(work, 252, y, 0, 0, 255)) << y;
        EXPECT_TRUE(IsColour(work, 259, y, 255, 0, 0)) << y;
        EXPECT_TRUE(IsColour(work, 1023, y, 255, 0, 0)) << y;
    }
}

// One wide screen of two monitors: across the whole, or, with the option, on each of them.
TEST_F(WallpaperSetterTest, FitToEachMonitorPlacesThePictureOnEveryMonitor)
{
    m_screen.SetSize({1600, 600});
    m_screen.SetMonitors({{0, 0, 800, 600}, {800, 0, 800, 600}});
    OneMode(4);
    const std::string quarter = MakeQuarterBmp(m_dir, "quarter.bmp");

    // Off: fitted once, 1200x600 at column 200, its red quarter in columns 200-499.
    m_setter.SetWallpaper(quarter);
    {
        const Bitmap work = ReadBmp(WorkFile());
        ASSERT_EQ(work.Size(), (PictureSize{1600, 600}));
        EXPECT_TRUE(IsColour(work, 100, 300, 0, 0, 0));
        EXPECT_TRUE(IsColour(work, 300, 300, 0, 0, 255));
        EXPECT_TRUE(IsColour(work, 900, 300, 255, 0, 0));
        EXPECT_TRUE(IsColour(work, 1500, 300, 0, 0, 0));
    }

    // On: 800x400 at row 100 on each monitor, each with its red quarter in its first 200 columns.
    m_options.FitEachMonitor = true;
    m_setter.SetWallpaper(quarter);
    EXPECT_EQ(Desktop(), (Values{WorkFile(), "0"}));
    {
        const Bitmap work = ReadBmp(WorkFile());
        ASSERT_EQ(work.Size(), (PictureSize{1600, 600}));
        for (int left : {0, 800}) {
            EXPECT_TRUE(IsColour(work, left + 100, 300, 0, 0, 255)) << left;
            EXPECT_TRUE(IsColour(work, left + 700, 300, 255, 0, 0)) << left;
            EXPECT_TRUE(IsColour(work, left + 400, 50, 0, 0, 0)) << left;
            EXPECT_TRUE(IsColour(work, left + 400, 550, 0, 0, 0)) << left;
        }
    }

    // Tiled on each monitor: the desktop's size, shown as it is.
    OneMode(2);
    m_setter.SetWallpaper(quarter);
    EXPECT_EQ(WorkSize(), (PictureSize{1600, 600}));
    EXPECT_EQ(Desktop(), (Values{WorkFile(), "0"}));
    EXPECT_TRUE(IsColour(ReadBmp(WorkFile()), 800, 0, 0, 0, 255));

    // One monitor that is the whole desktop: as without the option.
    m_screen.SetMonitors({{0, 0, 1600, 600}});
    m_setter.SetWallpaper(quarter);
    EXPECT_EQ(WorkSize(), (PictureSize{200, 100}));
    EXPECT_EQ(Desktop(), (Values{WorkFile(), "1"}));
}

// A large JPEG is decoded scaled down once for every monitor and still lands exactly.
TEST_F(WallpaperSetterTest, FitToEachMonitorOfALargeJpeg)
{
    m_screen.SetSize({700, 300});
    m_screen.SetMonitors({{0, 0, 400, 300}, {400, 100, 300, 200}});
    m_options.FitEachMonitor = true;
    OneMode(3);
    m_setter.SetWallpaper(MakeJpeg("large.jpg", 4000, 2000));
    const Bitmap work = ReadBmp(WorkFile());
    ASSERT_EQ(work.Size(), (PictureSize{700, 300}));
    // Filled: the picture's middle at column 200 of the first monitor and 150 of the second.
    EXPECT_TRUE(test::Near(work.Row(140) + 3 * 190, 0, 0, 255));
    EXPECT_TRUE(test::Near(work.Row(140) + 3 * 210, 0, 255, 0));
    EXPECT_TRUE(test::Near(work.Row(190) + 3 * 540, 0, 0, 255));
    EXPECT_TRUE(test::Near(work.Row(190) + 3 * 560, 0, 255, 0));
    EXPECT_TRUE(test::Near(work.Row(210) + 3 * 560, 255, 255, 255));
    EXPECT_TRUE(test::Near(work.Row(50) + 3 * 550, 0, 0, 0));
}

TEST_F(WallpaperSetterTest, FillAndFitOfALargeJpegByTheSizeSlots)
{
    // 2048x1024 is class 5; the slot says fill, then fit.
    m_options.ilShowType = 1;
    const std::string big = MakeJpeg("big.jpg", 2048, 1024);
    m_options.DisplaySlots = {0, 0, 0, 0, 0, 3};
    m_setter.SetWallpaper(big);
    EXPECT_EQ(Desktop(), (Values{WorkFile(), "0"}));
    Bitmap work = ReadBmp(WorkFile());
    ASSERT_EQ(work.Size(), (PictureSize{1024, 768}));
    // Scaled to 1536x768, 256 columns cut on each side: the quadrants meet at column 512,
    // row 384, with no band anywhere.
    EXPECT_TRUE(test::Near(work.Row(10) + 3 * 10, 0, 0, 255));        // top left red
    EXPECT_TRUE(test::Near(work.Row(10) + 3 * 1013, 0, 255, 0));      // top right green
    EXPECT_TRUE(test::Near(work.Row(757) + 3 * 10, 255, 0, 0));       // bottom left blue
    EXPECT_TRUE(test::Near(work.Row(757) + 3 * 1013, 255, 255, 255)); // bottom right white
    EXPECT_TRUE(test::Near(work.Row(374) + 3 * 500, 0, 0, 255));
    EXPECT_TRUE(test::Near(work.Row(394) + 3 * 524, 255, 255, 255));

    m_options.DisplaySlots = {0, 0, 0, 0, 0, 4};
    m_setter.SetWallpaper(big);
    work = ReadBmp(WorkFile());
    ASSERT_EQ(work.Size(), (PictureSize{1024, 768}));
    // Scaled to 1024x512 at row 128.
    EXPECT_TRUE(test::Near(work.Row(100) + 3 * 10, 0, 0, 0, 0));
    EXPECT_TRUE(test::Near(work.Row(700) + 3 * 1013, 0, 0, 0, 0));
    EXPECT_TRUE(test::Near(work.Row(138) + 3 * 10, 0, 0, 255));
    EXPECT_TRUE(test::Near(work.Row(629) + 3 * 1013, 255, 255, 255));
}

TEST_F(WallpaperSetterTest, ModesPastFitStayCentredAndAnUnknownDesktopKeepsThePicture)
{
    // 5 is no mode: centred, so a picture that fits keeps its size, as before.
    OneMode(5);
    m_setter.SetWallpaper(MakeQuarterBmp(m_dir, "quarter.bmp"));
    EXPECT_EQ(WorkSize(), (PictureSize{200, 100}));
    EXPECT_EQ(Desktop().tileWallpaper, "0");

    m_screen.SetSize({0, 0});
    for (std::uint8_t mode : {3, 4}) {
        OneMode(mode);
        m_setter.SetWallpaper(MakeQuarterBmp(m_dir, "quarter.bmp"));
        EXPECT_EQ(WorkSize(), (PictureSize{200, 100})) << int{mode};
    }
}

TEST_F(WallpaperSetterTest, EmptyPathRemovesThePictureWithoutAWorkFile)
{
    OneMode(2);
    m_setter.SetWallpaper("");
    EXPECT_EQ(Desktop(), (Values{"", "0"}));
    EXPECT_FALSE(fs::exists(WorkFile()));
}

TEST_F(WallpaperSetterTest, BrokenOrMissingPictureChangesNothing)
{
    OneMode(2);
    m_setter.SetWallpaper(MakeBmp("good.bmp", 30, 20));
    const Values before = Desktop();
    const std::string workBefore = test::ReadFileBytes(WorkFile());

    const std::string broken = m_dir.Write("broken.bmp", "BM this is not a bitmap at all").string();
    EXPECT_THROW(m_setter.SetWallpaper(broken), DecodeError);
    std::string cut = test::ReadFileBytes(MakeJpeg("cut.jpg", 200, 200));
    const std::string truncated = m_dir.Write("truncated.jpg", cut.substr(0, cut.size() / 2)).string();
    EXPECT_THROW(m_setter.SetWallpaper(truncated), DecodeError);
    EXPECT_THROW(m_setter.SetWallpaper((m_dir.path() / "missing.jpg").string()), FileError);

    EXPECT_EQ(Desktop(), before);
    EXPECT_EQ(test::ReadFileBytes(WorkFile()), workBefore);
}

TEST_F(WallpaperSetterTest, PipesAndDevicesAsPicturesAreRefusedWithoutWaiting)
{
    OneMode(2);
    m_setter.SetWallpaper(MakeBmp("good.bmp", 30, 20));
    const Values before = Desktop();
    const std::string fifo = (m_dir.path() / "pipe.jpg").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", m_dir.path() / "zero.bmp");
    const std::string zero = (m_dir.path() / "zero.bmp").string();
    for (const std::string& path : {fifo, zero}) {
        SCOPED_TRACE(path);
        try {
            m_setter.SetWallpaper(path);
            FAIL() << "no error";
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find("picture \"" + path + "\": it is not a regular file"),
                      std::string::npos)
                << error.what();
        }
        // Reading the size only, as the lists do, is refused alike.
        EXPECT_THROW(ReadPictureSize(path, PictureKind::Jpeg), FileError);
        EXPECT_THROW(ReadPictureSize(path, PictureKind::Bmp), FileError);
    }
    // A sparse picture past the bound is refused before it is read.
    const std::string huge = (m_dir.path() / "huge.bmp").string();
    std::ofstream(huge).close();
    fs::resize_file(huge, kMaxPictureFileBytes + 1);
    EXPECT_THROW(m_setter.SetWallpaper(huge), FileError);
    EXPECT_EQ(Desktop(), before);
}

TEST_F(WallpaperSetterTest, MissingWorkFolderFailsWithoutTouchingTheValues)
{
    OneMode(0);
    m_desktop.Write({"/home/user/mine.bmp", "1"});
    fs::remove_all(m_dir.path() / "imgLists");
    EXPECT_THROW(m_setter.SetWallpaper(MakeBmp("x.bmp", 10, 10)), FileError);
    EXPECT_EQ(Desktop(), (Values{"/home/user/mine.bmp", "1"}));
}

TEST_F(WallpaperSetterTest, TheWorkFileItselfAsSource)
{
    OneMode(2);
    m_setter.SetWallpaper(MakeBmp("small.bmp", 100, 100));
    const Bitmap small = ReadBmp(WorkFile());

    // Tiled again: the same picture, read whole before it is rewritten.
    m_setter.SetWallpaper(WorkFile());
    const Bitmap same = ReadBmp(WorkFile());
    ASSERT_EQ(same.Size(), (PictureSize{100, 100}));
    EXPECT_EQ(std::memcmp(small.Data(), same.Data(), small.ByteCount()), 0);

    // Stretched, under another spelling of the same path.
    OneMode(0);
    m_setter.SetWallpaper((m_dir.path() / "imgLists" / "." / "WorkDir" / "wallpaper.bmp").string());
    const Bitmap stretched = ReadBmp(WorkFile());
    ASSERT_EQ(stretched.Size(), (PictureSize{1024, 768}));
    // The top left corner is still the source's first pixel (0, 0, 0).
    EXPECT_TRUE(test::Near(stretched.Row(0), 0, 0, 0, 1));
    EXPECT_EQ(Desktop(), (Values{WorkFile(), "0"}));
}

TEST_F(WallpaperSetterTest, SaveAndRestoreTheUsersWallpaper)
{
    m_desktop.Write({"/home/user/Pictures/cat.bmp", "1"});
    m_setter.SaveUserWallpaper();
    EXPECT_EQ(m_setter.SavedWallpaper(), "/home/user/Pictures/cat.bmp");
    EXPECT_EQ(m_setter.SavedTileWallpaper(), "1");

    OneMode(0);
    m_setter.SetWallpaper(MakeBmp("p.bmp", 10, 10));
    Values seenByDisable;
    m_setter.disableActiveDesktop = [&] { seenByDisable = Desktop(); };
    m_setter.RestoreUserWallpaper();
    EXPECT_EQ(seenByDisable, (Values{WorkFile(), "0"})) << "the Active Desktop goes off first";
    EXPECT_EQ(Desktop(), (Values{"/home/user/Pictures/cat.bmp", "1"}));
}

TEST_F(WallpaperSetterTest, MissingValuesAreSavedAndRestoredAsEmpty)
{
    m_setter.SaveUserWallpaper();
    EXPECT_EQ(m_setter.SavedWallpaper(), "");
    EXPECT_EQ(m_setter.SavedTileWallpaper(), "");
    OneMode(2);
    m_setter.SetWallpaper(MakeBmp("p.bmp", 10, 10));
    m_setter.RestoreUserWallpaper(); // no Active Desktop switch set: nothing to call
    EXPECT_EQ(Desktop(), (Values{"", ""}));
}

TEST_F(WallpaperSetterTest, DeletedWorkFolderIsMadeAgain)
{
    OneMode(0);
    fs::remove_all(m_dir.path() / "imgLists" / "WorkDir");
    m_setter.SetWallpaper(MakeBmp("x.bmp", 10, 10));
    EXPECT_EQ(WorkSize(), (PictureSize{1024, 768}));
    EXPECT_EQ(Desktop(), (Values{WorkFile(), "0"}));
}

// A desktop that shows the user's picture but whose tool fails when asked for it.
class UnreadableDesktop final : public DesktopWallpaper
{
public:
    Values Read() override { throw PlatformError("xfconf-query answered: channel not found"); }
    void Write(const Values& values) override { writes.push_back(values); }
    std::string Name() const override { return "xfce"; }
    std::vector<Values> writes;
};

TEST_F(WallpaperSetterTest, FailedReadAtStartLeavesTheDesktopAloneAllSession)
{
    UnreadableDesktop desktop;
    WallpaperSetter setter(m_options, m_agent, desktop);
    try {
        setter.SaveUserWallpaper();
        FAIL() << "the failed read was not reported";
    } catch (const PlatformError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("channel not found"), std::string::npos) << message;
        EXPECT_NE(message.find("leaves the desktop as it is"), std::string::npos) << message;
    }
    EXPECT_FALSE(setter.TouchesDesktop());

    OneMode(0);
    setter.SetWallpaper(MakeBmp("p.bmp", 10, 10)); // a change of the session
    setter.SetWallpaper(std::string());            // switching off
    bool disabled = false;
    setter.disableActiveDesktop = [&] { disabled = true; };
    setter.RestoreUserWallpaper(); // exit
    EXPECT_TRUE(disabled);
    EXPECT_TRUE(desktop.writes.empty()) << "values that were never read were written";
}

TEST_F(WallpaperSetterTest, StartAfterACrashTakesTheUsersValuesFromTheKeeper)
{
    RegFileRegistry keeper((m_dir.path() / "kept.reg").string());
    m_desktop.Write({"/home/user/Pictures/cat.bmp", "1"});
    {
        WallpaperSetter first(m_options, m_agent, m_desktop);
        first.SetKeeper(&keeper);
        first.SaveUserWallpaper();
        OneMode(0);
        first.SetWallpaper(MakeBmp("p.bmp", 10, 10));
        // Killed here: no restore.
    }
    ASSERT_EQ(Desktop(), (Values{WorkFile(), "0"}));

    RegFileRegistry keeperAfterCrash((m_dir.path() / "kept.reg").string());
    WallpaperSetter second(m_options, m_agent, m_desktop);
    second.SetKeeper(&keeperAfterCrash);
    second.SaveUserWallpaper();
    EXPECT_EQ(second.SavedWallpaper(), "/home/user/Pictures/cat.bmp");
    EXPECT_EQ(second.SavedTileWallpaper(), "1");
    second.RestoreUserWallpaper();
    EXPECT_EQ(Desktop(), (Values{"/home/user/Pictures/cat.bmp", "1"}));

    // After the clean exit the next start reads the desktop again.
    m_desktop.Write({"/home/user/Pictures/dog.bmp", "0"});
    RegFileRegistry keeperAfterExit((m_dir.path() / "kept.reg").string());
    WallpaperSetter third(m_options, m_agent, m_desktop);
    third.SetKeeper(&keeperAfterExit);
    third.SaveUserWallpaper();
    EXPECT_EQ(third.SavedWallpaper(), "/home/user/Pictures/dog.bmp");
}

TEST_F(WallpaperSetterTest, KeptValuesOfAnotherDesktopOrIncompleteAreNotUsed)
{
    RegFileRegistry keeper((m_dir.path() / "kept.reg").string());
    const std::string key = "Software\\Quorvane\\Ondrix2\\DesktopAtStart";
    keeper.WriteString(Hive::CurrentUser, key, "Wallpaper", "/from/xfce.png");
    keeper.WriteString(Hive::CurrentUser, key, "TileWallpaper", "0");
    keeper.WriteString(Hive::CurrentUser, key, "State", "0\n/from/xfce.png");
    keeper.WriteString(Hive::CurrentUser, key, "Backend", "xfce");
    m_desktop.Write({"/home/user/mine.bmp", "0"});
    m_setter.SetKeeper(&keeper);
    m_setter.SaveUserWallpaper();
    EXPECT_EQ(m_setter.SavedWallpaper(), "/home/user/mine.bmp");
    EXPECT_EQ(keeper.ReadString(Hive::CurrentUser, key, "Backend"), "file");

    // A record cut short before its backend was written is read anew.
    keeper.DeleteValue(Hive::CurrentUser, key, "State");
    m_desktop.Write({"/home/user/other.bmp", "0"});
    WallpaperSetter again(m_options, m_agent, m_desktop);
    again.SetKeeper(&keeper);
    again.SaveUserWallpaper();
    EXPECT_EQ(again.SavedWallpaper(), "/home/user/other.bmp");
}

TEST(FileDesktopWallpaper, KeepsTheTwoValuesUnderTheDesktopKey)
{
    test::TempDir dir;
    RegFileRegistry registry((dir.path() / "r.reg").string());
    FileDesktopWallpaper desktop(registry);
    EXPECT_EQ(desktop.Name(), "file");
    EXPECT_EQ(desktop.Read(), (Values{"", ""}));
    desktop.Write({"/tmp/w.bmp", "1"});
    EXPECT_EQ(registry.ReadString(Hive::CurrentUser, "Control Panel\\Desktop", "Wallpaper"), "/tmp/w.bmp");
    EXPECT_EQ(registry.ReadString(Hive::CurrentUser, "Control Panel\\Desktop", "TileWallpaper"), "1");
    // Another registry object on the same file sees them.
    RegFileRegistry again((dir.path() / "r.reg").string());
    EXPECT_EQ(FileDesktopWallpaper(again).Read(), (Values{"/tmp/w.bmp", "1"}));
}

} // namespace
} // namespace ondrix
