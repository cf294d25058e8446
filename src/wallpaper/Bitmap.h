#pragma once

#include "core/Errors.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace ondrix {

// A picture that cannot be read: damaged, truncated, of a kind we do not read, or too large.
// The message names the file.
class DecodeError : public FileError
{
public:
    using FileError::FileError;
};

struct PictureSize
{
    int width = 0;
    int height = 0;
    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

// Limits of every picture we hold in memory; a file claiming more is refused before anything
// is allocated for it.
inline constexpr int kMaxBitmapSide = 16384;
inline constexpr std::int64_t kMaxBitmapPixels = 268'435'456;

// Throws DecodeError naming fileName unless 1 <= width, height <= kMaxBitmapSide and
// width * height <= kMaxBitmapPixels.
void CheckBitmapSize(std::int64_t width, std::int64_t height, const std::string& fileName);

// A 24-bit picture: 3 bytes a pixel in the order blue, green, red (the order of BMP files and
// of libjpeg-turbo's JCS_EXT_BGR), rows from top to bottom, packed without padding between
// rows. The pixels of a new bitmap are not initialised. Move-only: a full picture is never
// copied by accident.
class Bitmap
{
public:
    static constexpr int kBytesPerPixel = 3;

    Bitmap() = default;
    // Throws DecodeError naming fileName when the size is out of the limits above.
    Bitmap(int width, int height, const std::string& fileName)
    {
        CheckBitmapSize(width, height, fileName);
        m_width = width;
        m_height = height;
        m_pixels = std::make_unique_for_overwrite<std::uint8_t[]>(ByteCount());
    }
    Bitmap(Bitmap&&) noexcept = default;
    Bitmap& operator=(Bitmap&&) noexcept = default;
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    ~Bitmap() = default;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    PictureSize Size() const { return {m_width, m_height}; }
    bool Empty() const { return m_pixels == nullptr; }
    std::size_t Stride() const { return static_cast<std::size_t>(m_width) * kBytesPerPixel; }
    std::size_t ByteCount() const { return Stride() * static_cast<std::size_t>(m_height); }

    std::uint8_t* Data() { return m_pixels.get(); }
    const std::uint8_t* Data() const { return m_pixels.get(); }
    std::uint8_t* Row(int y) { return m_pixels.get() + Stride() * static_cast<std::size_t>(y); }
    const std::uint8_t* Row(int y) const { return m_pixels.get() + Stride() * static_cast<std::size_t>(y); }

    // Sets every pixel to one colour.
    void Fill(std::uint8_t blue, std::uint8_t green, std::uint8_t red);

private:
    int m_width = 0;
    int m_height = 0;
    std::unique_ptr<std::uint8_t[]> m_pixels;
};

} // namespace ondrix
