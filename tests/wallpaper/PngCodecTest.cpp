#include "wallpaper/PngCodec.h"

#include "TestPictures.h"
#include "support/ConvertedPictures.h"
#include "support/TempDir.h"
#include "wallpaper/Picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <zlib.h>

namespace ondrix {
namespace {

using test::ExpectPixel;
using test::Pam;
using test::Span;

constexpr const char* kName = "holiday.png";

// The IHDR fields, to be sure the encoder wrote the kind of file a test is about.
int BitDepthOf(const std::string& png)
{
    return static_cast<unsigned char>(png.at(24));
}
int ColourTypeOf(const std::string& png)
{
    return static_cast<unsigned char>(png.at(25));
}
int InterlaceOf(const std::string& png)
{
    return static_cast<unsigned char>(png.at(28));
}

class PngDecode : public ::testing::Test
{
protected:
    std::string Make(const Pam& pam, const std::string& options, const std::string& format = "png")
    {
        return test::Convert(m_dir, pam, options, format);
    }

    test::TempDir m_dir;
};

TEST_F(PngDecode, EightBitColoursComeOutExactly)
{
    const Pam pam{3, 2, 3, 255, {10, 20, 30, 200, 100, 50, 0, 255, 0, 255, 255, 255, 0, 0, 0, 1, 2, 3}};
    const std::string png = Make(pam, "-define png:color-type=2 -define png:bit-depth=8");
    ASSERT_EQ(ColourTypeOf(png), 2);
    ASSERT_EQ(BitDepthOf(png), 8);
    const Bitmap b = DecodePng(Span(png), kName);
    ASSERT_EQ(b.Size(), (PictureSize{3, 2}));
    ExpectPixel(b, 0, 0, 30, 20, 10);
    ExpectPixel(b, 1, 0, 50, 100, 200);
    ExpectPixel(b, 2, 0, 0, 255, 0);
    ExpectPixel(b, 0, 1, 255, 255, 255);
    ExpectPixel(b, 1, 1, 0, 0, 0);
    ExpectPixel(b, 2, 1, 3, 2, 1);
}

TEST_F(PngDecode, SixteenBitSamplesAreRoundedToEightBits)
{
    // 511 is 1.99 in eight bits (2, not the high byte's 1); 65279 is 254.0; 32896 is 128.
    const Pam pam{2, 1, 3, 65535, {65535, 0, 32896, 511, 51400, 65279}};
    const std::string png = Make(pam, "-depth 16 -define png:color-type=2 -define png:bit-depth=16");
    ASSERT_EQ(BitDepthOf(png), 16);
    const Bitmap b = DecodePng(Span(png), kName);
    ASSERT_EQ(b.Size(), (PictureSize{2, 1}));
    ExpectPixel(b, 0, 0, 128, 0, 255);
    ExpectPixel(b, 1, 0, 254, 200, 2);
}

TEST_F(PngDecode, PaletteAndGreyPicturesAreExpanded)
{
    const Pam colours{4, 1, 3, 255, {255, 0, 0, 0, 128, 255, 250, 240, 10, 7, 7, 7}};
    const std::string palette = Make(colours, "", "PNG8:png");
    ASSERT_EQ(ColourTypeOf(palette), 3);
    const Bitmap p = DecodePng(Span(palette), kName);
    ExpectPixel(p, 0, 0, 0, 0, 255);
    ExpectPixel(p, 1, 0, 255, 128, 0);
    ExpectPixel(p, 2, 0, 10, 240, 250);
    ExpectPixel(p, 3, 0, 7, 7, 7);

    const Pam grey{3, 1, 1, 255, {0, 77, 255}};
    const std::string grey8 = Make(grey, "-define png:color-type=0 -define png:bit-depth=8");
    ASSERT_EQ(ColourTypeOf(grey8), 0);
    const Bitmap g = DecodePng(Span(grey8), kName);
    ExpectPixel(g, 0, 0, 0, 0, 0);
    ExpectPixel(g, 1, 0, 77, 77, 77);
    ExpectPixel(g, 2, 0, 255, 255, 255);

    const Pam blackWhite{9, 1, 1, 255, {0, 255, 255, 0, 0, 0, 0, 0, 255}};
    const std::string grey1 = Make(blackWhite, "-define png:color-type=0 -define png:bit-depth=1");
    ASSERT_EQ(BitDepthOf(grey1), 1);
    const Bitmap bw = DecodePng(Span(grey1), kName);
    ASSERT_EQ(bw.Size(), (PictureSize{9, 1}));
    ExpectPixel(bw, 0, 0, 0, 0, 0);
    ExpectPixel(bw, 1, 0, 255, 255, 255);
    ExpectPixel(bw, 3, 0, 0, 0, 0);
    ExpectPixel(bw, 8, 0, 255, 255, 255); // the ninth pixel, in a byte of its own
}

TEST_F(PngDecode, AlphaIsPutOnBlack)
{
    // 200 * 128 / 255 = 100.4, 100 * 128 / 255 = 50.2, 50 * 128 / 255 = 25.1;
    // 90 * 64 / 255 = 22.6, 180 * 64 / 255 = 45.2, 240 * 64 / 255 = 60.2.
    const Pam rgba{4, 1, 4, 255, {200, 100, 50, 128, 255, 255, 255, 0, 255, 0, 0, 255, 90, 180, 240, 64}};
    const std::string png = Make(rgba, "-define png:color-type=6 -define png:bit-depth=8");
    ASSERT_EQ(ColourTypeOf(png), 6);
    const Bitmap b = DecodePng(Span(png), kName);
    ExpectPixel(b, 0, 0, 25, 50, 100);
    ExpectPixel(b, 1, 0, 0, 0, 0);
    ExpectPixel(b, 2, 0, 0, 0, 255);
    ExpectPixel(b, 3, 0, 60, 45, 23);

    // Grey with alpha, 16 bits: 200 at half is 100; 255 at 51/255 is 51.
    const Pam greyAlpha{3, 1, 2, 65535, {200 * 257, 128 * 257, 255 * 257, 51 * 257, 100 * 257, 65535}};
    const std::string grey = Make(greyAlpha, "-depth 16 -define png:color-type=4 -define png:bit-depth=16");
    ASSERT_EQ(ColourTypeOf(grey), 4);
    const Bitmap g = DecodePng(Span(grey), kName);
    ExpectPixel(g, 0, 0, 100, 100, 100);
    ExpectPixel(g, 1, 0, 51, 51, 51);
    ExpectPixel(g, 2, 0, 100, 100, 100);
}

TEST_F(PngDecode, InterlacedPicturesComeOutWhole)
{
    // Eleven by nine: every one of the seven passes holds pixels.
    Pam rgb{11, 9, 3, 255, {}};
    for (int y = 0; y < rgb.height; ++y)
        for (int x = 0; x < rgb.width; ++x)
            rgb.samples.insert(rgb.samples.end(), {unsigned(x * 20), unsigned(y * 25), unsigned(x + y * 11)});
    const std::string png = Make(rgb, "-interlace PNG -define png:color-type=2 -define png:bit-depth=8");
    ASSERT_EQ(InterlaceOf(png), 1);
    const Bitmap b = DecodePng(Span(png), kName);
    ASSERT_EQ(b.Size(), (PictureSize{11, 9}));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 11; ++x)
            ExpectPixel(b, x, y, x + y * 11, y * 25, x * 20);

