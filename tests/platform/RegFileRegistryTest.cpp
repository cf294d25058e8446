#include "platform/RegFileRegistry.h"

#include "core/Errors.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>

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

TEST_F(RegFileRegistryTest, DamagedFilesAreSetAsideAndEveryReadableValueIsKept)
{
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    const std::string section = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quorvane\\Ondrix2\\Options]\n";
    // Each damaged file is followed by a sound value of the same key, which must survive.
    const std::string after = "\n" + section + "\"after\"=\"kept\"\n";
    struct Case
    {
        std::string text;
        std::optional<std::uint32_t> state; // what the damaged file still gives for "state"
    };
    const std::vector<Case> damaged = {
        {"", std::nullopt},
        {"REGEDIT4\n\n" + section + "\"state\"=dword:00000001\n" + after, 1},
        {header + section + "state=1\n" + after, std::nullopt},
        {header + section + "\"state\"=\"bad \\q escape\"\n" + after, std::nullopt},
        {header + section + "\"state\"=\"unterminated\n" + after, std::nullopt},
        {header + section + "\"state\"=\"trailing\" junk\n" + after, std::nullopt},
        {header + section + "\"state\"=dword:1\n" + after, std::nullopt},
        {header + section + "\"state\"=dword:0000000g\n" + after, std::nullopt},
        {header + section + "\"state\"=dword:000000001\n" + after, std::nullopt},
        {header + section + "\"state\"=hex:01,02\n" + after, std::nullopt},
        {header + "\"state\"=dword:00000001\n" + after, std::nullopt},
        // A value under a key of no known hive belongs to no key of ours.
        {header + "[HKEY_USERS\\x]\n\"state\"=dword:00000001\n" + after, std::nullopt},
        {header + "[HKEY_LOCAL_MACHINE\\x\n\"state\"=dword:00000001\n" + after, std::nullopt},
        {std::string("Windows Registry Editor Version 5.00\n\0\0\0", 40) + after, std::nullopt},
        // One dword of twelve digits among sound values loses only itself.
        {header + section + "\"state\"=dword:00000003\n\"ilChType\"=dword:000000000001\n" + after, 3},
    };
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        WriteFile(damaged[i].text);
        {
            RegFileRegistry reg(RegPath());
            const std::string expectedAside =
                RegPath() + (i == 0 ? ".damaged" : ".damaged-" + std::to_string(i));
            EXPECT_EQ(reg.DamagedFilePath(), expectedAside);
            EXPECT_EQ(test::ReadFileBytes(expectedAside), damaged[i].text);
            EXPECT_EQ(reg.ReadDword(Hive::LocalMachine, kKey, "state"), damaged[i].state);
            EXPECT_FALSE(reg.ReadDword(Hive::LocalMachine, kKey, "ilChType").has_value());
            if (i > 0) {
                EXPECT_EQ(reg.ReadString(Hive::LocalMachine, kKey, "after"), "kept");
            }
        }
        // The settings file now holds the sound values alone, also when nothing was written.
        RegFileRegistry reopened(RegPath());
        EXPECT_TRUE(reopened.DamagedFilePath().empty());
        EXPECT_EQ(reopened.ReadDword(Hive::LocalMachine, kKey, "state"), damaged[i].state);
        if (i > 0) {
            EXPECT_EQ(reopened.ReadString(Hive::LocalMachine, kKey, "after"), "kept");
        }
        // The registry works on.
        reopened.WriteDword(Hive::LocalMachine, kKey, "state", 4);
        EXPECT_EQ(RegFileRegistry(RegPath()).ReadDword(Hive::LocalMachine, kKey, "state"), 4u);
        fs::remove(RegPath());
    }
}

TEST_F(RegFileRegistryTest, ParseSkipsOnlyTheLinesItCannotRead)
{
    std::vector<RegFileRegistry::Key> keys;
    EXPECT_TRUE(RegFileRegistry::Parse("Windows Registry Editor Version 5.00\n", keys));
    EXPECT_TRUE(keys.empty());
    EXPECT_FALSE(RegFileRegistry::Parse("[HKEY_CURRENT_USER\\A]\n"
                                        "\"x\"=dword:00000010\n"
                                        "garbage\n"
                                        "[HKEY_CURRENT_USER\\B]\n"
                                        "\"X\"=\"one\"\n"
                                        "\"x\"=\"two\"\n"
                                        "[hkey_current_user\\a]\n"
                                        "\"y\"=\"in A\"\n",
                                        keys));
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].name, "A");
    ASSERT_EQ(keys[0].values.size(), 2u);
    EXPECT_EQ(keys[0].values[0].dword, 16u);
    EXPECT_EQ(keys[0].values[1].text, "in A");
    EXPECT_EQ(keys[1].name, "B");
    ASSERT_EQ(keys[1].values.size(), 1u);
    // A later value of the same name replaces the earlier in its place.
    EXPECT_EQ(keys[1].values[0].text, "two");
}

