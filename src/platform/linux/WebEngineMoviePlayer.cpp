#include "WebEngineMoviePlayer.h"

#include "layer/ThemeLayerRules.h"
#include "layer/ThemePage.h"
#include "layer/ThemeScheme.h"
#include "core/AtomicFile.h"

#include <QLabel>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cctype>
#include <exception>
#include <system_error>

namespace ondrix {

namespace {

namespace fs = std::filesystem;

constexpr std::array<const char*, 6> kQualities{"low", "autolow", "autohigh", "medium", "high", "best"};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string HtmlAttribute(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

std::string PreviewQualityName(const std::string& name)
{
    const std::string lower = Lower(name);
    for (const char* quality : kQualities)
        if (lower == quality)
            return quality;
    return "high";
}

std::string PreviewPageText(const std::string& movieFileName, const std::string& quality)
{
    const std::string movie = HtmlAttribute(movieFileName);
    const std::string q = HtmlAttribute(PreviewQualityName(quality));
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>preview</title><style>"
           "html,body{margin:0;padding:0;width:100%;height:100%;overflow:hidden;background:#000000}"
           "object,embed{display:block;width:100%;height:100%}</style></head><body>"
           "<object width=\"100%\" height=\"100%\" classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\">"
           "<param name=\"movie\" value=\"" +
           movie + "\"><param name=\"quality\" value=\"" + q + "\"><embed src=\"" + movie + "\" quality=\"" +
           q +
           "\" width=\"100%\" height=\"100%\" "
           "type=\"application/x-shockwave-flash\"></object></body></html>\n";
}

WebEngineMoviePlayer::WebEngineMoviePlayer(fs::path playerRoot, fs::path previewFolder, QWidget* parent)
    : MoviePlayer(parent), m_playerRoot(std::move(playerRoot)), m_previewFolder(std::move(previewFolder))
{
    auto* fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    setPalette(colours);
}

WebEngineMoviePlayer::~WebEngineMoviePlayer()
{
    // The page goes before its profile.
    delete m_view.data();
    delete m_profile;
}

ThemePage* WebEngineMoviePlayer::Page() const
{
    return m_view ? qobject_cast<ThemePage*>(m_view->page()) : nullptr;
}

void WebEngineMoviePlayer::SetMovie(const std::string& path)
{
    std::error_code error;
    if (path.empty() || !fs::is_regular_file(path, error))
        return;
    MovieStamp stamp{path, fs::file_size(path, error), {}};
    // Only a Flash movie of a sensible size is copied for the preview: the field may name any
    // file, and the copy is made while the page waits.
    if (error || PreviewRefusalOf(path) != PreviewRefusal::None)
        return;
    stamp.written = fs::last_write_time(path, error);
    if (error)
        return;
    // The movie shown already (the name field runs the movie field's handler at every
    // keystroke): it plays on rather than starting again.
    if (m_view && stamp == m_movie)
        return;

    fs::create_directories(m_previewFolder, error);
    // A link in the folder's place would send the copies, and the clearing, elsewhere.
    if (error || fs::is_symlink(fs::symlink_status(m_previewFolder, error)))
        return;
    ClearPreviewFolder();
    const std::string copy = "movie-" + std::to_string(++m_generation) + ".swf";
    fs::copy_file(path, m_previewFolder / copy, fs::copy_options::overwrite_existing, error);
    if (error) {
        // A movie that cannot be read leaves no movie to show again (its old copy is gone);
        // the generator reports it.
        m_movie = {};
        m_movieCopy.clear();
        return;
    }
    m_movie = stamp;
    m_movieCopy = copy;
    ShowPage();
}

void WebEngineMoviePlayer::ShowNote(const QString& text)
{
    // No movie plays while the note stands: the view goes, and the next movie makes one anew.
    delete m_view.data();
    ClearPreviewFolder();
    m_movie = {};
    m_movieCopy.clear();
    if (m_note == nullptr) {
        m_note = new QLabel(this);
        m_note->setObjectName(QStringLiteral("playerNote"));
        m_note->setAlignment(Qt::AlignCenter);
        m_note->setWordWrap(true);
        m_note->setTextFormat(Qt::PlainText);
        QPalette colours = m_note->palette();
        colours.setColor(QPalette::WindowText, QColor(0xE0, 0xE0, 0xE0));
        m_note->setPalette(colours);
        QFont small = m_note->font();
        small.setPixelSize(9);
        m_note->setFont(small);
        layout()->addWidget(m_note);
    }
    m_note->setText(text);
    m_note->show();
}

void WebEngineMoviePlayer::SetQuality(const std::string& name)
{
    const std::string quality = PreviewQualityName(name);
    if (quality == m_quality)
        return;
    m_quality = quality;
    if (m_view && !m_movieCopy.empty()) {
        ++m_generation;
        ShowPage();
    }
}

void WebEngineMoviePlayer::ClearPreviewFolder() const
{
    std::error_code error;
    for (fs::directory_iterator entry(m_previewFolder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code ignored;
        if (entry->is_regular_file(ignored) || entry->is_symlink(ignored))
            fs::remove(entry->path(), ignored);
    }
}

void WebEngineMoviePlayer::ShowPage()
{
    const std::string pageName = "preview-" + std::to_string(m_generation) + ".htm";
    try {
        WriteFileAtomically((m_previewFolder / pageName).string(), PreviewPageText(m_movieCopy, m_quality),
                            true);
    } catch (const std::exception&) {
        return; // the preview stays as it was
    }
    std::error_code ignored;
    for (fs::directory_iterator entry(m_previewFolder, ignored), end; !ignored && entry != end;
         entry.increment(ignored)) {
        const std::string name = entry->path().filename().string();
        if (name.starts_with("preview-") && name != pageName) {
            std::error_code notRemoved;
            fs::remove(entry->path(), notRemoved);
        }
    }
    EnsureView();
    if (m_note != nullptr)
        m_note->hide();
    m_profile->Handler().SetThemeRoot(m_previewFolder);
    QUrl url;
    url.setScheme(QLatin1String(kThemeScheme));
    url.setHost(QLatin1String(kThemeHost));
    url.setPath(QStringLiteral("/") + QString::fromStdString(pageName));
    m_view->load(url);
    // A movie given while the page is out of sight waits until it is shown.
    if (!isVisible())
        FreezeWhileHidden();
}

void WebEngineMoviePlayer::FreezeWhileHidden()
{
    // Only a page out of sight can be frozen: after the view has taken its own hiding.
    QTimer::singleShot(0, this, [this] {
        if (ThemePage* page = Page(); page != nullptr && !isVisible())
            page->setLifecycleState(QWebEnginePage::LifecycleState::Frozen);
    });
}

void WebEngineMoviePlayer::hideEvent(QHideEvent* event)
{
    MoviePlayer::hideEvent(event);
    FreezeWhileHidden();
}

void WebEngineMoviePlayer::showEvent(QShowEvent* event)
{
    MoviePlayer::showEvent(event);
    if (ThemePage* page = Page(); page != nullptr)
        page->setLifecycleState(QWebEnginePage::LifecycleState::Active);
}

void WebEngineMoviePlayer::EnsureView()
{
    if (m_view)
        return;
    if (m_profile == nullptr)
        m_profile = new ThemeProfile(m_playerRoot);
    auto* view = new QWebEngineView(this);
    view->setPage(new ThemePage(m_profile, false, view));
    view->setAttribute(Qt::WA_TransparentForMouseEvents);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    view->setFocusPolicy(Qt::NoFocus);
    view->setAcceptDrops(false);
    connect(view, &QWebEngineView::loadFinished, this, &WebEngineMoviePlayer::previewLoaded);
    layout()->addWidget(view);
    view->show();
    m_view = view;
}

} // namespace ondrix
