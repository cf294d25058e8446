// The main window shell: navigation, status bar, hover texts, sizes, hiding, language
// switch, help, the About window and the start screen. Runs without a display.
#include "app/options.h"
#include "core/Errors.h"
#include "language/TextTable.h"
#include "platform/DesktopWallpaper.h"
#include "platform/Shell.h"
#include "platform/linux/XdgAutostart.h"
#include "themes/ThemeApplier.h"
#include "ui/Dialogs.h"
#include "ui/ImageListsPage.h"
#include "ui/MainToolBar.h"
#include "ui/OptionsPage.h"
#include "ui/WindowGeometry.h"
#include "ui/aboutWin.h"
#include "ui/splash.h"
#include "ui/uMainForm.h"
#include "wallpaper/ResolutionAgent.h"
#include "wallpaper/WallpaperSetter.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>
#include <string>
#include <vector>

using namespace ondrix;

namespace {

class FakeShell final : public Shell
{
public:
    ShellResult Open(const std::string& target) override
    {
        opened.push_back(target);
        return openResult;
    }
    void OpenDisplaySettings() override
    {
        ++displaySettingsCalls;
        if (!displaySettingsError.empty())
            throw PlatformError(displaySettingsError);
    }

    std::vector<std::string> opened;
    ShellResult openResult = ShellResult::Ok;
    int displaySettingsCalls = 0;
    std::string displaySettingsError;
};

// Every text of the table, each "<prefix><section>/<key>", so that a caption shows where
// it came from and which language gave it.
std::string LanguageFile(const std::string& name, const std::string& prefix, bool withHelp)
{
    std::string text =
        "[LANGUAGE_NAME]\nname=" + name + "\n[MAINFORM_CAPTION]\ncaption=" + prefix + "Caption\n";
    for (const TextTableEntry& entry : kTextTable) {
        const std::string section = entry.section;
        if (section == "HELPFILE" && !withHelp)
            continue;
        const std::string value =
            section == "HELPFILE" ? std::string("\\Help\\index.html") : prefix + section + "/" + entry.key;
        text += "[" + section + "]\n" + entry.key + "=" + value + "\n";
    }
    return text;
}

QString T(const std::string& prefix, const char* sectionAndKey)
{
    return QString::fromStdString(prefix) + QString::fromLatin1(sectionAndKey);
}

// The desktop of the window's changes; these tests only need it to take them.
class QuietDesktop final : public DesktopWallpaper
{
public:
    Values Read() override { return values; }
    void Write(const Values& written) override { values = written; }
    std::string Name() const override { return "quiet"; }
    Values values;
};

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private:
    void WriteFile(const QString& relative, const std::string& bytes)
    {
        const QString path = m_dir->filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

    std::string AppDir() const { return m_dir->path().toStdString(); }

    void CreateWindow()
    {
        m_window = std::make_unique<TfMain>(m_options, *m_agent, m_shell, *m_setter, m_activeDesktop);
        m_window->SetNotificationAreaAvailable(true);
    }

    template <class W> W* Find(const char* name) const
    {
        W* widget = m_window->findChild<W*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }

    QAction* MenuItem(int tag) const
    {
        return Find<QAction>(qPrintable(QStringLiteral("MainMenuItem%1").arg(tag)));
    }
    int Page() const { return m_window->ActivePageIndex(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    TOptions m_options;
    FixedScreenInfo m_screen{DesktopSize{1024, 768}};
    std::unique_ptr<TRAgent> m_agent;
    FakeShell m_shell;
    QuietDesktop m_desktop;
    NullThemeApplier m_activeDesktop;
    std::unique_ptr<WallpaperSetter> m_setter;
    std::unique_ptr<TfMain> m_window;
    const std::string m_first = "T:";
    const std::string m_second = "O:";

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        WriteFile(QStringLiteral("Languages/testish.lng"), LanguageFile("Testish", m_first, true));
        WriteFile(QStringLiteral("Languages/other.lng"), LanguageFile("Other", m_second, false));
        QImage flag(16, 16, QImage::Format_ARGB32);
        flag.fill(Qt::red);
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("Languages/flags"))));
        QVERIFY(flag.save(m_dir->filePath(QStringLiteral("Languages/flags/flag.ico")), "ICO"));
        QVERIFY(flag.save(m_dir->filePath(QStringLiteral("Languages/flags/t.ico")), "ICO"));

