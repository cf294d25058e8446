#pragma once

#include "language/language.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class QLabel;
class QStatusBar;

namespace ondrix {

// A path written with backslashes, as the status texts name the program's folders
// ("..\\imgLists\\"), in the separators of this system.
std::string DisplayPath(std::string_view path);

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
// Panels 0 and 1 have the widths they are given; the last one takes what is left of the
// bar up to its own width, so that no panel covers another. A text longer than its panel
// is cut with an ellipsis and shown whole as the panel's tooltip.
class StatusPanels : public QObject
{
    Q_OBJECT
public:
    explicit StatusPanels(QStatusBar* bar);

    void SetText(int panel, const QString& text);
    // The whole text, also when the panel shows it cut.
    QString Text(int panel) const;
    void SetWidths(const std::array<int, 3>& widths);
    // The width the panel has on the bar.
    int Width(int panel) const;

private:
    std::array<QLabel*, 3> m_panels{};
};

} // namespace ondrix