TEST_F(RegFileRegistryTest, ManyValuesLoadAndStayFindable)
{
    // Large enough that a lookup by scanning would be slow; the load time itself is measured
    // by the registry benchmark.
    constexpr int kCount = 20000;
    std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Big]\n";
    for (int i = 0; i < kCount; ++i)
        text += "\"v" + std::to_string(i) + "\"=dword:" + (i % 2 ? "0000000a" : "00000001") + "\n";
    WriteFile(text);
    RegFileRegistry reg(RegPath());
    EXPECT_TRUE(reg.DamagedFilePath().empty());
    EXPECT_EQ(reg.ReadDword(Hive::LocalMachine, "big", "V0"), 1u);
    EXPECT_EQ(reg.ReadDword(Hive::LocalMachine, "BIG", "v19999"), 10u);
    EXPECT_FALSE(reg.ReadDword(Hive::LocalMachine, "Big", "v20000").has_value());
    reg.DeleteValue(Hive::LocalMachine, "Big", "v10");
    reg.WriteDword(Hive::LocalMachine, "Big", "v19999", 5);
    reg.WriteDword(Hive::LocalMachine, "Big", "new", 6);
    RegFileRegistry reopened(RegPath());
    EXPECT_FALSE(reopened.ReadDword(Hive::LocalMachine, "Big", "v10").has_value());
    EXPECT_EQ(reopened.ReadDword(Hive::LocalMachine, "Big", "v11"), 10u);
    EXPECT_EQ(reopened.ReadDword(Hive::LocalMachine, "Big", "v19999"), 5u);
    EXPECT_EQ(reopened.ReadDword(Hive::LocalMachine, "Big", "new"), 6u);
    // The file keeps the order of the values, the new one last.
    const std::string saved = FileText();
    EXPECT_LT(saved.find("\"v9\"="), saved.find("\"v11\"="));
    EXPECT_EQ(saved.rfind("\"new\"=dword:00000006\n\n"), saved.size() - 22);
}

TEST_F(RegFileRegistryTest, APipeInTheFilesPlaceNeitherHangsNorIsRead)
{
    const std::string fifo = RegPath();
    fs::create_directories(fs::path(fifo).parent_path());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    RegFileRegistry onPipe(fifo);
    EXPECT_TRUE(onPipe.DamagedFilePath().empty());
    EXPECT_FALSE(onPipe.KeyExists(Hive::LocalMachine, kKey));
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

TEST(RegFileRegistryBatch, ChangesReachTheFileOnceAtTheEnd)
{
    test::TempDir dir;
    const std::string path = (dir.path() / "r.reg").string();
    RegFileRegistry registry(path);
    registry.WriteString(Hive::LocalMachine, "K", "a", "old");
    const std::string before = test::ReadFileBytes(path);
    registry.InOneWrite([&] {
        registry.WriteString(Hive::LocalMachine, "K", "a", "new");
        registry.WriteDword(Hive::LocalMachine, "K", "b", 7);
        registry.InOneWrite([&] { registry.WriteDword(Hive::LocalMachine, "K", "c", 8); });
        EXPECT_EQ(test::ReadFileBytes(path), before) << "written before the end";
        EXPECT_EQ(registry.ReadString(Hive::LocalMachine, "K", "a"), "new"); // seen at once in memory
    });
    RegFileRegistry again(path);
    EXPECT_EQ(again.ReadString(Hive::LocalMachine, "K", "a"), "new");
    EXPECT_EQ(again.ReadDword(Hive::LocalMachine, "K", "c"), 8u);

    // A failure half-way still writes what was changed until then, and goes on up.
    EXPECT_THROW(registry.InOneWrite([&] {
        registry.WriteDword(Hive::LocalMachine, "K", "d", 9);
        throw std::runtime_error("cut short");
    }),
                 std::runtime_error);
    EXPECT_EQ(RegFileRegistry(path).ReadDword(Hive::LocalMachine, "K", "d"), 9u);
    // After the batch each change is written at once again.
    registry.WriteDword(Hive::LocalMachine, "K", "e", 10);
    EXPECT_EQ(RegFileRegistry(path).ReadDword(Hive::LocalMachine, "K", "e"), 10u);
}

} // namespace
} // namespace ondrix
