#include "swf/SwfWriter.h"

#include "swf/Scenes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

namespace ondrix::swf {
namespace {

// Bytes from a string of '0' and '1' (blanks ignored), padded with zeros to whole bytes.
std::string Bits(const std::string& text)
{
    std::string out;
    int used = 0;
    for (char c : text) {
        if (c == ' ')
            continue;
        if (used == 0)
            out += '\0';
        if (c == '1')
            out.back() = static_cast<char>(static_cast<unsigned char>(out.back()) | (0x80 >> used));
        used = (used + 1) % 8;
    }
    return out;
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int value : values)
        out += static_cast<char>(value);
    return out;
}

TEST(SwfWriter, TinyMovieBytesByHand)
{
    Movie movie;
    movie.width = 100; // 2000 twips
    movie.height = 50; // 1000 twips
    movie.frameRate = 12;
    movie.version = 8;
    movie.background = {0x10, 0x20, 0x30, 255};
    movie.frames.resize(1);
    const std::string bytes = WriteMovie(movie);

    // RECT: 12 bits per field (2000 needs 11 bits and a sign), 5 + 4 * 12 = 53 bits, 7 bytes.
    const std::string rect = Bits("01100 000000000000 011111010000 000000000000 001111101000");
    ASSERT_EQ(rect.size(), 7u);
    const std::string expected =
        std::string("FWS") + Bytes({8, 28, 0, 0, 0}) + rect + Bytes({0x00, 0x0C}) + // 12 fps
        Bytes({1, 0}) +                                                             // frames
        Bytes({0x43, 0x02, 0x10, 0x20, 0x30}) + // SetBackgroundColor: code 9, 3 bytes
        Bytes({0x40, 0x00}) +                   // ShowFrame
        Bytes({0x00, 0x00});                    // End
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.size(), 28u);
}

TEST(SwfWriter, FieldsPackTheirBits)
{
    EXPECT_EQ(SignedBits({0}), 1);
    EXPECT_EQ(SignedBits({1}), 2);
    EXPECT_EQ(SignedBits({-1}), 1);
    EXPECT_EQ(SignedBits({1000, 500}), 11);
    EXPECT_EQ(SignedBits({-1024}), 11);
    EXPECT_EQ(SignedBits({1024}), 12);
    // 40 needs 6 bits and a sign.
    EXPECT_EQ(Rect(-20, 20, -40, 40), Bits("00111 1101100 0010100 1011000 0101000"));
    // Translation only: no scale, no rotation, 11 bits for 1000 and 500 twips.
    EXPECT_EQ(Matrix({50, 25, 1, 0}), Bits("0 0 01011 01111101000 00111110100"));
    // Scale 2 (131072 in 16.16, 19 bits with the sign) and no translation.
    EXPECT_EQ(Matrix({0, 0, 2, 0}), Bits("1 10011 0100000000000000000 0100000000000000000 0 00000"));
    // A short tag keeps its length in the code word; 63 bytes and more take the long form.
    EXPECT_EQ(Tag(1, ""), Bytes({0x40, 0x00}));
    EXPECT_EQ(Tag(26, std::string(62, 'x')).substr(0, 2), Bytes({0xBE, 0x06}));
    EXPECT_EQ(Tag(26, std::string(63, 'x')).substr(0, 6), Bytes({0xBF, 0x06, 63, 0, 0, 0}));
}

TEST(SwfWriter, ShapesArePlacedThenMovedInEveryFrame)
{
    Movie movie;
    movie.shapes = {{Shape::Kind::Rectangle, 10, 10, {255, 0, 0, 255}},
                    {Shape::Kind::Ellipse, 10, 10, {0, 0, 255, 128}}};
    movie.frames = {{{10, 10}, {20, 20}}, {{11, 10}, {21, 20}}, {{12, 10}, {22, 20}}};
    const std::string bytes = WriteMovie(movie);
    const auto length = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[4])) |
                        static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[5])) << 8 |
                        static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[6])) << 16;
    EXPECT_EQ(length, bytes.size());
    // The tags after the header: signature, version, length, stage RECT, rate and count.
    std::size_t at = 8 + Rect(0, 11000, 0, 8000).size() + 4;
    std::vector<int> codes;
    std::vector<int> placeFlags;
    while (at + 2 <= bytes.size()) {
        const int word = static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1])
                                                                     << 8;
        std::size_t size = word & 0x3F;
        at += 2;
        if (size == 0x3F) {
            size = static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
            at += 4;
        }
        codes.push_back(word >> 6);
        if (word >> 6 == 26)
            placeFlags.push_back(static_cast<unsigned char>(bytes[at]));
        at += size;
    }
    EXPECT_EQ(at, bytes.size());
    EXPECT_EQ(codes, (std::vector<int>{9, 2, 32, 26, 26, 1, 26, 26, 1, 26, 26, 1, 0}));
    EXPECT_EQ(placeFlags, (std::vector<int>{0x06, 0x06, 0x05, 0x05, 0x05, 0x05}));
}

TEST(SwfWriter, ScenesLoopSeamlessly)
{
    for (const std::string& name : SceneNames()) {
        const Movie movie = Scene(name);
        ASSERT_GT(movie.frames.size(), 100u) << name;
        // The frame after the last would be the first again: the last step is as small as
        // any other step.
        const auto& first = movie.frames.front();
        const auto& last = movie.frames.back();
        const auto& second = movie.frames[1];
        for (std::size_t i = 0; i < first.size(); ++i) {
            const double wrapStep = std::hypot(first[i].x - last[i].x, first[i].y - last[i].y);
            const double firstStep = std::hypot(second[i].x - first[i].x, second[i].y - first[i].y);
            // A lantern that leaves at the top comes back at the bottom, which is a jump by design.
            if (wrapStep > 3 * firstStep + 5) {
                EXPECT_TRUE(name == "lanterns") << name << " shape " << i;
            }
        }
        EXPECT_NO_THROW(WriteMovie(movie));
    }
    EXPECT_THROW(Scene("nothing"), std::invalid_argument);
}

} // namespace
} // namespace ondrix::swf
