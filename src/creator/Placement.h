#pragma once

#include "platform/ScreenInfo.h"
#include "themes/ThemePackage.h"

#include <string>

namespace ondrix {

// The placement preview of the creation page: a small picture of the desktop (PW x PH) with
// the rectangle where the movie will play (RL, RT, RW, RH), all in preview pixels.
struct PreviewSize
{
    int Width = 221;
    int Height = 137;
};

struct PlacementRect
{
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

struct PreviewPoint
{
    int X = 0;
    int Y = 0;
    bool operator==(const PreviewPoint&) const = default;
};

// A spin value brought into 1..100.
double ClampPercent(double value);

// A change of either spin box: the rectangle is first moved back inside the preview by its
// present size, then given the new size (so one that has just grown may reach past the
// right or bottom edge until the next change).
PlacementRect ResizePlacement(PlacementRect rect, PreviewSize preview, double widthPercent, double heightPercent);

// The rectangle's size for the spin values, rounded halves to even.
PlacementRect SizedPlacement(PlacementRect rect, PreviewSize preview, double widthPercent, double heightPercent);

// A pointer move over the preview at (x, y) in preview coordinates. Returns true when the
// rectangle moved (left button held and a new point); lastDragPoint is updated then.
bool DragPlacement(PlacementRect& rect, PreviewSize preview, PreviewPoint point, bool leftButtonHeld,
                   PreviewPoint& lastDragPoint);

// The rectangle's top-left corner in screen pixels: DW x RL / PW and DH x RT / PH, rounded.
PreviewPoint ScreenPlacement(const PlacementRect& rect, PreviewSize preview, DesktopSize desktop);

// caption2 + ": X=" + x + "  Y=" + y
std::string PlacementLabel(const std::string& caption, PreviewPoint screen);

// The placement the start page is written with: RL / PW x 100 and RT / PH x 100, rounded.
FlashPosition PlacementPercent(const PlacementRect& rect, PreviewSize preview);

} // namespace ondrix
