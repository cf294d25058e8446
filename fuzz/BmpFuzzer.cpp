#include "wallpaper/BmpCodec.h"

#include <cstddef>
#include <cstdint>
#include <span>

// Any bytes either decode or give a decoder error; nothing else may happen.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    try {
        ondrix::BmpSize(bytes, "fuzz.bmp");
        const ondrix::Bitmap bitmap = ondrix::DecodeBmp(bytes, "fuzz.bmp");
        volatile std::uint8_t sink = bitmap.ByteCount() > 0 ? bitmap.Data()[bitmap.ByteCount() - 1] : 0;
        (void)sink;
    } catch (const ondrix::FileError&) {
    }
    return 0;
}
