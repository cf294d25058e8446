#include "Paths.h"

namespace ondrix {

std::string AppPath(const std::string& appDir, std::string_view literal)
{
    std::string result = appDir;
    result.reserve(appDir.size() + literal.size());
    for (char c : literal) {
#ifdef _WIN32
        result += c;
#else
        result += c == '\\' ? '/' : c;
#endif
    }
    return result;
}

std::string FileNamePart(std::string_view path)
{
    const auto cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

} // namespace ondrix
