// The operations of the themes page: buttons, menu items and keys. The decisions live in the
// theme store; here they meet the list.
#include "ChangeScheduler.h"
#include "Dialogs.h"
#include "Glyphs.h"
#include "ThemesPage.h"
#include "app/options.h"
#include "core/Paths.h"
#include "imagelists/ImageListStore.h"
#include "platform/Shell.h"

#include <QKeyEvent>
#include <QMenu>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>

namespace ondrix {

namespace {

constexpr int kPathColumn = 2;

// The style names of the language; a style number without one has an empty name.
std::string StyleName(const TLanguage& language, std::int32_t index)
{
    if (index < 0 || index > 4)
        return {};
    return language.Text(static_cast<Txt>(static_cast<std::int32_t>(Txt::STYLES_s0) + index));
}

} // namespace

bool ThemesPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_lvAdvanc && watched != m_lvAdvanc->viewport())
        return TitledPage::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        if (watched != m_lvAdvanc)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        bool handled = false;
        Guard([&] { handled = ListKey(key->key(), key->modifiers()); });
        return handled;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        if (watched == m_lvAdvanc)
            Guard([&] { lvAdvancEnter(); });
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return DragEvent(event);
    default:
        return TitledPage::eventFilter(watched, event);
    }
}

// Keys of the table act (or, when their condition fails, do nothing); every other key goes on
// to the main window.
bool ThemesPage::ListKey(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        padvbApplayClick();
        return true;
    case Qt::Key_Insert:
        padvbOpenClick();
        return true;
    case Qt::Key_Delete:
        if (modifiers.testFlag(Qt::ShiftModifier) && m_buttons["padvbDelete"]->isEnabled())
            padvbDeleteClick();
        else if (m_items["padvbRemPM1"]->isEnabled())
            padvbRemPM1Click();
        return true;
    case Qt::Key_I:
        DownloadLink1();
        return true;
    case Qt::Key_N:
        if (ctrl)
            padvbCreateClick();
        return true;
    case Qt::Key_O:
        if (ctrl)
            padvbOpenClick();
        return true;
    case Qt::Key_R:
        if (m_buttons["padvbReport"]->isEnabled())
            padvbReportClick();
        return true;
    default:
        return false;
    }
}

std::optional<std::string> ThemesPage::SelectedPackage()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return std::nullopt;
    const std::string path = PackagePathOf(*m_lvAdvanc->topLevelItem(rows.front()));
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        Dialogs::ShowError(this,
                           QStringLiteral("The theme package \"%1\" is no longer there.").arg(ToQ(path)));
        return std::nullopt;
    }
    return path;
}

void ThemesPage::padvbApplayClick()
{
    const auto path = SelectedPackage();
    if (!path)
        return;
    const QByteArray previous = QByteArray::fromStdString(m_options.cadvTheme);
    m_options.cadvTheme = *path;
    emit applyRequested(ToQ(m_language->Text(Txt::STATUS_BAR_msg3)) + QStringLiteral(": ") +
                            ToQ(StoreDisplayPath(FileNamePart(*path))),
                        previous);
}

void ThemesPage::padvbCreateClick()
{
    emit createRequested();
}

void ThemesPage::padvbDownloadClick()
{
    m_shell.Open(m_options.Links[2]); // a page that does not open is not reported
}

void ThemesPage::DownloadLink1()
{
    m_shell.Open(m_options.Links[1]);
}

void ThemesPage::padvbOpenClick()
{
    OpenFrom(QString());
}

void ThemesPage::padvbRemPM2Click()
{
    if (m_store)
        OpenFrom(ToQ(m_store->Environment().RecycleFolder()));
}

