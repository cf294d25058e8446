#pragma once

#include "Bitmap.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ondrix {

enum class PictureKind
{
    Bmp,
    Jpeg,
    Png,
    Webp,
    Other,
};

// The kind a path names by its extension, from the last "." on and in any letter case:
// ".BMP" is a bitmap, ".JPG" and ".JPEG" are JPEG pictures, ".PNG" PNG and ".WEBP" WebP
// pictures, anything else is Other.
PictureKind PictureKindOf(const std::string& path);

// The whole file; FileError naming the file when it cannot be read, is not a regular file
// or is larger than kMaxPictureFileBytes.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

// The pixel size of a picture file read from its header only; Other is read as a BMP.
// DecodeError when the header is damaged, FileError when the file cannot be read.
PictureSize ReadPictureSize(const std::string& path, PictureKind kind);

// The same from a picture held in memory; fileName serves only for messages.
PictureSize PictureSizeOf(std::span<const std::uint8_t> bytes, const std::string& fileName, PictureKind kind);

// Decodes a picture held in memory by its kind, Other as a BMP. Only a JPEG is shrunk while
// it is decoded (see DecodeJpeg: at least the target size); the others come at full size.
Bitmap DecodePicture(std::span<const std::uint8_t> bytes, const std::string& fileName, PictureKind kind,
                     int targetWidth = 0, int targetHeight = 0);

} // namespace ondrix
