#pragma once

#include <QObject>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>

#include <filesystem>

namespace ondrix {

// Everything of the theme layer that must happen before the application object exists: the
// theme URL scheme is registered; the web view's sandbox is switched off when (and only when)
// the program runs as root, where it cannot start; drawing is done in software where no GPU is
// usable, and whenever it is done in software the window system's OpenGL is not loaded (a
// user's own QT_XCB_GL_INTEGRATION or QT_QPA_OFFSCREEN_NO_GLX stays); peer connections get no
// UDP of their own; OpenGL contexts are shared, as the web view asks. main() calls it first
// thing.
void RegisterThemeScheme();

// Once the application object exists: the variables that kept OpenGL from loading leave the
// environment, so that programs started from here find the user's own.
void ReleaseOpenGlChoice();

// Serves the files of the theme shown now and the player files, nothing else: every request
// path goes through ResolveThemeFile. Only GET of the theme host is answered.
class ThemeSchemeHandler final : public QWebEngineUrlSchemeHandler
{
    Q_OBJECT
public:
    explicit ThemeSchemeHandler(std::filesystem::path playerRoot, QObject* parent = nullptr);

    // The theme folder served from now on; empty serves none.
    void SetThemeRoot(std::filesystem::path themeRoot) { m_themeRoot = std::move(themeRoot); }

    void requestStarted(QWebEngineUrlRequestJob* job) override;

signals:
    // The player's compiled code (a .wasm file of its folder) was first served, under path.
    void playerCodeServed(const QString& path);
    // A request of the scheme that was refused (a path outside the folders, a missing file).
    void refused(const QUrl& url);

private:
    std::filesystem::path m_playerRoot;
    std::filesystem::path m_themeRoot;
    QString m_playerCode; // the path of the player's code, once served
};

// Lets through requests of the theme host of the theme scheme and blocks every other request
// of every page of the profile: http, https, ws, wss, ftp, file and any other scheme or host.
class ThemeRequestInterceptor final : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

signals:
    void blocked(const QUrl& url);
};

// Whether a URL belongs to the theme host of the theme scheme.
bool IsThemeUrl(const QUrl& url);

} // namespace ondrix
