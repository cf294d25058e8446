#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

typedef struct zip zip_t;

namespace ondrix {

// A ZIP archive that cannot be read or written, or whose content is refused (a member that
// would leave the folder it is unpacked into, a member or total size over the bounds).
class ArchiveError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Bounds of one unpack: a package holding more members, or more bytes once unpacked, is
// refused instead of filling the disk.
struct ZipLimits
{
    std::uint64_t maxMembers = 10000;
    // Themes are a page and a movie of a few megabytes; a quarter of a gigabyte is far beyond.
    std::uint64_t maxTotalBytes = std::uint64_t{256} << 20;
};

// The folder-relative path ("a/b.swf") a member name stands for, with "\" read as a folder
// separator; nothing for a name that would leave the folder it is unpacked into: absolute
// names, drive letters and other names with ":", and ".." components. "." and empty
// components are dropped; a name of nothing else gives an empty path.
std::optional<std::string> SafeMemberPath(std::string_view name);

// One archive open for reading. Opening reads only the central directory; members are read
// one by one, so listing a package never reads all of it.
class ZipReader
{
public:
    // Throws FileError when the file is missing or cannot be opened, ArchiveError when it is
    // not a readable ZIP archive. Both messages name the file.
    explicit ZipReader(const std::string& path);
    // An archive held in memory (the bytes are copied); label names it in messages.
    static ZipReader FromBytes(std::string_view bytes, const std::string& label);
    ~ZipReader();
    ZipReader(ZipReader&& other) noexcept;
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;
    ZipReader& operator=(ZipReader&&) = delete;

    std::vector<std::string> MemberNames() const;

    // The bytes of the member of exactly this name; nothing when there is none. Throws
    // ArchiveError when it is damaged or longer than maxBytes.
    std::optional<std::string> ReadMember(std::string_view name, std::uint64_t maxBytes) const;

    // Unpacks every member below folder (created when missing), recreating stored folders
    // and overwriting files. Every name is checked before anything is written: a package
    // with a member that would leave the folder, a symbolic link, or more members than the
    // limit is refused whole (ArchiveError). Bytes are counted as they are unpacked, so an
    // archive that lies about its sizes stops at the limit too; what was unpacked then
    // stays for the caller to remove. Write failures throw FileError.
    void ExtractAll(const std::string& folder, const ZipLimits& limits) const;

private:
    ZipReader(zip_t* archive, std::string label);
    std::string Describe() const;

    zip_t* m_archive = nullptr;
    std::string m_label;
};

struct ZipMember
{
    std::string name;
    std::string bytes;
};

// The bytes of a new archive holding the members in this order, each deflated at level 6.
// Throws ArchiveError when libzip refuses one (an empty or repeated name, for instance).
std::string BuildZip(const std::vector<ZipMember>& members);

} // namespace ondrix
