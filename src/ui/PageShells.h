#pragma once

#include "language/language.h"

#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QToolButton;
class QTreeWidget;
class QVBoxLayout;

namespace ondrix {

class ColumnLimits;

// A strip of small white lettering on the active-caption colour, 12 pixels high.
QLabel* MakeCaptionStrip(QWidget* parent, const char* objectName);

// A page of the main window: a 17-pixel title strip with right-aligned lettering across
// the top, and the page's own content below it.
class TitledPage : public QWidget
{
    Q_OBJECT
public:
    TitledPage(const char* pageName, const char* titleName, QWidget* parent = nullptr);

    // ":: " + title + "::"
    void SetTitle(const std::string& title);
    QVBoxLayout* Body() const { return m_body; }

private:
    QLabel* m_title = nullptr;
    QVBoxLayout* m_body = nullptr;
};

// Page 0, the desktop themes.
class ThemesPage : public TitledPage
{
    Q_OBJECT
public:
    explicit ThemesPage(QWidget* parent = nullptr);

    void ApplyTexts(const TLanguage& language);
    int ThemeCount() const;
    QTreeWidget* lvAdvanc() const { return m_lvAdvanc; }
    ColumnLimits& Columns() const { return *m_columns; }

private:
    QLabel* m_caption = nullptr;
    QTreeWidget* m_lvAdvanc = nullptr;
    ColumnLimits* m_columns = nullptr;
};

// Page 3, the theme creation.
class CreatorPage : public TitledPage
{
    Q_OBJECT
public:
    explicit CreatorPage(QWidget* parent = nullptr);
    void ApplyTexts(const TLanguage& language);
};

// Page 4, the theme report, with its back button.
class ReportPage : public TitledPage
{
    Q_OBJECT
public:
    explicit ReportPage(QWidget* parent = nullptr);

    void ApplyTexts(const TLanguage& language);
    // The name of the theme described; the report is filled by the themes page.
    std::string ThemeName() const { return m_themeName; }
    QToolButton* prepBBack() const { return m_back; }

signals:
    void backClicked();

private:
    QToolButton* m_back = nullptr;
    std::string m_themeName;
};

} // namespace ondrix
