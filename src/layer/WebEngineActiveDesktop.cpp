#include "WebEngineActiveDesktop.h"

#include "ThemePage.h"
#include "ThemeScheme.h"
#include "WaylandLayerShell.h"
#include "X11DesktopHints.h"
#include "core/Errors.h"
#include "platform/DesktopWallpaper.h"
#include "wallpaper/Bitmap.h"
#include "wallpaper/BmpCodec.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWebEngineView>
#include <QWindow>

#include <cstring>
#include <exception>
#include <utility>

namespace ondrix {

namespace {

constexpr const char* kUPowerService = "org.freedesktop.UPower";
constexpr const char* kUPowerPath = "/org/freedesktop/UPower";
constexpr const char* kPropertiesInterface = "org.freedesktop.DBus.Properties";
// A page without a movie counts as started once it has loaded and the player had this long to
// find a movie in it.
constexpr int kNoMovieGraceMs = 2000;
constexpr int kProbeGiveUpMs = 1000;

// 2: a player has its movie; 1: a player is loading; -1: the page has loaded and has no
// player; -2: the page is still loading.
constexpr const char* kMovieProbe =
    "(function () {"
    " var players = document.querySelectorAll('ruffle-object, ruffle-embed, ruffle-player');"
    " if (!players.length) return document.readyState === 'complete' ? -1 : -2;"
    " for (var i = 0; i < players.length; ++i) if (players[i].readyState === 2) return 2;"
    " return 1; })()";

} // namespace

WebEngineActiveDesktop::WebEngineActiveDesktop(Settings settings, std::function<DesktopSize()> desktopSize,
                                               DesktopWallpaper* pictures, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)), m_desktopSize(std::move(desktopSize)),
      m_pictures(pictures)
{
    m_movieWatch.setInterval(m_settings.movieLookMs);
    connect(&m_movieWatch, &QTimer::timeout, this, &WebEngineActiveDesktop::WatchMovie);
    m_moment.setSingleShot(true);
    connect(&m_moment, &QTimer::timeout, this, &WebEngineActiveDesktop::TakeStillPicture);
    m_coverWatch.setInterval(1000);
    connect(&m_coverWatch, &QTimer::timeout, this, &WebEngineActiveDesktop::WatchCover);
    m_stackWatch.setInterval(1000);
    connect(&m_stackWatch, &QTimer::timeout, this, [this] {
        if (m_view && m_view->windowHandle() != nullptr && !m_paused &&
            OtherDesktopWindowAbove(*m_view->windowHandle()))
            m_view->raise();
    });

    // Screens added, removed or resized: the live layer follows at once.
    const auto watch = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, &WebEngineActiveDesktop::FitToDesktop);
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* screen) {
        watch(screen);
        FitToDesktop();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &WebEngineActiveDesktop::FitToDesktop);
    if (m_settings.layerShell != nullptr)
        connect(m_settings.layerShell, &WaylandLayerShell::coveredChanged, this,
                &WebEngineActiveDesktop::WatchCover);
}

WebEngineActiveDesktop::~WebEngineActiveDesktop()
{
    // The pages go before their profile. The view is no longer watched: a view being destroyed
    // is no more a web view, and its last events must not reach this object.
    if (m_settings.layerShell != nullptr)
        m_settings.layerShell->Hide();
    if (m_view)
        m_view->removeEventFilter(this);
    delete m_view.data();
    for (const QPointer<QWebEngineView>& view : m_dropped)
        delete view.data();
    delete m_profile;
}

ThemePage* WebEngineActiveDesktop::Page() const
{
    return m_view ? qobject_cast<ThemePage*>(m_view->page()) : nullptr;
}

void WebEngineActiveDesktop::EnsureProfile()
{
    if (m_profile == nullptr)
        m_profile = new ThemeProfile(m_settings.playerRoot);
}

void WebEngineActiveDesktop::MakeView(bool onScreen)
{
    auto* view = new QWebEngineView();
    view->setPage(MakePage(m_settings.sound, view));
    view->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint |
                         Qt::WindowDoesNotAcceptFocus);
    view->setAttribute(Qt::WA_ShowWithoutActivating);
    view->setAttribute(Qt::WA_X11DoNotAcceptFocus);
    view->setAttribute(Qt::WA_QuitOnClose, false);
    view->setAttribute(Qt::WA_DontShowOnScreen, !onScreen);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    view->setFocusPolicy(Qt::NoFocus);
    view->setAcceptDrops(false);
    view->setWindowTitle(QStringLiteral("Ondrix desktop"));
    view->installEventFilter(this);
    m_view = view;
}

