#pragma once

#include "language/language.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <string>

class QLabel;
class QStatusBar;

namespace ondrix {

// What the status bar describes about each page; gathered from the pages by the window.
struct StatusInputs
{
    int page = 0;
    int themeCount = 0;          // rows of the themes list
    std::string currentTheme;    // cadvTheme
    int listCount = 0;           // rows of the list of image lists
    std::string currentList;     // cIList
    std::string optionsTabHint;  // hint of the options tab shown
    std::string reportThemeName; // theme shown in the report
};

// Panel 0: the page's own description.
std::string StatusPanel0Text(const TLanguage& language, const StatusInputs& inputs);
// Panel 1: the change mode.
std::string StatusPanel1Text(const TLanguage& language, std::uint8_t state);
// Panel 2: the fixed note.
std::string StatusPanel2Text(const TLanguage& language);

// The three text panels of the main window's status bar, numbered 0 to 2 from the left.
class StatusPanels : public QObject
{
    Q_OBJECT
public:
    explicit StatusPanels(QStatusBar* bar);

    void SetText(int panel, const QString& text);
    QString Text(int panel) const;
    void SetWidths(const std::array<int, 3>& widths);
    int Width(int panel) const;

private:
    std::array<QLabel*, 3> m_panels{};
};

} // namespace ondrix
