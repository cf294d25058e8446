// Drops on the image lists page's views and the folder searches they start: the walk runs on
// a worker thread, and what it found goes into the store and the views on this thread, a
// share at a time.
#include "DroppedPaths.h"
#include "Glyphs.h"
#include "ImageListModels.h"
#include "ImageListsPage.h"
#include "StatusPanels.h"
#include "app/options.h"
#include "imagelists/EntryBatch.h"

#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

namespace ondrix {

namespace {

// Pictures and lists applied in one event-loop turn: enough to be quick, few enough that the
// window keeps answering while a big folder's result goes in. Each list is a durable file
// copy, so lists go in for a share of a turn's time rather than by a fixed number.
constexpr std::size_t kListBatch = 100;
constexpr std::size_t kEntryBatch = 2000;
constexpr qint64 kTurnBudgetMs = 25;

} // namespace

bool ImageListsPage::DragEvent(QEvent* event, bool onEntries)
{
    auto* drop = static_cast<QDropEvent*>(event);
    const QMimeData* mime = drop->mimeData();
    // Files from the file manager on both views; rows only when dragged within the entries view.
    const bool files = !DroppedPaths(mime).empty();
    const bool row = onEntries && m_entries->DraggedRow(mime) >= 0;
    if (!files && !row) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (event->type() == QEvent::Drop) {
        const QPoint at = drop->position().toPoint();
        Guard([&] { onEntries ? DropOnEntries(mime, at) : DropOnLists(mime); });
    }
    return true;
}

void ImageListsPage::DropOnLists(const QMimeData* mime)
{
    for (const std::string& path : DroppedPaths(mime)) {
        if (IsFolder(path)) {
            StartSearch(path, SearchKind::ImageLists);
        } else if (HasListExtension(path)) {
            AppendImported(Store().ImportListFile(path));
        }
    }
}

void ImageListsPage::DropOnEntries(const QMimeData* mime, QPoint position)
{
    const int dragged = m_entries->DraggedRow(mime);
    if (dragged >= 0) {
        // The new order lasts until the view is filled again; the file keeps its own.
        const QModelIndex target = m_lvILFiles->indexAt(position);
        const int moved =
            m_entries->MoveRow(dragged, target.isValid() ? target.row() : m_entries->rowCount());
        SelectEntry(moved);
        return;
    }
    const int listRow = SelectedListRow();
    m_lvILists->setEnabled(false);
    try {
        for (const std::string& path : DroppedPaths(mime)) {
            if (IsFolder(path)) {
                // The status bar names the drop also when there is no list to add to.
                if (listRow >= 0)
                    StartSearch(path, SearchKind::Pictures);
                else
                    AnnounceSearch(path, SearchKind::Pictures);
            } else if (listRow >= 0) {
                ImageList list = m_lists->Row(listRow);
                Store().AddPictureToList(list, path, SizeReader());
                m_lists->UpdateRow(listRow, list);
            }
            if (listRow >= 0)
                ShowListEntries(listRow);
        }
    } catch (...) {
        m_lvILists->setEnabled(true);
        throw;
    }
    m_lvILists->setEnabled(true);
}

void ImageListsPage::AnnounceSearch(const std::string& folder, SearchKind kind)
{
    emit statusText(ToQ(m_language->Text(Txt::STATUS_BAR_msg2)) + QStringLiteral(": ") + ToQ(folder) +
                    ToQ(DisplayPath(SearchPatternOf(kind))));
}

void ImageListsPage::StartSearch(const std::string& folder, SearchKind kind)
{
    AnnounceSearch(folder, kind);
    const std::uint64_t id = m_nextJob++;
    const std::string listPath =
        kind == SearchKind::Pictures ? m_lists->Row(SelectedListRow()).Path : std::string();
    QPointer<ImageListsPage> guard(this);
    // Runs on the worker thread; the page's destructor ends every job before the page goes.
    auto deliver = [this, guard, id, kind, listPath](std::vector<std::string> found) {
        QMetaObject::invokeMethod(
            this,
            [this, guard, id, kind, listPath, found = std::move(found)]() mutable {
                if (guard)
                    SearchDelivered(id, kind, listPath, std::move(found));
            },
            Qt::QueuedConnection);
    };
    SearchJob::Search search;
    if (kind == SearchKind::Pictures)
        search = [reader = SizeReader()](const std::string& root, std::stop_token stop) {
            return FindPictureEntryLines(root, reader, stop);
        };
    else
        search = [](const std::string& root, std::stop_token stop) { return FindListFiles(root, stop); };
    m_jobs.emplace(id, std::make_unique<SearchJob>(folder, std::move(search), std::move(deliver)));
}

void ImageListsPage::SearchDelivered(std::uint64_t id, SearchKind kind, const std::string& listPath,
                                     std::vector<std::string> found)
{
    m_jobs.erase(id);
    m_pending.push_back({kind, listPath, std::move(found), 0});
    if (!m_applying) {
        m_applying = true;
        QTimer::singleShot(0, this, &ImageListsPage::ApplyPendingBatch);
    }
}

void ImageListsPage::ApplyPendingBatch()
{
    if (m_pending.empty()) {
        m_applying = false;
        return;
    }
    PendingSearch& search = m_pending.front();
    const bool lists = search.kind == SearchKind::ImageLists;
    const BatchSlice slice = NextBatch(search.done, search.items.size(), lists ? kListBatch : kEntryBatch);
    const auto begin = search.items.begin() + static_cast<std::ptrdiff_t>(slice.begin);
    const auto end = search.items.begin() + static_cast<std::ptrdiff_t>(slice.end);
    if (lists) {
        QElapsedTimer turn;
        turn.start();
        const ImageListStore store = Store();
        for (auto it = begin; it != end && (it == begin || turn.elapsed() < kTurnBudgetMs); ++it) {
            ++search.done;
            try {
                AppendImported(store.ImportListFile(*it));
            } catch (const std::exception&) {
                // A list that cannot be read is passed over; the search goes on.
            }
        }
    } else {
        search.done = slice.end;
        const auto& rows = m_lists->Rows();
        const auto target = std::find_if(rows.begin(), rows.end(),
                                         [&](const ImageList& row) { return row.Path == search.listPath; });
        if (target == rows.end()) {
            search.done = search.items.size(); // the list is gone: nothing to add to
        } else {
            const int row = static_cast<int>(target - rows.begin());
            ImageList list = *target;
            Guard([&] {
                AppendEntryLines(list, std::vector<std::string>(begin, end));
                m_lists->UpdateRow(row, list);
            });
            if (search.done == search.items.size() && row == SelectedListRow())
                Guard([&] { ShowListEntries(row); });
        }
    }
    if (search.done >= search.items.size()) {
        m_pending.pop_front();
        emit searchApplied();
    }
    QTimer::singleShot(0, this, &ImageListsPage::ApplyPendingBatch);
}

} // namespace ondrix