ThemePage* WebEngineActiveDesktop::MakePage(bool sound, QWebEngineView* view)
{
    auto* page = new ThemePage(m_profile, sound, view);
    // The page's word that its movie has loaded is checked at once rather than at the next look.
    connect(page, &ThemePage::movieLoaded, this, [this, page] {
        if (page == Page() && m_movieWatch.isActive())
            ProbeMovie();
    });
    return page;
}

void WebEngineActiveDesktop::DropView()
{
    m_movieWatch.stop();
    m_moment.stop();
    m_coverWatch.stop();
    m_stackWatch.stop();
    m_covered = false;
    if (std::exchange(m_paused, false))
        emit pausedChanged(false);
    ++m_generation;
    if (!m_view)
        return;
    m_view->removeEventFilter(this);
    if (m_settings.layerShell != nullptr)
        m_settings.layerShell->Hide();
    m_view->hide();
    // Later: this may run in an answer of the page itself.
    m_view->deleteLater();
    std::erase_if(m_dropped, [](const QPointer<QWebEngineView>& view) { return view.isNull(); });
    m_dropped.push_back(m_view);
    m_view = nullptr;
}

void WebEngineActiveDesktop::ShowStartPage(const std::string& startPage)
{
    m_startPage = startPage;
    const std::filesystem::path page(startPage);
    const std::filesystem::path root = ThemeRootOf(m_settings.workRoot, page);
    EnsureProfile();
    m_profile->Handler().SetThemeRoot(root);

    QUrl url;
    url.setScheme(QLatin1String(kThemeScheme));
    url.setHost(QLatin1String(kThemeHost));
    url.setPath(QString::fromStdString(ThemeRequestPath(root, page)), QUrl::DecodedMode);

    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    ThemeLayerKind kind = m_settings.kind;
    // A file manager's icon window would hide a live layer, or be hidden by it: its desktop
    // gets the still picture, under its icons.
    if (kind == ThemeLayerKind::LiveWindow && x11 && !m_overIcons &&
        OtherDesktopWindowPresent(m_view ? m_view->windowHandle() : nullptr))
        kind = ThemeLayerKind::StillPicture;
    if (kind != ThemeLayerKind::LiveWindow || m_shown != ThemeLayerKind::LiveWindow)
        DropView(); // a still picture starts from a fresh page each time
    if (!m_view)
        MakeView(kind == ThemeLayerKind::LiveWindow);
    if (kind == ThemeLayerKind::LiveWindow && x11) {
        try {
            m_view->winId(); // the native window, to be marked before it is mapped
            ApplyHints();
        } catch (const PlatformError&) {
            // No layer can be placed here: the still picture stands in from now on.
            m_settings.kind = kind = ThemeLayerKind::StillPicture;
            DropView();
            MakeView(false);
        }
    }
    ++m_generation;
    m_waitedMs = 0;
    m_movieSeen = false;
    m_probing = false;
    m_moment.stop();
    m_movieWatch.start();
    FitToDesktop();
    m_view->load(url);
    m_view->show();
    if (kind == ThemeLayerKind::LiveWindow && x11) {
        PlaceInStack();
        if (m_overIcons)
            m_stackWatch.start();
    }
    if (kind == ThemeLayerKind::LiveWindow && m_settings.layerShell != nullptr)
        m_settings.layerShell->Show(m_view, m_overIcons);
    if (kind == ThemeLayerKind::LiveWindow && ((WatchesCover() && m_pauseWhenCovered) || m_pauseOnBattery))
        m_coverWatch.start();
    if (std::exchange(m_shown, kind) != kind)
        emit layerInUse(kind);
}

void WebEngineActiveDesktop::SwitchOff()
{
    m_startPage.clear();
    DropView();
    if (m_profile != nullptr)
        m_profile->Handler().SetThemeRoot({});
}

void WebEngineActiveDesktop::SetDesktopSize(DesktopSize size)
{
    m_size = size;
    FitToDesktop();
}

void WebEngineActiveDesktop::SetSound(bool on)
{
    m_settings.sound = on;
    ThemePage* page = Page();
    if (page == nullptr)
        return;
    page->setAudioMuted(!on);
    // A page made without sound has no audio graph: the live theme is shown anew in a page with
    // one, in the same view (on the layer shell, on the same surfaces), paused as it was.
    if (on && page->Quiet() && m_shown == ThemeLayerKind::LiveWindow && !m_startPage.empty()) {
        const bool paused = std::exchange(m_paused, false);
        m_view->setPage(MakePage(true, m_view));
        page->deleteLater();
        ShowStartPage(m_startPage);
        if (paused)
            emit pausedChanged(false);
        UpdatePause();
    }
}

