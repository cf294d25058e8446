#pragma once

#include "Bitmap.h"

#include <cstdint>
#include <span>
#include <string>

namespace ondrix {

// Our BMP reader. It reads the bitmaps people have: the 12-byte core header, the 40-byte
// header and its longer successors (52, 56, 64, 108 and 124 bytes); 1, 4, 8, 16, 24 and 32
// bits a pixel; uncompressed, RLE8, RLE4 and bit-field pixels (16 and 32 bits, any contiguous
// mask); rows stored bottom-up or top-down. Palette entries missing from a short palette are
// black, as are pixels an RLE picture skips. Every read is bounds-checked: a damaged file gives
// DecodeError naming fileName, which serves only for messages.
Bitmap DecodeBmp(std::span<const std::uint8_t> bytes, const std::string& fileName);

// Reads and decodes the BMP file at path; FileError when it cannot be read.
Bitmap ReadBmp(const std::string& path);

// The pixel size of a BMP from its first bytes (26 are enough), without decoding the pixels.
PictureSize BmpSize(std::span<const std::uint8_t> bytes, const std::string& fileName);
PictureSize ReadBmpSize(const std::string& path);

// Writes the picture as a 24-bit bottom-up BMP with a 40-byte header, rows padded to four
// bytes. The file is written under a temporary name in the same folder and renamed over path,
// so path holds either the old or the new picture, never a part; path may be the very file the
// picture was read from. Throws FileError naming path.
void WriteBmp(const Bitmap& bitmap, const std::string& path);

} // namespace ondrix
