#pragma once

#include "ThemeLayerRules.h"
#include "platform/ActiveDesktop.h"
#include "platform/ScreenInfo.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ondrix {

// Whether the live movie is paused: covered by a full-screen or maximised window while the user
// wants that, or running on battery while the user wants that.
inline bool MoviePaused(bool covered, bool pauseCovered, bool onBattery, bool pauseOnBattery)
{
    return (covered && pauseCovered) || (onBattery && pauseOnBattery);
}

class DesktopWallpaper;
class ThemePage;
class ThemeProfile;
class WaylandLayerShell;

// The theme layer of a Linux desktop. A live layer shows the start page in a web view filling
// the virtual desktop, in a window below every other one (desktop type on X11; drawn offscreen
// on the offscreen platform). The still-picture layer renders the page offscreen once its movie
// has played a moment, writes it as the picture wallpaper's work file and sets it through the
// desktop's picture backend. The web view exists only while a theme is shown: picture mode
// costs nothing.
class WebEngineActiveDesktop final : public QObject, public ActiveDesktop
{
    Q_OBJECT
public:
    struct Settings
    {
        ThemeLayerKind kind = ThemeLayerKind::LiveWindow;
        std::filesystem::path workRoot;     // AppDir/advThemes_/WorkDir: the unpacked themes
        std::filesystem::path playerRoot;   // AppDir/ruffle
        std::filesystem::path stillPicture; // AppDir/imgLists/WorkDir/wallpaper.bmp
        bool sound = false;
        int movieMomentMs = 1500; // how long a movie plays before the still picture is taken
        int movieWaitMs = 15000;  // how long a movie may take to start before it is taken anyway
        int movieLookMs = 250;    // how often the page is looked at until its movie has started
        // The Wayland route: the live view is drawn offscreen and shown on the compositor's
        // background layer, on every output; null elsewhere.
        WaylandLayerShell* layerShell = nullptr;
    };

    // desktopSize is asked at each show and whenever the screens change; pictures (the
    // desktop's picture backend) is used by the still-picture layer only and may be null else.
    WebEngineActiveDesktop(Settings settings, std::function<DesktopSize()> desktopSize,
                           DesktopWallpaper* pictures, QObject* parent = nullptr);
    ~WebEngineActiveDesktop() override;

    void ShowStartPage(const std::string& startPage) override;
    void SwitchOff() override;

    // Fits the layer to a new desktop size (the resolution agent's change).
    void SetDesktopSize(DesktopSize size);

    // The layer the last page went to (an icon window of the desktop turns a live layer into
    // the still picture for as long as it is there).
    ThemeLayerKind Kind() const { return m_shown; }
    // Sound of the pages shown from now on and of the one shown now (a live page made without
    // sound is shown anew).
    void SetSound(bool on);
    // Whether the live movie pauses while a full-screen or maximised window covers the desktop
    // (on by default; looked at once a second).
    void SetPauseWhenCovered(bool on);
    // Whether the live movie pauses while the machine runs on battery (off by default). The
    // power source is asked of UPower on the system bus and followed from then on; without
    // UPower the machine counts as on mains.
    void SetPauseOnBattery(bool on);
    // Whether a live layer plays over a desktop's own icon window (above it, below every other
    // window, and raised again when the desktop maps its window anew) rather than turning into
    // the still picture under the icons (off by default). Counts from the next page shown.
    void SetOverIcons(bool on);
    bool OnBattery() const { return m_onBattery; }
    bool Paused() const { return m_paused; }

    // For tests and benchmarks: the web view while one exists, the profile once made.
    QWebEngineView* View() const { return m_view; }
    ThemeProfile* Profile() const { return m_profile; }
    ThemePage* Page() const;

signals:
    // At the first theme shown, and again whenever it changes: which of the two layers is in use.
    void layerInUse(ondrix::ThemeLayerKind kind);
    // The shown movie's player has its movie loaded (or the page has no movie and has loaded).
    void movieStarted();
    void stillPictureSet(const QString& path);
    // The live movie was paused (the desktop is covered) or goes on again.
    void pausedChanged(bool paused);
    // A failure after ShowStartPage returned (the still picture could not be made or set).
    void failed(const QString& message);

private:
    void EnsureProfile();
    void MakeView(bool onScreen);
    void DropView();
    void FitToDesktop();
    void ApplyHints();
    void PlaceInStack();
    ThemePage* MakePage(bool sound, QWebEngineView* view);
    void WatchMovie();
    void ProbeMovie();
    void TakeStillPicture();
    void WatchCover();
    void SetPaused(bool paused);
    void UpdatePause();
    bool WatchesCover() const;
    void WatchPower();
    void SetOnBattery(bool onBattery);
    Q_SLOT void PowerPropertiesChanged(const QString& interfaceName, const QVariantMap& changed,
                                       const QStringList& invalidated);
    bool eventFilter(QObject* watched, QEvent* event) override;

    Settings m_settings;
    std::function<DesktopSize()> m_desktopSize;
    DesktopWallpaper* m_pictures;
    ThemeProfile* m_profile = nullptr;
    QPointer<QWebEngineView> m_view;
    std::vector<QPointer<QWebEngineView>> m_dropped; // on their way out, before the profile
    QTimer m_movieWatch;
    QTimer m_moment;
    QTimer m_coverWatch;
    QTimer m_stackWatch; // keeps a layer over the icons above the icon window
    bool m_pauseWhenCovered = true;
    bool m_pauseOnBattery = false;
    bool m_overIcons = false;
    bool m_covered = false;
    bool m_onBattery = false;
    bool m_watchingPower = false;
    bool m_paused = false;
    int m_waitedMs = 0;
    bool m_movieSeen = false;
    bool m_probing = false;                                // a look at the page is on its way: one at a time
    int m_probeSentMs = 0;                                 // m_waitedMs when it was sent
    ThemeLayerKind m_shown = ThemeLayerKind::SettingsFile; // none shown yet
    DesktopSize m_size;
    std::string m_startPage;   // of the theme shown now
    unsigned m_generation = 0; // of the page shown: answers about an older page are dropped
};

} // namespace ondrix
