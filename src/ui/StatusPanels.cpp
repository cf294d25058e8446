#include "StatusPanels.h"

#include "core/Paths.h"

#include <QLabel>
#include <QStatusBar>

namespace ondrix {

std::string StatusPanel0Text(const TLanguage& language, const StatusInputs& inputs)
{
    switch (inputs.page) {
    case 0:
        return language.Text(Txt::STATUS_BAR_msg0) + ": " + std::to_string(inputs.themeCount) + "   " +
               language.Text(Txt::STATUS_BAR_msg1) + ": " + "..\\advThemes_\\" +
               FileNamePart(inputs.currentTheme);
    case 1:
        return language.Text(Txt::STATUS_BAR_msg4) + ": " + std::to_string(inputs.listCount) + "   " +
               language.Text(Txt::STATUS_BAR_msg5) + ": " + "..\\imgLists\\" +
               FileNamePart(inputs.currentList);
    case 2:
        return inputs.optionsTabHint;
    case 3:
        return language.Text(Txt::BUTTONLIST_CAPTIONS_hint3);
    case 4:
        return language.Text(Txt::PAGES_ARTICLES_p4) + ":.." + inputs.reportThemeName;
    default:
        return {};
    }
}

std::string StatusPanel1Text(const TLanguage& language, std::uint8_t state)
{
    return language.Text(state == 0 ? Txt::STATUS_BAR_msg8 : Txt::STATUS_BAR_msg9);
}

std::string StatusPanel2Text(const TLanguage& language)
{
    return language.Text(Txt::STATUS_BAR_msg10);
}

StatusPanels::StatusPanels(QStatusBar* bar) : QObject(bar)
{
    bar->setSizeGripEnabled(false);
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        // Room for the font's descenders (the "_" of "..\advThemes_\") inside the frame.
        label->setMinimumHeight(label->fontMetrics().lineSpacing() + 2 * label->frameWidth() + 2);
        bar->addWidget(label);
        m_panels[i] = label;
    }
}

void StatusPanels::SetText(int panel, const QString& text)
{
    m_panels.at(static_cast<std::size_t>(panel))->setText(text);
}

QString StatusPanels::Text(int panel) const
{
    return m_panels.at(static_cast<std::size_t>(panel))->text();
}

void StatusPanels::SetWidths(const std::array<int, 3>& widths)
{
    for (std::size_t i = 0; i < m_panels.size(); ++i)
        m_panels[i]->setFixedWidth(widths[i]);
}

int StatusPanels::Width(int panel) const
{
    return m_panels.at(static_cast<std::size_t>(panel))->maximumWidth();
}

} // namespace ondrix
