// The theme creation page in the main window: the drag of the placement rectangle through real
// mouse events, the spin boxes typed into, the create button's enabling, the language switch,
// the colour chooser, the background picture, and a theme made with a real click.
#include "ui/CreatorPage.h"

#include "app/options.h"
#include "language/language.h"
#include "platform/DesktopWallpaper.h"
#include "platform/ScreenInfo.h"
#include "platform/Shell.h"
#include "swf/SwfWriter.h"
#include "themes/ThemeApplier.h"
#include "themes/ThemeFixtures.h"
#include "themes/ThemeStore.h"
#include "ui/Dialogs.h"
#include "ui/MoviePlayer.h"
#include "ui/ThemesPage.h"
#include "ui/uMainForm.h"
#include "wallpaper/ResolutionAgent.h"
#include "wallpaper/WallpaperSetter.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <memory>

using namespace ondrix;
namespace fs = std::filesystem;

namespace {

class FakeShell final : public Shell
{
public:
    ShellResult Open(const std::string&) override { return ShellResult::Ok; }
    void OpenDisplaySettings() override {}
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
    void DisableActiveDesktop() override {}
    std::vector<std::string> applied;
};

std::string MovieBytes()
{
    swf::Movie movie;
    movie.width = 200;
    movie.height = 150;
    movie.frameRate = 12;
    movie.background = {0x10, 0x60, 0xC0, 255};
    movie.shapes.push_back({swf::Shape::Kind::Rectangle, 100, 75, {0xE0, 0x20, 0x30, 255}});
    movie.frames = {{{100, 75, 1, 0}}};
    return swf::WriteMovie(movie);
}

} // namespace

class CreatorPageTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::ThemeAppDir> m_app;
    test::FixedProbes m_probes;
    std::unique_ptr<ThemeStore> m_store;
    TOptions m_options;
    FakeShell m_shell;
    std::unique_ptr<FixedScreenInfo> m_screen;
    std::unique_ptr<TRAgent> m_agent;
    QuietDesktop m_desktop;
    std::unique_ptr<WallpaperSetter> m_setter;
    RecordingApplier m_applier;
    std::unique_ptr<TfMain> m_window;
    CreatorPage* m_page = nullptr;

    template <typename T> T* Get(const char* name) const
    {
        T* widget = m_page->findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr)
            qFatal("no control %s", name);
        return widget;
    }
    QWidget* Panel6() const { return Get<QWidget>("Panel6"); }
    QWidget* Panel7() const { return Get<QWidget>("panel7"); }
    QString AlignText() const { return Get<QLabel>("lbalign")->text(); }
    QRect Rect() const { return Panel7()->geometry(); }
    PlaceholderPlayer* Placeholder() const { return dynamic_cast<PlaceholderPlayer*>(m_page->Player()); }
    std::string Outside(const std::string& name) const
    {
        return (m_app->dir.path() / "mine" / name).string();
    }

    // A drag: press, moves with the left button held, release; the points are in the
    // coordinates of the widget the press was on, as the pointer grab delivers them.
    static void Drag(QWidget* on, QPoint press, std::initializer_list<QPoint> moves)
    {
        QTest::mousePress(on, Qt::LeftButton, {}, press);
        for (const QPoint& point : moves)
            QTest::mouseMove(on, point);
        QTest::mouseRelease(on, Qt::LeftButton, {}, *(moves.end() - 1));
    }
    // Types into a spin box as a user does: everything selected, the text, Enter.
    static void TypeInto(QWidget* spin, const QString& text)
    {
        spin->setFocus();
        QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(spin, text);
        QTest::keyClick(spin, Qt::Key_Return);
    }
    static QRgb PixelOf(QWidget* widget, QPoint at) { return widget->grab().toImage().pixel(at); }

