#pragma once

#include "platform/Clock.h"
#include "platform/ComponentProbes.h"
#include "support/TempDir.h"
#include "themes/ThemePackage.h"

#include <zip.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace ondrix::test {

class FakeClock final : public Clock
{
public:
    std::uint32_t TickCount() const override { return tick; }
    std::uint32_t tick = 1000;
};

class FixedProbes final : public ComponentProbes
{
public:
    bool ActiveDesktopRegistered() const override { return layer; }
    bool FlashRegistered() const override { return flash; }
    bool layer = true;
    bool flash = true;
};

struct RawMember
{
    std::string name;
    std::string bytes;
    bool symbolicLink = false;
};

// Writes a ZIP archive with libzip directly, so that tests can store names and attributes
// the program's own writer never makes.
inline void WriteRawZip(const std::filesystem::path& file, const std::vector<RawMember>& members)
{
    std::filesystem::create_directories(file.parent_path());
    int code = 0;
    zip_t* archive = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (archive == nullptr)
        throw std::runtime_error("cannot create the test archive");
    for (const RawMember& member : members) {
        zip_source_t* source = zip_source_buffer(archive, member.bytes.data(), member.bytes.size(), 0);
        const zip_int64_t index = zip_file_add(archive, member.name.c_str(), source, ZIP_FL_ENC_RAW);
        if (index < 0)
            throw std::runtime_error("cannot add a test member");
        if (member.symbolicLink)
            zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                             (0120777u) << 16);
    }
    if (zip_close(archive) != 0)
        throw std::runtime_error("cannot write the test archive");
}

// The members of an archive by name, read with libzip directly.
inline std::map<std::string, std::string> ReadRawZip(const std::filesystem::path& file)
{
    std::map<std::string, std::string> members;
    int code = 0;
    zip_t* archive = zip_open(file.c_str(), ZIP_RDONLY, &code);
    if (archive == nullptr)
        throw std::runtime_error("cannot open the test archive");
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        std::string bytes(static_cast<std::size_t>(stat.size), '\0');
        zip_file_t* member = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        if (!bytes.empty())
            zip_fread(member, bytes.data(), bytes.size());
        zip_fclose(member);
        members[stat.name] = bytes;
    }
    zip_discard(archive);
    return members;
}

// The member names of an archive in their stored order.
inline std::vector<std::string> RawZipNames(const std::filesystem::path& file)
{
    std::vector<std::string> names;
    int code = 0;
    zip_t* archive = zip_open(file.c_str(), ZIP_RDONLY, &code);
    if (archive == nullptr)
        throw std::runtime_error("cannot open the test archive");
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i)
        names.emplace_back(zip_get_name(archive, static_cast<zip_uint64_t>(i), 0));
    zip_discard(archive);
    return names;
}

// An application folder with the store, its recycle folder and its work folder.
class ThemeAppDir
{
public:
    ThemeAppDir()
    {
        std::filesystem::create_directories(dir.path() / "advThemes_" / "Recycled");
        std::filesystem::create_directories(dir.path() / "advThemes_" / "WorkDir");
        env.AppDir = dir.str();
        env.clock = &clock;
        env.screenSize = [this] { return screen; };
    }
    std::string Store(const std::string& name = {}) const
    {
        return Under(dir.path() / "advThemes_", name);
    }
    std::string Recycled(const std::string& name = {}) const
    {
        return Under(dir.path() / "advThemes_" / "Recycled", name);
    }
    std::string Work(const std::string& name = {}) const
    {
        return Under(dir.path() / "advThemes_" / "WorkDir", name);
    }
    static std::string Under(const std::filesystem::path& folder, const std::string& name)
    {
        return name.empty() ? folder.string() : (folder / name).string();
    }
    // Names in a folder, in name order.
    static std::vector<std::string> Names(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
    FakeClock clock;
    DesktopSize screen{1024, 768};
    ThemeEnvironment env;
};

inline std::string CurrentCfg(const std::string& name)
{
    return "[Name]\r\nThemeName=" + name +
           "\r\n[Author]\r\nThemeAuthor=A\r\n[Style]\r\nindex=0\r\n[Description]\r\nDescription=D\r\n[Files]"
           "\r\n"
           "startup=\\index.htm";
}

} // namespace ondrix::test
