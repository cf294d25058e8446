// The themes page: enabling rule with focus, keys, sort and its stored value, apply, open,
// restore, remove, delete, drops, the report, and its wiring into the main window.
#include "ui/ThemesPage.h"

#include "app/options.h"
#include "imagelists/ListFile.h"
#include "language/TextTable.h"
#include "platform/DesktopWallpaper.h"
#include "platform/ScreenInfo.h"
#include "platform/Shell.h"
#include "themes/ThemeApplier.h"
#include "themes/ThemeFixtures.h"
#include "themes/ThemeStore.h"
#include "ui/ChangeScheduler.h"
#include "ui/Dialogs.h"
#include "ui/ImageListsPage.h"
#include "ui/PageShells.h"
#include "ui/PicturePreview.h"
#include "ui/uMainForm.h"
#include "wallpaper/ResolutionAgent.h"
#include "wallpaper/WallpaperSetter.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDropEvent>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace ondrix;
using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

class FakeShell final : public Shell
{
public:
    ShellResult Open(const std::string& target) override
    {
        opened.push_back(target);
        return ShellResult::Ok;
    }
    void OpenDisplaySettings() override {}
    std::vector<std::string> opened;
};

class QuietDesktop final : public DesktopWallpaper
{
public:
    Values Read() override { return values; }
    void Write(const Values& written) override { values = written; }
    std::string Name() const override { return "quiet"; }
    Values values;
};

class RecordingApplier final : public ThemeApplier
{
public:
    void ApplyTheme(const std::string& path) override { applied.push_back(path); }
    void DisableActiveDesktop() override
    {
        ++disabled;
        if (desktop)
            wallpaperAtDisable.push_back(desktop->values.wallpaper);
    }
    std::vector<std::string> applied;
    int disabled = 0;
    // What the desktop showed each time the layer went off.
    const QuietDesktop* desktop = nullptr;
    std::vector<std::string> wallpaperAtDisable;
};

QString TextOf(Txt key)
{
    const TextTableEntry& entry = kTextTable[static_cast<std::size_t>(key)];
    return QString::fromLatin1(entry.section) + "/" + QString::fromLatin1(entry.key);
}

std::string Cfg(const std::string& name, int style, const std::string& author = "Ann",
                const std::string& description = "Waves")
{
    return "[Name]\r\nThemeName=" + name + "\r\n[Author]\r\nThemeAuthor=" + author +
           "\r\n[Style]\r\nindex=" + std::to_string(style) +
           "\r\n[Description]\r\nDescription=" + description + "\r\n[Files]\r\nstartup=\\index.htm\r\n";
}

void Package(const std::string& path, const std::string& cfg)
{
    test::WriteRawZip(path, {{"theme.cfg", cfg, false}, {"index.htm", "<html></html>", false}});
}

void SetDate(const std::string& path, year_month_day day)
{
    fs::last_write_time(path, file_clock::from_sys(time_point_cast<seconds>(sys_days{day} + hours{12})));
}

// Every text of the table as "<section>/<key>", in a language file the main window loads.
std::string LanguageFile()
{
    std::string text = "[LANGUAGE_NAME]\nname=Testish\n";
    for (const TextTableEntry& entry : kTextTable)
        text += "[" + std::string(entry.section) + "]\n" + entry.key + "=" + entry.section + "/" + entry.key +
                "\n";
    return text;
}

} // namespace

class ThemesPageTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::ThemeAppDir> m_app;
    test::FixedProbes m_probes;
    std::unique_ptr<ThemeStore> m_store;
    TOptions m_options;
    TLanguage m_language;
    FakeShell m_shell;
    std::unique_ptr<QWidget> m_host;
    ThemesPage* m_page = nullptr;
    QLineEdit* m_other = nullptr;
    int m_removedCalls = 0;

    std::string Store(const std::string& name) const { return m_app->Store(name); }
    std::string Recycled(const std::string& name) const { return m_app->Recycled(name); }
    std::string Outside(const std::string& relative) const { return (m_app->dir.path() / relative).string(); }
    static bool Exists(const std::string& path) { return fs::exists(path); }

    void Open()
    {
        m_host = std::make_unique<QWidget>();
        auto* column = new QVBoxLayout(m_host.get());
        m_page = new ThemesPage(m_options, m_language, m_shell, m_store.get(), m_host.get());
        m_other = new QLineEdit(m_host.get());
        m_other->setObjectName(QStringLiteral("other"));
        column->addWidget(m_page, 1);
        column->addWidget(m_other);
        m_page->currentThemeRemoved = [this] { ++m_removedCalls; };
        m_page->FillAtStartup();
        m_host->resize(640, 420);
        m_host->show();
        m_host->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_host.get()));
    }
    QTreeWidget* List() const { return m_page->lvAdvanc(); }
    QToolButton* Button(const char* name) const { return m_page->Button(name); }
    QStringList Column(int column) const
    {
        QStringList texts;
        for (int row = 0; row < List()->topLevelItemCount(); ++row)
            texts << List()->topLevelItem(row)->text(column);
        return texts;
    }
    QStringList Captions() const { return Column(0); }
    QList<int> Selected() const
    {
        QList<int> rows;
        for (QTreeWidgetItem* item : List()->selectedItems())
            rows << List()->indexOfTopLevelItem(item);
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    int RowOf(const QString& caption) const { return static_cast<int>(Captions().indexOf(caption)); }
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QRect rect = List()->visualItemRect(List()->topLevelItem(row));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, modifiers, rect.center());
    }
    void ClickHeader(int column)
    {
        QHeaderView* header = List()->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
    }
    void ClickItem(QMenu* menu, const char* name)
    {
        QTRY_VERIFY(menu->isVisible());
        QAction* item = m_page->Item(name);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    }
    bool DropPaths(const std::vector<std::string>& paths)
    {
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& path : paths)
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        mime.setUrls(urls);
        const QPoint at(5, 5);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(List()->viewport(), &enter);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(List()->viewport(), &drop);
        return enter.isAccepted() && drop.isAccepted();
    }
    // Packages "t0".."t<n-1>" in the store, listed in name order.
    void SixPackages()
    {
        for (int i = 0; i < 6; ++i)
            Package(Store("t" + std::to_string(i) + ".ond"), Cfg("t" + std::to_string(i), 0));
    }

