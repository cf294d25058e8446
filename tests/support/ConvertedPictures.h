#pragma once

// Pictures made by an independent encoder: ImageMagick's convert turns a PAM file we write
// by hand (exact pixels) into a PNG or WebP file of the kind a test asks for.

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace ondrix::test {

// A PAM picture: samples row by row, channels per pixel (1 grey, 2 grey and alpha, 3 RGB,
// 4 RGBA), 8 bits a sample, or 16 bits when maxValue is 65535.
struct Pam
{
    int width = 0;
    int height = 0;
    int channels = 3;
    unsigned maxValue = 255;
    std::vector<unsigned> samples;

    std::string Bytes() const
    {
        static const char* const kTypes[] = {"", "GRAYSCALE", "GRAYSCALE_ALPHA", "RGB", "RGB_ALPHA"};
        std::string out = "P7\nWIDTH " + std::to_string(width) + "\nHEIGHT " + std::to_string(height) +
                          "\nDEPTH " + std::to_string(channels) + "\nMAXVAL " + std::to_string(maxValue) +
                          "\nTUPLTYPE " + kTypes[channels] + "\nENDHDR\n";
        for (const unsigned sample : samples) {
            if (maxValue > 255)
                out += static_cast<char>(sample >> 8);
            out += static_cast<char>(sample & 0xFF);
        }
        return out;
    }
};

// The same pixel everywhere in a block of the picture.
inline Pam Blocks(int blocksAcross, int blocksDown, int blockSide, int channels,
                  const std::vector<std::vector<unsigned>>& colours, unsigned maxValue = 255)
{
    Pam pam{blocksAcross * blockSide, blocksDown * blockSide, channels, maxValue, {}};
    for (int y = 0; y < pam.height; ++y)
        for (int x = 0; x < pam.width; ++x) {
            const auto& colour =
                colours[static_cast<std::size_t>((y / blockSide) * blocksAcross + x / blockSide)];
            pam.samples.insert(pam.samples.end(), colour.begin(), colour.end());
        }
    return pam;
}

// Runs convert on the PAM with the given options and returns the bytes of the file it wrote.
// extension names the format ("png", "webp"), optionally after a coder prefix ("PNG8:png").
// A failing convert fails the test.
inline std::string Convert(const TempDir& dir, const Pam& pam, const std::string& options,
                           const std::string& extension)
{
    const auto in = dir.Write("source.pam", pam.Bytes());
    const std::string out = (dir.path() / "converted").string();
    const auto colon = extension.find(':');
    const std::string prefix = colon == std::string::npos ? "" : extension.substr(0, colon + 1);
    const std::string file = out + "." + extension.substr(prefix.size());
    const std::string target = prefix + file;
    const std::string command = "convert '" + in.string() + "' " + options + " '" + target + "' 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_EQ(status, 0) << command;
    return ReadFileBytes(file);
}

} // namespace ondrix::test
