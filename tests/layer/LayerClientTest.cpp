// Ondrix's side of the live layer against the real layer program, drawn offscreen: a page's
// movie starts, a killed or stuck program is seen and started again with its page, too many
// ends bring the still picture, switching off ends the program, and a program that breaks the
// protocol gets nowhere.
#include "platform/linux/LayerClient.h"

#include "LayerFixtures.h"
#include "ThemeLayerPages.h"
#include "platform/DesktopWallpaper.h"
#include "support/TempDir.h"
#include "swf/SwfWriter.h"
#include "wallpaper/Bitmap.h"
#include "wallpaper/BmpCodec.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <array>
#include <csignal>
#include <filesystem>
#include <sys/types.h>

using namespace ondrix;
namespace fs = std::filesystem;

namespace {

constexpr int kWaitMs = 60000; // a first start of the web view and the player on a busy machine

bool Running(qint64 pid)
{
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) == 0;
}

} // namespace

class LayerClientTest : public QObject
{
    Q_OBJECT

    test::TempDir m_dir;
    test::FakeDesktopWallpaper m_pictures;

    LayerClient::Settings Settings(const std::string& program = ONDRIX_APP_DIR "/ondrix-layer") const
    {
        LayerClient::Settings settings;
        settings.program = program;
        settings.route = LayerRoute::Offscreen;
        settings.workRoot = (m_dir.path() / "advThemes_/WorkDir").string();
        settings.playerRoot = ONDRIX_APP_DIR "/ruffle";
        settings.stillPicture = (m_dir.path() / "imgLists/WorkDir/wallpaper.bmp").string();
        return settings;
    }
    std::string Page() const { return (m_dir.path() / "advThemes_/WorkDir/1000/index.htm").string(); }

private slots:
    void initTestCase()
    {
        m_dir.Write("advThemes_/WorkDir/1000/index.htm", test::kMoviePage);
        m_dir.Write("advThemes_/WorkDir/1000/movie.swf", test::MovieBytes());
        fs::create_directories(m_dir.path() / "imgLists/WorkDir");
    }

    void killedProgramsComeBackThenTheStillPicture()
    {
        LayerClient client(
            Settings(),
            [] {
                return DesktopSize{800, 600};
            },
            &m_pictures);
        QSignalSpy started(&client, &LayerClient::movieStarted);
        QSignalSpy restarted(&client, &LayerClient::restarted);
        QSignalSpy failed(&client, &LayerClient::failed);
        QSignalSpy still(&client, &LayerClient::stillPictureSet);
        QSignalSpy inUse(&client, &LayerClient::layerInUse);
        QCOMPARE(client.ProgramId(), qint64{0}); // nothing runs before a page is shown
        client.ShowStartPage(Page());
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, kWaitMs);

