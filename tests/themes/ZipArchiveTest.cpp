#include "themes/ZipArchive.h"

#include "ThemeFixtures.h"
#include "core/Errors.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ondrix {
namespace {

namespace fs = std::filesystem;
using test::RawMember;

TEST(SafeMemberPath, KeepsNamesInsideTheFolderAndRefusesTheOthers)
{
    EXPECT_EQ(SafeMemberPath("movie.swf"), "movie.swf");
    EXPECT_EQ(SafeMemberPath("pics/sky.jpg"), "pics/sky.jpg");
    EXPECT_EQ(SafeMemberPath("pics\\sky.jpg"), "pics/sky.jpg");
    EXPECT_EQ(SafeMemberPath("./a//b/"), "a/b");
    EXPECT_EQ(SafeMemberPath("a..b/c..d"), "a..b/c..d");
    EXPECT_EQ(SafeMemberPath("./"), "");
    for (const char* name : {"", "/etc/passwd", "\\windows\\x.dll", "..", "../x", "a/../../x", "a/..",
                             "..\\x", "a\\..\\..\\x", "C:\\x", "c:x", "C:/x", "x:stream", "//server/share"})
        EXPECT_FALSE(SafeMemberPath(name)) << name;
}

class ZipArchiveTest : public ::testing::Test
{
protected:
    std::string Package() const { return (m_dir.path() / "p.zip").string(); }
    std::string Target() const { return (m_dir.path() / "out" / "1234").string(); }
    void ExpectRefused(const std::vector<RawMember>& members, const std::string& expectedPart)
    {
        test::WriteRawZip(Package(), members);
        const ZipReader reader(Package());
        try {
            reader.ExtractAll(Target(), ZipLimits{});
            FAIL() << "not refused";
        } catch (const ArchiveError& error) {
            EXPECT_NE(std::string(error.what()).find(expectedPart), std::string::npos) << error.what();
        }
        // Refused before anything is written: not even the folder is made.
        EXPECT_FALSE(fs::exists(Target()));
        EXPECT_FALSE(fs::exists(m_dir.path() / "out" / "evil"));
        EXPECT_FALSE(fs::exists(m_dir.path() / "evil"));
    }

    test::TempDir m_dir;
};

TEST_F(ZipArchiveTest, UnpackRecreatesFoldersAndOverwrites)
{
    test::WriteRawZip(Package(), {{"theme.cfg", "cfg"},
                                  {"pics/", ""},
                                  {"pics/sky.jpg", "sky"},
                                  {"win\\deep\\a.txt", "a"},
                                  {"empty.txt", ""}});
    m_dir.Write("out/1234/theme.cfg", "an older and longer text");
    const ZipReader reader(Package());
    reader.ExtractAll(Target(), ZipLimits{});
    EXPECT_EQ(test::ReadFileBytes(fs::path(Target()) / "theme.cfg"), "cfg");
    EXPECT_EQ(test::ReadFileBytes(fs::path(Target()) / "pics" / "sky.jpg"), "sky");
    EXPECT_EQ(test::ReadFileBytes(fs::path(Target()) / "win" / "deep" / "a.txt"), "a");
    EXPECT_TRUE(fs::is_regular_file(fs::path(Target()) / "empty.txt"));
    EXPECT_EQ(reader.MemberNames().size(), 5u);
}

TEST_F(ZipArchiveTest, MembersThatWouldLeaveTheFolderAreRefused)
{
    ExpectRefused({{"good.txt", "g"}, {"../evil", "x"}}, "\"../evil\" would be unpacked outside");
    ExpectRefused({{"good.txt", "g"}, {"..\\evil", "x"}}, "outside");
    ExpectRefused({{(m_dir.path() / "evil").string(), "x"}}, "outside");
    ExpectRefused({{"C:\\evil", "x"}}, "outside");
    ExpectRefused({{"sub/../../evil", "x"}}, "outside");
    ExpectRefused({{"good.txt", "g"}, {"link", "/etc", true}}, "\"link\" is a symbolic link");
}

TEST_F(ZipArchiveTest, BombsAndHugeMemberCountsGetAClearError)
{
    // 8 MiB of zeros deflate to a few kilobytes.
    test::WriteRawZip(Package(), {{"theme.cfg", "cfg"}, {"zeros.bin", std::string(8 << 20, '\0')}});
    EXPECT_LT(fs::file_size(Package()), 100000u);
    const ZipReader reader(Package());
    ZipLimits limits;
    limits.maxTotalBytes = 1 << 20;
    try {
        reader.ExtractAll(Target(), limits);
        FAIL() << "not refused";
    } catch (const ArchiveError& error) {
        EXPECT_NE(std::string(error.what()).find("more bytes than a theme package may hold"),
                  std::string::npos);
    }
    // The declared sizes give the bomb away before anything is written.
    std::uintmax_t written = 0;
    if (fs::exists(Target()))
        for (const auto& entry : fs::recursive_directory_iterator(Target()))
            if (entry.is_regular_file())
                written += entry.file_size();
    EXPECT_EQ(written, 0u);

    limits = ZipLimits{};
    limits.maxMembers = 1;
    EXPECT_THROW(reader.ExtractAll(Target(), limits), ArchiveError);

    EXPECT_THROW(reader.ReadMember("zeros.bin", 1000), ArchiveError);
    EXPECT_EQ(reader.ReadMember("theme.cfg", 1000), "cfg");
    EXPECT_EQ(reader.ReadMember("THEME.CFG", 1000), std::nullopt);
}

TEST_F(ZipArchiveTest, MissingAndDamagedArchivesNameTheFile)
{
    try {
        ZipReader reader(Package());
        FAIL();
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), "The theme package \"" + Package() + "\" does not exist.");
    }
    m_dir.Write("p.zip", "PK\x03\x04 this is not really an archive");
    try {
        ZipReader reader(Package());
        FAIL();
    } catch (const ArchiveError& error) {
        EXPECT_NE(std::string(error.what()).find(Package()), std::string::npos);
    }
    // An empty file is an archive without members: no theme.cfg, so no theme.
    EXPECT_EQ(ZipReader::FromBytes("", "empty").ReadMember("theme.cfg", 10), std::nullopt);
    EXPECT_THROW(ZipReader(m_dir.str()), FileError);
}

TEST_F(ZipArchiveTest, BuiltArchivesHoldTheMembersInOrderDeflated)
{
    const std::string big(50000, 'a');
    const std::string bytes = BuildZip({{"theme.cfg", "cfg"}, {"ondrix.htm", big}, {"empty.css", ""}});
    m_dir.Write("built.zip", bytes);
    EXPECT_EQ(test::RawZipNames(m_dir.path() / "built.zip"),
              (std::vector<std::string>{"theme.cfg", "ondrix.htm", "empty.css"}));
    const auto members = test::ReadRawZip(m_dir.path() / "built.zip");
    EXPECT_EQ(members.at("ondrix.htm"), big);
    EXPECT_EQ(members.at("empty.css"), "");
    EXPECT_LT(bytes.size(), 2000u); // deflated, not stored
    EXPECT_EQ(ZipReader::FromBytes(bytes, "built").ReadMember("theme.cfg", 100), "cfg");

    EXPECT_THROW(BuildZip({{"a", "1"}, {"a", "2"}}), ArchiveError);
    EXPECT_THROW(BuildZip({{"", "1"}}), ArchiveError);
}

} // namespace
} // namespace ondrix
