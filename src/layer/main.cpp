// ondrix-layer: the live layer of the desktop themes, started by Ondrix (see LayerProtocol.h).
//
//   ondrix-layer --route x11|xwayland|layer-shell|offscreen|still --work-root DIR
//                --player-root DIR --still-picture FILE
//
// Ondrix hands over the socket as file descriptor 3 and chooses the Qt platform through
// QT_QPA_PLATFORM. The layer-shell route draws offscreen and shows the page on the background
// layer of the Wayland compositor at WAYLAND_DISPLAY; where that cannot be, the program takes
// the still picture and says so in its "ready". The program ends when the socket ends, on SIGTERM, SIGINT and
// SIGHUP, and, through the parent-death signal Ondrix sets, when Ondrix goes.
#include "LayerProtocol.h"
#include "LayerServer.h"
#include "ThemeScheme.h"
#include "WaylandLayerShell.h"
#include "WebEngineActiveDesktop.h"
#include "platform/linux/TerminationSignals.h"

#include <QApplication>
#include <QLocalSocket>
#include <QProcess>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

using namespace ondrix;

namespace {

struct Arguments
{
    std::string route;
    std::map<std::string, std::string> paths;
};

// Nothing when the command line is not the one Ondrix writes.
std::optional<Arguments> Parse(int argc, char** argv)
{
    Arguments arguments;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const std::string value = argv[i + 1];
        if (name == "--route")
            arguments.route = value;
        else if (name == "--work-root" || name == "--player-root" || name == "--still-picture")
            arguments.paths[name] = value;
        else
            return std::nullopt;
    }
    const bool known = arguments.route == "x11" || arguments.route == "xwayland" ||
                       arguments.route == "layer-shell" || arguments.route == "offscreen" ||
                       arguments.route == "still";
    if (argc % 2 == 0 || !known || arguments.paths.size() != 3)
        return std::nullopt;
    return arguments;
}

// sway's answer to "swaymsg -t get_version", empty when it gives none within two seconds.
std::string SwayVersion()
{
    QProcess swaymsg;
    swaymsg.start(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_version")});
    if (!swaymsg.waitForFinished(2000)) {
        swaymsg.kill();
        swaymsg.waitForFinished(1000);
        return {};
    }
    return swaymsg.readAllStandardOutput().toStdString();
}

} // namespace

int main(int argc, char** argv)
{
    const std::optional<Arguments> arguments = Parse(argc, argv);
    if (!arguments) {
        std::fputs("ondrix-layer: this program is started by Ondrix, not by hand.\n", stderr);
        return 2;
    }
    // The theme pages' scheme must be known before the application object exists.
    RegisterThemeScheme();
    QApplication app(argc, argv);
    ReleaseOpenGlChoice();
    QApplication::setApplicationName(QStringLiteral("Ondrix layer"));
    QApplication::setQuitOnLastWindowClosed(false);

    auto* socket = new QLocalSocket;
    if (!socket->setSocketDescriptor(kLayerSocketFd)) {
        std::fputs("ondrix-layer: no socket from Ondrix on descriptor 3.\n", stderr);
        delete socket;
        return 2;
    }
    LayerServer server(socket);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &app, &QApplication::quit);
    QObject::connect(&server, &LayerServer::ended, &app, &QApplication::quit, Qt::QueuedConnection);

    std::string route = arguments->route;
    std::unique_ptr<WaylandLayerShell> shell;
    if (route == "layer-shell") {
        shell = std::make_unique<WaylandLayerShell>();
        std::string why;
        if (!shell->Connect(why)) {
            std::fprintf(stderr, "ondrix-layer: %s; the theme is shown as a still picture.\n", why.c_str());
            shell.reset();
            route = "still";
        } else if (qEnvironmentVariableIsSet("SWAYSOCK")) {
            shell->UseBottomLayer(SwayDrawsOldestLayerSurfaceOnTop(SwayVersion()));
        }
    }
    // The outputs' union where the compositor tells it, else the size Ondrix gave.
    const auto desktopSize = [&server, &shell] {
        const QRect outputs = shell ? shell->Union() : QRect();
        return outputs.isEmpty() ? server.Size() : DesktopSize{outputs.width(), outputs.height()};
    };

    WebEngineActiveDesktop::Settings settings;
    settings.kind = route == "still" ? ThemeLayerKind::StillPicture : ThemeLayerKind::LiveWindow;
    settings.workRoot = arguments->paths.at("--work-root");
    settings.playerRoot = arguments->paths.at("--player-root");
    settings.stillPicture = arguments->paths.at("--still-picture");
    settings.layerShell = shell.get();
    WebEngineActiveDesktop layer(settings, desktopSize, &server.Pictures());
    if (shell) {
        QObject::connect(shell.get(), &WaylandLayerShell::outputsChanged, &layer,
                         [&layer, desktopSize] { layer.SetDesktopSize(desktopSize()); });
        // Without its compositor the layer has nothing to show: Ondrix starts it anew.
        QObject::connect(shell.get(), &WaylandLayerShell::lost, &app, [](const QString& why) {
            std::fprintf(stderr, "ondrix-layer: %s\n", qPrintable(why));
            QCoreApplication::exit(1);
        });
    }
    server.Serve(layer);
    server.SayReady(route == "still" ? "still" : route == "offscreen" ? "offscreen" : "live");
    return QApplication::exec();
}
