#pragma once

#include "wallpaper/Bitmap.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace ondrix::test {

// The bytes of a picture held in a string, as the decoders take them.
inline std::span<const std::uint8_t> Span(const std::string& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

// The pixel at (x, y) of a decoded picture is this blue, green and red.
inline void ExpectPixel(const Bitmap& b, int x, int y, int blue, int green, int red)
{
    const std::uint8_t* p = b.Row(y) + 3 * x;
    EXPECT_EQ(p[0], blue) << "blue at " << x << "," << y;
    EXPECT_EQ(p[1], green) << "green at " << x << "," << y;
    EXPECT_EQ(p[2], red) << "red at " << x << "," << y;
}

// The colour of a test picture at (x, y) as blue, green, red (or the four CMYK values).
using PixelFunction = std::function<void(int x, int y, std::uint8_t* out)>;

enum class JpegKind
{
    Colour,
    Gray,
    Cmyk,
    Progressive,
};

// Compresses a picture with libjpeg into memory, so that the tests need no binary files.
inline std::string EncodeJpeg(int width, int height, JpegKind kind, const PixelFunction& pixel,
                              int quality = 95)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_CreateCompress(&info, JPEG_LIB_VERSION, sizeof(info));
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    int components = 3;
    info.in_color_space = JCS_EXT_BGR;
    if (kind == JpegKind::Gray) {
        components = 1;
        info.in_color_space = JCS_GRAYSCALE;
    } else if (kind == JpegKind::Cmyk) {
        components = 4;
        info.in_color_space = JCS_CMYK;
    }
    info.input_components = components;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (kind == JpegKind::Progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * static_cast<std::size_t>(components));
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x)
            pixel(x, static_cast<int>(info.next_scanline), row.data() + x * components);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

// Four quadrants: red top left, green top right, blue bottom left, white bottom right.
inline void Quadrants(int width, int height, int x, int y, std::uint8_t* bgr)
{
    const bool right = x >= width / 2;
    const bool bottom = y >= height / 2;
    bgr[0] = bottom ? 255 : 0;
    bgr[1] = (right && !bottom) || (right && bottom) ? 255 : 0;
    bgr[2] = (!right && !bottom) || (right && bottom) ? 255 : 0;
}

inline bool Near(const std::uint8_t* bgr, int b, int g, int r, int tolerance = 12)
{
    return std::abs(bgr[0] - b) <= tolerance && std::abs(bgr[1] - g) <= tolerance &&
           std::abs(bgr[2] - r) <= tolerance;
}

} // namespace ondrix::test
