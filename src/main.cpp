#include "app/options.h"
#include "platform/CommandRunner.h"
#include "platform/DesktopDetection.h"
#include "platform/FirstRunHook.h"
#include "platform/RegFileRegistry.h"
#include "platform/ScreenInfo.h"
#include "platform/linux/DesktopWallpaperFactory.h"
#include "platform/linux/QtScreenInfo.h"
#include "platform/linux/QtShell.h"
#include "platform/linux/SingleInstance.h"
#include "platform/linux/TerminationSignals.h"
#include "themes/ThemeApplier.h"
#include "ui/OndrixApplication.h"
#include "ui/aboutWin.h"
#include "ui/splash.h"
#include "ui/uMainForm.h"
#include "wallpaper/BmpPictureFiles.h"
#include "wallpaper/ResolutionAgent.h"
#include "wallpaper/WallpaperSetter.h"

#include <QDir>
#include <QIcon>
#include <QPointer>
#include <QTimer>

#include <cstdlib>
#include <memory>

using namespace ondrix;

namespace {

std::unique_ptr<ScreenInfo> ChooseScreenInfo(const DesktopEnvironment& environment)
{
    if (std::unique_ptr<ScreenInfo> screen = MakeScreenInfo(environment))
        return screen;
    return std::make_unique<QtScreenInfo>();
}

// The desktop backend of this session. One that cannot reach its desktop is reported, and
// the program goes on with the settings-file backend rather than not starting at all.
std::unique_ptr<DesktopWallpaper> ChooseDesktopWallpaper(const DesktopEnvironment& environment,
                                                         Registry& registry, CommandRunner& runner,
                                                         PictureFiles& pictures, const ScreenInfo& screen)
{
    std::unique_ptr<DesktopWallpaper> desktop;
    const bool chosen = OndrixApplication::Guarded([&] {
        desktop = MakeDesktopWallpaper(DetectDesktop(environment), registry, runner, pictures, &screen);
    });
    if (!chosen)
        desktop = MakeDesktopWallpaper(DesktopKind::File, registry, runner, pictures, &screen);
    return desktop;
}

} // namespace

int main(int argc, char** argv)
{
    Q_INIT_RESOURCE(icons);
    OndrixApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ondrix"));
    QApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
    // The program lives in the notification area: hiding its last window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    const std::string registryPath =
        RegFileRegistry::DefaultRegistryPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    SingleInstance instance(QString::fromStdString(registryPath));
    if (!instance.BecomePrimary())
        return 0;

    // A termination request that arrives before the main window exists closes it as soon
    // as it does.
    QPointer<TfMain> mainWindow;
    bool terminationPending = false;
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::terminationRequested, [&] {
        if (mainWindow)
            mainWindow->close();
        else
            terminationPending = true;
    });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, [&] {
        if (mainWindow)
            mainWindow->close();
    });

    const QString appDir = QCoreApplication::applicationDirPath();
    QDir::setCurrent(appDir);

    RegFileRegistry registry(registryPath);
    NullFirstRunHook firstRunHook;
    TOptions options;
    if (!OndrixApplication::Guarded(
            [&] { LoadOptions(options, appDir.toStdString(), registry, firstRunHook); }))
        return 1;

    const DesktopEnvironment environment = DesktopEnvironment::FromProcess();
    const std::unique_ptr<ScreenInfo> screen = ChooseScreenInfo(environment);
    TRAgent agent(*screen);
    QTimer agentPoll;
    QObject::connect(&agentPoll, &QTimer::timeout, [&agent] { agent.Poll(); });
    agentPoll.start(1000);

    ProcessCommandRunner commandRunner;
    BmpPictureFiles pictureFiles;
    const std::unique_ptr<DesktopWallpaper> desktop =
        ChooseDesktopWallpaper(environment, registry, commandRunner, pictureFiles, *screen);
    NullThemeApplier activeDesktop;
    WallpaperSetter wallpaperSetter(options, agent, *desktop);
    wallpaperSetter.disableActiveDesktop = [&activeDesktop] { activeDesktop.DisableActiveDesktop(); };
    OndrixApplication::Guarded([&] { wallpaperSetter.SaveUserWallpaper(); });

    QtShell shell;

    TfSplash::ShowAtStartup(options.ShowAboutWindow && !terminationPending);

    TfMain window(options, agent, shell, wallpaperSetter, activeDesktop);
    mainWindow = &window;
    window.CreateAboutWindow();
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, &TfMain::TrayIconDblClick);
    QObject::connect(&window, &TfMain::closed, &app, &QApplication::quit, Qt::QueuedConnection);

    if (terminationPending) {
        QTimer::singleShot(0, &window, &QWidget::close);
    } else if (options.FirstRun) {
        window.show();
    } else if (!window.HasNotificationArea()) {
        // Without a notification area the window stays reachable from the task bar.
        window.showMinimized();
    }

    const int exitCode = QApplication::exec();

    agentPoll.stop();
    OndrixApplication::Guarded([&] { wallpaperSetter.RestoreUserWallpaper(); });
    OndrixApplication::Guarded([&] { SaveOptions(options, registry); });
    return exitCode;
}