void WebEngineActiveDesktop::SetPauseWhenCovered(bool on)
{
    m_pauseWhenCovered = on;
    if (!on)
        m_covered = false;
    UpdatePause();
}

void WebEngineActiveDesktop::SetPauseOnBattery(bool on)
{
    m_pauseOnBattery = on;
    if (on)
        WatchPower();
    UpdatePause();
}

// Covering windows are known on X11 and where the Wayland compositor reports them.
bool WebEngineActiveDesktop::WatchesCover() const
{
    return QGuiApplication::platformName() == QLatin1String("xcb") || m_settings.layerShell != nullptr;
}

// Starts or stops the once-a-second look at the covering windows and applies what is known.
void WebEngineActiveDesktop::UpdatePause()
{
    const bool live = m_view && m_shown == ThemeLayerKind::LiveWindow;
    if (live && ((WatchesCover() && m_pauseWhenCovered) || m_pauseOnBattery)) {
        if (!m_coverWatch.isActive())
            m_coverWatch.start();
    } else {
        m_coverWatch.stop();
    }
    SetPaused(MoviePaused(m_covered, m_pauseWhenCovered, m_onBattery, m_pauseOnBattery));
}

void WebEngineActiveDesktop::WatchCover()
{
    if (!m_view || m_shown != ThemeLayerKind::LiveWindow)
        return;
    if (m_settings.layerShell != nullptr)
        m_covered = m_pauseWhenCovered && m_settings.layerShell->Covered();
    else
        m_covered = m_pauseWhenCovered && QGuiApplication::platformName() == QLatin1String("xcb") &&
                    DesktopCovered(ReadClientWindows(m_view->windowHandle()));
    SetPaused(MoviePaused(m_covered, m_pauseWhenCovered, m_onBattery, m_pauseOnBattery));
}

// Once: the current power source, asked without waiting, and its changes from then on. No
// system bus or no UPower leaves the machine on mains.
void WebEngineActiveDesktop::WatchPower()
{
    if (std::exchange(m_watchingPower, true))
        return;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    bus.connect(QString::fromLatin1(kUPowerService), QString::fromLatin1(kUPowerPath),
                QString::fromLatin1(kPropertiesInterface), QStringLiteral("PropertiesChanged"), this,
                SLOT(PowerPropertiesChanged(QString, QVariantMap, QStringList)));
    QDBusMessage get =
        QDBusMessage::createMethodCall(QString::fromLatin1(kUPowerService), QString::fromLatin1(kUPowerPath),
                                       QString::fromLatin1(kPropertiesInterface), QStringLiteral("Get"));
    get << QString::fromLatin1(kUPowerService) << QStringLiteral("OnBattery");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(get, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<QDBusVariant> reply = *call;
        // An error (no UPower) or an answer of another type keeps the machine on mains.
        if (!reply.isError()) {
            const QVariant value = reply.value().variant();
            if (value.typeId() == QMetaType::Bool)
                SetOnBattery(value.toBool());
        }
        call->deleteLater();
    });
}

void WebEngineActiveDesktop::PowerPropertiesChanged(const QString& interfaceName, const QVariantMap& changed,
                                                    const QStringList& /*invalidated*/)
{
    if (interfaceName != QLatin1String(kUPowerService))
        return;
    const auto found = changed.constFind(QStringLiteral("OnBattery"));
    if (found != changed.constEnd() && found->typeId() == QMetaType::Bool)
        SetOnBattery(found->toBool());
}

void WebEngineActiveDesktop::SetOverIcons(bool on)
{
    m_overIcons = on;
}

// Below every other window; over the icons, above the desktop's own window too (the window
// manager keeps both in the desktop's layer, below the normal windows).
void WebEngineActiveDesktop::PlaceInStack()
{
    if (m_overIcons)
        m_view->raise();
    else
        m_view->lower();
}

void WebEngineActiveDesktop::SetOnBattery(bool onBattery)
{
    m_onBattery = onBattery;
    UpdatePause();
}

void WebEngineActiveDesktop::SetPaused(bool paused)
{
    ThemePage* page = Page();
    if (page == nullptr || paused == m_paused)
        return;
    m_paused = paused;
    if (paused) {
        // Only a page out of sight can be frozen; the desktop is out of sight anyway.
        m_view->hide();
        page->setLifecycleState(QWebEnginePage::LifecycleState::Frozen);
    } else {
        page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
        try {
            if (QGuiApplication::platformName() == QLatin1String("xcb"))
                ApplyHints(); // the window manager dropped the states when the window was unmapped
        } catch (const PlatformError& error) {
            emit failed(QString::fromUtf8(error.what()));
        }
        m_view->show();
        PlaceInStack();
    }
    emit pausedChanged(paused);
}

