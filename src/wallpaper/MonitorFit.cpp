#include "MonitorFit.h"

#include "Fit.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace ondrix {

namespace {

// The source's pixels from (sourceX, sourceY) on, width x height of them, into target at
// (targetX, targetY).
void CopyBlock(const Bitmap& source, int sourceX, int sourceY, int width, int height, Bitmap& target,
               int targetX, int targetY)
{
    const std::size_t bytes = std::size_t(width) * Bitmap::kBytesPerPixel;
    for (int row = 0; row < height; ++row)
        std::memcpy(target.Row(targetY + row) + std::size_t(targetX) * Bitmap::kBytesPerPixel,
                    source.Row(sourceY + row) + std::size_t(sourceX) * Bitmap::kBytesPerPixel, bytes);
}

// Whether a centred or tiled picture of that size keeps it on the monitor.
bool KeepsItsSize(PictureSize full, const MonitorRect& monitor)
{
    return full.width <= monitor.width && full.height <= monitor.height;
}

// The picture at its own size, its centre on the monitor's centre (it fits).
void CentreOn(const Bitmap& picture, const MonitorRect& monitor, Bitmap& desktop)
{
    CopyBlock(picture, 0, 0, picture.Width(), picture.Height(), desktop,
              monitor.x + (monitor.width - picture.Width()) / 2,
              monitor.y + (monitor.height - picture.Height()) / 2);
}

// Copies of the picture side by side from the monitor's top left corner on, cut at its edges.
void TileOn(const Bitmap& picture, const MonitorRect& monitor, Bitmap& desktop)
{
    for (int y = 0; y < monitor.height; y += picture.Height())
        for (int x = 0; x < monitor.width; x += picture.Width())
            CopyBlock(picture, 0, 0, std::min(picture.Width(), monitor.width - x),
                      std::min(picture.Height(), monitor.height - y), desktop, monitor.x + x, monitor.y + y);
}

Bitmap ScaledFor(const Bitmap& picture, PictureSize full, DisplayMode mode, const MonitorRect& monitor)
{
    switch (mode) {
    case DisplayMode::Filled:
        return Fill(picture, FillPlacement(full, monitor.width, monitor.height), monitor.width,
                    monitor.height);
    case DisplayMode::Fitted:
        return FitInside(picture, FitPlacement(full, monitor.width, monitor.height), monitor.width,
                         monitor.height);
    default: // stretched, and centred or tiled pictures larger than the monitor
        return Stretch(picture, monitor.width, monitor.height);
    }
}

} // namespace

bool NeedsMonitorFit(const std::vector<MonitorRect>& monitors, DesktopSize desktop)
{
    return monitors.size() > 1 ||
           (monitors.size() == 1 && monitors.front() != MonitorRect{0, 0, desktop.width, desktop.height});
}

PictureSize MonitorDecodeSize(PictureSize full, DisplayMode mode, const std::vector<MonitorRect>& monitors)
{
    PictureSize largest;
    for (const MonitorRect& monitor : monitors) {
        PictureSize size{monitor.width, monitor.height};
        if ((mode == DisplayMode::Centred || mode == DisplayMode::Tiled) && KeepsItsSize(full, monitor)) {
            return {}; // needed at its own size
        } else if (mode == DisplayMode::Filled) {
            const Placement placement = FillPlacement(full, monitor.width, monitor.height);
            size = {placement.scaledWidth, placement.scaledHeight};
        } else if (mode == DisplayMode::Fitted) {
            const Placement placement = FitPlacement(full, monitor.width, monitor.height);
            size = {placement.scaledWidth, placement.scaledHeight};
        }
        largest.width = std::max(largest.width, size.width);
        largest.height = std::max(largest.height, size.height);
    }
    return largest;
}

Bitmap FitToMonitors(const Bitmap& picture, PictureSize full, DisplayMode mode, DesktopSize desktop,
                     const std::vector<MonitorRect>& monitors)
{
    if (picture.Empty())
        throw std::invalid_argument("FitToMonitors: empty picture");
    for (const MonitorRect& monitor : monitors)
        if (monitor.width < 1 || monitor.height < 1 || monitor.x < 0 || monitor.y < 0 ||
            monitor.x > desktop.width - monitor.width || monitor.y > desktop.height - monitor.height)
            throw std::invalid_argument("FitToMonitors: a monitor outside the desktop");
    Bitmap result(desktop.width, desktop.height,
                  "desktop of " + std::to_string(desktop.width) + "x" + std::to_string(desktop.height));
    result.Fill(0, 0, 0);
    for (const MonitorRect& monitor : monitors) {
        const bool ownSize = (mode == DisplayMode::Centred || mode == DisplayMode::Tiled) &&
                             KeepsItsSize(full, monitor) && KeepsItsSize(picture.Size(), monitor);
        if (ownSize && mode == DisplayMode::Centred) {
            CentreOn(picture, monitor, result);
        } else if (ownSize) {
            TileOn(picture, monitor, result);
        } else {
            const Bitmap scaled = ScaledFor(picture, full, mode, monitor);
            CopyBlock(scaled, 0, 0, monitor.width, monitor.height, result, monitor.x, monitor.y);
        }
    }
    return result;
}

} // namespace ondrix
