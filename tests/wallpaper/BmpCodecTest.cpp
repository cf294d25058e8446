#include "wallpaper/BmpCodec.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ondrix {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Bgr = std::array<std::uint8_t, 3>;

constexpr const char* kName = "holiday-photo.bmp";

void Put16(Bytes& b, std::size_t at, std::uint32_t v)
{
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

// A BMP file as a writer would lay it out: file header, bitmap header of headerSize bytes,
// masks after a 40-byte header when given, the palette (BGRX, or BGR for the core header),
// then the pixel bytes.
struct BmpLayout
{
    std::uint32_t headerSize = 40;
    std::int32_t width = 1;
    std::int32_t height = 1;
    int bpp = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::vector<Bgr> palette;
    std::vector<std::uint32_t> masks;
    Bytes pixels;
};

Bytes MakeBmp(const BmpLayout& s)
{
    const std::size_t entry = s.headerSize == 12 ? 3 : 4;
    const std::size_t masksAfter = s.headerSize == 40 ? s.masks.size() * 4 : 0;
    const std::size_t pixelOffset = 14 + s.headerSize + masksAfter + s.palette.size() * entry;
    Bytes b(pixelOffset, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, static_cast<std::uint32_t>(pixelOffset));
    Put32(b, 14, s.headerSize);
    if (s.headerSize == 12) {
        Put16(b, 18, static_cast<std::uint32_t>(s.width));
        Put16(b, 20, static_cast<std::uint32_t>(s.height));
        Put16(b, 22, 1);
        Put16(b, 24, static_cast<std::uint32_t>(s.bpp));
    } else {
        Put32(b, 18, static_cast<std::uint32_t>(s.width));
        Put32(b, 22, static_cast<std::uint32_t>(s.height));
        Put16(b, 26, 1);
        Put16(b, 28, static_cast<std::uint32_t>(s.bpp));
        Put32(b, 30, s.compression);
        Put32(b, 46, s.colorsUsed);
        for (std::size_t i = 0; i < s.masks.size(); ++i)
            Put32(b, 54 + 4 * i, s.masks[i]);
    }
    std::size_t at = 14 + s.headerSize + masksAfter;
    for (const Bgr& c : s.palette) {
        b[at] = c[0];
        b[at + 1] = c[1];
        b[at + 2] = c[2];
        at += entry;
    }
    b.insert(b.end(), s.pixels.begin(), s.pixels.end());
    Put32(b, 2, static_cast<std::uint32_t>(b.size()));
    return b;
}

Bgr Pixel(const Bitmap& bitmap, int x, int y)
{
    const std::uint8_t* p = bitmap.Row(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

constexpr Bgr kBlack{0, 0, 0};
constexpr Bgr kWhite{255, 255, 255};
constexpr Bgr kRed{0, 0, 255};
constexpr Bgr kGreen{0, 255, 0};
constexpr Bgr kBlue{255, 0, 0};

// --- Writing and reading back -------------------------------------------------------------

TEST(BmpWriter, RoundTripKeepsEveryPixelAndPadsRows)
{
    test::TempDir dir;
    Bitmap picture(5, 3, "test");
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            for (int c = 0; c < 3; ++c)
                picture.Row(y)[3 * x + c] = static_cast<std::uint8_t>(x * 50 + y * 7 + c);
    const std::string path = (dir.path() / "out.bmp").string();
    WriteBmp(picture, path);

    const std::string bytes = test::ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 54u + 3 * 16); // 15 bytes a row padded to 16
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[14]), 40);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[28]), 24);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[25]), 0); // positive height: bottom-up
    // The first stored row is the bottom one.
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[54]), picture.Row(2)[0]);

    const Bitmap back = ReadBmp(path);
    ASSERT_EQ(back.Size(), (PictureSize{5, 3}));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(Pixel(back, x, y), Pixel(picture, x, y)) << x << "," << y;
}

TEST(BmpWriter, ReplacesTheFileAndLeavesNoTemporaryBehind)
{
    test::TempDir dir;
    const std::string path = (dir.path() / "wallpaper.bmp").string();
    dir.Write("wallpaper.bmp", "old content");
    Bitmap picture(2, 2, "test");
    picture.Fill(1, 2, 3);
    WriteBmp(picture, path);
    EXPECT_EQ(Pixel(ReadBmp(path), 1, 1), (Bgr{1, 2, 3}));
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST(BmpWriter, MissingFolderIsAFileErrorNamingTheFile)
{
    test::TempDir dir;
    const std::string path = (dir.path() / "no-such-folder" / "wallpaper.bmp").string();
    Bitmap picture(1, 1, "test");
    picture.Fill(0, 0, 0);
    try {
        WriteBmp(picture, path);
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos);
    }
}

