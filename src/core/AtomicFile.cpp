#include "AtomicFile.h"

#include "Errors.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fstream>
#include <process.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace ondrix {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& what)
{
    throw FileError("Cannot write the file \"" + path + "\": " + what);
}

#ifndef _WIN32
std::string ErrnoText()
{
    return std::strerror(errno);
}

void WriteAll(int fd, std::string_view bytes, const std::string& path)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            Fail(path, ErrnoText());
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Makes the rename itself durable; a folder that cannot be synced is no reason to fail.
void SyncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
#endif

} // namespace

void WriteFileAtomically(const std::string& path, std::string_view bytes, bool createParents)
{
    namespace fs = std::filesystem;
    const fs::path target(path);
    if (createParents && target.has_parent_path()) {
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        if (ec)
            Fail(path, "the folder cannot be created (" + ec.message() + ")");
    }
#ifdef _WIN32
    const std::string temp = path + ".tmp-" + std::to_string(::_getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            fs::remove(temp, ignored);
            Fail(path, "writing failed");
        }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        Fail(path, ec.message());
    }
#else
    const std::string temp = path + ".tmp-" + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        Fail(path, ErrnoText());
    try {
        WriteAll(fd, bytes, path);
        if (::fsync(fd) != 0)
            Fail(path, ErrnoText());
    } catch (...) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    if (::close(fd) != 0) {
        const std::string reason = ErrnoText();
        ::unlink(temp.c_str());
        Fail(path, reason);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string reason = ErrnoText();
        ::unlink(temp.c_str());
        Fail(path, reason);
    }
    SyncFolder(target.parent_path());
#endif
}

void RemoveStaleTemporaries(const std::string& path)
{
    namespace fs = std::filesystem;
    const fs::path target(path);
    const std::string prefix = target.filename().string() + ".tmp-";
    std::error_code error;
    fs::directory_iterator entries(target.parent_path().empty() ? fs::path(".") : target.parent_path(),
                                   error);
    if (error)
        return;
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (name.find_first_not_of("0123456789", prefix.size()) != std::string::npos)
            continue;
        if (entry.is_regular_file(error) && !entry.is_symlink(error))
            fs::remove(entry.path(), error);
    }
}

} // namespace ondrix
