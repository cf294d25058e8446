#include "DesktopCommands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>

namespace ondrix {

namespace {

bool Unreserved(unsigned char c)
{
    return std::isalnum(c) != 0 || c == '-' || c == '.' || c == '_' || c == '~';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0)
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0)
        text.remove_suffix(1);
    return text;
}

std::string Hex4(unsigned value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04x", value);
    return buffer;
}

// Appends the code point as UTF-8.
void AppendUtf8(std::string& out, unsigned long cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The lines of text, trimmed of white space, or only of a carriage return when trim is false
// (where a tab separates possibly empty fields).
std::vector<std::string_view> Lines(std::string_view text, bool trim = true)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        auto line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(trim ? Trim(line) : line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// The prefix of line up to and including the slash after the component that starts with
// component (for example "monitor"), when the line is /backdrop/screenN/... ; else empty.
std::string BackdropPrefix(std::string_view line, bool withWorkspace)
{
    constexpr std::string_view kStart = "/backdrop/screen";
    if (line.substr(0, kStart.size()) != kStart)
        return {};
    std::size_t pos = kStart.size();
    const auto digitsEnd = line.find('/', pos);
    if (digitsEnd == std::string_view::npos || digitsEnd == pos ||
        !std::all_of(line.begin() + static_cast<long>(pos), line.begin() + static_cast<long>(digitsEnd),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }))
        return {};
    pos = digitsEnd + 1;
    if (line.substr(pos, 7) != "monitor")
        return {};
    const auto monitorEnd = line.find('/', pos);
    if (monitorEnd == std::string_view::npos || monitorEnd == pos + 7)
        return {};
    if (!withWorkspace)
        return std::string(line.substr(0, monitorEnd + 1));
    pos = monitorEnd + 1;
    if (line.substr(pos, 9) != "workspace")
        return {};
    const auto workspaceEnd = line.find('/', pos);
    if (workspaceEnd == std::string_view::npos || workspaceEnd == pos + 9 ||
        !std::all_of(line.begin() + static_cast<long>(pos + 9),
                     line.begin() + static_cast<long>(workspaceEnd),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }))
        return {};
    return std::string(line.substr(0, workspaceEnd + 1));
}

std::vector<std::string> UniquePrefixes(std::string_view listing, bool withWorkspace)
{
    std::vector<std::string> prefixes;
    std::set<std::string> seen;
    for (const auto line : Lines(listing)) {
        auto prefix = BackdropPrefix(line, withWorkspace);
        if (!prefix.empty() && seen.insert(prefix).second)
            prefixes.push_back(std::move(prefix));
    }
    return prefixes;
}

} // namespace

std::string FileUri(std::string_view path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (Unreserved(c) || c == '/') {
            uri += ch;
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 0xF];
        }
    }
    return uri;
}

std::string PercentDecode(std::string_view text)
{
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

std::string PathFromUri(std::string_view uri)
{
    if (uri.substr(0, 8) == "file:///")
        return PercentDecode(uri.substr(7));
    if (uri.substr(0, 17) == "file://localhost/")
        return PercentDecode(uri.substr(16));
    return std::string(uri);
}

std::string GVariantString(std::string_view text)
{
    std::string literal = "'";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
        case '\'':
            literal += "\\'";
            break;
        case '\\':
            literal += "\\\\";
            break;
        case '\n':
            literal += "\\n";
            break;
        case '\r':
            literal += "\\r";
            break;
        case '\t':
            literal += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F)
                literal += "\\u" + Hex4(c);
            else
                literal += ch;
        }
    }
    return literal + "'";
}

