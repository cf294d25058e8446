// The main window's texts, status bar, hover texts and commands.
#include "ChangeScheduler.h"
#include "CreatorPage.h"
#include "Dialogs.h"
#include "Glyphs.h"
#include "ImageListsPage.h"
#include "MainMenuBuilder.h"
#include "MainToolBar.h"
#include "OptionsPage.h"
#include "PageShells.h"
#include "SideBar.h"
#include "StatusPanels.h"
#include "ThemesPage.h"
#include "aboutWin.h"
#include "app/options.h"
#include "core/Errors.h"
#include "core/Paths.h"
#include "platform/Shell.h"
#include "uMainForm.h"

#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>

#include <filesystem>

namespace ondrix {

void TfMain::ApplyTexts()
{
    setWindowTitle(ToQ(m_language.Caption));
    m_menu->ApplyTexts(m_language);
    m_captionStrip->setText(QStringLiteral("  ") + ToQ(m_language.Text(Txt::BUTTONS_CAPTIONS_bc0)));
    for (std::size_t i = 0; i < m_trayEntries.size(); ++i) {
        const auto key = static_cast<Txt>(static_cast<std::size_t>(Txt::TRYICON_POPUPMENU_m0) + i);
        m_trayEntries[i]->setText(ToQ(m_language.Text(key)));
    }
    m_trayIcon->setToolTip(ToQ(m_language.Caption));
    m_sideBar->ApplyTexts(m_language);
    m_toolBar->ApplyTexts(m_language);
    m_themesPage->ApplyTexts(m_language);
    m_imageListsPage->ApplyTexts(m_language);
    if (auto* optionsHost = qobject_cast<TitledPage*>(m_pageControl->widget(PageOptions)))
        optionsHost->SetTitle(m_language.Text(Txt::PAGES_ARTICLES_p2));
    m_optionsPage->ApplyTexts(m_language);
    m_creatorPage->ApplyTexts(m_language);
    m_reportPage->ApplyTexts(m_language);
    if (m_about)
        m_about->FillAboutTexts(m_language, m_options);
}

void TfMain::LangItemClick(QAction* entry)
{
    const auto& languages = m_options.LanguageList;
    if (languages.empty())
        return;
    const std::string name = entry->text().toStdString();
    const TMLang* chosen = &languages.back();
    for (const TMLang& language : languages) {
        if (language.Name == name) {
            chosen = &language;
            break;
        }
    }
    m_options.LanguageFileName = chosen->FileName;
    m_language.Load(m_options.LanguageFileName);
    ApplyTexts();
}

void TfMain::UpdateStatusBar()
{
    m_status->SetText(2, ToQ(StatusPanel2Text(m_language)));
    m_status->SetText(1, ToQ(StatusPanel1Text(m_language, m_options.state)));
    StatusInputs inputs;
    inputs.page = ActivePageIndex();
    inputs.themeCount = m_themesPage->ThemeCount();
    inputs.currentTheme = m_options.cadvTheme;
    inputs.listCount = m_imageListsPage->ListCount();
    inputs.currentList = m_options.cIList;
    inputs.optionsTabHint = m_optionsPage->CurrentTabHint().toStdString();
    inputs.reportThemeName = m_reportPage->ThemeName();
    m_status->SetText(0, ToQ(StatusPanel0Text(m_language, inputs)));
}

QString TfMain::StatusPanelText(int panel) const
{
    return m_status->Text(panel);
}

int TfMain::StatusPanelWidth(int panel) const
{
    return m_status->Width(panel);
}

void TfMain::b5Click(int tag)
{
    if (tag > 3) {
        OpenHelp();
        return;
    }
    // The status bar follows at the next tick of its timer.
    SetActivePage(tag);
}

void TfMain::b5MouseEnter(int tag)
{
    m_hoverLock = true;
    const auto key = static_cast<Txt>(static_cast<std::size_t>(Txt::BUTTONLIST_CAPTIONS_hint0) +
                                      static_cast<std::size_t>(tag));
    m_status->SetText(0, ToQ(m_language.Text(key)));
}

void TfMain::b5MouseLeave()
{
    m_hoverLock = false;
    UpdateStatusBar();
}

void TfMain::padvbApplayMouseEnter(const QWidget* control)
{
    m_hoverLock = true;
    m_status->SetText(0, control->toolTip());
}

void TfMain::padvbApplayMouseLeave()
{
    m_hoverLock = false;
    UpdateStatusBar();
}

void TfMain::prepBBackClick()
{
    UpdateStatusBar();
    SetActivePage(m_reportPage->prepBBack()->property("tag").toInt());
    m_hoverLock = false;
}

void TfMain::Timer1Timer()
{
    if (!m_hoverLock && m_noteShownUntil.hasExpired())
        UpdateStatusBar();
}

void TfMain::ShowStatusNote(const QString& text)
{
    constexpr int kNoteMilliseconds = 8000;
    m_noteShownUntil.setRemainingTime(kNoteMilliseconds);
    m_status->SetText(0, text);
}

// The preview header of the image lists page follows the selected entry.
void TfMain::Timer2Timer()
{
    m_imageListsPage->UpdatePreviewHeader();
}

// The change timers tick all the time; the scheduler decides on each tick whether to act.
void TfMain::Timer3Timer()
{
    m_scheduler->Timer3Timer();
}

void TfMain::Timer4Timer()
{
    m_scheduler->Timer4Timer();
}

void TfMain::OtherItemClick(int tag)
{
    switch (tag) {
    case 1:
        OpenDisplaySettings();
        break;
    case 2:
        CommitOptionsPage();
        HideToTray();
        break;
    case 3:
        close();
        break;
    case 10:
    case 20:
    case 30:
        SetActivePage(PageOptions);
        m_optionsPage->PCOptions()->setCurrentIndex(tag / 10 - 1);
        break;
    case 100:
        CreateAboutWindow();
        m_about->ShowModal(this);
        break;
    case 200:
        if (!m_options.Links[0].empty())
            m_shell.Open(m_options.Links[0]); // a link that does not open is not reported
        break;
    case 300:
        OpenHelp();
        break;
    default:
        break;
    }
}

void TfMain::OpenHelp()
{
    // The help entry is appended to the application folder exactly as written.
    const std::string path = AppPath(m_options.DataFolder(), m_language.Text(Txt::HELPFILE_filename));
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(std::filesystem::path(path), ignored) ||
        m_shell.Open(path) == ShellResult::FileNotFound)
        Dialogs::ShowError(this, QStringLiteral("Help file not found"));
}

void TfMain::OpenDisplaySettings()
{
    try {
        m_shell.OpenDisplaySettings();
    } catch (const PlatformError& error) {
        Dialogs::ShowError(this, QString::fromStdString(error.what()));
    }
}

void TfMain::tbbOnOffClick()
{
    m_scheduler->tbbOnOffClick();
}

void TfMain::tbbONOFFPM2Click()
{
    m_scheduler->tbbONOFFPM2Click();
}

void TfMain::tbbONOFFPM00Click()
{
    m_scheduler->tbbONOFFPM00Click();
}

void TfMain::tbbONOFFPM01Click()
{
    m_scheduler->tbbONOFFPM01Click();
}

void TfMain::tbbChStateClick()
{
    m_scheduler->tbbChStateClick();
}

} // namespace ondrix
