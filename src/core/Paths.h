#pragma once

#include <string>
#include <string_view>

namespace ondrix {

// Joins the application folder and a path literal written with backslashes, such as
// "\imgLists\WorkDir\wallpaper.bmp", in the separators of this system.
std::string AppPath(const std::string& appDir, std::string_view literal);

// The last component of a path, whatever its separator.
std::string FileNamePart(std::string_view path);

} // namespace ondrix
