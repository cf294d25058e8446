#include "SideBar.h"

#include "Glyphs.h"

#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace ondrix {

namespace {

constexpr int kBarWidth = 82;
constexpr int kCellWidth = 78;
constexpr int kButtonSize = 40;

struct SideCell
{
    const char* button;
    const char* label;
    const char* glyph;
    int height;
};

// By tag, top to bottom.
constexpr std::array<SideCell, SideBar::kButtonCount> kCells{{
    {"b5", "lb1", "IDB_BITMAP3", 74},
    {"b4", "lb2", "IDB_BITMAP2", 74},
    {"b3", "lb3", "IDB_BITMAP1", 74},
    {"b2", "lb4", "IDB_BITMAP5", 70},
    {"b1", "lb5", "IDB_BITMAP4", 74},
}};

} // namespace

SideBar::SideBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("bPanel"));
    setFixedWidth(kBarWidth);
    setAutoFillBackground(true);
    QPalette barPalette = palette();
    // The inactive-caption colour of the desktop, with white lettering on it.
    barPalette.setColor(QPalette::Window, barPalette.color(QPalette::Dark));
    barPalette.setColor(QPalette::WindowText, Qt::white);
    setPalette(barPalette);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(2, 0, 2, 0);
    column->setSpacing(0);
    for (std::size_t tag = 0; tag < kCells.size(); ++tag) {
        const SideCell& spec = kCells[tag];
        auto* cell = new QWidget(this);
        cell->setFixedSize(kCellWidth, spec.height);

        auto* button = new QToolButton(cell);
        button->setObjectName(QString::fromLatin1(spec.button));
        button->setProperty("tag", static_cast<int>(tag));
        button->setProperty("glyph", QString::fromLatin1(spec.glyph));
        button->setAutoRaise(true);
        button->setGeometry(20, 5, kButtonSize, kButtonSize);
        button->setIcon(Glyph(spec.glyph));
        button->setIconSize(QSize(32, 32));
        connect(button, &QToolButton::clicked, this, [this, button] { emit buttonClicked(TagOf(button)); });

        auto* label = new QLabel(cell);
        label->setObjectName(QString::fromLatin1(spec.label));
        label->setGeometry(0, 43, kCellWidth, 30);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);

        m_buttons[tag] = button;
        m_labels[tag] = label;
        column->addWidget(cell);
    }
    column->addStretch(1);
}

void SideBar::ApplyTexts(const TLanguage& language)
{
    for (std::size_t tag = 0; tag < m_labels.size(); ++tag) {
        const auto key = static_cast<Txt>(static_cast<std::size_t>(Txt::BUTTONLIST_CAPTIONS_button0) + tag);
        m_labels[tag]->setText(ToQ(language.Text(key)));
        m_buttons[tag]->setProperty("tag", static_cast<int>(tag));
    }
}

QToolButton* SideBar::ButtonByTag(int tag) const
{
    return m_buttons.at(static_cast<std::size_t>(tag));
}

int SideBar::TagOf(const QObject* button)
{
    return button->property("tag").toInt();
}

} // namespace ondrix
