#pragma once

#include "layer/LayerProtocol.h"
#include "layer/LayerRoute.h"
#include "layer/ThemeLayerRules.h"
#include "platform/ActiveDesktop.h"
#include "platform/ScreenInfo.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

class QLocalSocket;

namespace ondrix {

class DesktopWallpaper;

// The theme layer as Ondrix sees it: the client of the layer program, ondrix-layer, which
// shows the pages (LayerProtocol.h). The program is started with the first page shown and
// ended when the layer is switched off and when the client goes (at exit). It ends by itself
// when Ondrix goes, however Ondrix goes.
//
// A program that ends or stops answering is seen within a second and started again with the
// page it showed, at most kMaxRestarts times in kRestartWindow; after that the pages are shown
// as still pictures for the rest of the run.
class LayerClient final : public QObject, public ActiveDesktop
{
    Q_OBJECT
public:
    static constexpr int kMaxRestarts = 3;
    static constexpr int kRestartWindowMs = 5 * 60 * 1000;

    struct Settings
    {
        std::string program; // the layer program's full path
        LayerRoute route = LayerRoute::X11Window;
        std::string workRoot;     // AppDir/advThemes_/WorkDir
        std::string playerRoot;   // AppDir/ruffle
        std::string stillPicture; // AppDir/imgLists/WorkDir/wallpaper.bmp
        int pingMs = 250;         // how often a running program is asked whether it answers
        int answerMs = 1000;      // how long it may take to answer
        // How long the program may take to answer while it makes a page's web view: the web
        // engine's first start holds its thread for a while.
        int startMs = 15000; // how long a new program may take to say it is ready, or to take a page
    };

    // desktopSize is asked at each start of the program; pictures sets the still pictures the
    // program draws (the desktop's picture backend).
    LayerClient(Settings settings, std::function<DesktopSize()> desktopSize, DesktopWallpaper* pictures,
                QObject* parent = nullptr);
    ~LayerClient() override;

    void ShowStartPage(const std::string& startPage) override;
    void SwitchOff() override;

    void SetDesktopSize(DesktopSize size);
    void SetSound(bool on);
    void SetPauseWhenCovered(bool on);
    void SetPauseOnBattery(bool on);
    void SetOverIcons(bool on);

    LayerRoute Route() const { return m_settings.route; }
    const std::string& Program() const { return m_settings.program; }
    // The program's process id while one runs, else 0 (tests).
    qint64 ProgramId() const;

signals:
    // As the program says: the layer in use (at the first page and when it changes), a failure,
    // the first frame, a still picture set.
    void layerInUse(ondrix::ThemeLayerKind kind);
    void failed(const QString& message);
    void movieStarted();
    void stillPictureSet(const QString& path);
    void pausedChanged(bool paused);
    // The program ended or stopped answering and was started again (fallback false), or it did
    // so too often and the still picture stands in from now on (fallback true; layerInUse does
    // not say it again).
    void restarted(bool fallback);

private:
    void Start();
    void Stop();
    void Send(LayerVerb verb, const std::string& argument = {});
    void Read();
    void Handle(const LayerMessage& message);
    void Lost(const QString& why);
    void Ping();
    std::uint32_t NextId();

    Settings m_settings;
    std::function<DesktopSize()> m_desktopSize;
    DesktopWallpaper* m_pictures;
    QPointer<QProcess> m_process;
    QPointer<QLocalSocket> m_socket;
    LayerLineReader m_reader;
    QTimer m_ping;
    QElapsedTimer m_waiting; // since the last request that wants an answer was sent
    bool m_ready = false;
    bool m_awaitingAnswer = false;
    bool m_showPending = false; // a page was sent and is not taken yet
    std::uint32_t m_nextId = 1;
    std::uint32_t m_pingId = 0;
    std::uint32_t m_showId = 0;
    std::string m_page;                                   // the page shown, to show again after a restart
    ThemeLayerKind m_kind = ThemeLayerKind::SettingsFile; // the layer last told of; none yet
    LayerOptions m_options;
    DesktopSize m_size;
    std::deque<qint64> m_restarts; // when the program was started again, in ms of m_clock
    QElapsedTimer m_clock;
};

} // namespace ondrix
