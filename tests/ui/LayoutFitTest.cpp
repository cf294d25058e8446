// Every shipped language fits the main window at its smallest size: no options tab needs a
// horizontal scroll bar, no status text is cut or runs under its neighbour, the side-bar
// labels fit their cells and the menu and tab titles are all in sight. Run at the scale
// factor of the environment (the suite registers it at 1x and at 2x).
#include "app/options.h"
#include "platform/DesktopWallpaper.h"
#include "platform/ScreenInfo.h"
#include "platform/Shell.h"
#include "themes/ThemeApplier.h"
#include "ui/Dialogs.h"
#include "ui/OptionsPage.h"
#include "ui/aboutWin.h"
#include "ui/uMainForm.h"
#include "wallpaper/ResolutionAgent.h"
#include "wallpaper/WallpaperSetter.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace ondrix;

namespace {

class NoShell final : public Shell
{
public:
    ShellResult Open(const std::string&) override { return ShellResult::Ok; }
    void OpenDisplaySettings() override {}
};

class QuietDesktop final : public DesktopWallpaper
{
public:
    Values Read() override { return {}; }
    void Write(const Values&) override {}
    std::string Name() const override { return "quiet"; }
};

// The room a panel's frame and its inner margin leave for the text.
int TextRoom(const QLabel* panel)
{
    return panel->contentsRect().width() - 2 * (panel->frameWidth() + 1);
}

bool Fits(const QLabel* label, const QString& text)
{
    return label->fontMetrics().horizontalAdvance(text) <= TextRoom(label);
}

} // namespace

class LayoutFitTest : public QObject
{
    Q_OBJECT

private:
    template <class W> W* Find(const char* name) const
    {
        W* widget = m_window->findChild<W*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }

    void Settle() const { QTest::qWait(20); }

    // The window at its smallest size, in one of the shipped languages, with a current
    // list and theme of ordinary names.
    void OpenWindowIn(const char* language)
    {
        m_options = TOptions{};
        m_options.AppDir = m_dir->path().toStdString();
        m_options.LanguageFileName = std::string(ONDRIX_SOURCE_DIR) + "/data/Languages/" + language;
        m_options.cIList = m_options.AppDir + "/imgLists/holiday.lst";
        m_options.cadvTheme = m_options.AppDir + "/advThemes_/Blue Sky.ond";
        m_agent = std::make_unique<TRAgent>(m_screen);
        m_setter = std::make_unique<WallpaperSetter>(m_options, *m_agent, m_desktop);
        m_window = std::make_unique<TfMain>(m_options, *m_agent, m_shell, *m_setter, m_activeDesktop);
        m_window->SetNotificationAreaAvailable(true);
        m_window->show();
        m_window->resize(m_window->minimumSize());
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        Settle();
    }

    QLabel* Panel(int index) const
    {
        return Find<QLabel>(qPrintable(QStringLiteral("StatusPanel%1").arg(index)));
    }

