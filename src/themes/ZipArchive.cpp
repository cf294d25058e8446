#include "ZipArchive.h"

#include "core/Errors.h"

#include <zip.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>
#include <utility>

namespace ondrix {

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kUnixFileTypeMask = 0170000;
constexpr std::uint32_t kUnixSymbolicLink = 0120000;

std::string ErrorText(zip_error_t* error)
{
    return zip_error_strerror(error);
}

std::string ArchiveErrorText(zip_t* archive)
{
    return zip_error_strerror(zip_get_error(archive));
}

bool IsSymbolicLink(zip_t* archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0)
        return false;
    return system == ZIP_OPSYS_UNIX && ((attributes >> 16) & kUnixFileTypeMask) == kUnixSymbolicLink;
}

struct ZipFileCloser
{
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipFilePtr = std::unique_ptr<zip_file_t, ZipFileCloser>;

} // namespace

std::optional<std::string> SafeMemberPath(std::string_view name)
{
    if (name.empty() || name.front() == '/' || name.front() == '\\')
        return std::nullopt;
    if (name.find(':') != std::string_view::npos || name.find('\0') != std::string_view::npos)
        return std::nullopt;
    std::string result;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = name.size();
        const std::string_view part = name.substr(start, end - start);
        if (part == "..")
            return std::nullopt;
        if (!part.empty() && part != ".") {
            if (!result.empty())
                result += '/';
            result += part;
        }
        start = end + 1;
    }
    return result;
}

ZipReader::ZipReader(zip_t* archive, std::string label) : m_archive(archive), m_label(std::move(label)) {}

ZipReader::ZipReader(const std::string& path) : m_label(path)
{
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec || !fs::exists(status))
        throw FileError("The theme package \"" + path + "\" does not exist.");
    if (!fs::is_regular_file(status))
        throw FileError("\"" + path + "\" is not a file.");
    int code = 0;
    m_archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (m_archive == nullptr) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const std::string text = ErrorText(&error);
        const bool fileProblem = zip_error_system_type(&error) == ZIP_ET_SYS && code != ZIP_ER_NOZIP;
        zip_error_fini(&error);
        if (fileProblem)
            throw FileError("Cannot read the file \"" + path + "\": " + text);
        throw ArchiveError("\"" + path + "\" is not a readable ZIP archive: " + text);
    }
}

ZipReader ZipReader::FromBytes(std::string_view bytes, const std::string& label)
{
    zip_error_t error;
    zip_error_init(&error);
    // libzip frees the copy when the archive is closed; it takes no ownership of an empty
    // buffer, so none is made for one.
    void* copy = nullptr;
    if (!bytes.empty()) {
        copy = std::malloc(bytes.size());
        if (copy == nullptr)
            throw ArchiveError("Not enough memory for \"" + label + "\".");
        std::memcpy(copy, bytes.data(), bytes.size());
    }
    zip_source_t* source = zip_source_buffer_create(copy, bytes.size(), copy != nullptr ? 1 : 0, &error);
    if (source == nullptr) {
        std::free(copy);
        const std::string text = ErrorText(&error);
        zip_error_fini(&error);
        throw ArchiveError("\"" + label + "\" cannot be opened: " + text);
    }
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (archive == nullptr) {
        zip_source_free(source);
        const std::string text = ErrorText(&error);
        zip_error_fini(&error);
        throw ArchiveError("\"" + label + "\" is not a readable ZIP archive: " + text);
    }
    zip_error_fini(&error);
    return ZipReader(archive, label);
}

ZipReader::~ZipReader()
{
    if (m_archive != nullptr)
        zip_discard(m_archive);
}

ZipReader::ZipReader(ZipReader&& other) noexcept
    : m_archive(std::exchange(other.m_archive, nullptr)), m_label(std::move(other.m_label))
{
}

std::string ZipReader::Describe() const
{
    return "\"" + m_label + "\"";
}

std::vector<std::string> ZipReader::MemberNames() const
{
    std::vector<std::string> names;
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(m_archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        if (name != nullptr)
            names.emplace_back(name);
    }
    return names;
}

namespace {

// Reads the open member to its end, handing each piece to sink; counts the bytes against
// budget and throws when they pass it.
template <typename Sink>
void ReadAll(zip_file_t* file, std::uint64_t& budget, const std::string& what, Sink&& sink)
{
    char buffer[64 * 1024];
    for (;;) {
        const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
        if (got < 0)
            throw ArchiveError(what + " is damaged: " + zip_error_strerror(zip_file_get_error(file)));
        if (got == 0)
            return;
        const auto size = static_cast<std::uint64_t>(got);
        if (size > budget)
            throw ArchiveError(what + " unpacks to more bytes than a theme package may hold.");
        budget -= size;
        sink(buffer, static_cast<std::size_t>(size));
    }
}

} // namespace

std::optional<std::string> ZipReader::ReadMember(std::string_view name, std::uint64_t maxBytes) const
{
    const std::string key(name);
    const zip_int64_t index = zip_name_locate(m_archive, key.c_str(), ZIP_FL_ENC_RAW);
    if (index < 0)
        return std::nullopt;
    ZipFilePtr file(zip_fopen_index(m_archive, static_cast<zip_uint64_t>(index), 0));
    const std::string what = "The member \"" + key + "\" of " + Describe();
    if (!file)
        throw ArchiveError(what + " cannot be read: " + ArchiveErrorText(m_archive));
    std::string bytes;
    std::uint64_t budget = maxBytes;
    ReadAll(file.get(), budget, what, [&](const char* data, std::size_t size) { bytes.append(data, size); });
    return bytes;
}

