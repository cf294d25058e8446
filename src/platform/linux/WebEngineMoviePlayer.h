#pragma once

#include "ui/MoviePlayer.h"

#include <QPointer>
#include <QWebEngineView>

#include <cstdint>
#include <filesystem>
#include <string>

namespace ondrix {

class ThemePage;
class ThemeProfile;

// "low" ... "best" for a quality name of the creation page in any letter case; "high" for
// any other name.
std::string PreviewQualityName(const std::string& name);

// The small page of the preview: the movie file (a bare name in the preview folder) filling
// the page, played at the given quality (one of the names PreviewQualityName gives).
std::string PreviewPageText(const std::string& movieFileName, const std::string& quality);

// The creation page's preview with the web view and the player of the live themes. The
// movie is copied into a folder of its own (below the theme work folder, emptied at exit)
// beside a tiny page that embeds it; the theme scheme serves that folder alone, with the same
// hostile-page rules as the live layer. The web view is made when the first movie is given;
// it plays without sound and never takes the pointer or the keyboard. While it is out of
// sight (another page, the window hidden) its page is frozen, so the movie costs nothing.
class WebEngineMoviePlayer final : public MoviePlayer
{
    Q_OBJECT
public:
    // playerRoot: the folder of ruffle.js; previewFolder: where the movie and its page go.
    WebEngineMoviePlayer(std::filesystem::path playerRoot, std::filesystem::path previewFolder,
                         QWidget* parent = nullptr);
    ~WebEngineMoviePlayer() override;

    void SetMovie(const std::string& path) override;
    void SetQuality(const std::string& name) override;
    void ShowNote(const QString& text) override;

    // For tests: the web view once made, the page it shows, the quality in use.
    QWebEngineView* View() const { return m_view; }
    ThemePage* Page() const;
    const std::string& Quality() const { return m_quality; }

protected:
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;

signals:
    // The preview page of the last movie or quality has loaded (ok: without failure).
    void previewLoaded(bool ok);

private:
    struct MovieStamp
    {
        std::string path;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type written{};
        bool operator==(const MovieStamp&) const = default;
    };

    void EnsureView();
    void ClearPreviewFolder() const;
    void ShowPage();
    void FreezeWhileHidden();

    std::filesystem::path m_playerRoot;
    std::filesystem::path m_previewFolder;
    ThemeProfile* m_profile = nullptr;
    QPointer<QWebEngineView> m_view;
    QLabel* m_note = nullptr; // why the chosen movie is not previewed, while it is not
    MovieStamp m_movie;       // the movie given last, as it was then
    std::string m_movieCopy;  // its copy's file name in the preview folder
    std::string m_quality = "high";
    unsigned m_generation = 0; // each copy and page gets a name of its own
};

} // namespace ondrix
