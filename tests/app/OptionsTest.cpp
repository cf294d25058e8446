#include "app/options.h"

#include "core/Errors.h"
#include "platform/FirstRunHook.h"
#include "platform/RegFileRegistry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace ondrix {
namespace {

namespace fs = std::filesystem;

class CountingHook final : public FirstRunHook
{
public:
    void Call() override { ++calls; }
    int calls = 0;
};

class OptionsTest : public ::testing::Test
{
protected:
    OptionsTest()
    {
        fs::create_directories(m_app.path() / "imgLists");
        m_app.Write("Languages/english.lng", "[LANGUAGE_NAME]\nname=English\n");
    }

    std::string AppDir() const { return m_app.str(); }
    std::string RegPath() const { return m_config.str() + "/Quorvane/Ondrix2.reg"; }
    fs::path ListPath() const { return m_app.path() / "imgLists" / "quorvane.lst"; }

    TOptions Load()
    {
        TOptions options;
        RegFileRegistry registry(RegPath());
        LoadOptions(options, AppDir(), registry, m_hook);
        return options;
    }
    void Save(const TOptions& options)
    {
        RegFileRegistry registry(RegPath());
        SaveOptions(options, registry);
    }
    void StoreDword(const char* name, std::uint32_t value)
    {
        RegFileRegistry(RegPath()).WriteDword(Hive::LocalMachine, kOptionsKey, name, value);
    }
    void StoreString(const char* name, const std::string& value)
    {
        RegFileRegistry(RegPath()).WriteString(Hive::LocalMachine, kOptionsKey, name, value);
    }
    // Later starts: the first-run marker is stored.
    void MarkNotFirstRun() { StoreDword("firstrun", 1); }

