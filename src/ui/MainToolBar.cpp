#include "MainToolBar.h"

#include "Glyphs.h"

#include <QActionGroup>
#include <QMenu>
#include <QToolButton>

namespace ondrix {

namespace {

constexpr int kButtonHeight = 34;

QWidget* Gap(QWidget* parent, int width)
{
    auto* gap = new QWidget(parent);
    gap->setFixedSize(width, 1);
    return gap;
}

QToolButton* MakeButton(QWidget* parent, const char* name, int width)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoRaise(true);
    button->setFixedSize(width, kButtonHeight);
    button->setIconSize(QSize(24, 24));
    return button;
}

} // namespace

void SetGlyph(QToolButton* button, const char* resourceName)
{
    button->setIcon(Glyph(resourceName));
    button->setProperty("glyph", QString::fromLatin1(resourceName));
}

MainToolBar::MainToolBar(QWidget* parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("MainToolBar"));
    setMovable(false);
    setFloatable(false);
    setFixedHeight(38);
    setContextMenuPolicy(Qt::PreventContextMenu);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("tbbONOFFPM"));
    m_onMenu = m_menu->addMenu(QString());
    m_onMenu->setObjectName(QStringLiteral("tbbONOFFPM1Menu"));
    m_onItem = m_onMenu->menuAction();
    m_onItem->setObjectName(QStringLiteral("tbbONOFFPM1"));
    m_themeModeItem = m_onMenu->addAction(QString());
    m_themeModeItem->setObjectName(QStringLiteral("tbbONOFFPM00"));
    m_pictureModeItem = m_onMenu->addAction(QString());
    m_pictureModeItem->setObjectName(QStringLiteral("tbbONOFFPM01"));
    m_offItem = m_menu->addAction(QString());
    m_offItem->setObjectName(QStringLiteral("tbbONOFFPM2"));
    // The on and off items are one radio group.
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    for (QAction* item : {m_onItem, m_offItem}) {
        item->setCheckable(true);
        group->addAction(item);
    }
    connect(m_themeModeItem, &QAction::triggered, this, &MainToolBar::switchOnThemesChosen);
    connect(m_pictureModeItem, &QAction::triggered, this, &MainToolBar::switchOnPicturesChosen);
    connect(m_offItem, &QAction::triggered, this, &MainToolBar::switchOffChosen);

    m_tbbOnOff = MakeButton(this, "tbbOnOff", 60);
    m_tbbOnOff->setMenu(m_menu);
    m_tbbOnOff->setPopupMode(QToolButton::MenuButtonPopup);
    m_tbbChState = MakeButton(this, "tbbChState", 36);
    m_bOK = MakeButton(this, "bOK", 60);
    m_bOK->setText(QStringLiteral(":ok."));
    m_bOK->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_spacer = new QWidget(this);
    m_spacer->setObjectName(QStringLiteral("LMDDrawEdge1"));
    m_spacer->setFixedHeight(kButtonHeight);
    // The spacer takes the width the window gives it, but gives way where the toolbar's own
    // margins leave less, so that the confirm button always stays in sight at the right end.
    m_spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_spacer->setMinimumWidth(0);

    addWidget(m_tbbOnOff);
    addWidget(Gap(this, 10));
    addWidget(m_tbbChState);
    addWidget(Gap(this, 10));
    addWidget(m_spacer);
    addWidget(m_bOK);

    connect(m_tbbOnOff, &QToolButton::clicked, this, &MainToolBar::tbbOnOffClicked);
    connect(m_tbbChState, &QToolButton::clicked, this, &MainToolBar::tbbChStateClicked);
    connect(m_bOK, &QToolButton::clicked, this, &MainToolBar::bOKClicked);
}

void MainToolBar::ApplyTexts(const TLanguage& language)
{
    m_bOK->setToolTip(ToQ(language.Text(Txt::TOOL_BAR_b2hint)));
    m_tbbOnOff->setToolTip(ToQ(language.Text(Txt::TOOL_BAR_b0hint)));
    m_tbbChState->setToolTip(ToQ(language.Text(Txt::TOOL_BAR_b1hint)));
    m_onMenu->setTitle(ToQ(language.Text(Txt::TOOL_BAR_b0pm0)));
    m_offItem->setText(ToQ(language.Text(Txt::TOOL_BAR_b0pm1)));
    m_themeModeItem->setText(ToQ(language.Text(Txt::TOOL_BAR_b0pm00)));
    m_pictureModeItem->setText(ToQ(language.Text(Txt::TOOL_BAR_b0pm01)));
}

void MainToolBar::ShowEnabled(bool enabled)
{
    m_onItem->setChecked(enabled);
    m_offItem->setChecked(!enabled);
    SetGlyph(m_tbbOnOff, enabled ? "IDB_BITMAP19" : "IDB_BITMAP20");
}

void MainToolBar::ShowPictureMode(bool pictureMode)
{
    SetGlyph(m_tbbChState, pictureMode ? "IDB_BITMAP3" : "IDB_BITMAP2");
}

void MainToolBar::SetSpacerWidth(int width)
{
    m_spacer->setMaximumWidth(width < 0 ? 0 : width);
}

} // namespace ondrix
