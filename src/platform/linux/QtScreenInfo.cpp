#include "QtScreenInfo.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace ondrix {

DesktopSize QtScreenInfo::CurrentDesktopSize() const
{
    QRect logical;
    qreal ratio = 1.0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        logical = logical.united(screen->geometry());
        ratio = std::max(ratio, screen->devicePixelRatio());
    }
    return {static_cast<int>(std::lround(logical.width() * ratio)),
            static_cast<int>(std::lround(logical.height() * ratio))};
}

std::vector<MonitorRect> QtScreenInfo::CurrentMonitors() const
{
    QRect logical;
    qreal ratio = 1.0;
    const auto screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        logical = logical.united(screen->geometry());
        ratio = std::max(ratio, screen->devicePixelRatio());
    }
    std::vector<MonitorRect> monitors;
    for (const QScreen* screen : screens) {
        const QRect g = screen->geometry().translated(-logical.topLeft());
        monitors.push_back({static_cast<int>(std::lround(g.x() * ratio)),
                            static_cast<int>(std::lround(g.y() * ratio)),
                            static_cast<int>(std::lround(g.width() * ratio)),
                            static_cast<int>(std::lround(g.height() * ratio))});
    }
    if (monitors.empty())
        return ScreenInfo::CurrentMonitors();
    return monitors;
}

} // namespace ondrix