    test::TempDir m_app;
    test::TempDir m_config;
    CountingHook m_hook;
};

TEST_F(OptionsTest, FreshSystemGivesDefaultsAndWritesFirstRunList)
{
    const fs::path before = fs::current_path();
    const TOptions o = Load();
    EXPECT_EQ(fs::current_path(), before);

    EXPECT_TRUE(o.FirstRun);
    EXPECT_EQ(m_hook.calls, 1);
    EXPECT_EQ(test::ReadFileBytes(ListPath()), AppDir() + "/imgLists/Quorvane/ilwallpap.jpg?800*600\r\n");
    EXPECT_EQ(fs::directory_iterator(m_app.path() / "imgLists")->path(), ListPath()); // no temporary left

    EXPECT_EQ(o.AppDir, AppDir());
    EXPECT_EQ(o.LanguageFileName, AppDir() + "/Languages/english.lng");
    ASSERT_EQ(o.LanguageList.size(), 1u);
    EXPECT_EQ(o.LanguageList[0].Name, "English");
    EXPECT_TRUE(o.Enabled);
    EXPECT_TRUE(o.ShowAboutWindow);
    EXPECT_TRUE(o.RunAtStartup);
    EXPECT_EQ(o.advMin, 60);
    EXPECT_EQ(o.AdvSec, 0);
    EXPECT_EQ(o.ilMin, 60);
    EXPECT_EQ(o.ilSec, 0);
    EXPECT_EQ(o.state, 0);
    EXPECT_EQ(o.ActivePage, 0);
    EXPECT_FALSE(o.ThemeSound);
    EXPECT_TRUE(o.ThemePauseCovered);
    EXPECT_FALSE(o.ThemePauseBattery);
    EXPECT_FALSE(o.ThemeOverIcons);
    EXPECT_FALSE(o.FitEachMonitor);
    EXPECT_EQ(o.DisplaySlots, (DisplaySlotArray{2, 2, 2, 0, 0, 1}));
    EXPECT_EQ(o.DisplaySlotsEdit, o.DisplaySlots);
    EXPECT_EQ(o.cadvTheme, "");
    EXPECT_EQ(o.cIList, "");
    EXPECT_EQ(o.cImg, "");
    for (const auto& link : o.Links)
        EXPECT_EQ(link, "");
    // Loading stores nothing.
    EXPECT_FALSE(fs::exists(RegPath()));
}

TEST_F(OptionsTest, LaterStartsLeaveTheFirstRunListAlone)
{
    Save(Load());
    ASSERT_EQ(m_hook.calls, 1);
    EXPECT_EQ(RegFileRegistry(RegPath()).ReadDword(Hive::LocalMachine, kOptionsKey, "firstrun"), 1u);

    fs::remove(ListPath());
    const TOptions second = Load();
    EXPECT_FALSE(second.FirstRun);
    EXPECT_EQ(m_hook.calls, 1);
    EXPECT_FALSE(fs::exists(ListPath()));

    // A marker that was edited into another type still means "not the first run".
    RegFileRegistry(RegPath()).WriteString(Hive::LocalMachine, kOptionsKey, "firstrun", "yes");
    EXPECT_FALSE(Load().FirstRun);
    EXPECT_FALSE(fs::exists(ListPath()));
}

TEST_F(OptionsTest, DamagedSettingsKeepTheUsersFirstRunList)
{
    const std::string own = "/home/user/a.jpg?1*1\r\n/home/user/b.jpg?2*2\r\n";
    m_app.Write("imgLists/quorvane.lst", own);
    fs::create_directories(fs::path(RegPath()).parent_path());
    std::ofstream(RegPath(), std::ios::binary)
        << "Windows Registry Editor Version "
           "5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Ondrix2\\Options]\n"
           "\"cImg\"=\"/home/user/a.jpg\"\n\"firstrun\"=dword:000000000001\n\"ilMin\"=dword:0000000f\n\n";
    TOptions options;
    RegFileRegistry registry(RegPath());
    ASSERT_FALSE(registry.DamagedFilePath().empty());
    LoadOptions(options, AppDir(), registry, m_hook, true);
    // Every value that could be read is kept; only the damaged line is lost.
    EXPECT_EQ(options.cImg, "/home/user/a.jpg");
    EXPECT_EQ(options.ilMin, 15);
    EXPECT_TRUE(options.FirstRun);
    EXPECT_EQ(m_hook.calls, 1);
    std::ifstream in(ListPath(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), own);

    // Without a list the first-run list is written as on any first run.
    fs::remove(ListPath());
    LoadOptions(options, AppDir(), registry, m_hook, true);
    EXPECT_TRUE(fs::exists(ListPath()));
}

TEST_F(OptionsTest, FirstRunListThatCannotBeWrittenThrowsFileError)
{
    fs::remove(m_app.path() / "imgLists");
    try {
        Load();
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("quorvane.lst"), std::string::npos) << e.what();
    }
    EXPECT_EQ(m_hook.calls, 0);
    EXPECT_FALSE(fs::exists(m_app.path() / "imgLists"));
}

TEST_F(OptionsTest, PackedDisplaySlotsLoadAndSaveBack)
{
    MarkNotFirstRun();
    StoreDword("ilgrDispl", 12);
    TOptions o = Load();
    EXPECT_EQ(o.DisplaySlots, (DisplaySlotArray{2, 1, 0, 0, 0, 0}));
    EXPECT_EQ(o.DisplaySlotsEdit, o.DisplaySlots);
    o.DisplaySlotsEdit = {0, 0, 0, 0, 0, 0}; // the page's working copy is not stored
    Save(o);
    EXPECT_EQ(RegFileRegistry(RegPath()).ReadDword(Hive::LocalMachine, kOptionsKey, "ilgrDispl"), 12u);

    StoreDword("ilgrDispl", 87654321); // digits above the sixth are lost
    o = Load();
    EXPECT_EQ(o.DisplaySlots, (DisplaySlotArray{1, 2, 3, 4, 5, 6}));
    Save(o);
    EXPECT_EQ(RegFileRegistry(RegPath()).ReadDword(Hive::LocalMachine, kOptionsKey, "ilgrDispl"), 654321u);
}

