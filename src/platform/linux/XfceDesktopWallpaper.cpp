#include "XfceDesktopWallpaper.h"

#include "DesktopCommands.h"
#include "core/Errors.h"
#include "platform/CommandRunner.h"
#include "platform/PictureFiles.h"
#include "platform/ScreenInfo.h"

#include <charconv>
#include <set>
#include <sstream>

namespace ondrix {

namespace {

constexpr const char* kStateHeader = "xfconf";
constexpr const char* kImage = "last-image";
constexpr const char* kStyle = "image-style";
// xfdesktop's image style that lays one picture across all monitors.
constexpr int kSpanningScreens = 6;

std::string Trimmed(const std::string& text)
{
    const auto end = text.find_last_not_of(" \t\r\n");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

int ParseInt(const std::string& text, int fallback)
{
    const std::string trimmed = Trimmed(text);
    int value = fallback;
    const auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    return error == std::errc() && end == trimmed.data() + trimmed.size() ? value : fallback;
}

} // namespace

std::string EscapeStateField(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '\t')
            escaped += "\\t";
        else
            escaped += c;
    }
    return escaped;
}

std::string UnescapeStateField(const std::string& text)
{
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            plain += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

void XfceDesktopWallpaper::EnsureAvailable()
{
    if (m_checked)
        return;
    if (!m_runner.IsInstalled("xfconf-query"))
        throw PlatformError(
            "The program xfconf-query is not installed; it is needed to set the XFCE wallpaper "
            "(Debian package xfconf)");
    m_checked = true;
}

std::string XfceDesktopWallpaper::List()
{
    EnsureAvailable();
    const auto result = m_runner.Run(XfconfList());
    // A channel without properties yet makes xfconf-query fail; that is an empty listing.
    if (result.exitCode != 0) {
        if (result.err.find("does not exist") != std::string::npos ||
            result.err.find("has no properties") != std::string::npos)
            return {};
        throw PlatformError("Cannot list the XFCE desktop settings (is xfconfd running?): " +
                            Trimmed(result.err));
    }
    return result.out;
}

std::optional<std::string> XfceDesktopWallpaper::Get(const std::string& property)
{
    const auto result = m_runner.Run(XfconfGet(property));
    if (result.exitCode != 0)
        return std::nullopt;
    std::string value = result.out;
    if (!value.empty() && value.back() == '\n')
        value.pop_back();
    return value;
}

void XfceDesktopWallpaper::Run(const std::vector<std::string>& argv)
{
    const auto result = m_runner.Run(argv);
    if (result.exitCode != 0)
        throw PlatformError("Cannot change the XFCE desktop setting " + argv.at(4) + ": " +
                            Trimmed(result.err));
}

std::vector<std::string> XfceDesktopWallpaper::TargetPrefixes(const std::string& listing)
{
    auto prefixes = XfceWorkspacePrefixes(listing);
    if (!prefixes.empty())
        return prefixes;
    for (const auto& monitor : XfceMonitorPrefixes(listing))
        prefixes.push_back(monitor + "workspace0/");
    if (prefixes.empty())
        prefixes.push_back("/backdrop/screen0/monitor0/workspace0/");
    return prefixes;
}

DesktopWallpaper::Values XfceDesktopWallpaper::Read()
{
    const auto prefixes = XfceWorkspacePrefixes(List());
    if (prefixes.empty())
        return {"", "0"};
    const int style = ParseInt(Get(prefixes.front() + kStyle).value_or(""), 0);
    Values values;
    if (style != 0)
        values.wallpaper = Get(prefixes.front() + kImage).value_or("");
    values.tileWallpaper = style == 2 ? "1" : "0";
    return values;
}

void XfceDesktopWallpaper::Write(const Values& values)
{
    const bool empty = values.wallpaper.empty();
    int style = XfceImageStyle(empty, values.tileWallpaper == "1");
    if (style == 1 && SpansMonitors(values.wallpaper))
        style = kSpanningScreens;
    const auto prefixes = TargetPrefixes(List());
    for (const auto& prefix : prefixes) {
        if (!empty) {
            // The work file keeps its name: with an unchanged path the desktop would see no
            // change, so the style goes to "none" first and the desktop loads the file afresh.
            if (Get(prefix + kImage) == values.wallpaper)
                Run(XfconfSetInt(prefix + kStyle, 0));
            Run(XfconfSetString(prefix + kImage, values.wallpaper));
        }
        Run(XfconfSetInt(prefix + kStyle, style));
    }
    for (const auto& prefix : prefixes) {
        const int shownStyle = ParseInt(Get(prefix + kStyle).value_or(""), -1);
        const auto shownImage = Get(prefix + kImage);
        if (shownStyle != style || (!empty && shownImage != values.wallpaper))
            throw PlatformError("The XFCE desktop did not take the wallpaper: " + prefix + kImage + " is \"" +
                                shownImage.value_or("") + "\" with " + kStyle + " " +
                                std::to_string(shownStyle));
    }
}

bool XfceDesktopWallpaper::SpansMonitors(const std::string& path) const
{
    if (m_pictures == nullptr || m_screen == nullptr)
        return false;
    const DesktopSize desktop = m_screen->CurrentDesktopSize();
    // Several monitors, or one that leaves part of the desktop uncovered, as the fitting sees them.
    const auto monitors = UsableMonitors(m_screen->CurrentMonitors(), desktop);
    const bool wholeDesktop =
        monitors.size() == 1 && monitors.front() == MonitorRect{0, 0, desktop.width, desktop.height};
    return !monitors.empty() && !wholeDesktop && m_pictures->SizeOf(path) == desktop;
}

std::string XfceDesktopWallpaper::SaveState()
{
    std::string state = std::string(kStateHeader) + "\n";
    for (const auto& prefix : XfceWorkspacePrefixes(List())) {
        if (const auto image = Get(prefix + kImage))
            state += "S\t" + EscapeStateField(prefix + kImage) + "\t" + EscapeStateField(*image) + "\n";
        if (const auto style = Get(prefix + kStyle))
            state += "I\t" + EscapeStateField(prefix + kStyle) + "\t" + Trimmed(*style) + "\n";
    }
    return state;
}

void XfceDesktopWallpaper::RestoreState(const std::string& state)
{
    std::istringstream lines(state);
    std::string line;
    if (!std::getline(lines, line) || line != kStateHeader) {
        DesktopWallpaper::RestoreState(state);
        return;
    }
    std::set<std::string> restored;
    while (std::getline(lines, line)) {
        const auto first = line.find('\t');
        const auto second = first == std::string::npos ? first : line.find('\t', first + 1);
        if (second == std::string::npos)
            continue;
        const std::string kind = line.substr(0, first);
        const std::string property = UnescapeStateField(line.substr(first + 1, second - first - 1));
        const std::string value = line.substr(second + 1);
        if (kind == "S")
            Run(XfconfSetString(property, UnescapeStateField(value)));
        else if (kind == "I")
            Run(XfconfSetInt(property, ParseInt(value, 0)));
        else
            continue;
        restored.insert(property);
    }
    // Properties the program created are removed again.
    for (const auto& prefix : XfceWorkspacePrefixes(List())) {
        for (const char* name : {kImage, kStyle}) {
            const std::string property = prefix + name;
            if (restored.count(property) == 0 && Get(property))
                Run(XfconfReset(property));
        }
    }
}

} // namespace ondrix
