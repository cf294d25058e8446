#include "Picture.h"

#include "BmpCodec.h"
#include "JpegCodec.h"
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
    return PictureKind::Other;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path)
{
    return ReadRegularFileBytes(path, kMaxPictureFileBytes, "picture");
}

PictureSize ReadPictureSize(const std::string& path, PictureKind kind)
{
    return kind == PictureKind::Jpeg ? ReadJpegSize(path) : ReadBmpSize(path);
}

} // namespace ondrix
