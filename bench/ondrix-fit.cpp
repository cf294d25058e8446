// ondrix-fit IN.jpg|IN.bmp|IN.png|IN.webp WIDTH HEIGHT OUT.bmp
//
// Decodes a picture (a JPEG at the smallest DCT scale that still covers the size), stretches
// it to exactly WIDTH x HEIGHT the way the wallpaper is fitted, and writes a 24-bit BMP: the
// wallpaper pipeline on its own, for timing against other programs.

#include "wallpaper/BmpCodec.h"
#include "wallpaper/Fit.h"
#include "wallpaper/Picture.h"

#include <charconv>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

namespace {

bool ParseSide(std::string_view text, int& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value > 0;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace ondrix;
    int width = 0;
    int height = 0;
    if (argc != 5 || !ParseSide(argv[2], width) || !ParseSide(argv[3], height)) {
        std::fprintf(stderr, "usage: ondrix-fit IN.jpg|IN.bmp|IN.png|IN.webp WIDTH HEIGHT OUT.bmp\n");
        return 2;
    }
    try {
        const std::string in = argv[1];
        const Bitmap picture = DecodePicture(ReadFileBytes(in), in, PictureKindOf(in), width, height);
        if (picture.Width() == width && picture.Height() == height) {
            WriteBmp(picture, argv[4]);
        } else {
            WriteBmp(Stretch(picture, width, height), argv[4]);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ondrix-fit: %s\n", error.what());
        return 1;
    }
    return 0;
}
