// Shows one theme page as the desktop, as the program does, and prints figures:
//   ondrix-theme-layer <start page> [seconds] [live|still]
// "first-movie-ms N": from ShowStartPage to the movie's player holding its movie. The layer
// then stays for the given seconds (default 10) so that a script can measure its processes.
#include "platform/DesktopWallpaper.h"
#include "platform/linux/ThemeScheme.h"
#include "platform/linux/WebEngineActiveDesktop.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// The still picture is only reported: this tool leaves the real desktop alone.
class PrintingWallpaper final : public ondrix::DesktopWallpaper
{
public:
    Values Read() override { return {}; }
    void Write(const Values& values) override { std::printf("still-picture %s\n", values.wallpaper.c_str()); }
    std::string Name() const override { return "print"; }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: ondrix-theme-layer <start page> [seconds] [live|still]\n");
        return 2;
    }
    ondrix::RegisterThemeScheme();
    QApplication app(argc, argv);
    const std::filesystem::path page = std::filesystem::absolute(argv[1]);
    const int seconds = argc > 2 ? std::stoi(argv[2]) : 10;
    const bool still = argc > 3 && std::string(argv[3]) == "still";

    ondrix::WebEngineActiveDesktop::Settings settings;
    settings.kind = still ? ondrix::ThemeLayerKind::StillPicture : ondrix::ThemeLayerKind::LiveWindow;
    settings.workRoot = page.parent_path().parent_path();
    settings.playerRoot = std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / ".." /
                          "Ondrix" / "ruffle";
    if (const char* player = std::getenv("ONDRIX_PLAYER_DIR"))
        settings.playerRoot = player;
    settings.stillPicture = std::filesystem::temp_directory_path() / "ondrix-theme-layer.bmp";
    PrintingWallpaper pictures;
    const auto size = [] {
        const QRect area = QGuiApplication::primaryScreen()->virtualGeometry();
        return ondrix::DesktopSize{area.width(), area.height()};
    };
    ondrix::WebEngineActiveDesktop layer(settings, size, &pictures);
    QElapsedTimer clock;
    QObject::connect(&layer, &ondrix::WebEngineActiveDesktop::movieStarted, [&] {
        std::printf("first-movie-ms %lld\n", static_cast<long long>(clock.elapsed()));
        std::fflush(stdout);
    });
    QObject::connect(&layer, &ondrix::WebEngineActiveDesktop::failed,
                     [](const QString& message) { std::fprintf(stderr, "%s\n", qPrintable(message)); });
    QTimer::singleShot(0, [&] {
        clock.start();
        layer.ShowStartPage(page.string());
    });
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
