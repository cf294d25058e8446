#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ondrix {

// Text for a line protocol: "%", the control characters and DEL are written as "%XX", so that
// a path or a message never breaks its line.
std::string EscapeText(std::string_view text);
// Nothing when a "%" is not followed by two hexadecimal digits.
std::optional<std::string> UnescapeText(std::string_view text);

} // namespace ondrix
