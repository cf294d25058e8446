#include "Bitmap.h"

#include <cstring>

namespace ondrix {

void CheckBitmapSize(std::int64_t width, std::int64_t height, const std::string& fileName)
{
    if (width <= 0 || height <= 0)
        throw DecodeError("The picture \"" + fileName + "\" has no pixels (" + std::to_string(width) + "x" +
                          std::to_string(height) + ").");
    if (width > kMaxBitmapSide || height > kMaxBitmapSide || width * height > kMaxBitmapPixels)
        throw DecodeError("The picture \"" + fileName + "\" is too large (" + std::to_string(width) + "x" +
                          std::to_string(height) + " pixels; at most " + std::to_string(kMaxBitmapSide) +
                          " a side are read).");
}

void Bitmap::Fill(std::uint8_t blue, std::uint8_t green, std::uint8_t red)
{
    if (Empty())
        return;
    std::uint8_t* row = Row(0);
    for (int x = 0; x < m_width; ++x) {
        row[3 * x] = blue;
        row[3 * x + 1] = green;
        row[3 * x + 2] = red;
    }
    for (int y = 1; y < m_height; ++y)
        std::memcpy(Row(y), row, Stride());
}

} // namespace ondrix
