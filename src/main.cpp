#include "app/AppFolders.h"
#include "app/AppLayout.h"
#include "app/CommandLine.h"
#include "app/options.h"
#include "core/AtomicFile.h"
#include "core/IniFile.h"
#include "language/language.h"
#include "layer/ThemeScheme.h"
#include "platform/Clock.h"
#include "platform/CommandRunner.h"
#include "platform/ComponentProbes.h"
#include "platform/DesktopDetection.h"
#include "platform/FirstRunHook.h"
#include "platform/RegFileRegistry.h"
#include "platform/ScreenInfo.h"
#include "platform/linux/DesktopWallpaperFactory.h"
#include "platform/linux/LayerClient.h"
#include "platform/linux/QtScreenInfo.h"
#include "platform/linux/QtShell.h"
#include "platform/linux/SingleInstance.h"
#include "platform/linux/TerminationSignals.h"
#include "platform/linux/ThemeLayerFactory.h"
#include "platform/linux/WebEngineMoviePlayer.h"
#include "platform/linux/X11Connection.h"
#include "platform/linux/XdgAutostart.h"
#include "themes/DesktopThemeApplier.h"
#include "themes/ThemeStore.h"
#include "ui/CreatorPage.h"
#include "ui/Dialogs.h"
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

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>

using namespace ondrix;

