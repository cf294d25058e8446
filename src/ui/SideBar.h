#pragma once

#include "language/language.h"

#include <QWidget>

#include <array>

class QLabel;
class QToolButton;

namespace ondrix {

// The column of five large buttons on the left of the main window. Each button's tag
// (0 to 4, top to bottom) chooses its page, or help for the last one, and its hover text.
class SideBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kButtonCount = 5;

    explicit SideBar(QWidget* parent = nullptr);

    void ApplyTexts(const TLanguage& language);
    QToolButton* ButtonByTag(int tag) const;
    static int TagOf(const QObject* button);

signals:
    // Any side button clicked; the main window's b5Click decides by the tag.
    void buttonClicked(int tag);

private:
    std::array<QToolButton*, kButtonCount> m_buttons{}; // by tag
    std::array<QLabel*, kButtonCount> m_labels{};       // by tag
};

} // namespace ondrix
