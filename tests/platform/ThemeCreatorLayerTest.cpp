// The creation page with the real web engine, drawn offscreen: a theme made on the page plays
// through the live layer at the place and size chosen, and the page's preview plays the movie
// with the live themes' player.
#include "app/options.h"
#include "platform/DesktopWallpaper.h"
#include "platform/ScreenInfo.h"
#include "platform/Shell.h"
#include "layer/ThemePage.h"
#include "layer/ThemeScheme.h"
#include "layer/WebEngineActiveDesktop.h"
#include "platform/linux/WebEngineMoviePlayer.h"
#include "swf/SwfWriter.h"
#include "themes/ThemeApplier.h"
#include "themes/ThemeFixtures.h"
#include "themes/ThemePackage.h"
#include "themes/ThemeStore.h"
#include "ui/CreatorPage.h"
#include "ui/Dialogs.h"
#include "ui/uMainForm.h"
#include "wallpaper/ResolutionAgent.h"
#include "wallpaper/WallpaperSetter.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace ondrix;
namespace fs = std::filesystem;

namespace {

constexpr int kWaitMs = 60000; // a first start of the web view and the player on a busy machine
// The offscreen platform's screen, which the theme page's script asks the browser for.
constexpr DesktopSize kDesktop{800, 800};
constexpr swf::Rgba kStage{0x10, 0x60, 0xC0, 255};
constexpr swf::Rgba kShape{0xE0, 0x20, 0x30, 255};
constexpr swf::Rgba kPageColour{0x00, 0x50, 0x20, 255};

// A blue stage with a red rectangle in the middle, as wide and high as given.
std::string MovieBytes(int width, int height, int shapeWidth, int shapeHeight)
{
    swf::Movie movie;
    movie.width = width;
    movie.height = height;
    movie.frameRate = 12;
    movie.background = kStage;
    movie.shapes.push_back({swf::Shape::Kind::Rectangle, double(shapeWidth), double(shapeHeight), kShape});
    const swf::Placement middle{width / 2.0, height / 2.0, 1, 0};
    movie.frames = {{middle}, {middle}};
    return swf::WriteMovie(movie);
}

bool Near(QRgb pixel, swf::Rgba colour)
{
    return std::abs(qRed(pixel) - colour.r) <= 12 && std::abs(qGreen(pixel) - colour.g) <= 12 &&
           std::abs(qBlue(pixel) - colour.b) <= 12;
}

QString Describe(const QImage& image, std::initializer_list<QPoint> points)
{
    QString text;
    for (const QPoint& point : points)
        text += QStringLiteral("(%1,%2)=%3 ")
                    .arg(point.x())
                    .arg(point.y())
                    .arg(QColor(image.pixel(point)).name());
    return text;
}

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

class NoApplier final : public ThemeApplier
{
public:
    void ApplyTheme(const std::string&) override {}
    void DisableActiveDesktop() override {}
};

} // namespace

class ThemeCreatorLayerTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::ThemeAppDir> m_app;
    test::FixedProbes m_probes;
    std::unique_ptr<ThemeStore> m_store;
    TOptions m_options;
    FakeShell m_shell;
    FixedScreenInfo m_screen{kDesktop};
    std::unique_ptr<TRAgent> m_agent;
    QuietDesktop m_desktop;
    std::unique_ptr<WallpaperSetter> m_setter;
    NoApplier m_applier;
    std::unique_ptr<TfMain> m_window;
    CreatorPage* m_page = nullptr;

    template <typename T> T* Get(const char* name) const
    {
        return m_page->findChild<T*>(QString::fromLatin1(name));
    }
    std::string Movie(const char* name = "sea.swf") const
    {
        return (m_app->dir.path() / "mine" / name).string();
    }
    fs::path PlayerRoot() const { return fs::path(ONDRIX_APP_DIR) / "ruffle"; }

