// Shows one theme page as the desktop, as the program does, and prints figures:
//   ondrix-theme-layer <start page> [seconds] [auto|live|still|covered|idle]
// auto: the layer this desktop and session get; live, still: that one; covered: live, with a
// full-screen window of its own over it once the movie plays; idle: the layer made but no page
// shown (picture mode). "first-movie-ms N": from ShowStartPage to the movie's player holding its
// movie; "first-frame-ms N": from ShowStartPage to a colour of the movie (neither grey nor the
// page's background at the screen's centre) in a grab of the screen (X11 only). On the Wayland
// platform the live layer is the compositor's layer. A live layer shows the page again two
// seconds later, without switching off in between, as the next theme is ("next-movie-ms"). The still picture
// goes through this session's picture backend (ONDRIX_DESKTOP forces one), and the desktop's own picture is
// put back at exit. The layer stays for the given seconds (default 10), so that a script can measure its
// processes.
#include "layer/LayerRoute.h"
#include "platform/CommandRunner.h"
#include "platform/DesktopWallpaper.h"
#include "platform/RegFileRegistry.h"
#include "platform/linux/DesktopWallpaperFactory.h"
#include "platform/linux/LayerClient.h"
#include "wallpaper/BmpPictureFiles.h"

#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

namespace {

// Whether a grab of the screen shows the movie: a pixel that is not grey (the empty screen, a
// page not yet drawn) and not the page's background colour.
bool ShowsMovie(const QImage& image, QRgb background)
{
    const auto near = [](int a, int b) { return a > b - 6 && a < b + 6; };
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4) {
            const QRgb pixel = image.pixel(x, y);
            const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
            const bool grey = near(r, g) && near(g, b);
            const bool page =
                near(r, qRed(background)) && near(g, qGreen(background)) && near(b, qBlue(background));
            if (!grey && !page)
                return true;
        }
    return false;
}