    // White with alpha 28x + y: on black each pixel is the grey of its alpha.
    Pam rgba{9, 9, 4, 255, {}};
    for (int y = 0; y < rgba.height; ++y)
        for (int x = 0; x < rgba.width; ++x)
            rgba.samples.insert(rgba.samples.end(), {255, 255, 255, unsigned(28 * x + y)});
    const std::string alpha = Make(rgba, "-interlace PNG -define png:color-type=6 -define png:bit-depth=8");
    ASSERT_EQ(InterlaceOf(alpha), 1);
    const Bitmap a = DecodePng(Span(alpha), kName);
    ExpectPixel(a, 0, 0, 0, 0, 0);
    ExpectPixel(a, 1, 0, 28, 28, 28);
    ExpectPixel(a, 8, 8, 232, 232, 232);
    ExpectPixel(a, 3, 5, 89, 89, 89);
}

TEST_F(PngDecode, SizeFromTheHeaderAndFromAFile)
{
    const Pam pam = test::Blocks(7, 5, 1, 3, std::vector<std::vector<unsigned>>(35, {9, 9, 9}));
    const std::string png = Make(pam, "");
    EXPECT_EQ(PngSize(Span(png), kName), (PictureSize{7, 5}));
    const std::string path = m_dir.Write("x.PNG", png).string();
    EXPECT_EQ(PictureKindOf(path), PictureKind::Png);
    EXPECT_EQ(ReadPngSize(path), (PictureSize{7, 5}));
    EXPECT_EQ(ReadPictureSize(path, PictureKind::Png), (PictureSize{7, 5}));
    EXPECT_EQ(DecodePng(path).Size(), (PictureSize{7, 5}));
    EXPECT_THROW(DecodePng((m_dir.path() / "none.png").string()), FileError);
    EXPECT_THROW(ReadPngSize((m_dir.path() / "none.png").string()), FileError);
}

// A noisy picture, so that its data is large enough to cut anywhere.
std::string NoisyPng(const test::TempDir& dir)
{
    Pam pam{64, 64, 3, 255, {}};
    for (unsigned i = 0; i < 64 * 64 * 3; ++i)
        pam.samples.push_back((i * 2654435761u) >> 24);
    return test::Convert(dir, pam, "-define png:color-type=2", "png");
}

void ExpectRefused(const std::string& png, const std::string& reason)
{
    try {
        DecodePng(Span(png), kName);
        ADD_FAILURE() << "decoded, though " << reason;
    } catch (const DecodeError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find(kName), std::string::npos) << message;
        EXPECT_NE(message.find(reason), std::string::npos) << message;
    }
}

