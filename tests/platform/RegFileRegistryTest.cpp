#include "platform/RegFileRegistry.h"

#include "core/Errors.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ondrix {
namespace {

namespace fs = std::filesystem;

constexpr const char* kKey = "SOFTWARE\\Quorvane\\Ondrix2\\Options";

class RegFileRegistryTest : public ::testing::Test
{
protected:
    std::string RegPath() const { return (m_dir.path() / "Quorvane" / "Ondrix2.reg").string(); }
    std::string FileText() const { return test::ReadFileBytes(RegPath()); }
    void WriteFile(const std::string& text) const { m_dir.Write("Quorvane/Ondrix2.reg", text); }

    test::TempDir m_dir;
};

TEST_F(RegFileRegistryTest, ValuesSurviveReopening)
{
    {
        RegFileRegistry reg(RegPath());
        EXPECT_FALSE(reg.KeyExists(Hive::LocalMachine, kKey));
        reg.WriteString(Hive::LocalMachine, kKey, "cImg", "/home/u/pictures/a.jpg");
        reg.WriteDword(Hive::LocalMachine, kKey, "state", 1);
        reg.WriteDword(Hive::LocalMachine, kKey, "big", 0xFFFFFFFFu);
        reg.WriteString(Hive::CurrentUser, "Control Panel\\Desktop", "Wallpaper", "");
    }
    RegFileRegistry reg(RegPath());
    EXPECT_TRUE(reg.KeyExists(Hive::LocalMachine, kKey));
    EXPECT_EQ(reg.ReadString(Hive::LocalMachine, kKey, "cImg"), "/home/u/pictures/a.jpg");
    EXPECT_EQ(reg.ReadDword(Hive::LocalMachine, kKey, "state"), 1u);
    EXPECT_EQ(reg.ReadDword(Hive::LocalMachine, kKey, "big"), 0xFFFFFFFFu);
    EXPECT_EQ(reg.ReadString(Hive::CurrentUser, "Control Panel\\Desktop", "Wallpaper"), "");
    // Hives are apart.
    EXPECT_FALSE(reg.KeyExists(Hive::CurrentUser, kKey));
    EXPECT_FALSE(reg.ReadString(Hive::ClassesRoot, "Control Panel\\Desktop", "Wallpaper").has_value());
    EXPECT_TRUE(reg.DamagedFilePath().empty());
}

TEST_F(RegFileRegistryTest, FileTextIsExactExportFormat)
{
    RegFileRegistry reg(RegPath());
    reg.WriteString(Hive::LocalMachine, kKey, "cImg", "C:\\pics\\say \"hi\".jpg");
    reg.WriteDword(Hive::LocalMachine, kKey, "ilgrDispl", 100222);
    reg.WriteDword(Hive::CurrentUser, "Control Panel\\Desktop", "TileWallpaper", 10);
    reg.WriteString(Hive::LocalMachine, kKey, "cImg", "changed");
    EXPECT_EQ(FileText(), "Windows Registry Editor Version 5.00\n"
                          "\n"
                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Ondrix2\\Options]\n"
                          "\"cImg\"=\"changed\"\n"
                          "\"ilgrDispl\"=dword:0001877e\n"
                          "\n"
                          "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                          "\"TileWallpaper\"=dword:0000000a\n"
                          "\n");
}

