#pragma once

#include "ScreenInfo.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ondrix {

// Pixels of a picture: 3 bytes a pixel in the order blue, green, red, rows from top to bottom,
// packed without padding.
struct BgrPixels
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgr;
};

// Reading and writing picture files for the backends that draw the desktop themselves. The
// codecs live with the wallpaper engine; the platform layer only sees pixels.
class PictureFiles
{
public:
    virtual ~PictureFiles() = default;
    // Throws FileError (or a subclass) naming path.
    virtual BgrPixels Load(const std::string& path) = 0;
    virtual DesktopSize SizeOf(const std::string& path) = 0;
    virtual void Save(const BgrPixels& pixels, const std::string& path) = 0;
};

} // namespace ondrix
