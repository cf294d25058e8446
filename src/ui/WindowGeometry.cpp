#include "WindowGeometry.h"

namespace ondrix {

namespace {
int Scaled(int outerWidth, int design)
{
    return outerWidth * design / kMinimumOuterWidth;
}
} // namespace

ResizeWidths ComputeResizeWidths(int outerWidth)
{
    ResizeWidths widths;
    for (std::size_t i = 0; i < 3; ++i) {
        widths.themeColumns[i] = Scaled(outerWidth, kThemeColumnsDesign[i]);
        widths.listColumns[i] = Scaled(outerWidth, kListColumnsDesign[i]);
    }
    widths.statusPanels = {Scaled(outerWidth, 320), Scaled(outerWidth, 150), Scaled(outerWidth, 150)};
    // Keeps the confirm button at the toolbar's right end.
    widths.toolBarSpacer = outerWidth - 190;
    return widths;
}

} // namespace ondrix
