#include "ThemeStore.h"

#include "core/Errors.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "platform/ComponentProbes.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace ondrix {

namespace fs = std::filesystem;

namespace {

char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool HasOndExtension(std::string_view name)
{
    if (name.size() < 4)
        return false;
    const std::string_view tail = name.substr(name.size() - 4);
    return tail[0] == '.' && Upper(tail[1]) == 'O' && Upper(tail[2]) == 'N' && Upper(tail[3]) == 'D';
}

std::string DropTrailingSeparator(std::string folder)
{
    if (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return folder;
}

// A folder the program treats as a plain one: not a link, not hidden, writable by its owner.
bool IsPlainFolder(const fs::directory_entry& entry)
{
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.front() == '.')
        return false;
    std::error_code ec;
    const auto status = entry.symlink_status(ec);
    if (ec || !fs::is_directory(status))
        return false;
    return (status.permissions() & fs::perms::owner_write) != fs::perms::none;
}

// The entries of a folder in name order; a folder that cannot be listed has none.
std::vector<fs::directory_entry> EntriesOf(const std::string& folder)
{
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        entries.push_back(*it);
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    return entries;
}

std::optional<std::int64_t> WriteTimeOf(const std::string& path)
{
    std::error_code ec;
    const auto time = fs::last_write_time(path, ec);
    if (ec)
        return std::nullopt;
    const auto system = std::chrono::file_clock::to_sys(time);
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

// Copies source to a temporary file beside target; the caller renames it into place.
std::string CopyBeside(const std::string& source, const std::string& target)
{
    const std::string temp = target + ".import-" + std::to_string(::getpid());
    std::error_code ec;
    fs::remove(temp, ec);
    fs::copy_file(source, temp, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw FileError("Cannot copy \"" + source + "\" into the theme store: " + ec.message());
    }
    return temp;
}

void MoveInto(const std::string& temp, const std::string& target)
{
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw FileError("Cannot put \"" + target + "\" into the theme store: " + ec.message());
    }
}

} // namespace

std::string ThemeReportText(const ThemeReport& report, const ThemeReportLabels& labels,
                            const std::function<std::string(std::int32_t)>& styleName)
{
    std::string text;
    auto entry = [&text](const std::string& label, const std::string& separator, const std::string& value) {
        text += label + separator + value + "\n\n";
    };
    entry(labels.Name, ":  ", report.Name);
    entry(labels.Author, ":  ", report.Author);
    entry(labels.Style, ":  ", styleName ? styleName(report.StyleIndex) : std::string());
    entry(labels.Description, ":  ", report.Description);
    entry(labels.File, ":  ..\\advThemes_\\", report.FileName);
    return text;
}

void ClearFolder(const std::string& folder)
{
    // Everything below is the program's own unpacking: hidden and read-only folders go too,
    // so that the work folder is really empty at exit. Links are removed, never followed.
    for (const fs::directory_entry& entry : EntriesOf(DropTrailingSeparator(folder))) {
        std::error_code ec;
        if (fs::is_directory(entry.symlink_status(ec))) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
            ClearFolder(entry.path().string());
        }
        fs::remove(entry.path(), ec);
    }
}

std::string StoreNameOf(const std::string& fileName)
{
    if (HasOndExtension(fileName))
        return fileName;
    const auto dot = fileName.rfind('.');
    return (dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot)) + ".ond";
}

ThemeStore::ThemeStore(ThemeEnvironment env, const ComponentProbes& probes)
    : m_env(std::move(env)), m_probes(probes)
{
}

ThemeRow ThemeStore::RowFor(const std::string& storePath, std::uint8_t style, const std::string& name) const
{
    ThemeRow row;
    row.Caption = name;
    // Only the styles 0 to 4 have icons of their own; image 5 says that themes cannot be shown.
    const int styleImage = style <= 4 ? style : 0;
    row.Image = m_probes.ActiveDesktopRegistered() && m_probes.FlashRegistered() ? styleImage : 5;
    row.WriteTime = WriteTimeOf(storePath);
    row.Path = storePath;
    return row;
}

std::optional<ThemeRow> ThemeStore::ImportThemePackage(const std::string& path) const
{
    TThemeInfo info;
    if (!ReadThemeInfo(m_env, path, info))
        return std::nullopt;
    const bool legacy = info.Style == 255;
    const std::string name = FileNamePart(path);
    const std::string inPlace = m_env.StoreFolder() + "/" + name;
    if (SameFile(path, inPlace)) {
        if (legacy && !ConvertLegacyTheme(m_env, inPlace))
            return std::nullopt;
        return RowFor(inPlace, legacy ? 0 : info.Style, info.Name);
    }

    // A name that is not ".ond" becomes one unless the store holds a package of that name:
    // that package stays, and the copy keeps its own name.
    std::string dest = m_env.StoreFolder() + "/" + StoreNameOf(name);
    std::error_code ec;
    if (!HasOndExtension(name) && fs::symlink_status(dest, ec).type() != fs::file_type::not_found)
        dest = m_env.StoreFolder() + "/" + name;
    const std::string temp = CopyBeside(path, dest);
    if (legacy) {
        bool converted = false;
        try {
            converted = ConvertLegacyTheme(m_env, temp);
        } catch (...) {
            std::error_code ignored;
            fs::remove(temp, ignored);
            throw;
        }
        if (!converted) {
            std::error_code ignored;
            fs::remove(temp, ignored);
            return std::nullopt;
        }
    }
    MoveInto(temp, dest);
    return RowFor(dest, legacy ? 0 : info.Style, info.Name);
}