private slots:
    void init()
    {
        m_app = std::make_unique<test::ThemeAppDir>();
        m_store = std::make_unique<ThemeStore>(m_app->env, m_probes);
        m_options = TOptions{};
        m_options.AppDir = m_app->dir.str();
        m_options.LanguageList.clear();
        ScanLanguages(ONDRIX_APP_DIR "/Languages", ONDRIX_APP_DIR, m_options.LanguageList);
        m_options.LanguageFileName = ONDRIX_APP_DIR "/Languages/english.lng";
        m_screen = std::make_unique<FixedScreenInfo>(DesktopSize{1024, 768});
        m_agent = std::make_unique<TRAgent>(*m_screen);
        m_setter = std::make_unique<WallpaperSetter>(m_options, *m_agent, m_desktop);
        m_window =
            std::make_unique<TfMain>(m_options, *m_agent, m_shell, *m_setter, m_applier, m_store.get());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        // Ctrl+F4 leads to the page.
        QTest::keyClick(m_window.get(), Qt::Key_F4, Qt::ControlModifier);
        QCOMPARE(m_window->ActivePageIndex(), int(TfMain::PageCreator));
        m_page = m_window->CreatorPageWidget();
        fs::create_directories(m_app->dir.path() / "mine");
        Dialogs::SetRecording(true);
    }

    void cleanup()
    {
        m_window.reset();
        Dialogs::SetRecording(false);
    }

    void startsAsDesigned()
    {
        QCOMPARE(Panel6()->geometry(), QRect(4, 200, 221, 137));
        QCOMPARE(Get<QWidget>("Image1")->geometry(), QRect(0, 0, 221, 137));
        QCOMPARE(Get<QWidget>("cebgcolor")->geometry(), QRect(4, 104, 221, 20));
        QCOMPARE(Get<QWidget>("bcreate")->geometry(), QRect(408, 304, 110, 34));
        QCOMPARE(Get<QWidget>("meDescription")->geometry(), QRect(240, 55, 270, 70));
        QCOMPARE(Get<QWidget>("lbalign")->pos(), QPoint(4, 340));
        // 110.5 and 68.5 go to the even neighbour.
        QCOMPARE(Rect(), QRect(0, 0, 110, 68));
        QCOMPARE(AlignText(), QStringLiteral("Position: X=0  Y=0"));
        QCOMPARE(Get<QPushButton>("cebgcolor")->text(), QStringLiteral("$00000000"));
        QCOMPARE(Get<QLabel>("lbffile")->text(), QStringLiteral("Flash movie"));
        QCOMPARE(Get<QPushButton>("bcreate")->text(), QStringLiteral("Create theme"));
        QVERIFY(!Get<QPushButton>("bcreate")->isEnabled());
        auto* quality = Get<QComboBox>("cbquality");
        QStringList entries;
        for (int i = 0; i < quality->count(); ++i)
            entries << quality->itemText(i);
        QCOMPARE(entries, (QStringList{"Low", "Autolow", "Autohigh", "Medium", "High", "Best"}));
        QCOMPARE(quality->currentIndex(), 4);
        QCOMPARE(Get<QDoubleSpinBox>("RxSpinEdit1")->value(), 50.0);
        QCOMPARE(Get<QDoubleSpinBox>("RxSpinEdit2")->value(), 50.0);
        // A black desktop with a white rectangle, its frame 3 pixels wide.
        QCOMPARE(QColor(PixelOf(Panel6(), QPoint(200, 120))), QColor(Qt::black));
        QCOMPARE(QColor(PixelOf(Panel7(), QPoint(1, 30))), QColor(Qt::white));
        QVERIFY(Placeholder() != nullptr);
        QCOMPARE(Placeholder()->geometry(), QRect(3, 3, 104, 62));
        QVERIFY(!Placeholder()->Note().isEmpty());
    }

    void dragsWithTheLeftButton()
    {
        // Over the preview: the corner goes one pixel right of and below the pointer.
        Drag(Panel6(), QPoint(5, 5), {QPoint(30, 20), QPoint(54, 33)});
        QCOMPARE(Rect(), QRect(55, 34, 110, 68));
        // 1024 x 55 / 221 = 254.84, 768 x 34 / 137 = 190.6.
        QCOMPARE(AlignText(), QStringLiteral("Position: X=255  Y=191"));

        // On the rectangle: its own coordinates are shifted by where it stands.
        Drag(Panel7(), QPoint(2, 2), {QPoint(10, 6)});
        QCOMPARE(Rect(), QRect(66, 41, 110, 68));
        Drag(Panel7(), QPoint(2, 2), {QPoint(-12, -8)}); // back to pointer 54, 33
        QCOMPARE(Rect(), QRect(55, 34, 110, 68));
        QCOMPARE(AlignText(), QStringLiteral("Position: X=255  Y=191"));

        // Left of the preview it sticks to the left edge; past the bottom right it stays
        // inside, a pointer exactly at the limit putting it one pixel beyond.
        Drag(Panel6(), QPoint(5, 5), {QPoint(-15, 40)});
        QCOMPARE(Rect(), QRect(0, 41, 110, 68));
        QCOMPARE(AlignText(), QStringLiteral("Position: X=0  Y=230"));
        Drag(Panel6(), QPoint(5, 5), {QPoint(400, 300)});
        QCOMPARE(Rect(), QRect(111, 69, 110, 68));
        Drag(Panel6(), QPoint(5, 5), {QPoint(111, 69)});
        QCOMPARE(Rect(), QRect(112, 70, 110, 68));
        Drag(Panel6(), QPoint(5, 5), {QPoint(-1, -1)});
        QCOMPARE(Rect(), QRect(0, 0, 110, 68));
    }

    void noButtonNoMove()
    {
        Drag(Panel6(), QPoint(5, 5), {QPoint(20, 20)});
        QCOMPARE(Rect(), QRect(21, 21, 110, 68));
        for (QWidget* target : {Panel6(), Get<QWidget>("Image1"), Panel7()}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(60, 50), target->mapToGlobal(QPointF(60, 50)),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(target, &move);
            QMouseEvent right(QEvent::MouseMove, QPointF(70, 40), target->mapToGlobal(QPointF(70, 40)),
                              Qt::NoButton, Qt::RightButton, Qt::NoModifier);
            QApplication::sendEvent(target, &right);
        }
        QCOMPARE(Rect(), QRect(21, 21, 110, 68));
        // Image1 covers the preview; its moves count like the preview's.
        Drag(Get<QWidget>("Image1"), QPoint(5, 5), {QPoint(40, 10)});
        QCOMPARE(Rect(), QRect(41, 11, 110, 68));
    }

    void spinBoxesKeepOneToHundred()
    {
        QWidget* width = Get<QWidget>("RxSpinEdit1");
        QWidget* height = Get<QWidget>("RxSpinEdit2");
        TypeInto(width, QStringLiteral("0"));
        QCOMPARE(Get<QDoubleSpinBox>("RxSpinEdit1")->value(), 1.0);
        QCOMPARE(Rect().width(), 2); // 2.21
        TypeInto(width, QStringLiteral("-7"));
        QCOMPARE(Get<QDoubleSpinBox>("RxSpinEdit1")->value(), 1.0);
        TypeInto(width, QStringLiteral("150"));
        QCOMPARE(Get<QDoubleSpinBox>("RxSpinEdit1")->value(), 100.0);
        QCOMPARE(Rect().width(), 221);
        TypeInto(height, QStringLiteral("abc"));
        QCOMPARE(Get<QDoubleSpinBox>("RxSpinEdit2")->value(), 1.0);
        QCOMPARE(Rect().height(), 1); // 1.37
        TypeInto(height, QStringLiteral("33.5"));
        QCOMPARE(Get<QDoubleSpinBox>("RxSpinEdit2")->value(), 33.5);
        QCOMPARE(Rect().height(), 46); // 45.895
        QCOMPARE(Get<QDoubleSpinBox>("RxSpinEdit2")->text(), QStringLiteral("33.5"));
    }

    void growsPastTheEdgesUntilTheNextChange()
    {
        Drag(Panel6(), QPoint(5, 5), {QPoint(49, 29)});
        QCOMPARE(Rect(), QRect(50, 30, 110, 68));
        const QString label = AlignText();
        TypeInto(Get<QWidget>("RxSpinEdit1"), QStringLiteral("100"));
        QCOMPARE(Rect(), QRect(50, 30, 221, 68)); // 50 + 110 fitted: past the right edge now
        TypeInto(Get<QWidget>("RxSpinEdit2"), QStringLiteral("100"));
        QCOMPARE(Rect(), QRect(0, 30, 221, 137)); // moved back by its width, past the bottom
        QCOMPARE(AlignText(), label);             // the label is not rewritten by a resize
        TypeInto(Get<QWidget>("RxSpinEdit2"), QStringLiteral("99"));
        QCOMPARE(Rect(), QRect(0, 0, 221, 136));
    }

    void createButtonNeedsMovieAndName()
    {
        auto* create = Get<QPushButton>("bcreate");
        QTest::keyClicks(Get<QLineEdit>("foeffile"), QStringLiteral("x"));
        QVERIFY(!create->isEnabled());
        QTest::keyClicks(Get<QLineEdit>("edname"), QStringLiteral("S"));
        QVERIFY(create->isEnabled());
        QTest::keyClick(Get<QLineEdit>("foeffile"), Qt::Key_Backspace);
        QVERIFY(!create->isEnabled());
        QTest::keyClicks(Get<QLineEdit>("foeffile"), QStringLiteral("y"));
        QVERIFY(create->isEnabled());
        QTest::keyClick(Get<QLineEdit>("edname"), Qt::Key_Backspace);
        QVERIFY(!create->isEnabled());
        // A movie field that names no file leaves the player alone.
        QVERIFY(Placeholder()->Movie().empty());
    }

    void languageSwitchResetsColourAndSize()
    {
        m_page->chooseColour = [](QWidget*, QColor, const QString&) { return QColor(128, 0, 0); };
        QTest::mouseClick(Get<QWidget>("cebgcolor"), Qt::LeftButton);
        QCOMPARE(Get<QPushButton>("cebgcolor")->text(), QStringLiteral("$00000080"));
        QCOMPARE(QColor(PixelOf(Panel6(), QPoint(200, 120))), QColor(128, 0, 0));
        QCOMPARE(QColor(PixelOf(Panel7(), QPoint(1, 30))), QColor(127, 255, 255));
        Drag(Panel6(), QPoint(5, 5), {QPoint(59, 39)});
        QCOMPARE(Rect(), QRect(60, 40, 110, 68));
        TypeInto(Get<QWidget>("RxSpinEdit1"), QStringLiteral("30"));
        QCOMPARE(Rect(), QRect(60, 40, 66, 68));

        QAction* deutsch = nullptr;
        for (QAction* top : m_window->menuBar()->actions())
            if (top->menu() != nullptr)
                for (QAction* entry : top->menu()->actions())
                    if (entry->text() == QStringLiteral("Deutsch"))
                        deutsch = entry;
        QVERIFY(deutsch != nullptr);
        deutsch->trigger(); // as a click on the menu entry does

        QCOMPARE(Get<QLabel>("lbffile")->text(), QStringLiteral("Flash-Film"));
        QCOMPARE(Get<QPushButton>("cebgcolor")->text(), QStringLiteral("$00000000"));
        QCOMPARE(QColor(PixelOf(Panel6(), QPoint(200, 120))), QColor(Qt::black));
        QCOMPARE(QColor(PixelOf(Panel7(), QPoint(1, 30))), QColor(Qt::white));
        QCOMPARE(Rect(), QRect(60, 40, 66, 68)); // stays where it was, sized by the spin values
        // 1024 x 60 / 221 = 278.0, 768 x 40 / 137 = 224.2
        QCOMPARE(AlignText(), QStringLiteral("Position: X=278  Y=224"));
        QCOMPARE(m_page->Colour(), QColor(Qt::black));
    }

    void backgroundPicture()
    {
        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(QColor(0x20, 0xC0, 0x40));
        QVERIFY(picture.save(QString::fromStdString(Outside("green.jpg")), "JPG", 95));
        m_app->dir.Write("mine/broken.jpg", "not a picture at all");

        Dialogs::SetNextChosenFiles({QString::fromStdString(Outside("green.jpg"))});
        QTest::mouseClick(Get<QWidget>("fobgimgBrowse"), Qt::LeftButton);
        QCOMPARE(Dialogs::LastFileDialogCall().filter, QStringLiteral("JPG (JFIF JPEG) (*.jpg *.jpeg)"));
        QVERIFY(m_page->ShowsPicture());
        QVERIFY(Dialogs::RecordedMessages().isEmpty());
        const QColor shown(PixelOf(Panel6(), QPoint(200, 120)));
        QVERIFY2(qAbs(shown.green() - 0xC0) < 16 && shown.red() < 0x40, qPrintable(shown.name()));

        // A file that is no JPEG: its error is shown, the picture stays.
        auto* field = Get<QLineEdit>("fobgimg");
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QString::fromStdString(Outside("broken.jpg")));
        QVERIFY(Dialogs::RecordedMessages().isEmpty()); // not while typing
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(Dialogs::RecordedMessages().size(), 1);
        QVERIFY(m_page->ShowsPicture());
        // Enter tries the same path again: still broken, then put right.
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(Dialogs::RecordedMessages().size(), 2);
        QImage red(40, 20, QImage::Format_RGB32);
        red.fill(QColor(0xD0, 0x10, 0x10));
        QVERIFY(red.save(QString::fromStdString(Outside("broken.jpg")), "JPG", 95));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(Dialogs::RecordedMessages().size(), 2);
        QVERIFY(QColor(PixelOf(Panel6(), QPoint(200, 120))).red() > 0xA0);

        // No picture: the preview shows the colour alone again, without a message.
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(!m_page->ShowsPicture());
        QCOMPARE(Dialogs::RecordedMessages().size(), 2);
    }

    // A movie the preview does not play replaces the movie shown before with a note saying why.
    void aMovieThatIsNotPreviewedSaysWhy()
    {
        m_app->dir.Write("mine/small.swf", MovieBytes());
        const fs::path large = m_app->dir.Write("mine/large.swf", "FWS");
        fs::resize_file(large, std::uintmax_t{70} << 20);
        m_app->dir.Write("mine/fake.swf", "GIF89a");
        auto* field = Get<QLineEdit>("foeffile");
        field->setText(QString::fromStdString(Outside("small.swf")));
        QCOMPARE(Placeholder()->Movie(), Outside("small.swf"));

        field->setText(QString::fromStdString(Outside("large.swf")));
        QCOMPARE(Placeholder()->Movie(), std::string());
        QCOMPARE(Placeholder()->Note(),
                 QStringLiteral("This movie is larger than 64 MiB and is not previewed "
                                "here; the theme is made with it all the same."));
        field->setText(QString::fromStdString(Outside("fake.swf")));
        QCOMPARE(Placeholder()->Note(), QStringLiteral("The chosen movie is not a Flash movie (.swf)."));
        field->setText(QString::fromStdString(Outside("small.swf")));
        QCOMPARE(Placeholder()->Movie(), Outside("small.swf"));
        QCOMPARE(Placeholder()->Note(),
                 QStringLiteral("No movie player is installed: the movie is not previewed here."));

        // Larger than any package may hold: that is the note, as Create would say.
        fs::resize_file(large, std::uintmax_t{300} << 20);
        field->setText(QString::fromStdString(Outside("large.swf")));
        QCOMPARE(Placeholder()->Note(),
                 QStringLiteral("The movie and the picture are too large for a theme package."));
    }

    void createsTheTheme()
    {
        m_app->dir.Write("mine/sea.swf", MovieBytes());
        Dialogs::SetNextChosenFiles({QString::fromStdString(Outside("sea.swf"))});
        QTest::mouseClick(Get<QWidget>("foeffileBrowse"), Qt::LeftButton);
        QCOMPARE(Dialogs::LastFileDialogCall().filter, QStringLiteral("Flash movies (*.swf)"));
        // The player has the movie and the name field the focus.
        QCOMPARE(Placeholder()->Movie(), Outside("sea.swf"));
        QTRY_VERIFY(Get<QLineEdit>("edname")->hasFocus());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Sea"));
        QTest::keyClicks(Get<QLineEdit>("edauthor"), QStringLiteral("Ann"));
        QWidget* description = Get<QWidget>("meDescription");
        QTest::keyClicks(description, QStringLiteral("Waves"));
        QTest::keyClick(description, Qt::Key_Return);
        QTest::keyClicks(description, QStringLiteral("at night"));
        QTest::keyClick(Get<QComboBox>("cbquality"), Qt::Key_Down);
        QCOMPARE(Placeholder()->Quality(), std::string("Best"));
        Drag(Panel6(), QPoint(5, 5), {QPoint(54, 33)}); // 55 / 221 and 34 / 137: 25 % and 25 %
        QVERIFY(Get<QPushButton>("bcreate")->isEnabled());

        // The package is made on a thread of its own: meanwhile the page waits, disabled,
        // under a busy cursor, and a second click makes nothing.
        QSignalSpy created(m_page, &CreatorPage::themeCreated);
        QTest::mouseClick(Get<QWidget>("bcreate"), Qt::LeftButton);
        QVERIFY(!m_page->isEnabled());
        QCOMPARE(m_page->cursor().shape(), Qt::BusyCursor);
        QCOMPARE(m_window->ThemesPageWidget()->cursor().shape(), Qt::ArrowCursor);
        QTest::mouseClick(Get<QWidget>("bcreate"), Qt::LeftButton);
        m_page->bcreateClick();
        QVERIFY(created.wait(10000));
        QCOMPARE(created.count(), 1);
        QVERIFY(m_page->isEnabled());
        QCOMPARE(m_page->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(test::ThemeAppDir::Names(m_app->Work()).size(), std::size_t{1});
        QVERIFY2(Dialogs::RecordedMessages().isEmpty(), qPrintable(Dialogs::RecordedMessages().join("; ")));
        const std::string package = m_app->Store("Sea.ond");
        QVERIFY(fs::is_regular_file(package));
        const auto members = test::ReadRawZip(package);
        QVERIFY(members.count("sea.swf") == 1);
        QCOMPARE(members.at("sea.swf"), MovieBytes());
        QVERIFY(members.at("index.htm").find("WriteLT(25,25)") != std::string::npos);
        QVERIFY(members.at("theme.cfg").find("ThemeAuthor=Ann") != std::string::npos);
        QVERIFY(members.at("theme.cfg").find("Description=Waves\r\nat night\r\n[Files]") !=
                std::string::npos);

        QTreeWidget* list = m_window->ThemesPageWidget()->lvAdvanc();
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Sea"));
        QVERIFY(Get<QLineEdit>("foeffile")->text().isEmpty());
        QVERIFY(Get<QLineEdit>("edname")->text().isEmpty());
        QCOMPARE(Get<QLineEdit>("edauthor")->text(), QStringLiteral("Ann"));
        QVERIFY(!Get<QPushButton>("bcreate")->isEnabled());
        QCOMPARE(m_window->ActivePageIndex(), int(TfMain::PageThemes));
        QCOMPARE(m_options.cadvTheme, package);
        QVERIFY(m_applier.applied.empty()); // not shown on the desktop here
        // The player keeps its movie.
        QCOMPARE(Placeholder()->Movie(), Outside("sea.swf"));
    }

    void failuresKeepTheInputs_data()
    {
        QTest::addColumn<QString>("movie");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing movie") << "gone.swf"
                                       << "Sea"
                                       << "File not found.";
        QTest::newRow("unsafe name") << "sea.swf"
                                     << "../Sea"
                                     << "The theme name cannot be used as a file name.";
        QTest::newRow("not a movie") << "fake.swf"
                                     << "Sea"
                                     << "The chosen movie is not a Flash movie (.swf).";
        QTest::newRow("a description of more than 1 MiB") << "sea.swf"
                                                          << "Sea"
                                                          << "The theme's name, author and description are "
                                                             "too long";
    }
    void failuresKeepTheInputs()
    {
        QFETCH(QString, movie);
        QFETCH(QString, name);
        QFETCH(QString, message);
        m_app->dir.Write("mine/sea.swf", MovieBytes());
        m_app->dir.Write("mine/fake.swf", "GIF89a and nothing of a movie");
        m_options.cadvTheme = "before.ond";
        if (QString::fromLatin1(QTest::currentDataTag()).startsWith("a description"))
            Get<QPlainTextEdit>("meDescription")
                ->setPlainText(
                    QString(QStringLiteral("%1\n").arg(QString(99, QLatin1Char('w')))).repeated(11000));
        Get<QLineEdit>("foeffile")->setText(QString::fromStdString(Outside(movie.toStdString())));
        Get<QLineEdit>("edname")->setText(name);
        QTest::mouseClick(Get<QWidget>("bcreate"), Qt::LeftButton);
        QTRY_COMPARE(Dialogs::RecordedMessages().size(), 1);
        QTRY_VERIFY(m_page->isEnabled());
        QVERIFY2(Dialogs::RecordedMessages().first().startsWith(message),
                 qPrintable(Dialogs::RecordedMessages().first()));
        QCOMPARE(Get<QLineEdit>("foeffile")->text(), QString::fromStdString(Outside(movie.toStdString())));
        QCOMPARE(Get<QLineEdit>("edname")->text(), name);
        QCOMPARE(m_options.cadvTheme, std::string("before.ond"));
        QCOMPARE(m_window->ActivePageIndex(), int(TfMain::PageCreator));
        QCOMPARE(m_window->ThemesPageWidget()->lvAdvanc()->topLevelItemCount(), 0);
        for (const auto& entry : fs::directory_iterator(m_app->Store()))
            QVERIFY2(!entry.is_regular_file(), entry.path().c_str());
    }
};

QTEST_MAIN(CreatorPageTest)
#include "CreatorPageTest.moc"