TEST_F(PngDecode, BrokenFilesGiveClearErrors)
{
    const std::string good = NoisyPng(m_dir);
    ASSERT_EQ(DecodePng(Span(good), kName).Size(), (PictureSize{64, 64}));

    ExpectRefused(good.substr(0, good.size() / 2), "ends inside its picture data");
    ExpectRefused(good.substr(0, 20), "ends inside its header");
    ExpectRefused("", "PNG signature");

    std::string signature = good;
    signature[1] = 'Q';
    ExpectRefused(signature, "PNG signature");
    EXPECT_THROW(PngSize(Span(signature), kName), DecodeError);

    std::string headerCrc = good;
    headerCrc[30] = static_cast<char>(headerCrc[30] ^ 0x40); // inside the IHDR chunk's CRC
    ExpectRefused(headerCrc, "CRC");
    EXPECT_THROW(PngSize(Span(headerCrc), kName), DecodeError);

    // The CRC of the picture's first data chunk, checked once its data is read.
    std::string dataCrc = good;
    const auto idat = dataCrc.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    const auto* length = reinterpret_cast<const unsigned char*>(dataCrc.data() + idat - 4);
    const std::size_t crcAt = idat + 4 +
                              (std::size_t{length[0]} << 24 | std::size_t{length[1]} << 16 |
                               std::size_t{length[2]} << 8 | length[3]);
    dataCrc[crcAt] = static_cast<char>(dataCrc[crcAt] ^ 0x01);
    ExpectRefused(dataCrc, "CRC");
}

// A file of signature, IHDR and IEND only, its CRCs computed by zlib.
std::string HeaderOnlyPng(std::uint32_t width, std::uint32_t height)
{
    std::string png("\x89PNG\r\n\x1a\n", 8);
    auto chunk = [&](const char* type, const std::string& data) {
        auto put32 = [&](std::uint32_t v) {
            for (int shift = 24; shift >= 0; shift -= 8)
                png += static_cast<char>((v >> shift) & 0xFF);
        };
        put32(static_cast<std::uint32_t>(data.size()));
        const std::string body = std::string(type) + data;
        png += body;
        put32(static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
    };
    std::string ihdr;
    for (const std::uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            ihdr += static_cast<char>((v >> shift) & 0xFF);
    ihdr += std::string("\x08\x02\x00\x00\x00", 5); // 8-bit RGB, deflate, no filter, no interlace
    chunk("IHDR", ihdr);
    chunk("IEND", "");
    return png;
}

TEST(PngLimits, HugeDeclaredSizesAreRefusedBeforeDecoding)
{
    // Within the side limit, but its 805 MB of rows cannot come from a few bytes.
    const std::string within = HeaderOnlyPng(16384, 16384);
    EXPECT_EQ(PngSize(Span(within), kName), (PictureSize{16384, 16384})); // the header alone is fine
    ExpectRefused(within, "too few for a picture of 16384 x 16384");
    ExpectRefused(HeaderOnlyPng(20000, 100), "too large");
    ExpectRefused(HeaderOnlyPng(0, 100), "impossible size");
    ExpectRefused(HeaderOnlyPng(0x80000000u, 1), "impossible size");
}

} // namespace
} // namespace ondrix
