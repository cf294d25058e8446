// The two layouts of the program's files: a portable folder holds everything; an installed
// program under a prefix reads its own files there and keeps the user's in the user's data
// folder, given the shipped files once.
#include "app/AppLayout.h"

#include "app/options.h"
#include "core/Errors.h"
#include "platform/FirstRunHook.h"
#include "platform/RegFileRegistry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ondrix {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class NoHook final : public FirstRunHook
{
public:
    void Call() override {}
};

// A prefix as a package installs it: bin/ beside share/ondrix with languages, help, links and
// the shipped files.
class InstalledTree : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(m_root.path() / "usr/bin");
        m_root.Write("usr/share/ondrix/Languages/english.lng", "[LANGUAGE_NAME]\nname=English\n");
        m_root.Write("usr/share/ondrix/Languages/deutsch.lng", "[LANGUAGE_NAME]\nname=Deutsch\n");
        m_root.Write("usr/share/ondrix/Help/index.html", "help");
        m_root.Write("usr/share/ondrix/links.ini", "[INTERNET_LINKS]\nlink0=\\Help\\index.html\n");
        m_root.Write("usr/share/ondrix/imgLists/Quorvane/ilwallpap.jpg", "picture");
        m_root.Write("usr/share/ondrix/advThemes_/Aurora.ond", "aurora");
        m_root.Write("usr/share/ondrix/advThemes_/Tide.ond", "tide");
        fs::create_directories(m_root.path() / "usr/lib/ondrix");
    }

    fs::path Bin() const { return m_root.path() / "usr/bin"; }
    fs::path Share() const { return m_root.path() / "usr/share/ondrix"; }
    fs::path Data() const { return m_root.path() / "home/.local/share"; }
    std::string Home() const { return (m_root.path() / "home").string(); }

    test::TempDir m_root;
};

TEST(AppLayoutTest, AFolderWithTheUsersFoldersIsPortable)
{
    test::TempDir root;
    // Even beside a prefix's share folder, and whatever the environment says.
    fs::create_directories(root.path() / "bin/imgLists");
    fs::create_directories(root.path() / "bin/advThemes_");
    fs::create_directories(root.path() / "share/ondrix");
    const AppLayout layout = FindAppLayout(root.path() / "bin", "/xdg", "/home/someone");
    EXPECT_FALSE(layout.installed);
    EXPECT_EQ(layout.appDir, (root.path() / "bin").string());
    EXPECT_EQ(layout.dataDir, layout.appDir);
    EXPECT_EQ(layout.libDir, layout.appDir);
    // A build folder whose image lists were deleted stays portable (its folders are made
    // again), and so does a "bin" folder without a prefix's share folder beside it.
    fs::create_directories(root.path() / "build/Ondrix");
    EXPECT_FALSE(FindAppLayout(root.path() / "build/Ondrix", "/xdg", "/home/someone").installed);
    fs::create_directories(root.path() / "other/bin");
    EXPECT_FALSE(FindAppLayout(root.path() / "other/bin", "/xdg", "/home/someone").installed);
}

TEST_F(InstalledTree, TheUsersFilesGoToTheDataFolderAndTheRestIsReadFromThePrefix)
{
    const AppLayout xdg = FindAppLayout(Bin(), "/somewhere/data", Home().c_str());
    EXPECT_TRUE(xdg.installed);
    EXPECT_EQ(xdg.appDir, "/somewhere/data/ondrix");
    EXPECT_EQ(fs::path(xdg.dataDir), Share());
    EXPECT_EQ(fs::path(xdg.libDir), m_root.path() / "usr/lib/ondrix");
    // An empty or relative XDG_DATA_HOME counts as unset.
    for (const char* unset : {static_cast<const char*>(nullptr), "", "relative/data"})
        EXPECT_EQ(fs::path(FindAppLayout(Bin(), unset, Home().c_str()).appDir), Data() / "ondrix");
    // Without an absolute HOME, the account's home folder.
    const passwd* account = ::getpwuid(::getuid());
    ASSERT_NE(account, nullptr);
    for (const char* unset : {static_cast<const char*>(nullptr), "relative/home"})
        EXPECT_EQ(fs::path(FindAppLayout(Bin(), nullptr, unset).appDir),
                  fs::path(account->pw_dir) / ".local/share/ondrix");
}

