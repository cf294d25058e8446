#pragma once

#include "ImageListStore.h"

#include <stop_token>
#include <string>
#include <vector>

namespace ondrix {

// The entry lines (path "?" width "*" height) of the pictures of a folder tree, in the order
// FindPictureFiles gives, with the sizes sizeReader reports. A picture whose size cannot be
// read is left out. Meant for a worker thread: it touches no list file.
std::vector<std::string> FindPictureEntryLines(const std::string& folder, const PictureSizeReader& sizeReader,
                                               std::stop_token stop = {});

// Appends the lines to the list file with one read and one write, and raises Count by their
// number. Throws FileError naming the file, with file and Count unchanged, when it cannot be
// read or written.
void AppendEntryLines(ImageList& list, const std::vector<std::string>& lines);

// The next slice [begin, end) of a queue of total items worked through at most batch items an
// event-loop turn.
struct BatchSlice
{
    std::size_t begin = 0;
    std::size_t end = 0;
};
BatchSlice NextBatch(std::size_t done, std::size_t total, std::size_t batch);

} // namespace ondrix