TEST_F(RegFileRegistryTest, BackslashQuoteAndLineBreaksAreEscaped)
{
    const std::string tricky = "C:\\a\\\"b\"\\\\end\\";
    const std::string lines = "one\ntwo\r\nthree";
    {
        RegFileRegistry reg(RegPath());
        reg.WriteString(Hive::LocalMachine, kKey, "na\"me\\", tricky);
        reg.WriteString(Hive::LocalMachine, kKey, "lines", lines);
    }
    const std::string text = FileText();
    EXPECT_NE(text.find(R"("na\"me\\"="C:\\a\\\"b\"\\\\end\\")"), std::string::npos) << text;
    EXPECT_NE(text.find(R"("lines"="one\ntwo\r\nthree")"), std::string::npos) << text;
    RegFileRegistry reg(RegPath());
    EXPECT_EQ(reg.ReadString(Hive::LocalMachine, kKey, "na\"me\\"), tricky);
    EXPECT_EQ(reg.ReadString(Hive::LocalMachine, kKey, "lines"), lines);
    EXPECT_TRUE(reg.DamagedFilePath().empty());
}

TEST_F(RegFileRegistryTest, TypedReadOfOtherTypeIsAbsent)
{
    RegFileRegistry reg(RegPath());
    reg.WriteString(Hive::LocalMachine, kKey, "text", "12");
    reg.WriteDword(Hive::LocalMachine, kKey, "number", 12);
    EXPECT_FALSE(reg.ReadDword(Hive::LocalMachine, kKey, "text").has_value());
    EXPECT_FALSE(reg.ReadString(Hive::LocalMachine, kKey, "number").has_value());
    // Writing the other type replaces the value.
    reg.WriteDword(Hive::LocalMachine, kKey, "text", 5);
    EXPECT_EQ(reg.ReadDword(Hive::LocalMachine, kKey, "text"), 5u);
    EXPECT_FALSE(reg.ReadString(Hive::LocalMachine, kKey, "text").has_value());
}

TEST_F(RegFileRegistryTest, KeyAndValueNamesMatchInAnyLetterCase)
{
    RegFileRegistry reg(RegPath());
    reg.WriteDword(Hive::LocalMachine, kKey, "firstrun", 1);
    EXPECT_TRUE(reg.KeyExists(Hive::LocalMachine, "software\\QUORVANE\\ondrix2\\options"));
    EXPECT_EQ(reg.ReadDword(Hive::LocalMachine, "Software\\Quorvane\\Ondrix2\\Options", "FIRSTRUN"), 1u);
    // Writing under another spelling changes the same value; the first spelling stays.
    reg.WriteDword(Hive::LocalMachine, "SOFTWARE\\quorvane\\Ondrix2\\OPTIONS", "FirstRun", 7);
    EXPECT_EQ(reg.ReadDword(Hive::LocalMachine, kKey, "firstrun"), 7u);
    const std::string text = FileText();
    EXPECT_NE(
        text.find(
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Ondrix2\\Options]\n\"firstrun\"=dword:00000007\n"),
        std::string::npos)
        << text;
    EXPECT_EQ(text.find("OPTIONS"), std::string::npos);
}

TEST_F(RegFileRegistryTest, ParentKeysExistAndDeleteKeyTakesSubKeys)
{
    RegFileRegistry reg(RegPath());
    reg.WriteDword(Hive::LocalMachine, kKey, "state", 1);
    reg.WriteDword(Hive::LocalMachine, "SOFTWARE\\Quorvane\\Other", "x", 1);
    reg.WriteDword(Hive::LocalMachine, "SOFTWARE\\QuorvaneX", "y", 1);
    EXPECT_TRUE(reg.KeyExists(Hive::LocalMachine, "SOFTWARE\\Quorvane"));
    EXPECT_FALSE(reg.KeyExists(Hive::LocalMachine, "SOFTWARE\\Quorv"));

    reg.DeleteValue(Hive::LocalMachine, kKey, "STATE");
    EXPECT_FALSE(reg.ReadDword(Hive::LocalMachine, kKey, "state").has_value());
    EXPECT_TRUE(reg.KeyExists(Hive::LocalMachine, kKey)); // an empty key stays

    reg.DeleteKey(Hive::LocalMachine, "software\\quorvane");
    EXPECT_FALSE(reg.KeyExists(Hive::LocalMachine, kKey));
    EXPECT_FALSE(reg.KeyExists(Hive::LocalMachine, "SOFTWARE\\Quorvane\\Other"));
    EXPECT_EQ(reg.ReadDword(Hive::LocalMachine, "SOFTWARE\\QuorvaneX", "y"), 1u);
    EXPECT_EQ(RegFileRegistry(RegPath()).ReadDword(Hive::LocalMachine, "SOFTWARE\\QuorvaneX", "y"), 1u);
}

TEST_F(RegFileRegistryTest, AcceptsCrLfCommentsBomAndDefaultValue)
{
    WriteFile("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
              "\r\n"
              "; edited by hand\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Ondrix2\\Options]\r\n"
              "\"state\"=dword:0000ABCD\r\n"
              "@=\"default\"\r\n"
              "\"state\"=dword:00000002\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Ondrix2\\Options]\r\n"
              "\"cImg\"=\"x\"\r\n");
    RegFileRegistry reg(RegPath());
    EXPECT_TRUE(reg.DamagedFilePath().empty());
    EXPECT_EQ(reg.ReadDword(Hive::LocalMachine, kKey, "state"), 2u);
    EXPECT_EQ(reg.ReadString(Hive::LocalMachine, kKey, ""), "default");
    EXPECT_EQ(reg.ReadString(Hive::LocalMachine, kKey, "cImg"), "x");
}