std::string ParseGVariantString(std::string_view text)
{
    text = Trim(text);
    if (text.substr(0, 3) == "@s ")
        text = Trim(text.substr(3));
    if (text.size() < 2 || (text.front() != '\'' && text.front() != '"') || text.back() != text.front())
        return std::string(text);
    const std::string_view body = text.substr(1, text.size() - 2);
    std::string value;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\' || i + 1 == body.size()) {
            value += body[i];
            continue;
        }
        const char escaped = body[++i];
        switch (escaped) {
        case 'n':
            value += '\n';
            break;
        case 'r':
            value += '\r';
            break;
        case 't':
            value += '\t';
            break;
        case 'a':
            value += '\a';
            break;
        case 'b':
            value += '\b';
            break;
        case 'f':
            value += '\f';
            break;
        case 'v':
            value += '\v';
            break;
        case 'u':
        case 'U': {
            const std::size_t digits = escaped == 'u' ? 4 : 8;
            unsigned long cp = 0;
            std::size_t used = 0;
            while (used < digits && i + 1 < body.size() && HexValue(body[i + 1]) >= 0) {
                cp = cp * 16 + static_cast<unsigned long>(HexValue(body[++i]));
                ++used;
            }
            AppendUtf8(value, cp);
            break;
        }
        default:
            value += escaped;
        }
    }
    return value;
}

Argv GsettingsGet(const std::string& schema, const std::string& key)
{
    return {"gsettings", "get", schema, key};
}

Argv GsettingsSet(const std::string& schema, const std::string& key, const std::string& value)
{
    return {"gsettings", "set", schema, key, value};
}

Argv GsettingsListKeys(const std::string& schema)
{
    return {"gsettings", "list-keys", schema};
}

Argv GsettingsGetDefault(const std::string& schema, const std::string& key)
{
    return {"env", "GSETTINGS_BACKEND=memory", "gsettings", "get", schema, key};
}

Argv GsettingsReset(const std::string& schema, const std::string& key)
{
    return {"gsettings", "reset", schema, key};
}

std::string GsettingsPictureOptions(bool empty, bool tiled, std::optional<DesktopSize> pictureSize,
                                    std::optional<DesktopSize> desktopSize)
{
    if (empty)
        return "none";
    if (tiled)
        return "wallpaper";
    if (pictureSize && desktopSize && *pictureSize == *desktopSize)
        return "spanned";
    return "centered";
}

Argv XfconfList()
{
    return {"xfconf-query", "-c", kXfceChannel, "-l"};
}

Argv XfconfGet(const std::string& property)
{
    return {"xfconf-query", "-c", kXfceChannel, "-p", property};
}

Argv XfconfSetString(const std::string& property, const std::string& value)
{
    return {"xfconf-query", "-c", kXfceChannel, "-p", property, "-n", "-t", "string", "-s", value};
}

Argv XfconfSetInt(const std::string& property, int value)
{
    return {"xfconf-query", "-c", kXfceChannel, "-p", property,
            "-n",           "-t", "int",        "-s", std::to_string(value)};
}

Argv XfconfReset(const std::string& property)
{
    return {"xfconf-query", "-c", kXfceChannel, "-p", property, "-r"};
}

std::vector<std::string> XfceWorkspacePrefixes(std::string_view listing)
{
    return UniquePrefixes(listing, true);
}

std::vector<std::string> XfceMonitorPrefixes(std::string_view listing)
{
    return UniquePrefixes(listing, false);
}

int XfceImageStyle(bool empty, bool tiled)
{
    if (empty)
        return 0;
    return tiled ? 2 : 1;
}

std::string JsString(std::string_view text)
{
    std::string literal = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        switch (text[i]) {
        case '"':
            literal += "\\\"";
            break;
        case '\\':
            literal += "\\\\";
            break;
        case '\n':
            literal += "\\n";
            break;
        case '\r':
            literal += "\\r";
            break;
        case '\t':
            literal += "\\t";
            break;
        default:
            // U+2028 and U+2029 end a line inside older JavaScript string literals.
            if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
                (static_cast<unsigned char>(text[i + 2]) == 0xA8 ||
                 static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
                literal += static_cast<unsigned char>(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
                i += 2;
            } else if (c < 0x20 || c == 0x7F) {
                literal += "\\u" + Hex4(c);
            } else {
                literal += text[i];
            }
        }
    }
    return literal + "\"";
}

