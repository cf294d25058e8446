#include "imagelists/ListFile.h"

#include "core/Errors.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sys/stat.h>

namespace ondrix {
namespace {

using Lines = std::vector<std::string>;

TEST(ListFileTest, EveryKindOfLineBreakEndsALine)
{
    EXPECT_EQ(SplitListLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    // A final break makes no extra entry, whichever kind it is.
    EXPECT_EQ(SplitListLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitListLines("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitListLines("a\rb\r"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitListLines("a\r\nb"), SplitListLines("a\r\nb\r\n"));
    // LF CR is two breaks, so it holds a blank line.
    EXPECT_EQ(SplitListLines("a\n\rb"), (Lines{"a", "", "b"}));
}

TEST(ListFileTest, BlankLinesInsideCountAndNoBytesIsNoLine)
{
    EXPECT_EQ(SplitListLines("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitListLines("\r\n"), (Lines{""}));
    EXPECT_TRUE(SplitListLines("").empty());
}

TEST(ListFileTest, WritingEndsEveryLineWithCrLfAndNoLinesWithNoBytes)
{
    test::TempDir dir;
    const std::string path = (dir.path() / "a.lst").string();
    WriteListLines(path, {"C:\\a.jpg?1*2", "", "b"});
    EXPECT_EQ(test::ReadFileBytes(path), "C:\\a.jpg?1*2\r\n\r\nb\r\n");
    EXPECT_EQ(ReadListLines(path), (Lines{"C:\\a.jpg?1*2", "", "b"}));
    WriteListLines(path, {});
    EXPECT_EQ(test::ReadFileBytes(path), "");
    EXPECT_TRUE(ReadListLines(path).empty());
}

TEST(ListFileTest, ReadingAMissingFileOrAFolderNamesTheFile)
{
    test::TempDir dir;
    const std::string missing = (dir.path() / "gone.lst").string();
    try {
        ReadListLines(missing);
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find(missing), std::string::npos);
    }
    EXPECT_THROW(ReadListLines(dir.str()), FileError);
}

TEST(ListFileTest, PipesDevicesAndHugeFilesAreRefusedWithoutWaiting)
{
    test::TempDir dir;
    const std::string fifo = (dir.path() / "pipe.lst").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
        try {
            ReadListLines(path);
            FAIL() << "no error for " << path;
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find("list file \"" + path + "\": it is not a regular file"),
                      std::string::npos)
                << error.what();
        }
    }
    // A sparse file of 64 MiB and one byte takes no room on the disk but is past the bound.
    const std::string huge = (dir.path() / "huge.lst").string();
    std::ofstream(huge).close();
    std::filesystem::resize_file(huge, (std::uintmax_t{64} << 20) + 1);
    EXPECT_THROW(ReadListFileBytes(huge), FileError);
}

TEST(ListFileTest, WritingIntoAMissingFolderFails)
{
    test::TempDir dir;
    EXPECT_THROW(WriteListLines((dir.path() / "no" / "a.lst").string(), {"x"}), FileError);
}

TEST(ListFileTest, HundredThousandLinesRoundTrip)
{
    test::TempDir dir;
    const std::string path = (dir.path() / "big.lst").string();
    Lines lines;
    for (int i = 0; i < 100000; ++i)
        lines.push_back(
            MakeEntryLine("/pictures/folder/picture" + std::to_string(i) + ".jpg", 1920, 1080 + i));
    WriteListLines(path, lines);
    EXPECT_EQ(std::filesystem::file_size(path), JoinListLines(lines).size());
    EXPECT_EQ(ReadListLines(path), lines);
}

TEST(ListFileTest, EntryLinesSplitAtTheFirstQuestionMark)
{
    EXPECT_EQ(EntryPathOf("C:\\pics\\a.jpg?1024*768"), "C:\\pics\\a.jpg");
    EXPECT_EQ(EntrySizeOf("C:\\pics\\a.jpg?1024*768"), "1024*768");
    EXPECT_EQ(EntryPathOf("x?y?z"), "x");
    EXPECT_EQ(EntrySizeOf("x?y?z"), "y?z");
    EXPECT_EQ(EntryPathOf("C:\\pics\\b.jpg"), "");
    EXPECT_EQ(EntrySizeOf("C:\\pics\\b.jpg"), "C:\\pics\\b.jpg");
    EXPECT_EQ(EntryPathOf(""), "");
    EXPECT_EQ(EntrySizeOf("?"), "");
    EXPECT_EQ(MakeEntryLine("/p/photo.JPEG", 800, 600), "/p/photo.JPEG?800*600");
}

TEST(ListFileTest, CountComparisonNeverGivesZero)
{
    EXPECT_EQ(CompareEntryCounts("3", "3"), 1);
    EXPECT_EQ(CompareEntryCounts("4", "3"), 1);
    EXPECT_EQ(CompareEntryCounts("2", "3"), -1);
    EXPECT_EQ(CompareEntryCounts("10", "9"), 1); // numbers, not texts
    EXPECT_EQ(CompareEntryCounts("-1", "0"), -1);
}

TEST(ListFileTest, CountsThatAreNoNumbersOrOverflowAreHandled)
{
    EXPECT_EQ(ParseCount("42"), 42);
    EXPECT_EQ(ParseCount("-7"), -7);
    EXPECT_EQ(ParseCount(""), std::nullopt);
    EXPECT_EQ(ParseCount("12a"), std::nullopt);
    EXPECT_EQ(ParseCount(" 1"), std::nullopt);
    EXPECT_EQ(ParseCount("-"), std::nullopt);
    EXPECT_EQ(ParseCount("99999999999999999999999"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ParseCount("-99999999999999999999999"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(CountValue("abc"), 0);
    EXPECT_EQ(CompareEntryCounts("abc", "1"), -1);
    EXPECT_EQ(CompareEntryCounts("99999999999999999999999", "5"), 1);
}

TEST(ListFileTest, AdjustingACountRaisesLowersAndRepairs)
{
    EXPECT_EQ(AdjustCount("2", 1, 3), "3");
    EXPECT_EQ(AdjustCount("1", -1, 0), "0");
    EXPECT_EQ(AdjustCount("9223372036854775807", 1, 5), "9223372036854775807");
    EXPECT_EQ(AdjustCount("-9223372036854775808", -1, 5), "-9223372036854775808");
    // A count that is no number becomes what the file really holds.
    EXPECT_EQ(AdjustCount("many", 1, 4), "4");
}

} // namespace
} // namespace ondrix
