#include "platform/linux/XdgAutostart.h"

#include "app/StartupShortcut.h"
#include "app/options.h"
#include "core/Errors.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace ondrix {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ExecLine(const std::string& executable)
{
    const std::string text = AutostartEntryText(executable, "/opt/Ondrix");
    const auto start = text.find("\nExec=") + 6;
    return text.substr(start, text.find('\n', start) - start);
}

TEST(XdgAutostart, EntryPathFollowsXdgConfigHome)
{
    EXPECT_EQ(XdgAutostart::DefaultEntryPath("/cfg", "/home/u"), "/cfg/autostart/Ondrix.desktop");
    EXPECT_EQ(XdgAutostart::DefaultEntryPath(nullptr, "/home/u"), "/home/u/.config/autostart/Ondrix.desktop");
    EXPECT_EQ(XdgAutostart::DefaultEntryPath("", "/home/u"), "/home/u/.config/autostart/Ondrix.desktop");
    EXPECT_EQ(XdgAutostart::DefaultEntryPath("relative", "/home/u"),
              "/home/u/.config/autostart/Ondrix.desktop");
    // Without an absolute home the entry is nowhere, never relative to the current folder.
    EXPECT_EQ(XdgAutostart::DefaultEntryPath(nullptr, nullptr), "");
    EXPECT_EQ(XdgAutostart::DefaultEntryPath("rel", "also/relative"), "");
    XdgAutostart nowhere("");
    EXPECT_THROW(nowhere.Create("/opt/ondrix", "/opt"), FileError);
    EXPECT_NO_THROW(nowhere.Remove());
}

TEST(XdgAutostart, ExecQuotesByTheDesktopEntryRules)
{
    EXPECT_EQ(ExecLine("/opt/Ondrix/ondrix"), "/opt/Ondrix/ondrix");
    EXPECT_EQ(ExecLine("/opt/my apps/ondrix"), "\"/opt/my apps/ondrix\"");
    EXPECT_EQ(ExecLine("/opt/100%/ondrix"), "/opt/100%%/ondrix");
    // Inside quotes '"' and '$' take a backslash, which the string escape doubles.
    EXPECT_EQ(ExecLine("/opt/a\"b$c/ondrix"), "\"/opt/a\\\\\"b\\\\$c/ondrix\"");
    // A literal backslash in a quoted argument is four in the file.
    EXPECT_EQ(ExecLine("/opt/x\\y/ondrix"), "\"/opt/x\\\\\\\\y/ondrix\"");
    EXPECT_EQ(ExecLine("/opt/it's/ondrix"), "\"/opt/it's/ondrix\"");
    EXPECT_THROW(AutostartEntryText("/opt/line\nbreak/ondrix", "/opt"), FileError);
    EXPECT_THROW(AutostartEntryText("/opt/ondrix", "/opt/tab\there"), FileError);

    EXPECT_EQ(AutostartEntryText("/opt/my apps/ondrix", "/opt/my apps"),
              "[Desktop Entry]\nType=Application\nName=Ondrix\nExec=\"/opt/my apps/ondrix\"\n"
              "Path=/opt/my apps\nTerminal=false\n");
}

TEST(XdgAutostart, EntriesPassTheValidator)
{
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "desktop-file-validate is not installed";
    test::TempDir dir;
    int index = 0;
    for (const char* executable : {"/opt/Ondrix/ondrix", "/opt/my apps/ondrix", "/opt/100%/on drix",
                                   "/opt/a\"b$c`d/ondrix", "/opt/x\\y/ondrix", "/home/u/Ünïcode/ondrix"}) {
        const fs::path file = dir.path() / ("e" + std::to_string(index++) + ".desktop");
        std::ofstream(file, std::ios::binary) << AutostartEntryText(executable, "/opt/my apps");
        const std::string command = "desktop-file-validate '" + file.string() + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << executable << "\n" << ReadAll(file);
    }
}

TEST(XdgAutostart, CommitCreatesAndRemovesTheEntryAsTheOptionSays)
{
    test::TempDir dir;
    XdgAutostart autostart(XdgAutostart::DefaultEntryPath(dir.str().c_str(), "/nowhere"));
    TOptions options;
    options.AppDir = "/opt/Ondrix";

    options.RunAtStartup = false;
    EXPECT_TRUE(SyncStartupShortcut(options, autostart, "/opt/Ondrix/ondrix")); // none there: no error
    EXPECT_FALSE(fs::exists(autostart.EntryPath()));

    options.RunAtStartup = true;
    EXPECT_TRUE(SyncStartupShortcut(options, autostart, "/opt/Ondrix/ondrix"));
    const std::string text = ReadAll(autostart.EntryPath());
    EXPECT_NE(text.find("\nExec=/opt/Ondrix/ondrix\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nPath=/opt/Ondrix\n"), std::string::npos) << text;
    // Written again over an old entry, without a temporary left.
    std::ofstream(autostart.EntryPath(), std::ios::trunc) << "stale";
    EXPECT_TRUE(SyncStartupShortcut(options, autostart, "/opt/Ondrix/ondrix"));
    EXPECT_EQ(ReadAll(autostart.EntryPath()), text);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "autostart"), fs::directory_iterator()), 1);

    options.RunAtStartup = false;
    EXPECT_TRUE(SyncStartupShortcut(options, autostart, "/opt/Ondrix/ondrix"));
    EXPECT_FALSE(fs::exists(autostart.EntryPath()));
}

TEST(XdgAutostart, AFolderThatCannotBeWrittenIsNoErrorForTheUser)
{
    test::TempDir dir;
    dir.Write("autostart", "a file where the folder should be");
    XdgAutostart autostart((dir.path() / "autostart" / "Ondrix.desktop").string());
    TOptions options;
    options.AppDir = "/opt/Ondrix";
    EXPECT_FALSE(SyncStartupShortcut(options, autostart, "/opt/Ondrix/ondrix"));
    EXPECT_TRUE(fs::is_regular_file(dir.path() / "autostart"));
}

} // namespace
} // namespace ondrix
