// Files and folders dropped on the themes list. A folder is walked on a worker thread; the
// packages it holds go into the store on this thread, a share at a time, and then the list
// shows the whole store again.
#include "ChangeScheduler.h"
#include "DroppedPaths.h"
#include "Glyphs.h"
#include "StatusPanels.h"
#include "ThemesPage.h"
#include "app/options.h"

#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <set>

namespace ondrix {

namespace {

// Packages imported in one event-loop turn at most for this long, so that the window keeps
// answering while a big folder's packages go in.
constexpr qint64 kTurnBudgetMs = 25;
constexpr int kPathColumn = 2;

} // namespace

bool ThemesPage::DragEvent(QEvent* event)
{
    auto* drop = static_cast<QDropEvent*>(event);
    if (DroppedPaths(drop->mimeData()).empty()) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (event->type() == QEvent::Drop)
        Guard([&] { DropOnList(drop->mimeData()); });
    return true;
}

void ThemesPage::DropOnList(const QMimeData* mime)
{
    std::vector<std::string> errors;
    if (m_store) {
        for (const std::string& path : DroppedPaths(mime)) {
            if (IsFolder(path)) {
                StartSearch(path);
                continue;
            }
            // A file that cannot be read is reported; the other dropped files still go in.
            try {
                if (const auto row = m_store->ImportThemePackage(path))
                    AppendRow(*row);
            } catch (const std::exception& error) {
                errors.emplace_back(error.what());
            }
        }
    }
    RefreshRemoveButton();
    lvAdvancEnter();
    ShowErrors(errors);
}

void ThemesPage::StartSearch(const std::string& folder)
{
    emit statusText(ToQ(m_language->Text(Txt::STATUS_BAR_msg2)) + QStringLiteral(": ") + ToQ(folder) +
                    ToQ(DisplayPath(SearchPatternOf(SearchKind::ThemePackages))));
    const std::uint64_t id = m_nextJob++;
    QPointer<ThemesPage> guard(this);
    // Runs on the worker thread; the page's destructor ends every job before the page goes.
    auto deliver = [this, guard, id](std::vector<std::string> found) {
        QMetaObject::invokeMethod(
            this,
            [this, guard, id, found = std::move(found)]() mutable {
                if (guard)
                    SearchDelivered(id, std::move(found));
            },
            Qt::QueuedConnection);
    };
    m_jobs.emplace(id, std::make_unique<SearchJob>(folder, SearchKind::ThemePackages, std::move(deliver)));
}

void ThemesPage::SearchDelivered(std::uint64_t id, std::vector<std::string> found)
{
    m_jobs.erase(id);
    m_pending.push_back({std::move(found), 0, {}});
    if (!m_applying) {
        m_applying = true;
        QTimer::singleShot(0, this, &ThemesPage::ApplyPendingBatch);
    }
}

void ThemesPage::ApplyPendingBatch()
{
    if (m_pending.empty()) {
        m_applying = false;
        return;
    }
    PendingSearch& search = m_pending.front();
    QElapsedTimer turn;
    turn.start();
    while (search.done < search.packages.size() && (turn.elapsed() < kTurnBudgetMs || search.done == 0)) {
        const std::string& path = search.packages[search.done++];
        try {
            if (m_store)
                m_store->ImportThemePackage(path);
        } catch (const std::exception& error) {
            // A package that cannot be read is passed over and reported with the others at the end.
            search.errors.emplace_back(error.what());
        }
    }
    if (search.done >= search.packages.size()) {
        const std::vector<std::string> errors = std::move(search.errors);
        m_pending.pop_front();
        Guard([&] { ShowStoreAgain(); });
        ShowErrors(errors);
        emit searchApplied();
    }
    QTimer::singleShot(0, this, &ThemesPage::ApplyPendingBatch);
}

// The rows shown stay where they are, rows of packages that have gone leave, and the store's
// other packages (those the search brought in) follow at the end.
void ThemesPage::ShowStoreAgain()
{
    if (!m_store)
        return;
    const ThemeImportResult result = m_store->ScanThemeFolder(m_store->Environment().StoreFolder());
    std::set<std::string> inStore;
    for (const ThemeRow& row : result.Rows)
        inStore.insert(row.Path);
    for (int i = m_lvAdvanc->topLevelItemCount() - 1; i >= 0; --i)
        if (!inStore.count(PackagePathOf(*m_lvAdvanc->topLevelItem(i))))
            delete m_lvAdvanc->takeTopLevelItem(i);
    // The store's own damaged packages were reported when they were met; not again here.
    for (const ThemeRow& row : result.Rows)
        AppendRow(row);
    RefreshRemoveButton();
    lvAdvancEnter();
}

} // namespace ondrix