private slots:
    void init()
    {
        m_app = std::make_unique<test::ThemeAppDir>();
        m_probes = test::FixedProbes{};
        m_store = std::make_unique<ThemeStore>(m_app->env, m_probes);
        m_options = TOptions{};
        m_options.AppDir = m_app->dir.str();
        m_options.Links = {"l0", "https://link1.test/", "https://link2.test/", "l3", "l4"};
        for (std::size_t i = 0; i < kTextCount; ++i)
            m_language.Texts[i] = TextOf(static_cast<Txt>(i)).toStdString();
        m_shell = FakeShell{};
        m_removedCalls = 0;
        Dialogs::SetRecording(true);
    }

    void cleanup()
    {
        m_host.reset();
        m_page = nullptr;
        Dialogs::SetRecording(false);
    }

    void rowsShowNameStyleDateAndStorePath()
    {
        Package(Store("b.ond"), Cfg("Bee", 3));
        Package(Store("a.ond"), Cfg("Ant", 1));
        // Half an hour before midnight UTC, shown where it is already the next day: the row
        // shows the date in UTC.
        fs::last_write_time(Store("a.ond"), file_clock::from_sys(time_point_cast<seconds>(
                                                sys_days{2021y / March / 4} + 23h + 30min)));
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "Pacific/Kiritimati");
        ::tzset();
        const auto restoreZone = qScopeGuard([zone] {
            if (zone.isNull())
                qunsetenv("TZ");
            else
                qputenv("TZ", zone);
            ::tzset();
        });
        QCOMPARE(QDateTime::fromSecsSinceEpoch(1614900600).date(), QDate(2021, 3, 5)); // the zone is in force
        Open();
        QCOMPARE(Captions(), (QStringList{"Ant", "Bee"}));
        QTreeWidgetItem* ant = List()->topLevelItem(0);
        QCOMPARE(ant->data(0, ThemesPage::kImageRole).toInt(), 1);
        QCOMPARE(List()->topLevelItem(1)->data(0, ThemesPage::kImageRole).toInt(), 3);
        QCOMPARE(ant->text(1), QLocale::system().toString(QDate(2021, 3, 4), QLocale::ShortFormat));
        QCOMPARE(ant->text(2), QString::fromStdString(Store("a.ond")));
        QCOMPARE(List()->headerItem()->text(1), QStringLiteral("PAGE_ADVANCEDDESKTOP/lvcolumn1"));
        QCOMPARE(List()->header()->sectionSize(2), 253);

        // Without the player every theme shows the "cannot be shown" image.
        m_probes.flash = false;
        Open();
        QCOMPARE(List()->topLevelItem(0)->data(0, ThemesPage::kImageRole).toInt(), 5);
    }

    void startupRestoresTheSortAndColumnClicksStoreIt()
    {
        Package(Store("1.ond"), Cfg("beta", 0));
        Package(Store("2.ond"), Cfg("Beta", 0));
        Package(Store("3.ond"), Cfg("alpha", 0));
        SetDate(Store("1.ond"), 2020y / January / 10);
        SetDate(Store("2.ond"), 2022y / June / 1);
        SetDate(Store("3.ond"), 2019y / December / 31);
        m_options.lvadvSortType = 3;
        Open();
        // Date, descending.
        QCOMPARE(Captions(), (QStringList{"Beta", "beta", "alpha"}));
        QCOMPARE(List()->headerItem()->data(1, ThemesPage::kMarkerRole).toInt(), 7);
        QVERIFY(!List()->headerItem()->data(0, ThemesPage::kMarkerRole).isValid());

        ClickHeader(1);
        QCOMPARE(m_options.lvadvSortType, 2);
        QCOMPARE(Captions(), (QStringList{"alpha", "beta", "Beta"}));
        QCOMPARE(List()->headerItem()->data(1, ThemesPage::kMarkerRole).toInt(), 6);

        ClickHeader(0);
        QCOMPARE(m_options.lvadvSortType, 0);
        QCOMPARE(Captions(), (QStringList{"Beta", "alpha", "beta"})); // capitals first
        QVERIFY(!List()->headerItem()->data(1, ThemesPage::kMarkerRole).isValid());
        ClickHeader(0);
        QCOMPARE(m_options.lvadvSortType, 1);
        QCOMPARE(Captions(), (QStringList{"beta", "alpha", "Beta"}));
        QCOMPARE(List()->headerItem()->data(0, ThemesPage::kMarkerRole).toInt(), 7);
        ClickHeader(2);
        QCOMPARE(m_options.lvadvSortType, 4);
        QCOMPARE(Column(2).first(), QString::fromStdString(Store("1.ond")));
    }

    void aStoredRuleOutOfRangeReadsAsByName()
    {
        Package(Store("b.ond"), Cfg("b", 0));
        Package(Store("a.ond"), Cfg("a", 0));
        m_options.lvadvSortType = 42;
        Open();
        QCOMPARE(m_options.lvadvSortType, 0);
        QCOMPARE(Captions(), (QStringList{"a", "b"}));
    }

    void enablingRuleFollowsSelectionAndFocus()
    {
        SixPackages();
        Open();
        QVERIFY(!Button("padvbRemove")->isEnabled()); // nothing selected, nothing recycled
        ClickRow(1);
        QVERIFY(List()->hasFocus());
        for (const char* name : {"padvbApplay", "padvbReport", "padvbRemove", "padvbDelete"})
            QVERIFY2(Button(name)->isEnabled(), name);
        ClickRow(2, Qt::ControlModifier);
        QCOMPARE(Selected(), (QList<int>{1, 2}));
        QVERIFY(!Button("padvbApplay")->isEnabled());
        QVERIFY(!Button("padvbReport")->isEnabled());
        QVERIFY(Button("padvbRemove")->isEnabled());
        QVERIFY(Button("padvbDelete")->isEnabled());
        QVERIFY(!m_page->Item("padvPM0")->isEnabled());
        QVERIFY(!m_page->Item("padvPM3")->isEnabled());
        for (const char* name : {"padvPM1", "padvPM2", "padvbRemPM1"})
            QVERIFY2(m_page->Item(name)->isEnabled(), name);

        // The focus goes elsewhere: nothing to remove or restore.
        m_other->setFocus();
        QVERIFY(!List()->hasFocus());
        for (const char* name : {"padvbApplay", "padvbReport", "padvbRemove", "padvbDelete"})
            QVERIFY2(!Button(name)->isEnabled(), name);
        QVERIFY(!m_page->Item("padvbRemPM1")->isEnabled());

        // With a package in the recycle folder the Remove button stays for the restore.
        Package(Recycled("old.ond"), Cfg("old", 0));
        List()->setFocus();
        m_other->setFocus();
        QVERIFY(Button("padvbRemove")->isEnabled());
        QVERIFY(!Button("padvbDelete")->isEnabled());
    }

    void keysActOnlyUnderTheirConditions()
    {
        SixPackages();
        Open();
        QSignalSpy create(m_page, &ThemesPage::createRequested);
        QSignalSpy apply(m_page, &ThemesPage::applyRequested);
        QSignalSpy report(m_page, &ThemesPage::reportReady);
        ClickRow(0);
        QTest::keyClick(List(), Qt::Key_N);
        QCOMPARE(create.count(), 0);
        QTest::keyClick(List(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(create.count(), 1);

        QTest::keyClick(List(), Qt::Key_Return);
        QCOMPARE(apply.count(), 1);
        QCOMPARE(m_options.cadvTheme, Store("t0.ond"));
        QCOMPARE(apply.first().first().toString(), QStringLiteral("STATUS_BAR/msg3: ../advThemes_/t0.ond"));

        QTest::keyClick(List(), Qt::Key_R);
        QCOMPARE(report.count(), 1);
        QTest::keyClick(List(), Qt::Key_I);
        QCOMPARE(m_shell.opened, (std::vector<std::string>{"https://link1.test/"}));
        QTest::mouseClick(Button("padvbDownload"), Qt::LeftButton);
        QCOMPARE(m_shell.opened.back(), "https://link2.test/");

        // Delete recycles, Shift+Delete deletes for good.
        QTest::keyClick(List(), Qt::Key_Delete);
        QVERIFY(!Exists(Store("t0.ond")));
        QVERIFY(Exists(Recycled("t0.ond")));
        QCOMPARE(Captions().first(), QStringLiteral("t1"));
        QTest::keyClick(List(), Qt::Key_Delete, Qt::ShiftModifier);
        QVERIFY(!Exists(Store("t1.ond")));
        QVERIFY(!Exists(Recycled("t1.ond")));
        QCOMPARE(Captions().size(), 4);

        // Two rows selected: R does nothing.
        ClickRow(1, Qt::ControlModifier);
        QTest::keyClick(List(), Qt::Key_R);
        QCOMPARE(report.count(), 1);
        // Insert opens the dialog (cancelled here).
        Dialogs::SetNextChosenFiles({});
        QTest::keyClick(List(), Qt::Key_Insert);
        QCOMPARE(Dialogs::LastFileDialogCall().filter,
                 QStringLiteral("PAGE_ADVANCEDDESKTOP/filter0 (*.ond)"));
        QCOMPARE(Dialogs::RecordedMessages(), QStringList());
    }

    void doubleClickAppliesAndTheContextMenuActs()
    {
        SixPackages();
        Open();
        QSignalSpy apply(m_page, &ThemesPage::applyRequested);
        const QRect rect = List()->visualItemRect(List()->topLevelItem(2));
        // A double click begins with a press of its own, which selects the row.
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(apply.count(), 1);
        QCOMPARE(m_options.cadvTheme, Store("t2.ond"));

        // A right click through the window, as the window system delivers it, opens the menu.
        QWindow* window = m_host->windowHandle();
        QTest::mouseClick(window, Qt::RightButton, {},
                          List()->viewport()->mapTo(m_host.get(), rect.center()));
        ClickItem(m_page->ListMenu(), "padvPM1");
        QVERIFY(Exists(Recycled("t2.ond")));
        // The current theme has gone: the layer is switched off.
        QCOMPARE(m_options.cadvTheme, "");
        QCOMPARE(m_removedCalls, 1);
    }

    void aFileNameThatIsNotUtf8IsKeptByteForByte()
    {
        const std::string latin1 = Store("caf\xe9.ond");
        Package(latin1, Cfg("Cafe", 0));
        Open();
        QCOMPARE(ThemePackagePaths(*List()), std::vector<std::string>{latin1});
        ClickRow(RowOf("Cafe"));
        QTest::mouseClick(Button("padvbApplay"), Qt::LeftButton);
        QCOMPARE(m_options.cadvTheme, latin1);
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
        ClickRow(RowOf("Cafe"));
        QTest::mouseClick(Button("padvbRemove"), Qt::LeftButton);
        QVERIFY(Exists(Recycled("caf\xe9.ond")));
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
    }

    void removalSelectsTheRowBeforeTheLastOneRemoved()
    {
        SixPackages();
        Open();
        ClickRow(3);
        ClickRow(4, Qt::ControlModifier);
        QTest::mouseClick(Button("padvbRemove"), Qt::LeftButton); // nothing recycled: removes at once
        QCOMPARE(Captions(), (QStringList{"t0", "t1", "t2", "t5"}));
        QCOMPARE(Selected(), (QList<int>{2}));
        QCOMPARE(List()->currentIndex().row(), 2);
        QVERIFY(Exists(Recycled("t3.ond")));
        QVERIFY(Exists(Recycled("t4.ond")));
        // The button's look now offers the restore.
        QCOMPARE(Button("padvbRemove")->property("glyph").toString(), QStringLiteral("IDB_BITMAP11"));
        QCOMPARE(Button("padvbRemove")->toolTip(), QStringLiteral("PAGE_ADVANCEDDESKTOP/barbtn7"));

        ClickRow(0);
        QTest::mouseClick(Button("padvbRemove"), Qt::LeftButton); // now the menu
        ClickItem(m_page->RemoveMenu(), "padvbRemPM1");
        QCOMPARE(Captions(), (QStringList{"t1", "t2", "t5"}));
        QCOMPARE(Selected(), (QList<int>{0}));
        QCOMPARE(m_removedCalls, 0);
    }

    void aPackageWhoseMoveFailsStaysWithItsRow()
    {
        Package(Store("a.ond"), Cfg("a", 0));
        Package(Store("b.ond"), Cfg("b", 0));
        Open();
        // The recycle folder has become a file: nothing can move into it.
        fs::remove_all(Recycled(""));
        std::ofstream(Recycled("")) << "x";
        ClickRow(0);
        QTest::keyClick(List(), Qt::Key_Delete);
        QVERIFY(Exists(Store("a.ond")));
        QCOMPARE(Captions(), (QStringList{"a", "b"}));
        QCOMPARE(Dialogs::RecordedMessages().size(), 1);
        QVERIFY(Dialogs::RecordedMessages().first().contains(QStringLiteral("stays in the store")));
    }

    void openImportsCopiesAndDeletesOnlyFromTheOwnRecycleFolder()
    {
        Package(Store("old.ond"), Cfg("Old", 0));
        Package(Outside("mine/Recycled/keep.ond"), Cfg("Keep", 0));
        Package(Outside("downloads/wave.zip"), Cfg("Wave", 2));
        std::ofstream(Outside("downloads/notes.txt")) << "not a package";
        Open();
        Dialogs::SetNextChosenFiles({QString::fromStdString(Outside("mine/Recycled/keep.ond")),
                                     QString::fromStdString(Outside("downloads/wave.zip")),
                                     QString::fromStdString(Outside("downloads/notes.txt"))});
        QTest::mouseClick(Button("padvbOpen"), Qt::LeftButton);
        QCOMPARE(Dialogs::LastFileDialogCall().folder, QString());
        // Sorted by name after the open; the .zip is stored as .ond.
        QCOMPARE(Captions(), (QStringList{"Keep", "Old", "Wave"}));
        QVERIFY(Exists(Store("wave.ond")));
        QVERIFY(Exists(Store("keep.ond")));
        // The user's own folder named "Recycled" keeps its file.
        QVERIFY(Exists(Outside("mine/Recycled/keep.ond")));
        // The text file is no archive: one message, the others went in all the same.
        QCOMPARE(Dialogs::RecordedMessages().size(), 1);

        // Opening a package already listed keeps its one row.
        Dialogs::SetNextChosenFiles({QString::fromStdString(Store("old.ond"))});
        QTest::mouseClick(Button("padvbOpen"), Qt::LeftButton);
        QCOMPARE(Captions(), (QStringList{"Keep", "Old", "Wave"}));
    }

    void restoreBringsARecycledPackageBack()
    {
        Package(Store("a.ond"), Cfg("A", 0));
        Package(Recycled("back.ond"), Cfg("Back", 0));
        Open();
        QCOMPARE(Button("padvbRemove")->property("glyph").toString(), QStringLiteral("IDB_BITMAP11"));
        Dialogs::SetNextChosenFiles({QString::fromStdString(Recycled("back.ond"))});
        QTest::mouseClick(Button("padvbRemove"), Qt::LeftButton);
        ClickItem(m_page->RemoveMenu(), "padvbRemPM2");
        QCOMPARE(Dialogs::LastFileDialogCall().folder, QString::fromStdString(Recycled("")));
        QCOMPARE(Captions(), (QStringList{"A", "Back"}));
        QVERIFY(Exists(Store("back.ond")));
        QVERIFY(!Exists(Recycled("back.ond")));
        QCOMPARE(Button("padvbRemove")->property("glyph").toString(), QStringLiteral("IDB_BITMAP12"));
        QCOMPARE(Button("padvbRemove")->toolTip(), QStringLiteral("PAGE_ADVANCEDDESKTOP/barbtn2"));
    }

    void deleteRemovesForGoodAndClearsTheCurrentTheme()
    {
        SixPackages();
        m_options.cadvTheme = Store("t4.ond");
        Open();
        QCOMPARE(Selected(), (QList<int>{4})); // the current theme is selected at start
        List()->setFocus();
        QTest::mouseClick(Button("padvbDelete"), Qt::LeftButton);
        QVERIFY(!Exists(Store("t4.ond")));
        QVERIFY(!Exists(Recycled("t4.ond")));
        QCOMPARE(m_options.cadvTheme, "");
        QCOMPARE(m_removedCalls, 1);
        QCOMPARE(Selected(), (QList<int>{3}));
    }

    void droppedFilesAreUsedWholeAndFoldersAreSearched()
    {
        Package(Store("a.ond"), Cfg("A", 0));
        const std::string deep = Outside(std::string(60, 'd') + "/" + std::string(60, 'e') + "/long.ond");
        Package(deep, Cfg("Long", 0));
        QVERIFY(deep.size() > 99);
        Open();
        QVERIFY(DropPaths({deep}));
        QCOMPARE(Captions(), (QStringList{"A", "Long"})); // appended, not sorted
        QVERIFY(Exists(Store("long.ond")));
        QCOMPARE(Dialogs::RecordedMessages(), QStringList());

        // A folder with sub-folders: each package goes in, and the list shows the whole store.
        Package(Outside("tree/sub1/b.ond"), Cfg("B", 0));
        Package(Outside("tree/sub2/c.ond"), Cfg("C", 0));
        Package(Outside("tree/Recycled/no.ond"), Cfg("No", 0));
        Package(Outside("tree/d.ond"), Cfg("D", 0));
        // A damaged package in the tree is reported once the search is applied; one already in the
        // store, reported when it was met, is not reported again by the store's new listing.
        std::ofstream(Outside("tree/sub2/bad.ond")) << "junk";
        std::ofstream(Store("broken.ond")) << "junk";
        QSignalSpy status(m_page, &ThemesPage::statusText);
        QSignalSpy applied(m_page, &ThemesPage::searchApplied);
        QVERIFY(DropPaths({Outside("tree")}));
        QCOMPARE(status.count(), 1);
        QCOMPARE(status.first().first().toString(),
                 QStringLiteral("STATUS_BAR/msg2: ") + QString::fromStdString(Outside("tree")) + "/*.ond");
        QVERIFY(applied.wait(10000));
        QCOMPARE(Captions(), (QStringList{"A", "Long", "B", "C", "D"}));
        QCOMPARE(Dialogs::RecordedMessages().size(), 1);
        QVERIFY(Dialogs::RecordedMessages().first().contains(QStringLiteral("bad.ond")));
        Dialogs::RecordedMessages().clear();
        QVERIFY(!Exists(Store("no.ond")));
        QCOMPARE(m_page->RunningSearches(), 0);

        // A dropped file that is no package gives one message.
        std::ofstream(Outside("x.ond")) << "junk";
        QVERIFY(DropPaths({Outside("x.ond")}));
        QCOMPARE(Dialogs::RecordedMessages().size(), 1);
        QCOMPARE(Captions().size(), 5);
    }

    void reportDescribesThePackage()
    {
        Package(Store("sea.ond"), Cfg("Sea", 3, "Bo", "Blue waves"));
        test::WriteRawZip(Store("bare.ond"), {{"theme.cfg", "[Style]\r\nindex=1\r\n", false}});
        Open();
        QSignalSpy report(m_page, &ThemesPage::reportReady);
        ClickRow(RowOf("Sea"));
        QTest::mouseClick(Button("padvbReport"), Qt::LeftButton);
        QCOMPARE(report.count(), 1);
        QCOMPARE(report.first().at(0).toString(), QStringLiteral("Sea"));
        const QString text = report.first().at(1).toString();
        QCOMPARE(text, QStringLiteral("PAGE_REPORT/r0:  Sea\n\n"
                                      "PAGE_REPORT/r1:  Bo\n\n"
                                      "PAGE_REPORT/r2:  STYLES/s3\n\n"
                                      "PAGE_REPORT/r3:  Blue waves\n\n"
                                      "PAGE_REPORT/r4:  ../advThemes_/sea.ond\n\n"));
        QCOMPARE(text.count(QLatin1Char('\n')), 10);

        // Missing keys read as their defaults.
        ClickRow(RowOf("No name"));
        QTest::keyClick(List(), Qt::Key_R);
        QCOMPARE(report.count(), 2);
        QVERIFY(report.last().at(1).toString().startsWith(QStringLiteral(
            "PAGE_REPORT/r0:  No name\n\nPAGE_REPORT/r1:  Unknown\n\nPAGE_REPORT/r2:  STYLES/s1\n\n"
            "PAGE_REPORT/r3:  None\n\n")));
        QVERIFY(!Exists(Recycled("1000.tmp")));
    }

    // A package deleted outside the program: Delete removes its row, and as the current
    // theme it is cleared and the layer switched off.
    void theRowOfAVanishedPackageIsRemoved()
    {
        Package(Store("a.ond"), Cfg("A", 0));
        Package(Store("x.ond"), Cfg("X", 0));
        m_options.cadvTheme = Store("x.ond");
        Open();
        fs::remove(Store("x.ond"));
        ClickRow(RowOf("X"));
        QTest::keyClick(List(), Qt::Key_Delete);
        QCOMPARE(Captions(), QStringList{"A"});
        QCOMPARE(m_options.cadvTheme, "");
        QCOMPARE(m_removedCalls, 1);
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
        QVERIFY(!Exists(Recycled("x.ond")));
    }

    void aVanishedPackageGivesOneMessage()
    {
        Package(Store("a.ond"), Cfg("A", 0));
        Open();
        QSignalSpy apply(m_page, &ThemesPage::applyRequested);
        QSignalSpy report(m_page, &ThemesPage::reportReady);
        ClickRow(0);
        fs::remove(Store("a.ond"));
        QTest::keyClick(List(), Qt::Key_Return);
        QCOMPARE(apply.count(), 0);
        QCOMPARE(m_options.cadvTheme, "");
        QCOMPARE(Dialogs::RecordedMessages().size(), 1);
        QVERIFY(Dialogs::RecordedMessages().first().contains(QString::fromStdString(Store("a.ond"))));
        QTest::keyClick(List(), Qt::Key_R);
        QCOMPARE(report.count(), 0);
        QCOMPARE(Dialogs::RecordedMessages().size(), 2);
    }

    void textsFollowALanguageSwitch()
    {
        Open();
        TLanguage other;
        for (std::size_t i = 0; i < kTextCount; ++i)
            other.Texts[i] = "x-" + TextOf(static_cast<Txt>(i)).toStdString();
        m_page->ApplyTexts(other);
        QCOMPARE(Button("padvbApplay")->toolTip(), QStringLiteral("x-PAGE_ADVANCEDDESKTOP/barbtn0"));
        QCOMPARE(m_page->Item("padvbRemPM2")->text(), QStringLiteral("x-PAGE_ADVANCEDDESKTOP/bRemovePM1"));
        QCOMPARE(m_page->Item("padvPM3")->text(), QStringLiteral("x-PAGE_ADVANCEDDESKTOP/barbtn5"));
        QCOMPARE(List()->headerItem()->text(0), QStringLiteral("x-PAGE_ADVANCEDDESKTOP/lvcolumn0"));
        QCOMPARE(Button("padvbRemove")->toolTip(), QStringLiteral("x-PAGE_ADVANCEDDESKTOP/barbtn2"));
    }

    // The page in the main window: the start-up change sees the sorted list, Apply goes
    // through the scheduler, the report shows page 4, hover texts reach the status bar.
    void mainWindowWiring()
    {
        Package(Store("a.ond"), Cfg("a", 0));
        Package(Store("b.ond"), Cfg("b", 0));
        Package(Store("c.ond"), Cfg("c", 0));
        {
            std::ofstream(m_app->dir.path() / "testish.lng") << LanguageFile();
        }
        m_options.LanguageFileName = (m_app->dir.path() / "testish.lng").string();
        m_options.lvadvSortType = 1; // by name, descending: c, b, a
        m_options.Enabled = true;
        m_options.state = 0;
        m_options.advChType = 1;
        m_options.cadvTheme = Store("c.ond");
        FixedScreenInfo screen{DesktopSize{1024, 768}};
        TRAgent agent(screen);
        QuietDesktop desktop;
        WallpaperSetter setter(m_options, agent, desktop);
        RecordingApplier applier;
        TfMain window(m_options, agent, m_shell, setter, applier, m_store.get());
        // The theme after c in the sorted list is b; in file order it would be a.
        QCOMPARE(applier.applied, (std::vector<std::string>{Store("b.ond")}));
        QCOMPARE(m_options.cadvTheme, Store("b.ond"));

        window.show();
        window.SetActivePage(TfMain::PageThemes);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ThemesPage* page = window.ThemesPageWidget();
        QTreeWidget* list = page->lvAdvanc();
        list->setFocus();
        const QRect third = list->visualItemRect(list->topLevelItem(2));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third.center());
        QTest::mouseClick(page->Button("padvbApplay"), Qt::LeftButton);
        QCOMPARE(applier.applied.back(), Store("a.ond"));
        QCOMPARE(m_options.cadvTheme, Store("a.ond"));
        QCOMPARE(window.StatusPanelText(0), QStringLiteral("STATUS_BAR/msg3: ../advThemes_/a.ond"));
        QVERIFY(!window.HoverLock());

        QTest::mouseClick(page->Button("padvbReport"), Qt::LeftButton);
        QCOMPARE(window.ActivePageIndex(), int(TfMain::PageReport));
        ReportPage* reportPage = window.ReportPageWidget();
        QVERIFY(reportPage->RMemo()->toPlainText().startsWith(QStringLiteral("PAGE_REPORT/r0:  a\n")));
        QCOMPARE(reportPage->ThemeName(), "a");
        QCOMPARE(reportPage->prepBBack()->property("tag").toInt(), 0);
        QTest::mouseClick(reportPage->prepBBack(), Qt::LeftButton);
        QCOMPARE(window.ActivePageIndex(), int(TfMain::PageThemes));

        // Ctrl+N on the list shows the creation page; keys the list does not know reach the window.
        list->setFocus();
        QTest::keyClick(list, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(window.ActivePageIndex(), int(TfMain::PageCreator));
        window.SetActivePage(TfMain::PageThemes);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_F2, Qt::ControlModifier);
        QCOMPARE(window.ActivePageIndex(), int(TfMain::PageImageLists));

        // Hover over a toolbar button of the page.
        window.SetActivePage(TfMain::PageThemes);
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(page->Button("padvbOpen"), &enter);
        QVERIFY(window.HoverLock());
        QCOMPARE(window.StatusPanelText(0), QStringLiteral("PAGE_ADVANCEDDESKTOP/barbtn1"));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(page->Button("padvbOpen"), &leave);
        QVERIFY(!window.HoverLock());
        QVERIFY(window.StatusPanelText(0).startsWith(QStringLiteral("STATUS_BAR/msg0: 3")));

        // Removing the current theme switches the layer off.
        const int disabledBefore = applier.disabled;
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(m_options.cadvTheme, "");
        QCOMPARE(applier.disabled, disabledBefore + 1);
        QCOMPARE(Dialogs::RecordedMessages(), QStringList());
    }

    // The image lists page's "show at once" (a double click on the preview) switches the
    // theme layer off before the picture becomes the wallpaper.
    void showAtOnceSwitchesTheLayerOffFirst()
    {
        fs::create_directories(m_app->dir.path() / "imgLists" / "WorkDir");
        fs::create_directories(m_app->dir.path() / "imgLists" / "Recycled");
        const std::string picture = Outside("pics/p.bmp");
        fs::create_directories(m_app->dir.path() / "pics");
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(image.save(QString::fromStdString(picture), "BMP"));
        const std::string list = Outside("imgLists/l.lst");
        WriteListLines(list, {picture + "?8*6"});
        m_options.cIList = list;
        FixedScreenInfo screen{DesktopSize{1024, 768}};
        TRAgent agent(screen);
        QuietDesktop desktop;
        WallpaperSetter setter(m_options, agent, desktop);
        RecordingApplier applier;
        applier.desktop = &desktop;
        TfMain window(m_options, agent, m_shell, setter, applier, m_store.get());
        window.show();
        window.SetActivePage(TfMain::PageImageLists);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PicturePreview* preview = window.findChild<PicturePreview*>();
        QVERIFY(preview);
        QTRY_VERIFY(preview->HasPicture());
        const int before = applier.disabled;
        QTest::mouseDClick(preview->findChild<QWidget*>("pilprewIMage"), Qt::LeftButton);
        QCOMPARE(applier.disabled, before + 1);
        QVERIFY(applier.wallpaperAtDisable.back() != desktop.values.wallpaper);
        QCOMPARE(desktop.values.wallpaper, Outside("imgLists/WorkDir/wallpaper.bmp"));
    }
};

QTEST_MAIN(ThemesPageTest)
#include "ThemesPageTest.moc"
