#include "FolderSearch.h"

#include "ListFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace ondrix {

namespace fs = std::filesystem;

namespace {

bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix)
{
    return name.size() >= suffix.size() &&
           EqualIgnoringAsciiCase(name.substr(name.size() - suffix.size()), suffix);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
        return folder + name;
    return folder + "/" + name;
}

std::string WithoutTrailingSeparator(const std::string& folder)
{
    if (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        return folder.substr(0, folder.size() - 1);
    return folder;
}

void Walk(const std::string& folder, const std::function<bool(std::string_view)>& nameFilter,
          const std::stop_token& stop, std::vector<std::string>& found)
{
    for (const auto& sub : SearchableSubFoldersOf(folder, stop)) {
        if (stop.stop_requested())
            return;
        Walk(sub, nameFilter, stop, found);
    }
    for (auto& file : FilesOf(folder, nameFilter, stop)) {
        if (stop.stop_requested())
            return;
        found.push_back(std::move(file));
    }
}

} // namespace

std::string SearchPatternOf(SearchKind kind)
{
    switch (kind) {
    case SearchKind::ThemePackages:
        return "\\*.ond";
    case SearchKind::Pictures:
        return "\\*.bmp|*.jpg|*.jpeg|*.png|*.webp";
    case SearchKind::ImageLists:
        return "\\*.lst";
    }
    return {};
}

bool IsFolder(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool IsSearchableSubFolder(const std::string& path)
{
    const std::string name = fs::path(path).filename().string();
    if (name.empty() || name == "Recycled" || name.front() == '.')
        return false;
    std::error_code ec;
    const auto status = fs::symlink_status(path, ec);
    if (ec || !fs::is_directory(status))
        return false;
    // The stand-in for a read-only folder: its owner may not write it.
    return (status.permissions() & fs::perms::owner_write) != fs::perms::none;
}

bool HasListExtension(std::string_view name)
{
    return EndsWithIgnoringCase(name, ".lst");
}

bool HasPictureExtension(std::string_view name)
{
    return EndsWithIgnoringCase(name, ".bmp") || EndsWithIgnoringCase(name, ".jpg") ||
           EndsWithIgnoringCase(name, ".jpeg") || EndsWithIgnoringCase(name, ".png") ||
           EndsWithIgnoringCase(name, ".webp");
}

std::vector<std::string> SearchableSubFoldersOf(const std::string& folder, std::stop_token stop)
{
    std::vector<std::string> found;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator() && !stop.stop_requested(); it.increment(ec)) {
        std::error_code statusError;
        if (!fs::is_directory(it->symlink_status(statusError)) || statusError)
            continue;
        std::string full = JoinPath(folder, it->path().filename().string());
        if (IsSearchableSubFolder(full))
            found.push_back(std::move(full));
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::string> FilesOf(const std::string& folder,
                                 const std::function<bool(std::string_view)>& nameFilter,
                                 std::stop_token stop)
{
    std::vector<std::string> found;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator() && !stop.stop_requested(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!nameFilter(name))
            continue;
        // A linked file is read through its link; only linked folders are never followed.
        std::error_code statusError;
        if (fs::is_regular_file(it->status(statusError)) && !statusError)
            found.push_back(JoinPath(folder, name));
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::string> FindFiles(const std::string& folder,
                                   const std::function<bool(std::string_view)>& nameFilter,
                                   std::stop_token stop)
{
    std::vector<std::string> found;
    if (!IsFolder(folder))
        return found;
    Walk(WithoutTrailingSeparator(folder), nameFilter, stop, found);
    return found;
}

std::vector<std::string> FindListFiles(const std::string& folder, std::stop_token stop)
{
    return FindFiles(folder, HasListExtension, std::move(stop));
}

std::vector<std::string> FindPictureFiles(const std::string& folder, std::stop_token stop)
{
    return FindFiles(folder, HasPictureExtension, std::move(stop));
}

SearchJob::SearchJob(std::string folder, Search search, Delivery deliver) : m_folder(std::move(folder))
{
    m_thread = std::jthread([folderCopy = m_folder, search = std::move(search),
                             deliver = std::move(deliver)](std::stop_token stop) {
        auto result = search(folderCopy, stop);
        if (!stop.stop_requested() && deliver)
            deliver(std::move(result));
    });
}

namespace {

SearchJob::Search SearchOf(SearchKind kind)
{
    switch (kind) {
    case SearchKind::Pictures:
        return [](const std::string& folder, std::stop_token stop) { return FindPictureFiles(folder, stop); };
    case SearchKind::ImageLists:
        return [](const std::string& folder, std::stop_token stop) { return FindListFiles(folder, stop); };
    case SearchKind::ThemePackages:
        break;
    }
    return [](const std::string& folder, std::stop_token stop) {
        return FindFiles(
            folder, [](std::string_view name) { return EndsWithIgnoringCase(name, ".ond"); }, stop);
    };
}

} // namespace

SearchJob::SearchJob(std::string folder, SearchKind kind, Delivery deliver)
    : SearchJob(std::move(folder), SearchOf(kind), std::move(deliver))
{
}

SearchJob::~SearchJob()
{
    Cancel();
}

void SearchJob::Cancel()
{
    m_thread.request_stop();
    if (!m_thread.joinable())
        return;
    // A delivery that ends its own job cannot wait for itself; the thread ends right after.
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
}

} // namespace ondrix
