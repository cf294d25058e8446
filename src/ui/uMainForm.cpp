#include "uMainForm.h"

#include "ChangeScheduler.h"
#include "ColumnLimits.h"
#include "CreatorPage.h"
#include "Glyphs.h"
#include "HoverWatcher.h"
#include "ImageListsPage.h"
#include "MainMenuBuilder.h"
#include "MainToolBar.h"
#include "OptionsPage.h"
#include "PageShells.h"
#include "SideBar.h"
#include "StatusPanels.h"
#include "ThemesPage.h"
#include "WindowGeometry.h"
#include "aboutWin.h"
#include "app/StartupShortcut.h"
#include "app/options.h"
#include "themes/ThemeApplier.h"
#include "wallpaper/WallpaperSetter.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>
#include <limits>

namespace ondrix {

TfMain::TfMain(TOptions& options, TRAgent& agent, Shell& shell, WallpaperSetter& wallpaper,
               ThemeApplier& activeDesktop, const ThemeStore* themeStore, QWidget* parent)
    : QMainWindow(parent), m_options(options), m_agent(agent), m_shell(shell), m_wallpaper(wallpaper),
      m_activeDesktop(activeDesktop), m_themeStore(themeStore)
{
    setObjectName(QStringLiteral("fMain"));
    EnsureIconResources();
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
    setContextMenuPolicy(Qt::PreventContextMenu);
    m_hasNotificationArea = QSystemTrayIcon::isSystemTrayAvailable();
    ApplyWindowType();

    m_scheduler = new ChangeScheduler(m_options, m_wallpaper, m_activeDesktop, this, this);
    BuildLayout();
    BuildTrayIcon();
    BuildTimers();
    WireHover();

    m_language.Load(m_options.LanguageFileName);
    ApplyTexts();
    // Filled and sorted before the start-up change, which takes the theme after the current
    // one in this order.
    m_themesPage->FillAtStartup();
    m_imageListsPage->FillAtStartup();
    m_toolBar->ShowPictureMode(m_options.state == 1);
    ShowEnabled();
    ArmChangeTimers();
    // The lists are filled by now; an error of the start-up change is shown and start-up goes on.
    m_scheduler->StartupChange();
    UpdateStatusBar();
    FormResize(width() + kDesignFrameWidth);
}

TfMain::~TfMain() = default;

void TfMain::BuildLayout()
{
    m_toolBar = new MainToolBar(this);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    m_menu = new MainMenuBuilder(menuBar(), m_options);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_captionStrip = MakeCaptionStrip(central, "LMDGlyphLabel5");
    column->addWidget(m_captionStrip);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_sideBar = new SideBar(central);
    row->addWidget(m_sideBar);

    m_pageControl = new QStackedWidget(central);
    m_pageControl->setObjectName(QStringLiteral("PageControl"));
    m_themesPage = new ThemesPage(m_options, m_language, m_shell, m_themeStore, m_pageControl);
    m_imageListsPage = new ImageListsPage(m_options, m_language, m_wallpaper, m_shell, m_pageControl);
    auto* optionsHost = new TitledPage("TabSheet3", "p3articlelabel", m_pageControl);
    m_optionsPage = new OptionsPage(m_options, m_agent, optionsHost);
    optionsHost->Body()->addWidget(m_optionsPage, 1);
    m_creatorPage = new CreatorPage(m_options, m_agent, m_themeStore, *m_themesPage, m_pageControl);
    m_reportPage = new ReportPage(m_pageControl);
    for (QWidget* page : std::initializer_list<QWidget*>{m_themesPage, m_imageListsPage, optionsHost,
                                                         m_creatorPage, m_reportPage})
        m_pageControl->addWidget(page);
    row->addWidget(m_pageControl, 1);
    column->addLayout(row, 1);
    setCentralWidget(central);

    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    // 19 pixels by design, but never less than the desktop font and the panels' frames need.
    statusBar()->setMinimumHeight(19);
    m_status = new StatusPanels(statusBar());

    setMinimumSize(kDesignClientWidth, kDesignClientHeight);
    resize(kDesignClientWidth, kDesignClientHeight);

    connect(m_sideBar, &SideBar::buttonClicked, this, &TfMain::b5Click);
    connect(m_reportPage, &ReportPage::backClicked, this, &TfMain::prepBBackClick);
    connect(m_menu, &MainMenuBuilder::otherItemClicked, this, &TfMain::OtherItemClick);
    connect(m_menu, &MainMenuBuilder::languageEntryClicked, this, &TfMain::LangItemClick);
    connect(m_toolBar, &MainToolBar::bOKClicked, this, &TfMain::bOKClick);
    connect(m_toolBar, &MainToolBar::tbbOnOffClicked, this, &TfMain::tbbOnOffClick);
    connect(m_toolBar, &MainToolBar::tbbChStateClicked, this, &TfMain::tbbChStateClick);
    connect(m_toolBar, &MainToolBar::switchOffChosen, this, &TfMain::tbbONOFFPM2Click);
    connect(m_toolBar, &MainToolBar::switchOnThemesChosen, this, &TfMain::tbbONOFFPM00Click);
    connect(m_toolBar, &MainToolBar::switchOnPicturesChosen, this, &TfMain::tbbONOFFPM01Click);
    connect(m_scheduler, &ChangeScheduler::enabledChanged, this, &TfMain::ShowEnabled);
    // Commands from the command line that came during a change are taken up after it.
    connect(m_scheduler, &ChangeScheduler::changeFinished, this, &TfMain::RunWaitingRequests,
            Qt::QueuedConnection);
    connect(m_scheduler, &ChangeScheduler::modeChanged, m_toolBar, &MainToolBar::ShowPictureMode);
    connect(m_scheduler, &ChangeScheduler::modeSwitchedByButton, this,
            [this](std::uint8_t state) { m_status->SetText(1, ToQ(StatusPanel1Text(m_language, state))); });
    connect(m_scheduler, &ChangeScheduler::pageRequested, this,
            [this](int page) { m_sideBar->ButtonByTag(page)->click(); });
    connect(m_imageListsPage, &ImageListsPage::pictureModeRequested, this, &TfMain::tbbONOFFPM01Click);
    connect(m_imageListsPage, &ImageListsPage::statusText, this,
            [this](const QString& text) { m_status->SetText(0, text); });
    m_imageListsPage->disableActiveDesktop = [this] { m_activeDesktop.DisableActiveDesktop(); };
    WireThemesPage();
    m_scheduler->listRows = [this] { return m_imageListsPage->ListRows(); };
    m_scheduler->themePaths = [this] { return ThemePackagePaths(*m_themesPage->lvAdvanc()); };
}

void TfMain::WireThemesPage()
{
    connect(m_themesPage, &ThemesPage::applyRequested, this,
            [this](const QString& text, const QByteArray& previousTheme) {
                // The status text stays while the theme goes on, whatever the status timer does.
                m_hoverLock = true;
                m_status->SetText(0, text);
                m_scheduler->ApplyThemeByHand(previousTheme.toStdString());
                m_hoverLock = false;
            });
    connect(m_themesPage, &ThemesPage::createRequested, this,
            [this] { m_sideBar->ButtonByTag(PageCreator)->click(); });
    connect(m_creatorPage, &CreatorPage::themeCreated, this,
            [this] { m_sideBar->ButtonByTag(PageThemes)->click(); });
    connect(m_themesPage, &ThemesPage::reportReady, this, [this](const QString& name, const QString& text) {
        m_reportPage->ShowReport(name, text);
        m_reportPage->prepBBack()->setProperty("tag", int(PageThemes));
        SetActivePage(PageReport);
        m_hoverLock = false;
    });
    connect(m_themesPage, &ThemesPage::statusText, this,
            [this](const QString& text) { m_status->SetText(0, text); });
    m_themesPage->currentThemeRemoved = [this] {
        m_activeDesktop.DisableActiveDesktop();
        m_wallpaper.SetWallpaper(std::string());
    };
}

void TfMain::BuildTrayIcon()
{
    m_trayIcon = new QSystemTrayIcon(this);
    m_trayIcon->setObjectName(QStringLiteral("TrayIcon"));
    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName(QStringLiteral("pmtryIcon"));
    for (std::size_t i = 0; i < m_trayEntries.size(); ++i) {
        m_trayEntries[i] = m_trayMenu->addAction(QString());
        m_trayEntries[i]->setObjectName(QStringLiteral("pmtryIcon%1").arg(i));
    }
    connect(m_trayEntries[0], &QAction::triggered, this, &TfMain::TrayIconDblClick);
    connect(m_trayEntries[1], &QAction::triggered, this, &TfMain::OpenDisplaySettings);
    connect(m_trayEntries[2], &QAction::triggered, this, &TfMain::close);
    m_trayIcon->setContextMenu(m_trayMenu);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &TfMain::TrayIconActivated);
    // The picture follows the on/off state (ShowEnabled); an icon is never shown without one.
    m_trayIcon->setIcon(Glyph(m_options.Enabled ? "tray1" : "tray0"));
    if (m_hasNotificationArea)
        m_trayIcon->show();
}