        m_options = TOptions{};
        m_options.AppDir = AppDir();
        m_options.LanguageList = {
            {AppDir() + "/Languages/testish.lng", "Testish", AppDir() + "/Languages/flags/t.ico"},
            {AppDir() + "/Languages/other.lng", "Other", AppDir() + "/Languages/flags/missing.ico"},
        };
        m_options.LanguageFileName = m_options.LanguageList[0].FileName;
        m_options.Links = {"https://home.test/", "", "", "", "https://maker.test/"};
        m_shell = FakeShell{};
        m_agent = std::make_unique<TRAgent>(m_screen);
        m_setter = std::make_unique<WallpaperSetter>(m_options, *m_agent, m_desktop);
        Dialogs::SetRecording(true);
        CreateWindow();
    }

    void cleanup()
    {
        m_window.reset();
        Dialogs::SetRecording(false);
    }

    void sideButtonsSwitchPagesAndLastOneOpensHelp()
    {
        const std::vector<std::pair<const char*, int>> buttons{{"b4", 1}, {"b3", 2}, {"b2", 3}, {"b5", 0}};
        for (const auto& [name, page] : buttons) {
            Find<QToolButton>(name)->click();
            QCOMPARE(Page(), page);
        }
        Find<QToolButton>("b1")->click();
        QCOMPARE(Page(), 0);
        QCOMPARE(Dialogs::RecordedMessages(), QStringList{QStringLiteral("Help file not found")});
    }

    void menuEntriesSelectTheOptionsTabs()
    {
        QTabWidget* tabs = m_window->OptionsPageWidget()->PCOptions();
        for (int tag : {20, 30, 10}) {
            m_window->SetActivePage(0);
            MenuItem(tag)->trigger();
            QCOMPARE(Page(), 2);
            QCOMPARE(tabs->currentIndex(), tag / 10 - 1);
        }
    }

    void controlFunctionKeysSwitchPages()
    {
        QTest::keyClick(m_window.get(), Qt::Key_F2, Qt::ControlModifier);
        QCOMPARE(Page(), 1);
        QTest::keyClick(m_window.get(), Qt::Key_F4, Qt::ControlModifier);
        QCOMPARE(Page(), 3);
        QTest::keyClick(m_window.get(), Qt::Key_F3, Qt::ControlModifier);
        QCOMPARE(Page(), 2);
        QTest::keyClick(m_window.get(), Qt::Key_F1, Qt::ControlModifier);
        QCOMPARE(Page(), 0);
        QTest::keyClick(m_window.get(), Qt::Key_F2, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(Page(), 1);
        // Without Ctrl nothing happens, and there is no key for help.
        for (Qt::Key key : {Qt::Key_F1, Qt::Key_F3})
            QTest::keyClick(m_window.get(), key);
        QCOMPARE(Page(), 1);
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
    }

    void statusPanelsDescribeTheActivePage()
    {
        m_window->UpdateStatusBar();
        // With no current theme the text ends in the themes folder; on this system with "/".
        QCOMPARE(m_window->StatusPanelText(0), T(m_first, "STATUS_BAR/msg0: 0   ") +
                                                   T(m_first, "STATUS_BAR/msg1: ") +
                                                   QStringLiteral("../advThemes_/"));
        QCOMPARE(m_window->StatusPanelText(1), T(m_first, "STATUS_BAR/msg8"));
        QCOMPARE(m_window->StatusPanelText(2), T(m_first, "STATUS_BAR/msg10"));

        m_options.cadvTheme = AppDir() + "/advThemes_/Blue Sky.ond";
        m_options.cIList = AppDir() + "/imgLists/holiday.lst";
        m_options.state = 1;
        WriteFile("imgLists/a.lst", "");
        WriteFile("imgLists/b.lst", "");
        Find<ImageListsPage>("TabSheet2")->FillAtStartup();
        m_window->UpdateStatusBar();
        QVERIFY(m_window->StatusPanelText(0).endsWith(QStringLiteral("../advThemes_/Blue Sky.ond")));
        QCOMPARE(m_window->StatusPanelText(1), T(m_first, "STATUS_BAR/msg9"));

        const std::vector<std::pair<int, QString>> pages{
            {1, T(m_first, "STATUS_BAR/msg4: 2   ") + T(m_first, "STATUS_BAR/msg5: ../imgLists/holiday.lst")},
            {2, T(m_first, "PAGE_OPTIONS/hint0")},
            {3, T(m_first, "BUTTONLIST_CAPTIONS/hint3")},
            {4, T(m_first, "PAGES_ARTICLES/p4:..")},
        };
        for (const auto& [page, text] : pages) {
            m_window->SetActivePage(page);
            m_window->UpdateStatusBar();
            QCOMPARE(m_window->StatusPanelText(0), text);
        }
        // Page 2 describes the options tab shown.
        m_window->SetActivePage(2);
        m_window->OptionsPageWidget()->PCOptions()->setCurrentIndex(2);
        m_window->UpdateStatusBar();
        QCOMPARE(m_window->StatusPanelText(0), T(m_first, "PAGE_OPTIONS/hint2"));
    }

    void statusTimerFollowsPageSwitchUnlessHovering()
    {
        // The page switch itself leaves the status bar alone; the next tick of the status
        // timer, within a second, describes the new page.
        QTest::keyClick(m_window.get(), Qt::Key_F4, Qt::ControlModifier);
        QCOMPARE(m_window->StatusPanelText(0),
                 T(m_first, "STATUS_BAR/msg0: 0   ") + T(m_first, "STATUS_BAR/msg1: ../advThemes_/"));
        QTRY_COMPARE_WITH_TIMEOUT(m_window->StatusPanelText(0), T(m_first, "BUTTONLIST_CAPTIONS/hint3"),
                                  3000);

        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(Find<QToolButton>("b4"), &enter);
        QVERIFY(m_window->HoverLock());
        QCOMPARE(m_window->StatusPanelText(0), T(m_first, "BUTTONLIST_CAPTIONS/hint1"));
        // While the pointer rests on the button the ticks leave the hover text alone.
        QTest::keyClick(m_window.get(), Qt::Key_F2, Qt::ControlModifier);
        QTest::qWait(1500);
        QCOMPARE(m_window->StatusPanelText(0), T(m_first, "BUTTONLIST_CAPTIONS/hint1"));
        QTest::keyClick(m_window.get(), Qt::Key_F4, Qt::ControlModifier);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(Find<QToolButton>("b4"), &leave);
        QVERIFY(!m_window->HoverLock());
        QCOMPARE(m_window->StatusPanelText(0), T(m_first, "BUTTONLIST_CAPTIONS/hint3"));

        // Hinted toolbar buttons show their own hint.
        QApplication::sendEvent(Find<QToolButton>("tbbOnOff"), &enter);
        QCOMPARE(m_window->StatusPanelText(0), T(m_first, "TOOL_BAR/b0hint"));
        QApplication::sendEvent(Find<QToolButton>("prepBBack"), &enter);
        QCOMPARE(m_window->StatusPanelText(0), T(m_first, "PAGE_REPORT/r6"));
        QApplication::sendEvent(Find<QToolButton>("pilbIFMoveDown"), &enter);
        QCOMPARE(m_window->StatusPanelText(0), T(m_first, "PAGE_IMAGE_LISTS/barbtn13"));
        QApplication::sendEvent(Find<QToolButton>("pilbRemove"), &enter);
        QCOMPARE(m_window->StatusPanelText(0), T(m_first, "PAGE_IMAGE_LISTS/barbtn2"));
        // The report's back button returns to the themes page and ends the hover.
        m_window->SetActivePage(4);
        m_window->prepBBackClick();
        QCOMPARE(Page(), 0);
        QVERIFY(!m_window->HoverLock());
    }

    void imageListsPageIsWiredToTheTimerAndStatusBar()
    {
        m_window->Timer2Timer();
        QCOMPARE(Find<QLabel>("p23articlelabel")->text(), ".: " + T(m_first, "PAGES_ARTICLES/p6") + ":..");
        emit Find<ImageListsPage>("TabSheet2")->statusText(QStringLiteral("searching"));
        QCOMPARE(m_window->StatusPanelText(0), QStringLiteral("searching"));
    }

    void resizeScalesColumnsPanelsAndSpacer_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<int>>("themes");
        QTest::addColumn<QList<int>>("panels");
        QTest::addColumn<QList<int>>("lists");
        QTest::addColumn<int>("spacer");
        QTest::newRow("minimum") << 620 << QList<int>{150, 100, 253} << QList<int>{320, 150, 150}
                                 << QList<int>{150, 100, 250} << 430;
        QTest::newRow("wider") << 1000 << QList<int>{241, 161, 408} << QList<int>{516, 241, 241}
                               << QList<int>{241, 161, 403} << 810;
    }

    void resizeScalesColumnsPanelsAndSpacer()
    {
        QFETCH(int, width);
        QFETCH(QList<int>, themes);
        QFETCH(QList<int>, panels);
        QFETCH(QList<int>, lists);
        QFETCH(int, spacer);
        // The layout was drawn for an outer width 8 more than the client width.
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->resize(width - 8, m_window->minimumHeight());
        QTRY_COMPARE(m_window->width(), width - 8);
        QTest::qWait(20);
        auto* lvAdvanc = Find<QTreeWidget>("lvAdvanc");
        auto* lvILists = Find<QTreeView>("lvILists");
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(lvAdvanc->columnWidth(i), themes[i]);
            QCOMPARE(lvILists->columnWidth(i), lists[i]);
        }
        // Status panels: the first two at their widths, side by side; the last one as wide
        // as the bar leaves it, never past the bar's end.
        const auto panel = [this](int i) {
            return Find<QLabel>(qPrintable(QStringLiteral("StatusPanel%1").arg(i)))->geometry();
        };
        QCOMPARE(panel(0).width(), panels[0]);
        QCOMPARE(panel(1).width(), panels[1]);
        QVERIFY(panel(0).right() < panel(1).left());
        QVERIFY(panel(1).right() < panel(2).left());
        QVERIFY(panel(2).width() <= panels[2]);
        QVERIFY(panel(2).right() < m_window->statusBar()->width());
        QVERIFY(m_window->statusBar()->width() - panel(2).right() <= 4);
        // The spacer keeps the confirm button at the toolbar's right end.
        const QRect edge = Find<QWidget>("LMDDrawEdge1")->geometry();
        const QRect ok = Find<QToolButton>("bOK")->geometry();
        QVERIFY(edge.width() <= spacer);
        QVERIFY(edge.width() >= spacer - 20);
        QVERIFY(edge.right() < ok.left());
        QCOMPARE(ok.width(), 60);
        QVERIFY(ok.right() < Find<QWidget>("MainToolBar")->width());
        QVERIFY(Find<QWidget>("MainToolBar")->width() - ok.right() <= 12);
        // Columns stay within the design minimum and the width the window gave them.
        lvAdvanc->header()->resizeSection(0, 20);
        QCOMPARE(lvAdvanc->columnWidth(0), 150);
        lvILists->header()->resizeSection(2, 5000);
        QCOMPARE(lvILists->columnWidth(2), lists[2]);
        QCOMPARE(Find<QTreeView>("lvILFiles")->columnWidth(1), 77);
    }

    void escapeAndOkHideTheWindowAndCommitThePage()
    {
        m_window->TrayIconDblClick();
        QVERIFY(m_window->isVisible());
        Find<QToolButton>("b2")->click();
        QTest::keyClick(m_window.get(), Qt::Key_Escape);
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_options.ActivePage, 3);

        m_window->TrayIconDblClick();
        QVERIFY(m_window->isVisible());
        QCOMPARE(Page(), 3);
        Find<QToolButton>("b4")->click();
        Find<QToolButton>("bOK")->click();
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_options.ActivePage, 1);
    }

    // The logon entry follows the run-at-start-up box at once when OK commits the page.
    void okKeepsTheLogonEntryInLineWithRunAtStartup()
    {
        const std::string entry = AppDir() + "/autostart/Ondrix.desktop";
        XdgAutostart autostart(entry);
        m_window->SetAutostart(&autostart, "/opt/ondrix/bin/ondrix");
        m_window->TrayIconDblClick();
        Find<QToolButton>("b3")->click();
        m_window->OptionsPageWidget()->PCOptions()->setCurrentIndex(0);
        auto* runAtStartup = Find<QCheckBox>("cbAutoRun");
        QVERIFY(runAtStartup->isChecked());
        Find<QToolButton>("bOK")->click();
        QVERIFY(QFile::exists(QString::fromStdString(entry)));

        m_window->TrayIconDblClick();
        runAtStartup->click();
        QVERIFY(!runAtStartup->isChecked());
        QVERIFY(QFile::exists(QString::fromStdString(entry))); // only OK takes the box
        Find<QToolButton>("bOK")->click();
        QVERIFY(!QFile::exists(QString::fromStdString(entry)));
        QVERIFY(!m_options.RunAtStartup);

        m_window->TrayIconDblClick();
        runAtStartup->click();
        Find<QToolButton>("bOK")->click();
        QFile written(QString::fromStdString(entry));
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray text = written.readAll();
        QVERIFY(text.contains("Exec=/opt/ondrix/bin/ondrix\n"));
        QVERIFY(text.contains(QByteArray("Path=") + QByteArray::fromStdString(AppDir()) + "\n"));
    }

    void withoutNotificationAreaHidingOnlyMinimises()
    {
        m_window->SetNotificationAreaAvailable(false);
        m_window->show();
        m_window->HideToTray();
        QVERIFY(m_window->isVisible());
        QVERIFY(m_window->isMinimized());
        m_window->TrayIconDblClick();
        QVERIFY(!m_window->isMinimized());
    }

    void closingReloadsThePageBeforeCommitting()
    {
        QSignalSpy closed(m_window.get(), &TfMain::closed);
        m_options.ActivePage = 1;
        m_window->TrayIconDblClick();
        Find<QToolButton>("b3")->click(); // not confirmed
        MenuItem(3)->trigger();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(m_options.ActivePage, 1);
    }

    void languageSwitchedTwiceRestoresEveryText()
    {
        QMenuBar* bar = m_window->menuBar();
        const auto languageMenu = bar->actions().at(2)->menu();
        QCOMPARE(bar->actions().size(), 4);
        QCOMPARE(languageMenu->actions().size(), 2);
        QAction* testish = languageMenu->actions().at(0);
        QAction* other = languageMenu->actions().at(1);
        QVERIFY(!testish->icon().isNull()); // its own flag
        QVERIFY(!other->icon().isNull());   // the default flag stands in

        const auto snapshot = [this] {
            QStringList texts{m_window->windowTitle()};
            for (QLabel* label : m_window->findChildren<QLabel*>())
                texts << label->objectName() + "=" + label->text();
            for (QAction* action : m_window->findChildren<QAction*>())
                texts << action->objectName() + "=" + action->text();
            for (QToolButton* button : m_window->findChildren<QToolButton*>())
                texts << button->objectName() + "=" + button->toolTip();
            for (QTreeView* view : m_window->findChildren<QTreeView*>())
                for (int i = 0; i < view->model()->columnCount(); ++i)
                    texts << view->objectName() + "=" +
                                 view->model()->headerData(i, Qt::Horizontal).toString();
            return texts;
        };
        const QStringList before = snapshot();
        QCOMPARE(m_window->windowTitle(), T(m_first, "Caption"));
        QCOMPARE(Find<QLabel>("LMDGlyphLabel5")->text(),
                 QStringLiteral("  ") + T(m_first, "BUTTONS_CAPTIONS/bc0"));
        QCOMPARE(Find<QLabel>("p22articlelabel")->text(), ":: " + T(m_first, "PAGES_ARTICLES/p5") + " ::");
        QCOMPARE(Find<QLabel>("p1articlelabel")->text(), ":: " + T(m_first, "PAGES_ARTICLES/p0") + "::");

        other->trigger();
        QCOMPARE(m_options.LanguageFileName, m_options.LanguageList[1].FileName);
        QCOMPARE(m_window->windowTitle(), T(m_second, "Caption"));
        QCOMPARE(MenuItem(200)->text(), T(m_second, "MAINMENU/a31name"));
        QCOMPARE(Find<QLabel>("lb3")->text(), T(m_second, "BUTTONLIST_CAPTIONS/button2"));
        QVERIFY(!testish->isChecked());
        QVERIFY(other->isChecked());
        QVERIFY(snapshot() != before);

        testish->trigger();
        QCOMPARE(snapshot(), before);
        QCOMPARE(bar->actions().size(), 4);
        QCOMPARE(languageMenu->actions().size(), 2);
        QVERIFY(testish->isChecked());
        QVERIFY(!other->isChecked());
    }

    // The live theme layer's check boxes read their own section of the language file; the
    // language menu switches them like every other text.
    void themeLayerCaptionsFollowTheLanguageSwitch()
    {
        WriteFile(QStringLiteral("Languages/testish.lng"),
                  LanguageFile("Testish", m_first, true) + "[THEME_LAYER]\nsound=T:sound\npause=T:pause\n");
        WriteFile(QStringLiteral("Languages/other.lng"),
                  LanguageFile("Other", m_second, false) + "[THEME_LAYER]\nsound=O:sound\npause=O:pause\n");
        const auto languageMenu = m_window->menuBar()->actions().at(2)->menu();
        QAction* testish = languageMenu->actions().at(0);
        QAction* other = languageMenu->actions().at(1);
        auto* sound = Find<QCheckBox>("cbThemeSound");
        auto* pause = Find<QCheckBox>("cbThemePause");

        other->trigger();
        QCOMPARE(sound->text(), QStringLiteral("O:sound"));
        QCOMPARE(pause->text(), QStringLiteral("O:pause"));
        testish->trigger();
        QCOMPARE(sound->text(), QStringLiteral("T:sound"));
        QCOMPARE(pause->text(), QStringLiteral("T:pause"));
    }

    // A language file written out by hand from the table of texts: each text's section and
    // key, and the control it must reach. A wrong section, key or number in the program's
    // own table shows here as a text in the wrong place or none.
    void textsReachTheirControls()
    {
        WriteFile(QStringLiteral("Languages/handmade.lng"),
                  "[LANGUAGE_NAME]\nname=Handmade\n"
                  "[MAINFORM_CAPTION]\ncaption=Handmade caption\n"
                  "[MAINMENU]\na2name=Language menu\na31name=On the web\n"
                  "[TRYICON_POPUPMENU]\nm2=Quit from the tray\n"
                  "[BUTTONS_CAPTIONS]\nbc2=List tools strip\n"
                  "[TOOL_BAR]\nb0pm01=On with lists\n"
                  "[BUTTONLIST_CAPTIONS]\nbutton2=Settings\nhint1=Lists hover\n"
                  "[STATUS_BAR]\nmsg5=Chosen\nmsg9=Lists mode\n"
                  "[PAGES_ARTICLES]\np5=Pictures title\n"
                  "[PAGE_ADVANCEDDESKTOP]\nlvcolumn2=Package column\n"
                  "[PAGE_OPTIONS]\nhint0=Program tab\ntsIllb2=Screen size\n"
                  "[PAGE_IMAGE_LISTS]\nbarbtn10=Wallpaper now\n"
                  "lvilfilescolumn1=Size column\n"
                  "[PAGE_REPORT]\nr6=Back to themes\n"
                  "[ABOUT_WINDOW]\ns1=About line\n"
                  "[HELPFILE]\nfilename=\\Help\\handmade.html\n");
        m_options.LanguageList.push_back({AppDir() + "/Languages/handmade.lng", "Handmade", ""});
        m_options.LanguageFileName = m_options.LanguageList.back().FileName;
        m_options.cIList = AppDir() + "/imgLists/holiday.lst";
        CreateWindow();
        m_window->CreateAboutWindow();
        m_window->show();

        QCOMPARE(m_window->windowTitle(), QStringLiteral("Handmade caption"));
        QCOMPARE(m_window->menuBar()->actions().at(2)->text(), QStringLiteral("Language menu"));
        QCOMPARE(MenuItem(200)->text(), QStringLiteral("On the web"));
        QCOMPARE(Find<QAction>("pmtryIcon2")->text(), QStringLiteral("Quit from the tray"));
        QCOMPARE(Find<QLabel>("LMDGlyphLabel2")->text(), QStringLiteral("  List tools strip"));
        QCOMPARE(Find<MainToolBar>("MainToolBar")->PictureModeItem()->text(),
                 QStringLiteral("On with lists"));
        QCOMPARE(Find<QLabel>("lb3")->text(), QStringLiteral("Settings"));
        QCOMPARE(Find<QLabel>("p22articlelabel")->text(), QStringLiteral(":: Pictures title ::"));
        QCOMPARE(Find<QTreeWidget>("lvAdvanc")->headerItem()->text(2), QStringLiteral("Package column"));
        QCOMPARE(Find<QTreeView>("lvILFiles")->model()->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("Size column"));
        QCOMPARE(Find<QToolButton>("pilbIFWallPaper")->toolTip(), QStringLiteral("Wallpaper now"));
        QCOMPARE(Find<QToolButton>("prepBBack")->toolTip(), QStringLiteral("Back to themes"));
        QCOMPARE(m_window->AboutWindow()->findChild<QLabel*>("LMDLabel1")->text(),
                 QStringLiteral("About line"));
        QCOMPARE(Find<QLabel>("plb3")->text(), QStringLiteral("Screen size: 1024x768"));

        m_options.state = 1;
        m_window->SetActivePage(1);
        m_window->UpdateStatusBar();
        QCOMPARE(m_window->StatusPanelText(1), QStringLiteral("Lists mode"));
        QCOMPARE(m_window->StatusPanelText(0), QStringLiteral(": 0   Chosen: ../imgLists/holiday.lst"));
        m_window->SetActivePage(2);
        m_window->UpdateStatusBar();
        QCOMPARE(m_window->StatusPanelText(0), QStringLiteral("Program tab"));
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(Find<QToolButton>("b4"), &enter);
        QCOMPARE(m_window->StatusPanelText(0), QStringLiteral("Lists hover"));

        WriteFile(QStringLiteral("Help/handmade.html"), "<html></html>");
        MenuItem(300)->trigger();
        QCOMPARE(m_shell.opened, std::vector<std::string>{AppDir() + "/Help/handmade.html"});

        // The desktop size label follows a switch of language made while the window shows.
        m_window->menuBar()->actions().at(2)->menu()->actions().at(0)->trigger();
        QCOMPARE(Find<QLabel>("plb3")->text(),
                 T(m_first, "PAGE_OPTIONS/tsIllb2") + QStringLiteral(": 1024x768"));
    }

    void languageFileNameOfOtherCaseTicksNothing()
    {
        m_options.LanguageFileName = AppDir() + "/Languages/TESTISH.lng";
        CreateWindow();
        for (QAction* entry : m_window->menuBar()->actions().at(2)->menu()->actions())
            QVERIFY(!entry->isChecked());
    }

    void helpReportsAMissingFileAndOpensAnExistingOne()
    {
        // The second language has no help entry: the default "nofile" is appended directly.
        m_window->LangItemClick(m_window->menuBar()->actions().at(2)->menu()->actions().at(1));
        MenuItem(300)->trigger();
        QCOMPARE(Dialogs::RecordedMessages(), QStringList{QStringLiteral("Help file not found")});
        QVERIFY(m_shell.opened.empty());

        m_window->LangItemClick(m_window->menuBar()->actions().at(2)->menu()->actions().at(0));
        Dialogs::RecordedMessages().clear();
        WriteFile(QStringLiteral("Help/index.html"), "<html></html>");
        MenuItem(300)->trigger();
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
        QCOMPARE(m_shell.opened, std::vector<std::string>{AppDir() + "/Help/index.html"});

        m_shell.openResult = ShellResult::FileNotFound;
        Find<QToolButton>("b1")->click();
        QCOMPARE(Dialogs::RecordedMessages(), QStringList{QStringLiteral("Help file not found")});
        m_shell.openResult = ShellResult::Failed;
        Dialogs::RecordedMessages().clear();
        Find<QToolButton>("b1")->click();
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
    }

    void webLinkAndDisplaySettingsGoToTheShell()
    {
        MenuItem(200)->trigger();
        QCOMPARE(m_shell.opened, std::vector<std::string>{"https://home.test/"});
        m_options.Links[0].clear();
        MenuItem(200)->trigger();
        QCOMPARE(m_shell.opened.size(), std::size_t{1});

        MenuItem(1)->trigger();
        Find<QAction>("pmtryIcon1")->trigger();
        QCOMPARE(m_shell.displaySettingsCalls, 2);
        m_shell.displaySettingsError = "No display settings tool is known for this desktop.";
        MenuItem(1)->trigger();
        QCOMPARE(Dialogs::RecordedMessages(),
                 QStringList{QStringLiteral("No display settings tool is known for this desktop.")});
    }

    void aboutWindowOpensClosesAndFollowsTheLanguage()
    {
        m_window->CreateAboutWindow();
        TfAbout* about = m_window->AboutWindow();
        QVERIFY(!about->isVisible());
        QCOMPARE(about->windowTitle(), T(m_first, "ABOUT_WINDOW/s0"));
        QCOMPARE(about->findChild<QLabel*>("LMDLabel5")->text(), QStringLiteral("https://home.test/"));

        MenuItem(100)->trigger();
        QVERIFY(about->isVisible());
        QCOMPARE(about->size(), QSize(330, 233));
        QTest::keyClick(about, Qt::Key_Escape);
        QVERIFY(!about->isVisible());

        m_window->LangItemClick(m_window->menuBar()->actions().at(2)->menu()->actions().at(1));
        QCOMPARE(about->windowTitle(), T(m_second, "ABOUT_WINDOW/s0"));
        QCOMPARE(about->findChild<QLabel*>("LMDLabel1")->text(), T(m_second, "ABOUT_WINDOW/s1"));
        MenuItem(100)->trigger();
        QVERIFY(about->isVisible());
        about->findChild<QPushButton*>("bOK")->click();
        QVERIFY(!about->isVisible());
    }

    void aboutLinksOpenWhatTheyShowWhenClicked()
    {
        MenuItem(100)->trigger();
        TfAbout* about = m_window->AboutWindow();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        const auto click = [about](const char* name) {
            auto* label = about->findChild<QLabel*>(QString::fromLatin1(name));
            QVERIFY(label);
            QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
        };
        click("LMDLabel5");
        click("LMDLabel7");
        click("LMDLabel6");
        click("Image2");
        click("LMDLabel1"); // no link
        // The home page of links.ini, the maker's pages in the application folder (it has
        // no site or mailbox of its own yet) and links.ini's fifth link behind the picture.
        QCOMPARE(m_shell.opened,
                 (std::vector<std::string>{"https://home.test/", AppDir() + "/Help/about.html",
                                           AppDir() + "/Help/contact.html", "https://maker.test/"}));
        // Each link label shows the address it opens, whole or cut to the window, and the
        // whole address as its tooltip.
        QCOMPARE(about->findChild<QLabel*>("LMDLabel5")->text(), QStringLiteral("https://home.test/"));
        for (const char* name : {"LMDLabel7", "LMDLabel6"}) {
            const QLabel* label = about->findChild<QLabel*>(QString::fromLatin1(name));
            QVERIFY(label->toolTip().startsWith(QString::fromStdString(AppDir()) + "/Help/"));
            QVERIFY(label->geometry().right() < about->width());
            QVERIFY(!label->text().contains(QStringLiteral("example.org")));
        }

        // An empty home link shows an empty label whose click opens nothing.
        m_options.Links[0].clear();
        about->FillAboutTexts(m_window->Language(), m_options);
        m_shell.opened.clear();
        click("LMDLabel5");
        QVERIFY(m_shell.opened.empty());
        QCOMPARE(about->findChild<QLabel*>("LMDLabel5")->text(), QString());
    }

    void aboutPagesExistInTheBuiltApplicationFolder()
    {
        m_options.AppDir = ONDRIX_APP_DIR;
        m_window->CreateAboutWindow();
        TfAbout* about = m_window->AboutWindow();
        about->FillAboutTexts(m_window->Language(), m_options);
        about->ShowModal(m_window.get());
        QVERIFY(QTest::qWaitForWindowExposed(about));
        for (const char* name : {"LMDLabel7", "LMDLabel6"}) {
            auto* label = about->findChild<QLabel*>(QString::fromLatin1(name));
            QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
        }
        QCOMPARE(m_shell.opened.size(), std::size_t{2});
        for (const std::string& page : m_shell.opened) {
            QVERIFY2(QFileInfo(QString::fromStdString(page)).isFile(), page.c_str());
            QVERIFY(QString::fromStdString(page).startsWith(QStringLiteral(ONDRIX_APP_DIR "/Help/")));
        }
    }

    void onOffAndModeCommandsShowTheirState()
    {
        auto* tbbOnOff = Find<QToolButton>("tbbOnOff");
        auto* tbbChState = Find<QToolButton>("tbbChState");
        auto* toolBar = Find<MainToolBar>("MainToolBar");
        QCOMPARE(m_window->TrayPictureName(), QStringLiteral("tray1"));
        QCOMPARE(tbbOnOff->property("glyph").toString(), QStringLiteral("IDB_BITMAP19"));
        QCOMPARE(tbbChState->property("glyph").toString(), QStringLiteral("IDB_BITMAP2"));
        QVERIFY(toolBar->tbbONOFFPM1()->isChecked());

        tbbOnOff->click();
        QVERIFY(!m_options.Enabled);
        QCOMPARE(m_window->TrayPictureName(), QStringLiteral("tray0"));
        QCOMPARE(tbbOnOff->property("glyph").toString(), QStringLiteral("IDB_BITMAP20"));
        QVERIFY(toolBar->tbbONOFFPM2()->isChecked());
        QVERIFY(!toolBar->tbbONOFFPM1()->isChecked());

        toolBar->PictureModeItem()->trigger();
        QVERIFY(m_options.Enabled);
        QCOMPARE(m_options.state, 1);
        QCOMPARE(m_window->TrayPictureName(), QStringLiteral("tray1"));
        QCOMPARE(tbbChState->property("glyph").toString(), QStringLiteral("IDB_BITMAP3"));

        toolBar->tbbONOFFPM2()->trigger();
        QVERIFY(!m_options.Enabled);
        toolBar->ThemeModeItem()->trigger();
        QVERIFY(m_options.Enabled);
        QCOMPARE(m_options.state, 0);

        tbbChState->click();
        QCOMPARE(m_options.state, 1);
        QCOMPARE(m_window->StatusPanelText(1), T(m_first, "STATUS_BAR/msg9"));
        tbbChState->click();
        QCOMPARE(m_options.state, 0);
        QCOMPARE(m_window->StatusPanelText(1), T(m_first, "STATUS_BAR/msg8"));
        QCOMPARE(tbbChState->property("glyph").toString(), QStringLiteral("IDB_BITMAP2"));
    }

    void changeTimersFollowTheOptions()
    {
        m_options.advMin = 1;
        m_options.AdvSec = 30;
        m_options.ilMin = 0;
        m_options.ilSec = 0;
        m_window->LoadOptionsPage();
        auto* timer3 = Find<QTimer>("Timer3");
        QVERIFY(timer3->isActive());
        QCOMPARE(timer3->interval(), 90000);
        QVERIFY(!Find<QTimer>("Timer4")->isActive());
        QCOMPARE(Find<QTimer>("Timer1")->interval(), 1000);
        QVERIFY(Find<QTimer>("Timer1")->isActive());
    }

    void startScreenClosesItselfAfterThreeSeconds()
    {
        TfSplash splash;
        splash.show();
        QCOMPARE(splash.size(), QSize(326, 65));
        QVERIFY(splash.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(splash.Timer1()->isActive());
        QVERIFY(splash.Timer1()->isSingleShot());
        QCOMPARE(splash.Timer1()->interval(), 3000);
        // Still there a good while before three seconds, gone by itself after them.
        QTest::qWait(2000);
        QVERIFY(splash.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!splash.isVisible(), 5000);
    }

    void noStartScreenWhenTheOptionsSayNo()
    {
        // A start screen shown by mistake would be open when this zero timer fires; it is
        // closed there so that the test cannot hang on it.
        int seen = 0;
        QTimer::singleShot(0, [&seen] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* splash = qobject_cast<TfSplash*>(widget); splash && splash->isVisible()) {
                    ++seen;
                    splash->Timer1Timer();
                }
            }
        });
        QVERIFY(!TfSplash::ShowAtStartup(false));
        QTest::qWait(10);
        QCOMPARE(seen, 0);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
