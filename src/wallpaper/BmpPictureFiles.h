#pragma once

#include "BmpCodec.h"
#include "platform/PictureFiles.h"

#include <cstring>

namespace ondrix {

// Picture files for the platform backends that draw the desktop themselves, read and written
// with our BMP codec.
class BmpPictureFiles final : public PictureFiles
{
public:
    BgrPixels Load(const std::string& path) override
    {
        const Bitmap bitmap = ReadBmp(path);
        BgrPixels pixels;
        pixels.width = bitmap.Width();
        pixels.height = bitmap.Height();
        pixels.bgr.assign(bitmap.Data(), bitmap.Data() + bitmap.ByteCount());
        return pixels;
    }

    DesktopSize SizeOf(const std::string& path) override
    {
        const PictureSize size = ReadBmpSize(path);
        return {size.width, size.height};
    }

    void Save(const BgrPixels& pixels, const std::string& path) override
    {
        Bitmap bitmap(pixels.width, pixels.height, path);
        if (pixels.bgr.size() != bitmap.ByteCount())
            throw FileError("The picture for " + path + " does not hold its pixels");
        std::memcpy(bitmap.Data(), pixels.bgr.data(), bitmap.ByteCount());
        WriteBmp(bitmap, path);
    }
};

} // namespace ondrix