    void CheckStatusTextsFit(const QString& where) const
    {
        for (int i = 0; i < 3; ++i) {
            const QLabel* panel = Panel(i);
            QVERIFY2(Fits(panel, panel->text()),
                     qPrintable(where + QStringLiteral(": panel %1 (%2 px) cannot hold \"%3\" (%4 px)")
                                            .arg(i)
                                            .arg(TextRoom(panel))
                                            .arg(panel->text())
                                            .arg(panel->fontMetrics().horizontalAdvance(panel->text()))));
        }
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    TOptions m_options;
    FixedScreenInfo m_screen{DesktopSize{1024, 768}};
    std::unique_ptr<TRAgent> m_agent;
    NoShell m_shell;
    QuietDesktop m_desktop;
    NullThemeApplier m_activeDesktop;
    std::unique_ptr<WallpaperSetter> m_setter;
    std::unique_ptr<TfMain> m_window;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        for (const char* folder : {"imgLists/WorkDir", "imgLists/Recycled", "advThemes_/Recycled"})
            QVERIFY(QDir().mkpath(m_dir->filePath(QString::fromLatin1(folder))));
        for (const char* list : {"imgLists/holiday.lst", "imgLists/summer pictures.lst"}) {
            QFile file(m_dir->filePath(QString::fromLatin1(list)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        Dialogs::SetRecording(true);
    }

    void cleanup()
    {
        m_window.reset();
        Dialogs::SetRecording(false);
    }

    void languages_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("english") << QStringLiteral("english.lng");
        QTest::newRow("deutsch") << QStringLiteral("deutsch.lng");
        QTest::newRow("francais") << QStringLiteral("francais.lng");
    }

    void optionsTabsNeedNoHorizontalScrollBar_data() { languages_data(); }
    void optionsTabsNeedNoHorizontalScrollBar()
    {
        QFETCH(QString, file);
        OpenWindowIn(qPrintable(file));
        QTest::keyClick(m_window.get(), Qt::Key_F3, Qt::ControlModifier);
        QTabWidget* tabs = m_window->OptionsPageWidget()->PCOptions();
        QVERIFY(tabs->isVisible());
        // Every tab title is in sight without the tab bar's scroll buttons.
        QVERIFY2(tabs->tabBar()->sizeHint().width() <= tabs->width(), "the tab titles do not fit");
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            Settle();
            auto* area = qobject_cast<QScrollArea*>(tabs->widget(tab));
            QVERIFY(area);
            QVERIFY2(!area->horizontalScrollBar()->isVisible(),
                     qPrintable(QStringLiteral("tab %1 is %2 px wide, the page %3 px")
                                    .arg(tab)
                                    .arg(area->widget()->minimumSizeHint().width())
                                    .arg(area->viewport()->width())));
            QVERIFY2(!area->verticalScrollBar()->isVisible(), qPrintable(QStringLiteral("tab %1").arg(tab)));
            // The size-class text under the slider changes with each position.
            if (auto* slider = area->findChild<QSlider*>(QStringLiteral("tb1"))) {
                for (int position = slider->maximum(); position >= slider->minimum(); --position) {
                    slider->setValue(position);
                    Settle();
                    QVERIFY2(!area->horizontalScrollBar()->isVisible(),
                             qPrintable(QStringLiteral("size class %1").arg(position)));
                }
            }
            // No label of the tab is narrower than its own text.
            for (const QLabel* label : area->widget()->findChildren<QLabel*>()) {
                if (label->isVisible() && !label->wordWrap())
                    QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <=
                                 label->contentsRect().width(),
                             qPrintable(label->objectName() + QStringLiteral(": ") + label->text()));
            }
        }
    }

    void statusTextsFitTheirPanels_data() { languages_data(); }
    void statusTextsFitTheirPanels()
    {
        QFETCH(QString, file);
        OpenWindowIn(qPrintable(file));
        QStatusBar* bar = m_window->statusBar();
        // The panels lie side by side inside the bar, none under another.
        for (int i = 0; i < 3; ++i) {
            const QRect panel = Panel(i)->geometry();
            QVERIFY(panel.width() > 0);
            QVERIFY2(panel.right() < bar->width(),
                     qPrintable(QStringLiteral("panel %1 leaves the bar").arg(i)));
            if (i > 0)
                QVERIFY2(Panel(i - 1)->geometry().right() < panel.left(),
                         qPrintable(QStringLiteral("panel %1 covers panel %2").arg(i - 1).arg(i)));
        }

        // The page texts, both modes, every options tab.
        for (std::uint8_t state : {std::uint8_t{0}, std::uint8_t{1}}) {
            m_options.state = state;
            for (int page = 0; page < 5; ++page) {
                m_window->SetActivePage(page);
                m_window->UpdateStatusBar();
                CheckStatusTextsFit(QStringLiteral("page %1, mode %2").arg(page).arg(state));
            }
        }
        m_window->SetActivePage(2);
        for (int tab = 0; tab < 3; ++tab) {
            m_window->OptionsPageWidget()->PCOptions()->setCurrentIndex(tab);
            m_window->UpdateStatusBar();
            CheckStatusTextsFit(QStringLiteral("options tab %1").arg(tab));
        }

        // The hover texts of the side buttons and of every button with a hint.
        const char* const hovered[] = {"b5",           "b4",
                                       "b3",           "b2",
                                       "b1",           "tbbOnOff",
                                       "tbbChState",   "bOK",
                                       "prepBBack",    "pilbApplay",
                                       "pilbAdd",      "pilbRemove",
                                       "pilbDelete",   "pilbCreate",
                                       "pilbDownload", "pilbIFAdd",
                                       "pilbIFRemove", "pilbIFWallPaper",
                                       "pilbIFMoveUp", "pilbIFMoveDown"};
        for (const char* name : hovered) {
            QWidget* button = Find<QWidget>(name);
            QEvent enter(QEvent::Enter);
            QApplication::sendEvent(button, &enter);
            QVERIFY(m_window->HoverLock());
            CheckStatusTextsFit(QString::fromLatin1(name));
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(button, &leave);
        }
    }