void ZipReader::ExtractAll(const std::string& folder, const ZipLimits& limits) const
{
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    if (count < 0 || static_cast<std::uint64_t>(count) > limits.maxMembers)
        throw ArchiveError(Describe() + " holds more members than a theme package may hold (" +
                           std::to_string(limits.maxMembers) + ").");
    struct Planned
    {
        zip_uint64_t index;
        std::string path;
        bool isFolder;
    };
    std::vector<Planned> plan;
    std::uint64_t declared = 0;
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        const char* raw = zip_get_name(m_archive, i, ZIP_FL_ENC_RAW);
        if (raw == nullptr)
            throw ArchiveError(Describe() + " is damaged: " + ArchiveErrorText(m_archive));
        const std::string_view name(raw);
        const auto path = SafeMemberPath(name);
        if (!path)
            throw ArchiveError(Describe() + " is refused: its member \"" + std::string(name) +
                               "\" would be unpacked outside the theme's folder.");
        if (IsSymbolicLink(m_archive, i))
            throw ArchiveError(Describe() + " is refused: its member \"" + std::string(name) +
                               "\" is a symbolic link.");
        // The sizes the archive declares are checked before anything is written; what is
        // really unpacked is counted again below, as a damaged archive may declare too little.
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(m_archive, i, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE) != 0) {
            declared += stat.size;
            if (stat.size > limits.maxTotalBytes || declared > limits.maxTotalBytes)
                throw ArchiveError(Describe() + " unpacks to more bytes than a theme package may hold (" +
                                   std::to_string(limits.maxTotalBytes) + ").");
        }
        const bool isFolder = name.back() == '/' || name.back() == '\\';
        if (!path->empty())
            plan.push_back({i, *path, isFolder});
    }

    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        throw FileError("Cannot create the folder \"" + folder + "\": " + ec.message());
    std::uint64_t budget = limits.maxTotalBytes;
    for (const Planned& member : plan) {
        const fs::path target = fs::path(folder) / member.path;
        const fs::path parent = member.isFolder ? target : target.parent_path();
        fs::create_directories(parent, ec);
        if (ec)
            throw FileError("Cannot create the folder \"" + parent.string() + "\": " + ec.message());
        if (member.isFolder)
            continue;
        ZipFilePtr file(zip_fopen_index(m_archive, member.index, 0));
        const std::string what = "The member \"" + member.path + "\" of " + Describe();
        if (!file)
            throw ArchiveError(what + " cannot be read: " + ArchiveErrorText(m_archive));
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        if (!out)
            throw FileError("Cannot write the file \"" + target.string() + "\": " + std::strerror(errno));
        ReadAll(file.get(), budget, what, [&](const char* data, std::size_t size) {
            out.write(data, static_cast<std::streamsize>(size));
        });
        out.close();
        if (!out)
            throw FileError("Cannot write the file \"" + target.string() + "\" (is the disk full?).");
    }
}

std::string BuildZip(const std::vector<ZipMember>& members)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (buffer == nullptr) {
        const std::string text = ErrorText(&error);
        zip_error_fini(&error);
        throw ArchiveError("Cannot build the archive: " + text);
    }
    // Keeps the buffer alive after the archive is closed, so that its bytes can be read back.
    zip_source_keep(buffer);
    struct SourceRelease
    {
        zip_source_t* source;
        ~SourceRelease() { zip_source_free(source); }
    } release{buffer};

    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        const std::string text = ErrorText(&error);
        zip_error_fini(&error);
        throw ArchiveError("Cannot build the archive: " + text);
    }
    zip_error_fini(&error);
    for (const ZipMember& member : members) {
        zip_source_t* data = zip_source_buffer(archive, member.bytes.data(), member.bytes.size(), 0);
        zip_int64_t index = -1;
        if (data != nullptr && !member.name.empty())
            index = zip_file_add(archive, member.name.c_str(), data, ZIP_FL_ENC_GUESS);
        if (index < 0) {
            if (data != nullptr)
                zip_source_free(data);
            const std::string text = member.name.empty() ? "a member has no name" : ArchiveErrorText(archive);
            zip_discard(archive);
            throw ArchiveError("Cannot add \"" + member.name + "\" to the archive: " + text);
        }
        if (zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 6) != 0) {
            const std::string text = ArchiveErrorText(archive);
            zip_discard(archive);
            throw ArchiveError("Cannot compress \"" + member.name + "\": " + text);
        }
    }
    if (zip_close(archive) != 0) {
        const std::string text = ArchiveErrorText(archive);
        zip_discard(archive);
        throw ArchiveError("Cannot build the archive: " + text);
    }

    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(buffer, &stat) != 0 || zip_source_open(buffer) != 0)
        throw ArchiveError("Cannot read back the archive that was built.");
    std::string bytes(static_cast<std::size_t>(stat.size), '\0');
    const zip_int64_t got = bytes.empty() ? 0 : zip_source_read(buffer, bytes.data(), bytes.size());
    zip_source_close(buffer);
    if (got < 0 || static_cast<std::uint64_t>(got) != stat.size)
        throw ArchiveError("Cannot read back the archive that was built.");
    return bytes;
}

} // namespace ondrix
