#pragma once

#include "ImageListStore.h"

#include <cstddef>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace ondrix {

// The next index of a list of count items: at random any index (the current one may come
// again), in order the one after current (after the last, the first; no current counts as
// index 0, so it leads to index 1). None for an empty list.
std::optional<std::size_t> NextIndex(std::size_t count, std::optional<std::size_t> currentIndex, bool random,
                                     std::mt19937& rng);

// The next picture of a list's lines: the current one is the first line whose picture path
// equals cImg exactly. Returns the picture path of the chosen line; none (keep the current
// picture) when the list has no lines.
std::optional<std::string> NextPicture(const std::vector<std::string>& lines, const std::string& cImg,
                                       bool random, std::mt19937& rng);

// The next theme of the themes list's package paths in displayed order: in order, the first
// row when cadvTheme is empty or the last row's path, else the row after the first one equal
// ignoring ASCII case (the first row after the last one, or when none is equal). None when
// the list is empty.
std::optional<std::string> NextTheme(const std::vector<std::string>& paths, const std::string& cadvTheme,
                                     bool random, std::mt19937& rng);

// The row of the current list: the first whose Path is cIList, else the first whose Name
// equals the file-name part of cIList, else row 0; none when there are no rows.
std::optional<std::size_t> CurrentListIndex(const std::vector<ImageList>& rows, const std::string& cIList);

// NextPicture over the file of the current list of rows; none when there are no rows or the
// list file is empty. Throws FileError when the list file cannot be read.
std::optional<std::string> NextPictureOfLists(const std::vector<ImageList>& rows, const std::string& cIList,
                                              const std::string& cImg, bool random, std::mt19937& rng);

} // namespace ondrix