    void sideBarMenuAndToolBarFit_data() { languages_data(); }
    void sideBarMenuAndToolBarFit()
    {
        QFETCH(QString, file);
        OpenWindowIn(qPrintable(file));
        // Each side label holds at most two lines of its 78 x 30 cell.
        for (const char* name : {"lb1", "lb2", "lb3", "lb4", "lb5"}) {
            const QLabel* label = Find<QLabel>(name);
            const QRect needed = label->fontMetrics().boundingRect(
                QRect(0, 0, label->width(), 1000), Qt::AlignHCenter | Qt::TextWordWrap, label->text());
            QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                     qPrintable(QString::fromLatin1(name) + QStringLiteral(": ") + label->text()));
        }
        // Every top-level menu entry is on the bar, none behind its extension button.
        QMenuBar* bar = m_window->menuBar();
        for (QAction* entry : bar->actions()) {
            const QRect place = bar->actionGeometry(entry);
            QVERIFY2(!place.isEmpty() && place.right() < bar->width(), qPrintable(entry->text()));
        }
        // The confirm button sits whole at the toolbar's right end.
        const auto* bOK = Find<QToolButton>("bOK");
        const QRect okPlace = bOK->geometry();
        QVERIFY(bOK->isVisible());
        QVERIFY(okPlace.right() < bOK->parentWidget()->width());
        QVERIFY(bOK->parentWidget()->width() - okPlace.right() < 12);
        // Page titles and caption strips show their whole text, each on its own page.
        const std::vector<std::pair<int, std::vector<const char*>>> titles{
            {0, {"p1articlelabel", "LMDGlyphLabel3"}},
            {1, {"p2articlelabel", "LMDGlyphLabel2", "p22articlelabel", "p23articlelabel"}},
            {2, {"p3articlelabel"}},
            {3, {"p4articlelabel"}},
            {4, {"prepalabel", "LMDGlyphLabel5"}}};
        for (const auto& [page, names] : titles) {
            m_window->SetActivePage(page);
            Settle();
            for (const char* name : names) {
                const QLabel* label = Find<QLabel>(name);
                QVERIFY(label->isVisible());
                QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <=
                             label->contentsRect().width(),
                         qPrintable(QString::fromLatin1(name) + QStringLiteral(": ") + label->text()));
            }
        }
    }

    void aboutWindowTextsFit_data() { languages_data(); }
    void aboutWindowTextsFit()
    {
        QFETCH(QString, file);
        OpenWindowIn(qPrintable(file));
        m_window->CreateAboutWindow();
        TfAbout* about = m_window->AboutWindow();
        about->ShowModal(m_window.get());
        QVERIFY(QTest::qWaitForWindowExposed(about));
        // Every label ends before the window's right edge strip.
        for (const QLabel* label : about->findChildren<QLabel*>()) {
            if (label->text().isEmpty())
                continue;
            QVERIFY2(label->x() + label->fontMetrics().horizontalAdvance(label->text()) <= about->width() - 3,
                     qPrintable(label->objectName() + QStringLiteral(": ") + label->text()));
        }
        about->close();
    }
};

QTEST_MAIN(LayoutFitTest)
#include "LayoutFitTest.moc"
