#include "AppLayout.h"

#include "core/AtomicFile.h"
#include "core/Errors.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>
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
         it.increment(error))
        if (it->is_regular_file(error) && it->path().extension() == ".ond")
            themes.push_back("advThemes_/" + it->path().filename().string());
    std::sort(themes.begin(), themes.end());
    files.insert(files.end(), themes.begin(), themes.end());
    return files;
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
    else if (home != nullptr && *home != '\0')
        data = fs::path(home) / ".local" / "share";
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
    std::set<std::string> given = ReadRecord(record);
    bool changed = false;
    for (const std::string& file : ShippedFiles(data)) {
        if (given.contains(file))
            continue;
        // A file of the user's own of that name stays; it counts as given.
        if (!fs::exists(user / file, error))
            fs::copy_file(data / file, user / file, fs::copy_options::skip_existing, error);
        if (error)
            continue;
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
