#include "core/IniFile.h"

#include "core/RegularFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <sys/stat.h>

namespace ondrix {
namespace {

TEST(IniFileTest, SectionAndKeyNamesMatchInAnyLetterCase)
{
    const IniFile ini = IniFile::Parse("[Language_Name]\nNAME=English\n");
    EXPECT_EQ(ini.Read("LANGUAGE_NAME", "name"), "English");
    EXPECT_EQ(ini.Read("language_name", "Name"), "English");
}

TEST(IniFileTest, BlanksAroundKeyAndValueAreDropped)
{
    const IniFile ini = IniFile::Parse("  [ s ]  \n \t key \t=  two words \t\n");
    EXPECT_EQ(ini.Read("s", "key"), "two words");
}

TEST(IniFileTest, MatchingQuotesAreRemovedOthersKept)
{
    const IniFile ini = IniFile::Parse("[s]\n"
                                       "a=\"double\"\n"
                                       "b='single'\n"
                                       "c=\"mixed'\n"
                                       "d=\"\n"
                                       "e=  ' padded '  \n"
                                       "f=\"\"\n"
                                       "g=say \"hi\"\n");
    EXPECT_EQ(ini.Read("s", "a"), "double");
    EXPECT_EQ(ini.Read("s", "b"), "single");
    EXPECT_EQ(ini.Read("s", "c"), "\"mixed'");
    EXPECT_EQ(ini.Read("s", "d"), "\"");
    EXPECT_EQ(ini.Read("s", "e"), " padded ");
    EXPECT_EQ(ini.Read("s", "f", "fallback"), "");
    EXPECT_EQ(ini.Read("s", "g"), "say \"hi\"");
}

TEST(IniFileTest, ValueIsCutAt2047Characters)
{
    const std::string longValue(5000, 'x');
    const IniFile ini = IniFile::Parse("[s]\nk=" + longValue + "\nafter=1\n");
    EXPECT_EQ(ini.Read("s", "k"), std::string(IniFile::kMaxValueLength, 'x'));
    EXPECT_EQ(ini.Read("s", "after"), "1");

    const IniFile exact = IniFile::Parse("[s]\nk=" + std::string(2047, 'y') + "\n");
    EXPECT_EQ(exact.Read("s", "k").size(), 2047u);
}

TEST(IniFileTest, AnyLineEndSeparatesLines)
{
    const IniFile ini = IniFile::Parse("[s]\r\na=1\rb=2\nc=3\r\n\r\nd=4");
    EXPECT_EQ(ini.Read("s", "a"), "1");
    EXPECT_EQ(ini.Read("s", "b"), "2");
    EXPECT_EQ(ini.Read("s", "c"), "3");
    EXPECT_EQ(ini.Read("s", "d"), "4");
}

TEST(IniFileTest, OtherLinesAreIgnored)
{
    const IniFile ini = IniFile::Parse("before=section\n"
                                       "[s]\n"
                                       "no equals sign\n"
                                       "=no key\n"
                                       "[broken\n"
                                       "; comment=1\n"
                                       "kept=yes\n");
    EXPECT_EQ(ini.Read("s", "before", "none"), "none");
    EXPECT_EQ(ini.Read("", "before", "none"), "none");
    EXPECT_EQ(ini.Read("s", "", "none"), "none");
    EXPECT_EQ(ini.Read("s", "kept"), "yes");
    EXPECT_EQ(ini.Read("s", "; comment", "none"), "none");
}

TEST(IniFileTest, FirstOfEqualKeysWinsAndSectionsKeepKeysApart)
{
    const IniFile ini = IniFile::Parse("[a]\nk=first\nK=second\n[b]\nk=other\n[A]\nk=third\nnew=4\n");
    EXPECT_EQ(ini.Read("a", "k"), "first");
    EXPECT_EQ(ini.Read("b", "k"), "other");
    EXPECT_EQ(ini.Read("a", "new"), "4");
}

TEST(IniFileTest, MissingValueGivesFallback)
{
    const IniFile ini = IniFile::Parse("[s]\nk=v\n");
    EXPECT_EQ(ini.Read("s", "other", "dflt"), "dflt");
    EXPECT_EQ(ini.Read("t", "k"), "");
    EXPECT_EQ(ini.Read("s", "k=v", "dflt"), "dflt");
}

TEST(IniFileTest, ByteOrderMarkAtStartIsSkipped)
{
    const IniFile ini = IniFile::Parse("\xEF\xBB\xBF[s]\nk=v\n");
    EXPECT_EQ(ini.Read("s", "k"), "v");
    // Elsewhere the bytes are text.
    const IniFile inside = IniFile::Parse("[s]\nk=\xEF\xBB\xBFv\n");
    EXPECT_EQ(inside.Read("s", "k"), "\xEF\xBB\xBFv");
}

TEST(IniFileTest, LoadReadsFileAndMissingFileIsEmpty)
{
    test::TempDir dir;
    const auto file = dir.Write("links.ini", "[INTERNET_LINKS]\r\nlink0=https://example.org/\r\n");
    EXPECT_EQ(IniFile::Load(file.string()).Read("internet_links", "LINK0"), "https://example.org/");
    EXPECT_EQ(IniFile::Load((dir.path() / "absent.ini").string()).Read("INTERNET_LINKS", "link0", "-"), "-");
    EXPECT_EQ(IniFile::Load(dir.str()).Read("a", "b", "-"), "-"); // a folder reads as empty
}

TEST(IniFileTest, LoadSplitsLinesAcrossReadChunks)
{
    test::TempDir dir;
    // The CR LF pair straddles the border of the first 64 KiB read.
    std::string text = "[s]\n";
    text += "pad=" + std::string(64 * 1024 - text.size() - 5, 'p') + "\r\nk=v\n";
    const auto file = dir.Write("chunks.ini", text);
    const IniFile ini = IniFile::Load(file.string());
    EXPECT_EQ(ini.Read("s", "k"), "v");
    EXPECT_EQ(ini.Read("s", "pad").size(), IniFile::kMaxValueLength);
}

TEST(IniFileTest, HostileInputIsReadWithoutHarm)
{
    // NUL bytes end the text of their line only.
    const std::string withNul("[s]\nk=ab\0cd\nnext=1\n", 20);
    const IniFile ini = IniFile::Parse(withNul);
    EXPECT_EQ(ini.Read("s", "k"), "ab");
    EXPECT_EQ(ini.Read("s", "next"), "1");

    // A file of one enormous line and one of very many lines are read in reasonable time.
    test::TempDir dir;
    const auto oneLine = dir.Write("one.ini", "[s]\nk=" + std::string(12 * 1024 * 1024, 'z'));
    const auto manyLines = dir.Write("many.ini", "[s]\n" + std::string(4 * 1024 * 1024, '\n') + "k=v\n");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(IniFile::Load(oneLine.string()).Read("s", "k").size(), IniFile::kMaxValueLength);
    EXPECT_EQ(IniFile::Load(manyLines.string()).Read("s", "k"), "v");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

    // Past the bound of text files a file is not read at all; nor are pipes and devices,
    // which would block or never end.
    const auto huge = dir.Write("huge.ini", "[s]\nk=v\n" + std::string(kMaxTextFileBytes, ';'));
    EXPECT_EQ(IniFile::Load(huge.string()).Read("s", "k", "-"), "-");
    EXPECT_EQ(IniFile::Load("/dev/zero").Read("s", "k", "-"), "-");
    const std::string fifo = (dir.path() / "pipe.lng").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(IniFile::Load(fifo).Read("s", "k", "-"), "-");

    // Binary junk: nothing to read, nothing breaks.
    std::string junk;
    for (int i = 0; i < 100000; ++i)
        junk += static_cast<char>((i * 7919) & 0xFF);
    EXPECT_EQ(IniFile::Parse(junk).Read("s", "k", "-"), "-");
}

} // namespace
} // namespace ondrix
