#include "layer/ThemeLayerRules.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace ondrix;
namespace fs = std::filesystem;

TEST(ThemeLayerRendering, SoftwareWhereNoGpuUnlessTheUserChose)
{
    EXPECT_TRUE(UseSoftwareRendering({false, false, ""}));
    EXPECT_TRUE(UseSoftwareRendering({false, false, "xcb"}));
    EXPECT_TRUE(UseSoftwareRendering({false, true, "offscreen"}));
    EXPECT_FALSE(UseSoftwareRendering({false, true, ""}));
    EXPECT_FALSE(UseSoftwareRendering({false, true, "xcb"}));
    EXPECT_FALSE(UseSoftwareRendering({true, false, ""}));
    EXPECT_FALSE(UseSoftwareRendering({true, false, "offscreen"}));
}

TEST(ThemeLayerPaths, ThemeRootIsTheWorkFolderOfThePage)
{
    const fs::path work = "/app/advThemes_/WorkDir";
    EXPECT_EQ(ThemeRootOf(work, "/app/advThemes_/WorkDir/123/index.htm"), "/app/advThemes_/WorkDir/123");
    EXPECT_EQ(ThemeRootOf(work, "/app/advThemes_/WorkDir/123/sub/deep/p.htm"), "/app/advThemes_/WorkDir/123");
    EXPECT_EQ(ThemeRootOf("/app/advThemes_/WorkDir/", "/app/advThemes_/WorkDir/7/./a.htm"),
              "/app/advThemes_/WorkDir/7");
    // Outside the work folder, or directly in it: the page's own folder, never wider.
    EXPECT_EQ(ThemeRootOf(work, "/elsewhere/theme/index.htm"), "/elsewhere/theme");
    EXPECT_EQ(ThemeRootOf(work, "/app/advThemes_/WorkDir/index.htm"), "/app/advThemes_/WorkDir");
    EXPECT_EQ(ThemeRootOf(work, "/app/advThemes_/WorkDir/../../etc/x.htm"), "/app/etc");

    EXPECT_EQ(ThemeRequestPath("/w/123", "/w/123/index.htm"), "/index.htm");
    EXPECT_EQ(ThemeRequestPath("/w/123", "/w/123/sub/my page.htm"), "/sub/my page.htm");
}

TEST(ThemeLayerMime, TypesByExtension)
{
    EXPECT_EQ(ThemeMimeType("/a/b.wasm"), "application/wasm");
    EXPECT_EQ(ThemeMimeType("movie.SWF"), "application/x-shockwave-flash");
    EXPECT_EQ(ThemeMimeType("ondrix.htm"), "text/html");
    EXPECT_EQ(ThemeMimeType("x.HTML"), "text/html");
    EXPECT_EQ(ThemeMimeType("ruffle.js"), "text/javascript");
    EXPECT_EQ(ThemeMimeType("s.css"), "text/css");
    EXPECT_EQ(ThemeMimeType("p.jpg"), "image/jpeg");
    EXPECT_EQ(ThemeMimeType("p.Jpeg"), "image/jpeg");
    EXPECT_EQ(ThemeMimeType("p.gif"), "image/gif");
    EXPECT_EQ(ThemeMimeType("p.png"), "image/png");
    EXPECT_EQ(ThemeMimeType("p.bmp"), "image/bmp");
    EXPECT_EQ(ThemeMimeType("noextension"), "application/octet-stream");
    EXPECT_EQ(ThemeMimeType("dir.htm/file"), "application/octet-stream");
    EXPECT_EQ(ThemeMimeType("file.exe"), "application/octet-stream");
}

class ThemeFileResolution : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir.Write("work/1/index.htm", "<html></html>");
        m_dir.Write("work/1/sub/movie.swf", "FWS");
        m_dir.Write("work/2/other.htm", "other theme");
        m_dir.Write("ruffle/ruffle.js", "player");
        m_dir.Write("secret.txt", "secret");
        fs::create_symlink(m_dir.path() / "secret.txt", theme() / "escape.txt");
        fs::create_symlink(m_dir.path() / "work/2", theme() / "neighbour");
        fs::create_symlink(theme() / "index.htm", theme() / "alias.htm");
    }
    fs::path theme() const { return m_dir.path() / "work/1"; }
    fs::path player() const { return m_dir.path() / "ruffle"; }
    std::optional<fs::path> Resolve(std::string_view path) const
    {
        return ResolveThemeFile(theme(), player(), path);
    }

    test::TempDir m_dir;
};

TEST_F(ThemeFileResolution, ServesTheThemeAndThePlayer)
{
    EXPECT_EQ(Resolve("/index.htm"), fs::canonical(theme() / "index.htm"));
    EXPECT_EQ(Resolve("/sub/movie.swf"), fs::canonical(theme() / "sub/movie.swf"));
    EXPECT_EQ(Resolve("/sub/./movie.swf"), fs::canonical(theme() / "sub/movie.swf"));
    EXPECT_EQ(Resolve("/.ondrix-player/ruffle.js"), fs::canonical(player() / "ruffle.js"));
    // A link that stays inside the theme is followed.
    EXPECT_EQ(Resolve("/alias.htm"), fs::canonical(theme() / "index.htm"));
}

TEST_F(ThemeFileResolution, RefusesEverythingElse)
{
    for (const char* path : {"", "/", "/sub", "/sub/", "/missing.htm", "/../secret.txt",
                             "/sub/../../secret.txt", "/../2/other.htm", "//etc/passwd",
                             "/.ondrix-player//etc/passwd", "/.ondrix-player/../work/1/index.htm",
                             "/.ondrix-player/", "/escape.txt", "/neighbour/other.htm", "/..", "/sub/.."})
        EXPECT_FALSE(Resolve(path)) << '"' << path << '"';
    EXPECT_FALSE(Resolve(std::string_view("/index.htm\0.swf", 15)));
    // The player prefix alone never reaches the theme; the theme never reaches the player.
    EXPECT_FALSE(Resolve("/ruffle.js"));
    EXPECT_FALSE(Resolve("/.ondrix-player/index.htm"));
    // Nothing is served while no theme is shown.
    EXPECT_FALSE(ResolveThemeFile({}, player(), "/index.htm"));
    EXPECT_FALSE(ResolveThemeFile(m_dir.path() / "gone", player(), "/index.htm"));
}

TEST(ThemeLayerCover, FullScreenOrMaximisedShownWindowsOfThisWorkspaceCover)
{
    const auto covered = [](ClientWindow window) { return DesktopCovered({ClientWindow{}, window}); };
    EXPECT_FALSE(DesktopCovered({}));
    EXPECT_FALSE(covered({}));
    ClientWindow full;
    full.fullScreen = true;
    EXPECT_TRUE(covered(full));
    ClientWindow maximised;
    maximised.maximizedHorz = maximised.maximizedVert = true;
    EXPECT_TRUE(covered(maximised));
    // Maximised one way only leaves desktop in sight.
    ClientWindow wide;
    wide.maximizedHorz = true;
    EXPECT_FALSE(covered(wide));
    ClientWindow tall;
    tall.maximizedVert = true;
    EXPECT_FALSE(covered(tall));
    // Minimised, on another workspace, or another desktop window: nothing is covered.
    ClientWindow minimised = full;
    minimised.hidden = true;
    EXPECT_FALSE(covered(minimised));
    ClientWindow elsewhere = full;
    elsewhere.onCurrentWorkspace = false;
    EXPECT_FALSE(covered(elsewhere));
    ClientWindow icons = full;
    icons.desktopType = true;
    EXPECT_FALSE(covered(icons));
}
