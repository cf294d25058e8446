#include "language.h"

#include "core/IniFile.h"
#include "core/Paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace ondrix {

namespace {

constexpr std::string_view kLanguageExtension = ".lng";

bool HasLanguageExtension(const std::string& name)
{
    return name.size() >= kLanguageExtension.size() &&
           std::string_view(name).substr(name.size() - kLanguageExtension.size()) == kLanguageExtension;
}

// The names of the folder's "*.lng" entries. Hidden and read-only files count like any
// other; the names are sorted bytewise, which is our listing order, so that the language
// menu does not depend on the order the file system happens to keep.
std::vector<std::string> ListLanguageFiles(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return names;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (HasLanguageExtension(name))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

LanguageHeader ReadLanguageHeader(const std::string& path, const std::string& appDir)
{
    const IniFile file = IniFile::Load(path);
    LanguageHeader header;
    header.name = file.Read("LANGUAGE_NAME", "name");
    header.flagPath = AppPath(appDir, file.Read("COUNTRY_FLAG", "filename"));
    return header;
}

void ScanLanguages(const std::string& folder, const std::string& appDir, std::vector<TMLang>& list)
{
    for (const std::string& name : ListLanguageFiles(folder)) {
        // The entry name is appended as it is: on this system it may hold a backslash.
        std::string path = AppPath(folder, "\\") + name;
        LanguageHeader header = ReadLanguageHeader(path, appDir);
        if (header.name.empty())
            continue;
        list.push_back(TMLang{std::move(path), std::move(header.name), std::move(header.flagPath)});
    }
}

void TLanguage::Load(const std::string& path)
{
    const IniFile file = IniFile::Load(path);
    for (std::size_t i = 0; i < kTextCount; ++i) {
        const TextTableEntry& entry = kTextTable[i];
        Texts[i] = file.Read(entry.section, entry.key, entry.fallback);
    }
    Caption = file.Read("MAINFORM_CAPTION", "caption");
}

} // namespace ondrix
