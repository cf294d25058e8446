#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ondrix {

// How much of a message a message box shows at each end; a message built around a path of
// megabytes would otherwise take the window seconds to lay out.
inline constexpr std::size_t kShownTextEnd = 120;

// text itself when it has at most 2 * keep + 1 characters; else its first keep and last
// keep characters (UTF-8 sequences counted as one and never cut) with "…" between, so that
// both the start of a long path and its file name stay readable.
std::string ShortenForDisplay(std::string_view text, std::size_t keep = kShownTextEnd);

} // namespace ondrix
