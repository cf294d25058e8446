#pragma once

#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace ondrix {

// What a folder dropped on one of the list views is searched for.
enum class SearchKind
{
    ThemePackages = 0,
    Pictures = 1,
    ImageLists = 2,
};

// The pattern the status bar names for a search: "\*.ond", "\*.bmp|*.jpg|*.jpeg|*.png|*.webp"
// or "\*.lst".
std::string SearchPatternOf(SearchKind kind);

// True for an existing folder (an empty one too); false for a file or a missing path.
bool IsFolder(const std::string& path);

// Whether a walk goes down into a sub-folder: not "Recycled" (exact case), not hidden (".")
// and not a symbolic link, and its owner may write it.
bool IsSearchableSubFolder(const std::string& path);

// True when the name ends in ".lst" in any letter case.
bool HasListExtension(std::string_view name);

// True when the name ends in ".bmp", ".jpg", ".jpeg", ".png" or ".webp" in any letter case.
bool HasPictureExtension(std::string_view name);

// The files of a folder tree whose names pass the filter, as full paths: each folder's
// sub-folders first (depth-first), then its own files, both in name order. Sub-folders are
// entered only when IsSearchableSubFolder passes, so symbolic links are never followed. A
// folder that cannot be listed adds nothing. The stop token is checked between entries; a
// stopped walk returns what it had found so far. One trailing separator of folder is dropped.
std::vector<std::string> FindFiles(const std::string& folder,
                                   const std::function<bool(std::string_view)>& nameFilter,
                                   std::stop_token stop = {});

// One folder's searchable sub-folders and its files passing the filter, as full paths in
// name order; a folder that cannot be listed gives none.
std::vector<std::string> SearchableSubFoldersOf(const std::string& folder, std::stop_token stop = {});
std::vector<std::string> FilesOf(const std::string& folder,
                                 const std::function<bool(std::string_view)>& nameFilter,
                                 std::stop_token stop = {});

// The list files (*.lst) and the pictures (*.bmp, *.jpg, *.jpeg, *.png, *.webp) of a folder tree.
std::vector<std::string> FindListFiles(const std::string& folder, std::stop_token stop = {});
std::vector<std::string> FindPictureFiles(const std::string& folder, std::stop_token stop = {});

// One search of a dropped folder on a worker thread. The result goes to deliver, called on
// the worker thread (the page posts it to its own thread), and only when the search was not
// cancelled. Cancel or the destructor stop the search and wait for the thread, so searches
// still running at exit end cleanly and deliver nothing.
class SearchJob
{
public:
    using Search = std::function<std::vector<std::string>(const std::string& folder, std::stop_token stop)>;
    using Delivery = std::function<void(std::vector<std::string>)>;

    SearchJob(std::string folder, Search search, Delivery deliver);
    SearchJob(std::string folder, SearchKind kind, Delivery deliver);
    ~SearchJob();
    SearchJob(const SearchJob&) = delete;
    SearchJob& operator=(const SearchJob&) = delete;

    const std::string& Folder() const { return m_folder; }
    void Cancel();

private:
    std::string m_folder;
    std::jthread m_thread;
};

} // namespace ondrix
