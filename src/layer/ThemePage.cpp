#include "ThemePage.h"

#include "ThemeLayerRules.h"
#include "ThemeScheme.h"

#include <QAuthenticator>
#include <QFile>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

namespace ondrix {

namespace {

// Qt below 6.6 cannot allow fetch() for a custom scheme; the player loads its code and the
// movie with fetch, so there fetch of the theme scheme is done with XMLHttpRequest. Every
// other URL goes to the real fetch, which the request filter blocks.
constexpr const char* kFetchShim = R"JS(
(function () {
    if (window.__ondrixFetch) return;
    window.__ondrixFetch = true;
    var nativeFetch = window.fetch ? window.fetch.bind(window) : null;
    window.fetch = function (input, init) {
        var href = (typeof input === "string") ? input : (input && input.url) ? input.url : String(input);
        var url;
        try { url = new URL(href, document.baseURI); } catch (e) { return Promise.reject(new TypeError("Bad URL")); }
        if (url.protocol !== "ondrix-theme:")
            return nativeFetch ? nativeFetch(input, init) : Promise.reject(new TypeError("Failed to fetch"));
        return new Promise(function (resolve, reject) {
            var xhr = new XMLHttpRequest();
            xhr.open((init && init.method) || "GET", url.href);
            xhr.responseType = "arraybuffer";
            xhr.onload = function () {
                var status = xhr.status >= 200 && xhr.status <= 599 ? xhr.status : 200;
                resolve(new Response(xhr.response, { status: status, statusText: xhr.statusText,
                    headers: { "Content-Type": xhr.getResponseHeader("Content-Type") || "" } }));
            };
            xhr.onerror = function () { reject(new TypeError("Failed to fetch")); };
            xhr.send(null);
        });
    };
})();
)JS";

QString PlayerSource(const std::filesystem::path& playerRoot)
{
    QFile file(QString::fromStdString((playerRoot / "ruffle.js").string()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

QString ThemeProfile::PlayerPrelude()
{
    // No global quality: the page's own quality parameter rules. Networking of the movie is
    // kept to its page: no opening of URLs, no browser calls.
    const QString config =
        QStringLiteral("window.RufflePlayer = window.RufflePlayer || {};\n"
                       "window.RufflePlayer.config = {publicPath: \"%1://%2%3\", autoplay: \"on\", "
                       "splashScreen: false, contextMenu: \"off\", unmuteOverlay: \"hidden\", "
                       "openUrlMode: \"deny\", allowNetworking: \"internal\", allowScriptAccess: false, "
                       "showSwfDownload: false, warnOnUnsupportedContent: false, logLevel: \"error\"%4};\n")
            .arg(QLatin1String(kThemeScheme), QLatin1String(kThemeHost), QLatin1String(kPlayerPrefix),
                 // Drawn in software, the web view has no WebGL: the player's tries of its GPU
                 // renderers would only delay the first frame.
                 qEnvironmentVariable("QT_QUICK_BACKEND") == QLatin1String("software")
                     ? QLatin1String(", preferredRenderer: \"canvas\"")
                     : QLatin1String(""));
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    return config;
#else
    return config + QLatin1String(kFetchShim);
#endif
}

ThemeProfile::ThemeProfile(const std::filesystem::path& playerRoot, QObject* parent)
    : QWebEngineProfile(parent), m_handler(new ThemeSchemeHandler(playerRoot, this)),
      m_interceptor(new ThemeRequestInterceptor(this))
{
    setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    setSpellCheckEnabled(false);
    setUrlRequestInterceptor(m_interceptor);
    installUrlSchemeHandler(kThemeScheme, m_handler);
    connect(this, &QWebEngineProfile::downloadRequested, this, [this](QWebEngineDownloadRequest* download) {
        download->cancel();
        emit downloadCancelled(download->url());
    });

    QWebEngineSettings* s = settings();
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
    s->setAttribute(QWebEngineSettings::AllowGeolocationOnInsecureOrigins, false);
    s->setAttribute(QWebEngineSettings::AllowWindowActivationFromJavaScript, false);
    s->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    s->setAttribute(QWebEngineSettings::ShowScrollBars, false); // a desktop has none
    s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    // Sound follows the page's mute switch; without this a movie could never make any.
    s->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);

    QWebEngineScript player;
    player.setName(QStringLiteral("ondrix-player"));
    player.setInjectionPoint(QWebEngineScript::DocumentCreation);
    player.setWorldId(QWebEngineScript::MainWorld);
    player.setRunsOnSubFrames(true);
    player.setSourceCode(PlayerPrelude() + PlayerSource(playerRoot));
    scripts()->insert(player);
}

ThemePage::ThemePage(ThemeProfile* profile, bool sound, QObject* parent) : QWebEnginePage(profile, parent)
{
    setAudioMuted(!sound);
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, Feature feature) {
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
    connect(this, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    connect(this, &QWebEnginePage::authenticationRequired, this,
            [](const QUrl&, QAuthenticator* authenticator) { *authenticator = QAuthenticator(); });
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
            [](const QUrl&, QAuthenticator* authenticator, const QString&) {
                *authenticator = QAuthenticator();
            });
}

bool ThemePage::acceptNavigationRequest(const QUrl& url, NavigationType, bool)
{
    if (IsThemeUrl(url))
        return true;
    emit navigationBlocked(url);
    return false;
}

QWebEnginePage* ThemePage::createWindow(WebWindowType)
{
    emit windowBlocked();
    return nullptr;
}

void ThemePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                         const QString&)
{
    emit consoleMessage(message);
}

} // namespace ondrix
