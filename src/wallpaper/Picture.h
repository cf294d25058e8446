#pragma once

#include "Bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ondrix {

enum class PictureKind
{
    Bmp,
    Jpeg,
    Other,
};

// The kind a path names by its extension, from the last "." on and in any letter case:
// ".BMP" is a bitmap, ".JPG" and ".JPEG" are JPEG pictures, anything else is Other.
PictureKind PictureKindOf(const std::string& path);

// The whole file; FileError naming the file when it cannot be read, is not a regular file
// or is larger than kMaxPictureFileBytes.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

// The pixel size of a BMP or JPEG file read from its header only; DecodeError when the
// header is damaged, FileError when the file cannot be read.
PictureSize ReadPictureSize(const std::string& path, PictureKind kind);

} // namespace ondrix
