#pragma once

#include "Bitmap.h"

#include <cstdint>
#include <span>
#include <string>

namespace ondrix {

// PNG pictures through libpng. Every libpng failure becomes a DecodeError naming the file, as
// do a wrong signature, a damaged chunk (bad CRC), a file that ends inside its picture data
// and a header claiming more pixels than the data could hold. Grey, palette, RGB, with or
// without alpha, 1 to 16 bits a sample and interlaced pictures all decode to the 24-bit
// bitmap: 16-bit samples are scaled to 8 bits, palette and grey pictures expanded, and
// transparent pixels put on black.

// The pixel size from the IHDR chunk at the start of the file, without decoding the picture.
PictureSize PngSize(std::span<const std::uint8_t> bytes, const std::string& fileName);
PictureSize ReadPngSize(const std::string& path);

// Decodes the picture held in memory; fileName serves only for messages.
Bitmap DecodePng(std::span<const std::uint8_t> bytes, const std::string& fileName);

// Reads the file at path once and decodes it as above; FileError when it cannot be read.
Bitmap DecodePng(const std::string& path);

} // namespace ondrix
