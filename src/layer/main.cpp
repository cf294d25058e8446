// ondrix-layer: the live layer of the desktop themes, started by Ondrix (see LayerProtocol.h).
//
//   ondrix-layer --route x11|xwayland|offscreen|still --work-root DIR --player-root DIR
//                --still-picture FILE
//
// Ondrix hands over the socket as file descriptor 3 and chooses the Qt platform through
// QT_QPA_PLATFORM. The program ends when the socket ends, on SIGTERM, SIGINT and SIGHUP, and,
// through the parent-death signal Ondrix sets, when Ondrix goes.
#include "LayerProtocol.h"
#include "LayerServer.h"
#include "ThemeScheme.h"
#include "WebEngineActiveDesktop.h"
#include "platform/linux/TerminationSignals.h"

#include <QApplication>
#include <QLocalSocket>

#include <cstdio>
#include <map>
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
                       arguments.route == "offscreen" || arguments.route == "still";
    if (argc % 2 == 0 || !known || arguments.paths.size() != 3)
        return std::nullopt;
    return arguments;
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

    WebEngineActiveDesktop::Settings settings;
    settings.kind = arguments->route == "still" ? ThemeLayerKind::StillPicture : ThemeLayerKind::LiveWindow;
    settings.workRoot = arguments->paths.at("--work-root");
    settings.playerRoot = arguments->paths.at("--player-root");
    settings.stillPicture = arguments->paths.at("--still-picture");
    WebEngineActiveDesktop layer(
        settings, [&server] { return server.Size(); }, &server.Pictures());
    server.Serve(layer);
    server.SayReady(arguments->route == "still"       ? "still"
                    : arguments->route == "offscreen" ? "offscreen"
                                                      : "live");
    return QApplication::exec();
}