TEST_F(OptionsTest, FillAndFitDigitsRoundTripAndOldDigitsKeepTheirMeaning)
{
    MarkNotFirstRun();
    StoreDword("ilgrDispl", 431043);
    StoreDword("ilDisplType", 4);
    TOptions o = Load();
    EXPECT_EQ(o.DisplaySlots, (DisplaySlotArray{3, 4, 0, 1, 3, 4}));
    EXPECT_EQ(o.ilDisplType, 4);
    Save(o);
    EXPECT_EQ(RegFileRegistry(RegPath()).ReadDword(Hive::LocalMachine, kOptionsKey, "ilgrDispl"), 431043u);
    EXPECT_EQ(RegFileRegistry(RegPath()).ReadDword(Hive::LocalMachine, kOptionsKey, "ilDisplType"), 4u);

    // Fill chosen for one class and as the one mode: written as the digit 3.
    o.DisplaySlots = {2, 2, 2, 3, 0, 1};
    o.ilDisplType = 3;
    Save(o);
    EXPECT_EQ(RegFileRegistry(RegPath()).ReadDword(Hive::LocalMachine, kOptionsKey, "ilgrDispl"), 103222u);
    const TOptions r = Load();
    EXPECT_EQ(r.DisplaySlots, (DisplaySlotArray{2, 2, 2, 3, 0, 1}));
    EXPECT_EQ(r.ilDisplType, 3);

    // The default keeps tiled, stretched and centred where they were.
    StoreDword("ilgrDispl", 100222);
    EXPECT_EQ(Load().DisplaySlots, (DisplaySlotArray{2, 2, 2, 0, 0, 1}));
}

TEST_F(OptionsTest, SlotDigitsOutsideTheModesAreKept)
{
    EXPECT_EQ(UnpackDisplaySlots(987000), (DisplaySlotArray{0, 0, 0, 7, 8, 9}));
    EXPECT_EQ(PackDisplaySlots({0, 0, 0, 7, 8, 9}), 987000u);
    EXPECT_EQ(UnpackDisplaySlots(0xFFFFFFFFu), (DisplaySlotArray{5, 9, 2, 7, 6, 9}));
    EXPECT_EQ(PackDisplaySlots(UnpackDisplaySlots(kDefaultDisplaySlots)), kDefaultDisplaySlots);
    // No digit: it shows centred and is stored so, without spilling into slot 1.
    EXPECT_EQ(PackDisplaySlots({12, 2, 0, 0, 0, 0}), 21u);
}

TEST_F(OptionsTest, NarrowFieldsTakeTheLowByteAndBooleansAnyNonZero)
{
    MarkNotFirstRun();
    StoreDword("state", 257);
    StoreDword("AdvSec", 0x1FF);
    StoreDword("Enabled", 0x100);
    StoreDword("ShowAboutWindow", 0);
    StoreDword("advMin", 0xFFFFFFFFu);
    const TOptions o = Load();
    EXPECT_EQ(o.state, 1);
    EXPECT_EQ(o.AdvSec, 0xFF);
    EXPECT_TRUE(o.Enabled);
    EXPECT_FALSE(o.ShowAboutWindow);
    EXPECT_EQ(o.advMin, -1);
}

TEST_F(OptionsTest, ValueOfTheWrongTypeGetsItsDefault)
{
    MarkNotFirstRun();
    StoreString("state", "1");
    StoreString("ilMin", "5");
    StoreString("Enabled", "0");
    StoreString("ThemeSound", "1");
    StoreString("ThemePauseCovered", "0");
    StoreString("ilgrDispl", "12");
    StoreDword("LanguageFileName", 3);
    StoreDword("cImg", 3);
    const TOptions o = Load();
    EXPECT_EQ(o.state, 0);
    EXPECT_EQ(o.ilMin, 60);
    EXPECT_TRUE(o.Enabled);
    EXPECT_FALSE(o.ThemeSound);
    EXPECT_TRUE(o.ThemePauseCovered);
    EXPECT_EQ(o.DisplaySlots, (DisplaySlotArray{2, 2, 2, 0, 0, 1}));
    EXPECT_EQ(o.LanguageFileName, AppDir() + "/Languages/english.lng");
    EXPECT_EQ(o.cImg, "");
}

