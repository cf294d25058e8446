#pragma once

#include "wallpaper/Picture.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ondrix {

// One list: the file name with its extension, the number of entries as decimal text and the
// full path of the file (always the store folder + Name).
struct ImageList
{
    std::string Name;
    std::string Count;
    std::string Path;
    friend bool operator==(const ImageList&, const ImageList&) = default;
};

// Pixel width and height of a picture file of the given kind; throws when the picture
// cannot be read.
using PictureSizeReader = std::function<std::pair<int, int>(const std::string& path, PictureKind kind)>;

// An entry operation asked for an entry the list does not hold.
class ListEntryError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// What an import does when the store already holds a list of the same name that is a
// different file: replace it (an import the user asked for) or give the copy a free name
// (the start-up scan, which must never lose a list).
enum class TwinRule
{
    Replace,
    KeepBoth,
};

// What a list file looks like from outside, taken without reading it: whether it is a regular
// file, its size and its last-write time. A view that shows a list refills when it changes.
struct ListFileStamp
{
    bool regular = false;
    std::uintmax_t size = 0;
    std::int64_t written = 0; // the file clock's ticks; 0 when not a regular file
    friend bool operator==(const ListFileStamp&, const ListFileStamp&) = default;
};
ListFileStamp StampOfListFile(const std::string& path);

// The kind of picture a path names by its upper-cased extension: ".BMP" a bitmap, ".JPG" and
// ".JPEG" a JPEG picture, ".PNG" a PNG and ".WEBP" a WebP picture, anything else Other.
PictureKind ListPictureKindOf(const std::string& path);

// "name.lst" for i = 1, otherwise "name (i).lst"; the extension is the last ".lst" of name.
std::string NumberedName(const std::string& name, int i);

// The row to select after rows were removed one after the other, each time the first of the
// still selected: removedRows are the removed rows' indexes before any removal, rowsBefore
// the number of rows then. The row before the last removed one, else the new first row,
// else none.
std::optional<std::size_t> NeighbourAfterRemoval(std::vector<std::size_t> removedRows,
                                                 std::size_t rowsBefore);

// The entry row to select after pictures were added and the entries view refilled with
// rowCount rows: the next-to-last row, row 0 for a single row, none for none.
std::optional<std::size_t> SelectionAfterAdding(std::size_t rowCount);

// Entry moves that swap two lines; the first moved up changes places with the last and the
// last moved down with the first. They return the moved entry's new index and throw
// ListEntryError when index names no line.
std::size_t SwapEntryUp(std::vector<std::string>& lines, std::size_t index);
std::size_t SwapEntryDown(std::vector<std::string>& lines, std::size_t index);

// The image list store: AppDir/imgLists with its recycle folder. It keeps no cache: every
// operation reads the list file and writes it back at once. File-system failures throw
// FileError naming the file.
class ImageListStore
{
public:
    explicit ImageListStore(std::string appDir);

    const std::string& AppDir() const { return m_appDir; }
    std::string StoreFolder() const;   // AppDir/imgLists
    std::string RecycleFolder() const; // AppDir/imgLists/Recycled
    std::string StorePathOf(const std::string& name) const;

    // Imports every list file of a folder tree (sub-folders first, depth-first; see
    // FindListFiles) and returns their rows in that order, one row for each file. A list of a
    // sub-folder whose name is taken by a different list of the store is copied under a free
    // name; one equal to it is taken as that list.
    std::vector<ImageList> ScanListFolder(const std::string& folder) const;

    // Brings one list file into the store (a copy when it lies elsewhere; the source stays)
    // and returns its row. A name not ending in ".lst" in any case gets ".lst" appended; one
    // ending in another case gets ".lst". Throws FileError when the file cannot be read.
    ImageList ImportListFile(const std::string& path, TwinRule twins = TwinRule::Replace) const;

    // Imports each file (replacing a stored list of the same name); afterwards deletes those
    // lying in the store's own recycle folder, which turns an import from there into a
    // restore. Other files are never deleted. A file that cannot be imported adds its
    // message to Errors, stays where it is, and the others are still imported.
    struct ImportResult
    {
        std::vector<ImageList> Rows;
        std::vector<std::string> Errors;
    };
    ImportResult ImportLists(const std::vector<std::string>& paths) const;
    ImportResult RestoreLists(const std::vector<std::string>& paths) const { return ImportLists(paths); }
    bool IsInRecycleFolder(const std::string& path) const;

    // Appends an entry for a ".BMP", ".JPG", ".JPEG", ".PNG" or ".WEBP" picture with the size sizeReader
    // reports and raises Count; other files add nothing. The file is written back either
    // way. When sizeReader throws, nothing changes and the exception goes on. Returns whether
    // an entry was appended.
    bool AddPictureToList(ImageList& list, const std::string& picturePath,
                          const PictureSizeReader& sizeReader) const;

    // "untitled" + N + ".lst" for the smallest N from 1 not taken in the store folder.
    std::string NextUntitledName() const;
    // Writes an empty list under NextUntitledName and returns its row.
    ImageList CreateList() const;

    bool RecycledListsExist() const;

    // Moves the list file into the recycle folder, under a free name when its own is taken
    // there, and returns the path it now has. A list whose file has gone (missing, or a
    // folder in its place) gives nullopt and touches nothing. Throws FileError when the file
    // cannot be moved.
    std::optional<std::string> RecycleList(const ImageList& list) const;

    // Deletes the list file for good; a file already gone (or a folder in its place, which
    // stays) is no error.
    void DeleteList(const ImageList& list) const;

    // Renames the list to newText (".lst" appended unless the text holds ".lst"): the new
    // file is written before the old one is removed. Refuses (FileError, nothing changed)
    // an empty text, a name with "/", "\" or NUL, "." and "..", a name too long for the file
    // system, and a name another file of the store already has.
    void RenameList(ImageList& list, const std::string& newText) const;

    // Deletes the first line equal to caption + "?" + sizeText ignoring ASCII case, lowers
    // Count and writes the file; returns the deleted line's index. Throws ListEntryError,
    // with file and Count unchanged, when no line matches.
    std::size_t RemoveEntry(ImageList& list, const std::string& caption, const std::string& sizeText) const;

    // Swap the entry at index with its neighbour (see SwapEntryUp/Down), write the file and
    // return the entry's new index.
    std::size_t MoveEntryUp(const ImageList& list, std::size_t index) const;
    std::size_t MoveEntryDown(const ImageList& list, std::size_t index) const;

private:
    std::string m_appDir;
};

} // namespace ondrix