TEST_F(RegFileRegistryTest, DamagedFilesAreSetAsideAndRegistryStartsEmpty)
{
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    const std::string section = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Ondrix2\\Options]\n";
    const std::vector<std::string> damaged = {
        "",
        "REGEDIT4\n\n" + section + "\"state\"=dword:00000001\n",
        header + section + "state=1\n",
        header + section + "\"state\"=\"bad \\q escape\"\n",
        header + section + "\"state\"=\"unterminated\n",
        header + section + "\"state\"=\"trailing\" junk\n",
        header + section + "\"state\"=dword:1\n",
        header + section + "\"state\"=dword:0000000g\n",
        header + section + "\"state\"=dword:000000001\n",
        header + section + "\"state\"=hex:01,02\n",
        header + "\"state\"=dword:00000001\n",
        header + "[HKEY_USERS\\x]\n",
        header + "[HKEY_LOCAL_MACHINE\\x\n",
        std::string("Windows Registry Editor Version 5.00\n\0\0\0", 40),
    };
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        WriteFile(damaged[i]);
        RegFileRegistry reg(RegPath());
        const std::string expectedAside = RegPath() + (i == 0 ? ".damaged" : ".damaged-" + std::to_string(i));
        EXPECT_EQ(reg.DamagedFilePath(), expectedAside);
        EXPECT_EQ(test::ReadFileBytes(expectedAside), damaged[i]);
        EXPECT_FALSE(fs::exists(RegPath()));
        EXPECT_FALSE(reg.KeyExists(Hive::LocalMachine, kKey));
        // The registry works on: the next write makes a new, sound file.
        reg.WriteDword(Hive::LocalMachine, kKey, "state", 3);
        EXPECT_EQ(RegFileRegistry(RegPath()).ReadDword(Hive::LocalMachine, kKey, "state"), 3u);
        fs::remove(RegPath());
    }
}

TEST_F(RegFileRegistryTest, RewriteIsAtomicAndLeavesNoTemporaryFile)
{
    {
        RegFileRegistry reg(RegPath()); // the parent folder does not exist yet
        reg.WriteDword(Hive::LocalMachine, kKey, "a", 1);
        reg.WriteDword(Hive::LocalMachine, kKey, "b", 2);
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::path(RegPath()).parent_path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"Ondrix2.reg"});
}

TEST_F(RegFileRegistryTest, FailedWriteThrowsFileErrorNamingTheFileAndKeepsOldFile)
{
    const std::string blocked = (m_dir.path() / "blocked").string();
    m_dir.Write("blocked", "a file where the folder should be");
    RegFileRegistry reg(blocked + "/Ondrix2.reg");
    try {
        reg.WriteDword(Hive::LocalMachine, kKey, "a", 1);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(blocked + "/Ondrix2.reg"), std::string::npos) << e.what();
    }

    // A folder in the file's place is left alone: it is not taken for a damaged file, and
    // a write cannot replace it.
    fs::create_directories(RegPath());
    RegFileRegistry onFolder(RegPath());
    EXPECT_TRUE(onFolder.DamagedFilePath().empty());
    EXPECT_THROW(onFolder.WriteDword(Hive::LocalMachine, kKey, "a", 1), FileError);
    EXPECT_TRUE(fs::is_directory(RegPath()));
    EXPECT_EQ(
        std::distance(fs::directory_iterator(fs::path(RegPath()).parent_path()), fs::directory_iterator()),
        1);
}

TEST(RegFileRegistryPathTest, DefaultPathFollowsXdgConfigHome)
{
    EXPECT_EQ(RegFileRegistry::DefaultRegistryPath("/cfg", "/home/u"), "/cfg/Quorvane/Ondrix2.reg");
    EXPECT_EQ(RegFileRegistry::DefaultRegistryPath("/cfg/", "/home/u"), "/cfg/Quorvane/Ondrix2.reg");
    EXPECT_EQ(RegFileRegistry::DefaultRegistryPath(nullptr, "/home/u"),
              "/home/u/.config/Quorvane/Ondrix2.reg");
    EXPECT_EQ(RegFileRegistry::DefaultRegistryPath("", "/home/u"), "/home/u/.config/Quorvane/Ondrix2.reg");
    EXPECT_EQ(RegFileRegistry::DefaultRegistryPath("relative/cfg", "/home/u"),
              "/home/u/.config/Quorvane/Ondrix2.reg");
    EXPECT_EQ(RegFileRegistry::DefaultRegistryPath("/", "/home/u"), "/Quorvane/Ondrix2.reg");
}

} // namespace
} // namespace ondrix