// The first "bgcolor" of the start page (black when it names none).
QRgb PageBackground(const std::filesystem::path& page)
{
    QFile file(QString::fromStdString(page.string()));
    if (!file.open(QIODevice::ReadOnly))
        return qRgb(0, 0, 0);
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("bgcolor[= ]+#([0-9A-Fa-f]{6})"))
                                              .match(QString::fromLatin1(file.readAll()));
    return match.hasMatch() ? QColor(QLatin1Char('#') + match.captured(1)).rgb() : qRgb(0, 0, 0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: ondrix-theme-layer <start page> [seconds] [auto|live|still|covered|idle]\n");
        return 2;
    }
    QApplication app(argc, argv);
    const std::filesystem::path page = std::filesystem::absolute(argv[1]);
    const int seconds = argc > 2 ? std::stoi(argv[2]) : 10;
    const std::string mode = argc > 3 ? argv[3] : "auto";
    const std::filesystem::path appDir = QCoreApplication::applicationDirPath().toStdString() + "/../Ondrix";

    try {
        const ondrix::DesktopEnvironment environment = ondrix::DesktopEnvironment::FromProcess();
        const std::filesystem::path scratch = std::filesystem::temp_directory_path() / "ondrix-theme-layer";
        std::filesystem::create_directories(scratch);
        ondrix::RegFileRegistry registry((scratch / "settings.reg").string());
        ondrix::ProcessCommandRunner runner;
        ondrix::BmpPictureFiles pictureFiles;
        const auto desktop =
            ondrix::MakeDesktopWallpaper(ondrix::DetectDesktop(environment), registry, runner, pictureFiles);
        const std::string saved = desktop->SaveState();
        const auto size = [] {
            const QRect area = QGuiApplication::primaryScreen()->virtualGeometry();
            return ondrix::DesktopSize{area.width(), area.height()};
        };

        // A live layer: the desktop window on X11, the compositor's layer on Wayland.
        const bool wayland = QGuiApplication::platformName() == QLatin1String("wayland");
        ondrix::LayerRoute route = mode == "still" ? ondrix::LayerRoute::StillPicture
                                   : wayland       ? ondrix::LayerRoute::LayerShell
                                                   : ondrix::LayerRoute::X11Window;
        if (mode == "auto") {
            const ondrix::LayerRouteSituation situation{
                ondrix::DesktopKindFromName(desktop->Name()).value_or(ondrix::DesktopKind::X11),
                environment.xdgSessionType.value_or(""), QGuiApplication::platformName().toStdString(),
                QGuiApplication::platformName() == QLatin1String("xcb")};
            route = ondrix::ChooseLayerRoute(situation);
        }
        if (route == ondrix::LayerRoute::SettingsFile) {
            std::printf("layer file (nothing to show)\n");
            return 0;
        }
        ondrix::LayerClient::Settings settings;
        settings.program = (appDir / "ondrix-layer").string();
        settings.route = route;
        settings.workRoot = page.parent_path().parent_path().string();
        settings.playerRoot = (appDir / "ruffle").string();
        settings.stillPicture = (scratch / "wallpaper.bmp").string();
        ondrix::LayerClient layer(settings, size, desktop.get());

        QWidget cover;
        cover.setStyleSheet(QStringLiteral("background: #404040"));
        QElapsedTimer clock;
        int shows = 1;
        QObject::connect(&layer, &ondrix::LayerClient::layerInUse, [](ondrix::ThemeLayerKind kind) {
            std::printf("layer %s\n", ondrix::ThemeLayerKindName(kind).c_str());
            std::fflush(stdout);
        });
        // The screen's centre is watched for the movie's first frame after a show; after the next
        // show, for the old movie's frames to go first (the page drawn anew) and the movie to come.
        QTimer frameWatch;
        bool blankSeen = true;
        frameWatch.setInterval(20);
        const QRgb pageBackground = PageBackground(page);
        QObject::connect(&frameWatch, &QTimer::timeout, [&] {
            QScreen* screen = QGuiApplication::primaryScreen();
            const QRect area = screen->geometry();
            const QImage image =
                screen->grabWindow(0, area.center().x() - 120, area.center().y() - 120, 240, 240).toImage();
            const bool movie = ShowsMovie(image, pageBackground);
            blankSeen = blankSeen || !movie;
            if (!movie || !blankSeen)
                return;
            frameWatch.stop();
            std::printf("%s-frame-ms %lld\n", shows == 1 ? "first" : "next",
                        static_cast<long long>(clock.elapsed()));
            std::fflush(stdout);
        });
        QObject::connect(&layer, &ondrix::LayerClient::movieStarted, [&] {
            // The first show starts the web view's processes; a later one finds them running.
            std::printf("%s-movie-ms %lld\n", shows == 1 ? "first" : "next",
                        static_cast<long long>(clock.elapsed()));
            std::fflush(stdout);
            if (shows == 1 && mode == "live")
                QTimer::singleShot(2000, [&] {
                    ++shows;
                    clock.start();
                    layer.ShowStartPage(page.string());
                    blankSeen = false;
                    frameWatch.start();
                });
            if (mode == "covered") {
                frameWatch.stop(); // the cover hides the movie: grabs would only cost
                cover.showFullScreen();
            }
        });
        QObject::connect(&layer, &ondrix::LayerClient::pausedChanged, [](bool paused) {
            std::printf("%s\n", paused ? "paused" : "playing");
            std::fflush(stdout);
        });
        QObject::connect(&layer, &ondrix::LayerClient::stillPictureSet, [](const QString& path) {
            std::printf("still-picture %s\n", qPrintable(path));
            std::fflush(stdout);
        });
        QObject::connect(&layer, &ondrix::LayerClient::failed,
                         [](const QString& message) { std::fprintf(stderr, "%s\n", qPrintable(message)); });
        QTimer::singleShot(0, [&] {
            clock.start();
            if (mode != "idle")
                layer.ShowStartPage(page.string());
            if (mode == "live" || mode == "covered")
                frameWatch.start();
        });
        QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
        const int code = QApplication::exec();
        layer.SwitchOff();
        desktop->RestoreState(saved);
        return code;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
