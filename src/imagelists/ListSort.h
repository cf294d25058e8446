#pragma once

#include "ImageListStore.h"

#include <cstdint>
#include <vector>

namespace ondrix {

// The lists view's sort rule: column index × 2 + 1 when descending. Columns: 0 Name,
// 1 Count, 2 Path. A stored value outside 0..5 reads as 0 (by name, ascending).
std::int32_t NormalizeListsSortType(std::int32_t sortType);

// The rule after a click on a column title: a second click on the ascending sort column
// sorts it descending, any other click sorts the clicked column ascending.
std::int32_t SortTypeAfterColumnClick(std::int32_t sortType, int column);

// A strict weak ordering of rows under a sort rule: names and paths by byte codes (case
// counts, "Zoo.lst" before "apple.lst"), counts by their numeric value (a text that is no
// number counts as 0); the descending rules reverse it. Rows with equal keys are equivalent.
bool ListRowLess(const ImageList& a, const ImageList& b, std::int32_t sortType);

// Sorts the rows stably by the rule; rows with equal keys keep their order.
void SortLists(std::vector<ImageList>& rows, std::int32_t sortType);

// The order SortLists would give, as indexes into rows (for a view that moves its own rows
// and keeps its selection).
std::vector<std::size_t> SortedListOrder(const std::vector<ImageList>& rows, std::int32_t sortType);

} // namespace ondrix
