#include "wallpaper/JpegCodec.h"

#include "TestPictures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

namespace ondrix {
namespace {

using test::Span;

constexpr const char* kName = "beach.jpg";

std::string QuadrantJpeg(int width, int height, test::JpegKind kind = test::JpegKind::Colour)
{
    return test::EncodeJpeg(width, height, kind, [&](int x, int y, std::uint8_t* out) {
        test::Quadrants(width, height, x, y, out);
    });
}

// The centre of each quadrant has the quadrant's colour.
void ExpectQuadrants(const Bitmap& b)
{
    const int w = b.Width();
    const int h = b.Height();
    auto at = [&](int x, int y) { return b.Row(y) + 3 * x; };
    EXPECT_TRUE(test::Near(at(w / 4, h / 4), 0, 0, 255)) << "red";
    EXPECT_TRUE(test::Near(at(3 * w / 4, h / 4), 0, 255, 0)) << "green";
    EXPECT_TRUE(test::Near(at(w / 4, 3 * h / 4), 255, 0, 0)) << "blue";
    EXPECT_TRUE(test::Near(at(3 * w / 4, 3 * h / 4), 255, 255, 255)) << "white";
}

TEST(JpegDecode, FullSizeKeepsColours)
{
    const std::string jpeg = QuadrantJpeg(64, 48);
    const Bitmap b = DecodeJpeg(Span(jpeg), kName);
    ASSERT_EQ(b.Size(), (PictureSize{64, 48}));
    ExpectQuadrants(b);
}

TEST(JpegDecode, ProgressivePicture)
{
    const std::string jpeg = QuadrantJpeg(40, 32, test::JpegKind::Progressive);
    const Bitmap b = DecodeJpeg(Span(jpeg), kName);
    ASSERT_EQ(b.Size(), (PictureSize{40, 32}));
    ExpectQuadrants(b);
}

TEST(JpegDecode, GrayscaleBecomesEqualChannels)
{
    const std::string jpeg = test::EncodeJpeg(
        16, 8, test::JpegKind::Gray, [](int x, int, std::uint8_t* out) { out[0] = x < 8 ? 30 : 220; });
    const Bitmap b = DecodeJpeg(Span(jpeg), kName);
    ASSERT_EQ(b.Size(), (PictureSize{16, 8}));
    EXPECT_TRUE(test::Near(b.Row(4) + 3 * 2, 30, 30, 30, 4));
    EXPECT_TRUE(test::Near(b.Row(4) + 3 * 13, 220, 220, 220, 4));
    const std::uint8_t* p = b.Row(3) + 3 * 5;
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[1], p[2]);
}

TEST(JpegDecode, AdobeCmykBecomesRgb)
{
    // libjpeg marks CMYK files as Adobe's, whose values are inverted: 255 is no ink.
    const std::string jpeg =
        test::EncodeJpeg(16, 16, test::JpegKind::Cmyk, [](int x, int, std::uint8_t* out) {
            const bool left = x < 8;
            out[0] = left ? 255 : 0; // cyan: none on the left, full on the right
            out[1] = left ? 0 : 255; // magenta: full on the left
            out[2] = left ? 0 : 255; // yellow: full on the left
            out[3] = 255;            // no black
        });
    const Bitmap b = DecodeJpeg(Span(jpeg), kName);
    EXPECT_TRUE(test::Near(b.Row(8) + 3 * 3, 0, 0, 255)) << "left is red";
    EXPECT_TRUE(test::Near(b.Row(8) + 3 * 12, 255, 255, 0)) << "right is cyan";
}

TEST(JpegScale, SmallestEighthThatStillCoversTheTarget)
{
    EXPECT_EQ(JpegScaleFor({6000, 4000}, 3840, 2160), 6); // 5/8 would be 3750 wide
    EXPECT_EQ(JpegScaleFor({1600, 1200}, 1024, 768), 6);
    EXPECT_EQ(JpegScaleFor({800, 600}, 100, 75), 1);
    EXPECT_EQ(JpegScaleFor({800, 600}, 101, 75), 2);
    EXPECT_EQ(JpegScaleFor({100, 100}, 1024, 768), 8);  // to be enlarged
    EXPECT_EQ(JpegScaleFor({2000, 500}, 1024, 768), 8); // one side to be enlarged
    EXPECT_EQ(JpegScaleFor({2000, 1500}, 0, 0), 8);
}

TEST(JpegDecode, ScaledDecodeCoversTheTargetAndKeepsColours)
{
    const std::string jpeg = QuadrantJpeg(320, 240);
    const Bitmap quarter = DecodeJpeg(Span(jpeg), kName, 80, 60);
    EXPECT_EQ(quarter.Size(), (PictureSize{80, 60}));
    ExpectQuadrants(quarter);
    const Bitmap threeEighths = DecodeJpeg(Span(jpeg), kName, 81, 60);
    EXPECT_EQ(threeEighths.Size(), (PictureSize{120, 90}));
    ExpectQuadrants(threeEighths);
    // The header still tells the full size.
    EXPECT_EQ(JpegSize(Span(jpeg), kName), (PictureSize{320, 240}));
}

TEST(JpegDecode, FromAFileAndItsSizeFromTheHeader)
{
    test::TempDir dir;
    const auto path = dir.Write("p.jpg", QuadrantJpeg(48, 40)).string();
    EXPECT_EQ(ReadJpegSize(path), (PictureSize{48, 40}));
    EXPECT_EQ(DecodeJpeg(path).Size(), (PictureSize{48, 40}));
    EXPECT_THROW(DecodeJpeg((dir.path() / "none.jpg").string()), FileError);
    EXPECT_THROW(ReadJpegSize((dir.path() / "none.jpg").string()), FileError);
}

// --- Broken files: an exception naming the file, never the end of the process ---------------

void ExpectDecodeError(const std::string& bytes, const std::string& what)
{
    try {
        DecodeJpeg(Span(bytes), kName);
        ADD_FAILURE() << "no error for " << what;
    } catch (const DecodeError& error) {
        EXPECT_NE(std::string(error.what()).find(kName), std::string::npos) << error.what();
    }
}

TEST(JpegDecodeBroken, TruncatedInsideThePictureData)
{
    const std::string jpeg = QuadrantJpeg(64, 64);
    ExpectDecodeError(jpeg.substr(0, jpeg.size() / 2), "half a file");
    ExpectDecodeError(jpeg.substr(0, 30), "a cut header");
    EXPECT_THROW(JpegSize(Span(jpeg.substr(0, 30)), kName), DecodeError);
}

TEST(JpegDecodeBroken, GarbageAndEmptyInput)
{
    ExpectDecodeError(std::string(500, 'x'), "garbage");
    ExpectDecodeError(std::string(), "nothing");
    std::string noise = "\xFF\xD8\xFF";
    for (int i = 0; i < 400; ++i)
        noise += static_cast<char>((i * 37) & 0xFF);
    ExpectDecodeError(noise, "noise after the start marker");
}

TEST(JpegDecodeBroken, MissingEndMarkerStillDecodes)
{
    const std::string jpeg = QuadrantJpeg(32, 32);
    const std::string cut = jpeg.substr(0, jpeg.size() - 2); // without FF D9
    EXPECT_EQ(DecodeJpeg(Span(cut), kName).Size(), (PictureSize{32, 32}));
}

TEST(JpegDecodeBroken, HugeDimensionsRefusedBeforeAllocating)
{
    std::string jpeg = QuadrantJpeg(16, 16);
    const auto sof = jpeg.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    // Height and width, big-endian, after the length and the precision: 60000 x 60000.
    jpeg[sof + 5] = jpeg[sof + 7] = static_cast<char>(0xEA);
    jpeg[sof + 6] = jpeg[sof + 8] = static_cast<char>(0x60);
    EXPECT_EQ(JpegSize(Span(jpeg), kName), (PictureSize{60000, 60000}));
    try {
        DecodeJpeg(Span(jpeg), kName);
        FAIL() << "no error";
    } catch (const DecodeError& error) {
        EXPECT_NE(std::string(error.what()).find("too large"), std::string::npos) << error.what();
    }
}

TEST(JpegDecodeBroken, FrameHeaderFarLargerThanItsDataRefusedBeforeAllocating)
{
    std::string jpeg = QuadrantJpeg(64, 64);
    ASSERT_LT(jpeg.size(), 8000u);
    const auto sof = jpeg.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    // 65500 x 65500 (0xFFDC); a scaled decode would still be 8188 x 8188.
    jpeg[sof + 5] = jpeg[sof + 7] = static_cast<char>(0xFF);
    jpeg[sof + 6] = jpeg[sof + 8] = static_cast<char>(0xDC);
    EXPECT_EQ(JpegSize(Span(jpeg), kName), (PictureSize{65500, 65500}));
    for (int target : {0, 1920}) {
        SCOPED_TRACE(target);
        try {
            DecodeJpeg(Span(jpeg), kName, target, target);
            FAIL() << "no error";
        } catch (const DecodeError& error) {
            const std::string message = error.what();
            if (target > 0) {
                EXPECT_NE(message.find("too few for a picture of 65500 x 65500"), std::string::npos)
                    << message;
            }
            EXPECT_NE(message.find(kName), std::string::npos) << message;
        }
    }
}

TEST(JpegDecode, FlatPicturesThatCompressBestAreStillRead)
{
    // One flat colour is the best case of compression; progressive and grey ones most of all.
    for (auto kind : {test::JpegKind::Progressive, test::JpegKind::Gray, test::JpegKind::Colour}) {
        const int components = kind == test::JpegKind::Gray ? 1 : 3;
        const std::string jpeg = test::EncodeJpeg(
            3000, 2000, kind, [&](int, int, std::uint8_t* out) { std::fill_n(out, components, 90); }, 10);
        SCOPED_TRACE(jpeg.size());
        const Bitmap b = DecodeJpeg(Span(jpeg), kName, 1500, 1000);
        EXPECT_EQ(b.Size(), (PictureSize{1500, 1000}));
        EXPECT_TRUE(test::Near(b.Row(500) + 3 * 750, 90, 90, 90));
    }
}

} // namespace
} // namespace ondrix
