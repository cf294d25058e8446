// The live theme layer on a real X server with a window manager (an Xvfb and an openbox of the
// test's own): below a normal window, paused under a full-screen one, the still picture where a
// file manager's icon window is, following a change of resolution, and gone when switched off.
#include "LayerFixtures.h"
#include "ThemeLayerPages.h"
#include "layer/ThemePage.h"
#include "layer/ThemeScheme.h"
#include "layer/WebEngineActiveDesktop.h"
#include "layer/X11DesktopHints.h"
#include "platform/DesktopWallpaper.h"
#include "support/TempDir.h"
#include "swf/SwfWriter.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace ondrix;
namespace fs = std::filesystem;

namespace {

constexpr int kWaitMs = 60000;
using test::FakeDesktopWallpaper;
using test::kShape;
using test::kStage;
using test::MovieBytes;

pid_t Spawn(std::vector<std::string> argv, int displayFd = -1)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (displayFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, displayFd, 3);
    std::vector<char*> args;
    for (std::string& arg : argv)
        args.push_back(arg.data());
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Starts an Xvfb on a display number it picks itself and sets DISPLAY; "" when it did not start.
std::string StartDisplay(pid_t& pid)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    pid = Spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-noreset", "-nolisten", "tcp"},
                fds[1]);
    close(fds[1]);
    std::string number;
    pollfd readable{fds[0], POLLIN, 0};
    while (pid > 0 && poll(&readable, 1, 15000) > 0) {
        char c = 0;
        if (read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(fds[0]);
    if (number.empty())
        return {};
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return ":" + number;
}

// Runs a command to its end; true when it succeeded.
bool Run(std::vector<std::string> argv)
{
    const pid_t pid = Spawn(std::move(argv));
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Xvfb's one output ("screen") switched to a mode of this size, made for the purpose.
bool SwitchScreen(int width, int height)
{
    const std::string name = std::to_string(width) + "x" + std::to_string(height) + "t";
    Run({"xrandr", "--newmode", name, "60", std::to_string(width), std::to_string(width + 8),
         std::to_string(width + 16), std::to_string(width + 24), std::to_string(height),
         std::to_string(height + 1), std::to_string(height + 2), std::to_string(height + 3)});
    Run({"xrandr", "--addmode", "screen", name});
    return Run({"xrandr", "--output", "screen", "--mode", name, "--fb",
                std::to_string(width) + "x" + std::to_string(height)});
}

void Stop(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

bool Near(QRgb pixel, int r, int g, int b)
{
    return std::abs(qRed(pixel) - r) <= 12 && std::abs(qGreen(pixel) - g) <= 12 &&
           std::abs(qBlue(pixel) - b) <= 12;
}

QImage RootPixels()
{
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

// A plain window of one colour.
QWidget* ColouredWindow(QColor colour)
{
    auto* window = new QWidget();
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, colour);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    return window;
}

} // namespace

class ThemeLayerX11Test : public QObject
{
    Q_OBJECT

private:
    test::TempDir m_dir;
    FakeDesktopWallpaper m_pictures;

    WebEngineActiveDesktop::Settings Settings() const
    {
        WebEngineActiveDesktop::Settings settings;
        settings.kind = ThemeLayerKind::LiveWindow;
        settings.workRoot = m_dir.path() / "WorkDir";
        settings.playerRoot = fs::path(ONDRIX_APP_DIR) / "ruffle";
        settings.stillPicture = m_dir.path() / "wallpaper.bmp";
        settings.movieMomentMs = 500;
        return settings;
    }
    std::string Page() const { return (m_dir.path() / "WorkDir/5/index.htm").string(); }
    static DesktopSize Size() { return {1024, 768}; }

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        m_dir.Write("WorkDir/5/index.htm", test::kMoviePage);
        m_dir.Write("WorkDir/5/movie.swf", MovieBytes());
    }

    void liveLayerStaysBelowANormalWindowAndPausesUnderAFullScreenOne()
    {
        WebEngineActiveDesktop layer(Settings(), &ThemeLayerX11Test::Size, &m_pictures);
        QSignalSpy inUse(&layer, &WebEngineActiveDesktop::layerInUse);
        QSignalSpy started(&layer, &WebEngineActiveDesktop::movieStarted);
        QSignalSpy paused(&layer, &WebEngineActiveDesktop::pausedChanged);
        QWidget* normal = ColouredWindow(QColor(0, 255, 0));
        normal->setGeometry(600, 400, 300, 200);
        normal->show();
        QVERIFY(QTest::qWaitForWindowExposed(normal));

        layer.ShowStartPage(Page());
        QCOMPARE(inUse.at(0).at(0).value<ThemeLayerKind>(), ThemeLayerKind::LiveWindow);
        QTRY_VERIFY_WITH_TIMEOUT(started.count() == 1, kWaitMs);
        // The layer shows the movie where no window is, and the normal window stays on top.
        const auto screenShows = [] {
            const QImage root = RootPixels();
            return Near(root.pixel(400, 384), kShape.r, kShape.g, kShape.b) &&
                   Near(root.pixel(30, 30), kStage.r, kStage.g, kStage.b) &&
                   Near(root.pixel(750, 500), 0, 255, 0);
        };
        QTRY_VERIFY_WITH_TIMEOUT(screenShows(), kWaitMs);
        // Raising the layer's window by hand does not bring it above the window.
        layer.View()->raise();
        QTest::qWait(300);
        QVERIFY(screenShows());
        // The window manager took it as a desktop window of no workspace and no task bar.
        QVERIFY(OtherDesktopWindowPresent(nullptr));

        // A full-screen window pauses the movie; closing it lets it go on.
        QWidget* full = ColouredWindow(QColor(255, 255, 0));
        full->showFullScreen();
        QTRY_VERIFY_WITH_TIMEOUT(layer.Paused(), 10000);
        QCOMPARE(layer.Page()->lifecycleState(), QWebEnginePage::LifecycleState::Frozen);
        delete full;
        QTRY_VERIFY_WITH_TIMEOUT(!layer.Paused(), 10000);
        QCOMPARE(layer.Page()->lifecycleState(), QWebEnginePage::LifecycleState::Active);
        QCOMPARE(paused.count(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(screenShows(), kWaitMs);

        // Switched off, the layer is gone from the screen and from the window manager.
        layer.SwitchOff();
        QTRY_VERIFY_WITH_TIMEOUT(!OtherDesktopWindowPresent(nullptr), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!Near(RootPixels().pixel(30, 30), kStage.r, kStage.g, kStage.b), 10000);
        delete normal;
    }

    void iconWindowOfTheDesktopGetsTheStillPicture()
    {
        // A file manager's icon window: a desktop-type window of another program.
        QWidget* icons = ColouredWindow(QColor(200, 200, 200));
        icons->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        icons->setGeometry(0, 0, 1024, 768);
        icons->winId();
        ApplyDesktopWindowHints(*icons->windowHandle());
        icons->show();
        QTRY_VERIFY_WITH_TIMEOUT(OtherDesktopWindowPresent(nullptr), 10000);

        WebEngineActiveDesktop layer(Settings(), &ThemeLayerX11Test::Size, &m_pictures);
        QSignalSpy inUse(&layer, &WebEngineActiveDesktop::layerInUse);
        QSignalSpy set(&layer, &WebEngineActiveDesktop::stillPictureSet);
        layer.ShowStartPage(Page());
        QCOMPARE(inUse.at(0).at(0).value<ThemeLayerKind>(), ThemeLayerKind::StillPicture);
        QTRY_VERIFY_WITH_TIMEOUT(set.count() == 1, kWaitMs);
        QCOMPARE(m_pictures.written.wallpaper, (m_dir.path() / "wallpaper.bmp").string());
        // The icon window is still the only desktop window: nothing of ours covers it.
        const QImage root = RootPixels();
        QVERIFY(Near(root.pixel(30, 30), 200, 200, 200));

        // Once the icon window is gone, the next theme is live again, and the user is told.
        delete icons;
        QTRY_VERIFY_WITH_TIMEOUT(!OtherDesktopWindowPresent(nullptr), 10000);
        layer.ShowStartPage(Page());
        QCOMPARE(inUse.count(), 2);
        QCOMPARE(inUse.at(1).at(0).value<ThemeLayerKind>(), ThemeLayerKind::LiveWindow);
        layer.SwitchOff();
    }

    void followsAResolutionChange()
    {
        // The resolution agent's size: the X screen's, read when asked.
        const auto size = [] {
            const QSize area = QGuiApplication::primaryScreen()->virtualGeometry().size();
            return DesktopSize{area.width(), area.height()};
        };
        WebEngineActiveDesktop layer(Settings(), size, &m_pictures);
        layer.ShowStartPage(Page());
        QCOMPARE(layer.View()->geometry(), QRect(0, 0, 1024, 768));
        QVERIFY(SwitchScreen(800, 600));
        QTRY_COMPARE_WITH_TIMEOUT(layer.View()->geometry(), QRect(0, 0, 800, 600), 10000);
        QVERIFY(SwitchScreen(1024, 768));
        QTRY_COMPARE_WITH_TIMEOUT(layer.View()->geometry(), QRect(0, 0, 1024, 768), 10000);
        layer.SwitchOff();
    }
};

int main(int argc, char** argv)
{
    pid_t server = -1;
    if (StartDisplay(server).empty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    const pid_t manager = Spawn({"openbox"});
    usleep(500000);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    int code = 1;
    {
        RegisterThemeScheme();
        QApplication app(argc, argv);
        ThemeLayerX11Test test;
        code = QTest::qExec(&test, argc, argv);
    }
    Stop(manager);
    Stop(server);
    return code;
}

#include "ThemeLayerX11Test.moc"