std::string KdeWriteScript(const std::string& image, int fillMode)
{
    return "var all = desktops();\n"
           "for (var i = 0; i < all.length; i++) {\n"
           "    var d = all[i];\n"
           "    d.wallpaperPlugin = \"org.kde.image\";\n"
           "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n"
           "    d.writeConfig(\"Image\", " +
           JsString(image) +
           ");\n"
           "    d.writeConfig(\"FillMode\", " +
           std::to_string(fillMode) +
           ");\n"
           "}\n";
}

std::string KdeReadScript()
{
    return "var all = desktops();\n"
           "for (var i = 0; i < all.length; i++) {\n"
           "    var d = all[i];\n"
           "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n"
           "    print(d.wallpaperPlugin + \"\\t\" + d.readConfig(\"FillMode\") + \"\\t\" +\n"
           "          encodeURIComponent(d.readConfig(\"Image\")) + \"\\n\");\n"
           "}\n";
}

std::vector<KdeDesktopState> ParseKdeReadOutput(std::string_view printed)
{
    std::vector<KdeDesktopState> desktops;
    for (auto line : Lines(printed, false)) {
        const auto firstTab = line.find('\t');
        if (firstTab == std::string_view::npos)
            continue;
        const auto secondTab = line.find('\t', firstTab + 1);
        if (secondTab == std::string_view::npos)
            continue;
        KdeDesktopState state;
        state.plugin = std::string(line.substr(0, firstTab));
        state.fillMode = std::string(line.substr(firstTab + 1, secondTab - firstTab - 1));
        // encodeURIComponent's output decodes like the path of a file URI.
        state.image = PercentDecode(line.substr(secondTab + 1));
        desktops.push_back(std::move(state));
    }
    return desktops;
}

std::string KdeRestoreScript(const std::vector<KdeDesktopState>& desktops)
{
    std::string script = "var all = desktops();\n";
    for (std::size_t i = 0; i < desktops.size(); ++i) {
        const auto& saved = desktops[i];
        const std::string index = std::to_string(i);
        script += "if (all.length > " + index + ") {\n";
        script += "    var d = all[" + index + "];\n";
        script += "    d.wallpaperPlugin = \"org.kde.image\";\n";
        script += "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n";
        script += "    d.writeConfig(\"Image\", " + JsString(saved.image) + ");\n";
        script += "    d.writeConfig(\"FillMode\", " + JsString(saved.fillMode) + ");\n";
        script += "    d.wallpaperPlugin = " + JsString(saved.plugin) + ";\n";
        script += "}\n";
    }
    return script;
}

Argv KdeEvaluateGdbus(const std::string& script)
{
    return {"gdbus",
            "call",
            "--session",
            "--dest",
            "org.kde.plasmashell",
            "--object-path",
            "/PlasmaShell",
            "--method",
            "org.kde.PlasmaShell.evaluateScript",
            script};
}

Argv KdeEvaluateQdbus(const std::string& program, const std::string& script)
{
    return {program, "org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell.evaluateScript", script};
}

std::string ParseEvaluateOutput(std::string_view output)
{
    const auto trimmed = Trim(output);
    if (trimmed.size() >= 4 && trimmed.front() == '(' && trimmed.substr(trimmed.size() - 2) == ",)")
        return ParseGVariantString(trimmed.substr(1, trimmed.size() - 3));
    return std::string(output);
}

bool SwaySafePath(std::string_view path)
{
    return !path.empty() && std::all_of(path.begin(), path.end(), [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return std::isalnum(c) != 0 || ch == '/' || ch == '.' || ch == '_' || ch == '-' || ch == '+' ||
               ch == ',' || ch == '@' || ch == '=' || ch == ':' || c >= 0x80;
    });
}

Argv SwaymsgBackground(const std::string& path, bool tiled)
{
    if (path.empty())
        return {"swaymsg", "output", "*", "bg", "#000000", "solid_color"};
    return {"swaymsg", "output", "*", "bg", path, tiled ? "tile" : "center"};
}

Argv SwaybgCommand(const std::string& path, bool tiled)
{
    if (path.empty())
        return {"swaybg", "-c", "#000000"};
    return {"swaybg", "-i", path, "-m", tiled ? "tile" : "center"};
}

} // namespace ondrix
