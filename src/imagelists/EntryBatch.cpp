#include "EntryBatch.h"

#include "FolderSearch.h"
#include "ListFile.h"

#include <algorithm>
#include <exception>

namespace ondrix {

std::vector<std::string> FindPictureEntryLines(const std::string& folder, const PictureSizeReader& sizeReader,
                                               std::stop_token stop)
{
    std::vector<std::string> lines;
    for (const std::string& path : FindPictureFiles(folder, stop)) {
        if (stop.stop_requested())
            break;
        const PictureKind kind = ListPictureKindOf(path);
        if (kind == PictureKind::Other)
            continue;
        try {
            const auto [width, height] = sizeReader(path, kind);
            lines.push_back(MakeEntryLine(path, width, height));
        } catch (const std::exception&) {
            // A damaged picture in a dropped tree is passed over; the others still count.
        }
    }
    return lines;
}

void AppendEntryLines(ImageList& list, const std::vector<std::string>& lines)
{
    std::vector<std::string> all = ReadListLines(list.Path);
    all.insert(all.end(), lines.begin(), lines.end());
    WriteListLines(list.Path, all);
    list.Count = AdjustCount(list.Count, static_cast<int>(lines.size()), all.size());
}

BatchSlice NextBatch(std::size_t done, std::size_t total, std::size_t batch)
{
    const std::size_t begin = std::min(done, total);
    return {begin, begin + std::min(std::max<std::size_t>(batch, 1), total - begin)};
}

} // namespace ondrix
