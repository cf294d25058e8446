#include "ThemePage.h"

#include "ThemeLayerRules.h"
#include "ThemeScheme.h"

#include <QAuthenticator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

namespace ondrix {

namespace {

// What the page's prelude writes to the console when one of its players has its movie.
constexpr const char* kMovieLoadedMessage = "ondrix: a movie has loaded";

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
            // A blob comes over in one piece and streams into the WebAssembly compiler; an
            // array buffer is copied in chunks first, three times slower for the player's code.
            xhr.responseType = "blob";
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

// What a desktop's page needs no more of than its movie does. Gamepads: the player asks for
// them at every frame, which keeps the browser polling devices a desktop has none of. Animation
// frames: the player draws at each one, 60 a second, whatever its movie's rate; once every movie
// of the page has told its rate, frames come at the fastest of them.
constexpr const char* kPaceScript = R"JS(
(function () {
    if (window.__ondrixPace) return;
    window.__ondrixPace = true;
    try {
        Object.defineProperty(Navigator.prototype, "getGamepads",
            { value: function () { return []; }, configurable: true, writable: true });
    } catch (e) {}
    var request = window.requestAnimationFrame.bind(window);
    var cancel = window.cancelAnimationFrame.bind(window);
    var tell = console.info.bind(console);
    var rate = 0, lastFrame = 0, nextId = 1, pending = new Map();
    window.addEventListener("loadedmetadata", function (event) {
        tell("%1");
        var player = event.target, data = player && player.metadata;
        if (!data && player && typeof player.ruffle === "function")
            try { data = player.ruffle().metadata; } catch (e) {}
        var fps = data ? Number(data.frameRate) : 0;
        if (fps > 0 && isFinite(fps)) {
            if (rate === 0) lastFrame = 0; // the movie's first frame is not held back
            rate = Math.min(60, Math.max(rate, fps, 1));
        }
    }, true);
    // Until a frame is due the callback waits on a timer, up to a display frame before; then on
    // the display's frames, the first one that comes due (a few milliseconds early counts).
    window.requestAnimationFrame = function (callback) {
        var id = nextId++;
        var frame = function () {
            pending.set(id, { frame: request(function (time) {
                if (rate > 0 && time - lastFrame < 1000 / rate - 8) return frame();
                pending.delete(id);
                lastFrame = time;
                callback(time);
            }) });
        };
        var wait = rate > 0 ? lastFrame + 1000 / rate - performance.now() - 20 : 0;
        if (wait > 0) pending.set(id, { timer: setTimeout(frame, wait) });
        else frame();
        return id;
    };
    window.cancelAnimationFrame = function (id) {
        var waiting = pending.get(id);
        if (!waiting) return;
        pending.delete(id);
        if (waiting.timer !== undefined) clearTimeout(waiting.timer);
        else cancel(waiting.frame);
    };
})();
)JS";

// The player's code, 14 MB of WebAssembly, is fetched and compiled anew by each page, and only
// once the player has started. Once the program knows which code its player takes, each new
// page compiles it while it is read, from the moment an element of a movie appears; the
// player's own fetch of the code then gets an empty answer marked as standing for it, and its
// instantiation the module compiled early (or, where that failed, the real code). The bundled
// player takes its code through instantiateStreaming; its test checks that it still does. This
// script comes after the player's prelude, so its fetch is the prelude's.
constexpr const char* kEarlyCodeScript = R"JS(
(function (path) {
    if (window.__ondrixEarlyCode) return;
    window.__ondrixEarlyCode = "waiting"; // then "compiling", and "taken" by the player
    var code = new URL(path, location.href).href;
    var fetchCode = window.fetch.bind(window);
    var instantiateStreaming = WebAssembly.instantiateStreaming.bind(WebAssembly);
    var compiling = null, header = "X-Ondrix-Early-Code";
    var movie = 'embed[src*=".swf" i], embed[type*="flash" i], object[data*=".swf" i], ' +
        'object[type*="flash" i], object[classid*="D27CDB6E" i], param[name="movie" i]';
    var observer = new MutationObserver(function () {
        if (!document.querySelector(movie)) return;
        observer.disconnect();
        window.__ondrixEarlyCode = "compiling";
        compiling = WebAssembly.compileStreaming(fetchCode(code));
        compiling.catch(function () {});
    });
    observer.observe(document, { childList: true, subtree: true });
    window.addEventListener("load", function () {
        observer.disconnect();
        // A module no player took within ten seconds of the page's loading is let go.
        setTimeout(function () { if (window.__ondrixEarlyCode !== "taken") compiling = null; }, 10000);
    });
    window.fetch = function (input, init) {
        var href = (typeof input === "string") ? input : (input && input.url) ? input.url : String(input);
        var url;
        try { url = new URL(href, document.baseURI).href; } catch (e) { url = ""; }
        if (url !== code || !compiling) return fetchCode(input, init);
        return Promise.resolve(new Response(new Uint8Array(0),
            { status: 200, headers: { "Content-Type": "application/wasm", [header]: code } }));
    };
    WebAssembly.instantiateStreaming = function (source, imports) {
        return Promise.resolve(source).then(function (response) {
            if (!response || !response.headers || response.headers.get(header) !== code)
                return instantiateStreaming(response, imports);
            var real = function () { return instantiateStreaming(fetchCode(code), imports); };
            if (!compiling) return real();
            return compiling.then(function (module) {
                return WebAssembly.instantiate(module, imports).then(function (instance) {
                    window.__ondrixEarlyCode = "taken";
                    return { module: module, instance: instance };
                });
            }, real);
        });
    };
})(%1);
)JS";

