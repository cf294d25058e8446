#pragma once

#include "Bitmap.h"

#include <cstdint>
#include <span>
#include <string>

namespace ondrix {

// WebP pictures through libwebp: lossy, lossless and either with alpha, which is put on
// black. Every libwebp failure becomes a DecodeError naming the file; so does an animated
// picture, which is not read.

// The pixel size from the RIFF header and the VP8, VP8L or VP8X chunk, without decoding.
PictureSize WebpSize(std::span<const std::uint8_t> bytes, const std::string& fileName);
PictureSize ReadWebpSize(const std::string& path);

// Decodes the picture held in memory; fileName serves only for messages.
Bitmap DecodeWebp(std::span<const std::uint8_t> bytes, const std::string& fileName);

// Reads the file at path once and decodes it as above; FileError when it cannot be read.
Bitmap DecodeWebp(const std::string& path);

} // namespace ondrix
