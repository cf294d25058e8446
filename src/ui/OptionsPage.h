#pragma once

#include "language/language.h"

#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QSlider;
class QSpinBox;
class QTabWidget;

namespace ondrix {

struct TOptions;
class TRAgent;
class RadioGroup;

// The options page of the main window: the program, desktop themes and slide-show tabs.
// It shows the options record and writes it back only when told to (CommitOptionsPage);
// the display-slot edits alone go into the record's working copy at once.
class OptionsPage : public QWidget
{
    Q_OBJECT
public:
    OptionsPage(TOptions& options, TRAgent& agent, QWidget* parent = nullptr);

    // Every control from the record, then the enabling rules. Unconfirmed edits are lost,
    // except those of the display slots, which live in DisplaySlotsEdit.
    void LoadOptionsPage();
    // Every control into its field; DisplaySlots := DisplaySlotsEdit.
    void CommitOptionsPage();
    // The texts of the table come from language; those of the live theme layer from the
    // record's current language file.
    void ApplyTexts(const TLanguage& language);
    void UpdateDesktopSizeLabel(const TLanguage& language);

    QTabWidget* PCOptions() const;
    QString CurrentTabHint() const;

    // The shared handler of rg1, rg11 and rg13: enables what their selections allow.
    void rg1Change();
    // The size-class track bar moved: its class text and that class's display mode.
    void tb1Change();
    // A display mode was chosen for the class under the track bar.
    void cb2Change();

private:
    QWidget* BuildProgramTab();
    QWidget* BuildThemesTab();
    QWidget* BuildSlideShowTab();

    TOptions& m_options;
    TRAgent& m_agent;

    QTabWidget* m_pcOptions = nullptr;
    QWidget* m_tsPrg = nullptr;
    QWidget* m_tsAdv = nullptr;
    QWidget* m_tsSlS = nullptr;

    QLabel* m_lbOp1 = nullptr;
    QCheckBox* m_cbsAbout = nullptr;
    QCheckBox* m_cbAutoRun = nullptr;

    QLabel* m_lbOp2 = nullptr;
    RadioGroup* m_rg1 = nullptr;
    RadioGroup* m_rg2 = nullptr;
    QGroupBox* m_gbTime = nullptr;
    QSpinBox* m_seMin = nullptr;
    QSpinBox* m_seSec = nullptr;
    QLabel* m_lbmin = nullptr;
    QLabel* m_lbSec = nullptr;
    QCheckBox* m_cbThemeSound = nullptr;
    QCheckBox* m_cbThemePause = nullptr;
    QCheckBox* m_cbThemeBattery = nullptr;
    QCheckBox* m_cbThemeOverIcons = nullptr;

    QLabel* m_lbOp3 = nullptr;
    RadioGroup* m_rg11 = nullptr;
    RadioGroup* m_rg12 = nullptr;
    QGroupBox* m_gb1 = nullptr;
    QSpinBox* m_semin1 = nullptr;
    QSpinBox* m_sesec2 = nullptr;
    QLabel* m_lbmin1 = nullptr;
    QLabel* m_lbsec1 = nullptr;
    RadioGroup* m_rg13 = nullptr;
    QComboBox* m_cb1 = nullptr;
    QSlider* m_tb1 = nullptr;
    QLabel* m_plb1 = nullptr;
    QLabel* m_plb2 = nullptr;
    QComboBox* m_cb2 = nullptr;
    QLabel* m_plb3 = nullptr;
    QCheckBox* m_cbFitMonitors = nullptr;

    std::string m_sizeWord; // PAGE_OPTIONS/tsIllb0 of the language last applied
    QStringList m_tabHints;
    bool m_settingCb2 = false; // cb2 is being filled or set by the page itself
};

} // namespace ondrix
