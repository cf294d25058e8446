#pragma once

#include "language/language.h"

#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QToolButton;
class QVBoxLayout;

namespace ondrix {

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

// Page 4, the theme report, with its back button.
class ReportPage : public TitledPage
{
    Q_OBJECT
public:
    explicit ReportPage(QWidget* parent = nullptr);

    void ApplyTexts(const TLanguage& language);
    // The name of the theme described and the report's text, made by the themes page.
    void ShowReport(const QString& themeName, const QString& text);
    std::string ThemeName() const { return m_themeName; }
    QToolButton* prepBBack() const { return m_back; }
    QPlainTextEdit* RMemo() const { return m_memo; }

signals:
    void backClicked();

private:
    QToolButton* m_back = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    std::string m_themeName;
};

} // namespace ondrix
