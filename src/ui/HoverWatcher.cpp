#include "HoverWatcher.h"

#include <QEvent>
#include <QWidget>

namespace ondrix {

HoverWatcher::HoverWatcher(QObject* parent) : QObject(parent) {}

void HoverWatcher::Watch(QWidget* widget)
{
    widget->installEventFilter(this);
}

bool HoverWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (auto* widget = qobject_cast<QWidget*>(watched)) {
        if (event->type() == QEvent::Enter)
            emit entered(widget);
        else if (event->type() == QEvent::Leave)
            emit left(widget);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace ondrix
