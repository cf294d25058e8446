#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

// Upper bounds of the files we read from outside. A file is read whole into memory, so a
// bound keeps a huge or endless file from filling it; each is far above any real file.
inline constexpr std::uint64_t kMaxPictureFileBytes = std::uint64_t{256} << 20;
inline constexpr std::uint64_t kMaxListFileBytes = std::uint64_t{64} << 20;
inline constexpr std::uint64_t kMaxTextFileBytes = std::uint64_t{16} << 20; // language files, links.ini
inline constexpr std::uint64_t kMaxSettingsFileBytes = std::uint64_t{256} << 20;

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens path for reading if it is a regular file (links followed) of at most maxBytes.
// Anything else is refused without waiting: a pipe, a device such as /dev/zero, a socket or
// a folder would block the open or never end. Throws FileError naming the file as
// "Cannot read the <what> "<path>": <reason>.".
FileHandle OpenRegularFile(const std::string& path, std::uint64_t maxBytes, std::string_view what = "file");

// The whole content of such a file. A file that grows past maxBytes while it is read is
// refused as well.
std::string ReadRegularFile(const std::string& path, std::uint64_t maxBytes, std::string_view what = "file");
std::vector<std::uint8_t> ReadRegularFileBytes(const std::string& path, std::uint64_t maxBytes,
                                               std::string_view what = "file");

} // namespace ondrix
