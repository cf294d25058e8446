#include "ThemeScheme.h"

#include "ThemeLayerRules.h"

#include <QCoreApplication>
#include <QFile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace ondrix {

namespace {

bool Set(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// The variables this program set to keep the window system's OpenGL from loading.
std::vector<const char*> g_openGlKept;
QtMessageHandler g_otherMessages = nullptr;

// Without OpenGL the share context and the web view's GPU thread cannot be made, and say so;
// that is meant, and not worth a line on every start.
void QuietAboutOpenGl(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    static const char* const meant[] = {"Cannot create platform OpenGL context",
                                        "does not support createPlatformOpenGLContext",
                                        "No suitable graphics backend found"};
    if (type == QtWarningMsg && std::any_of(std::begin(meant), std::end(meant), [&message](const char* text) {
            return message.contains(QLatin1String(text));
        }))
        return;
    g_otherMessages(type, context, message);
}

void KeepOpenGlFromLoading()
{
    const std::pair<const char*, const char*> settings[] = {{"QT_XCB_GL_INTEGRATION", "none"},
                                                            {"QT_QPA_OFFSCREEN_NO_GLX", "1"}};
    for (const auto& [name, value] : settings)
        if (!Set(name)) {
            setenv(name, value, 1);
            g_openGlKept.push_back(name);
        }
    if (!g_openGlKept.empty() && g_otherMessages == nullptr)
        g_otherMessages = qInstallMessageHandler(QuietAboutOpenGl);
}

} // namespace

void ReleaseOpenGlChoice()
{
    for (const char* name : g_openGlKept)
        unsetenv(name);
    g_openGlKept.clear();
}

void RegisterThemeScheme()
{
    QWebEngineUrlScheme scheme(kThemeScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // Secure, so that the page is a secure context like a local file; CORS, so that the
    // player may read its own files and the movie with XHR. Not local: it grants no file access.
    QWebEngineUrlScheme::Flags flags = QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled;
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    flags |= QWebEngineUrlScheme::FetchApiAllowed;
#endif
    scheme.setFlags(flags);
    QWebEngineUrlScheme::registerScheme(scheme);

    // The sandbox needs an unprivileged user; as root it would keep the view from starting.
    if (geteuid() == 0)
        setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const RenderingSituation rendering{Set("QT_QUICK_BACKEND") || Set("QSG_RHI_BACKEND"),
                                       GpuRenderNodePresent(), platform != nullptr ? platform : ""};
    if (UseSoftwareRendering(rendering))
        setenv("QT_QUICK_BACKEND", "software", 1);
    // Drawn in software (by this choice, the user's or Ondrix's for the layer program), the web
    // view needs no OpenGL; without it, the share context its library makes for every
    // application does not load Mesa (in the layer program 37 MiB, and about 0.13 s of its start).
    const std::string_view backend = Set("QT_QUICK_BACKEND") ? std::getenv("QT_QUICK_BACKEND") : "";
    if (backend == "software" || backend == "softwarecontext")
        KeepOpenGlFromLoading();
    // Peer connections reach the network without any request the filter sees: their UDP is
    // allowed through a proxy only, and there is none.
    const char* userFlags = std::getenv("QTWEBENGINE_CHROMIUM_FLAGS");
    const std::string chromium = std::string(userFlags != nullptr ? userFlags : "") +
                                 " --force-webrtc-ip-handling-policy=disable_non_proxied_udp";
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", chromium.c_str(), 1);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

bool IsThemeUrl(const QUrl& url)
{
    return url.scheme() == QLatin1String(kThemeScheme) && url.host() == QLatin1String(kThemeHost) &&
           url.port() == -1 && url.userInfo().isEmpty();
}

ThemeSchemeHandler::ThemeSchemeHandler(std::filesystem::path playerRoot, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), m_playerRoot(std::move(playerRoot))
{
}

void ThemeSchemeHandler::requestStarted(QWebEngineUrlRequestJob* job)
{
    const QUrl url = job->requestUrl();
    if (!IsThemeUrl(url) || job->requestMethod() != "GET") {
        emit refused(url);
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QByteArray path = url.path(QUrl::FullyDecoded).toUtf8();
    const auto file =
        ResolveThemeFile(m_themeRoot, m_playerRoot, std::string_view(path.constData(), path.size()));
    if (!file) {
        emit refused(url);
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* device = new QFile(QString::fromStdString(file->string()));
    if (!device->open(QIODevice::ReadOnly)) {
        delete device;
        emit refused(url);
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    connect(job, &QObject::destroyed, device, &QObject::deleteLater);
    job->reply(QByteArray::fromStdString(ThemeMimeType(file->string())), device);
    // The first compiled code of the player's folder served is the one its player takes here
    // (it takes one of its builds by what the web engine can do, the same for every page). A
    // page asking for the other build first costs later pages a needless compilation, no more.
    std::error_code ec;
    if (m_playerCode.isEmpty() && path.startsWith(kPlayerPrefix) && file->extension() == ".wasm" &&
        std::filesystem::equivalent(file->parent_path(), m_playerRoot, ec)) {
        m_playerCode = QLatin1String(kPlayerPrefix) + QString::fromStdString(file->filename().string());
        emit playerCodeServed(m_playerCode);
    }
}

void ThemeRequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    if (IsThemeUrl(info.requestUrl()))
        return;
    info.block(true);
    emit blocked(info.requestUrl());
}

} // namespace ondrix
