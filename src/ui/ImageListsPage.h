#pragma once

#include "PageShells.h"
#include "imagelists/FolderSearch.h"
#include "imagelists/ImageListStore.h"

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QMimeData;
class QTreeView;

namespace ondrix {

struct TOptions;
class ColumnLimits;
class EntriesModel;
class ListsModel;
class PicturePreview;
class Shell;
class WallpaperSetter;

// Page 1, the image lists: the lists of the store, the entries of the selected list, the
// preview of the selected picture, and the buttons, menus, keys and drops that work on them.
class ImageListsPage : public TitledPage
{
    Q_OBJECT
public:
    ImageListsPage(TOptions& options, const TLanguage& language, WallpaperSetter& wallpaper, Shell& shell,
                   QWidget* parent = nullptr);
    ~ImageListsPage() override;

    void ApplyTexts(const TLanguage& language);
    // Start-up: the saved sort, the lists of the store, the current list and its entries.
    void FillAtStartup();
    void UpdatePreviewHeader();

    std::vector<ImageList> ListRows() const;
    int ListCount() const;
    ColumnLimits& Columns() const { return *m_columns; }
    // The buttons whose hint the status bar shows while the pointer rests on them.
    std::vector<QWidget*> HintedButtons() const;

    QTreeView* lvILists() const { return m_lvILists; }
    QTreeView* lvILFiles() const { return m_lvILFiles; }
    PicturePreview* Preview() const { return m_preview; }
    QToolButton* Button(const std::string& name) const { return m_buttons.at(name); }
    QAction* Item(const std::string& name) const { return m_items.at(name); }
    QMenu* RemoveMenu() const { return m_pilbRemPM; }
    std::vector<std::string> EntryCaptions() const;
    // Switches the Active Desktop off before the preview becomes the wallpaper.
    std::function<void()> disableActiveDesktop;

    // Rules and operations; each is also reachable through its button, menu item or key.
    void ListEnablingRules();
    void EntryEnablingRules();
    void lvIListsColumnClick(int column);
    void pilbApplayClick();
    void pilbCreateClick();
    void pilbAddClick();
    void pilbRemoveClick();
    void pilbRemPM1Click();
    void pilbRemPM2Click();
    void pilbDeleteClick();
    void pilbDownloadClick();
    void pilbIFAddClick();
    void pilbIFRemoveClick();
    void pilbIFWallPaperClick();
    void pilbIFMoveUpClick();
    void pilbIFMoveDownClick();
    void pilprewIMageDblClick();
    // The handlers a real drop on the views' viewports runs.
    void DropOnLists(const QMimeData* mime);
    void DropOnEntries(const QMimeData* mime, QPoint position);
    int RunningSearches() const { return static_cast<int>(m_jobs.size() + m_pending.size()); }

signals:
    void pictureModeRequested();
    void statusText(const QString& text);
    // Every result of a folder search has been added to the store and the views.
    void searchApplied();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct PendingSearch
    {
        SearchKind kind = SearchKind::ImageLists;
        std::string listPath;
        std::vector<std::string> items;
        std::size_t done = 0;
    };

    void BuildToolBar();
    void BuildViews();
    void BuildMenus();
    void BuildLower();
    void WireViews();
    QToolButton* MakeButton(const char* name, const char* glyph, void (ImageListsPage::*handler)());
    QAction* MakeItem(QMenu* menu, const char* name, void (ImageListsPage::*handler)());

    ImageListStore Store() const;
    // Picture sizes for new entries, read from the files' headers.
    static PictureSizeReader SizeReader();
    std::vector<int> SelectedListRows() const;
    int SelectedListRow() const;
    int SelectedEntryRow() const;
    void SelectList(int row);
    void SelectEntry(int row);
    // Fills the entries view from the list's file; with force false only when another list
    // or file is shown or the file has changed since. A file that cannot be read shows no
    // entries and is reported once for as long as it stays as it is.
    void ShowListEntries(int listRow, bool force = true);
    void AppendImported(const ImageList& row);
    void ListSelectionChanged();
    void EntrySelectionChanged();
    void RefreshRemoveButton();
    void RemoveSelectedLists(bool recycle);
    void ImportLists();
    void RenameList(int row, const std::string& text);
    void SortLists();
    void ApplySortType(std::int32_t sortType);
    void PreviewFirstEntry();
    bool ListsKey(int key, Qt::KeyboardModifiers modifiers);
    bool EntriesKey(int key, Qt::KeyboardModifiers modifiers);
    bool DragEvent(QEvent* event, bool onEntries);
    void AnnounceSearch(const std::string& folder, SearchKind kind);
    void StartSearch(const std::string& folder, SearchKind kind);
    void SearchDelivered(std::uint64_t id, SearchKind kind, const std::string& listPath,
                         std::vector<std::string> found);
    void ApplyPendingBatch();
    void Report(const std::exception& error);
    template <typename Work> void Guard(Work&& work);

    TOptions& m_options;
    const TLanguage* m_language;
    WallpaperSetter& m_wallpaper;
    Shell& m_shell;

    QLabel* m_caption = nullptr;
    QLabel* m_filesTitle = nullptr;
    QTreeView* m_lvILists = nullptr;
    QTreeView* m_lvILFiles = nullptr;
    ListsModel* m_lists = nullptr;
    EntriesModel* m_entries = nullptr;
    PicturePreview* m_preview = nullptr;
    ColumnLimits* m_columns = nullptr;
    std::map<std::string, QToolButton*> m_buttons;
    std::map<std::string, QAction*> m_items;
    QMenu* m_pilILPM = nullptr;
    QMenu* m_pilIFPM = nullptr;
    QMenu* m_pilbRemPM = nullptr;

    // The list file the entries view shows, as it was when it was read; and the last list
    // whose read failed and was reported, as it was then.
    struct ShownFile
    {
        std::string path;
        ListFileStamp stamp;
    };
    std::optional<ShownFile> m_shownList;
    std::optional<ShownFile> m_failedList;
    bool m_bulk = false;
    std::string m_dialogFolder;

    std::map<std::uint64_t, std::unique_ptr<SearchJob>> m_jobs;
    std::uint64_t m_nextJob = 0;
    std::deque<PendingSearch> m_pending;
    bool m_applying = false;
};

// Errors of a handler end it and are shown in a message box; the page goes on.
template <typename Work> void ImageListsPage::Guard(Work&& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        Report(error);
    }
}

} // namespace ondrix