void TfMain::TrayIconActivated(QSystemTrayIcon::ActivationReason reason)
{
    // The left click; the right click opens the context menu by itself.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
        TrayIconDblClick();
}

void TfMain::BuildTimers()
{
    const auto makeTimer = [this](const char* name, int interval) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QString::fromLatin1(name));
        timer->setInterval(interval);
        return timer;
    };
    m_timer1 = makeTimer("Timer1", 1000);
    m_timer2 = makeTimer("Timer2", 200);
    m_timer3 = makeTimer("Timer3", 0);
    m_timer4 = makeTimer("Timer4", 0);
    connect(m_timer1, &QTimer::timeout, this, &TfMain::Timer1Timer);
    connect(m_timer2, &QTimer::timeout, this, &TfMain::Timer2Timer);
    connect(m_timer3, &QTimer::timeout, this, &TfMain::Timer3Timer);
    connect(m_timer4, &QTimer::timeout, this, &TfMain::Timer4Timer);
    m_timer1->start();
    m_timer2->start();
}

void TfMain::WireHover()
{
    m_hover = new HoverWatcher(this);
    for (int tag = 0; tag < SideBar::kButtonCount; ++tag)
        m_hover->Watch(m_sideBar->ButtonByTag(tag));
    for (QWidget* control : std::initializer_list<QWidget*>{m_toolBar->tbbOnOff(), m_toolBar->tbbChState(),
                                                            m_toolBar->bOK(), m_reportPage->prepBBack()})
        m_hover->Watch(control);
    for (QWidget* control : m_imageListsPage->HintedButtons())
        m_hover->Watch(control);
    for (QWidget* control : m_themesPage->HintedButtons())
        m_hover->Watch(control);
    connect(m_hover, &HoverWatcher::entered, this, [this](QWidget* control) {
        if (control->parentWidget() && control->parentWidget()->parentWidget() == m_sideBar)
            b5MouseEnter(SideBar::TagOf(control));
        else
            padvbApplayMouseEnter(control);
    });
    connect(m_hover, &HoverWatcher::left, this, [this](QWidget* control) {
        if (control->parentWidget() && control->parentWidget()->parentWidget() == m_sideBar)
            b5MouseLeave();
        else
            padvbApplayMouseLeave();
    });
}