// --- Pixel formats ----------------------------------------------------------------------

TEST(BmpReader, OneBitPerPixelBottomUp)
{
    BmpLayout s;
    s.width = 10;
    s.height = 2;
    s.bpp = 1;
    s.palette = {kBlack, kWhite};
    // Bottom row first: 1010101010, then top row: 1100000011. Rows padded to 4 bytes.
    s.pixels = {0b10101010, 0b10000000, 0, 0, 0b11000000, 0b11000000, 0, 0};
    const Bitmap b = DecodeBmp(MakeBmp(s), kName);
    ASSERT_EQ(b.Size(), (PictureSize{10, 2}));
    EXPECT_EQ(Pixel(b, 0, 1), kWhite);
    EXPECT_EQ(Pixel(b, 1, 1), kBlack);
    EXPECT_EQ(Pixel(b, 8, 1), kWhite);
    EXPECT_EQ(Pixel(b, 9, 1), kBlack);
    EXPECT_EQ(Pixel(b, 0, 0), kWhite);
    EXPECT_EQ(Pixel(b, 2, 0), kBlack);
    EXPECT_EQ(Pixel(b, 8, 0), kWhite);
    EXPECT_EQ(Pixel(b, 9, 0), kWhite);
}

TEST(BmpReader, FourBitsPerPixelHighNibbleFirst)
{
    BmpLayout s;
    s.width = 3;
    s.height = 1;
    s.bpp = 4;
    s.palette.assign(16, kBlack);
    s.palette[1] = kRed;
    s.palette[2] = kGreen;
    s.palette[15] = kBlue;
    s.pixels = {0x12, 0xF0, 0, 0};
    const Bitmap b = DecodeBmp(MakeBmp(s), kName);
    EXPECT_EQ(Pixel(b, 0, 0), kRed);
    EXPECT_EQ(Pixel(b, 1, 0), kGreen);
    EXPECT_EQ(Pixel(b, 2, 0), kBlue);
}

TEST(BmpReader, ShortPaletteAndLyingColourCountGiveBlackForMissingEntries)
{
    BmpLayout s;
    s.width = 3;
    s.height = 1;
    s.bpp = 8;
    s.palette = {kRed, kGreen};
    s.colorsUsed = 2;
    s.pixels = {0, 1, 200, 0};
    Bitmap b = DecodeBmp(MakeBmp(s), kName);
    EXPECT_EQ(Pixel(b, 0, 0), kRed);
    EXPECT_EQ(Pixel(b, 1, 0), kGreen);
    EXPECT_EQ(Pixel(b, 2, 0), kBlack);

    // The count claims more entries than the file holds before its pixels.
    s.colorsUsed = 100000;
    b = DecodeBmp(MakeBmp(s), kName);
    EXPECT_EQ(Pixel(b, 1, 0), kGreen);
    EXPECT_EQ(Pixel(b, 2, 0), kBlack);
}

TEST(BmpReader, SixteenBitsWithBitFieldMasks565)
{
    BmpLayout s;
    s.width = 4;
    s.height = 1;
    s.bpp = 16;
    s.compression = 3;
    s.masks = {0xF800, 0x07E0, 0x001F};
    s.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x10, 0x84};
    const Bitmap b = DecodeBmp(MakeBmp(s), kName);
    EXPECT_EQ(Pixel(b, 0, 0), kRed);
    EXPECT_EQ(Pixel(b, 1, 0), kGreen);
    EXPECT_EQ(Pixel(b, 2, 0), kBlue);
    // 16/31, 32/63 and 16/31 of full scale.
    EXPECT_EQ(Pixel(b, 3, 0), (Bgr{132, 130, 132}));
}

TEST(BmpReader, SixteenBitsWithoutMasksAre555)
{
    BmpLayout s;
    s.width = 2;
    s.height = 1;
    s.bpp = 16;
    s.pixels = {0x00, 0x7C, 0xE0, 0x03};
    const Bitmap b = DecodeBmp(MakeBmp(s), kName);
    EXPECT_EQ(Pixel(b, 0, 0), kRed);
    EXPECT_EQ(Pixel(b, 1, 0), kGreen);
}

