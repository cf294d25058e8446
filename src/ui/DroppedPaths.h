#pragma once

#include <string>
#include <vector>

class QMimeData;

namespace ondrix {

// The local paths of a drop, whole, in its order and in the file system's own bytes;
// addresses that are not local files are ignored.
std::vector<std::string> DroppedPaths(const QMimeData* mime);

} // namespace ondrix
