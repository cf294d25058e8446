#pragma once

#include <QColor>

namespace ondrix {

// The program's own colours of the start screen and the About window.
inline const QColor kAboutBodyColour{77, 102, 92};
inline const QColor kAboutFrameColour{50, 68, 61};

} // namespace ondrix
