#include "ImageListStore.h"

#include "FolderSearch.h"
#include "ListFile.h"
#include "core/AtomicFile.h"
#include "core/Errors.h"
#include "core/Paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace ondrix {

namespace fs = std::filesystem;

namespace {

// Enough free names for any store; past it something is wrong with the folder.
constexpr int kMaxNumberedNames = 100000;
constexpr std::size_t kMaxNameBytes = 255;

bool PathExists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// The name of a file the file system gave us. A backslash is an ordinary character of a name
// here (only entries written elsewhere use it as a separator), so a stored list named
// "trip\2024.lst" is that list, not "2024.lst" in a folder "trip".
std::string OwnFileName(const std::string& path)
{
    return fs::path(path).filename().string();
}

// A list whose file is missing, or has a folder in its place, has gone: there is nothing to
// move or delete, and a folder is never ours to remove.
bool ListFileGone(const std::string& path)
{
    std::error_code ec;
    const auto status = fs::symlink_status(path, ec);
    return !fs::exists(status) || fs::is_directory(status);
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

// The name a list gets in the store: one ending in ".lst" in another letter case ends in
// ".lst", any other name keeps its text and gets ".lst" appended.
std::string StoreNameOf(const std::string& fileName)
{
    if (fileName.size() >= 4 && HasListExtension(fileName))
        return fileName.substr(0, fileName.size() - 4) + ".lst";
    return fileName + ".lst";
}

// Moves a file to a name that must not exist yet; the new name exists before the old one is
// removed. False when the target is taken; FileError for any other failure.
bool MoveNoReplace(const std::string& from, const std::string& to)
{
    std::error_code ec;
    fs::create_hard_link(from, to, ec);
    if (ec == std::errc::file_exists)
        return false;
    if (ec) {
        // File systems without hard links: an exclusive copy does the same, only slower.
        std::error_code copyError;
        fs::copy_file(from, to, fs::copy_options::none, copyError);
        if (copyError == std::errc::file_exists)
            return false;
        if (copyError)
            throw FileError("Cannot move the list \"" + from + "\" to \"" + to +
                            "\": " + copyError.message());
    }
    std::error_code removeError;
    fs::remove(from, removeError);
    if (removeError) {
        std::error_code ignored;
        fs::remove(to, ignored);
        throw FileError("Cannot move the list \"" + from + "\": " + removeError.message());
    }
    return true;
}

void RefuseName(const std::string& text, const std::string& why)
{
    throw FileError("Cannot rename the list to \"" + text + "\": " + why);
}

} // namespace

ListFileStamp StampOfListFile(const std::string& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return {};
    ListFileStamp stamp;
    stamp.regular = true;
    stamp.size = fs::file_size(path, ec);
    if (ec)
        stamp.size = 0;
    const auto written = fs::last_write_time(path, ec);
    stamp.written = ec ? 0 : static_cast<std::int64_t>(written.time_since_epoch().count());
    return stamp;
}

PictureKind ListPictureKindOf(const std::string& path)
{
    const std::string name = FileNamePart(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return PictureKind::Other;
    const std::string_view extension = std::string_view(name).substr(dot);
    if (EqualIgnoringAsciiCase(extension, ".BMP"))
        return PictureKind::Bmp;
    if (EqualIgnoringAsciiCase(extension, ".JPG") || EqualIgnoringAsciiCase(extension, ".JPEG"))
        return PictureKind::Jpeg;
    if (EqualIgnoringAsciiCase(extension, ".PNG"))
        return PictureKind::Png;
    if (EqualIgnoringAsciiCase(extension, ".WEBP"))
        return PictureKind::Webp;
    return PictureKind::Other;
}

std::string NumberedName(const std::string& name, int i)
{
    if (i <= 1)
        return name;
    const std::string number = " (" + std::to_string(i) + ")";
    if (name.size() >= 4 && HasListExtension(name))
        return name.substr(0, name.size() - 4) + number + name.substr(name.size() - 4);
    return name + number;
}

std::optional<std::size_t> NeighbourAfterRemoval(std::vector<std::size_t> removedRows, std::size_t rowsBefore)
{
    std::sort(removedRows.begin(), removedRows.end());
    removedRows.erase(std::unique(removedRows.begin(), removedRows.end()), removedRows.end());
    removedRows.erase(std::lower_bound(removedRows.begin(), removedRows.end(), rowsBefore),
                      removedRows.end());
    if (removedRows.empty())
        return std::nullopt;
    // Each removal shifts the later rows up, so the last one went at its index less the
    // number removed before it.
    const std::size_t lastIndex = removedRows.back() - (removedRows.size() - 1);
    const std::size_t rowsLeft = rowsBefore - removedRows.size();
    if (lastIndex > 0)
        return lastIndex - 1;
    if (rowsLeft > 0)
        return 0;
    return std::nullopt;
}

std::optional<std::size_t> SelectionAfterAdding(std::size_t rowCount)
{
    if (rowCount >= 2)
        return rowCount - 2;
    if (rowCount == 1)
        return 0;
    return std::nullopt;
}

std::size_t SwapEntryUp(std::vector<std::string>& lines, std::size_t index)
{
    if (index >= lines.size())
        throw ListEntryError("There is no entry " + std::to_string(index + 1) + " to move; the list holds " +
                             std::to_string(lines.size()) + ".");
    const std::size_t target = index > 0 ? index - 1 : lines.size() - 1;
    std::swap(lines[index], lines[target]);
    return target;
}

std::size_t SwapEntryDown(std::vector<std::string>& lines, std::size_t index)
{
    if (index >= lines.size())
        throw ListEntryError("There is no entry " + std::to_string(index + 1) + " to move; the list holds " +
                             std::to_string(lines.size()) + ".");
    const std::size_t target = index + 1 < lines.size() ? index + 1 : 0;
    std::swap(lines[index], lines[target]);
    return target;
}

ImageListStore::ImageListStore(std::string appDir) : m_appDir(std::move(appDir)) {}

std::string ImageListStore::StoreFolder() const
{
    return AppPath(m_appDir, "\\imgLists");
}

std::string ImageListStore::RecycleFolder() const
{
    return AppPath(m_appDir, "\\imgLists\\Recycled");
}

std::string ImageListStore::StorePathOf(const std::string& name) const
{
    return AppPath(m_appDir, "\\imgLists\\") + name;
}

std::vector<ImageList> ImageListStore::ScanListFolder(const std::string& folder) const
{
    std::vector<ImageList> rows;
    std::string top = folder;
    if (top.size() > 1 && (top.back() == '/' || top.back() == '\\'))
        top.pop_back();
    for (const auto& sub : SearchableSubFoldersOf(top)) {
        auto found = ScanListFolder(sub);
        rows.insert(rows.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    }
    // The folder's own files are listed only now, so copies just made from its sub-folders
    // are found here too.
    for (const auto& file : FilesOf(top, HasListExtension)) {
        try {
            rows.push_back(ImportListFile(file, TwinRule::KeepBoth));
        } catch (const FileError&) {
            // A list that cannot be read gets no row; the others are still shown.
        }
    }
    // A copy made from a sub-folder is found again here, and an equal twin is taken as the
    // list it equals: each file keeps only its first row, so no row is left behind pointing
    // at a file another row has already removed.
    std::vector<ImageList> unique;
    unique.reserve(rows.size());
    for (auto& row : rows) {
        const bool seen = std::any_of(unique.begin(), unique.end(),
                                      [&](const ImageList& kept) { return kept.Path == row.Path; });
        if (!seen)
            unique.push_back(std::move(row));
    }
    return unique;
}

ImageList ImageListStore::ImportListFile(const std::string& path, TwinRule twins) const
{
    const std::string bytes = ReadListFileBytes(path);
    const std::string count = std::to_string(SplitListLines(bytes).size());
    const std::string fileName = OwnFileName(path);
    const std::string inPlace = StorePathOf(fileName);
    if (SameFile(path, inPlace))
        return ImageList{fileName, count, inPlace};

    const std::string name = StoreNameOf(fileName);
    if (twins == TwinRule::Replace) {
        const std::string dest = StorePathOf(name);
        WriteFileAtomically(dest, bytes, false);
        return ImageList{name, count, dest};
    }
    for (int i = 1; i <= kMaxNumberedNames; ++i) {
        const std::string candidate = NumberedName(name, i);
        const std::string dest = StorePathOf(candidate);
        if (!PathExists(dest)) {
            WriteFileAtomically(dest, bytes, false);
            return ImageList{candidate, count, dest};
        }
        // The copy of an earlier start: take it again instead of making another.
        std::error_code ec;
        if (fs::is_regular_file(dest, ec) && ReadListFileBytes(dest) == bytes)
            return ImageList{candidate, count, dest};
    }
    throw FileError("Cannot import the list \"" + path + "\": no free name for it in \"" + StoreFolder() +
                    "\"");
}

bool ImageListStore::IsInRecycleFolder(const std::string& path) const
{
    std::error_code ec;
    const fs::path recycle = fs::canonical(RecycleFolder(), ec);
    if (ec)
        return false;
    const fs::path parent = fs::weakly_canonical(fs::absolute(fs::path(path)).parent_path(), ec);
    if (ec)
        return false;
    return parent == recycle && !fs::path(path).filename().empty();
}

ImageListStore::ImportResult ImageListStore::ImportLists(const std::vector<std::string>& paths) const
{
    ImportResult result;
    for (const auto& path : paths) {
        try {
            result.Rows.push_back(ImportListFile(path, TwinRule::Replace));
        } catch (const FileError& error) {
            result.Errors.emplace_back(error.what());
            continue;
        }
        // Only a list taken from our own recycle folder moves; the user's files stay.
        if (IsInRecycleFolder(path) && !SameFile(path, result.Rows.back().Path)) {
            std::error_code ignored;
            fs::remove(path, ignored);
        }
    }
    return result;
}

bool ImageListStore::AddPictureToList(ImageList& list, const std::string& picturePath,
                                      const PictureSizeReader& sizeReader) const
{
    auto lines = ReadListLines(list.Path);
    const PictureKind kind = ListPictureKindOf(picturePath);
    bool appended = false;
    if (kind != PictureKind::Other) {
        const auto [width, height] = sizeReader(picturePath, kind);
        lines.push_back(MakeEntryLine(picturePath, width, height));
        appended = true;
    }
    WriteListLines(list.Path, lines);
    if (appended)
        list.Count = AdjustCount(list.Count, 1, lines.size());
    return appended;
}

std::string ImageListStore::NextUntitledName() const
{
    for (int n = 1;; ++n) {
        std::string name = "untitled" + std::to_string(n) + ".lst";
        if (!PathExists(StorePathOf(name)))
            return name;
    }
}

ImageList ImageListStore::CreateList() const
{
    const std::string name = NextUntitledName();
    ImageList list{name, "0", StorePathOf(name)};
    WriteListLines(list.Path, {});
    return list;
}

bool ImageListStore::RecycledListsExist() const
{
    std::error_code ec;
    fs::directory_iterator it(RecycleFolder(), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // The pattern *.lst, which matches in any letter case; hidden files count too.
        if (HasListExtension(name) && !it->is_directory(ec))
            return true;
    }
    return false;
}

std::optional<std::string> ImageListStore::RecycleList(const ImageList& list) const
{
    if (ListFileGone(list.Path))
        return std::nullopt;
    const std::string name = OwnFileName(list.Path);
    for (int i = 1; i <= kMaxNumberedNames; ++i) {
        const std::string dest = AppPath(m_appDir, "\\imgLists\\Recycled\\") + NumberedName(name, i);
        if (MoveNoReplace(list.Path, dest))
            return dest;
    }
    throw FileError("Cannot recycle the list \"" + list.Path + "\": no free name in \"" + RecycleFolder() +
                    "\"");
}

void ImageListStore::DeleteList(const ImageList& list) const
{
    if (ListFileGone(list.Path))
        return;
    std::error_code ec;
    fs::remove(list.Path, ec);
    if (ec)
        throw FileError("Cannot delete the list \"" + list.Path + "\": " + ec.message());
}

void ImageListStore::RenameList(ImageList& list, const std::string& newText) const
{
    if (newText.empty())
        RefuseName(newText, "a list needs a name");
    const std::string name = newText.find(".lst") == std::string::npos ? newText + ".lst" : newText;
    // The name the list already has (which may hold a backslash) is kept as it is.
    if (name == list.Name)
        return;
    if (newText.find_first_of(std::string("/\\\0", 3)) != std::string::npos)
        RefuseName(newText, "a name cannot hold \"/\", \"\\\" or a NUL character");
    if (name == "." || name == "..")
        RefuseName(newText, "that name is reserved");
    if (name.size() > kMaxNameBytes)
        RefuseName(newText, "the name is too long");
    const std::string newPath = StorePathOf(name);
    if (PathExists(newPath))
        RefuseName(newText, "another file of the store already has that name");

    const auto lines = ReadListLines(list.Path);
    WriteListLines(newPath, lines);
    std::error_code ec;
    fs::remove(list.Path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(newPath, ignored);
        throw FileError("Cannot rename the list \"" + list.Path + "\": " + ec.message());
    }
    list.Name = name;
    list.Path = newPath;
}

std::size_t ImageListStore::RemoveEntry(ImageList& list, const std::string& caption,
                                        const std::string& sizeText) const
{
    auto lines = ReadListLines(list.Path);
    const std::string wanted = caption + "?" + sizeText;
    const auto found = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return EqualIgnoringAsciiCase(line, wanted);
    });
    if (found == lines.end())
        throw ListEntryError("The entry \"" + wanted + "\" is not in the list \"" + list.Path + "\".");
    const auto index = static_cast<std::size_t>(found - lines.begin());
    lines.erase(found);
    WriteListLines(list.Path, lines);
    list.Count = AdjustCount(list.Count, -1, lines.size());
    return index;
}

std::size_t ImageListStore::MoveEntryUp(const ImageList& list, std::size_t index) const
{
    auto lines = ReadListLines(list.Path);
    const std::size_t moved = SwapEntryUp(lines, index);
    WriteListLines(list.Path, lines);
    return moved;
}

std::size_t ImageListStore::MoveEntryDown(const ImageList& list, std::size_t index) const
{
    auto lines = ReadListLines(list.Path);
    const std::size_t moved = SwapEntryDown(lines, index);
    WriteListLines(list.Path, lines);
    return moved;
}

} // namespace ondrix
