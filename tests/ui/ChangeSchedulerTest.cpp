// The change scheduler: start-up change, change timers, on/off and mode commands, errors and
// the one-change-at-a-time rule, on real pictures in a temporary application folder.
#include "ui/ChangeScheduler.h"

#include "app/options.h"
#include "core/Errors.h"
#include "platform/DesktopWallpaper.h"
#include "platform/Shell.h"
#include "platform/linux/SingleInstance.h"
#include "themes/ThemeApplier.h"
#include "themes/ThemeFixtures.h"
#include "themes/ThemeStore.h"
#include "themes/ZipArchive.h"
#include "ui/Dialogs.h"
#include "ui/MainToolBar.h"
#include "ui/ThemesPage.h"
#include "ui/uMainForm.h"
#include "wallpaper/BmpCodec.h"
#include "wallpaper/ResolutionAgent.h"
#include "wallpaper/WallpaperSetter.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace ondrix;

namespace {

class RecordingDesktop final : public DesktopWallpaper
{
public:
    Values Read() override { return values; }
    void Write(const Values& written) override
    {
        values = written;
        writes.push_back(written);
        if (onWrite)
            onWrite();
    }
    std::string Name() const override { return "recording"; }

    Values values{"/home/someone/own.bmp", "0"};
    std::vector<Values> writes;
    std::function<void()> onWrite;
};

class RecordingActiveDesktop final : public ThemeApplier
{
public:
    void ApplyTheme(const std::string& packagePath) override
    {
        if (packagePath == refused)
            throw ArchiveError("\"" + packagePath + "\" unpacks to more than the limit.");
        calls.push_back("apply " + packagePath);
    }
    void DisableActiveDesktop() override { calls.push_back("off"); }
    void UserAskedForTheme() override { ++asked; }
    bool CanShowThemes() const override { return canShow; }
    bool canShow = true;
    std::vector<std::string> calls;
    std::string refused; // a package whose unpacking is refused
    int asked = 0;
};

class NoShell final : public Shell
{
public:
    ShellResult Open(const std::string&) override { return ShellResult::Ok; }
    void OpenDisplaySettings() override {}
};

// Picture i of the list is (20 + i) x (10 + i) pixels, so the work file tells which one was set.
constexpr int kPictures = 4;
int WidthOf(int i)
{
    return 20 + i;
}

} // namespace

class ChangeSchedulerTest : public QObject
{
    Q_OBJECT

private:
    std::string AppDir() const { return m_dir->path().toStdString(); }
    std::string Picture(int i) const { return AppDir() + "/pictures/p" + std::to_string(i) + ".bmp"; }
    std::string ListPath() const { return AppDir() + "/imgLists/four.lst"; }
    std::string WorkFile() const { return AppDir() + "/imgLists/WorkDir/wallpaper.bmp"; }

    void WriteList(const std::vector<std::string>& pictures)
    {
        std::ofstream out(ListPath(), std::ios::binary | std::ios::trunc);
        for (const std::string& picture : pictures)
            out << picture << "?10*10\r\n";
    }

    // The width of the picture now in the work file, or 0 when there is none.
    int WorkFileWidth() const
    {
        if (!std::filesystem::exists(WorkFile()))
            return 0;
        return ReadBmp(WorkFile()).Width();
    }

    std::vector<std::string> ThemeCalls() const { return m_active.calls; }