TEST_F(OptionsTest, LinksComeFromLinksIni)
{
    m_app.Write("links.ini",
                "[INTERNET_LINKS]\r\nlink0=https://home.example/\r\nLINK2 = \"https://lists.example/\"\r\n"
                "link4=https://about.example/\r\nlink5=ignored\r\n[OTHER]\r\nlink1=not this\r\n");
    const TOptions o = Load();
    EXPECT_EQ(o.Links[0], "https://home.example/");
    EXPECT_EQ(o.Links[1], "");
    EXPECT_EQ(o.Links[2], "https://lists.example/");
    EXPECT_EQ(o.Links[3], "");
    EXPECT_EQ(o.Links[4], "https://about.example/");
}

TEST_F(OptionsTest, SaveThenLoadGivesEveryStoredValueBack)
{
    TOptions o = Load();
    o.LanguageFileName = AppDir() + "/Languages/deutsch.lng";
    o.cadvTheme = AppDir() + "/advThemes_/blue \"sky\".ond";
    o.cIList = AppDir() + "/imgLists/mine.lst";
    o.cImg = "C:\\pictures\\a.jpg";
    o.lvadvSortType = -2;
    o.ActivePage = 4;
    o.lvIListsSortType = 3;
    o.Enabled = false;
    o.state = 1;
    o.ShowAboutWindow = false;
    o.RunAtStartup = false;
    o.advChType = 2;
    o.advRandOrOrder = 1;
    o.AdvSec = 59;
    o.advMin = 1440;
    o.ilChType = 1;
    o.ilRandOrOrder = 1;
    o.ilSec = 30;
    o.ilMin = 7;
    o.ilShowType = 1;
    o.ilDisplType = 2;
    o.LastPos = 5;
    o.DisplaySlots = {0, 1, 2, 2, 1, 0};
    o.ThemeSound = true;
    o.ThemePauseCovered = false;
    o.ThemePauseBattery = true;
    o.ThemeOverIcons = true;
    o.FitEachMonitor = true;
    Save(o);

    const TOptions r = Load();
    EXPECT_FALSE(r.FirstRun);
    EXPECT_EQ(r.LanguageFileName, o.LanguageFileName);
    EXPECT_EQ(r.cadvTheme, o.cadvTheme);
    EXPECT_EQ(r.cIList, o.cIList);
    EXPECT_EQ(r.cImg, o.cImg);
    EXPECT_EQ(r.lvadvSortType, -2);
    EXPECT_EQ(r.ActivePage, 4);
    EXPECT_EQ(r.lvIListsSortType, 3);
    EXPECT_FALSE(r.Enabled);
    EXPECT_EQ(r.state, 1);
    EXPECT_FALSE(r.ShowAboutWindow);
    EXPECT_FALSE(r.RunAtStartup);
    EXPECT_EQ(r.advChType, 2);
    EXPECT_EQ(r.advRandOrOrder, 1);
    EXPECT_EQ(r.AdvSec, 59);
    EXPECT_EQ(r.advMin, 1440);
    EXPECT_EQ(r.ilChType, 1);
    EXPECT_EQ(r.ilRandOrOrder, 1);
    EXPECT_EQ(r.ilSec, 30);
    EXPECT_EQ(r.ilMin, 7);
    EXPECT_EQ(r.ilShowType, 1);
    EXPECT_EQ(r.ilDisplType, 2);
    EXPECT_EQ(r.LastPos, 5);
    EXPECT_EQ(r.DisplaySlots, (DisplaySlotArray{0, 1, 2, 2, 1, 0}));
    EXPECT_EQ(r.DisplaySlotsEdit, r.DisplaySlots);
    EXPECT_TRUE(r.ThemeSound);
    EXPECT_FALSE(r.ThemePauseCovered);
    EXPECT_TRUE(r.ThemePauseBattery);
    EXPECT_TRUE(r.ThemeOverIcons);
    EXPECT_TRUE(r.FitEachMonitor);
    EXPECT_EQ(RegFileRegistry(RegPath()).ReadDword(Hive::LocalMachine, kOptionsKey, "FitEachMonitor"), 1u);
    EXPECT_EQ(RegFileRegistry(RegPath()).ReadDword(Hive::LocalMachine, kOptionsKey, "ThemeSound"), 1u);
    EXPECT_EQ(RegFileRegistry(RegPath()).ReadDword(Hive::LocalMachine, kOptionsKey, "ThemePauseCovered"), 0u);

    // And back to the defaults: both are stored, not only the values that differ from them.
    o.ThemeSound = false;
    o.ThemePauseCovered = true;
    o.ThemePauseBattery = false;
    o.ThemeOverIcons = false;
    o.FitEachMonitor = false;
    Save(o);
    const TOptions d = Load();
    EXPECT_FALSE(d.ThemeSound);
    EXPECT_TRUE(d.ThemePauseCovered);
    EXPECT_FALSE(d.ThemePauseBattery);
    EXPECT_FALSE(d.ThemeOverIcons);
    EXPECT_FALSE(d.FitEachMonitor);
    EXPECT_EQ(RegFileRegistry(RegPath()).ReadDword(Hive::LocalMachine, kOptionsKey, "FitEachMonitor"), 0u);
    EXPECT_EQ(RegFileRegistry(RegPath()).ReadDword(Hive::LocalMachine, kOptionsKey, "ThemeSound"), 0u);
    EXPECT_EQ(RegFileRegistry(RegPath()).ReadDword(Hive::LocalMachine, kOptionsKey, "ThemePauseCovered"), 1u);
}