private slots:
    void init()
    {
        m_app = std::make_unique<test::ThemeAppDir>();
        m_app->screen = kDesktop;
        // 4:3 with a red middle of half its size, for the preview.
        m_app->dir.Write("mine/sea.swf", MovieBytes(400, 300, 200, 150));
        // Red all over: the theme page's own colour stands for the stage (its bgcolor), so the
        // movie's place shows as red.
        m_app->dir.Write("mine/red.swf", MovieBytes(400, 400, 400, 400));
        m_store = std::make_unique<ThemeStore>(m_app->env, m_probes);
        m_options = TOptions{};
        m_options.AppDir = m_app->dir.str();
        m_options.LanguageFileName = ONDRIX_APP_DIR "/Languages/english.lng";
        m_agent = std::make_unique<TRAgent>(m_screen);
        m_setter = std::make_unique<WallpaperSetter>(m_options, *m_agent, m_desktop);
        m_window =
            std::make_unique<TfMain>(m_options, *m_agent, m_shell, *m_setter, m_applier, m_store.get());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->SetActivePage(TfMain::PageCreator);
        m_page = m_window->CreatorPageWidget();
        Dialogs::SetRecording(true);
    }

    void cleanup()
    {
        m_window.reset();
        Dialogs::SetRecording(false);
    }

    void createdThemePlaysThroughTheLiveLayer()
    {
        m_page->chooseColour = [](QWidget*, QColor, const QString&) {
            return QColor(kPageColour.r, kPageColour.g, kPageColour.b);
        };
        QTest::mouseClick(Get<QWidget>("cebgcolor"), Qt::LeftButton);
        QTest::keyClicks(Get<QLineEdit>("foeffile"), QString::fromStdString(Movie("red.swf")));
        QTest::keyClicks(Get<QLineEdit>("edname"), QStringLiteral("Sea"));
        // The rectangle to 55, 34 of 221 x 137: the movie's corner at 25 % and 25 % of the screen.
        QWidget* preview = Get<QWidget>("Panel6");
        QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(preview, QPoint(54, 33));
        QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(54, 33));
        QSignalSpy created(m_page, &CreatorPage::themeCreated);
        QTest::mouseClick(Get<QWidget>("bcreate"), Qt::LeftButton);
        QVERIFY(created.wait(kWaitMs));
        QVERIFY2(Dialogs::RecordedMessages().isEmpty(), qPrintable(Dialogs::RecordedMessages().join("; ")));
        QCOMPARE(m_options.cadvTheme, m_app->Store("Sea.ond"));

        const std::string folder = UnpackTheme(m_app->env, m_options.cadvTheme);
        WebEngineActiveDesktop::Settings settings;
        settings.kind = ThemeLayerKind::LiveWindow;
        settings.workRoot = m_app->Work();
        settings.playerRoot = PlayerRoot();
        WebEngineActiveDesktop layer(
            settings, [] { return kDesktop; }, nullptr);
        layer.ShowStartPage((fs::path(folder) / "index.htm").string());
        QVERIFY(layer.View() != nullptr);
        // 50 % of 800 x 800 at 25 % and 25 %: the movie fills 200..600 x 200..600.
        const auto placed = [&] {
            const QImage image = layer.View()->grab().toImage();
            return image.width() >= 800 && image.height() >= 800 && Near(image.pixel(205, 205), kShape) &&
                   Near(image.pixel(594, 594), kShape) && Near(image.pixel(400, 400), kShape) &&
                   Near(image.pixel(194, 400), kPageColour) && Near(image.pixel(400, 194), kPageColour) &&
                   Near(image.pixel(606, 606), kPageColour) && Near(image.pixel(100, 700), kPageColour);
        };
        QTRY_VERIFY2_WITH_TIMEOUT(placed(),
                                  qPrintable(Describe(layer.View()->grab().toImage(),
                                                      {{205, 205}, {594, 594}, {194, 400}, {606, 606}})),
                                  kWaitMs);
        layer.SwitchOff();
    }

    void previewPlaysTheMovie()
    {
        const fs::path previewFolder = fs::path(m_app->Work()) / "preview";
        auto* player = new WebEngineMoviePlayer(PlayerRoot(), previewFolder);
        m_page->SetPlayer(player);
        QCOMPARE(m_page->Player(), player);
        QSignalSpy loaded(player, &WebEngineMoviePlayer::previewLoaded);
        // No web content before a movie is given, nor for a file that is no Flash movie or one
        // too big to copy while the page waits.
        QVERIFY(player->View() == nullptr);
        const fs::path notAMovie = fs::path(m_app->Work()).parent_path() / "notes.swf";
        const fs::path huge = fs::path(m_app->Work()).parent_path() / "huge.swf";
        {
            std::ofstream(notAMovie) << "just some notes";
            std::ofstream(huge) << "FWS";
            fs::resize_file(huge, 65ull * 1024 * 1024); // sparse: nothing is really written
        }
        for (const fs::path& refused : {notAMovie, huge}) {
            Get<QLineEdit>("foeffile")->clear();
            QTest::keyClicks(Get<QLineEdit>("foeffile"), QString::fromStdString(refused.string()));
            QVERIFY(player->View() == nullptr);
            QVERIFY(!fs::exists(previewFolder) || fs::is_empty(previewFolder));
        }
        Get<QLineEdit>("foeffile")->clear();

        QTest::keyClicks(Get<QLineEdit>("foeffile"), QString::fromStdString(Movie()));
        QVERIFY(player->View() != nullptr);
        QVERIFY(player->Page()->isAudioMuted());
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, kWaitMs);
        QVERIFY(loaded.at(0).at(0).toBool());
        // The page's own copy beside its page; nothing else is served.
        QCOMPARE(test::ThemeAppDir::Names(previewFolder.string()),
                 (std::vector<std::string>{"movie-1.swf", "preview-1.htm"}));

        // The rectangle (110 x 68, frame of 3) shows the movie letterboxed in its 104 x 62: the
        // red middle, the blue stage beside it, and the white frame around.
        QWidget* rectangle = Get<QWidget>("panel7");
        const auto shows = [&] {
            const QImage image = rectangle->grab().toImage();
            return Near(image.pixel(55, 34), kShape) && Near(image.pixel(25, 34), kStage) &&
                   Near(image.pixel(55, 8), kStage) && image.pixel(1, 1) == qRgb(255, 255, 255);
        };
        QTRY_VERIFY2_WITH_TIMEOUT(
            shows(), qPrintable(Describe(rectangle->grab().toImage(), {{55, 34}, {25, 34}, {55, 8}, {1, 1}})),
            kWaitMs);

        // Typing the name gives the same movie again: it plays on rather than reloading.
        QTest::keyClicks(Get<QLineEdit>("edname"), QStringLiteral("Sea"));
        QTest::qWait(300);
        QCOMPARE(loaded.count(), 1);

        // Another quality loads the page again with it.
        auto* quality = Get<QComboBox>("cbquality");
        quality->setFocus();
        QTest::keyClick(quality, Qt::Key_Home);
        QCOMPARE(player->Quality(), std::string("low"));
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 2, kWaitMs);
        QCOMPARE(test::ThemeAppDir::Names(previewFolder.string()),
                 (std::vector<std::string>{"movie-1.swf", "preview-2.htm"}));
        const std::string page = test::ReadFileBytes(previewFolder / "preview-2.htm");
        QVERIFY(page.find("<param name=\"quality\" value=\"low\">") != std::string::npos);
        QVERIFY(page.find("<embed src=\"movie-1.swf\" quality=\"low\"") != std::string::npos);
        QTRY_VERIFY_WITH_TIMEOUT(shows(), kWaitMs);

        // Out of sight the preview is frozen, on another page or with the window hidden, and
        // plays on when it is back.
        using State = QWebEnginePage::LifecycleState;
        QCOMPARE(player->Page()->lifecycleState(), State::Active);
        m_window->SetActivePage(0);
        QTRY_COMPARE_WITH_TIMEOUT(player->Page()->lifecycleState(), State::Frozen, kWaitMs);
        m_window->SetActivePage(TfMain::PageCreator);
        QCOMPARE(player->Page()->lifecycleState(), State::Active);
        m_window->hide();
        QTRY_COMPARE_WITH_TIMEOUT(player->Page()->lifecycleState(), State::Frozen, kWaitMs);
        m_window->show();
        QCOMPARE(player->Page()->lifecycleState(), State::Active);
        QTRY_VERIFY_WITH_TIMEOUT(shows(), kWaitMs);
        QCOMPARE(loaded.count(), 2); // not loaded again

        // A movie too big to preview stops the one playing: the note says why.
        m_window->SetActivePage(TfMain::PageCreator);
        Get<QLineEdit>("foeffile")->setText(QString::fromStdString(huge.string()));
        QVERIFY(player->View() == nullptr);
        QVERIFY(fs::is_empty(previewFolder));
        auto* note = player->findChild<QLabel*>(QStringLiteral("playerNote"));
        QVERIFY(note != nullptr && note->isVisible());
        QVERIFY(note->text().startsWith(QStringLiteral("This movie is larger than 64 MiB")));
        Get<QLineEdit>("foeffile")->setText(QString::fromStdString(Movie()));
        QVERIFY(player->View() != nullptr);
        QVERIFY(!note->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 3, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(shows(), kWaitMs);
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    RegisterThemeScheme();
    QApplication app(argc, argv);
    ThemeCreatorLayerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ThemeCreatorLayerTest.moc"
