// The operations of the image lists page: buttons, menu items, keys, drops and the folder
// search. The decisions live in the image list store; here they meet the views.
#include "Dialogs.h"
#include "Glyphs.h"
#include "ImageListModels.h"
#include "ImageListsPage.h"
#include "PicturePreview.h"
#include "app/options.h"
#include "imagelists/EntryBatch.h"
#include "imagelists/ListFile.h"
#include "platform/Shell.h"
#include "wallpaper/BmpCodec.h"
#include "wallpaper/WallpaperSetter.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
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

PictureSizeReader RealSizeReader()
{
    return [](const std::string& path, PictureKind kind) {
        const PictureSize size = ReadPictureSize(path, kind);
        return std::pair{size.width, size.height};
    };
}

// The local paths of a drop, in its order; addresses that are not local files are ignored.
std::vector<std::string> DroppedPaths(const QMimeData* mime)
{
    std::vector<std::string> paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    return paths;
}

} // namespace

bool ImageListsPage::eventFilter(QObject* watched, QEvent* event)
{
    const bool lists = watched == m_lvILists || watched == m_lvILists->viewport();
    const bool entries = watched == m_lvILFiles || watched == m_lvILFiles->viewport();
    if (!lists && !entries)
        return TitledPage::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        bool handled = false;
        Guard([&] {
            handled =
                lists ? ListsKey(key->key(), key->modifiers()) : EntriesKey(key->key(), key->modifiers());
        });
        return handled;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        if (watched == m_lvILists)
            Guard([&] { ListEnablingRules(); });
        else if (watched == m_lvILFiles)
            Guard([&] { EntryEnablingRules(); });
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return DragEvent(event, entries);
    default:
        return TitledPage::eventFilter(watched, event);
    }
}

bool ImageListsPage::ListsKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (m_buttons["pilbApplay"]->isEnabled())
            pilbApplayClick();
        return true;
    case Qt::Key_Insert:
        pilbAddClick();
        return true;
    case Qt::Key_Delete:
        if (modifiers.testFlag(Qt::ShiftModifier)) {
            if (m_buttons["pilbDelete"]->isEnabled())
                pilbDeleteClick();
        } else if (m_items["pilbRemPM1"]->isEnabled()) {
            pilbRemoveClick();
        }
        return true;
    case Qt::Key_N:
        if (ctrl && !modifiers.testFlag(Qt::KeypadModifier))
            pilbCreateClick();
        return true;
    case Qt::Key_O:
        if (ctrl)
            pilbAddClick();
        return true;
    default:
        return false;
    }
}

bool ImageListsPage::EntriesKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (m_buttons["pilbIFWallPaper"]->isEnabled())
            pilbIFWallPaperClick();
        return true;
    case Qt::Key_Insert:
        pilbIFAddClick();
        return true;
    case Qt::Key_Delete:
        if (m_buttons["pilbIFRemove"]->isEnabled())
            pilbIFRemoveClick();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!shift)
            return false; // the view's own movement
        if (key == Qt::Key_Up && m_buttons["pilbIFMoveUp"]->isEnabled())
            pilbIFMoveUpClick();
        else if (key == Qt::Key_Down && m_buttons["pilbIFMoveDown"]->isEnabled())
            pilbIFMoveDownClick();
        return true;
    case Qt::Key_O:
        if (modifiers.testFlag(Qt::ControlModifier))
            pilbIFAddClick();
        return true;
    default:
        return false;
    }
}

void ImageListsPage::pilbApplayClick()
{
    const int row = SelectedListRow();
    if (row < 0)
        return;
    m_options.cIList = m_lists->Row(row).Path;
    m_options.cImg = m_entries->rowCount() > 0 ? m_entries->PathOf(0) : std::string();
    emit pictureModeRequested();
}

void ImageListsPage::pilbCreateClick()
{
    m_lists->AppendRow(Store().CreateList());
    const QModelIndex index = m_lists->index(m_lists->rowCount() - 1, 0);
    SelectList(index.row());
    m_lvILists->setFocus();
    m_lvILists->edit(index);
}