TEST_F(OptionsTest, SaveWritesEveryValueInItsOrder)
{
    Save(Load());
    std::istringstream text(test::ReadFileBytes(RegPath()));
    std::vector<std::string> names;
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.front() == '"')
            names.push_back(line.substr(1, line.find('"', 1) - 1));
    }
    const std::vector<std::string> expected = {"LanguageFileName",
                                               "cadvTheme",
                                               "cIList",
                                               "cImg",
                                               "lvadvSortType",
                                               "ActivePage",
                                               "lvIListsSortType",
                                               "Enabled",
                                               "state",
                                               "ShowAboutWindow",
                                               "firstrun",
                                               "RunAtStartup",
                                               "advChType",
                                               "advRandOrOrder",
                                               "AdvSec",
                                               "advMin",
                                               "ilChType",
                                               "ilRandOrOrder",
                                               "ilSec",
                                               "ilMin",
                                               "ilShowType",
                                               "LastPos",
                                               "ilDisplType",
                                               "ilgrDispl",
                                               "ThemeSound",
                                               "ThemePauseCovered",
                                               "ThemePauseBattery",
                                               "ThemeOverIcons",
                                               "FitEachMonitor"};
    EXPECT_EQ(names, expected);
    EXPECT_NE(
        test::ReadFileBytes(RegPath()).find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Ondrix2\\Options]\n"),
        std::string::npos);
}

TEST_F(OptionsTest, LoadReplacesEarlierContentAndDropsTrailingSeparator)
{
    TOptions o;
    o.LanguageList.push_back(TMLang{"/old.lng", "Old", ""});
    o.advMin = 5;
    o.cImg = "stale";
    o.Links[3] = "stale";
    RegFileRegistry registry(RegPath());
    LoadOptions(o, AppDir() + "/", registry, m_hook);
    EXPECT_EQ(o.AppDir, AppDir());
    ASSERT_EQ(o.LanguageList.size(), 1u);
    EXPECT_EQ(o.LanguageList[0].Name, "English");
    EXPECT_EQ(o.advMin, 60);
    EXPECT_EQ(o.cImg, "");
    EXPECT_EQ(o.Links[3], "");
}

} // namespace
} // namespace ondrix
