#include "OptionsPage.h"

#include "RadioGroup.h"
#include "app/options.h"
#include "core/IniFile.h"
#include "wallpaper/DisplayMode.h"
#include "wallpaper/ResolutionAgent.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <initializer_list>

namespace ondrix {
namespace {

constexpr int kSizeClassCount = 6;

// The display modes, by number: stretched, centred, tiled, filled, fitted. The first three
// names are texts of the table; the two later modes read theirs from the language file's
// options section directly, with English words when a file lacks them.
constexpr int kDisplayModeCount = 5;
struct ExtraModeText
{
    const char* key;
    const char* fallback;
};
constexpr ExtraModeText kExtraModeTexts[] = {{"cbitem3", "Filled (cropped)"}, {"cbitem4", "Fitted (bands)"}};

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

QString Q(const TLanguage& language, Txt id)
{
    return Q(language.Text(id));
}

QLabel* MakeLabel(const QString& name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

QSpinBox* MakeSpin(const QString& name, int minimum, int maximum, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(minimum, maximum);
    return box;
}

QComboBox* MakeModeList(const QString& name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (int i = 0; i < kDisplayModeCount; ++i)
        box->addItem(QString());
    return box;
}

// A group box holding "[minutes] min  [seconds] sec" on one row.
QGroupBox* MakeIntervalGroup(const QString& name, QSpinBox* minutes, QLabel* minutesLabel, QSpinBox* seconds,
                             QLabel* secondsLabel, QWidget* parent)
{
    auto* group = new QGroupBox(parent);
    group->setObjectName(name);
    auto* row = new QHBoxLayout(group);
    row->setContentsMargins(6, 2, 6, 4);
    for (QWidget* widget : std::initializer_list<QWidget*>{minutes, minutesLabel, seconds, secondsLabel}) {
        widget->setParent(group);
        row->addWidget(widget);
    }
    row->addStretch(1);
    return group;
}

// Each tab scrolls, so that long texts of a language never push controls out of reach.
QScrollArea* MakeTab(const QString& name, QWidget* content)
{
    auto* area = new QScrollArea;
    area->setObjectName(name);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    return area;
}

// A stored number that is no item of the control shows as no selection.
int IndexOrNone(int stored, int count)
{
    return stored >= 0 && stored < count ? stored : -1;
}

// A control without a selection has not been touched since it showed an unknown stored
// value; committing it keeps that value instead of writing -1 into the record.
void CommitIndex(int index, std::uint8_t& field)
{
    if (index >= 0)
        field = static_cast<std::uint8_t>(index);
}

// The spin box's value after it has taken in what was typed into it and not confirmed.
int TypedValue(QSpinBox* box)
{
    box->interpretText();
    return box->value();
}

// Shows the value and drops whatever was typed and not confirmed, even when the value
// itself has not changed (setValue always rewrites the text).
void ShowValue(QSpinBox* box, int value)
{
    box->setValue(value);
}

} // namespace

OptionsPage::OptionsPage(TOptions& options, TRAgent& agent, QWidget* parent)
    : QWidget(parent), m_options(options), m_agent(agent)
{
    setObjectName("OptionsPage");
    m_pcOptions = new QTabWidget(this);
    m_pcOptions->setObjectName("PCOptions");
    m_pcOptions->addTab(BuildProgramTab(), QString());
    m_pcOptions->addTab(BuildThemesTab(), QString());
    m_pcOptions->addTab(BuildSlideShowTab(), QString());
    m_tsPrg = m_pcOptions->widget(0);
    m_tsAdv = m_pcOptions->widget(1);
    m_tsSlS = m_pcOptions->widget(2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pcOptions);

    for (RadioGroup* group : {m_rg1, m_rg11, m_rg13})
        connect(group, &RadioGroup::itemIndexChanged, this, [this] { rg1Change(); });
    connect(m_tb1, &QSlider::valueChanged, this, [this] { tb1Change(); });
    connect(m_cb2, &QComboBox::currentIndexChanged, this, [this] { cb2Change(); });

    rg1Change();
    tb1Change();
}

QWidget* OptionsPage::BuildProgramTab()
{
    auto* content = new QWidget;
    m_lbOp1 = MakeLabel("lbOp1", content);
    m_cbsAbout = new QCheckBox(content);
    m_cbsAbout->setObjectName("cbsAbout");
    m_cbAutoRun = new QCheckBox(content);
    m_cbAutoRun->setObjectName("cbAutoRun");

    auto* layout = new QVBoxLayout(content);
    layout->addWidget(m_lbOp1);
    layout->addWidget(m_cbsAbout);
    layout->addWidget(m_cbAutoRun);
    layout->addStretch(1);
    return MakeTab("tsPrg", content);
}

QWidget* OptionsPage::BuildThemesTab()
{
    auto* content = new QWidget;
    m_lbOp2 = MakeLabel("lbOp2", content);
    m_rg1 = new RadioGroup("rg1", 3, content);
    m_rg2 = new RadioGroup("rg2", 2, content);
    m_seMin = MakeSpin("seMin", 1, 1440, content);
    m_seSec = MakeSpin("seSec", 0, 59, content);
    m_lbmin = MakeLabel("lbmin", content);
    m_lbSec = MakeLabel("lbSec", content);
    m_gbTime = MakeIntervalGroup("gbTime", m_seMin, m_lbmin, m_seSec, m_lbSec, content);

    auto* right = new QVBoxLayout;
    right->addWidget(m_rg2);
    right->addWidget(m_gbTime);
    right->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addWidget(m_rg1, 1, Qt::AlignTop);
    columns->addLayout(right, 1);

    // How a theme that plays live below the windows behaves.
    m_cbThemeSound = new QCheckBox(content);
    m_cbThemeSound->setObjectName("cbThemeSound");
    m_cbThemePause = new QCheckBox(content);
    m_cbThemePause->setObjectName("cbThemePause");
    m_cbThemeBattery = new QCheckBox(content);
    m_cbThemeBattery->setObjectName("cbThemeBattery");
    m_cbThemeOverIcons = new QCheckBox(content);
    m_cbThemeOverIcons->setObjectName("cbThemeOverIcons");

    auto* layout = new QVBoxLayout(content);
    layout->addWidget(m_lbOp2);
    layout->addLayout(columns);
    layout->addWidget(m_cbThemeSound);
    layout->addWidget(m_cbThemePause);
    layout->addWidget(m_cbThemeBattery);
    layout->addWidget(m_cbThemeOverIcons);
    layout->addStretch(1);
    return MakeTab("tsAdv", content);
}

QWidget* OptionsPage::BuildSlideShowTab()
{
    auto* content = new QWidget;
    m_lbOp3 = MakeLabel("lbOp3", content);
    m_rg11 = new RadioGroup("rg11", 3, content);
    m_rg12 = new RadioGroup("rg12", 2, content);
    m_semin1 = MakeSpin("semin1", 1, 1440, content);
    m_sesec2 = MakeSpin("sesec2", 0, 59, content);
    m_lbmin1 = MakeLabel("lbmin1", content);
    m_lbsec1 = MakeLabel("lbsec1", content);
    m_gb1 = MakeIntervalGroup("gb1", m_semin1, m_lbmin1, m_sesec2, m_lbsec1, content);

    m_rg13 = new RadioGroup("rg13", 2, content);
    m_cb1 = MakeModeList("cb1", content);
    m_plb2 = MakeLabel("plb2", content);
    m_tb1 = new QSlider(Qt::Horizontal, content);
    m_tb1->setObjectName("tb1");
    m_tb1->setRange(0, kSizeClassCount - 1);
    m_tb1->setPageStep(1);
    m_tb1->setTickInterval(1);
    m_tb1->setTickPosition(QSlider::TicksBelow);
    m_plb1 = MakeLabel("plb1", content);
    m_cb2 = MakeModeList("cb2", content);
    m_plb3 = MakeLabel("plb3", content);
    // Beside the display modes: whether they place the picture on every monitor.
    m_cbFitMonitors = new QCheckBox(content);
    m_cbFitMonitors->setObjectName("cbFitMonitors");

    auto* left = new QVBoxLayout;
    left->addWidget(m_rg11);
    left->addWidget(m_rg12);
    left->addWidget(m_gb1);
    left->addStretch(1);

    auto* right = new QVBoxLayout;
    right->setSpacing(3);
    right->addWidget(m_rg13);
    right->addWidget(m_cb1);
    right->addSpacing(4);
    right->addWidget(m_plb2);
    right->addWidget(m_tb1);
    right->addWidget(m_plb1);
    right->addWidget(m_cb2);
    right->addWidget(m_plb3);
    right->addSpacing(4);
    right->addWidget(m_cbFitMonitors);
    right->addStretch(1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);

    auto* layout = new QVBoxLayout(content);
    layout->addWidget(m_lbOp3);
    layout->addLayout(columns, 1);
    return MakeTab("tsSlS", content);
}

void OptionsPage::LoadOptionsPage()
{
    const TOptions& o = m_options;
    m_cbsAbout->setChecked(o.ShowAboutWindow);
    m_cbAutoRun->setChecked(o.RunAtStartup);

    m_rg1->SetItemIndex(IndexOrNone(o.advChType, m_rg1->ItemCount()));
    m_rg2->SetItemIndex(IndexOrNone(o.advRandOrOrder, m_rg2->ItemCount()));
    ShowValue(m_seMin, o.advMin);
    ShowValue(m_seSec, o.AdvSec);
    m_cbThemeSound->setChecked(o.ThemeSound);
    m_cbThemePause->setChecked(o.ThemePauseCovered);
    m_cbThemeBattery->setChecked(o.ThemePauseBattery);
    m_cbThemeOverIcons->setChecked(o.ThemeOverIcons);

    m_rg11->SetItemIndex(IndexOrNone(o.ilChType, m_rg11->ItemCount()));
    m_rg12->SetItemIndex(IndexOrNone(o.ilRandOrOrder, m_rg12->ItemCount()));
    ShowValue(m_semin1, o.ilMin);
    ShowValue(m_sesec2, o.ilSec);

    m_rg13->SetItemIndex(IndexOrNone(o.ilShowType, m_rg13->ItemCount()));
    m_cb1->setCurrentIndex(IndexOrNone(o.ilDisplType, m_cb1->count()));
    m_cbFitMonitors->setChecked(o.FitEachMonitor);
    // The slider clamps a stored position beyond the last class, and the shown slot is
    // that of the clamped position, never one read past the six slots.
    {
        const QSignalBlocker blocker(m_tb1);
        m_tb1->setValue(o.LastPos);
    }
    tb1Change();
    rg1Change();
}

void OptionsPage::CommitOptionsPage()
{
    TOptions& o = m_options;
    o.ShowAboutWindow = m_cbsAbout->isChecked();
    o.RunAtStartup = m_cbAutoRun->isChecked();

    CommitIndex(m_rg1->ItemIndex(), o.advChType);
    CommitIndex(m_rg2->ItemIndex(), o.advRandOrOrder);
    // A stored interval outside the boxes' ranges was shown clamped and is stored clamped.
    o.advMin = TypedValue(m_seMin);
    o.AdvSec = static_cast<std::uint8_t>(TypedValue(m_seSec));
    o.ThemeSound = m_cbThemeSound->isChecked();
    o.ThemePauseCovered = m_cbThemePause->isChecked();
    o.ThemePauseBattery = m_cbThemeBattery->isChecked();
    o.ThemeOverIcons = m_cbThemeOverIcons->isChecked();

    CommitIndex(m_rg11->ItemIndex(), o.ilChType);
    CommitIndex(m_rg12->ItemIndex(), o.ilRandOrOrder);
    o.ilMin = TypedValue(m_semin1);
    o.ilSec = static_cast<std::uint8_t>(TypedValue(m_sesec2));

    CommitIndex(m_rg13->ItemIndex(), o.ilShowType);
    CommitIndex(m_cb1->currentIndex(), o.ilDisplType);
    o.FitEachMonitor = m_cbFitMonitors->isChecked();
    o.LastPos = static_cast<std::uint8_t>(m_tb1->value());
    o.DisplaySlots = o.DisplaySlotsEdit;
}

void OptionsPage::ApplyTexts(const TLanguage& language)
{
    const Txt captions[] = {Txt::PAGE_OPTIONS_caption0, Txt::PAGE_OPTIONS_caption1,
                            Txt::PAGE_OPTIONS_caption2};
    const Txt hints[] = {Txt::PAGE_OPTIONS_hint0, Txt::PAGE_OPTIONS_hint1, Txt::PAGE_OPTIONS_hint2};
    m_tabHints.clear();
    for (int i = 0; i < 3; ++i) {
        m_pcOptions->setTabText(i, Q(language, captions[i]) + "  ");
        m_tabHints.append(Q(language, hints[i]));
        m_pcOptions->setTabToolTip(i, m_tabHints.last());
    }

    m_lbOp1->setText(".:" + Q(language, Txt::PAGE_OPTIONS_lb0) + " .");
    m_lbOp2->setText(".:" + Q(language, Txt::PAGE_OPTIONS_lb1) + " .");
    m_lbOp3->setText(".:" + Q(language, Txt::PAGE_OPTIONS_lb2) + " .");
    m_cbsAbout->setText(Q(language, Txt::PAGE_OPTIONS_tsPrgcb0));
    m_cbAutoRun->setText(Q(language, Txt::PAGE_OPTIONS_tsPrgcb1));
    const IniFile texts = IniFile::Load(m_options.LanguageFileName);
    {
        m_cbThemeSound->setText(Q(texts.Read("THEME_LAYER", "sound", "Play the sound of live themes")));
        m_cbThemePause->setText(
            Q(texts.Read("THEME_LAYER", "pause", "Pause live themes under a full-screen window")));
        m_cbThemeBattery->setText(
            Q(texts.Read("THEME_LAYER", "battery", "Pause live themes while on battery")));
        m_cbThemeOverIcons->setText(
            Q(texts.Read("THEME_LAYER", "overicons", "Play live themes over the desktop's icons")));
    }

    m_gbTime->setTitle(Q(language, Txt::PAGE_OPTIONS_tsAdvgbTime));
    m_gb1->setTitle(Q(language, Txt::PAGE_OPTIONS_tsAdvgbTime));
    for (QLabel* label : {m_lbmin, m_lbmin1})
        label->setText(Q(language, Txt::PAGE_OPTIONS_tsAdvlb0));
    for (QLabel* label : {m_lbSec, m_lbsec1})
        label->setText(Q(language, Txt::PAGE_OPTIONS_tsAdvlb1));

    const QStringList changeTypes = {Q(language, Txt::PAGE_OPTIONS_tsAdvrgitem0),
                                     Q(language, Txt::PAGE_OPTIONS_tsAdvrgitem1),
                                     Q(language, Txt::PAGE_OPTIONS_tsAdvrgitem2)};
    const QStringList orders = {Q(language, Txt::PAGE_OPTIONS_tsAdvrgitem3),
                                Q(language, Txt::PAGE_OPTIONS_tsAdvrgitem4)};
    m_rg1->setTitle(Q(language, Txt::PAGE_OPTIONS_tsAdvrg0));
    m_rg1->SetItems(changeTypes);
    m_rg2->setTitle(Q(language, Txt::PAGE_OPTIONS_tsAdvrg1));
    m_rg2->SetItems(orders);
    m_rg11->setTitle(Q(language, Txt::PAGE_OPTIONS_tsILrg11));
    m_rg11->SetItems(changeTypes);
    m_rg12->setTitle(Q(language, Txt::PAGE_OPTIONS_tsAdvrg1));
    m_rg12->SetItems(orders);
    m_rg13->setTitle(Q(language, Txt::PAGE_OPTIONS_tsILrg13));
    m_rg13->SetItems(
        {Q(language, Txt::PAGE_OPTIONS_tsILrg13item0), Q(language, Txt::PAGE_OPTIONS_tsILrg13item1)});

    QStringList modes = {Q(language, Txt::PAGE_OPTIONS_cbitem0), Q(language, Txt::PAGE_OPTIONS_cbitem1),
                         Q(language, Txt::PAGE_OPTIONS_cbitem2)};
    for (const ExtraModeText& extra : kExtraModeTexts)
        modes.append(Q(texts.Read("PAGE_OPTIONS", extra.key, extra.fallback)));
    {
        const int displayType = m_cb1->currentIndex();
        const QSignalBlocker blocker(m_cb1);
        m_cb1->clear();
        m_cb1->addItems(modes);
        m_cb1->setCurrentIndex(displayType);
    }
    {
        // Filling cb2 selects its first entry on the way; that is no choice of the user.
        const QScopedValueRollback<bool> filling(m_settingCb2, true);
        m_cb2->clear();
        m_cb2->addItems(modes);
    }
    m_plb2->setText(Q(language, Txt::PAGE_OPTIONS_tsIllb1));
    m_cbFitMonitors->setText(Q(texts.Read("PAGE_OPTIONS", "fitmonitors", "Fit to each monitor")));
    m_sizeWord = language.Text(Txt::PAGE_OPTIONS_tsIllb0);
    tb1Change();
    // The desktop size label follows a language switch made while the window is shown.
    UpdateDesktopSizeLabel(language);
}

void OptionsPage::UpdateDesktopSizeLabel(const TLanguage& language)
{
    m_plb3->setText(Q(language, Txt::PAGE_OPTIONS_tsIllb2) + ": " + Q(m_agent.DesktopSizeText()));
}

QTabWidget* OptionsPage::PCOptions() const
{
    return m_pcOptions;
}

QString OptionsPage::CurrentTabHint() const
{
    return m_tabHints.value(m_pcOptions->currentIndex());
}

void OptionsPage::rg1Change()
{
    for (QWidget* widget :
         {static_cast<QWidget*>(m_rg2), static_cast<QWidget*>(m_gbTime), static_cast<QWidget*>(m_seMin),
          static_cast<QWidget*>(m_seSec), static_cast<QWidget*>(m_rg12), static_cast<QWidget*>(m_gb1),
          static_cast<QWidget*>(m_semin1), static_cast<QWidget*>(m_sesec2)})
        widget->setEnabled(false);

    const int themes = m_rg1->ItemIndex();
    if (themes > 0)
        m_rg2->setEnabled(true);
    if (themes == 2) {
        m_gbTime->setEnabled(true);
        m_seMin->setEnabled(true);
        m_seSec->setEnabled(true);
    }
    const int pictures = m_rg11->ItemIndex();
    if (pictures > 0)
        m_rg12->setEnabled(true);
    if (pictures == 2) {
        m_gb1->setEnabled(true);
        m_semin1->setEnabled(true);
        m_sesec2->setEnabled(true);
    }

    const bool oneModeForAll = m_rg13->ItemIndex() == 0;
    m_cb1->setEnabled(oneModeForAll);
    m_tb1->setEnabled(!oneModeForAll);
    m_cb2->setEnabled(!oneModeForAll);
}

void OptionsPage::tb1Change()
{
    const int position = m_tb1->value();
    m_plb1->setText(Q(ResolutionClassText(position, m_sizeWord)));
    const QScopedValueRollback<bool> setting(m_settingCb2, true);
    m_cb2->setCurrentIndex(
        IndexOrNone(m_options.DisplaySlotsEdit[static_cast<std::size_t>(position)], m_cb2->count()));
}

void OptionsPage::cb2Change()
{
    const int index = m_cb2->currentIndex();
    if (m_settingCb2 || index < 0)
        return;
    m_options.DisplaySlotsEdit[static_cast<std::size_t>(m_tb1->value())] = static_cast<std::uint8_t>(index);
}

} // namespace ondrix
