#include "wallpaper/PngCodec.h"

#include <cstddef>
#include <cstdint>
#include <span>

// The header as a list entry reads it, then the whole picture as the wallpaper setter does.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    try {
        const ondrix::PictureSize header = ondrix::PngSize(bytes, "fuzz.png");
        const ondrix::Bitmap whole = ondrix::DecodePng(bytes, "fuzz.png");
        if (whole.Size() != header)
            __builtin_trap();
        volatile std::uint8_t sink = whole.Data()[whole.ByteCount() - 1];
        (void)sink;
    } catch (const ondrix::FileError&) {
    }
    return 0;
}
