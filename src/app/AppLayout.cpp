#include "AppLayout.h"

#include "core/AtomicFile.h"
#include "core/Errors.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <pwd.h>
#include <set>
#include <sstream>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace ondrix {

namespace fs = std::filesystem;

namespace {

constexpr const char* kShippedRecord = "shipped.lst";

bool IsFolder(const fs::path& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

// The files a new user folder is given, relative to the data folder: links.ini, the first-run
// picture and the sample themes.
std::vector<std::string> ShippedFiles(const fs::path& dataDir)
{
    std::vector<std::string> files{"links.ini", "imgLists/Quorvane/ilwallpap.jpg"};
    std::error_code error;
    std::vector<std::string> themes;
    for (fs::directory_iterator it(dataDir / "advThemes_", error), end; !error && it != end;
         it.increment(error)) {
        std::error_code notFile;
        if (it->is_regular_file(notFile) && it->path().extension() == ".ond")
            themes.push_back("advThemes_/" + it->path().filename().string());
    }
    std::sort(themes.begin(), themes.end());
    files.insert(files.end(), themes.begin(), themes.end());
    return files;
}

// A shipped file's bytes; nothing for anything but a readable regular file of a sane size.
std::optional<std::string> ReadShipped(const fs::path& file)
{
    constexpr std::uintmax_t kMaxBytes = 256u << 20;
    std::error_code error;
    if (!fs::is_regular_file(file, error) || fs::file_size(file, error) > kMaxBytes || error)
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return std::nullopt;
    return bytes;
}

std::set<std::string> ReadRecord(const fs::path& file)
{
    std::set<std::string> given;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            given.insert(line);
    return given;
}

// The home folder: HOME where it is absolute, else the account's.
std::optional<fs::path> HomeFolder(const char* home)
{
    if (home != nullptr && *home != '\0' && fs::path(home).is_absolute())
        return fs::path(home);
    const passwd* account = ::getpwuid(::getuid());
    if (account != nullptr && account->pw_dir != nullptr && fs::path(account->pw_dir).is_absolute())
        return fs::path(account->pw_dir);
    return std::nullopt;
}

} // namespace

AppLayout FindAppLayout(const fs::path& executableDir, const char* xdgDataHome, const char* home)
{
    const fs::path prefix = executableDir.parent_path();
    const bool portable = IsFolder(executableDir / "imgLists") && IsFolder(executableDir / "advThemes_");
    if (portable || executableDir.filename() != "bin" || !IsFolder(prefix / "share" / "ondrix")) {
        const std::string dir = executableDir.string();
        return {dir, dir, dir, false};
    }
    fs::path data;
    if (xdgDataHome != nullptr && *xdgDataHome != '\0' && fs::path(xdgDataHome).is_absolute())
        data = fs::path(xdgDataHome);
    else if (const std::optional<fs::path> folder = HomeFolder(home))
        data = *folder / ".local" / "share";
    else
        throw FileError("There is no home folder (HOME) for Ondrix's files.");
    return {(data / "ondrix").string(), (prefix / "share" / "ondrix").string(),
            (prefix / "lib" / "ondrix").string(), true};
}

void FillUserFolder(const AppLayout& layout)
{
    if (!layout.installed)
        return;
    const fs::path user(layout.appDir);
    const fs::path data(layout.dataDir);
    std::error_code error;
    for (const char* folder : {"imgLists/WorkDir", "imgLists/Recycled", "imgLists/Quorvane",
                               "advThemes_/WorkDir", "advThemes_/Recycled"}) {
        fs::create_directories(user / folder, error);
        if (error)
            throw FileError("Ondrix's folder \"" + (user / folder).string() +
                            "\" cannot be made: " + error.message());
    }
    const fs::path record = user / kShippedRecord;
    RemoveStaleTemporaries(record.string());
    std::set<std::string> given = ReadRecord(record);
    bool changed = false;
    for (const std::string& file : ShippedFiles(data)) {
        if (given.contains(file))
            continue;
        // A file of the user's own of that name (or a link, a broken one too) stays; it counts
        // as given. A copy is written whole or not at all.
        const fs::path target = user / file;
        RemoveStaleTemporaries(target.string());
        std::error_code missing;
        if (!fs::exists(fs::symlink_status(target, missing))) {
            const std::optional<std::string> bytes = ReadShipped(data / file);
            if (!bytes) {
                std::fprintf(stderr, "Ondrix: the shipped file \"%s\" cannot be read; it is left out.\n",
                             (data / file).c_str());
                continue;
            }
            try {
                WriteFileAtomically(target.string(), *bytes, true);
            } catch (const FileError& failure) {
                std::fprintf(stderr, "Ondrix: %s\n", failure.what());
                continue;
            }
        }
        given.insert(file);
        changed = true;
    }
    if (!changed)
        return;
    std::ostringstream lines;
    for (const std::string& file : given)
        lines << file << '\n';
    WriteFileAtomically(record.string(), lines.str(), false);
}

} // namespace ondrix
