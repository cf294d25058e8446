#include "StatusPanels.h"

#include "core/Paths.h"

#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>

namespace ondrix {

namespace {

// A sunken panel that cuts a text too long for it with an ellipsis instead of letting it
// run under its neighbour, and then offers the whole text as its tooltip.
class StatusPanel final : public QLabel
{
public:
    explicit StatusPanel(QWidget* parent) : QLabel(parent)
    {
        setFrameShape(QFrame::Panel);
        setFrameShadow(QFrame::Sunken);
        setTextFormat(Qt::PlainText);
    }

    void SetWholeText(const QString& text)
    {
        setText(text);
        UpdateTip();
    }

protected:
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        drawFrame(&painter);
        const QRect area = TextArea();
        painter.setPen(palette().color(foregroundRole()));
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
    }

    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        UpdateTip();
    }

private:
    QRect TextArea() const
    {
        const int margin = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) + 1;
        return contentsRect().adjusted(margin, 0, -margin, 0);
    }

    void UpdateTip()
    {
        const bool cut = fontMetrics().horizontalAdvance(text()) > TextArea().width();
        setToolTip(cut ? text() : QString());
    }
};

} // namespace

std::string DisplayPath(std::string_view path)
{
    return AppPath(std::string(), path);
}

std::string StatusPanel0Text(const TLanguage& language, const StatusInputs& inputs)
{
    switch (inputs.page) {
    case 0:
        return language.Text(Txt::STATUS_BAR_msg0) + ": " + std::to_string(inputs.themeCount) + "   " +
               language.Text(Txt::STATUS_BAR_msg1) + ": " + DisplayPath("..\\advThemes_\\") +
               FileNamePart(inputs.currentTheme);
    case 1:
        return language.Text(Txt::STATUS_BAR_msg4) + ": " + std::to_string(inputs.listCount) + "   " +
               language.Text(Txt::STATUS_BAR_msg5) + ": " + DisplayPath("..\\imgLists\\") +
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
        auto* label = new StatusPanel(bar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        // Room for the font's descenders (the "_" of "../advThemes_/") inside the frame.
        label->setMinimumHeight(label->fontMetrics().lineSpacing() + 2 * label->frameWidth() + 2);
        // The last panel gives way where the bar is narrower than the three widths.
        bar->addWidget(label, i + 1 == m_panels.size() ? 1 : 0);
        m_panels[i] = label;
    }
}

void StatusPanels::SetText(int panel, const QString& text)
{
    static_cast<StatusPanel*>(m_panels.at(static_cast<std::size_t>(panel)))->SetWholeText(text);
}

QString StatusPanels::Text(int panel) const
{
    return m_panels.at(static_cast<std::size_t>(panel))->text();
}

void StatusPanels::SetWidths(const std::array<int, 3>& widths)
{
    for (std::size_t i = 0; i + 1 < m_panels.size(); ++i)
        m_panels[i]->setFixedWidth(widths[i]);
    QLabel* last = m_panels.back();
    last->setMinimumWidth(0);
    last->setMaximumWidth(widths.back());
}

int StatusPanels::Width(int panel) const
{
    return m_panels.at(static_cast<std::size_t>(panel))->width();
}

} // namespace ondrix
