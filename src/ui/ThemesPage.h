#pragma once

#include "PageShells.h"
#include "imagelists/FolderSearch.h"
#include "themes/ThemeStore.h"

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
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace ondrix {

struct TOptions;
class ColumnLimits;
class Shell;

// How the themes page shows a package of the store: "../advThemes_/" + its file name.
std::string StoreDisplayPath(const std::string& fileName);

// Page 0, the desktop themes: the packages of the theme store, with the buttons, menus,
// keys and drops that apply, open, recycle, restore, delete and describe them.
class ThemesPage : public TitledPage
{
    Q_OBJECT
public:
    // Item data of the rows: the image number in column 0, the date as a day number in
    // column 1 (none when the date is unknown); of the header: 6 ascending, 7 descending.
    static constexpr int kImageRole = Qt::UserRole + 1;
    static constexpr int kDayRole = Qt::UserRole + 2;
    static constexpr int kMarkerRole = Qt::UserRole + 3;

    // store may be null: the page then lists nothing and its operations do nothing.
    ThemesPage(TOptions& options, const TLanguage& language, Shell& shell, const ThemeStore* store,
               QWidget* parent = nullptr);
    ~ThemesPage() override;

    void ApplyTexts(const TLanguage& language);
    // Start-up: the rows of the store, then the sort rule saved in the options.
    void FillAtStartup();

    // Brings a package into the store and shows its row: a new one at the end, or the row
    // that shows that package already. False when it is no theme package. Throws like
    // ThemeStore::ImportThemePackage.
    bool ImportPackage(const std::string& path);

    int ThemeCount() const;
    QTreeWidget* lvAdvanc() const { return m_lvAdvanc; }
    ColumnLimits& Columns() const { return *m_columns; }
    QToolButton* Button(const std::string& name) const { return m_buttons.at(name); }
    QAction* Item(const std::string& name) const { return m_items.at(name); }
    QMenu* RemoveMenu() const { return m_padvbRemPM; }
    QMenu* ListMenu() const { return m_padvlvPopup; }
    std::vector<QWidget*> HintedButtons() const;
    int RunningSearches() const { return static_cast<int>(m_jobs.size() + m_pending.size()); }

    // Run when the current theme's package has left the store: the layer goes off and the
    // wallpaper shows no picture.
    std::function<void()> currentThemeRemoved;

    // Rules and operations; each is also reachable through its button, menu item or key.
    void lvAdvancEnter();
    void lvAdvancColumnClick(int column);
    void padvbApplayClick();
    void padvbCreateClick();
    void padvbOpenClick();
    void padvbRemoveClick();
    void padvbRemPM1Click();
    void padvbRemPM2Click();
    void padvbDeleteClick();
    void padvbReportClick();
    void padvbDownloadClick();
    void DownloadLink1();
    void DropOnList(const QMimeData* mime);
    // A package the store has just taken in outside the page (a command from the command
    // line): its row is added, or brought up to date, in the list's order.
    void ListPackage(const ThemeRow& row);

signals:
    // cadvTheme has been set; the main window switches changes on in theme mode while the
    // status bar shows the text. previousTheme (bytes of a path) is the current theme before,
    // which stays current when the chosen one cannot be shown.
    void applyRequested(const QString& statusText, const QByteArray& previousTheme);
    void createRequested();
    void reportReady(const QString& themeName, const QString& text);
    void statusText(const QString& text);
    // A folder search has brought its packages in and the list shows the store again.
    void searchApplied();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct PendingSearch
    {
        std::vector<std::string> packages;
        std::size_t done = 0;
        std::vector<std::string> errors; // of the packages found, shown once the search is applied
    };

    void BuildToolBar();
    void BuildList();
    void BuildMenus();
    QToolButton* MakeButton(const char* name, const char* glyph, void (ThemesPage::*handler)());
    QAction* MakeItem(QMenu* menu, const char* name, void (ThemesPage::*handler)());

    QTreeWidgetItem* NewItem(const ThemeRow& row) const;
    void UpdateItem(QTreeWidgetItem* item, const ThemeRow& row) const;
    void AppendRow(const ThemeRow& row);
    void AppendRows(const ThemeImportResult& result);
    std::vector<int> SelectedRows() const;
    void SelectRow(int row);
    void RefreshRemoveButton();
    void ApplySortType(std::int32_t sortType);
    void SortList();
    void OpenFrom(const QString& folder);
    void RemoveSelected(bool toRecycleFolder);
    // The first selected row's package path when the file is still there; otherwise shows
    // one message (a vanished package) and gives nothing.
    std::optional<std::string> SelectedPackage();
    bool ListKey(int key, Qt::KeyboardModifiers modifiers);
    bool DragEvent(QEvent* event);
    void StartSearch(const std::string& folder);
    void SearchDelivered(std::uint64_t id, std::vector<std::string> found);
    void ApplyPendingBatch();
    void ShowStoreAgain();
    void ShowErrors(const std::vector<std::string>& errors);
    template <typename Work> void Guard(Work&& work);

    TOptions& m_options;
    const TLanguage* m_language;
    Shell& m_shell;
    const ThemeStore* m_store;

    QLabel* m_caption = nullptr;
    QTreeWidget* m_lvAdvanc = nullptr;
    ColumnLimits* m_columns = nullptr;
    std::map<std::string, QToolButton*> m_buttons;
    std::map<std::string, QAction*> m_items;
    QMenu* m_padvlvPopup = nullptr;
    QMenu* m_padvbRemPM = nullptr;

    std::map<std::uint64_t, std::unique_ptr<SearchJob>> m_jobs;
    std::uint64_t m_nextJob = 0;
    std::deque<PendingSearch> m_pending;
    bool m_applying = false;
};

// Errors of a handler end it and are shown once in a message box; the page goes on.
template <typename Work> void ThemesPage::Guard(Work&& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        ShowErrors({error.what()});
    }
}

} // namespace ondrix
