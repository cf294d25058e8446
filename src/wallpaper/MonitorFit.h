#pragma once

#include "Bitmap.h"
#include "DisplayMode.h"
#include "platform/ScreenInfo.h"

#include <vector>

namespace ondrix {

// Whether the monitors call for a picture of their own on each: more than one, or one that
// leaves part of the desktop uncovered. One monitor that is the whole desktop does not.
bool NeedsMonitorFit(const std::vector<MonitorRect>& monitors, DesktopSize desktop);

// The size a picture of the full size need not be decoded beyond to be placed on every
// monitor by mode: the largest size any of them scales it to. {0, 0} (the full size) for the
// modes that keep the picture's own size.
PictureSize MonitorDecodeSize(PictureSize full, DisplayMode mode, const std::vector<MonitorRect>& monitors);

// A bitmap of the desktop's size holding the picture placed on every monitor as it would be
// placed on a desktop of that monitor's size: stretched to it, centred in it, tiled from its
// top left corner (a centred or tiled picture larger than the monitor either way is stretched
// to it), filled (cropped) or fitted (black bands).
// What no monitor shows is black. full is the size of the picture in its file, which fixes
// the fill and fit placements; picture may have been decoded smaller (see MonitorDecodeSize).
// The monitors lie inside the desktop (see UsableMonitors). Throws as the fitting functions do.
Bitmap FitToMonitors(const Bitmap& picture, PictureSize full, DisplayMode mode, DesktopSize desktop,
                     const std::vector<MonitorRect>& monitors);

} // namespace ondrix