TEST_F(InstalledTree, TheUsersFolderIsGivenTheShippedFilesOnceAndNewThemesLater)
{
    const AppLayout layout = FindAppLayout(Bin(), nullptr, Home().c_str());
    FillUserFolder(layout);
    const fs::path user(layout.appDir);
    for (const char* folder :
         {"imgLists/WorkDir", "imgLists/Recycled", "advThemes_/WorkDir", "advThemes_/Recycled"})
        EXPECT_TRUE(fs::is_directory(user / folder)) << folder;
    EXPECT_EQ(Read(user / "links.ini"), Read(Share() / "links.ini"));
    EXPECT_EQ(Read(user / "imgLists/Quorvane/ilwallpap.jpg"), "picture");
    EXPECT_EQ(Read(user / "advThemes_/Aurora.ond"), "aurora");
    EXPECT_EQ(Read(user / "advThemes_/Tide.ond"), "tide");
    // Languages and help stay in the prefix.
    EXPECT_FALSE(fs::exists(user / "Languages"));
    EXPECT_FALSE(fs::exists(user / "Help"));

    // The user deletes a theme and changes the links; a later package brings a new theme and
    // new links.
    fs::remove(user / "advThemes_/Tide.ond");
    std::ofstream(user / "links.ini") << "[INTERNET_LINKS]\nlink0=https://mine.example/\n";
    m_root.Write("usr/share/ondrix/advThemes_/Lanterns.ond", "lanterns");
    m_root.Write("usr/share/ondrix/links.ini", "[INTERNET_LINKS]\nlink0=\\Help\\news.html\n");
    FillUserFolder(layout);
    EXPECT_FALSE(fs::exists(user / "advThemes_/Tide.ond"));
    EXPECT_EQ(Read(user / "links.ini"), "[INTERNET_LINKS]\nlink0=https://mine.example/\n");
    EXPECT_EQ(Read(user / "advThemes_/Lanterns.ond"), "lanterns");

    // A shipped name that is a folder or a FIFO is left out; the rest is given.
    fs::create_directories(Share() / "advThemes_/Folder.ond");
    ASSERT_EQ(::mkfifo((Share() / "advThemes_/Fifo.ond").c_str(), 0600), 0);
    m_root.Write("usr/share/ondrix/advThemes_/Starlight.ond", "starlight");
    // A link of the user's own, even a broken one, is kept.
    fs::create_symlink("/nowhere/at/all", user / "advThemes_/Starlight.ond");
    FillUserFolder(layout);
    EXPECT_FALSE(fs::exists(user / "advThemes_/Folder.ond"));
    EXPECT_FALSE(fs::exists(user / "advThemes_/Fifo.ond"));
    EXPECT_TRUE(fs::is_symlink(user / "advThemes_/Starlight.ond"));

    // A file of the user's own that has a shipped name is never replaced.
    m_root.Write("usr/share/ondrix/advThemes_/Mine.ond", "shipped");
    std::ofstream(user / "advThemes_/Mine.ond") << "the user's";
    FillUserFolder(layout);
    EXPECT_EQ(Read(user / "advThemes_/Mine.ond"), "the user's");
}

TEST_F(InstalledTree, OptionsReadLanguagesAndHelpFromThePrefixAndTheListsFromTheUsersFolder)
{
    const AppLayout layout = FindAppLayout(Bin(), nullptr, Home().c_str());
    FillUserFolder(layout);
    test::TempDir config;
    RegFileRegistry registry(config.str() + "/Ondrix2.reg");
    // A language chosen while the program ran from a portable folder.
    registry.WriteString(Hive::LocalMachine, kOptionsKey, "LanguageFileName",
                         "/old/Ondrix/Languages/deutsch.lng");
    NoHook hook;
    TOptions options;
    LoadOptions(options, layout, registry, hook);

    EXPECT_EQ(options.AppDir, layout.appDir);
    EXPECT_EQ(options.DataDir, layout.dataDir);
    EXPECT_EQ(options.LibDir, layout.libDir);
    EXPECT_EQ(options.LanguageList.size(), 2u);
    EXPECT_EQ(fs::path(options.LanguageFileName), Share() / "Languages/deutsch.lng");
    EXPECT_EQ(fs::path(options.Links[0]), Share() / "Help/index.html");
    // The first run's list is the user's, and names the user's copy of the picture.
    const std::string list = Read(fs::path(layout.appDir) / "imgLists/quorvane.lst");
    EXPECT_EQ(list, (fs::path(layout.appDir) / "imgLists/Quorvane/ilwallpap.jpg").string() + "?800*600\r\n");
}

} // namespace
} // namespace ondrix
