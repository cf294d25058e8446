#pragma once

#include "language/language.h"

#include <QDeadlineTimer>
#include <QMainWindow>
#include <QSystemTrayIcon>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QStackedWidget;
class QTimer;

namespace ondrix {

struct TOptions;
class Autostart;
class TRAgent;
class Shell;
class ThemeApplier;
class ThemeStore;
class ChangeScheduler;
class WallpaperSetter;
class HoverWatcher;
class ImageListsPage;
class MainMenuBuilder;
class MainToolBar;
class OptionsPage;
class CreatorPage;
class ReportPage;
class SideBar;
class StatusPanels;
class TfAbout;
class ThemesPage;

// The program's one working window: toolbar, side bar, five pages, status bar and the
// notification-area icon. It composes the pages and wires them; each page owns its part.
class TfMain : public QMainWindow
{
    Q_OBJECT
public:
    enum Page
    {
        PageThemes = 0,
        PageImageLists = 1,
        PageOptions = 2,
        PageCreator = 3,
        PageReport = 4,
    };

    // themeStore is the store of AppDir/advThemes_ the themes page lists and works on; the
    // program hands in the one it made with the component probes and the clock. Without one
    // (tests of other pages) the themes page stays empty.
    TfMain(TOptions& options, TRAgent& agent, Shell& shell, WallpaperSetter& wallpaper,
           ThemeApplier& activeDesktop, const ThemeStore* themeStore = nullptr, QWidget* parent = nullptr);
    ~TfMain() override;

    void CreateAboutWindow();
    TfAbout* AboutWindow() const { return m_about; }
    bool HasNotificationArea() const { return m_hasNotificationArea; }
    // For desktops whose notification area is known better than Qt knows it, and for tests.
    void SetNotificationAreaAvailable(bool available);

    const TLanguage& Language() const { return m_language; }
    void ApplyTexts();
    void LangItemClick(QAction* entry);

    void LoadOptionsPage();
    // Takes the options page into the options; the logon entry follows RunAtStartup (when
    // SetAutostart gave one), then onCommit runs and the change timers are armed again.
    void CommitOptionsPage();
    std::function<void()> onCommit;
    // The logon entry that starts executable; it is kept in line at every commit.
    void SetAutostart(Autostart* autostart, std::string executable);

    int ActivePageIndex() const;
    void SetActivePage(int index);

    void UpdateStatusBar();
    QString StatusPanelText(int panel) const;
    // A note of the program's own (how themes are shown) in the first status panel, kept
    // there for a few seconds before the page's own text comes back.
    void ShowStatusNote(const QString& text);
    int StatusPanelWidth(int panel) const;
    bool HoverLock() const { return m_hoverLock; }

    void FormResize(int outerWidth);
    void HideToTray();
    void TrayIconDblClick();
    void AppRestored();

    void b5Click(int tag);
    void b5MouseEnter(int tag);
    void b5MouseLeave();
    void padvbApplayMouseEnter(const QWidget* control);
    void padvbApplayMouseLeave();
    void prepBBackClick();
    void OtherItemClick(int tag);
    void bOKClick();
    void OpenHelp();
    void OpenDisplaySettings();

    void tbbOnOffClick();
    void tbbONOFFPM2Click();
    void tbbONOFFPM00Click();
    void tbbONOFFPM01Click();
    void tbbChStateClick();

    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void Timer4Timer();

    // A request line from the command line (ondrix --next and so on). It is carried out
    // through the same handlers as the tool bar's, never inside a running change: one that
    // comes meanwhile waits until the change is done. answer gets the encoded answer.
    void RemoteRequest(const std::string& line, std::function<void(const std::string& answer)> answer);
    int WaitingRequests() const { return static_cast<int>(m_requests.size()); }

    QSystemTrayIcon* TrayIcon() const { return m_trayIcon; }
    // Resource name of the picture the notification-area icon shows ("tray0" or "tray1").
    QString TrayPictureName() const { return m_trayPicture; }
    OptionsPage* OptionsPageWidget() const { return m_optionsPage; }
    ChangeScheduler* Scheduler() const { return m_scheduler; }
    ThemesPage* ThemesPageWidget() const { return m_themesPage; }
    ReportPage* ReportPageWidget() const { return m_reportPage; }
    CreatorPage* CreatorPageWidget() const { return m_creatorPage; }

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildLayout();
    void BuildTrayIcon();
    void BuildTimers();
    void WireHover();
    void WireThemesPage();
    void ApplyWindowType();
    void ShowEnabled();
    void ArmChangeTimers();
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void TrayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void RunWaitingRequests();
    // The encoded answer to one request line.
    std::string CarryOutRequest(const std::string& line);
    void ApplyThemeFile(const std::string& path);
    void SetPictureFile(const std::string& path);

    TOptions& m_options;
    TRAgent& m_agent;
    Shell& m_shell;
    WallpaperSetter& m_wallpaper;
    ThemeApplier& m_activeDesktop;
    const ThemeStore* m_themeStore;
    TLanguage m_language;
    Autostart* m_autostart = nullptr;
    std::string m_executable;

    MainToolBar* m_toolBar = nullptr;
    QLabel* m_captionStrip = nullptr;
    SideBar* m_sideBar = nullptr;
    QStackedWidget* m_pageControl = nullptr;
    ThemesPage* m_themesPage = nullptr;
    ImageListsPage* m_imageListsPage = nullptr;
    OptionsPage* m_optionsPage = nullptr;
    CreatorPage* m_creatorPage = nullptr;
    ReportPage* m_reportPage = nullptr;
    StatusPanels* m_status = nullptr;
    MainMenuBuilder* m_menu = nullptr;
    ChangeScheduler* m_scheduler = nullptr;
    HoverWatcher* m_hover = nullptr;
    TfAbout* m_about = nullptr;

    QSystemTrayIcon* m_trayIcon = nullptr;
    QMenu* m_trayMenu = nullptr;
    std::array<QAction*, 3> m_trayEntries{};
    QString m_trayPicture;
    bool m_hasNotificationArea = false;

    QTimer* m_timer1 = nullptr;
    QTimer* m_timer2 = nullptr;
    QTimer* m_timer3 = nullptr;
    QTimer* m_timer4 = nullptr;
    bool m_hoverLock = false;
    QDeadlineTimer m_noteShownUntil{0};
    bool m_centred = false;

    struct WaitingRequest
    {
        std::string line;
        std::function<void(const std::string&)> answer;
    };
    std::deque<WaitingRequest> m_requests;
    bool m_carryingOut = false;
};

} // namespace ondrix