void WebEngineActiveDesktop::FitToDesktop()
{
    if (m_desktopSize)
        m_size = m_desktopSize();
    if (!m_view || m_size.width <= 0 || m_size.height <= 0)
        return;
    QPoint origin;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        origin = screen->virtualGeometry().topLeft();
    // The size is in device pixels; the window's geometry is in Qt's logical ones.
    const qreal ratio = m_view->devicePixelRatioF() > 0 ? m_view->devicePixelRatioF() : 1.0;
    m_view->setGeometry(QRect(origin, QSize(qRound(m_size.width / ratio), qRound(m_size.height / ratio))));
}

void WebEngineActiveDesktop::ApplyHints()
{
    if (m_view && m_view->windowHandle() != nullptr)
        ApplyDesktopWindowHints(*m_view->windowHandle());
}

bool WebEngineActiveDesktop::eventFilter(QObject* watched, QEvent* event)
{
    // The web view makes a new native window now and then; each one is marked again.
    if (watched == m_view && event->type() == QEvent::WinIdChange && m_shown == ThemeLayerKind::LiveWindow &&
        QGuiApplication::platformName() == QLatin1String("xcb")) {
        try {
            ApplyHints();
        } catch (const PlatformError& error) {
            emit failed(QString::fromUtf8(error.what()));
        }
    }
    return QObject::eventFilter(watched, event);
}

void WebEngineActiveDesktop::WatchMovie()
{
    ThemePage* page = Page();
    if (page == nullptr) {
        m_movieWatch.stop();
        return;
    }
    m_waitedMs += m_settings.movieLookMs;
    // A look unanswered for a second (its answer lost, or the page busy) is given up, so that
    // the page is looked at again, no more than once a second while it stays busy.
    if (m_probing && m_waitedMs - m_probeSentMs >= kProbeGiveUpMs)
        m_probing = false;
    ProbeMovie();
}

void WebEngineActiveDesktop::ProbeMovie()
{
    // A page that keeps its scripts busy answers late or never: looks do not pile up behind it
    // (its word that a movie has loaded may come often).
    ThemePage* page = Page();
    if (page == nullptr || std::exchange(m_probing, true))
        return;
    m_probeSentMs = m_waitedMs;
    const unsigned generation = m_generation;
    QPointer<WebEngineActiveDesktop> self(this);
    page->runJavaScript(QLatin1String(kMovieProbe), [self, generation](const QVariant& answer) {
        if (!self)
            return;
        if (generation == self->m_generation)
            self->m_probing = false;
        if (generation != self->m_generation || self->m_movieSeen)
            return;
        const int state = answer.isValid() ? answer.toInt() : -2;
        const bool started = state == 2 || (state == -1 && self->m_waitedMs >= kNoMovieGraceMs) ||
                             self->m_waitedMs >= self->m_settings.movieWaitMs;
        if (!started)
            return;
        self->m_movieSeen = true;
        self->m_movieWatch.stop();
        emit self->movieStarted();
        if (self->m_shown == ThemeLayerKind::StillPicture)
            self->m_moment.start(self->m_settings.movieMomentMs);
    });
}

void WebEngineActiveDesktop::TakeStillPicture()
{
    if (!m_view)
        return;
    const std::string path = m_settings.stillPicture.string();
    try {
        const QImage image = m_view->grab().toImage().convertToFormat(QImage::Format_RGB888);
        Bitmap bitmap(image.width(), image.height(), path);
        for (int y = 0; y < image.height(); ++y) {
            const uchar* from = image.constScanLine(y);
            std::uint8_t* to = bitmap.Row(y);
            for (int x = 0; x < image.width(); ++x) {
                to[3 * x] = from[3 * x + 2];
                to[3 * x + 1] = from[3 * x + 1];
                to[3 * x + 2] = from[3 * x];
            }
        }
        DropView(); // the web view's cost ends with the picture
        WriteBmp(bitmap, path);
        if (m_pictures == nullptr)
            throw PlatformError("The desktop has no picture backend for the theme's still picture.");
        m_pictures->Write({path, "0"});
        emit stillPictureSet(QString::fromStdString(path));
    } catch (const std::exception& error) {
        emit failed(QString::fromUtf8(error.what()));
    }
}

} // namespace ondrix
