#include "wallpaper/WebpCodec.h"

#include "TestPictures.h"
#include "support/ConvertedPictures.h"
#include "support/TempDir.h"
#include "wallpaper/Picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>

namespace ondrix {
namespace {

using test::ExpectPixel;
using test::Pam;
using test::Span;

constexpr const char* kName = "holiday.webp";

// The first chunk after the RIFF header: "VP8 ", "VP8L" or "VP8X".
std::string FirstChunkOf(const std::string& webp)
{
    return webp.substr(12, 4);
}

class WebpDecode : public ::testing::Test
{
protected:
    std::string Make(const Pam& pam, const std::string& options)
    {
        return test::Convert(m_dir, pam, options, "webp");
    }

    test::TempDir m_dir;
};

constexpr const char* kLossless = "-define webp:lossless=true -define webp:exact=true";

TEST_F(WebpDecode, LosslessColoursComeOutExactly)
{
    const Pam pam{3, 2, 3, 255, {10, 20, 30, 200, 100, 50, 0, 255, 0, 255, 255, 255, 0, 0, 0, 1, 2, 3}};
    const std::string webp = Make(pam, kLossless);
    ASSERT_EQ(FirstChunkOf(webp), "VP8L");
    const Bitmap b = DecodeWebp(Span(webp), kName);
    ASSERT_EQ(b.Size(), (PictureSize{3, 2}));
    ExpectPixel(b, 0, 0, 30, 20, 10);
    ExpectPixel(b, 1, 0, 50, 100, 200);
    ExpectPixel(b, 2, 0, 0, 255, 0);
    ExpectPixel(b, 0, 1, 255, 255, 255);
    ExpectPixel(b, 1, 1, 0, 0, 0);
    ExpectPixel(b, 2, 1, 3, 2, 1);
}

TEST_F(WebpDecode, LosslessAlphaIsPutOnBlack)
{
    // 200 * 128 / 255 = 100.4, 100 * 128 / 255 = 50.2, 50 * 128 / 255 = 25.1;
    // 90 * 64 / 255 = 22.6, 180 * 64 / 255 = 45.2, 240 * 64 / 255 = 60.2.
    const Pam rgba{4, 1, 4, 255, {200, 100, 50, 128, 255, 255, 255, 0, 255, 0, 0, 255, 90, 180, 240, 64}};
    const std::string webp = Make(rgba, kLossless);
    const Bitmap b = DecodeWebp(Span(webp), kName);
    ASSERT_EQ(b.Size(), (PictureSize{4, 1}));
    ExpectPixel(b, 0, 0, 25, 50, 100);
    ExpectPixel(b, 1, 0, 0, 0, 0);
    ExpectPixel(b, 2, 0, 0, 0, 255);
    ExpectPixel(b, 3, 0, 60, 45, 23);
}

// Blocks of 16 x 16, the size of a lossy macroblock, so that each keeps its colour.
const std::vector<std::vector<unsigned>> kBlockColours = {
    {255, 0, 0, 255}, {0, 255, 0, 128}, {0, 0, 255, 0}, {255, 255, 255, 64}};

TEST_F(WebpDecode, LossyPicturesKeepTheirColours)
{
    std::vector<std::vector<unsigned>> opaque;
    for (const auto& colour : kBlockColours)
        opaque.push_back({colour[0], colour[1], colour[2]});
    const std::string webp = Make(test::Blocks(2, 2, 16, 3, opaque), "-quality 95");
    ASSERT_EQ(FirstChunkOf(webp), "VP8 ");
    const Bitmap b = DecodeWebp(Span(webp), kName);
    ASSERT_EQ(b.Size(), (PictureSize{32, 32}));
    EXPECT_TRUE(test::Near(b.Row(8) + 3 * 8, 0, 0, 255)) << "red";
    EXPECT_TRUE(test::Near(b.Row(8) + 3 * 24, 0, 255, 0)) << "green";
    EXPECT_TRUE(test::Near(b.Row(24) + 3 * 8, 255, 0, 0)) << "blue";
    EXPECT_TRUE(test::Near(b.Row(24) + 3 * 24, 255, 255, 255)) << "white";
}

TEST_F(WebpDecode, LossyAlphaIsPutOnBlack)
{
    const std::string webp = Make(test::Blocks(2, 2, 16, 4, kBlockColours), "-quality 95");
    ASSERT_EQ(FirstChunkOf(webp), "VP8X");
    ASSERT_NE(webp.find("ALPH"), std::string::npos);
    const Bitmap b = DecodeWebp(Span(webp), kName);
    EXPECT_TRUE(test::Near(b.Row(8) + 3 * 8, 0, 0, 255)) << "opaque red";
    EXPECT_TRUE(test::Near(b.Row(8) + 3 * 24, 0, 128, 0)) << "green at half";
    EXPECT_TRUE(test::Near(b.Row(24) + 3 * 8, 0, 0, 0)) << "transparent blue";
    EXPECT_TRUE(test::Near(b.Row(24) + 3 * 24, 64, 64, 64)) << "white at a quarter";
}

TEST_F(WebpDecode, SizeFromEveryKindOfHeader)
{
    const auto grey = std::vector<std::vector<unsigned>>(1, {90, 90, 90, 200});
    const std::string lossy = Make(test::Blocks(2, 1, 600, 3, {{90, 90, 90}, {10, 200, 30}}), "-quality 50");
    const std::string lossless = Make(test::Blocks(1, 1, 37, 3, {{90, 90, 90}}), kLossless);
    const std::string extended = Make(test::Blocks(1, 1, 21, 4, grey), "-quality 80");
    ASSERT_EQ(FirstChunkOf(lossy), "VP8 ");
    ASSERT_EQ(FirstChunkOf(lossless), "VP8L");
    ASSERT_EQ(FirstChunkOf(extended), "VP8X");
    EXPECT_EQ(WebpSize(Span(lossy), kName), (PictureSize{1200, 600}));
    EXPECT_EQ(WebpSize(Span(lossless), kName), (PictureSize{37, 37}));
    EXPECT_EQ(WebpSize(Span(extended), kName), (PictureSize{21, 21}));

    const std::string path = m_dir.Write("big.WebP", lossy).string();
    EXPECT_EQ(PictureKindOf(path), PictureKind::Webp);
    EXPECT_EQ(ReadWebpSize(path), (PictureSize{1200, 600}));
    EXPECT_EQ(ReadPictureSize(path, PictureKind::Webp), (PictureSize{1200, 600}));
    const std::string small = m_dir.Write("small.webp", extended).string();
    EXPECT_EQ(ReadWebpSize(small), (PictureSize{21, 21}));
    EXPECT_EQ(DecodeWebp(small).Size(), (PictureSize{21, 21}));
    EXPECT_THROW(DecodeWebp((m_dir.path() / "none.webp").string()), FileError);
    EXPECT_THROW(ReadWebpSize((m_dir.path() / "none.webp").string()), FileError);
}

void ExpectRefused(const std::string& webp, const std::string& reason)
{
    try {
        DecodeWebp(Span(webp), kName);
        ADD_FAILURE() << "decoded, though " << reason;
    } catch (const DecodeError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find(kName), std::string::npos) << message;
        EXPECT_NE(message.find(reason), std::string::npos) << message;
    }
}

// The RIFF header and a VP8X chunk of the given flags and canvas size, nothing else.
std::string ExtendedHeader(std::uint8_t flags, unsigned width, unsigned height)
{
    std::string chunk = "VP8X";
    chunk += std::string("\x0a\x00\x00\x00", 4);
    chunk += static_cast<char>(flags);
    chunk += std::string(3, '\0');
    for (const unsigned side : {width - 1, height - 1})
        for (int shift = 0; shift < 24; shift += 8)
            chunk += static_cast<char>((side >> shift) & 0xFF);
    const std::uint32_t riffSize = static_cast<std::uint32_t>(4 + chunk.size());
    std::string riff = "RIFF";
    for (int shift = 0; shift < 32; shift += 8)
        riff += static_cast<char>((riffSize >> shift) & 0xFF);
    return riff + "WEBP" + chunk;
}

TEST_F(WebpDecode, BrokenFilesGiveClearErrors)
{
    Pam noise{64, 64, 3, 255, {}};
    for (unsigned i = 0; i < 64 * 64 * 3; ++i)
        noise.samples.push_back((i * 2654435761u) >> 24);
    const std::string good = Make(noise, kLossless);
    ASSERT_EQ(DecodeWebp(Span(good), kName).Size(), (PictureSize{64, 64}));

    ExpectRefused(good.substr(0, good.size() / 2), "ends inside its picture data");
    ExpectRefused("", "ends inside its picture data");

    std::string riff = good;
    riff[3] = 'X';
    ExpectRefused(riff, "not a WebP file");
    EXPECT_THROW(WebpSize(Span(riff), kName), DecodeError);

    std::string signature = good;
    ASSERT_EQ(signature[20], '\x2f'); // the lossless bitstream's signature byte
    signature[20] = '\x30';
    ExpectRefused(signature, "damaged");

    // Animated pictures are not read; the header alone says so.
    ExpectRefused(ExtendedHeader(0x02, 2, 2), "animated");
    EXPECT_THROW(WebpSize(Span(ExtendedHeader(0x02, 2, 2)), kName), DecodeError);
}

TEST(WebpLimits, HugeDeclaredSizeIsRefusedBeforeDecoding)
{
    const std::string huge = ExtendedHeader(0x00, 20000, 20000);
    EXPECT_EQ(WebpSize(Span(huge), kName), (PictureSize{20000, 20000})); // the header alone is fine
    ExpectRefused(huge, "too large");
}

} // namespace
} // namespace ondrix
