#include "MoviePlayer.h"

#include <QLabel>
#include <QVBoxLayout>

namespace ondrix {

PlaceholderPlayer::PlaceholderPlayer(QWidget* parent) : MoviePlayer(parent)
{
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0x40, 0x40, 0x40));
    colours.setColor(QPalette::WindowText, QColor(0xE0, 0xE0, 0xE0));
    setPalette(colours);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(2, 2, 2, 2);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("playerNote"));
    m_note->setAlignment(Qt::AlignCenter);
    m_note->setWordWrap(true);
    m_note->setTextFormat(Qt::PlainText);
    QFont small = m_note->font();
    small.setPixelSize(9);
    m_note->setFont(small);
    column->addWidget(m_note);
}

void PlaceholderPlayer::SetMovie(const std::string& path)
{
    m_movie = path;
    m_note->setText(m_ownNote);
}

void PlaceholderPlayer::ShowNote(const QString& text)
{
    m_movie.clear();
    m_note->setText(text);
}

void PlaceholderPlayer::SetNote(const QString& text)
{
    m_ownNote = text;
    m_note->setText(text);
}

QString PlaceholderPlayer::Note() const
{
    return m_note->text();
}

} // namespace ondrix
