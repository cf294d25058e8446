#pragma once

#include "themes/ThemePackage.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ondrix {

class ComponentProbes;

// One row of the themes list: the theme name, its image (the style, or 5 when a component
// themes need is missing), the package file's last write in seconds since 1970 UTC (none
// when it cannot be read) and the package's full path in the store.
struct ThemeRow
{
    std::string Caption;
    int Image = 0;
    std::optional<std::int64_t> WriteTime;
    std::string Path;
    friend bool operator==(const ThemeRow&, const ThemeRow&) = default;
};

// What an operation on several packages did: the rows it listed, in order, and one message
// for each package it could not handle (the others are handled all the same).
struct ThemeImportResult
{
    std::vector<ThemeRow> Rows;
    std::vector<std::string> Errors;
};

// The text of the theme report: five entries, each a label, a separator, a value and an
// empty line. styleName gives the name of a style number (empty when it has none).
struct ThemeReportLabels
{
    std::string Name, Author, Style, Description, File;
};
struct ThemeReport
{
    std::string Name;
    std::string Author;
    std::int32_t StyleIndex = 0;
    std::string Description;
    std::string FileName;
};
std::string ThemeReportText(const ThemeReport& report, const ThemeReportLabels& labels,
                            const std::function<std::string(std::int32_t)>& styleName);

// Deletes everything below folder and keeps the folder: sub-folders of every kind (hidden
// and read-only ones too, which are made writable first) are emptied and removed, files and
// links are deleted, never followed; failures are ignored. It empties the program's own work
// folder, whose every entry is the program's.
void ClearFolder(const std::string& folder);

// "name.ond" for a name ending in ".ond" in any letter case; otherwise the name with its
// extension (or, without one, the whole name) followed by ".ond".
std::string StoreNameOf(const std::string& fileName);

// The theme store, AppDir/advThemes_, with its recycle and work folders. It keeps no cache.
class ThemeStore
{
public:
    ThemeStore(ThemeEnvironment env, const ComponentProbes& probes);

    const ThemeEnvironment& Environment() const { return m_env; }

    // Makes sure the package is in the store and returns its row; nothing when it is not a
    // theme package or a legacy package cannot be converted. A package from elsewhere is
    // copied in under StoreNameOf its name, replacing a store file of that name; a legacy
    // one is converted on the store's side, never in the folder it came from, and the store
    // file is replaced only once the copy is complete. A name that is not ".ond" while the
    // store holds a package of the ".ond" name keeps its own name, so that package stays. Throws FileError or
    // ArchiveError when the package cannot be read or copied.
    std::optional<ThemeRow> ImportThemePackage(const std::string& path) const;

    // Imports the packages of a folder tree, sub-folders first ("Recycled", hidden folders
    // and links are not entered), and returns the rows of the folder itself. One trailing
    // separator is dropped.
    ThemeImportResult ScanThemeFolder(const std::string& folder) const;

    // Open and restore: imports each file; a file that was imported from the store's own
    // recycle folder is deleted afterwards (never any other file).
    ThemeImportResult OpenPackages(const std::vector<std::string>& paths) const;
    bool IsInRecycleFolder(const std::string& path) const;

    bool RecycledThemesExist() const;

    // Moves the package into the recycle folder, under "name (N).ond" when its name is taken
    // there, and returns its new path. Throws FileError, the package staying in the store,
    // when it cannot be moved.
    std::string RecyclePackage(const std::string& path) const;
    // Deletes the package for good; a file already gone is no error.
    void DeletePackage(const std::string& path) const;

    // Recycles (or deletes) the packages one after the other; a package that is gone already
    // (deleted outside the program) counts as removed. Once the current theme (cadvTheme) is
    // gone, cadvTheme is cleared and currentRemoved called. Returns the paths that are gone;
    // the others stay in the store, with their errors.
    struct RemoveResult
    {
        std::vector<std::string> Removed;
        std::vector<std::string> Errors;
    };
    RemoveResult RemovePackages(const std::vector<std::string>& paths, bool toRecycleFolder,
                                std::string& cadvTheme, const std::function<void()>& currentRemoved) const;

    // The report values of a package; nothing when it has no "theme.cfg". A package that
    // is gone or cannot be read throws one FileError or ArchiveError.
    std::optional<ThemeReport> ReadReport(const std::string& path) const;

private:
    ThemeRow RowFor(const std::string& storePath, std::uint8_t style, const std::string& name) const;
    void ScanInto(const std::string& folder, ThemeImportResult& result) const;

    ThemeEnvironment m_env;
    const ComponentProbes& m_probes;
};

} // namespace ondrix
