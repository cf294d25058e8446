#pragma once

#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

class QLabel;

namespace ondrix {

// The largest movie the preview copies and plays; a theme package may hold larger ones.
inline constexpr std::uintmax_t kMaxPreviewMovieBytes = std::uintmax_t{64} << 20;

// Why a regular file is not previewed: none, larger than the preview plays, or no Flash movie
// ("FWS", "CWS" or "ZWS": an uncompressed, zlib- or LZMA-compressed movie).
enum class PreviewRefusal
{
    None,
    TooLarge,
    NotAMovie,
};
inline PreviewRefusal PreviewRefusalOf(const std::string& path)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size > kMaxPreviewMovieBytes)
        return PreviewRefusal::TooLarge;
    std::ifstream file(path, std::ios::binary);
    char head[3] = {};
    if (error || !file.read(head, sizeof head))
        return PreviewRefusal::NotAMovie;
    const bool movie =
        (head[0] == 'F' || head[0] == 'C' || head[0] == 'Z') && head[1] == 'W' && head[2] == 'S';
    return movie ? PreviewRefusal::None : PreviewRefusal::NotAMovie;
}

// The player of the creation page's preview: it plays the movie file it is given, with the
// quality of the given name ("Low" ... "Best"), inside the placement rectangle. It never
// takes the pointer: the rectangle is dragged through it.
class MoviePlayer : public QWidget
{
public:
    explicit MoviePlayer(QWidget* parent = nullptr) : QWidget(parent)
    {
        setObjectName(QStringLiteral("ShockwaveFlash1"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

    // The movie's full path; the player keeps the last one given, and a file that is not
    // there leaves it as it was.
    virtual void SetMovie(const std::string& path) = 0;
    virtual void SetQuality(const std::string& name) = 0;
    // Shown instead of a movie until the next movie is given: why the chosen one is not
    // previewed. The movie shown before stops, so that no other movie stands for it.
    virtual void ShowNote(const QString& text) = 0;
};

// Stands in where no movie player is available (no web engine, no player files, tests of other
// pages): a plain panel with a short note. It remembers what it was asked to play.
class PlaceholderPlayer final : public MoviePlayer
{
public:
    explicit PlaceholderPlayer(QWidget* parent = nullptr);

    void SetMovie(const std::string& path) override;
    void SetQuality(const std::string& name) override { m_quality = name; }
    // A refusal's note; the next movie brings the placeholder's own note back.
    void ShowNote(const QString& text) override;
    // The placeholder's own note: why nothing plays here.
    void SetNote(const QString& text);

    const std::string& Movie() const { return m_movie; }
    const std::string& Quality() const { return m_quality; }
    QString Note() const;

private:
    QLabel* m_note = nullptr;
    QString m_ownNote;
    std::string m_movie;
    std::string m_quality;
};

} // namespace ondrix
