#include "Placement.h"

namespace ondrix {

namespace {

// value x size / 100, rounded; the order of the operations is the page's.
int PercentOf(double percent, int size)
{
    return static_cast<int>(RoundHalfEven(percent * size / 100));
}

// The rectangle's top-left corner along one axis for a pointer at point: one pixel past the
// pointer, but never before the preview's start nor past its end. A pointer exactly at the
// last place puts the corner one pixel beyond it, as the page always did.
int DraggedEdge(int point, int previewSize, int rectSize)
{
    if (point < 0)
        return 0;
    if (point > previewSize - rectSize)
        return previewSize - rectSize;
    return point + 1;
}

// numerator / denominator rounded, the product taken in integers and the division in floating
// point; a preview of no size has its corner at 0.
int ScaledRounded(long long numerator, int denominator)
{
    if (denominator <= 0)
        return 0;
    return static_cast<int>(RoundHalfEven(static_cast<double>(numerator) / denominator));
}

} // namespace

double ClampPercent(double value)
{
    // "Not at least 1" rather than "below 1", so that a value that is not a number becomes 1.
    if (!(value >= 1))
        value = 1;
    if (value > 100)
        value = 100;
    return value;
}

PlacementRect SizedPlacement(PlacementRect rect, PreviewSize preview, double widthPercent,
                             double heightPercent)
{
    rect.Width = PercentOf(widthPercent, preview.Width);
    rect.Height = PercentOf(heightPercent, preview.Height);
    return rect;
}

PlacementRect ResizePlacement(PlacementRect rect, PreviewSize preview, double widthPercent,
                              double heightPercent)
{
    widthPercent = ClampPercent(widthPercent);
    heightPercent = ClampPercent(heightPercent);
    // Moved back with the size it has now, before it takes the new one.
    if (rect.Left + rect.Width > preview.Width)
        rect.Left = preview.Width - rect.Width;
    if (rect.Top + rect.Height > preview.Height)
        rect.Top = preview.Height - rect.Height;
    return SizedPlacement(rect, preview, widthPercent, heightPercent);
}

bool DragPlacement(PlacementRect& rect, PreviewSize preview, PreviewPoint point, bool leftButtonHeld,
                   PreviewPoint& lastDragPoint)
{
    if (!leftButtonHeld || point == lastDragPoint)
        return false;
    rect.Left = DraggedEdge(point.X, preview.Width, rect.Width);
    rect.Top = DraggedEdge(point.Y, preview.Height, rect.Height);
    lastDragPoint = point;
    return true;
}

PreviewPoint ScreenPlacement(const PlacementRect& rect, PreviewSize preview, DesktopSize desktop)
{
    return {ScaledRounded(static_cast<long long>(desktop.width) * rect.Left, preview.Width),
            ScaledRounded(static_cast<long long>(desktop.height) * rect.Top, preview.Height)};
}

std::string PlacementLabel(const std::string& caption, PreviewPoint screen)
{
    return caption + ": X=" + std::to_string(screen.X) + "  Y=" + std::to_string(screen.Y);
}

FlashPosition PlacementPercent(const PlacementRect& rect, PreviewSize preview)
{
    auto percent = [](int offset, int size) {
        return size <= 0 ? 0 : static_cast<int>(RoundHalfEven(static_cast<double>(offset) / size * 100));
    };
    return {percent(rect.Left, preview.Width), percent(rect.Top, preview.Height)};
}

} // namespace ondrix
