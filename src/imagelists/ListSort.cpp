#include "ListSort.h"

#include "ListFile.h"

#include <algorithm>
#include <numeric>

namespace ondrix {

std::int32_t NormalizeListsSortType(std::int32_t sortType)
{
    return sortType >= 0 && sortType <= 5 ? sortType : 0;
}

std::int32_t SortTypeAfterColumnClick(std::int32_t sortType, int column)
{
    if (column < 0 || column > 2)
        return NormalizeListsSortType(sortType);
    const std::int32_t current = NormalizeListsSortType(sortType);
    const bool sameColumnAscending = current / 2 == column && current % 2 == 0;
    return column * 2 + (sameColumnAscending ? 1 : 0);
}

bool ListRowLess(const ImageList& a, const ImageList& b, std::int32_t sortType)
{
    const std::int32_t rule = NormalizeListsSortType(sortType);
    const bool descending = rule % 2 == 1;
    const ImageList& left = descending ? b : a;
    const ImageList& right = descending ? a : b;
    switch (rule / 2) {
    case 1:
        return CompareEntryCounts(left.Count, right.Count) < 0;
    case 2:
        return left.Path < right.Path;
    default:
        return left.Name < right.Name;
    }
}

void SortLists(std::vector<ImageList>& rows, std::int32_t sortType)
{
    std::stable_sort(rows.begin(), rows.end(), [sortType](const ImageList& a, const ImageList& b) {
        return ListRowLess(a, b, sortType);
    });
}

std::vector<std::size_t> SortedListOrder(const std::vector<ImageList>& rows, std::int32_t sortType)
{
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return ListRowLess(rows[a], rows[b], sortType); });
    return order;
}

} // namespace ondrix
