#include "Picture.h"

#include "BmpCodec.h"
#include "JpegCodec.h"
#include "PngCodec.h"
#include "WebpCodec.h"
#include "core/RegularFile.h"

#include <cctype>

namespace ondrix {

PictureKind PictureKindOf(const std::string& path)
{
    const auto dot = path.rfind('.');
    if (dot == std::string::npos)
        return PictureKind::Other;
    std::string extension = path.substr(dot);
    for (char& c : extension)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (extension == ".JPG" || extension == ".JPEG")
        return PictureKind::Jpeg;
    if (extension == ".BMP")
        return PictureKind::Bmp;
    if (extension == ".PNG")
        return PictureKind::Png;
    if (extension == ".WEBP")
        return PictureKind::Webp;
    return PictureKind::Other;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path)
{
    return ReadRegularFileBytes(path, kMaxPictureFileBytes, "picture");
}

PictureSize ReadPictureSize(const std::string& path, PictureKind kind)
{
    switch (kind) {
    case PictureKind::Jpeg:
        return ReadJpegSize(path);
    case PictureKind::Png:
        return ReadPngSize(path);
    case PictureKind::Webp:
        return ReadWebpSize(path);
    case PictureKind::Bmp:
    case PictureKind::Other:
        break;
    }
    return ReadBmpSize(path);
}

PictureSize PictureSizeOf(std::span<const std::uint8_t> bytes, const std::string& fileName, PictureKind kind)
{
    switch (kind) {
    case PictureKind::Jpeg:
        return JpegSize(bytes, fileName);
    case PictureKind::Png:
        return PngSize(bytes, fileName);
    case PictureKind::Webp:
        return WebpSize(bytes, fileName);
    case PictureKind::Bmp:
    case PictureKind::Other:
        break;
    }
    return BmpSize(bytes, fileName);
}

Bitmap DecodePicture(std::span<const std::uint8_t> bytes, const std::string& fileName, PictureKind kind,
                     int targetWidth, int targetHeight)
{
    switch (kind) {
    case PictureKind::Jpeg:
        return DecodeJpeg(bytes, fileName, targetWidth, targetHeight);
    case PictureKind::Png:
        return DecodePng(bytes, fileName);
    case PictureKind::Webp:
        return DecodeWebp(bytes, fileName);
    case PictureKind::Bmp:
    case PictureKind::Other:
        break;
    }
    return DecodeBmp(bytes, fileName);
}

} // namespace ondrix
