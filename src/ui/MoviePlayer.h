#pragma once

#include <QWidget>

#include <string>

class QLabel;

namespace ondrix {

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
};

// Stands in where no movie player is available (no web engine, no player files, tests of other
// pages): a plain panel with a short note. It remembers what it was asked to play.
class PlaceholderPlayer final : public MoviePlayer
{
public:
    explicit PlaceholderPlayer(QWidget* parent = nullptr);

    void SetMovie(const std::string& path) override { m_movie = path; }
    void SetQuality(const std::string& name) override { m_quality = name; }
    void SetNote(const QString& text);

    const std::string& Movie() const { return m_movie; }
    const std::string& Quality() const { return m_quality; }
    QString Note() const;

private:
    QLabel* m_note = nullptr;
    std::string m_movie;
    std::string m_quality;
};

} // namespace ondrix
