// The image lists page: enabling rules, keys of both views, sort, list and entry operations,
// drag reorder, drops of files and folders, the folder search and the preview.
#include "ui/ImageListsPage.h"

#include "app/options.h"
#include "imagelists/ListFile.h"
#include "language/TextTable.h"
#include "platform/DesktopWallpaper.h"
#include "platform/Shell.h"
#include "ui/Dialogs.h"
#include "ui/ImageListModels.h"
#include "ui/PicturePreview.h"
#include "wallpaper/BmpCodec.h"
#include "wallpaper/ResolutionAgent.h"
#include "wallpaper/WallpaperSetter.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>

#include <cstdlib>
#include <memory>

using namespace ondrix;
using Lines = std::vector<std::string>;

namespace {

class NullShell final : public Shell
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

class RecordingDesktop final : public DesktopWallpaper
{
public:
    Values Read() override { return values; }
    void Write(const Values& written) override
    {
        values = written;
        ++writes;
    }
    std::string Name() const override { return "recording"; }
    Values values{"user.bmp", "0"};
    int writes = 0;
};

QString TextOf(Txt key)
{
    const TextTableEntry& entry = kTextTable[static_cast<std::size_t>(key)];
    return QString::fromLatin1(entry.section) + "/" + QString::fromLatin1(entry.key);
}

} // namespace

class ImageListsPageTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    TOptions m_options;
    TLanguage m_language;
    FixedScreenInfo m_screen{DesktopSize{800, 600}};
    std::unique_ptr<TRAgent> m_agent;
    RecordingDesktop m_desktop;
    NullShell m_shell;
    std::unique_ptr<WallpaperSetter> m_setter;
    std::unique_ptr<ImageListsPage> m_page;

    std::string App(const std::string& relative) const { return AppDir() + "/" + relative; }
    std::string AppDir() const { return m_dir->path().toStdString(); }
    std::string Stored(const std::string& name) const { return App("imgLists/" + name); }
    static bool Exists(const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); }

    void Put(const std::string& path, const std::string& bytes) const
    {
        QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
        QFile file(QString::fromStdString(path));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    std::string Picture(const std::string& relative, int width, int height, const char* format = "BMP") const
    {
        const std::string path = App(relative);
        QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        if (!image.save(QString::fromStdString(path), format))
            qFatal("cannot write %s", path.c_str());
        return path;
    }

    void Open()
    {
        m_page = std::make_unique<ImageListsPage>(m_options, m_language, *m_setter, m_shell);
        m_page->resize(620, 420);
        m_page->FillAtStartup();
        m_page->show();
        m_page->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_page.get()));
    }
    QToolButton* Button(const char* name) const { return m_page->Button(name); }
    QTreeView* Lists() const { return m_page->lvILists(); }
    QTreeView* Entries() const { return m_page->lvILFiles(); }
    QStringList Names() const
    {
        QStringList names;
        for (const ImageList& row : m_page->ListRows())
            names << QString::fromStdString(row.Name);
        return names;
    }
    int RowOf(const std::string& name) const
    {
        const auto rows = m_page->ListRows();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].Name == name)
                return static_cast<int>(i);
        return -1;
    }
    void SelectLists(std::initializer_list<const char*> names)
    {
        Lists()->setFocus();
        Lists()->selectionModel()->clearSelection();
        for (const char* name : names)
            Lists()->selectionModel()->select(Lists()->model()->index(RowOf(name), 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // A real click on the list's row: it selects the row and gives the view the focus.
    void ClickList(const std::string& name)
    {
        const QModelIndex index = Lists()->model()->index(RowOf(name), 0);
        QTest::mouseClick(Lists()->viewport(), Qt::LeftButton, {}, Lists()->visualRect(index).center());
    }
    int SelectedEntry() const
    {
        const auto rows = Entries()->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.front().row();
    }
    void Key(QWidget* view, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(view, key, modifiers);
    }
    bool Drop(QTreeView* view, QMimeData* mime, QPoint at = {5, 5})
    {
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &enter);
        QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &drop);
        return enter.isAccepted() && drop.isAccepted();
    }
    bool DropPaths(QTreeView* view, const std::vector<std::string>& paths)
    {
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& path : paths)
            urls << (path.starts_with("http") ? QUrl(QString::fromStdString(path))
                                              : QUrl::fromLocalFile(QString::fromStdString(path)));
        mime.setUrls(urls);
        return Drop(view, &mime);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        for (const char* folder : {"imgLists/Recycled", "imgLists/WorkDir"})
            QVERIFY(QDir().mkpath(m_dir->filePath(QString::fromLatin1(folder))));
        m_options = TOptions{};
        m_options.AppDir = AppDir();
        m_options.Links = {"l0", "l1", "https://download.test/", "l3", "l4"};
        for (std::size_t i = 0; i < kTextCount; ++i)
            m_language.Texts[i] = TextOf(static_cast<Txt>(i)).toStdString();
        m_agent = std::make_unique<TRAgent>(m_screen);
        m_desktop = RecordingDesktop{};
        m_setter = std::make_unique<WallpaperSetter>(m_options, *m_agent, m_desktop);
        Dialogs::SetRecording(true);
    }

    void cleanup()
    {
        m_page.reset();
        Dialogs::SetRecording(false);
    }

    void startupSortsByTheStoredRuleAndColumnClicksStoreIt()
    {
        WriteListLines(Stored("apple.lst"), {"a?1*1", "b?1*1", "c?1*1"});
        WriteListLines(Stored("Zoo.lst"), {"a?1*1"});
        WriteListLines(Stored("mid.lst"), {"a?1*1", "b?1*1"});
        m_options.lvIListsSortType = 3;
        m_options.cIList = Stored("mid.lst");
        Open();
        QCOMPARE(Names(), (QStringList{"apple.lst", "mid.lst", "Zoo.lst"}));
        QHeaderView* header = Lists()->header();
        QCOMPARE(header->sortIndicatorSection(), 1);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        // The current list is selected and its entries are shown.
        QCOMPARE(Lists()->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(Lists()->selectionModel()->selectedRows().front().row(), RowOf("mid.lst"));
        QCOMPARE(m_page->EntryCaptions(), (Lines{"a", "b"}));

        const auto click = [&](int column) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
        };
        click(1);
        QCOMPARE(m_options.lvIListsSortType, 2);
        QCOMPARE(Names(), (QStringList{"Zoo.lst", "mid.lst", "apple.lst"}));
        click(0);
        QCOMPARE(m_options.lvIListsSortType, 0);
        QCOMPARE(Names(), (QStringList{"Zoo.lst", "apple.lst", "mid.lst"})); // capitals first
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        click(2);
        QCOMPARE(m_options.lvIListsSortType, 4);
        click(2);
        QCOMPARE(m_options.lvIListsSortType, 5);
        QCOMPARE(Names(), (QStringList{"mid.lst", "apple.lst", "Zoo.lst"}));
        // The selection follows its row through every sort.
        QCOMPARE(Lists()->selectionModel()->selectedRows().front().row(), RowOf("mid.lst"));
    }

    void storedSortRuleOutOfRangeReadsAsByName()
    {
        WriteListLines(Stored("b.lst"), {});
        WriteListLines(Stored("a.lst"), {"x?1*1"});
        m_options.lvIListsSortType = 9;
        Open();
        QCOMPARE(m_options.lvIListsSortType, 0);
        QCOMPARE(Names(), (QStringList{"a.lst", "b.lst"}));
    }

    void enablingRulesFollowSelectionAndFocus()
    {
        const std::string first = Picture("pics/first.bmp", 4, 3);
        WriteListLines(Stored("one.lst"), {first + "?4*3", "second.jpg?8*8"});
        WriteListLines(Stored("two.lst"), {});
        Put(App("imgLists/Recycled/old.lst"), "");
        Open();
        QVERIFY(!Button("pilbApplay")->isEnabled());
        QVERIFY(Button("pilbRemove")->isEnabled()); // the recycle folder holds a list
        QVERIFY(Button("pilbIFAdd")->isEnabled());

        SelectLists({"one.lst", "two.lst"});
        QCOMPARE(Entries()->model()->rowCount(), 0);
        QVERIFY(!Button("pilbApplay")->isEnabled());
        QVERIFY(Button("pilbDelete")->isEnabled());

        SelectLists({"one.lst"});
        QVERIFY(Button("pilbApplay")->isEnabled());
        QCOMPARE(m_page->EntryCaptions(), (Lines{first, "second.jpg"}));
        QCOMPARE(m_page->findChild<QLabel*>("p22articlelabel")->text(), ".: PAGES_ARTICLES/p5 ..one.lst");
        // The first picture is previewed, but the first row is not selected.
        QVERIFY(m_page->Preview()->HasPicture());
        QCOMPARE(SelectedEntry(), -1);

        // Moving the focus to the entries view selects its first row and turns the rules over.
        Key(Lists(), Qt::Key_Tab);
        QVERIFY(Entries()->hasFocus());
        QCOMPARE(SelectedEntry(), 0);
        QVERIFY(!Button("pilbDelete")->isEnabled());
        QVERIFY(!Button("pilbApplay")->isEnabled());
        QVERIFY(!m_page->Item("pilILPM3")->isEnabled());
        QVERIFY(!m_page->Item("pilILPM4")->isEnabled());
        QVERIFY(Button("pilbRemove")->isEnabled());
        for (const char* name : {"pilbIFRemove", "pilbIFWallPaper", "pilbIFMoveUp", "pilbIFMoveDown"})
            QVERIFY2(Button(name)->isEnabled(), name);
        m_page->UpdatePreviewHeader();
        QCOMPARE(m_page->Preview()->Header()->text(), ".: PAGES_ARTICLES/p6:..first.bmp");

        Lists()->setFocus();
        for (const char* name : {"pilbIFRemove", "pilbIFWallPaper", "pilbIFMoveUp", "pilbIFMoveDown"})
            QVERIFY2(!Button(name)->isEnabled(), name);
    }

    void entryMenuFollowsSelectionAndFocusAndItsItemsAct()
    {
        WriteListLines(Stored("l.lst"), {"A.jpg?1*1", "B.jpg?1*1", "C.jpg?1*1"});
        Open();
        SelectLists({"l.lst"});
        auto* menu = m_page->findChild<QMenu*>("pilIFPM");
        QVERIFY(menu);
        const auto openMenu = [&] {
            const QPoint at(5, 5);
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, Entries()->viewport()->mapToGlobal(at));
            QApplication::sendEvent(Entries()->viewport(), &event);
            QTRY_VERIFY(menu->isVisible());
        };
        const auto enabled = [&] {
            QStringList names;
            for (QAction* item : menu->actions())
                if (item->isEnabled())
                    names << item->objectName();
            menu->hide();
            return names;
        };
        const QStringList always{"pilIFPM0", "pilIFPM3"};
        const QStringList all{"pilIFPM0", "pilIFPM1", "pilIFPM2", "pilIFPM3", "pilIFPM4", "pilIFPM5"};

        // The lists view has the focus and no entry is selected.
        openMenu();
        QCOMPARE(enabled(), always);
        // The entries view takes the focus (and selects its first row).
        Entries()->setFocus();
        QCOMPARE(SelectedEntry(), 0);
        openMenu();
        QCOMPARE(enabled(), all);
        // An entry stays selected, but the focus went back to the lists view.
        Lists()->setFocus();
        QCOMPARE(SelectedEntry(), 0);
        openMenu();
        QCOMPARE(enabled(), always);

        // Items chosen in the open menu act on the selected entry.
        Entries()->setFocus();
        Entries()->setCurrentIndex(Entries()->model()->index(1, 0));
        const auto choose = [&](const char* name) {
            openMenu();
            QAction* item = m_page->Item(name);
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
            QTRY_VERIFY(!menu->isVisible());
        };
        choose("pilIFPM5"); // down
        QCOMPARE(ReadListLines(Stored("l.lst")), (Lines{"A.jpg?1*1", "C.jpg?1*1", "B.jpg?1*1"}));
        QCOMPARE(SelectedEntry(), 2);
        choose("pilIFPM4"); // up
        QCOMPARE(ReadListLines(Stored("l.lst")), (Lines{"A.jpg?1*1", "B.jpg?1*1", "C.jpg?1*1"}));
        QCOMPARE(SelectedEntry(), 1);
        choose("pilIFPM3"); // the item without an action changes nothing
        QCOMPARE(ReadListLines(Stored("l.lst")), (Lines{"A.jpg?1*1", "B.jpg?1*1", "C.jpg?1*1"}));
        QSignalSpy modes(m_page.get(), &ImageListsPage::pictureModeRequested);
        choose("pilIFPM2"); // show now
        QCOMPARE(modes.size(), 1);
        QCOMPARE(m_options.cImg, std::string("B.jpg"));
        choose("pilIFPM1"); // remove
        QCOMPARE(ReadListLines(Stored("l.lst")), (Lines{"A.jpg?1*1", "C.jpg?1*1"}));
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
    }

    void listKeysCreateRenameImportRecycleDeleteAndApply()
    {
        WriteListLines(Stored("untitled1.lst"), {"p.jpg?1*1", "q.jpg?1*1"});
        Open();
        SelectLists({"untitled1.lst"});
        Key(Lists(), Qt::Key_N); // N alone does nothing
        QCOMPARE(m_page->ListCount(), 1);

        Key(Lists(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(m_page->ListCount(), 2);
        QVERIFY(Exists(Stored("untitled2.lst")));
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, "Holiday");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(Names(), (QStringList{"untitled1.lst", "Holiday.lst"}));
        QVERIFY(Exists(Stored("Holiday.lst")));
        QVERIFY(!Exists(Stored("untitled2.lst")));

        // A name another list has is refused and both lists stay.
        QVERIFY(Lists()->model()->setData(Lists()->model()->index(1, 0), "untitled1", Qt::EditRole));
        QTRY_COMPARE(Dialogs::RecordedMessages().size(), 1);
        QCOMPARE(Names(), (QStringList{"untitled1.lst", "Holiday.lst"}));
        QCOMPARE(ReadListLines(Stored("untitled1.lst")).size(), 2u);

        // Enter makes the list current with its first picture.
        QSignalSpy modes(m_page.get(), &ImageListsPage::pictureModeRequested);
        SelectLists({"untitled1.lst"});
        Key(Lists(), Qt::Key_Return);
        QCOMPARE(modes.size(), 1);
        QCOMPARE(m_options.cIList, Stored("untitled1.lst"));
        QCOMPARE(m_options.cImg, std::string("p.jpg"));

        // Insert imports through the open dialog and sorts.
        Put(App("elsewhere/Travel.LST"), "t?1*1\r\n");
        Dialogs::SetNextChosenFiles({QString::fromStdString(App("elsewhere/Travel.LST"))});
        Key(Lists(), Qt::Key_Insert);
        QCOMPARE(Names(), (QStringList{"Holiday.lst", "Travel.lst", "untitled1.lst"}));
        QVERIFY(Exists(App("elsewhere/Travel.LST"))); // a file from elsewhere stays

        // Delete recycles the current list at once (nothing recycled yet), losing the wallpaper.
        SelectLists({"untitled1.lst"});
        Key(Lists(), Qt::Key_Delete);
        QVERIFY(Exists(App("imgLists/Recycled/untitled1.lst")));
        QCOMPARE(m_options.cIList, std::string());
        QCOMPARE(m_options.cImg, std::string());
        QCOMPARE(m_desktop.values.wallpaper, std::string());
        QCOMPARE(Names(), (QStringList{"Holiday.lst", "Travel.lst"}));
        QCOMPARE(Lists()->selectionModel()->selectedRows().front().row(), 1); // the row before

        // Shift+Delete deletes for good.
        SelectLists({"Holiday.lst"});
        Key(Lists(), Qt::Key_Delete, Qt::ShiftModifier);
        QVERIFY(!Exists(Stored("Holiday.lst")));
        QVERIFY(!Exists(App("imgLists/Recycled/Holiday.lst")));
        QCOMPARE(Names(), (QStringList{"Travel.lst"}));
    }

    void removeButtonMenuRecyclesWithoutLossAndRestores()
    {
        WriteListLines(Stored("a.lst"), {"new?1*1"});
        WriteListLines(Stored("b.lst"), {});
        Put(App("imgLists/Recycled/a.lst"), "old?1*1\r\n");
        Open();
        QCOMPARE(Button("pilbRemove")->property("glyph").toString(), QStringLiteral("IDB_BITMAP11"));
        QCOMPARE(Button("pilbRemove")->toolTip(), TextOf(Txt::PAGE_IMAGE_LISTS_barbtn7));

        SelectLists({"a.lst"});
        Button("pilbRemove")->click();
        QTRY_VERIFY(m_page->RemoveMenu()->isVisible()); // a menu, not an action
        m_page->RemoveMenu()->hide();
        SelectLists({"a.lst"});
        m_page->Item("pilbRemPM1")->trigger();
        // The name is taken in the recycle folder: both recycled lists are kept.
        QDir recycled(QString::fromStdString(App("imgLists/Recycled")));
        QCOMPARE(recycled.entryList({"*.lst"}, QDir::Files).size(), 2);
        QCOMPARE(Names(), (QStringList{"b.lst"}));

        Dialogs::SetNextChosenFiles({QString::fromStdString(App("imgLists/Recycled/a.lst"))});
        m_page->Item("pilbRemPM2")->trigger();
        QCOMPARE(Dialogs::LastFileDialogCall().folder, QString::fromStdString(App("imgLists/Recycled")));
        QCOMPARE(ReadListLines(Stored("a.lst")), (Lines{"old?1*1"}));
        QVERIFY(!Exists(App("imgLists/Recycled/a.lst")));
        QCOMPARE(Names(), (QStringList{"a.lst", "b.lst"}));

        // An import from a folder that merely holds "Recycled" in its name deletes nothing.
        Put(App("Recycled stuff/c.lst"), "");
        Dialogs::SetNextChosenFiles({QString::fromStdString(App("Recycled stuff/c.lst"))});
        m_page->pilbAddClick();
        QVERIFY(Exists(App("Recycled stuff/c.lst")));
        QCOMPARE(Dialogs::LastFileDialogCall().folder, QString::fromStdString(AppDir()));

        Button("pilbDownload")->click();
        QCOMPARE(m_shell.opened, (Lines{"https://download.test/"}));
    }

    void entryKeysMoveRemoveShowAndAdd()
    {
        WriteListLines(Stored("l.lst"), {"A.jpg?1*1", "B.jpg?1*1", "C.jpg?1*1"});
        Open();
        SelectLists({"l.lst"});
        Entries()->setFocus();
        QCOMPARE(SelectedEntry(), 0);
        Key(Entries(), Qt::Key_Up, Qt::ShiftModifier); // the first changes places with the last
        QCOMPARE(ReadListLines(Stored("l.lst")), (Lines{"C.jpg?1*1", "B.jpg?1*1", "A.jpg?1*1"}));
        QCOMPARE(SelectedEntry(), 2);
        Key(Entries(), Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(ReadListLines(Stored("l.lst")), (Lines{"A.jpg?1*1", "B.jpg?1*1", "C.jpg?1*1"}));
        QCOMPARE(SelectedEntry(), 0);
        Key(Entries(), Qt::Key_Down); // plain Down only moves the selection
        QCOMPARE(SelectedEntry(), 1);
        QCOMPARE(ReadListLines(Stored("l.lst")).front(), std::string("A.jpg?1*1"));

        QSignalSpy modes(m_page.get(), &ImageListsPage::pictureModeRequested);
        Key(Entries(), Qt::Key_Space);
        QCOMPARE(modes.size(), 1);
        QCOMPARE(m_options.cImg, std::string("B.jpg"));

        Key(Entries(), Qt::Key_Delete);
        QCOMPARE(ReadListLines(Stored("l.lst")), (Lines{"A.jpg?1*1", "C.jpg?1*1"}));
        QCOMPARE(m_page->ListRows().front().Count, std::string("2"));
        QCOMPARE(SelectedEntry(), 0);

        const std::string p1 = Picture("p/one.bmp", 5, 6);
        const std::string p2 = Picture("p/two.jpg", 7, 8, "JPG");
        const std::string p3 = Picture("p/three.bmp", 9, 10);
        Dialogs::SetNextChosenFiles(
            {QString::fromStdString(p1), QString::fromStdString(p2), QString::fromStdString(p3)});
        Key(Entries(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(Entries()->model()->rowCount(), 5);
        QCOMPARE(SelectedEntry(), 3); // the next-to-last
        QCOMPARE(ReadListLines(Stored("l.lst")).at(3), p2 + "?7*8");
        QCOMPARE(m_page->ListRows().front().Count, std::string("5"));
    }

    void dragReorderChangesTheViewOnly()
    {
        WriteListLines(Stored("l.lst"), {"A.jpg?1*1", "B.jpg?1*1", "C.jpg?1*1"});
        Open();
        SelectLists({"l.lst"});
        auto* model = static_cast<EntriesModel*>(Entries()->model());
        std::unique_ptr<QMimeData> dragged(model->mimeData({model->index(2, 0)}));
        QVERIFY(Drop(Entries(), dragged.get(), Entries()->visualRect(model->index(0, 0)).center()));
        QCOMPARE(m_page->EntryCaptions(), (Lines{"C.jpg", "A.jpg", "B.jpg"}));
        QCOMPARE(SelectedEntry(), 0);
        QCOMPARE(ReadListLines(Stored("l.lst")).front(), std::string("A.jpg?1*1"));
        // The file has not changed, so clicks and focus changes keep the order shown.
        ClickList("l.lst");
        Entries()->setFocus();
        Lists()->setFocus();
        QCOMPARE(m_page->EntryCaptions(), (Lines{"C.jpg", "A.jpg", "B.jpg"}));
        // Rows dragged from elsewhere are refused.
        QMimeData foreign;
        foreign.setData(EntriesModel::kRowMime, "1 0");
        QVERIFY(!Drop(Entries(), &foreign));
        // Selecting the list again shows the file's order.
        SelectLists({});
        SelectLists({"l.lst"});
        QCOMPARE(m_page->EntryCaptions(), (Lines{"A.jpg", "B.jpg", "C.jpg"}));
    }

    void previewShowsGoodPicturesAndReportsBrokenOnes()
    {
        const std::string good = Picture("p/good.bmp", 40, 30);
        // Noise keeps the file big enough to be decoded off the user-interface thread.
        const std::string big = App("p/big.jpg");
        QImage noise(1600, 1200, QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 256, (x * y) % 256, (x ^ y) % 256));
        QVERIFY(noise.save(QString::fromStdString(big), "JPG", 100));
        QVERIFY(QFileInfo(QString::fromStdString(big)).size() > PicturePreview::kDecodeInlineLimit);
        Put(App("p/bad.bmp"), "BM broken");
        Put(App("p/bad.jpg"), "\xff\xd8 broken");
        WriteListLines(Stored("l.lst"), {good + "?40*30", App("p/bad.bmp") + "?1*1",
                                         App("p/bad.jpg") + "?1*1", big + "?1600*1200"});
        Open();
        SelectLists({"l.lst"});
        PicturePreview* preview = m_page->Preview();
        QVERIFY(preview->HasPicture());
        QCOMPARE(preview->PanelText(), TextOf(Txt::PAGE_IMAGE_LISTS_prewievPanel));

        Entries()->setFocus();
        // A broken JPEG empties the preview but leaves the panel's text; a broken bitmap says so.
        Entries()->setCurrentIndex(Entries()->model()->index(2, 0));
        QTRY_VERIFY(!preview->HasPicture());
        QCOMPARE(preview->PanelText(), TextOf(Txt::PAGE_IMAGE_LISTS_prewievPanel));
        Entries()->setCurrentIndex(Entries()->model()->index(1, 0));
        QVERIFY(!preview->HasPicture());
        QCOMPARE(preview->PanelText(), QStringLiteral("Error.:."));
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
        m_page->pilprewIMageDblClick(); // nothing to show: nothing happens
        QCOMPARE(m_desktop.writes, 0);

        QSignalSpy finished(preview, &PicturePreview::previewFinished);
        Entries()->setCurrentIndex(Entries()->model()->index(3, 0));
        QVERIFY(!preview->HasPicture()); // still decoding on the worker thread
        QVERIFY(finished.wait(10000));
        QVERIFY(preview->HasPicture());
        QVERIFY(preview->Image().width() < 1600); // decoded at a reduced scale
        QWidget* picture = preview->findChild<QWidget*>("pilprewIMage");
        QTest::mouseDClick(picture, Qt::LeftButton);
        const std::string work = App("imgLists/WorkDir/wallpaper.bmp");
        QCOMPARE(m_desktop.values.wallpaper, work);
        QVERIFY(Exists(work));
        QCOMPARE(DecodeFullPicture(big).Size(), (PictureSize{1600, 1200})); // not the preview's size
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
    }

    void dropsOfFilesAndFoldersGoThroughTheViews()
    {
        WriteListLines(Stored("l.lst"), {});
        Open();
        SelectLists({"l.lst"});
        const std::string pic = Picture("drop/pic.bmp", 3, 2);
        Put(App("drop/notes.txt"), "x");
        // A long path is used whole.
        const std::string longName = "drop/" + std::string(110, 'n') + ".bmp";
        const std::string longPic = Picture(longName, 2, 2);
        QVERIFY(DropPaths(Entries(), {pic, App("drop/notes.txt"), longPic, "https://far.test/x.bmp"}));
        QCOMPARE(m_page->EntryCaptions(), (Lines{pic, longPic}));
        QVERIFY(Lists()->isEnabled());

        Put(App("other/x.lst"), "e?1*1\r\n");
        QVERIFY(DropPaths(Lists(), {App("other/x.lst"), App("drop/notes.txt")}));
        QCOMPARE(Names(), (QStringList{"l.lst", "x.lst"}));

        Put(App("tree/a.lst"), "");
        Put(App("tree/sub/b.lst"), "");
        Put(App("tree/Recycled/c.lst"), "");
        QSignalSpy status(m_page.get(), &ImageListsPage::statusText);
        QSignalSpy applied(m_page.get(), &ImageListsPage::searchApplied);
        QVERIFY(DropPaths(Lists(), {App("tree")}));
        QCOMPARE(status.size(), 1);
        QCOMPARE(status.front().front().toString(),
                 QStringLiteral("STATUS_BAR/msg2: ") + QString::fromStdString(App("tree")) + "/*.lst");
        QVERIFY(applied.wait(10000));
        QCOMPARE(Names(), (QStringList{"l.lst", "x.lst", "b.lst", "a.lst"}));

        // A folder dropped on the entries view adds its pictures to the selected list.
        Picture("tree2/one.bmp", 4, 4);
        Picture("tree2/deep/two.jpg", 6, 5, "JPG");
        Put(App("tree2/broken.bmp"), "no");
        SelectLists({"l.lst"});
        QVERIFY(DropPaths(Entries(), {App("tree2")}));
        QVERIFY(applied.wait(10000));
        QCOMPARE(m_page->EntryCaptions(),
                 (Lines{pic, longPic, App("tree2/deep/two.jpg"), App("tree2/one.bmp")}));
        QCOMPARE(m_page->ListRows().front().Count, std::string("4"));
    }

    void pngAndWebpPicturesAreAddedDroppedIconedAndPreviewed()
    {
        WriteListLines(Stored("l.lst"), {App("p/old.jpg") + "?1*1"});
        // Red at half alpha: on black it is half red.
        const std::string png = App("p/half.png");
        QDir().mkpath(QString::fromStdString(App("p")));
        QImage red(8, 6, QImage::Format_ARGB32);
        red.fill(QColor(255, 0, 0, 128));
        QVERIFY(red.save(QString::fromStdString(png), "PNG"));
        const std::string webp = App("p/half.WEBP");
        QCOMPARE(QProcess::execute(QStringLiteral("convert"),
                                   {QString::fromStdString(png), QStringLiteral("-define"),
                                    QStringLiteral("webp:lossless=true"),
                                    QStringLiteral("webp:") + QString::fromStdString(webp)}),
                 0);
        Put(App("p/broken.png"), "\x89PNG\r\n\x1a\n broken");
        Open();
        SelectLists({"l.lst"});

        // The add button's file dialog offers them and adds them with their sizes.
        Dialogs::SetNextChosenFiles({QString::fromStdString(png)});
        QTest::mouseClick(Button("pilbIFAdd"), Qt::LeftButton);
        QVERIFY(Dialogs::LastFileDialogCall().filter.endsWith(
            QStringLiteral("(*.bmp *.jpg *.jpeg *.png *.webp)")));
        QVERIFY(DropPaths(Entries(), {webp}));
        QCOMPARE(ReadListLines(Stored("l.lst")),
                 (Lines{App("p/old.jpg") + "?1*1", png + "?8*6", webp + "?8*6"}));
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
        // A broken one is reported with the decoder's words and adds nothing.
        QVERIFY(DropPaths(Entries(), {App("p/broken.png")}));
        QCOMPARE(Dialogs::RecordedMessages().size(), 1);
        QVERIFY(
            Dialogs::RecordedMessages().front().contains(QStringLiteral("cannot be read as a PNG picture")));
        Dialogs::RecordedMessages().clear();
        QCOMPARE(ReadListLines(Stored("l.lst")).size(), std::size_t{3});

        // Their rows carry the neutral picture icon, like every picture row carries one.
        for (int row = 0; row < 3; ++row)
            QVERIFY(!Entries()->model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>().isNull());

        PicturePreview* preview = m_page->Preview();
        Entries()->setFocus();
        for (int row : {1, 2}) {
            Entries()->setCurrentIndex(Entries()->model()->index(row, 0));
            QTRY_VERIFY(preview->HasPicture());
            const QColor pixel = preview->Image().pixelColor(3, 3);
            QVERIFY2(std::abs(pixel.red() - 128) <= 1 && pixel.green() == 0 && pixel.blue() == 0,
                     qPrintable(pixel.name()));
        }
        // A broken PNG in the list leaves the preview empty and its text alone.
        WriteListLines(Stored("l.lst"), {png + "?8*6", App("p/broken.png") + "?1*1"});
        SelectLists({});
        SelectLists({"l.lst"});
        Entries()->setFocus();
        Entries()->setCurrentIndex(Entries()->model()->index(1, 0));
        QTRY_VERIFY(!preview->HasPicture());
        QCOMPARE(preview->PanelText(), TextOf(Txt::PAGE_IMAGE_LISTS_prewievPanel));
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
    }

    void anUnreadableListIsReportedOnceAndThePageStaysUsable()
    {
        WriteListLines(Stored("bad.lst"), {"a.jpg?1*1"});
        WriteListLines(Stored("good.lst"), {"g.jpg?1*1"});
        Open();
        SelectLists({"good.lst"});
        QVERIFY(QFile::remove(QString::fromStdString(Stored("bad.lst"))));

        // Real message boxes: each takes the focus from the page and gives it back when a
        // timer dismisses it. An endless run of boxes is cut short after five.
        Dialogs::SetRecording(false);
        QStringList boxes;
        QTimer dismiss;
        dismiss.setInterval(20);
        connect(&dismiss, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            boxes << box->text();
            if (boxes.size() >= 5)
                Dialogs::SetRecording(true);
            box->done(QMessageBox::Ok);
        });
        dismiss.start();
        ClickList("bad.lst");
        QTest::qWait(300);
        Lists()->setFocus();
        QTest::qWait(100);
        dismiss.stop();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes.front().contains("bad.lst"));
        Dialogs::SetRecording(true);
        m_page->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_page.get()));

        // The page goes on: the row can be clicked again, the focus can come and go, and
        // another list shows its entries, without another box.
        ClickList("bad.lst");
        Entries()->setFocus();
        Lists()->setFocus();
        QVERIFY(Button("pilbDelete")->isEnabled());
        QCOMPARE(Entries()->model()->rowCount(), 0);
        ClickList("good.lst");
        QCOMPARE(m_page->EntryCaptions(), (Lines{"g.jpg"}));
        ClickList("bad.lst");
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
        // A list that comes back is read again; a folder put in its place is reported once.
        WriteListLines(Stored("bad.lst"), {"b.jpg?1*1"});
        ClickList("bad.lst");
        QCOMPARE(m_page->EntryCaptions(), (Lines{"b.jpg"}));
        QVERIFY(QFile::remove(QString::fromStdString(Stored("bad.lst"))));
        QVERIFY(QDir().mkpath(QString::fromStdString(Stored("bad.lst"))));
        ClickList("bad.lst");
        Entries()->setFocus();
        Lists()->setFocus();
        ClickList("bad.lst");
        QCOMPARE(Dialogs::RecordedMessages().size(), 1);
        QCOMPARE(Entries()->model()->rowCount(), 0);
    }

    void theEntriesViewFollowsTheFileWheneverItMayHaveChanged()
    {
        WriteListLines(Stored("trip.lst"), {"old.jpg?1*1"});
        WriteListLines(Stored("other.lst"), {});
        Open();
        SelectLists({"trip.lst"});
        QCOMPARE(m_page->EntryCaptions(), (Lines{"old.jpg"}));

        // Importing another trip.lst replaces the file: its one row and the view show the new list.
        Put(App("elsewhere/trip.lst"), "new1.jpg?1*1\r\nnew2.jpg?1*1\r\n");
        Dialogs::SetNextChosenFiles({QString::fromStdString(App("elsewhere/trip.lst"))});
        Button("pilbAdd")->click();
        QCOMPARE(Names(), (QStringList{"other.lst", "trip.lst"}));
        QCOMPARE(m_page->ListRows()[static_cast<std::size_t>(RowOf("trip.lst"))].Count, std::string("2"));
        QCOMPARE(m_page->EntryCaptions(), (Lines{"new1.jpg", "new2.jpg"}));

        // So does restoring one from the recycle folder.
        Put(App("imgLists/Recycled/trip.lst"), "back.jpg?1*1\r\n");
        Dialogs::SetNextChosenFiles({QString::fromStdString(App("imgLists/Recycled/trip.lst"))});
        m_page->Item("pilbRemPM2")->trigger();
        QCOMPARE(Names(), (QStringList{"other.lst", "trip.lst"}));
        QCOMPARE(m_page->EntryCaptions(), (Lines{"back.jpg"}));

        // A change by another program shows at the next click on the row ...
        WriteListLines(Stored("trip.lst"), {"x1.jpg?1*1", "x2.jpg?1*1", "x3.jpg?1*1"});
        ClickList("trip.lst");
        QCOMPARE(m_page->EntryCaptions(), (Lines{"x1.jpg", "x2.jpg", "x3.jpg"}));
        // ... or when the focus comes back, and the entry operations act on what is shown.
        Entries()->setFocus();
        WriteListLines(Stored("trip.lst"), {"y1.jpg?1*1", "y2.jpg?1*1"});
        Lists()->setFocus();
        QCOMPARE(m_page->EntryCaptions(), (Lines{"y1.jpg", "y2.jpg"}));
        Entries()->setFocus();
        QCOMPARE(SelectedEntry(), 0);
        Key(Entries(), Qt::Key_Delete);
        QCOMPARE(ReadListLines(Stored("trip.lst")), (Lines{"y2.jpg?1*1"}));
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
    }

    void eachListFileHasOneRowAndARowWhoseFileWentGoesQuietly()
    {
        WriteListLines(Stored("dup.lst"), {"d?1*1"});
        Put(App("imgLists/sub/dup.lst"), "d?1*1\r\n");
        WriteListLines(Stored("other.lst"), {});
        WriteListLines(Stored("third.lst"), {});
        Open();
        QCOMPARE(Names(), (QStringList{"dup.lst", "other.lst", "third.lst"}));

        // other.lst is removed by another program; recycling it with dup.lst reports nothing.
        QVERIFY(QFile::remove(QString::fromStdString(Stored("other.lst"))));
        SelectLists({"dup.lst", "other.lst"});
        Key(Lists(), Qt::Key_Delete);
        QCOMPARE(Names(), (QStringList{"third.lst"}));
        QCOMPARE(ReadListLines(App("imgLists/Recycled/dup.lst")), (Lines{"d?1*1"}));
        QVERIFY(!Exists(App("imgLists/Recycled/other.lst")));
        QVERIFY(Dialogs::RecordedMessages().isEmpty());

        // Deleting for good a row whose file went is quiet as well.
        WriteListLines(Stored("fourth.lst"), {});
        Put(App("elsewhere/fourth.lst"), "");
        Dialogs::SetNextChosenFiles({QString::fromStdString(App("elsewhere/fourth.lst"))});
        Key(Lists(), Qt::Key_Insert);
        QVERIFY(QFile::remove(QString::fromStdString(Stored("fourth.lst"))));
        SelectLists({"fourth.lst", "third.lst"});
        Dialogs::RecordedMessages().clear();
        Key(Lists(), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(Names(), QStringList{});
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
    }

    void aFolderDroppedOnTheEntriesWithNoListSelectedIsAnnounced()
    {
        WriteListLines(Stored("l.lst"), {});
        Open();
        SelectLists({});
        Picture("tree/one.bmp", 2, 2);
        QSignalSpy status(m_page.get(), &ImageListsPage::statusText);
        QVERIFY(DropPaths(Entries(), {App("tree")}));
        QCOMPARE(status.size(), 1);
        QCOMPARE(status.front().front().toString(), QStringLiteral("STATUS_BAR/msg2: ") +
                                                        QString::fromStdString(App("tree")) +
                                                        "/*.bmp|*.jpg|*.jpeg|*.png|*.webp");
        // There is no list to add to, so nothing is searched or added.
        QCOMPARE(m_page->RunningSearches(), 0);
        QCOMPARE(ReadListLines(Stored("l.lst")), Lines{});
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
    }

    void searchesStillRunningEndWithThePage()
    {
        for (int i = 0; i < 200; ++i)
            Put(App("many/f" + std::to_string(i) + "/x" + std::to_string(i) + ".lst"), "");
        WriteListLines(Stored("l.lst"), {});
        Open();
        QVERIFY(DropPaths(Lists(), {App("many")}));
        m_page.reset(); // cancels and waits; a result already posted is dropped with the page
        QCoreApplication::processEvents();
        QDir store(QString::fromStdString(App("imgLists")));
        QCOMPARE(store.entryList({"*.lst"}, QDir::Files), QStringList{"l.lst"});
    }
};

QTEST_MAIN(ImageListsPageTest)
#include "ImageListsPageTest.moc"