void ThemeStore::ScanInto(const std::string& folder, ThemeImportResult& result) const
{
    for (const fs::directory_entry& entry : EntriesOf(folder))
        if (entry.path().filename() != "Recycled" && IsPlainFolder(entry))
            ScanInto(entry.path().string(), result);
    // Every level lists only its own packages, so the rows are those of the folder itself;
    // it is listed again because the sub-folders may have added to it.
    result.Rows.clear();
    for (const fs::directory_entry& entry : EntriesOf(folder)) {
        const std::string name = entry.path().filename().string();
        if (!HasOndExtension(name))
            continue;
        try {
            if (auto row = ImportThemePackage(folder + "/" + name))
                result.Rows.push_back(std::move(*row));
        } catch (const std::exception& error) {
            result.Errors.emplace_back(error.what());
        }
    }
}

ThemeImportResult ThemeStore::ScanThemeFolder(const std::string& folder) const
{
    ThemeImportResult result;
    ScanInto(DropTrailingSeparator(folder), result);
    return result;
}

bool ThemeStore::IsInRecycleFolder(const std::string& path) const
{
    std::error_code ec;
    const fs::path file = fs::weakly_canonical(path, ec);
    if (ec)
        return false;
    const fs::path recycle = fs::weakly_canonical(m_env.RecycleFolder(), ec);
    return !ec && file.parent_path() == recycle;
}

ThemeImportResult ThemeStore::OpenPackages(const std::vector<std::string>& paths) const
{
    ThemeImportResult result;
    for (const std::string& path : paths) {
        try {
            auto row = ImportThemePackage(path);
            if (!row)
                continue;
            result.Rows.push_back(std::move(*row));
            if (IsInRecycleFolder(path)) {
                std::error_code ignored;
                fs::remove(path, ignored);
            }
        } catch (const std::exception& error) {
            result.Errors.emplace_back(error.what());
        }
    }
    return result;
}

bool ThemeStore::RecycledThemesExist() const
{
    for (const fs::directory_entry& entry : EntriesOf(m_env.RecycleFolder()))
        if (HasOndExtension(entry.path().filename().string()))
            return true;
    return false;
}

std::string ThemeStore::RecyclePackage(const std::string& path) const
{
    const std::string name = FileNamePart(path);
    const std::string stem = HasOndExtension(name) ? name.substr(0, name.size() - 4) : name;
    const std::string extension = HasOndExtension(name) ? name.substr(name.size() - 4) : std::string();
    std::string target = m_env.RecycleFolder() + "/" + name;
    std::error_code ec;
    for (int i = 1; fs::exists(fs::symlink_status(target, ec)); ++i)
        target = m_env.RecycleFolder() + "/" + stem + " (" + std::to_string(i) + ")" + extension;
    fs::rename(path, target, ec);
    if (ec)
        throw FileError("Cannot move \"" + path + "\" to the recycle folder: " + ec.message() +
                        ". The theme stays in the store.");
    return target;
}

void ThemeStore::DeletePackage(const std::string& path) const
{
    std::error_code ec;
    fs::remove(path, ec);
    if (ec)
        throw FileError("Cannot delete \"" + path + "\": " + ec.message());
}

ThemeStore::RemoveResult ThemeStore::RemovePackages(const std::vector<std::string>& paths,
                                                    bool toRecycleFolder, std::string& cadvTheme,
                                                    const std::function<void()>& currentRemoved) const
{
    RemoveResult result;
    for (const std::string& path : paths) {
        try {
            // A package deleted outside the program is gone already: its row goes too.
            std::error_code ec;
            const bool gone = fs::symlink_status(path, ec).type() == fs::file_type::not_found;
            if (!gone && toRecycleFolder)
                RecyclePackage(path);
            else if (!gone)
                DeletePackage(path);
            result.Removed.push_back(path);
            if (!cadvTheme.empty() && path == cadvTheme) {
                cadvTheme.clear();
                if (currentRemoved)
                    currentRemoved();
            }
        } catch (const std::exception& error) {
            result.Errors.emplace_back(error.what());
        }
    }
    return result;
}

std::optional<ThemeReport> ThemeStore::ReadReport(const std::string& path) const
{
    const auto themeCfg = ReadThemeCfg(m_env, path);
    if (!themeCfg)
        return std::nullopt;
    const IniFile ini = IniFile::Parse(*themeCfg);
    ThemeReport report;
    report.Name = ini.Read("Name", "ThemeName", "No name");
    report.Author = ini.Read("Author", "ThemeAuthor", "Unknown");
    report.StyleIndex = ReadIniInteger(ini, "Style", "index", 0);
    report.Description = ini.Read("Description", "Description", "None");
    report.FileName = FileNamePart(path);
    return report;
}

} // namespace ondrix
