#include "wallpaper/JpegCodec.h"

#include <cstddef>
#include <cstdint>
#include <span>

// Decodes at full size and at a reduced scale, the two ways the wallpaper setter reads.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    try {
        const ondrix::PictureSize full = ondrix::JpegSize(bytes, "fuzz.jpg");
        const ondrix::Bitmap whole = ondrix::DecodeJpeg(bytes, "fuzz.jpg");
        if (full.width > 8 && full.height > 8)
            ondrix::DecodeJpeg(bytes, "fuzz.jpg", full.width / 3, full.height / 3);
        volatile std::uint8_t sink = whole.ByteCount() > 0 ? whole.Data()[0] : 0;
        (void)sink;
    } catch (const ondrix::FileError&) {
    }
    return 0;
}