TEST(BmpReader, ThirtyTwoBitsPlainAndWithTenBitMasks)
{
    BmpLayout s;
    s.width = 1;
    s.height = 1;
    s.bpp = 32;
    s.pixels = {10, 20, 30, 99};
    EXPECT_EQ(Pixel(DecodeBmp(MakeBmp(s), kName), 0, 0), (Bgr{10, 20, 30}));

    // 10 bits a channel: red 1023, green 512, blue 4 keep their top eight bits.
    s.compression = 3;
    s.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    const std::uint32_t v = (1023u << 20) | (512u << 10) | 4u;
    s.pixels = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    EXPECT_EQ(Pixel(DecodeBmp(MakeBmp(s), kName), 0, 0), (Bgr{1, 128, 255}));
}

TEST(BmpReader, BitFieldsInsideAVersion5Header)
{
    BmpLayout s;
    s.headerSize = 124;
    s.width = 1;
    s.height = 1;
    s.bpp = 16;
    s.compression = 3;
    s.masks = {0xF800, 0x07E0, 0x001F};
    s.pixels = {0xE0, 0x07, 0, 0};
    EXPECT_EQ(Pixel(DecodeBmp(MakeBmp(s), kName), 0, 0), kGreen);
}

TEST(BmpReader, TwentyFourBitsTopDownAndBottomUp)
{
    BmpLayout s;
    s.width = 1;
    s.height = 2;
    s.pixels = {255, 0, 0, 0, 0, 0, 255, 0}; // first stored row blue, second red
    Bitmap b = DecodeBmp(MakeBmp(s), kName);
    EXPECT_EQ(Pixel(b, 0, 0), kRed);
    EXPECT_EQ(Pixel(b, 0, 1), kBlue);
    s.height = -2;
    b = DecodeBmp(MakeBmp(s), kName);
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(Pixel(b, 0, 0), kBlue);
    EXPECT_EQ(Pixel(b, 0, 1), kRed);
}

TEST(BmpReader, CoreHeaderWithThreeBytePalette)
{
    BmpLayout s;
    s.headerSize = 12;
    s.width = 2;
    s.height = 1;
    s.bpp = 8;
    s.palette.assign(256, kBlack);
    s.palette[7] = kBlue;
    s.pixels = {7, 0, 0, 0};
    const Bitmap b = DecodeBmp(MakeBmp(s), kName);
    EXPECT_EQ(Pixel(b, 0, 0), kBlue);
    EXPECT_EQ(Pixel(b, 1, 0), kBlack);
}

TEST(BmpReader, Rle8WithRunsLiteralsDeltaAndLineEnds)
{
    BmpLayout s;
    s.width = 6;
    s.height = 3;
    s.bpp = 8;
    s.compression = 1;
    s.palette = {kBlack, kRed, kGreen, kBlue};
    s.pixels = {
        3, 1,             // bottom row: three red
        0, 3, 2, 3, 2, 0, // literal green, blue, green (padded to even)
        0, 0,             // end of line
        0, 2, 2, 1,       // delta: two right, one up -> top row, x = 2
        2, 3,             // two blue
        0, 1,             // end of picture
    };
    const Bitmap b = DecodeBmp(MakeBmp(s), kName);
    // Bottom row (y = 2).
    EXPECT_EQ(Pixel(b, 0, 2), kRed);
    EXPECT_EQ(Pixel(b, 2, 2), kRed);
    EXPECT_EQ(Pixel(b, 3, 2), kGreen);
    EXPECT_EQ(Pixel(b, 4, 2), kBlue);
    EXPECT_EQ(Pixel(b, 5, 2), kGreen);
    // Middle row skipped by the delta: black.
    EXPECT_EQ(Pixel(b, 3, 1), kBlack);
    // Top row: black, black, blue, blue, black, black.
    EXPECT_EQ(Pixel(b, 1, 0), kBlack);
    EXPECT_EQ(Pixel(b, 2, 0), kBlue);
    EXPECT_EQ(Pixel(b, 3, 0), kBlue);
    EXPECT_EQ(Pixel(b, 4, 0), kBlack);
}