void ImageListsPage::RenameList(int row, const std::string& text)
{
    ImageList list = m_lists->Row(row);
    try {
        Store().RenameList(list, text);
    } catch (const std::exception& error) {
        // The editor is still closing; the message waits until it has.
        const QString message = QString::fromUtf8(error.what());
        QTimer::singleShot(0, this, [this, message] { Dialogs::ShowError(this, message); });
        return;
    }
    m_lists->UpdateRow(row, list);
    if (m_hasShownList && row == SelectedListRow())
        m_shownListPath = list.Path;
}

void ImageListsPage::pilbAddClick()
{
    ImportLists();
}

void ImageListsPage::ImportLists()
{
    const QString filter =
        ToQ(m_language->Text(Txt::PAGE_ADVANCEDDESKTOP_filter2)) + QStringLiteral(" (*.lst)");
    const QStringList chosen = Dialogs::ChooseFiles(this, filter, ToQ(m_dialogFolder));
    if (!chosen.isEmpty()) {
        std::vector<std::string> paths;
        for (const QString& path : chosen)
            paths.push_back(path.toStdString());
        const ImageListStore::ImportResult result = Store().ImportLists(paths);
        for (const ImageList& row : result.Rows)
            AppendImported(row);
        if (!result.Errors.empty()) {
            QStringList errors;
            for (const std::string& error : result.Errors)
                errors << ToQ(error);
            Dialogs::ShowError(this, errors.join(QLatin1Char('\n')));
        }
    }
    RefreshRemoveButton();
    SortLists();
    ListEnablingRules();
}

void ImageListsPage::AppendImported(const ImageList& row)
{
    m_lists->AppendRow(row);
    if (row.Path == m_options.cIList && SelectedListRows().empty())
        SelectList(m_lists->rowCount() - 1);
}

void ImageListsPage::pilbRemoveClick()
{
    if (Store().RecycledListsExist()) {
        QToolButton* button = m_buttons["pilbRemove"];
        m_pilbRemPM->popup(button->mapToGlobal(QPoint(16, 32)));
        return;
    }
    RemoveSelectedLists(true);
}

void ImageListsPage::pilbRemPM1Click()
{
    RemoveSelectedLists(true);
}

void ImageListsPage::pilbRemPM2Click()
{
    m_dialogFolder = Store().RecycleFolder();
    ImportLists();
    m_dialogFolder = m_options.AppDir;
}

void ImageListsPage::pilbDeleteClick()
{
    RemoveSelectedLists(false);
}

void ImageListsPage::RemoveSelectedLists(bool recycle)
{
    const std::vector<int> rows = SelectedListRows();
    if (rows.empty())
        return;
    const std::size_t rowsBefore = static_cast<std::size_t>(m_lists->rowCount());
    const ImageListStore store = Store();
    std::vector<std::size_t> removed;
    QStringList errors;
    bool clearWallpaper = false;
    m_bulk = true;
    for (int original : rows) {
        const int row = original - static_cast<int>(removed.size());
        const ImageList list = m_lists->Row(row);
        try {
            if (recycle)
                store.RecycleList(list); // under a free name when its own is taken there
            else
                store.DeleteList(list);
        } catch (const std::exception& error) {
            errors << QString::fromUtf8(error.what()); // the list stays, and so does its row
            continue;
        }
        if (m_options.cIList == list.Path) {
            m_options.cIList.clear();
            m_options.cImg.clear();
            clearWallpaper = true;
        }
        m_lists->RemoveRow(row);
        removed.push_back(static_cast<std::size_t>(original));
    }
    m_lvILists->selectionModel()->clearSelection();
    m_bulk = false;
    if (const auto neighbour = NeighbourAfterRemoval(removed, rowsBefore))
        SelectList(static_cast<int>(*neighbour));
    else
        ListSelectionChanged();
    if (recycle)
        RefreshRemoveButton();
    ListEnablingRules();
    if (clearWallpaper) {
        try {
            m_wallpaper.SetWallpaper("");
        } catch (const std::exception& error) {
            errors << QString::fromUtf8(error.what());
        }
    }
    if (!errors.isEmpty())
        Dialogs::ShowError(this, errors.join(QLatin1Char('\n')));
}

void ImageListsPage::pilbDownloadClick()
{
    m_shell.Open(m_options.Links[2]); // a page that does not open is not reported
}