void TfMain::SetNotificationAreaAvailable(bool available)
{
    m_hasNotificationArea = available;
    ApplyWindowType();
    m_trayIcon->setVisible(available);
}

void TfMain::ApplyWindowType()
{
    // With an icon in the notification area the window keeps out of the task bar: a tool
    // window there. Without one it is a normal window, so it can always be reached.
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::Tool, m_hasNotificationArea);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    if (wasVisible)
        show();
}

void TfMain::ShowEnabled()
{
    m_toolBar->ShowEnabled(m_options.Enabled);
    m_trayPicture = m_options.Enabled ? QStringLiteral("tray1") : QStringLiteral("tray0");
    m_trayIcon->setIcon(Glyph(m_trayPicture.toLatin1().constData()));
}

void TfMain::ArmChangeTimers()
{
    const auto arm = [](QTimer* timer, std::int64_t interval) {
        if (interval <= 0 || interval > std::numeric_limits<int>::max()) {
            timer->stop();
            return;
        }
        timer->start(static_cast<int>(interval));
    };
    arm(m_timer3, ChangeInterval(m_options.advMin, m_options.AdvSec));
    arm(m_timer4, ChangeInterval(m_options.ilMin, m_options.ilSec));
}

void TfMain::LoadOptionsPage()
{
    ArmChangeTimers();
    SetActivePage(m_options.ActivePage);
    m_optionsPage->LoadOptionsPage();
}

