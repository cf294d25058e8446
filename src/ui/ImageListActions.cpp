// The operations of the image lists page: buttons, menu items and keys. The decisions live in the image list
// store; here they meet the views.
#include "Dialogs.h"
#include "Glyphs.h"
#include "ImageListModels.h"
#include "ImageListsPage.h"
#include "PicturePreview.h"
#include "app/options.h"
#include "imagelists/ListFile.h"
#include "platform/Shell.h"
#include "wallpaper/BmpCodec.h"
#include "wallpaper/WallpaperSetter.h"

#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>

namespace ondrix {

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
        // With Shift and the move enabled the entry moves; otherwise the view's own movement.
        if (shift && key == Qt::Key_Up && m_buttons["pilbIFMoveUp"]->isEnabled()) {
            pilbIFMoveUpClick();
            return true;
        }
        if (shift && key == Qt::Key_Down && m_buttons["pilbIFMoveDown"]->isEnabled()) {
            pilbIFMoveDownClick();
            return true;
        }
        return false;
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
    // The view still shows the same entries, in the order shown; only the file is new.
    if (m_shownList && row == SelectedListRow())
        m_shownList = ShownFile{list.Path, StampOfListFile(list.Path)};
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
    // A file the view already shows (imported or restored again) keeps its one row, with the
    // new count: two rows of one file would leave one behind when the other is removed.
    const auto& rows = m_lists->Rows();
    const auto same = std::find_if(rows.begin(), rows.end(),
                                   [&](const ImageList& shown) { return shown.Path == row.Path; });
    int index = static_cast<int>(same - rows.begin());
    if (same != rows.end()) {
        m_lists->UpdateRow(index, row);
    } else {
        m_lists->AppendRow(row);
        index = m_lists->rowCount() - 1;
    }
    const std::vector<int> selected = SelectedListRows();
    if (row.Path == m_options.cIList && selected.empty())
        SelectList(index);
    else if (selected == std::vector<int>{index})
        ShowListEntries(index, true); // its file has just been replaced
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
            // Under a free name when its own is taken there; a list whose file has already
            // gone only loses its row.
            if (recycle)
                store.RecycleList(list);
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
    const QString filter = ToQ(m_language->Text(Txt::PAGE_ADVANCEDDESKTOP_filter3)) +
                           QStringLiteral(" (*.bmp *.jpg *.jpeg *.png *.webp)");
    const QStringList chosen = Dialogs::ChooseFiles(this, filter, ToQ(m_dialogFolder));
    if (chosen.isEmpty())
        return;
    ImageList list = m_lists->Row(listRow);
    try {
        for (const QString& path : chosen)
            Store().AddPictureToList(list, path.toStdString(), SizeReader());
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

} // namespace ondrix