    std::unique_ptr<QTemporaryDir> m_dir;
    TOptions m_options;
    FixedScreenInfo m_screen{DesktopSize{1024, 768}};
    std::unique_ptr<TRAgent> m_agent;
    RecordingDesktop m_desktop;
    RecordingActiveDesktop m_active;
    std::unique_ptr<WallpaperSetter> m_setter;
    std::unique_ptr<ChangeScheduler> m_scheduler;
    std::vector<std::string> m_themes{"/t/a.ond", "/t/b.ond", "/t/c.ond"};

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("imgLists/WorkDir"))));
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("pictures"))));
        std::vector<std::string> pictures;
        for (int i = 0; i < kPictures; ++i) {
            Bitmap bitmap(WidthOf(i), 10 + i, "p");
            bitmap.Fill(static_cast<std::uint8_t>(40 * i), 0, 0);
            WriteBmp(bitmap, Picture(i));
            pictures.push_back(Picture(i));
        }
        WriteList(pictures);

        m_options = TOptions{};
        m_options.AppDir = AppDir();
        m_options.state = 1;
        m_options.ilDisplType = 1; // centred: a small picture keeps its size
        m_options.cIList = ListPath();
        m_options.cImg = Picture(1);
        m_desktop = RecordingDesktop{};
        m_active = RecordingActiveDesktop{};
        m_agent = std::make_unique<TRAgent>(m_screen);
        m_setter = std::make_unique<WallpaperSetter>(m_options, *m_agent, m_desktop);
        m_scheduler = std::make_unique<ChangeScheduler>(m_options, *m_setter, m_active, nullptr);
        m_scheduler->listRows = [this] { return std::vector<ImageList>{{"four.lst", "4", ListPath()}}; };
        m_scheduler->themePaths = [this] { return m_themes; };
        Dialogs::SetRecording(true);
    }

    void cleanup()
    {
        m_scheduler.reset();
        Dialogs::SetRecording(false);
    }

    void startupChangeInPictureMode_data()
    {
        QTest::addColumn<int>("ilChType");
        QTest::addColumn<int>("shown");
        QTest::newRow("keep the current picture") << 0 << 1;
        QTest::newRow("next picture at each start") << 1 << 2;
        QTest::newRow("next picture on the timer only") << 2 << 1;
    }

    void startupChangeInPictureMode()
    {
        QFETCH(int, ilChType);
        QFETCH(int, shown);
        m_options.ilChType = static_cast<std::uint8_t>(ilChType);
        m_options.cadvTheme = "/t/b.ond"; // picture mode wins by the mode
        m_scheduler->StartupChange();
        QCOMPARE(m_options.cImg, Picture(shown));
        QCOMPARE(WorkFileWidth(), WidthOf(shown));
        QCOMPARE(m_desktop.values, (DesktopWallpaper::Values{WorkFile(), "0"}));
        QCOMPARE(ThemeCalls(), std::vector<std::string>{"off"});
    }

    void startupChangeFollowsModeAndSwitch()
    {
        // Theme mode without a current theme is picture mode.
        m_options.state = 0;
        m_options.ilChType = 1;
        m_scheduler->StartupChange();
        QCOMPARE(m_options.cImg, Picture(2));
        QCOMPARE(ThemeCalls(), std::vector<std::string>{"off"});

        // Theme mode with one: the next theme is applied, the wallpaper left alone.
        m_options.cadvTheme = "/T/B.OND";
        m_options.advChType = 1;
        m_desktop.writes.clear();
        m_scheduler->StartupChange();
        QCOMPARE(m_options.cadvTheme, std::string("/t/c.ond"));
        QCOMPARE(ThemeCalls(), (std::vector<std::string>{"off", "apply /t/c.ond"}));
        QVERIFY(m_desktop.writes.empty());

        // Switched off: nothing at all.
        m_options.Enabled = false;
        m_options.state = 1;
        m_scheduler->StartupChange();
        QCOMPARE(m_options.cImg, Picture(2));
        QVERIFY(m_desktop.writes.empty());
        QCOMPARE(ThemeCalls().size(), std::size_t{2});
    }

    void firstStartWithoutAPictureLeavesTheUsersDesktop()
    {
        // A fresh system: picture mode, no current list, no current picture.
        m_options = TOptions{};
        m_options.AppDir = AppDir();
        m_options.state = 1;
        m_scheduler->listRows = [] { return std::vector<ImageList>{}; };
        m_scheduler->StartupChange();
        QVERIFY(m_options.cImg.empty());
        QVERIFY(m_desktop.writes.empty());
        QCOMPARE(m_desktop.values, (DesktopWallpaper::Values{"/home/someone/own.bmp", "0"}));
        QVERIFY(Dialogs::RecordedMessages().isEmpty());

        // Nor do the picture timer and switching on in picture mode, with no picture to show.
        m_options.ilChType = 2;
        m_scheduler->Timer4Timer();
        m_scheduler->tbbONOFFPM01Click();
        m_scheduler->tbbChStateClick(); // to themes: no theme either, so pictures again
        m_scheduler->tbbChStateClick();
        QVERIFY(m_desktop.writes.empty());
        QVERIFY(Dialogs::RecordedMessages().isEmpty());

        // The command that switches the program off still removes the picture, as before.
        m_scheduler->tbbONOFFPM2Click();
        QCOMPARE(m_desktop.writes, (std::vector<DesktopWallpaper::Values>{{"", "0"}}));
    }

    void pictureTimerActsOnlyWhenOnInPictureModeOnTheTimer_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("ilChType");
        QTest::addColumn<bool>("acts");
        QTest::newRow("on, pictures, timer") << true << 1 << 2 << true;
        QTest::newRow("off") << false << 1 << 2 << false;
        QTest::newRow("theme mode") << true << 0 << 2 << false;
        QTest::newRow("change at start") << true << 1 << 1 << false;
        QTest::newRow("never change") << true << 1 << 0 << false;
    }

    void pictureTimerActsOnlyWhenOnInPictureModeOnTheTimer()
    {
        QFETCH(bool, enabled);
        QFETCH(int, state);
        QFETCH(int, ilChType);
        QFETCH(bool, acts);
        m_options.Enabled = enabled;
        m_options.state = static_cast<std::uint8_t>(state);
        m_options.ilChType = static_cast<std::uint8_t>(ilChType);
        m_options.advChType = 2; // the theme timer's setting must not matter here
        m_scheduler->Timer4Timer();
        QCOMPARE(m_options.cImg, Picture(acts ? 2 : 1));
        QCOMPARE(WorkFileWidth(), acts ? WidthOf(2) : 0);
        QCOMPARE(m_desktop.writes.size(), std::size_t{acts ? 1u : 0u});
    }

    void pictureTimerGoesRoundTheListInOrder()
    {
        m_options.ilChType = 2;
        m_options.cImg = Picture(3);
        m_scheduler->Timer4Timer();
        QCOMPARE(m_options.cImg, Picture(0));
        QCOMPARE(WorkFileWidth(), WidthOf(0));
        m_options.cImg.clear();
        m_scheduler->Timer4Timer();
        QCOMPARE(m_options.cImg, Picture(1));
    }

    void randomOrderStaysInsideTheList()
    {
        m_options.ilChType = 2;
        m_options.ilRandOrOrder = 1;
        std::vector<bool> seen(kPictures, false);
        for (int tick = 0; tick < 60; ++tick) {
            m_scheduler->Timer4Timer();
            const int width = WorkFileWidth();
            QVERIFY(width >= WidthOf(0) && width < WidthOf(kPictures));
            QCOMPARE(m_options.cImg, Picture(width - WidthOf(0)));
            seen[static_cast<std::size_t>(width - WidthOf(0))] = true;
        }
        QVERIFY(std::all_of(seen.begin(), seen.end(), [](bool s) { return s; }));
    }

    void emptyListOrNoListsKeepTheCurrentPicture()
    {
        m_options.ilChType = 2;
        WriteList({});
        m_scheduler->Timer4Timer();
        QCOMPARE(m_options.cImg, Picture(1));
        QCOMPARE(WorkFileWidth(), WidthOf(1));
        QVERIFY(Dialogs::RecordedMessages().isEmpty());

        m_scheduler->listRows = [] { return std::vector<ImageList>{}; };
        m_scheduler->NextPicture();
        QCOMPARE(m_options.cImg, Picture(1));
    }

    void themeTimerMovesToTheNextTheme()
    {
        m_options.state = 0;
        m_options.advChType = 2;
        m_options.cadvTheme = "/t/c.ond";
        m_scheduler->Timer4Timer(); // the picture timer does nothing in theme mode
        m_scheduler->Timer3Timer();
        QCOMPARE(m_options.cadvTheme, std::string("/t/a.ond"));
        QCOMPARE(ThemeCalls(), std::vector<std::string>{"apply /t/a.ond"});
        QVERIFY(m_desktop.writes.empty());

        // Without themes the current one is applied again.
        m_themes.clear();
        m_scheduler->Timer3Timer();
        QCOMPARE(m_options.cadvTheme, std::string("/t/a.ond"));
        m_options.Enabled = false;
        m_scheduler->Timer3Timer();
        QCOMPARE(ThemeCalls(), (std::vector<std::string>{"apply /t/a.ond", "apply /t/a.ond"}));
    }

    // A theme chosen by hand that cannot be shown leaves the current theme, the mode and the
    // switch as they were, and says so; the timer's changes never count as a request by hand.
    void aRefusedThemeDoesNotBecomeCurrent()
    {
        m_options.state = 1;
        m_options.Enabled = false;
        m_options.advChType = 2;
        m_active.refused = "/t/bomb.ond";
        m_options.cadvTheme = "/t/bomb.ond";
        m_scheduler->ApplyThemeByHand("/t/a.ond");
        QCOMPARE(m_options.cadvTheme, std::string("/t/a.ond"));
        QCOMPARE(m_options.state, std::uint8_t{1});
        QVERIFY(!m_options.Enabled);
        QCOMPARE(Dialogs::RecordedMessages().size(), 1);
        QVERIFY(Dialogs::RecordedMessages().first().contains(QStringLiteral("bomb.ond")));
        QVERIFY(Dialogs::RecordedMessages().first().contains(QStringLiteral("The theme was not applied")));
        QVERIFY(ThemeCalls().empty());

        m_options.cadvTheme = "/t/b.ond";
        m_scheduler->ApplyThemeByHand("/t/a.ond");
        QCOMPARE(m_options.cadvTheme, std::string("/t/b.ond"));
        QCOMPARE(m_options.state, std::uint8_t{0});
        QVERIFY(m_options.Enabled);
        QCOMPARE(ThemeCalls(), std::vector<std::string>{"apply /t/b.ond"});
        QCOMPARE(m_active.asked, 2);
        m_scheduler->Timer3Timer();
        m_scheduler->StartupChange();
        QCOMPARE(m_active.asked, 2);
        m_scheduler->tbbOnOffClick();
        m_scheduler->tbbOnOffClick();
        QCOMPARE(m_active.asked, 4);
    }

    // The same through the command line's real way in: the package is listed, the answer says it
    // was not applied, and the current theme, the mode and the switch stay.
    void aRefusedPackageFromTheCommandLineIsListedButNotApplied()
    {
        test::ThemeAppDir app;
        test::FixedProbes probes;
        const ThemeStore store(app.env, probes);
        const std::string bomb = app.dir.path().string() + "/Downloads/bomb.ond";
        test::WriteRawZip(bomb, {{"theme.cfg", test::CurrentCfg("Bomb")}, {"index.htm", "<html>"}});
        m_active.refused = app.Store("bomb.ond");
        m_options.state = 1;
        m_options.Enabled = false;
        m_options.cadvTheme = app.Store("before.ond");
        NoShell shell;
        TfMain window(m_options, *m_agent, shell, *m_setter, m_active, &store);
        std::string answer;
        window.RemoteRequest("ONDRIX/1 apply-theme " + bomb, [&](const std::string& text) { answer = text; });
        QVERIFY2(answer.starts_with("ONDRIX/1 error ") && answer.find("was not applied") != std::string::npos,
                 answer.c_str());
        QCOMPARE(m_options.cadvTheme, app.Store("before.ond"));
        QCOMPARE(m_options.state, std::uint8_t{1});
        QVERIFY(!m_options.Enabled);
        QCOMPARE(ThemePackagePaths(*window.ThemesPageWidget()->lvAdvanc()),
                 std::vector<std::string>{app.Store("bomb.ond")});
        QVERIFY(Dialogs::RecordedMessages().isEmpty()); // answered, not shown

        // Where themes cannot be shown, --next says so and changes nothing.
        m_options.state = 0;
        m_options.Enabled = true;
        m_active.canShow = false;
        window.RemoteRequest("ONDRIX/1 next", [&](const std::string& text) { answer = text; });
        QVERIFY2(answer.find("a component they need is missing") != std::string::npos, answer.c_str());
        QCOMPARE(m_options.cadvTheme, app.Store("before.ond"));
    }

    void unreadablePictureIsReportedAndStaysCurrent()
    {
        const std::string bad = AppDir() + "/pictures/bad.bmp";
        std::ofstream(bad, std::ios::binary) << "not a picture";
        WriteList({Picture(1), bad, Picture(3)});
        m_options.ilChType = 2;
        m_scheduler->Timer4Timer();
        QCOMPARE(m_options.cImg, bad);
        QCOMPARE(Dialogs::RecordedMessages().size(), 1);
        QVERIFY(Dialogs::RecordedMessages().front().contains(QStringLiteral("bad.bmp")));
        QVERIFY(m_desktop.writes.empty());
        QCOMPARE(WorkFileWidth(), 0);

        // The next tick moves on from the bad picture.
        m_scheduler->Timer4Timer();
        QCOMPARE(m_options.cImg, Picture(3));
        QCOMPARE(WorkFileWidth(), WidthOf(3));
    }

    void aChangeRequestedDuringAChangeIsDropped()
    {
        m_options.ilChType = 2;
        int nested = 0;
        m_desktop.onWrite = [&] {
            ++nested;
            QVERIFY(m_scheduler->Busy());
            m_scheduler->Timer4Timer();
            m_scheduler->tbbOnOffClick();
            m_scheduler->tbbChStateClick();
            m_scheduler->StartupChange();
        };
        m_scheduler->Timer4Timer();
        QCOMPARE(nested, 1);
        QCOMPARE(m_options.cImg, Picture(2));
        QVERIFY(m_options.Enabled);
        QCOMPARE(m_options.state, std::uint8_t{1});
        QVERIFY(!m_scheduler->Busy());

        // A failed change does not leave the scheduler busy either.
        m_desktop.onWrite = [] { throw PlatformError("the desktop did not take the picture"); };
        m_scheduler->Timer4Timer();
        QCOMPARE(Dialogs::RecordedMessages(),
                 QStringList{QStringLiteral("the desktop did not take the picture")});
        m_desktop.onWrite = nullptr;
        m_scheduler->Timer4Timer();
        QCOMPARE(m_options.cImg, Picture(0));
        QCOMPARE(m_desktop.values, (DesktopWallpaper::Values{WorkFile(), "0"}));
    }

    void switchingOffClearsAndSwitchingOnShowsTheSamePicture()
    {
        m_options.ilChType = 2;
        m_scheduler->tbbOnOffClick();
        QVERIFY(!m_options.Enabled);
        QCOMPARE(m_desktop.values, (DesktopWallpaper::Values{"", "0"}));
        QCOMPARE(ThemeCalls(), std::vector<std::string>{"off"});
        m_scheduler->Timer4Timer();
        QCOMPARE(m_desktop.writes.size(), std::size_t{1});

        m_scheduler->tbbOnOffClick();
        QVERIFY(m_options.Enabled);
        QCOMPARE(m_options.cImg, Picture(1));
        QCOMPARE(WorkFileWidth(), WidthOf(1));
        QCOMPARE(m_desktop.values, (DesktopWallpaper::Values{WorkFile(), "0"}));

        // In theme mode with a current theme, switching on applies it.
        m_scheduler->tbbONOFFPM2Click();
        QCOMPARE(m_desktop.values, (DesktopWallpaper::Values{"", "0"}));
        m_options.state = 0;
        m_options.cadvTheme = "/t/b.ond";
        m_active.calls.clear();
        m_scheduler->tbbOnOffClick();
        QCOMPARE(ThemeCalls(), std::vector<std::string>{"apply /t/b.ond"});
        QCOMPARE(m_desktop.values, (DesktopWallpaper::Values{"", "0"}));
    }

    void windowRunsTheStartupChangeAndShowsTheCommands()
    {
        m_options.ilChType = 1;
        m_options.ilMin = 1;
        m_options.ilSec = 30;
        m_options.cadvTheme = "/t/b.ond";
        NoShell shell;
        TfMain window(m_options, *m_agent, shell, *m_setter, m_active);
        window.SetNotificationAreaAvailable(true);
        // The start-up change has run: the list's lines are read by the window's own view.
        QCOMPARE(m_options.cImg, Picture(2));
        QCOMPARE(WorkFileWidth(), WidthOf(2));
        auto* timer4 = window.findChild<QTimer*>(QStringLiteral("Timer4"));
        QVERIFY(timer4->isActive());
        QCOMPARE(timer4->interval(), 90000);

        auto* tbbOnOff = window.findChild<QToolButton*>(QStringLiteral("tbbOnOff"));
        auto* tbbChState = window.findChild<QToolButton*>(QStringLiteral("tbbChState"));
        auto* toolBar = window.findChild<MainToolBar*>(QStringLiteral("MainToolBar"));
        QCOMPARE(tbbChState->property("glyph").toString(), QStringLiteral("IDB_BITMAP3"));

        // On in theme mode: the mode glyph follows and the current theme is applied.
        m_active.calls.clear();
        toolBar->ThemeModeItem()->trigger();
        QCOMPARE(m_options.state, std::uint8_t{0});
        QCOMPARE(tbbChState->property("glyph").toString(), QStringLiteral("IDB_BITMAP2"));
        QCOMPARE(ThemeCalls(), std::vector<std::string>{"apply /t/b.ond"});

        // The mode button back to pictures shows the current picture and the lists page.
        window.SetActivePage(TfMain::PageOptions);
        m_desktop.writes.clear();
        tbbChState->click();
        QCOMPARE(m_options.state, std::uint8_t{1});
        QCOMPARE(window.ActivePageIndex(), int(TfMain::PageImageLists));
        QCOMPARE(m_desktop.writes.size(), std::size_t{1});
        QCOMPARE(m_options.cImg, Picture(2));

        // Off from the menu: glyph, tray picture and an empty desktop at once.
        toolBar->tbbONOFFPM2()->trigger();
        QCOMPARE(tbbOnOff->property("glyph").toString(), QStringLiteral("IDB_BITMAP20"));
        QCOMPARE(window.TrayPictureName(), QStringLiteral("tray0"));
        QCOMPARE(m_desktop.values, (DesktopWallpaper::Values{"", "0"}));

        // On in picture mode from the menu sets the same picture again, glyph on.
        toolBar->PictureModeItem()->trigger();
        QVERIFY(m_options.Enabled);
        QCOMPARE(tbbOnOff->property("glyph").toString(), QStringLiteral("IDB_BITMAP19"));
        QCOMPARE(window.TrayPictureName(), QStringLiteral("tray1"));
        QCOMPARE(m_options.cImg, Picture(2));
        QCOMPARE(m_desktop.values, (DesktopWallpaper::Values{WorkFile(), "0"}));

        // Switched off, the mode button changes the mode and nothing else.
        toolBar->tbbONOFFPM2()->trigger();
        m_desktop.writes.clear();
        tbbChState->click();
        QCOMPARE(m_options.state, std::uint8_t{0});
        QVERIFY(m_desktop.writes.empty());
    }

    void startupErrorIsReportedAndTheWindowComesUp()
    {
        m_options.cImg = AppDir() + "/pictures/missing.bmp";
        NoShell shell;
        TfMain window(m_options, *m_agent, shell, *m_setter, m_active);
        QCOMPARE(Dialogs::RecordedMessages().size(), 1);
        QVERIFY(Dialogs::RecordedMessages().front().contains(QStringLiteral("missing.bmp")));
        QVERIFY(window.findChild<QTimer*>(QStringLiteral("Timer4"))->isActive());
        QVERIFY(!window.Scheduler()->Busy());
    }

    // A command from the command line that comes while a change runs an event loop of its
    // own (as its error box does) waits, and is carried out once the change is done, in the
    // order the commands came.
    void commandDuringAChangeWaitsForIt()
    {
        m_options.ilChType = 2;
        m_options.ilMin = 0;
        m_options.ilSec = 1;
        NoShell shell;
        TfMain window(m_options, *m_agent, shell, *m_setter, m_active);
        QCOMPARE(m_options.cImg, Picture(1));
        SingleInstance instance(m_dir->path() + QStringLiteral("/settings.reg"));
        QVERIFY(instance.BecomePrimary());
        instance.SetRequestHandler([&window](const QByteArray& line, SingleInstance::Reply reply) {
            window.RemoteRequest(line.toStdString(), [reply](const std::string& answer) {
                reply(QByteArray::fromStdString(answer));
            });
        });

        struct Client
        {
            QLocalSocket socket;
            QByteArray answer;
            bool closed = false;
        };
        std::vector<std::unique_ptr<Client>> clients;
        const auto send = [&](const QByteArray& request) {
            auto client = std::make_unique<Client>();
            Client* raw = client.get();
            QObject::connect(&raw->socket, &QLocalSocket::connected,
                             [raw, request] { raw->socket.write(request); });
            QObject::connect(&raw->socket, &QLocalSocket::readyRead,
                             [raw] { raw->answer += raw->socket.readAll(); });
            QObject::connect(&raw->socket, &QLocalSocket::disconnected, [raw] { raw->closed = true; });
            raw->socket.connectToServer(instance.ServerName());
            clients.push_back(std::move(client));
        };
        std::vector<int> shown;
        int waitingInsideTheChange = -1;
        m_desktop.onWrite = [&] {
            shown.push_back(WorkFileWidth());
            if (shown.size() != 1)
                return;
            m_options.ilChType = 0; // no further ticks act
            send("ONDRIX/1 next\n");
            send("ONDRIX/1 status\n");
            QDeadlineTimer deadline(5000);
            while (window.WaitingRequests() < 2 && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            waitingInsideTheChange = window.WaitingRequests();
        };

        QTRY_VERIFY_WITH_TIMEOUT(clients.size() == 2 && clients[0]->closed && clients[1]->closed, 15000);
        m_desktop.onWrite = nullptr;
        QCOMPARE(waitingInsideTheChange, 2);
        // The timer's change, then the command's: the next picture after it.
        QCOMPARE(shown, (std::vector<int>{WidthOf(2), WidthOf(3)}));
        QCOMPARE(m_options.cImg, Picture(3));
        QCOMPARE(clients[0]->answer, QByteArray("ONDRIX/1 ok\n"));
        QCOMPARE(clients[1]->answer.toStdString(),
                 "ONDRIX/1 ok\nmode: pictures\nchanging: on\nlist: " + ListPath() +
                     "\npicture: " + Picture(3) + "\ntheme: \n");
        QCOMPARE(window.WaitingRequests(), 0);
    }
};

QTEST_MAIN(ChangeSchedulerTest)
#include "ChangeSchedulerTest.moc"
