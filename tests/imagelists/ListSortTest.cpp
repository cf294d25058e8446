#include "imagelists/ListSort.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ondrix {
namespace {

std::vector<std::string> Names(const std::vector<ImageList>& rows)
{
    std::vector<std::string> names;
    for (const auto& row : rows)
        names.push_back(row.Name);
    return names;
}

const std::vector<ImageList> kRows{
    {"apple.lst", "10", "/s/b/apple.lst"},
    {"Zoo.lst", "9", "/s/a/Zoo.lst"},
    {"mid.lst", "9", "/s/c/mid.lst"},
    {"odd.lst", "x", "/s/d/odd.lst"},
};

using Names_ = std::vector<std::string>;

TEST(ListSortTest, ByNameCaseCounts)
{
    auto rows = kRows;
    SortLists(rows, 0);
    EXPECT_EQ(Names(rows), (Names_{"Zoo.lst", "apple.lst", "mid.lst", "odd.lst"}));
    SortLists(rows, 1);
    EXPECT_EQ(Names(rows), (Names_{"odd.lst", "mid.lst", "apple.lst", "Zoo.lst"}));
    // Bytes compare unsigned: a name beginning with a UTF-8 letter comes after "z".
    std::vector<ImageList> accented{{"\xc3\xa9t\xc3\xa9.lst", "1", "/e"}, {"zz.lst", "1", "/z"}};
    SortLists(accented, 0);
    EXPECT_EQ(accented[0].Name, "zz.lst");
}

TEST(ListSortTest, ByCountNumericallyWithTiesInTheirOrder)
{
    auto rows = kRows;
    SortLists(rows, 2);
    EXPECT_EQ(Names(rows), (Names_{"odd.lst", "Zoo.lst", "mid.lst", "apple.lst"}));
    rows = kRows;
    SortLists(rows, 3);
    EXPECT_EQ(Names(rows), (Names_{"apple.lst", "Zoo.lst", "mid.lst", "odd.lst"}));
}

TEST(ListSortTest, ByPath)
{
    auto rows = kRows;
    SortLists(rows, 4);
    EXPECT_EQ(Names(rows), (Names_{"Zoo.lst", "apple.lst", "mid.lst", "odd.lst"}));
    SortLists(rows, 5);
    EXPECT_EQ(Names(rows), (Names_{"odd.lst", "mid.lst", "apple.lst", "Zoo.lst"}));
}

TEST(ListSortTest, EqualCountsAreEquivalentNotLess)
{
    const ImageList a{"a", "3", "/a"};
    const ImageList b{"b", "3", "/b"};
    for (int rule : {2, 3}) {
        EXPECT_FALSE(ListRowLess(a, b, rule));
        EXPECT_FALSE(ListRowLess(b, a, rule));
        EXPECT_FALSE(ListRowLess(a, a, rule));
    }
}

TEST(ListSortTest, ManyEqualCountsSortSafely)
{
    std::vector<ImageList> rows;
    for (int i = 0; i < 2000; ++i)
        rows.push_back({"l" + std::to_string(i), std::to_string(i % 3), "/p"});
    SortLists(rows, 2);
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(),
                               [](const ImageList& a, const ImageList& b) { return ListRowLess(a, b, 2); }));
    EXPECT_EQ(rows.front().Name, "l0");
    EXPECT_EQ(rows.back().Name, "l1997");
    const auto order = SortedListOrder(kRows, 3);
    EXPECT_EQ(order, (std::vector<std::size_t>{0, 1, 2, 3}));
}

TEST(ListSortTest, StoredRulesOutsideTheColumnsReadAsZero)
{
    for (int rule : {-1, 6, 7, 1000})
        EXPECT_EQ(NormalizeListsSortType(rule), 0);
    for (int rule = 0; rule <= 5; ++rule)
        EXPECT_EQ(NormalizeListsSortType(rule), rule);
    auto rows = kRows;
    SortLists(rows, 42);
    EXPECT_EQ(Names(rows), (Names_{"Zoo.lst", "apple.lst", "mid.lst", "odd.lst"}));
}

TEST(ListSortTest, ColumnClicks)
{
    // Sorted by count descending: a click on count sorts ascending, one on name by name.
    EXPECT_EQ(SortTypeAfterColumnClick(3, 1), 2);
    EXPECT_EQ(SortTypeAfterColumnClick(2, 1), 3);
    EXPECT_EQ(SortTypeAfterColumnClick(2, 0), 0);
    EXPECT_EQ(SortTypeAfterColumnClick(5, 0), 0);
    EXPECT_EQ(SortTypeAfterColumnClick(0, 2), 4);
    EXPECT_EQ(SortTypeAfterColumnClick(99, 0), 1);
    EXPECT_EQ(SortTypeAfterColumnClick(3, 7), 3);
}

} // namespace
} // namespace ondrix
