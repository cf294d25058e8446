// The theme layer for real, drawn offscreen: a theme's movie shows, a hostile page gets nowhere,
// the still picture reaches the picture backend, and switching off frees the web view.
#include "LayerFixtures.h"
#include "ThemeLayerPages.h"
#include "layer/ThemePage.h"
#include "layer/ThemeScheme.h"
#include "layer/WaylandLayerShell.h"
#include "layer/WebEngineActiveDesktop.h"
#include "platform/DesktopWallpaper.h"
#include "support/TempDir.h"
#include "swf/SwfWriter.h"
#include "wallpaper/Bitmap.h"
#include "wallpaper/BmpCodec.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QImage>
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>

using namespace ondrix;
using ondrix::test::FakeDesktopWallpaper;
using ondrix::test::kHostilePage;
using ondrix::test::kMoviePage;
using ondrix::test::kShape;
using ondrix::test::kStage;
using ondrix::test::MovieBytes;
namespace fs = std::filesystem;

namespace {

constexpr int kWaitMs = 60000; // a first start of the web view and the player on a busy machine
constexpr DesktopSize kDesktop{800, 600};

bool Near(QRgb pixel, swf::Rgba colour)
{
    return std::abs(qRed(pixel) - colour.r) <= 12 && std::abs(qGreen(pixel) - colour.g) <= 12 &&
           std::abs(qBlue(pixel) - colour.b) <= 12;
}

bool ShowsMovie(const QImage& image)
{
    if (image.width() < 800 || image.height() < 600)
        return false;
    return Near(image.pixel(400, 300), kShape) && Near(image.pixel(40, 40), kStage) &&
           Near(image.pixel(760, 560), kStage);
}

// The power daemon's object as the layer sees it: the OnBattery property of its interface,
// readable through the standard properties interface.
class FakeUPower final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UPower")
    Q_PROPERTY(bool OnBattery READ OnBattery)
public:
    bool OnBattery() const { return onBattery; }
    bool onBattery = false;
};

} // namespace

// What a script gives in the page, as text (empty when it gives nothing within the wait).
QString Evaluate(QWebEnginePage& page, const char* script)
{
    const auto result = std::make_shared<std::optional<QString>>();
    page.runJavaScript(QString::fromLatin1(script),
                       [result](const QVariant& value) { *result = value.toString(); });
    return QTest::qWaitFor([&] { return result->has_value(); }, 10000) ? **result : QString();
}

class ThemeLayerTest : public QObject
{
    Q_OBJECT

private:
    test::TempDir m_dir;
    fs::path m_work;

    WebEngineActiveDesktop::Settings Settings(ThemeLayerKind kind) const
    {
        WebEngineActiveDesktop::Settings settings;
        settings.kind = kind;
        settings.workRoot = m_work;
        settings.playerRoot = fs::path(ONDRIX_APP_DIR) / "ruffle";
        settings.stillPicture = m_dir.path() / "imgLists/WorkDir/wallpaper.bmp";
        settings.movieMomentMs = 1000;
        return settings;
    }
    std::string Page(const char* name) const { return (m_work / "1000" / name).string(); }

    // A bus of the test's own stands in for the system bus.
    QProcess m_bus;
    QString m_busAddress;

    static void TellOnBattery(QDBusConnection& bus, const QString& interfaceName, const QVariant& value)
    {
        QDBusMessage changed = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/UPower"),
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("PropertiesChanged"));
        changed << interfaceName << QVariantMap{{QStringLiteral("OnBattery"), value}} << QStringList{};
        QVERIFY(bus.send(changed));
    }

