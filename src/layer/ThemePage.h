#pragma once

#include <QStringList>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <filesystem>

namespace ondrix {

class ThemeRequestInterceptor;
class ThemeSchemeHandler;

// The profile every theme page runs in: kept in memory only (no cookies, cache or storage on
// disk), every request but the theme scheme's blocked, downloads cancelled, and the player
// injected into every frame of every page, its settings first.
class ThemeProfile final : public QWebEngineProfile
{
    Q_OBJECT
public:
    // playerRoot: the folder of ruffle.js and its files.
    explicit ThemeProfile(const std::filesystem::path& playerRoot, QObject* parent = nullptr);

    ThemeSchemeHandler& Handler() const { return *m_handler; }
    ThemeRequestInterceptor& Interceptor() const { return *m_interceptor; }

    // The script put before the player: its settings and, where the web view lacks fetch for
    // custom schemes, a fetch made of XMLHttpRequest.
    static QString PlayerPrelude();

signals:
    void downloadCancelled(const QUrl& url);

private:
    // From now on each new page compiles the player's code at path while it is read.
    void CompileEarly(const QString& path);

    ThemeSchemeHandler* m_handler;
    ThemeRequestInterceptor* m_interceptor;
};

// A theme page: hostile input. It gets no new windows, no navigation out of the theme scheme,
// no permissions, no full screen, no dialogs, no file choosers and no sound unless asked.
class ThemePage final : public QWebEnginePage
{
    Q_OBJECT
public:
    // Without sound the page is made without an audio graph: bringing sound to it later takes
    // a new page (Quiet() tells).
    ThemePage(ThemeProfile* profile, bool sound, QObject* parent = nullptr);
    bool Quiet() const { return m_quiet; }

signals:
    void consoleMessage(const QString& message);
    // A player of the page says it has its movie (sooner than a look at the page would find).
    void movieLoaded();
    void navigationBlocked(const QUrl& url);
    void windowBlocked();

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                  const QString& source) override;
    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
    QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override { return {}; }

private:
    bool m_quiet;
};

} // namespace ondrix
