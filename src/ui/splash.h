#pragma once

#include <QDialog>

class QTimer;

namespace ondrix {

// The start screen: the banner alone, on top of everything, for three seconds.
class TfSplash : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kShowMilliseconds = 3000;

    explicit TfSplash(QWidget* parent = nullptr);

    // Shows the start screen and returns when it has closed itself.
    static void ShowModalSplash();
    // The start-up step: the start screen only when the options ask for it. True when shown.
    static bool ShowAtStartup(bool showAboutWindow);

    // The timer's only tick: the start screen closes.
    void Timer1Timer();
    QTimer* Timer1() const { return m_timer; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QTimer* m_timer = nullptr;
};

} // namespace ondrix