TEST(BmpReader, Rle4WithAlternatingRunsAndOddLiteral)
{
    BmpLayout s;
    s.width = 5;
    s.height = 2;
    s.bpp = 4;
    s.compression = 2;
    s.palette = {kBlack, kRed, kGreen, kBlue};
    s.pixels = {
        5, 0x12,             // bottom row: red green red green red
        0, 0,                // end of line
        0, 3,    0x32, 0x10, // literal blue, green, red (two bytes, already even)
        0, 1,                // end of picture
    };
    const Bitmap b = DecodeBmp(MakeBmp(s), kName);
    EXPECT_EQ(Pixel(b, 0, 1), kRed);
    EXPECT_EQ(Pixel(b, 1, 1), kGreen);
    EXPECT_EQ(Pixel(b, 4, 1), kRed);
    EXPECT_EQ(Pixel(b, 0, 0), kBlue);
    EXPECT_EQ(Pixel(b, 1, 0), kGreen);
    EXPECT_EQ(Pixel(b, 2, 0), kRed);
    EXPECT_EQ(Pixel(b, 3, 0), kBlack);
}

// --- Broken files: one per way of breaking ------------------------------------------------

void ExpectDecodeError(const Bytes& bytes, const std::string& reason)
{
    try {
        DecodeBmp(bytes, kName);
        ADD_FAILURE() << "no error for: " << reason;
    } catch (const DecodeError& error) {
        EXPECT_NE(std::string(error.what()).find(kName), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
    }
}

BmpLayout Plain24(int width, int height)
{
    BmpLayout s;
    s.width = width;
    s.height = height;
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    s.pixels.assign(stride * static_cast<std::size_t>(height), 0x40);
    return s;
}

TEST(BmpReaderBroken, TruncatedHeader)
{
    Bytes b = MakeBmp(Plain24(2, 2));
    b.resize(30);
    ExpectDecodeError(b, "ends inside its header");
    ExpectDecodeError(Bytes{'B', 'M', 0}, "ends inside its header");
}

TEST(BmpReaderBroken, TruncatedPixels)
{
    Bytes b = MakeBmp(Plain24(4, 4));
    b.resize(b.size() - 13);
    ExpectDecodeError(b, "ends inside its pixels");
}

TEST(BmpReaderBroken, MissingPaddingOfTheLastRowIsTolerated)
{
    Bytes b = MakeBmp(Plain24(1, 2));
    b.resize(b.size() - 1);
    EXPECT_EQ(DecodeBmp(b, kName).Size(), (PictureSize{1, 2}));
}

TEST(BmpReaderBroken, PixelOffsetPastTheEnd)
{
    Bytes b = MakeBmp(Plain24(2, 2));
    Put32(b, 10, 1000000);
    ExpectDecodeError(b, "offset of its pixels");
    Put32(b, 10, 20); // inside the header
    ExpectDecodeError(b, "offset of its pixels");
}

TEST(BmpReaderBroken, HugeDimensionsRefusedBeforeAllocating)
{
    // A 60-byte file claiming 100000 x 100000 pixels (30 GB) or 20000 x 20000 (past the total).
    Bytes b = MakeBmp(Plain24(1, 1));
    Put32(b, 18, 100000);
    Put32(b, 22, 100000);
    ExpectDecodeError(b, "too large");
    Put32(b, 18, 16384);
    Put32(b, 22, 16385);
    ExpectDecodeError(b, "too large");
    Put32(b, 22, static_cast<std::uint32_t>(-2147483647 - 1));
    ExpectDecodeError(b, "too large");
}

TEST(BmpReaderBroken, ZeroOrNegativeWidthAndZeroHeight)
{
    Bytes b = MakeBmp(Plain24(1, 1));
    Put32(b, 18, 0);
    ExpectDecodeError(b, "no pixels");
    Put32(b, 18, static_cast<std::uint32_t>(-5));
    ExpectDecodeError(b, "no pixels");
    Put32(b, 18, 1);
    Put32(b, 22, 0);
    ExpectDecodeError(b, "no pixels");
}

TEST(BmpReaderBroken, RleRunPastTheRow)
{
    BmpLayout s;
    s.width = 4;
    s.height = 1;
    s.bpp = 8;
    s.compression = 1;
    s.palette = {kBlack, kRed};
    s.pixels = {5, 1, 0, 1};
    ExpectDecodeError(MakeBmp(s), "goes past the picture");
    s.pixels = {0, 6, 1, 1, 1, 1, 1, 1, 0, 1}; // literal of six
    ExpectDecodeError(MakeBmp(s), "goes past the picture");
    s.pixels = {0, 2, 0, 5, 0, 1}; // delta below the last row
    ExpectDecodeError(MakeBmp(s), "goes past the picture");
}

TEST(BmpReaderBroken, RleRowsPastThePictureAndEndingEarly)
{
    BmpLayout s;
    s.width = 2;
    s.height = 2;
    s.bpp = 8;
    s.compression = 1;
    s.palette = {kBlack, kRed};
    s.pixels = {2, 1, 0, 0, 2, 1, 0, 0, 2, 1, 0, 1}; // a third row
    ExpectDecodeError(MakeBmp(s), "goes past the picture");
    s.pixels.assign(64, 0); // end-of-line marks only: must stop, not loop
    ExpectDecodeError(MakeBmp(s), "past the last row");
    s.pixels = {2, 1, 0, 0}; // no more data and one row missing
    ExpectDecodeError(MakeBmp(s), "end too early");
    s.pixels = {0, 4, 1}; // literal cut short
    ExpectDecodeError(MakeBmp(s), "end too early");
}

TEST(BmpReaderBroken, RlePicturesMuchLargerThanTheirDataAreRefused)
{
    BmpLayout s;
    s.width = 16384;
    s.height = 16384;
    s.bpp = 8;
    s.compression = 1;
    s.palette = {kBlack, kRed};
    s.pixels = {255, 1, 0, 1}; // one run and the end mark: 64 bytes in all
    ExpectDecodeError(MakeBmp(s), "too few for a picture of 16384 x 16384");
    s.compression = 2;
    s.bpp = 4;
    ExpectDecodeError(MakeBmp(s), "too few");

    // Written row by row, every row one run and its end mark, as encoders do: 24 runs of
    // 255 and one of 16 for each of the 2000 rows of 6136 pixels, 100 bytes a row.
    s.compression = 1;
    s.bpp = 8;
    s.width = 6136;
    s.height = 2000;
    s.pixels.clear();
    for (int row = 0; row < s.height; ++row) {
        for (int run = 0; run < 24; ++run)
            s.pixels.insert(s.pixels.end(), {255, 1});
        s.pixels.insert(s.pixels.end(), {16, 1, 0, 0});
    }
    const Bitmap b = DecodeBmp(MakeBmp(s), kName);
    EXPECT_EQ(Pixel(b, 6135, 1999), kRed);
    // A small picture that ends at once is read whatever its ratio: 1024 x 1024 in 4 bytes.
    s.width = 1024;
    s.height = 1024;
    s.pixels = {0, 1};
    EXPECT_EQ(Pixel(DecodeBmp(MakeBmp(s), kName), 512, 512), kBlack);
}

TEST(BmpReaderBroken, FormatsWeDoNotRead)
{
    Bytes b = MakeBmp(Plain24(1, 1));
    b[0] = 'X';
    ExpectDecodeError(b, "not a BMP file");
    b = MakeBmp(Plain24(1, 1));
    Put16(b, 28, 7);
    ExpectDecodeError(b, "bits a pixel");
    b = MakeBmp(Plain24(1, 1));
    Put32(b, 30, 4); // an embedded JPEG
    ExpectDecodeError(b, "compression");
    b = MakeBmp(Plain24(1, 1));
    Put32(b, 14, 41);
    ExpectDecodeError(b, "no known kind");

    BmpLayout s;
    s.bpp = 16;
    s.compression = 3;
    s.masks = {0xF00F, 0x0FF0, 0};
    s.pixels = {0, 0, 0, 0};
    ExpectDecodeError(MakeBmp(s), "not contiguous");
    s.compression = 1; // RLE8 on 16 bits
    ExpectDecodeError(MakeBmp(s), "RLE8");
}

// --- Pixel size without decoding ----------------------------------------------------------

TEST(BmpSize, ReadFromTheHeaderAloneWhateverThePixels)
{
    test::TempDir dir;
    Bytes b = MakeBmp(Plain24(640, 480));
    b.resize(60); // the pixels are gone; the size is still known
    Put32(b, 22, static_cast<std::uint32_t>(-480));
    const auto path = dir.Write("big.bmp", std::string(b.begin(), b.end()));
    EXPECT_EQ(ReadBmpSize(path.string()), (PictureSize{640, 480}));

    BmpLayout core;
    core.headerSize = 12;
    core.width = 300;
    core.height = 200;
    core.bpp = 24;
    EXPECT_EQ(BmpSize(MakeBmp(core), kName), (PictureSize{300, 200}));
    EXPECT_THROW(BmpSize(Bytes{'B', 'M', 1, 2}, kName), DecodeError);
    EXPECT_THROW(ReadBmpSize((dir.path() / "missing.bmp").string()), FileError);
}

} // namespace
} // namespace ondrix