void ImageListsPage::pilbIFAddClick()
{
    if (m_lists->rowCount() == 0) {
        pilbCreateClick();
        return;
    }
    const int listRow = SelectedListRow();
    if (listRow < 0)
        return; // no list to add to
    const QString filter =
        ToQ(m_language->Text(Txt::PAGE_ADVANCEDDESKTOP_filter3)) + QStringLiteral(" (*.bmp *.jpg *.jpeg)");
    const QStringList chosen = Dialogs::ChooseFiles(this, filter, ToQ(m_dialogFolder));
    if (chosen.isEmpty())
        return;
    ImageList list = m_lists->Row(listRow);
    try {
        for (const QString& path : chosen)
            Store().AddPictureToList(list, path.toStdString(), RealSizeReader());
    } catch (const std::exception&) {
        // A picture that cannot be read ends the adding; those before it stay in the list.
        m_lists->UpdateRow(listRow, list);
        return;
    }
    m_lists->UpdateRow(listRow, list);
    ShowListEntries(listRow);
    if (const auto row = SelectionAfterAdding(static_cast<std::size_t>(m_entries->rowCount())))
        SelectEntry(static_cast<int>(*row));
    EntryEnablingRules();
}

void ImageListsPage::pilbIFRemoveClick()
{
    const int listRow = SelectedListRow();
    const int entry = SelectedEntryRow();
    if (listRow < 0 || entry < 0)
        return;
    ImageList list = m_lists->Row(listRow);
    const std::size_t removed = Store().RemoveEntry(list, m_entries->PathOf(entry), m_entries->SizeOf(entry));
    m_lists->UpdateRow(listRow, list);
    ShowListEntries(listRow);
    if (removed > 0)
        SelectEntry(static_cast<int>(removed) - 1);
    else if (m_entries->rowCount() > 0)
        SelectEntry(0);
    EntryEnablingRules();
}

void ImageListsPage::pilbIFWallPaperClick()
{
    const int listRow = SelectedListRow();
    const int entry = SelectedEntryRow();
    if (listRow < 0 || entry < 0)
        return;
    m_options.cIList = m_lists->Row(listRow).Path;
    m_options.cImg = m_entries->PathOf(entry);
    emit pictureModeRequested();
}

void ImageListsPage::pilbIFMoveUpClick()
{
    const int listRow = SelectedListRow();
    const int entry = SelectedEntryRow();
    if (listRow < 0 || entry < 0)
        return;
    const std::size_t moved = Store().MoveEntryUp(m_lists->Row(listRow), static_cast<std::size_t>(entry));
    ShowListEntries(listRow);
    SelectEntry(static_cast<int>(moved));
}

void ImageListsPage::pilbIFMoveDownClick()
{
    const int listRow = SelectedListRow();
    const int entry = SelectedEntryRow();
    if (listRow < 0 || entry < 0)
        return;
    const std::size_t moved = Store().MoveEntryDown(m_lists->Row(listRow), static_cast<std::size_t>(entry));
    ShowListEntries(listRow);
    SelectEntry(static_cast<int>(moved));
}

void ImageListsPage::pilprewIMageDblClick()
{
    if (!m_preview->HasPicture())
        return;
    // The work file gets the picture at its own size, not the preview's.
    const std::string workFile = m_wallpaper.WorkFilePath();
    WriteBmp(DecodeFullPicture(m_preview->PicturePath()), workFile);
    if (disableActiveDesktop)
        disableActiveDesktop();
    m_wallpaper.SetWallpaper(workFile);
}

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
                if (listRow >= 0)
                    StartSearch(path, SearchKind::Pictures);
            } else if (listRow >= 0) {
                ImageList list = m_lists->Row(listRow);
                Store().AddPictureToList(list, path, RealSizeReader());
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

void ImageListsPage::StartSearch(const std::string& folder, SearchKind kind)
{
    emit statusText(ToQ(m_language->Text(Txt::STATUS_BAR_msg2)) + QStringLiteral(": ") + ToQ(folder) +
                    ToQ(SearchPatternOf(kind)));
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
        search = [reader = RealSizeReader()](const std::string& root, std::stop_token stop) {
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
