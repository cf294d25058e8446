#pragma once

#include "Bitmap.h"

#include <cstdint>
#include <span>
#include <string>

namespace ondrix {

// JPEG pictures through libjpeg-turbo. Every libjpeg failure becomes a DecodeError naming the
// file; so does a file that ends inside its picture data, too much damaged data, and a
// progressive picture with an absurd number of scans. Grayscale, colour and CMYK/YCCK
// pictures all decode to the 24-bit bitmap.

// The full pixel size from the header, without decoding the picture.
PictureSize JpegSize(std::span<const std::uint8_t> bytes, const std::string& fileName);
PictureSize ReadJpegSize(const std::string& path);

// The numerator n of the decoding scale n/8: the smallest whose output is at least
// targetWidth x targetHeight, 8 (full size) when the picture is not to be shrunk or no target
// is given (zero or negative).
int JpegScaleFor(PictureSize full, int targetWidth, int targetHeight);

// Decodes the picture held in memory at the scale JpegScaleFor gives; the result is at least
// the target size, or the full size. fileName serves only for messages.
Bitmap DecodeJpeg(std::span<const std::uint8_t> bytes, const std::string& fileName, int targetWidth = 0,
                  int targetHeight = 0);

// Reads the file at path once and decodes it as above; FileError when it cannot be read.
Bitmap DecodeJpeg(const std::string& path, int targetWidth = 0, int targetHeight = 0);

} // namespace ondrix
