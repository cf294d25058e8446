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

TEST(AppFolderComponentProbes, FlashNeedsEveryPlayerFile)
{
    test::TempDir dir;
    const AppFolderComponentProbes probes(true, dir.str(), {"ruffle/ruffle.js", "ruffle/core.wasm"});
    EXPECT_TRUE(probes.ActiveDesktopRegistered());
    EXPECT_FALSE(probes.FlashRegistered());
    dir.Write("ruffle/ruffle.js", "js");
    EXPECT_FALSE(probes.FlashRegistered());
    fs::create_directories(dir.path() / "ruffle" / "core.wasm");
    EXPECT_FALSE(probes.FlashRegistered()); // a folder is no player file
    fs::remove(dir.path() / "ruffle" / "core.wasm");
    dir.Write("ruffle/core.wasm", "wasm");
    EXPECT_TRUE(probes.FlashRegistered());
    EXPECT_FALSE(AppFolderComponentProbes(false, dir.str(), {"ruffle/ruffle.js"}).ActiveDesktopRegistered());
    EXPECT_FALSE(AppFolderComponentProbes(true, dir.str(), {}).FlashRegistered());
}

} // namespace
} // namespace ondrix
