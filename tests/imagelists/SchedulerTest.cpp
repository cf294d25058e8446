#include "imagelists/Scheduler.h"

#include "core/Errors.h"
#include "imagelists/ListFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <set>

namespace ondrix {
namespace {

using Lines = std::vector<std::string>;

const Lines kLines{"/p/L0.jpg?1*1", "/p/L1.jpg?1*1", "/p/L2.bmp?1*1", "/p/L3.jpg?1*1"};

TEST(NextIndexTest, InOrderWrapsAndStartsAfterTheFirst)
{
    std::mt19937 rng(1);
    EXPECT_EQ(NextIndex(4, 0, false, rng), 1u);
    EXPECT_EQ(NextIndex(4, 2, false, rng), 3u);
    EXPECT_EQ(NextIndex(4, 3, false, rng), 0u);
    EXPECT_EQ(NextIndex(4, std::nullopt, false, rng), 1u);
    EXPECT_EQ(NextIndex(4, 9, false, rng), 1u);
    EXPECT_EQ(NextIndex(1, std::nullopt, false, rng), 0u);
    EXPECT_EQ(NextIndex(0, std::nullopt, false, rng), std::nullopt);
    EXPECT_EQ(NextIndex(0, std::nullopt, true, rng), std::nullopt);
}

TEST(NextIndexTest, AtRandomStaysInRangeAndReachesEveryIndex)
{
    std::mt19937 rng(12345);
    std::set<std::size_t> seen;
    for (int i = 0; i < 1000; ++i) {
        const auto next = NextIndex(5, 2, true, rng);
        ASSERT_TRUE(next);
        ASSERT_LT(*next, 5u);
        seen.insert(*next);
    }
    EXPECT_EQ(seen.size(), 5u);
    std::mt19937 one(7);
    EXPECT_EQ(NextIndex(1, 0, true, one), 0u);
}

TEST(NextPictureTest, InListOrder)
{
    std::mt19937 rng(1);
    EXPECT_EQ(NextPicture(kLines, "/p/L3.jpg", false, rng), "/p/L0.jpg");
    EXPECT_EQ(NextPicture(kLines, "", false, rng), "/p/L1.jpg");
    EXPECT_EQ(NextPicture(kLines, "/p/L1.jpg", false, rng), "/p/L2.bmp");
    // Exact comparison: another letter case is not the current picture.
    EXPECT_EQ(NextPicture(kLines, "/P/L2.BMP", false, rng), "/p/L1.jpg");
    // The first of several equal lines is the current one.
    EXPECT_EQ(NextPicture({"a?1", "b?1", "a?1"}, "a", false, rng), "b");
    EXPECT_EQ(NextPicture({"only?1*1"}, "only", false, rng), "only");
}

TEST(NextPictureTest, AtRandomAlwaysAPictureOfTheList)
{
    std::mt19937 rng(99);
    for (int i = 0; i < 200; ++i) {
        const auto next = NextPicture(kLines, "/p/L0.jpg", true, rng);
        ASSERT_TRUE(next);
        EXPECT_NE(std::find_if(kLines.begin(), kLines.end(),
                               [&](const std::string& line) { return EntryPathOf(line) == *next; }),
                  kLines.end());
    }
}

TEST(NextPictureTest, AnEmptyListKeepsTheCurrentPicture)
{
    std::mt19937 rng(1);
    EXPECT_EQ(NextPicture({}, "/p/a.jpg", false, rng), std::nullopt);
    EXPECT_EQ(NextPicture({}, "/p/a.jpg", true, rng), std::nullopt);
}

TEST(NextThemeTest, InListOrder)
{
    std::mt19937 rng(1);
    const std::vector<std::string> themes{"/t/A.ond", "/t/B.ond", "/t/C.ond"};
    EXPECT_EQ(NextTheme(themes, "/t/C.ond", false, rng), "/t/A.ond");
    EXPECT_EQ(NextTheme(themes, "/t/B.ond", false, rng), "/t/C.ond");
    EXPECT_EQ(NextTheme(themes, "/t/gone.ond", false, rng), "/t/A.ond");
    EXPECT_EQ(NextTheme(themes, "", false, rng), "/t/A.ond");
    EXPECT_EQ(NextTheme(themes, "/T/a.OND", false, rng), "/t/B.ond");
    // The last row matched only ignoring case has no row after it: the first comes next.
    EXPECT_EQ(NextTheme(themes, "/t/c.ond", false, rng), "/t/A.ond");
}

TEST(NextThemeTest, AtRandomAndEmpty)
{
    std::mt19937 rng(5);
    const std::vector<std::string> themes{"/t/A.ond", "/t/B.ond"};
    for (int i = 0; i < 50; ++i) {
        const auto next = NextTheme(themes, "/t/A.ond", true, rng);
        ASSERT_TRUE(next);
        EXPECT_TRUE(*next == themes[0] || *next == themes[1]);
    }
    EXPECT_EQ(NextTheme({}, "/t/A.ond", false, rng), std::nullopt);
    EXPECT_EQ(NextTheme({}, "", true, rng), std::nullopt);
}

TEST(CurrentListTest, RowByFileNameElseTheFirst)
{
    const std::vector<ImageList> rows{{"a.lst", "1", "/s/a.lst"}, {"b.lst", "2", "/s/b.lst"}};
    EXPECT_EQ(CurrentListIndex(rows, "/elsewhere/b.lst"), 1u);
    EXPECT_EQ(CurrentListIndex(rows, "C:\\old\\b.lst"), 1u);
    EXPECT_EQ(CurrentListIndex(rows, "/s/B.lst"), 0u);
    EXPECT_EQ(CurrentListIndex(rows, ""), 0u);
    EXPECT_EQ(CurrentListIndex({}, "/s/a.lst"), std::nullopt);
    // A backslash in a list's own name is part of the name.
    const std::vector<ImageList> named{{"2024.lst", "1", "/s/2024.lst"},
                                       {"trip\\2024.lst", "1", "/s/trip\\2024.lst"}};
    EXPECT_EQ(CurrentListIndex(named, "/s/trip\\2024.lst"), 1u);
    EXPECT_EQ(CurrentListIndex(named, "/s/2024.lst"), 0u);
}

TEST(CurrentListTest, NextPictureReadsTheCurrentListsFile)
{
    test::TempDir dir;
    const std::string a = (dir.path() / "a.lst").string();
    const std::string b = (dir.path() / "b.lst").string();
    WriteListLines(a, {"/p/a0.jpg?1*1", "/p/a1.jpg?1*1"});
    WriteListLines(b, {});
    std::vector<ImageList> rows{{"a.lst", "2", a}, {"b.lst", "0", b}};
    std::mt19937 rng(3);
    EXPECT_EQ(NextPictureOfLists(rows, a, "/p/a0.jpg", false, rng), "/p/a1.jpg");
    EXPECT_EQ(NextPictureOfLists(rows, b, "/p/a0.jpg", false, rng), std::nullopt);
    EXPECT_EQ(NextPictureOfLists({}, a, "/p/a0.jpg", false, rng), std::nullopt);
    rows[0].Path = (dir.path() / "gone.lst").string();
    EXPECT_THROW(NextPictureOfLists(rows, a, "", false, rng), FileError);
}

} // namespace
} // namespace ondrix