        for (int kill = 1; kill <= 3; ++kill) {
            const qint64 pid = client.ProgramId();
            QVERIFY(Running(pid));
            ::kill(static_cast<pid_t>(pid), SIGKILL);
            QTRY_COMPARE_WITH_TIMEOUT(restarted.count(), kill, 1000);
            QCOMPARE(restarted.last().at(0).toBool(), false);
            QVERIFY(client.ProgramId() != pid);
            QTRY_COMPARE_WITH_TIMEOUT(started.count(), kill + 1, kWaitMs);
        }
        QCOMPARE(inUse.count(), 1); // a program started again is no news
        // The fourth end within five minutes: the still picture from now on.
        ::kill(static_cast<pid_t>(client.ProgramId()), SIGKILL);
        QTRY_COMPARE_WITH_TIMEOUT(restarted.count(), 4, 1000);
        QCOMPARE(restarted.last().at(0).toBool(), true);
        QCOMPARE(client.Route(), LayerRoute::StillPicture);
        QTRY_COMPARE_WITH_TIMEOUT(still.count(), 1, kWaitMs);
        QCOMPARE(inUse.count(), 1); // the fallback says it
        QCOMPARE(m_pictures.written.wallpaper, Settings().stillPicture);
        QVERIFY(fs::file_size(Settings().stillPicture) > 800u * 600u * 3u);
        QVERIFY2(failed.isEmpty(), failed.isEmpty() ? "" : qPrintable(failed.first().at(0).toString()));
    }

    void aStuckProgramIsSeenAndSwitchingOffEndsIt()
    {
        LayerClient client(
            Settings(),
            [] {
                return DesktopSize{800, 600};
            },
            &m_pictures);
        QSignalSpy started(&client, &LayerClient::movieStarted);
        QSignalSpy restarted(&client, &LayerClient::restarted);
        client.ShowStartPage(Page());
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, kWaitMs);
        const qint64 stuck = client.ProgramId();
        ::kill(static_cast<pid_t>(stuck), SIGSTOP);
        QTRY_COMPARE_WITH_TIMEOUT(restarted.count(), 1, 2000);
        QTRY_VERIFY_WITH_TIMEOUT(!Running(stuck), 2000); // killed, not left behind
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 2, kWaitMs);

        const qint64 pid = client.ProgramId();
        client.SwitchOff();
        QCOMPARE(client.ProgramId(), qint64{0});
        QTRY_VERIFY_WITH_TIMEOUT(!Running(pid), 2000);
        QCOMPARE(restarted.count(), 1); // an end asked for is no loss
    }

    // The hostile-page rules hold in the layer program: the page reads its own file and reaches
    // neither the network (a server of the test on loopback sees no connection) nor other files.
    void aHostilePageReachesNothingFromTheProgram()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        int connections = 0;
        connect(&server, &QTcpServer::newConnection, this, [&] {
            ++connections;
            delete server.nextPendingConnection();
        });
        std::string page = test::kLoopbackHostilePage;
        for (std::size_t at; (at = page.find("PORT")) != std::string::npos;)
            page.replace(at, 4, std::to_string(server.serverPort()));
        m_dir.Write("advThemes_/WorkDir/2000/hostile.htm", page);
        m_dir.Write("advThemes_/WorkDir/2000/data.txt", "own data");
        std::error_code ignored;
        fs::create_symlink("/etc/passwd", m_dir.path() / "advThemes_/WorkDir/2000/passwd.txt", ignored);

        LayerClient::Settings settings = Settings();
        settings.route = LayerRoute::StillPicture;
        test::FakeDesktopWallpaper pictures;
        LayerClient client(
            settings,
            [] {
                return DesktopSize{400, 300};
            },
            &pictures);
        QSignalSpy still(&client, &LayerClient::stillPictureSet);
        QSignalSpy failed(&client, &LayerClient::failed);
        client.ShowStartPage((m_dir.path() / "advThemes_/WorkDir/2000/hostile.htm").string());
        QTRY_VERIFY_WITH_TIMEOUT(still.count() + failed.count() > 0, kWaitMs);
        QVERIFY2(failed.isEmpty(), failed.isEmpty() ? "" : qPrintable(failed.first().at(0).toString()));
        const Bitmap shot = ReadBmp(settings.stillPicture);
        const std::uint8_t* middle = shot.Row(shot.Height() / 2) + 3 * (shot.Width() / 2);
        // Blue and green in the file's order: green, not red (an attempt got through) nor the
        // blue the page starts with (its script did not run).
        QCOMPARE((std::array<int, 3>{middle[2], middle[1], middle[0]}), (std::array<int, 3>{0, 255, 0}));
        QCOMPARE(connections, 0);
    }

    // The compositor's layer where no compositor answers (or it announces no layer shell): the
    // layer program says so at once and the theme comes as the still picture, no restarts.
    void theLayerShellWithoutACompositorGivesTheStillPicture()
    {
        // The session's compositor, if any, is back for the tests after this one, pass or fail.
        struct Restore
        {
            QByteArray display = qgetenv("WAYLAND_DISPLAY");
            bool was = qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
            ~Restore() { was ? qputenv("WAYLAND_DISPLAY", display) : qunsetenv("WAYLAND_DISPLAY"); }
        } restore;
        qputenv("WAYLAND_DISPLAY", "ondrix-tests-no-such-compositor");
        LayerClient::Settings settings = Settings();
        settings.route = LayerRoute::LayerShell;
        test::FakeDesktopWallpaper pictures;
        LayerClient client(
            settings,
            [] {
                return DesktopSize{400, 300};
            },
            &pictures);
        QSignalSpy inUse(&client, &LayerClient::layerInUse);
        QSignalSpy still(&client, &LayerClient::stillPictureSet);
        QSignalSpy restarted(&client, &LayerClient::restarted);
        client.ShowStartPage(Page());
        QTRY_COMPARE_WITH_TIMEOUT(still.count(), 1, kWaitMs);
        QCOMPARE(inUse.count(), 1);
        QCOMPARE(inUse.first().at(0).value<ThemeLayerKind>(), ThemeLayerKind::StillPicture);
        QCOMPARE(restarted.count(), 0);
        QCOMPARE(pictures.written.wallpaper, settings.stillPicture);
    }

    void aProgramThatBreaksTheProtocolGetsNowhere()
    {
        // A stand-in that says it is ready, then sends a line beyond the bound.
        const fs::path program = m_dir.Write("broken-layer", "#!/bin/sh\n"
                                                             "printf 'ready 0 live\\n' >&3\n"
                                                             "head -c 70000 /dev/zero | tr '\\0' a >&3\n"
                                                             "sleep 30\n");
        fs::permissions(program, fs::perms::owner_all);
        test::FakeDesktopWallpaper pictures;
        LayerClient client(
            Settings(program.string()),
            [] {
                return DesktopSize{800, 600};
            },
            &pictures);
        QSignalSpy restarted(&client, &LayerClient::restarted);
        QSignalSpy failed(&client, &LayerClient::failed);
        client.ShowStartPage(Page());
        // Each start breaks the protocol: three restarts, the still route, three more, then no more.
        QTRY_VERIFY_WITH_TIMEOUT(!failed.isEmpty(), 20000);
        QCOMPARE(restarted.count(), 7);
        QVERIFY(failed.last().at(0).toString().contains(QStringLiteral("keeps ending")));
        QCOMPARE(client.ProgramId(), qint64{0});
        QCOMPARE(pictures.writes, 0);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    LayerClientTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "LayerClientTest.moc"
