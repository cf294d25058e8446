#include "RegularFile.h"

#include "Errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <filesystem>
#include <system_error>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ondrix {

namespace {

[[noreturn]] void Fail(const std::string& path, std::string_view what, const std::string& why)
{
    throw FileError("Cannot read the " + std::string(what) + " \"" + path + "\": " + why + ".");
}

std::string SizeText(std::uint64_t bytes)
{
    if (bytes >= (std::uint64_t{1} << 20) && bytes % (std::uint64_t{1} << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

[[noreturn]] void FailTooLarge(const std::string& path, std::string_view what, std::uint64_t maxBytes)
{
    Fail(path, what, "it is larger than " + SizeText(maxBytes));
}

// The size the file has now; files of the kernel's own folders may claim 0 and hold more.
std::uint64_t SizeNow(std::FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return 0;
    const long size = std::ftell(file);
    std::rewind(file);
    return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

template <typename Container>
Container ReadAll(const std::string& path, std::uint64_t maxBytes, std::string_view what)
{
    const FileHandle file = OpenRegularFile(path, maxBytes, what);
    Container bytes;
    // One read for the size the file says it has, then on to the real end in pieces.
    bytes.resize(static_cast<std::size_t>(std::min(SizeNow(file.get()), maxBytes)));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    char buffer[64 * 1024];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        if (got > maxBytes - bytes.size())
            FailTooLarge(path, what, maxBytes);
        bytes.insert(bytes.end(), buffer, buffer + got);
        if (got < sizeof buffer) {
            if (std::ferror(file.get()))
                Fail(path, what, "reading failed");
            break;
        }
    }
    return bytes;
}

} // namespace

FileHandle OpenRegularFile(const std::string& path, std::uint64_t maxBytes, std::string_view what)
{
#ifdef _WIN32
    // Windows has no FIFOs that an open could wait on; the type check is enough here.
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status))
        Fail(path, what, "it is a folder");
    if (fs::exists(status) && !fs::is_regular_file(status))
        Fail(path, what, "it is not a regular file");
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file)
        Fail(path, what, std::strerror(errno));
    if (const auto size = fs::file_size(path, ec); !ec && size > maxBytes)
        FailTooLarge(path, what, maxBytes);
    return file;
#else
    // O_NONBLOCK keeps the open of a FIFO without a writer from waiting; the type check
    // below then refuses it. O_NOCTTY keeps a terminal from becoming ours.
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        Fail(path, what, std::strerror(errno));
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0) {
        const std::string why = std::strerror(errno);
        ::close(fd);
        Fail(path, what, why);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        Fail(path, what,
             S_ISDIR(info.st_mode) ? "it is a folder"
                                   : "it is not a regular file (a pipe, a device or a socket)");
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        ::close(fd);
        FailTooLarge(path, what, maxBytes);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    FileHandle file(::fdopen(fd, "rb"));
    if (!file) {
        const std::string why = std::strerror(errno);
        ::close(fd);
        Fail(path, what, why);
    }
    return file;
#endif
}

std::string ReadRegularFile(const std::string& path, std::uint64_t maxBytes, std::string_view what)
{
    return ReadAll<std::string>(path, maxBytes, what);
}

std::vector<std::uint8_t> ReadRegularFileBytes(const std::string& path, std::uint64_t maxBytes,
                                               std::string_view what)
{
    return ReadAll<std::vector<std::uint8_t>>(path, maxBytes, what);
}

} // namespace ondrix
