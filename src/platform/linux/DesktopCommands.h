#pragma once

#include "platform/ScreenInfo.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Pure builders of the command lines the desktop backends run, and parsers of what the tools
// print. Nothing here runs a program.
namespace ondrix {

using Argv = std::vector<std::string>;

// "file://" + the path with every byte but the unreserved ones and "/" percent-encoded.
std::string FileUri(std::string_view path);
// The path of a file:// URI (host empty or "localhost"), percent-decoded; any other text is
// returned as it is.
std::string PathFromUri(std::string_view uri);
// Turns every "%XX" into its byte.
std::string PercentDecode(std::string_view text);

// ---- gsettings ----
// A GVariant text literal of a string ('...' with \ ' and control characters escaped).
std::string GVariantString(std::string_view text);
// The string of a GVariant text literal as gsettings prints it ('...' or "..."); text that is
// not a literal is returned trimmed.
std::string ParseGVariantString(std::string_view text);

Argv GsettingsGet(const std::string& schema, const std::string& key);
// value is GVariant text (see GVariantString).
Argv GsettingsSet(const std::string& schema, const std::string& key, const std::string& value);
Argv GsettingsListKeys(const std::string& schema);
// The key's default: gsettings on an empty in-memory store, which holds no value of the user.
Argv GsettingsGetDefault(const std::string& schema, const std::string& key);
// Takes the user's value away, so the key follows its default again.
Argv GsettingsReset(const std::string& schema, const std::string& key);

// picture-options for the two values: none for no picture, wallpaper for tiled, spanned for a
// picture that covers the whole desktop (so a desktop of several monitors is not centred on
// each), else centered.
std::string GsettingsPictureOptions(bool empty, bool tiled, std::optional<DesktopSize> pictureSize,
                                    std::optional<DesktopSize> desktopSize);

// ---- xfconf ----
inline constexpr const char* kXfceChannel = "xfce4-desktop";
Argv XfconfList();
Argv XfconfGet(const std::string& property);
Argv XfconfSetString(const std::string& property, const std::string& value);
Argv XfconfSetInt(const std::string& property, int value);
Argv XfconfReset(const std::string& property);
// The "/backdrop/screenN/monitorX/workspaceN/" prefixes of the listing, in listing order.
std::vector<std::string> XfceWorkspacePrefixes(std::string_view listing);
// The "/backdrop/screenN/monitorX/" prefixes of the listing (of any property below them).
std::vector<std::string> XfceMonitorPrefixes(std::string_view listing);
// image-style: 0 none, 1 centred, 2 tiled.
int XfceImageStyle(bool empty, bool tiled);

// ---- KDE Plasma ----
// A double-quoted JavaScript string literal.
std::string JsString(std::string_view text);
// Sets every desktop's image wallpaper; image is a URI or empty, fillMode 3 tiles, 6 centres.
std::string KdeWriteScript(const std::string& image, int fillMode);
// Prints a line "plugin<TAB>fillMode<TAB>encoded image" for each desktop.
std::string KdeReadScript();
struct KdeDesktopState
{
    std::string plugin;
    std::string fillMode;
    std::string image;
    friend bool operator==(const KdeDesktopState&, const KdeDesktopState&) = default;
};
std::vector<KdeDesktopState> ParseKdeReadOutput(std::string_view printed);
// Brings every desktop back to its saved plugin, image and fill mode, by index.
std::string KdeRestoreScript(const std::vector<KdeDesktopState>& desktops);
// The call of evaluateScript through gdbus, or through qdbus when gdbus is not there.
Argv KdeEvaluateGdbus(const std::string& script);
Argv KdeEvaluateQdbus(const std::string& program, const std::string& script);
// The printed text of the script from gdbus' "('text',)" or qdbus' plain output.
std::string ParseEvaluateOutput(std::string_view output);

// ---- wlroots ----
// Whether a path reaches sway's command parser unchanged (swaymsg joins its arguments and sway
// splits and expands them again, so only plain characters are safe there).
bool SwaySafePath(std::string_view path);
Argv SwaymsgBackground(const std::string& path, bool tiled);
Argv SwaybgCommand(const std::string& path, bool tiled);

} // namespace ondrix
