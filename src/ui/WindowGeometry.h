#pragma once

#include <array>

namespace ondrix {

// The main window's design sizes, in device-independent pixels.
inline constexpr int kDesignClientWidth = 612;
inline constexpr int kDesignClientHeight = 443;
inline constexpr int kMinimumOuterWidth = 620;
inline constexpr int kMinimumOuterHeight = 470;
// The frame the layout was drawn around: the outer size less the client size.
inline constexpr int kDesignFrameWidth = kMinimumOuterWidth - kDesignClientWidth;

inline constexpr std::array<int, 3> kThemeColumnsDesign{150, 100, 253};
inline constexpr std::array<int, 3> kListColumnsDesign{150, 100, 250};
inline constexpr std::array<int, 2> kPictureColumnsFixed{200, 77};

// Widths that follow the window's outer width: every column, panel and the spacer scale
// with W / 620, dropping remainders, so the minimum window has exactly the design widths.
struct ResizeWidths
{
    std::array<int, 3> themeColumns{};
    std::array<int, 3> statusPanels{};
    std::array<int, 3> listColumns{};
    int toolBarSpacer = 0;
};

ResizeWidths ComputeResizeWidths(int outerWidth);

} // namespace ondrix
