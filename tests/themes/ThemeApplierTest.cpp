#include "ThemeFixtures.h"
#include "core/Errors.h"
#include "platform/ActiveDesktop.h"
#include "platform/FileActiveDesktop.h"
#include "platform/RegFileRegistry.h"
#include "platform/Shell.h"
#include "themes/DesktopThemeApplier.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ondrix {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class RecordingLayer final : public ActiveDesktop
{
public:
    void ShowStartPage(const std::string& page) override { calls.push_back("show " + page); }
    void SwitchOff() override { calls.push_back("off"); }
    Names calls;
};

class RecordingShell final : public Shell
{
public:
    ShellResult Open(const std::string& target) override
    {
        opened.push_back(target);
        return result;
    }
    void OpenDisplaySettings() override {}
    Names opened;
    ShellResult result = ShellResult::Ok;
};

class ThemeApplierTest : public ::testing::Test
{
protected:
    std::string Package(const std::string& cfg) const
    {
        const auto file = m_app.dir.path() / "advThemes_" / "t.ond";
        test::WriteRawZip(file, {{"theme.cfg", cfg}, {"index.htm", "<html>"}, {"media/m.swf", "FWS"}});
        return file.string();
    }

    test::ThemeAppDir m_app;
    test::FixedProbes m_probes;
    RecordingLayer m_layer;
    RecordingShell m_shell;
    Names m_messages;
    std::string m_helpFile = "\\Help\\index.html";
    DesktopThemeApplier m_applier{m_app.env,
                                  m_layer,
                                  m_probes,
                                  m_shell,
                                  [this](const std::string& text, const std::string& caption) {
                                      m_messages.push_back(caption + ": " + text);
                                  },
                                  [this] { return m_helpFile; }};
};

TEST_F(ThemeApplierTest, UnpacksIntoANewFolderAndShowsTheStartPage)
{
    const std::string package = Package(test::CurrentCfg("Sky"));
    m_app.clock.tick = 100;
    m_applier.ApplyTheme(package);
    m_app.clock.tick = 250;
    m_applier.ApplyTheme(package);
    EXPECT_EQ(m_layer.calls, (Names{"show " + m_app.Work("100") + "/index.htm",
                                    "show " + m_app.Work("250") + "/index.htm"}));
    EXPECT_EQ(test::ReadFileBytes(m_app.Work("250/media/m.swf")), "FWS");
    EXPECT_EQ(test::ThemeAppDir::Names(m_app.Work()), (Names{"100", "250"}));
    m_applier.DisableActiveDesktop();
    m_applier.DisableActiveDesktop();
    EXPECT_EQ(m_layer.calls.back(), "off");
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(ThemeApplierTest, WithoutStartupTheStartPageIsOndrixHtm)
{
    m_app.clock.tick = 7;
    m_applier.ApplyTheme(Package("[Name]\r\nThemeName=x\r\n[Style]\r\nindex=0\r\n"));
    EXPECT_EQ(m_layer.calls, (Names{"show " + m_app.Work("7") + "/ondrix.htm"}));
}

TEST_F(ThemeApplierTest, AMissingComponentShowsTheMessageAndTheHelpFile)
{
    const std::string package = Package(test::CurrentCfg("Sky"));
    m_probes.flash = false;
    m_applier.ApplyTheme(package);
    EXPECT_EQ(m_messages, (Names{"Ondrix 2.00 Error: Error: ActiveDesktop or ShockWave ActiveX not found."}));
    EXPECT_EQ(m_shell.opened, (Names{m_app.dir.str() + "/Help/index.html"}));
    // The timer's next changes say nothing more; the user's next request does.
    m_applier.ApplyTheme(package);
    m_applier.ApplyTheme(package);
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_shell.opened.size(), 1u);
    m_applier.UserAskedForTheme();

    // A language without a help file: AppDir + "nofile", which is not found.
    m_probes.flash = true;
    m_probes.layer = false;
    m_helpFile.clear();
    m_shell.result = ShellResult::FileNotFound;
    m_messages.clear();
    m_applier.ApplyTheme(package);
    EXPECT_EQ(m_messages, (Names{"Ondrix 2.00 Error: Error: ActiveDesktop or ShockWave ActiveX not found.",
                                 "Ondrix 2.00: Help file not found"}));
    EXPECT_EQ(m_shell.opened.back(), m_app.dir.str() + "nofile");
    EXPECT_TRUE(m_layer.calls.empty());
    EXPECT_TRUE(test::ThemeAppDir::Names(m_app.Work()).empty());
}

