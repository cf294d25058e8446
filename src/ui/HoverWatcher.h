#pragma once

#include <QObject>

class QWidget;

namespace ondrix {

// Reports the pointer entering and leaving the widgets it watches.
class HoverWatcher : public QObject
{
    Q_OBJECT
public:
    explicit HoverWatcher(QObject* parent = nullptr);

    void Watch(QWidget* widget);

signals:
    void entered(QWidget* widget);
    void left(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace ondrix
