#include "Picture.h"

#include "BmpCodec.h"
#include "JpegCodec.h"

#include <cctype>
#include <filesystem>
#include <fstream>

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
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw FileError("Cannot open the file \"" + path + "\": it is a folder.");
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        throw FileError("Cannot open the file \"" + path + "\".");
    const std::streamoff size = in.tellg();
    if (size < 0)
        throw FileError("Cannot read the file \"" + path + "\".");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (in.gcount() != size)
        throw FileError("Cannot read the file \"" + path + "\".");
    return bytes;
}

PictureSize ReadPictureSize(const std::string& path, PictureKind kind)
{
    return kind == PictureKind::Jpeg ? ReadJpegSize(path) : ReadBmpSize(path);
}

} // namespace ondrix