private slots:
    // Whether sway draws the oldest layer surface on top: before 1.8 (numbers, not text: 1.10
    // is newer than 1.8); anything unreadable counts as a newer compositor.
    void swayVersionsThatStackTheOldestOnTop()
    {
        QVERIFY(
            SwayDrawsOldestLayerSurfaceOnTop(R"({"human_readable":"1.7","major":1,"minor":7,"patch":0})"));
        QVERIFY(SwayDrawsOldestLayerSurfaceOnTop(R"({"major":0,"minor":15})"));
        QVERIFY(!SwayDrawsOldestLayerSurfaceOnTop(R"({"major":1,"minor":8})"));
        QVERIFY(!SwayDrawsOldestLayerSurfaceOnTop(R"({"major":1,"minor":10,"patch":1})"));
        QVERIFY(!SwayDrawsOldestLayerSurfaceOnTop(R"({"major":"1","minor":"7"})"));
        QVERIFY(!SwayDrawsOldestLayerSurfaceOnTop("swaymsg: unable to connect"));
        QVERIFY(!SwayDrawsOldestLayerSurfaceOnTop(""));
    }

    void initTestCase()
    {
        m_work = m_dir.path() / "advThemes_/WorkDir";
        m_dir.Write("advThemes_/WorkDir/1000/index.htm", kMoviePage);
        m_dir.Write("advThemes_/WorkDir/1000/movie.swf", MovieBytes());
        m_dir.Write("advThemes_/WorkDir/1000/hostile.htm", kHostilePage);
        m_dir.Write("advThemes_/WorkDir/1000/data.txt", "own data");
        fs::create_directories(m_dir.path() / "imgLists/WorkDir");
        fs::create_symlink("/etc/passwd", m_work / "1000/passwd.txt");

        m_bus.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--config-file=/usr/share/dbus-1/session.conf"),
                     QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (m_bus.waitForStarted() && m_bus.waitForReadyRead(10000))
            m_busAddress = QString::fromUtf8(m_bus.readLine()).trimmed();
        if (!m_busAddress.isEmpty())
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_busAddress.toUtf8());
    }

    void cleanupTestCase()
    {
        if (m_bus.state() != QProcess::NotRunning) {
            m_bus.terminate();
            m_bus.waitForFinished(5000);
        }
    }

    void pauseRule()
    {
        // covered, pause when covered, on battery, pause on battery -> paused
        QVERIFY(!MoviePaused(false, false, false, false));
        QVERIFY(!MoviePaused(true, false, false, false));
        QVERIFY(!MoviePaused(false, true, false, false));
        QVERIFY(MoviePaused(true, true, false, false));
        QVERIFY(!MoviePaused(false, false, true, false));
        QVERIFY(!MoviePaused(false, false, false, true));
        QVERIFY(MoviePaused(false, false, true, true));
        QVERIFY(MoviePaused(true, true, true, true));
        QVERIFY(MoviePaused(true, false, true, true));
        QVERIFY(MoviePaused(true, true, true, false));
        QVERIFY(!MoviePaused(true, false, true, false));
        QVERIFY(!MoviePaused(false, true, false, true));
    }

    void pausesOnBatteryAsUPowerTells()
    {
        if (m_busAddress.isEmpty())
            QSKIP("no dbus-daemon to stand in for the system bus");
        QDBusConnection daemon = QDBusConnection::connectToBus(m_busAddress, QStringLiteral("fake-upower"));
        QVERIFY(daemon.isConnected());

        {
            // No power daemon on the bus: the machine is on mains and the movie plays.
            WebEngineActiveDesktop layer(
                Settings(ThemeLayerKind::LiveWindow), [] { return kDesktop; }, nullptr);
            layer.ShowStartPage(Page("index.htm"));
            layer.SetPauseOnBattery(true);
            QTest::qWait(1500);
            QVERIFY(!layer.OnBattery());
            QVERIFY(!layer.Paused());
            layer.SwitchOff();
        }

        FakeUPower upower;
        upower.onBattery = true;
        QVERIFY(daemon.registerObject(QStringLiteral("/org/freedesktop/UPower"), &upower,
                                      QDBusConnection::ExportAllProperties));
        QVERIFY(daemon.registerService(QStringLiteral("org.freedesktop.UPower")));

        WebEngineActiveDesktop layer(
            Settings(ThemeLayerKind::LiveWindow), [] { return kDesktop; }, nullptr);
        QSignalSpy paused(&layer, &WebEngineActiveDesktop::pausedChanged);
        layer.ShowStartPage(Page("index.htm"));
        // Not asked for: on battery or not, the movie plays.
        layer.SetPauseOnBattery(false);
        QTest::qWait(500);
        QVERIFY(!layer.Paused());

        layer.SetPauseOnBattery(true);
        QTRY_VERIFY_WITH_TIMEOUT(layer.Paused(), kWaitMs);
        QVERIFY(layer.OnBattery());
        QVERIFY(!layer.View()->isVisible());

        // Mains again: the movie goes on.
        upower.onBattery = false;
        TellOnBattery(daemon, QStringLiteral("org.freedesktop.UPower"), false);
        QTRY_VERIFY_WITH_TIMEOUT(!layer.Paused(), kWaitMs);
        QVERIFY(layer.View()->isVisible());

        // Another interface's property of that name, and a value of the wrong type, change nothing.
        TellOnBattery(daemon, QStringLiteral("org.freedesktop.UPower.Device"), true);
        TellOnBattery(daemon, QStringLiteral("org.freedesktop.UPower"), QStringLiteral("yes"));
        QTest::qWait(500);
        QVERIFY(!layer.Paused());
        TellOnBattery(daemon, QStringLiteral("org.freedesktop.UPower"), true);
        QTRY_VERIFY_WITH_TIMEOUT(layer.Paused(), kWaitMs);
        QCOMPARE(paused.count(), 3);

        // The user turns the rule off: the movie plays although still on battery.
        layer.SetPauseOnBattery(false);
        QVERIFY(!layer.Paused());
        QVERIFY(layer.OnBattery());
        layer.SwitchOff();
        daemon.unregisterService(QStringLiteral("org.freedesktop.UPower"));
        daemon.unregisterObject(QStringLiteral("/org/freedesktop/UPower"));
    }

    void showsTheMovieAndSwitchesOff()
    {
        // The page is looked at only after ten minutes: the movie's start is known by the page's
        // word alone.
        WebEngineActiveDesktop::Settings settings = Settings(ThemeLayerKind::LiveWindow);
        settings.movieLookMs = 600000;
        WebEngineActiveDesktop layer(
            settings, [] { return kDesktop; }, nullptr);
        QSignalSpy inUse(&layer, &WebEngineActiveDesktop::layerInUse);
        QSignalSpy started(&layer, &WebEngineActiveDesktop::movieStarted);
        // Nothing of the web view exists before a theme is shown.
        QVERIFY(layer.Profile() == nullptr);
        QVERIFY(layer.View() == nullptr);

        layer.ShowStartPage(Page("index.htm"));
        QSignalSpy console(layer.Page(), &ThemePage::consoleMessage);
        QSignalSpy loaded(layer.Page(), &ThemePage::movieLoaded);
        QCOMPARE(inUse.count(), 1);
        QCOMPARE(inUse.at(0).at(0).value<ThemeLayerKind>(), ThemeLayerKind::LiveWindow);
        QVERIFY(layer.View() != nullptr);
        QCOMPARE(layer.View()->size(), QSize(800, 600));
        QVERIFY(layer.View()->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QTRY_VERIFY_WITH_TIMEOUT(started.count() == 1, kWaitMs);
        QTRY_COMPARE(loaded.count(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsMovie(layer.View()->grab().toImage()), kWaitMs);
        // Drawn in software, the player goes straight to its canvas renderer, without first
        // trying the GPU renderers that cannot start here.
        QStringList messages;
        for (const QList<QVariant>& message : console)
            messages << message.at(0).toString();
        QVERIFY2(messages.filter(QStringLiteral("Used renderer: canvas")).size() == 1,
                 qPrintable(messages.join('\n')));
        QVERIFY2(messages.filter(QStringLiteral("Error creating")).isEmpty(),
                 qPrintable(messages.join('\n')));
        // The page's pace: no gamepads, and, once the movie told its 12 frames a second,
        // animation frames at that rate rather than the screen's 60 (a slow machine gives fewer,
        // never more).
        QCOMPARE(Evaluate(*layer.Page(), "String(navigator.getGamepads().length)"), QStringLiteral("0"));
        Evaluate(*layer.Page(), "window.frames_ = 0; (function count() { ++window.frames_; "
                                "requestAnimationFrame(count); })(); ''");
        QTest::qWait(2000);
        const int frames = Evaluate(*layer.Page(), "String(window.frames_)").toInt();
        QVERIFY2(frames > 0 && frames <= 40, qPrintable(QString::number(frames)));
        // Sound is off unless asked for, and without it the page has no audio graph; asked for,
        // the page is made anew with one.
        QVERIFY(layer.Page()->isAudioMuted());
        QCOMPARE(Evaluate(*layer.Page(), "typeof AudioContext"), QStringLiteral("undefined"));
        layer.SetSound(true);
        QVERIFY(!layer.Page()->isAudioMuted());
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 2, kWaitMs);
        QCOMPARE(Evaluate(*layer.Page(), "typeof AudioContext"), QStringLiteral("function"));
        // This second page compiled the player's code, known from the first, while it was read,
        // and the real player took that code for its movie.
        QCOMPARE(Evaluate(*layer.Page(), "String(window.__ondrixEarlyCode)"), QStringLiteral("taken"));
        QTRY_VERIFY_WITH_TIMEOUT(ShowsMovie(layer.View()->grab().toImage()), kWaitMs);
        layer.SetSound(false);
        QVERIFY(layer.Page()->isAudioMuted());

        // A new desktop size is followed at once.
        layer.SetDesktopSize({640, 480});
        QCOMPARE(layer.View()->size(), QSize(800, 600)); // the size function rules while it is given
        // Switching off removes the view and, with it, the page.
        QPointer<QWebEnginePage> page = layer.View()->page();
        layer.SwitchOff();
        QVERIFY(layer.View() == nullptr);
        QTRY_VERIFY(page.isNull());
        // Shown again later: the layer comes back, and the choice is not told again.
        layer.ShowStartPage(Page("index.htm"));
        QVERIFY(layer.View() != nullptr);
        QCOMPARE(inUse.count(), 1);
        layer.SwitchOff();
    }

    void followsTheDesktopSize()
    {
        WebEngineActiveDesktop layer(Settings(ThemeLayerKind::LiveWindow), nullptr, nullptr);
        layer.SetDesktopSize({1024, 300});
        layer.ShowStartPage(Page("index.htm"));
        QCOMPARE(layer.View()->size(), QSize(1024, 300));
        layer.SetDesktopSize({700, 500});
        QCOMPARE(layer.View()->size(), QSize(700, 500));
        layer.SwitchOff();
    }

    void hostilePageGetsNowhere()
    {
        WebEngineActiveDesktop layer(
            Settings(ThemeLayerKind::LiveWindow), [] { return kDesktop; }, nullptr);
        layer.ShowStartPage(Page("hostile.htm"));
        ThemePage* page = layer.Page();
        QVERIFY(page != nullptr);
        QSignalSpy console(page, &ThemePage::consoleMessage);
        QSignalSpy navigations(page, &ThemePage::navigationBlocked);
        QSignalSpy blocked(&layer.Profile()->Interceptor(), &ThemeRequestInterceptor::blocked);
        QSignalSpy refused(&layer.Profile()->Handler(), &ThemeSchemeHandler::refused);
        const int windowsBefore = static_cast<int>(QApplication::topLevelWidgets().size());

        std::map<QString, QString> results;
        const auto collect = [&] {
            for (const QList<QVariant>& message : console) {
                const QStringList words = message.at(0).toString().split(QLatin1Char(' '));
                if (words.size() == 3 && words[0] == QLatin1String("RESULT"))
                    results[words[1]] = words[2];
            }
            return results.count(QStringLiteral("navigation")) == 1;
        };
        QTRY_VERIFY_WITH_TIMEOUT(collect(), kWaitMs);

        // The control: the page's own file is readable, so the checks below can tell.
        QCOMPARE(results[QStringLiteral("fetch-own")], QStringLiteral("succeeded:8"));
        for (const char* attempt :
             {"window.open", "fetch-web", "xhr-web", "img-web", "fetch-file", "xhr-file", "img-file",
              "fetch-up", "fetch-link", "fetch-otherhost", "webrtc", "navigation"})
            QCOMPARE(results[QString::fromLatin1(attempt)] + QLatin1Char(' ') + QLatin1String(attempt),
                     QStringLiteral("blocked ") + QLatin1String(attempt));

        // Each was really tried: the filter, the file server and the page saw them.
        QStringList blockedUrls;
        for (const QList<QVariant>& call : blocked)
            blockedUrls << call.at(0).toUrl().toString();
        for (const char* url : {"http://203.0.113.7/tag.png", "http://203.0.113.7/fetch",
                                "https://203.0.113.7/xhr", "http://203.0.113.7/img.png"})
            QVERIFY2(blockedUrls.contains(QLatin1String(url)),
                     qPrintable(blockedUrls.join(QLatin1Char(' '))));
        QStringList refusedUrls;
        for (const QList<QVariant>& call : refused)
            refusedUrls << call.at(0).toUrl().path(QUrl::FullyDecoded);
        QVERIFY2(refusedUrls.contains(QStringLiteral("/passwd.txt")),
                 qPrintable(refusedUrls.join(QLatin1Char(' '))));
        QStringList navigationUrls;
        for (const QList<QVariant>& call : navigations)
            navigationUrls << call.at(0).toUrl().toString();
        QVERIFY2(navigationUrls.contains(QStringLiteral("http://203.0.113.7/away")),
                 qPrintable(navigationUrls.join(QLatin1Char(' '))));
        QCOMPARE(page->url().scheme(), QStringLiteral("ondrix-theme"));
        QCOMPARE(static_cast<int>(QApplication::topLevelWidgets().size()), windowsBefore);
        layer.SwitchOff();
    }

    void stillPictureReachesThePictureBackend()
    {
        FakeDesktopWallpaper pictures;
        WebEngineActiveDesktop layer(
            Settings(ThemeLayerKind::StillPicture), [] { return kDesktop; }, &pictures);
        QSignalSpy inUse(&layer, &WebEngineActiveDesktop::layerInUse);
        QSignalSpy set(&layer, &WebEngineActiveDesktop::stillPictureSet);
        QSignalSpy failed(&layer, &WebEngineActiveDesktop::failed);
        layer.ShowStartPage(Page("index.htm"));
        QCOMPARE(inUse.count(), 1);
        QCOMPARE(inUse.at(0).at(0).value<ThemeLayerKind>(), ThemeLayerKind::StillPicture);
        QVERIFY(layer.View() != nullptr);
        QVERIFY(layer.View()->testAttribute(Qt::WA_DontShowOnScreen));
        QTRY_VERIFY_WITH_TIMEOUT(set.count() + failed.count() > 0, kWaitMs);
        QVERIFY2(failed.isEmpty(), failed.isEmpty() ? "" : qPrintable(failed.at(0).at(0).toString()));

        const std::string path = (m_dir.path() / "imgLists/WorkDir/wallpaper.bmp").string();
        QCOMPARE(pictures.writes, 1);
        QCOMPARE(pictures.written.wallpaper, path);
        QCOMPARE(pictures.written.tileWallpaper, std::string("0"));
        const Bitmap bitmap = ReadBmp(path);
        QCOMPARE(bitmap.Width(), 800);
        QCOMPARE(bitmap.Height(), 600);
        const auto pixel = [&](int x, int y) {
            const std::uint8_t* p = bitmap.Row(y) + 3 * x;
            return qRgb(p[2], p[1], p[0]);
        };
        QVERIFY(Near(pixel(400, 300), kShape));
        QVERIFY(Near(pixel(40, 40), kStage));
        // The picture taken, the web view is gone: it costs nothing from now on.
        QVERIFY(layer.View() == nullptr);
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    RegisterThemeScheme();
    QApplication app(argc, argv);
    ThemeLayerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ThemeLayerTest.moc"