// A page shown without sound gets no audio graph: the player's would run, mixing silence, at
// a few percent of a core although the page is muted.
constexpr const char* kQuietScript = R"JS(
(function () {
    try { delete window.AudioContext; } catch (e) {}
    try { delete window.webkitAudioContext; } catch (e) {}
    window.AudioContext = undefined;
    window.webkitAudioContext = undefined;
})();
)JS";

// The early compilation of the player's code at path (the path as a JSON string: a script
// literal whatever its characters).
QString EarlyCodeScript(const QString& path)
{
    const QByteArray literal = QJsonDocument(QJsonArray{path}).toJson(QJsonDocument::Compact);
    return QString::fromLatin1(kEarlyCodeScript).arg(QString::fromUtf8(literal) + QLatin1String("[0]"));
}

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
    const QString pace = QString::fromLatin1(kPaceScript).arg(QLatin1String(kMovieLoadedMessage));
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    return config + pace;
#else
    return config + pace + QLatin1String(kFetchShim);
#endif
}

void ThemeProfile::CompileEarly(const QString& path)
{
    const QString name = QStringLiteral("ondrix-early-code");
    for (const QWebEngineScript& old : scripts()->find(name))
        scripts()->remove(old);
    QWebEngineScript early;
    early.setName(name);
    early.setInjectionPoint(QWebEngineScript::DocumentCreation);
    early.setWorldId(QWebEngineScript::MainWorld);
    early.setRunsOnSubFrames(false);
    early.setSourceCode(EarlyCodeScript(path));
    scripts()->insert(early);
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
    connect(m_handler, &ThemeSchemeHandler::playerCodeServed, this, &ThemeProfile::CompileEarly);
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

ThemePage::ThemePage(ThemeProfile* profile, bool sound, QObject* parent)
    : QWebEnginePage(profile, parent), m_quiet(!sound)
{
    setAudioMuted(!sound);
    if (!sound) {
        QWebEngineScript quiet;
        quiet.setName(QStringLiteral("ondrix-quiet"));
        quiet.setInjectionPoint(QWebEngineScript::DocumentCreation);
        quiet.setWorldId(QWebEngineScript::MainWorld);
        quiet.setRunsOnSubFrames(true);
        quiet.setSourceCode(QLatin1String(kQuietScript));
        scripts().insert(quiet);
    }
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
    if (message == QLatin1String(kMovieLoadedMessage)) {
        emit movieLoaded();
        return;
    }
    emit consoleMessage(message);
}

} // namespace ondrix