void ThemesPage::OpenFrom(const QString& folder)
{
    const QString filter =
        ToQ(m_language->Text(Txt::PAGE_ADVANCEDDESKTOP_filter0)) + QStringLiteral(" (*.ond)");
    const QStringList chosen = Dialogs::ChooseFiles(this, filter, folder);
    if (!chosen.isEmpty() && m_store) {
        std::vector<std::string> paths;
        for (const QString& path : chosen)
            paths.push_back(path.toStdString());
        // Only files of the store's own recycle folder are deleted once they are back.
        AppendRows(m_store->OpenPackages(paths));
    }
    RefreshRemoveButton();
    SortList();
    lvAdvancEnter();
}

void ThemesPage::ListPackage(const ThemeRow& row)
{
    AppendRow(row);
    RefreshRemoveButton();
    SortList();
    lvAdvancEnter();
}

void ThemesPage::padvbRemoveClick()
{
    if (m_store && m_store->RecycledThemesExist()) {
        m_padvbRemPM->popup(m_buttons["padvbRemove"]->mapToGlobal(QPoint(16, 32)));
        return;
    }
    padvbRemPM1Click();
}

void ThemesPage::padvbRemPM1Click()
{
    RemoveSelected(true);
    RefreshRemoveButton();
    lvAdvancEnter();
}

void ThemesPage::padvbDeleteClick()
{
    RemoveSelected(false);
    lvAdvancEnter();
}

void ThemesPage::RemoveSelected(bool toRecycleFolder)
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty() || !m_store)
        return;
    std::vector<std::string> paths;
    for (int row : rows)
        paths.push_back(PackagePathOf(*m_lvAdvanc->topLevelItem(row)));
    const std::size_t rowsBefore = static_cast<std::size_t>(m_lvAdvanc->topLevelItemCount());
    std::vector<std::string> errors;
    const ThemeStore::RemoveResult result =
        m_store->RemovePackages(paths, toRecycleFolder, m_options.cadvTheme, [&] {
            try {
                if (currentThemeRemoved)
                    currentThemeRemoved();
            } catch (const std::exception& error) {
                errors.emplace_back(error.what());
            }
        });
    // A package that could not be moved or deleted stays in the store, and its row stays.
    std::vector<std::size_t> removedRows;
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (std::find(result.Removed.begin(), result.Removed.end(), paths[i]) != result.Removed.end())
            removedRows.push_back(static_cast<std::size_t>(rows[i]));
    for (auto it = removedRows.rbegin(); it != removedRows.rend(); ++it)
        delete m_lvAdvanc->takeTopLevelItem(static_cast<int>(*it));
    if (!removedRows.empty()) {
        m_lvAdvanc->clearSelection();
        if (const auto neighbour = NeighbourAfterRemoval(removedRows, rowsBefore))
            SelectRow(static_cast<int>(*neighbour));
    }
    errors.insert(errors.begin(), result.Errors.begin(), result.Errors.end());
    ShowErrors(errors);
}

void ThemesPage::padvbReportClick()
{
    const auto path = SelectedPackage();
    if (!path || !m_store)
        return;
    const QString caption = m_lvAdvanc->topLevelItem(SelectedRows().front())->text(0);
    const auto report = m_store->ReadReport(*path);
    if (!report)
        return; // no "theme.cfg": no report, no message
    const TLanguage& language = *m_language;
    const ThemeReportLabels labels{language.Text(Txt::PAGE_REPORT_r0), language.Text(Txt::PAGE_REPORT_r1),
                                   language.Text(Txt::PAGE_REPORT_r2), language.Text(Txt::PAGE_REPORT_r3),
                                   language.Text(Txt::PAGE_REPORT_r4)};
    std::string text =
        ThemeReportText(*report, labels, [&](std::int32_t index) { return StyleName(language, index); });
    // The store's path is shown the way this system writes paths.
    const std::string windowsForm = "..\\advThemes_\\" + report->FileName;
    if (const auto at = text.rfind(windowsForm); at != std::string::npos)
        text.replace(at, windowsForm.size(), StoreDisplayPath(report->FileName));
    emit reportReady(caption, ToQ(text));
}

} // namespace ondrix