TEST_F(ThemeApplierTest, AVanishedOrRefusedPackageThrowsOnceAndShowsNothing)
{
    try {
        m_applier.ApplyTheme(m_app.Store("gone.ond"));
        FAIL();
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("gone.ond\" does not exist"), std::string::npos);
    }
    test::WriteRawZip(m_app.Store("slip.ond"), {{"theme.cfg", "x"}, {"..\\..\\..\\evil.htm", "x"}});
    EXPECT_THROW(m_applier.ApplyTheme(m_app.Store("slip.ond")), ArchiveError);
    EXPECT_TRUE(m_layer.calls.empty());
    EXPECT_TRUE(test::ThemeAppDir::Names(m_app.Work()).empty());
    EXPECT_FALSE(fs::exists(m_app.dir.path() / "evil.htm"));
}

TEST(FileActiveDesktop, RecordsTheLayerInTheRegistry)
{
    test::TempDir dir;
    const std::string path = (dir.path() / "Ondrix2.reg").string();
    constexpr const char* kKey = "Software\\Microsoft\\Internet Explorer\\Desktop\\General";
    {
        RegFileRegistry registry(path);
        FileActiveDesktop layer(registry);
        layer.SwitchOff();
        EXPECT_EQ(registry.ReadDword(Hive::CurrentUser, kKey, "ActiveDesktop"), 0u);
        EXPECT_EQ(registry.ReadString(Hive::CurrentUser, kKey, "Wallpaper"), std::nullopt);
        layer.ShowStartPage("/app/advThemes_/WorkDir/12/index.htm");
        layer.SwitchOff();
    }
    const std::string text = test::ReadFileBytes(path);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Desktop\\General]\n"
                        "\"ActiveDesktop\"=dword:00000000\n"
                        "\"Wallpaper\"=\"/app/advThemes_/WorkDir/12/index.htm\"\n"),
              std::string::npos)
        << text;
    RegFileRegistry registry(path);
    FileActiveDesktop(registry).ShowStartPage("/p/ondrix.htm");
    EXPECT_EQ(registry.ReadDword(Hive::CurrentUser, kKey, "ActiveDesktop"), 1u);
    EXPECT_EQ(registry.ReadString(Hive::CurrentUser, kKey, "Wallpaper"), "/p/ondrix.htm");
}

// The build's own player folder, its files linked into a new application folder: the probe
// answers yes, and no as soon as any one file it lists is missing.
TEST(AppFolderComponentProbes, FlashNeedsEveryFileOfTheBuildsPlayer)
{
    const fs::path built = fs::path(ONDRIX_APP_DIR) / "ruffle";
    if (!fs::exists(built / "player-files"))
        GTEST_SKIP() << "built without the player (-DONDRIX_PLAYER=OFF)";
    test::TempDir dir;
    fs::create_directories(dir.path() / "ruffle");
    for (const auto& entry : fs::directory_iterator(built))
        fs::create_symlink(entry.path(), dir.path() / "ruffle" / entry.path().filename());
    const AppFolderComponentProbes probes(true, dir.str());
    EXPECT_TRUE(probes.ActiveDesktopRegistered());
    ASSERT_TRUE(probes.FlashRegistered());

    const std::vector<std::string> files = PlayerFilesOf(dir.str());
    int modules = 0;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        modules += file.ends_with(".wasm");
        const fs::path path = dir.path() / file;
        const fs::path aside = path.string() + ".aside";
        fs::rename(path, aside);
        EXPECT_FALSE(probes.FlashRegistered());
        fs::rename(aside, path);
    }
    EXPECT_GE(modules, 1);
    EXPECT_TRUE(probes.FlashRegistered());
    EXPECT_FALSE(AppFolderComponentProbes(false, dir.str()).ActiveDesktopRegistered());
}

TEST(AppFolderComponentProbes, AManifestThatIsNotTheBuildsNamesNoPlayer)
{
    test::TempDir dir;
    dir.Write("ruffle/ruffle.js", "js");
    dir.Write("ruffle/core.ruffle.1.js", "core");
    dir.Write("ruffle/1.wasm", "wasm");
    const AppFolderComponentProbes probes(true, dir.str());
    EXPECT_FALSE(probes.FlashRegistered()); // no manifest
    dir.Write("ruffle/player-files", "ruffle.js\r\ncore.ruffle.1.js\r\n1.wasm\r\n");
    EXPECT_TRUE(probes.FlashRegistered());
    for (const char* manifest : {"ruffle.js\ncore.ruffle.1.js\n", "ruffle.js\n1.wasm\n",
                                 "ruffle.js\ncore.ruffle.1.js\n../1.wasm\n", "core.ruffle.1.js\n1.wasm\n"}) {
        SCOPED_TRACE(manifest);
        dir.Write("ruffle/player-files", manifest);
        EXPECT_FALSE(probes.FlashRegistered());
    }
    fs::remove(dir.path() / "ruffle" / "player-files");
    fs::create_directory(dir.path() / "ruffle" / "player-files");
    EXPECT_FALSE(probes.FlashRegistered());
}

} // namespace
} // namespace ondrix