void TfMain::CommitOptionsPage()
{
    m_options.ActivePage = ActivePageIndex();
    m_optionsPage->CommitOptionsPage();
    if (m_autostart != nullptr && !SyncStartupShortcut(m_options, *m_autostart, m_executable))
        std::fprintf(stderr, "Ondrix: the autostart entry could not be updated\n");
    if (onCommit)
        onCommit();
    ArmChangeTimers();
}

void TfMain::SetAutostart(Autostart* autostart, std::string executable)
{
    m_autostart = autostart;
    m_executable = std::move(executable);
}

int TfMain::ActivePageIndex() const
{
    return m_pageControl->currentIndex();
}

void TfMain::SetActivePage(int index)
{
    // A stored page index out of range leaves the page shown as it is.
    if (index >= 0 && index < m_pageControl->count())
        m_pageControl->setCurrentIndex(index);
}

void TfMain::CreateAboutWindow()
{
    if (m_about)
        return;
    m_about = new TfAbout(m_shell, this);
    m_about->FillAboutTexts(m_language, m_options);
}

void TfMain::FormResize(int outerWidth)
{
    const ResizeWidths widths = ComputeResizeWidths(outerWidth);
    for (int i = 0; i < 3; ++i) {
        const auto index = static_cast<std::size_t>(i);
        m_themesPage->Columns().SetMaximumAndWidth(i, widths.themeColumns[index]);
        m_imageListsPage->Columns().SetMaximumAndWidth(i, widths.listColumns[index]);
    }
    m_status->SetWidths(widths.statusPanels);
    m_toolBar->SetSpacerWidth(widths.toolBarSpacer);
}

void TfMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // The layout was drawn for a fixed frame; counting that frame rather than the desktop's
    // own keeps the design widths at the minimum size on every desktop.
    FormResize(width() + kDesignFrameWidth);
}

void TfMain::showEvent(QShowEvent* event)
{
    if (!m_centred) {
        m_centred = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(0, 0), frameGeometry().size());
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QMainWindow::showEvent(event);
    m_optionsPage->UpdateDesktopSizeLabel(m_language);
    LoadOptionsPage();
}

void TfMain::closeEvent(QCloseEvent* event)
{
    LoadOptionsPage();
    CommitOptionsPage();
    event->accept();
    emit closed();
}

void TfMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool minimisedNow = windowState().testFlag(Qt::WindowMinimized);
    if (minimisedNow && m_hasNotificationArea) {
        // Leave the event handler before hiding: the window system is still busy with it.
        QTimer::singleShot(0, this, &TfMain::HideToTray);
    } else if (!minimisedNow && change->oldState().testFlag(Qt::WindowMinimized)) {
        AppRestored();
    }
}

void TfMain::keyPressEvent(QKeyEvent* event)
{
    if (FormKeyDown(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool TfMain::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (key == Qt::Key_Escape) {
        CommitOptionsPage();
        HideToTray();
        return true;
    }
    if (!modifiers.testFlag(Qt::ControlModifier) || key < Qt::Key_F1 || key > Qt::Key_F4)
        return false;
    // Ctrl+F1..F4 press b5, b4, b3, b2: the pages 0 to 3.
    m_sideBar->ButtonByTag(key - Qt::Key_F1)->click();
    return true;
}

void TfMain::HideToTray()
{
    if (!m_hasNotificationArea) {
        // Nothing to come back from: keep the window in the task bar, only minimised.
        if (!isMinimized())
            showMinimized();
        return;
    }
    hide();
}

void TfMain::TrayIconDblClick()
{
    // Leaving the minimised state runs AppRestored through changeEvent.
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TfMain::AppRestored()
{
    LoadOptionsPage();
}

void TfMain::bOKClick()
{
    CommitOptionsPage();
    LoadOptionsPage();
    HideToTray();
}

} // namespace ondrix