namespace {

// A command waits this long for the running copy; one behind a change that shows an error
// box waits for that box.
constexpr std::chrono::seconds kAnswerTimeout{30};
constexpr std::chrono::seconds kRequestTimeout{5};

std::string SettingsPath()
{
    return RegFileRegistry::DefaultRegistryPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::string CurrentFolder()
{
    std::error_code error;
    return std::filesystem::current_path(error).string();
}

// --help, a wrong command line, or a command for the running copy: nothing of the program
// itself is made.
int RunCommandLine(int argc, char** argv, const ParsedArguments& arguments)
{
    ClientReport report;
    if (!arguments.error.empty()) {
        report = ReportUsageError(arguments.error);
    } else if (arguments.command.verb == Verb::Help) {
        report.exitCode = ExitCode::Done;
        report.out = UsageText();
    } else {
        const QCoreApplication client(argc, argv);
        const SingleInstance instance(QString::fromStdString(SettingsPath()));
        const SingleInstance::Exchange exchange = instance.Ask(
            QByteArray::fromStdString(EncodeRequest(arguments.command)), kAnswerTimeout, kMaxAnswerBytes);
        using Outcome = SingleInstance::Exchange::Outcome;
        const Delivery delivery = exchange.outcome == Outcome::NotRunning ? Delivery::NotRunning
                                  : exchange.outcome == Outcome::Answered ? Delivery::Answered
                                                                          : Delivery::NoAnswer;
        report = ReportExchange(arguments.command, delivery, exchange.answer.toStdString());
    }
    std::fputs(report.out.c_str(), stdout);
    std::fputs(report.err.c_str(), stderr);
    return static_cast<int>(report.exitCode);
}

// Whether an X server answers at DISPLAY: the session's own, or XWayland beside a Wayland
// compositor.
bool X11Reachable()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return true;
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        return false;
    try {
        X11Connection probe;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::unique_ptr<ScreenInfo> ChooseScreenInfo(const DesktopEnvironment& environment)
{
    std::unique_ptr<ScreenInfo> screen;
    OndrixApplication::Guarded([&] { screen = MakeScreenInfo(environment); });
    if (screen)
        return screen;
    return std::make_unique<QtScreenInfo>();
}

// Where the desktop's values found at start are kept until a clean exit, beside the settings.
std::string DesktopKeeperPath(const std::string& registryPath)
{
    return std::filesystem::path(registryPath).replace_filename("Ondrix2-desktop.reg").string();
}

// The current items and switches, saved as soon as they change so that a crash loses none.
auto CurrentItems(const TOptions& options)
{
    return std::make_tuple(options.cadvTheme, options.cIList, options.cImg, options.state, options.Enabled);
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
    const ParsedArguments arguments =
        ParseArguments(std::vector<std::string>(argv + 1, argv + argc), CurrentFolder());
    if (!arguments.error.empty() || arguments.command.verb != Verb::Start)
        return RunCommandLine(argc, argv, arguments);

    Q_INIT_RESOURCE(icons);
    // The theme pages' own scheme must be known before the application object exists.
    RegisterThemeScheme();
    OndrixApplication app(argc, argv);
    ReleaseOpenGlChoice();
    QApplication::setApplicationName(QStringLiteral("Ondrix"));
    QApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
    // The menu entry's id: Wayland shells find the entry, and its icon, by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.ondrix.Ondrix"));
    // The program lives in the notification area: hiding its last window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    const std::string registryPath = SettingsPath();
    SingleInstance instance(QString::fromStdString(registryPath));
    instance.SetLimits(static_cast<qsizetype>(kMaxRequestBytes), kRequestTimeout);
    instance.tooLongAnswer = QByteArray::fromStdString(
        EncodeAnswer(Answer{false, "The request was refused: it is too long.", {}}));
    if (!instance.BecomePrimary())
        return 0;

    // A termination request that arrives before the main window exists closes it as soon
    // as it does.
    QPointer<TfMain> mainWindow;
    bool terminationPending = false;
    TerminationSignals terminationSignals;
    // Open message boxes are closed first: a request never waits for a click.
    QObject::connect(&terminationSignals, &TerminationSignals::terminationRequested, [&] {
        terminationPending = true;
        Dialogs::EndModalBoxes();
        if (mainWindow)
            mainWindow->close();
    });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, [&] {
        if (mainWindow)
            mainWindow->close();
    });

    // The user's files: the executable's folder when it holds them (a portable folder), else,
    // for the installed program, the user's data folder, filled from the shipped files.
    AppLayout layout;
    if (!OndrixApplication::Guarded([&] {
            layout = FindAppLayout(QCoreApplication::applicationDirPath().toStdString(),
                                   std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
            FillUserFolder(layout);
        }))
        return 1;
    const QString appDir = QString::fromStdString(layout.appDir);
    QDir::setCurrent(appDir);

    RemoveLeftoverTemporaries(layout.appDir, registryPath);
    MakeMissingWorkFolders(layout.appDir);

    RegFileRegistry registry(registryPath);
    NullFirstRunHook firstRunHook;
    TOptions options;
    const bool settingsDamaged = !registry.DamagedFilePath().empty();
    if (!OndrixApplication::Guarded(
            [&] { LoadOptions(options, layout, registry, firstRunHook, settingsDamaged); }))
        return 1;
    if (settingsDamaged && !terminationPending)
        Dialogs::ShowInformation(nullptr,
                                 QStringLiteral("The settings file \"%1\" could not be read whole. It was "
                                                "kept as \"%2\"; Ondrix goes on with every setting "
                                                "that could be read.")
                                     .arg(QString::fromStdString(registryPath),
                                          QString::fromStdString(registry.DamagedFilePath())));

    DesktopEnvironment environment = DesktopEnvironment::FromProcess();
    const std::string unknownDesktop = DropUnknownForcedDesktop(environment);
    if (!unknownDesktop.empty() && !terminationPending)
        OndrixApplication::ReportError(unknownDesktop.c_str());
    const std::unique_ptr<ScreenInfo> screen = ChooseScreenInfo(environment);
    TRAgent agent(*screen);
    QTimer agentPoll;
    QObject::connect(&agentPoll, &QTimer::timeout, [&agent] { agent.Poll(); });
    agentPoll.start(1000);

    ProcessCommandRunner commandRunner;
    BmpPictureFiles pictureFiles;
    const std::unique_ptr<DesktopWallpaper> desktop =
        ChooseDesktopWallpaper(environment, registry, commandRunner, pictureFiles, *screen);
    QtShell shell;

    // The theme layer: the settings file on the file desktop, else the layer program, started
    // when a theme is first shown, on the route this session allows.
    ThemeLayer themeLayer = MakeThemeLayer(
        environment, desktop->Name(), *desktop, registry, appDir.toStdString(),
        [&agent] { return agent.GetDesktopSize(); }, X11Reachable(),
        (std::filesystem::path(layout.libDir) / "ondrix-layer").string(),
        (std::filesystem::path(layout.libDir) / "ruffle").string());
    const std::unique_ptr<ActiveDesktop> layer = std::move(themeLayer.layer);
    LayerClient* const layerClient = themeLayer.client;
    std::optional<ThemeLayerKind> layerToTell; // the first show may come before the window exists
    // The user's choices for live themes: at start, and again after every commit of the options.
    const auto applyLayerOptions = [layerClient, &options] {
        if (layerClient == nullptr)
            return;
        layerClient->SetSound(options.ThemeSound);
        layerClient->SetPauseWhenCovered(options.ThemePauseCovered);
        layerClient->SetPauseOnBattery(options.ThemePauseBattery);
        layerClient->SetOverIcons(options.ThemeOverIcons);
    };
    applyLayerOptions();
    if (layerClient != nullptr) {
        agent.OnChange = [layerClient](TRAgent& sender) {
            layerClient->SetDesktopSize(sender.GetDesktopSize());
        };
        QObject::connect(layerClient, &LayerClient::failed,
                         [](const QString& message) { OndrixApplication::ReportError(qPrintable(message)); });
        QObject::connect(layerClient, &LayerClient::layerInUse,
                         [&layerToTell](ThemeLayerKind kind) { layerToTell = kind; });
    }
    // The layer is there when its program is (the settings file needs none).
    std::error_code noLayerProgram;
    AppFolderComponentProbes probes(
        layerClient == nullptr || std::filesystem::is_regular_file(layerClient->Program(), noLayerProgram),
        layout.libDir);
    SteadyClock clock;
    ThemeEnvironment themeEnvironment;
    themeEnvironment.AppDir = options.AppDir;
    themeEnvironment.DataDir = options.DataFolder();
    themeEnvironment.clock = &clock;
    themeEnvironment.screenSize = [&agent] { return agent.GetDesktopSize(); };
    DesktopThemeApplier activeDesktop(
        themeEnvironment, *layer, probes, shell,
        [](const std::string& text, const std::string& caption) {
            Dialogs::ShowError(nullptr, QString::fromStdString(text), QString::fromStdString(caption));
        },
        // Read from the chosen language file itself: the start-up change runs while the main
        // window is still being made.
        [&options] { return TLanguage(options.LanguageFileName).Text(Txt::HELPFILE_filename); });

    WallpaperSetter wallpaperSetter(options, agent, *desktop);
    wallpaperSetter.disableActiveDesktop = [&activeDesktop] { activeDesktop.DisableActiveDesktop(); };
    RegFileRegistry desktopKeeper(DesktopKeeperPath(registryPath));
    RemoveStaleTemporaries(desktopKeeper.Path());
    wallpaperSetter.SetKeeper(&desktopKeeper);
    // A failed read is reported; the desktop is then left alone for the whole session.
    OndrixApplication::Guarded([&] { wallpaperSetter.SaveUserWallpaper(); });

    TfSplash::ShowAtStartup(options.ShowAboutWindow && !terminationPending);

    const ThemeStore themeStore(themeEnvironment, probes);
    // After every commit of the options page the logon entry follows RunAtStartup.
    XdgAutostart autostart(
        XdgAutostart::DefaultEntryPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
    TfMain window(options, agent, shell, wallpaperSetter, activeDesktop, &themeStore);
    mainWindow = &window;
    window.SetAutostart(&autostart, QCoreApplication::applicationFilePath().toStdString());
    window.onCommit = applyLayerOptions;
    window.CreateAboutWindow();
    // The creation page previews movies with the live themes' player where its files are
    // there; its web view is made only when a first movie is chosen.
    if (probes.FlashRegistered())
        window.CreatorPageWidget()->SetPlayer(
            new WebEngineMoviePlayer(std::filesystem::path(options.LibFolder()) / "ruffle",
                                     std::filesystem::path(themeEnvironment.WorkFolder()) / "preview"));
    // The user is told once which way themes are shown here (and again if that changes).
    if (layerClient != nullptr) {
        const auto note = [&window, &options](const char* key, const char* fallback) {
            const IniFile texts = IniFile::Load(options.LanguageFileName);
            window.ShowStatusNote(QString::fromStdString(texts.Read("THEME_LAYER", key, fallback)));
        };
        const auto tell = [note](ThemeLayerKind kind) {
            if (kind == ThemeLayerKind::LiveWindow)
                note("live", "Themes play live below the windows");
            else
                note("still", "Themes are shown as a still picture here");
        };
        if (layerToTell)
            tell(*layerToTell);
        QObject::connect(layerClient, &LayerClient::layerInUse, &window, tell);
        QObject::connect(layerClient, &LayerClient::restarted, &window, [note](bool fallback) {
            if (fallback)
                note("fallback", "The live theme stopped too often; a still picture of it is shown instead");
            else
                note("restarted", "The live theme stopped and was started again");
        });
    }
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, &TfMain::TrayIconDblClick);
    instance.SetRequestHandler([&window](const QByteArray& line, SingleInstance::Reply reply) {
        window.RemoteRequest(line.toStdString(), [reply](const std::string& answer) {
            reply(QByteArray::fromStdString(answer));
        });
    });
    QObject::connect(&window, &TfMain::closed, &app, &QApplication::quit, Qt::QueuedConnection);

    if (terminationPending) {
        QTimer::singleShot(0, &window, &QWidget::close);
    } else if (options.FirstRun) {
        window.show();
    } else if (!window.HasNotificationArea()) {
        // Without a notification area the window stays reachable from the task bar.
        window.showMinimized();
    }

    // The current items are saved when they change, not only at exit. The first failure is
    // reported; the settings are tried again at the next change and at exit.
    auto savedItems = CurrentItems(options);
    bool saveFailureReported = false;
    QTimer keepCurrentItems;
    QObject::connect(&keepCurrentItems, &QTimer::timeout, [&] {
        if (CurrentItems(options) == savedItems)
            return;
        savedItems = CurrentItems(options);
        try {
            registry.InOneWrite([&] { SaveOptions(options, registry); });
        } catch (const std::exception& error) {
            if (!std::exchange(saveFailureReported, true))
                OndrixApplication::ReportError(error.what());
        }
    });
    keepCurrentItems.start(1000);

    const int exitCode = QApplication::exec();
    instance.SetRequestHandler(nullptr);

    keepCurrentItems.stop();
    agentPoll.stop();
    // The unpacked themes go before the desktop gets the user's wallpaper back.
    ClearFolder(themeEnvironment.WorkFolder());
    OndrixApplication::Guarded([&] { wallpaperSetter.RestoreUserWallpaper(); });
    OndrixApplication::Guarded([&] { registry.InOneWrite([&] { SaveOptions(options, registry); }); });
    return exitCode;
}
