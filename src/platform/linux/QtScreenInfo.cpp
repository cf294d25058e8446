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

} // namespace ondrix
