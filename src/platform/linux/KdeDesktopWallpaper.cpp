#include "KdeDesktopWallpaper.h"

#include "DesktopCommands.h"
#include "platform/CommandRunner.h"
#include "core/Errors.h"

#include <sstream>

namespace ondrix {

namespace {

constexpr const char* kStateHeader = "plasma";
constexpr const char* kImagePlugin = "org.kde.image";

std::string Trimmed(const std::string& text)
{
    const auto end = text.find_last_not_of(" \t\r\n");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// Percent-encoding keeps each field on one line without tabs.
std::string Encode(const std::string& text)
{
    return FileUri(text).substr(7);
}

} // namespace

std::string KdeDesktopWallpaper::Evaluate(const std::string& script)
{
    Argv argv;
    if (m_runner.IsInstalled("gdbus")) {
        argv = KdeEvaluateGdbus(script);
    } else {
        for (const char* qdbus : {"qdbus6", "qdbus", "qdbus-qt5"}) {
            if (m_runner.IsInstalled(qdbus)) {
                argv = KdeEvaluateQdbus(qdbus, script);
                break;
            }
        }
    }
    if (argv.empty())
        throw PlatformError(
            "Neither gdbus nor qdbus is installed; one of them is needed to set the KDE Plasma "
            "wallpaper (Debian package libglib2.0-bin)");
    const auto result = m_runner.Run(argv);
    if (result.exitCode != 0)
        throw PlatformError("The Plasma shell did not run the wallpaper script (is plasmashell running?): " +
                            Trimmed(result.err));
    return ParseEvaluateOutput(result.out);
}

DesktopWallpaper::Values KdeDesktopWallpaper::Read()
{
    const auto desktops = ParseKdeReadOutput(Evaluate(KdeReadScript()));
    if (desktops.empty() || desktops.front().plugin != kImagePlugin)
        return {"", "0"};
    const auto& first = desktops.front();
    return {PathFromUri(first.image), first.fillMode == "3" ? "1" : "0"};
}

void KdeDesktopWallpaper::Write(const Values& values)
{
    const bool empty = values.wallpaper.empty();
    const std::string image = empty ? std::string() : FileUri(values.wallpaper);
    const int fillMode = values.tileWallpaper == "1" ? 3 : 6;
    const auto before = ParseKdeReadOutput(Evaluate(KdeReadScript()));
    // The work file keeps its name; Plasma reloads a picture only when the Image value
    // changes, so an unchanged one is cleared first.
    if (!empty && !before.empty() && before.front().image == image)
        Evaluate(KdeWriteScript("", fillMode));
    Evaluate(KdeWriteScript(image, fillMode));

    const auto after = ParseKdeReadOutput(Evaluate(KdeReadScript()));
    if (after.empty())
        throw PlatformError("The Plasma shell reports no desktop to put the wallpaper on");
    for (const auto& desktop : after) {
        if (desktop.plugin != kImagePlugin || desktop.image != image ||
            desktop.fillMode != std::to_string(fillMode))
            throw PlatformError("The Plasma shell did not take the wallpaper: a desktop shows \"" +
                                desktop.image + "\" with the " + desktop.plugin + " plugin");
    }
}

std::string KdeDesktopWallpaper::SaveState()
{
    std::string state = std::string(kStateHeader) + "\n";
    for (const auto& desktop : ParseKdeReadOutput(Evaluate(KdeReadScript())))
        state +=
            Encode(desktop.plugin) + "\t" + Encode(desktop.fillMode) + "\t" + Encode(desktop.image) + "\n";
    return state;
}

void KdeDesktopWallpaper::RestoreState(const std::string& state)
{
    std::istringstream lines(state);
    std::string line;
    if (!std::getline(lines, line) || line != kStateHeader) {
        DesktopWallpaper::RestoreState(state);
        return;
    }
    std::string rest((std::istreambuf_iterator<char>(lines)), std::istreambuf_iterator<char>());
    std::vector<KdeDesktopState> desktops;
    for (auto desktop : ParseKdeReadOutput(rest)) {
        desktop.plugin = PercentDecode(desktop.plugin);
        desktop.fillMode = PercentDecode(desktop.fillMode);
        desktops.push_back(std::move(desktop)); // the image field is decoded by the parser
    }
    if (!desktops.empty())
        Evaluate(KdeRestoreScript(desktops));
}

} // namespace ondrix
