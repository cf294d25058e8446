#include "WebpCodec.h"

#include "AlphaOnBlack.h"
#include "Picture.h"
#include "core/RegularFile.h"

#include <array>
#include <cstdio>
#include <memory>
#include <webp/decode.h>

namespace ondrix {

namespace {

// Enough for the RIFF header and the first chunk's header in every layout; a VP8X chunk
// gives the size by itself even when what follows it is not read.
constexpr std::size_t kHeaderBytes = 64;

[[noreturn]] void Refuse(const std::string& fileName, const std::string& reason)
{
    throw DecodeError("The picture \"" + fileName + "\" cannot be read as a WebP picture: " + reason + ".");
}

const char* ReasonOf(VP8StatusCode status)
{
    switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY:
        return "there is not enough memory to decode it";
    case VP8_STATUS_INVALID_PARAM:
        return "the decoder refused its parameters";
    case VP8_STATUS_BITSTREAM_ERROR:
        return "its data is damaged or it is not a WebP file";
    case VP8_STATUS_UNSUPPORTED_FEATURE:
        return "it uses a feature that is not supported";
    case VP8_STATUS_NOT_ENOUGH_DATA:
        return "the file ends inside its picture data";
    case VP8_STATUS_SUSPENDED:
    case VP8_STATUS_USER_ABORT:
    case VP8_STATUS_OK:
        break;
    }
    return "the decoder stopped";
}

WebPBitstreamFeatures FeaturesOf(std::span<const std::uint8_t> bytes, const std::string& fileName)
{
    WebPBitstreamFeatures features{};
    const VP8StatusCode status = WebPGetFeatures(bytes.data(), bytes.size(), &features);
    if (status != VP8_STATUS_OK)
        Refuse(fileName, ReasonOf(status));
    if (features.has_animation)
        Refuse(fileName, "it is animated, and only still pictures are read");
    if (features.width <= 0 || features.height <= 0)
        Refuse(fileName, "its header gives an impossible size");
    return features;
}

void Decode(std::span<const std::uint8_t> bytes, WebPDecoderConfig& config, WEBP_CSP_MODE mode,
            std::uint8_t* pixels, std::size_t stride, std::size_t size, const std::string& fileName)
{
    config.output.colorspace = mode;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = pixels;
    config.output.u.RGBA.stride = static_cast<int>(stride);
    config.output.u.RGBA.size = size;
    config.options.use_threads = 0;
    const VP8StatusCode status = WebPDecode(bytes.data(), bytes.size(), &config);
    WebPFreeDecBuffer(&config.output); // frees nothing of ours, only what the decoder kept
    if (status != VP8_STATUS_OK)
        Refuse(fileName, ReasonOf(status));
}

} // namespace

PictureSize WebpSize(std::span<const std::uint8_t> bytes, const std::string& fileName)
{
    const WebPBitstreamFeatures features = FeaturesOf(bytes, fileName);
    return {features.width, features.height};
}

PictureSize ReadWebpSize(const std::string& path)
{
    const FileHandle file = OpenRegularFile(path, kMaxPictureFileBytes, "picture");
    std::array<std::uint8_t, kHeaderBytes> head{};
    const std::size_t got = std::fread(head.data(), 1, head.size(), file.get());
    return WebpSize(std::span<const std::uint8_t>(head.data(), got), path);
}

Bitmap DecodeWebp(std::span<const std::uint8_t> bytes, const std::string& fileName)
{
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        Refuse(fileName, "the WebP library does not match the program");
    config.input = FeaturesOf(bytes, fileName);
    // Nothing of the picture is allocated before the size is known to be within our limits.
    Bitmap bitmap(config.input.width, config.input.height, fileName);
    if (!config.input.has_alpha) {
        Decode(bytes, config, MODE_BGR, bitmap.Data(), bitmap.Stride(), bitmap.ByteCount(), fileName);
        return bitmap;
    }
    const std::size_t width = static_cast<std::size_t>(bitmap.Width());
    const std::size_t stride = width * 4;
    const std::size_t size = stride * static_cast<std::size_t>(bitmap.Height());
    const auto bgra = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    Decode(bytes, config, MODE_BGRA, bgra.get(), stride, size, fileName);
    for (int y = 0; y < bitmap.Height(); ++y)
        PutOnBlack(bgra.get() + stride * static_cast<std::size_t>(y), bitmap.Row(y), width);
    return bitmap;
}

Bitmap DecodeWebp(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
    return DecodeWebp(bytes, path);
}

} // namespace ondrix
