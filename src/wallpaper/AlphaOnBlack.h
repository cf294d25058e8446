#pragma once

#include <cstddef>
#include <cstdint>

namespace ondrix {

// Puts count four-byte pixels (blue, green, red, alpha; alpha not premultiplied) on black as
// three-byte ones: each colour becomes colour * alpha / 255, rounded to the nearest. bgr may
// be bgra itself, since every pixel is written no later than it is read.
inline void PutOnBlack(const std::uint8_t* bgra, std::uint8_t* bgr, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i, bgra += 4, bgr += 3) {
        const unsigned alpha = bgra[3];
        bgr[0] = static_cast<std::uint8_t>((bgra[0] * alpha + 127) / 255);
        bgr[1] = static_cast<std::uint8_t>((bgra[1] * alpha + 127) / 255);
        bgr[2] = static_cast<std::uint8_t>((bgra[2] * alpha + 127) / 255);
    }
}

} // namespace ondrix
