#include "ThemePackage.h"

#include "core/AtomicFile.h"
#include "core/Errors.h"
#include "core/IniFile.h"
#include "core/Paths.h"
#include "platform/Clock.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace ondrix {

namespace fs = std::filesystem;

namespace {

constexpr const char* kClassId = "clsid:D27CDB6E-AE6D-11cf-96B8-444553540000";
constexpr const char* kCabinet =
    "http://download.quorvane.example/pub/shockwave/cabs/flash/swflash.cab#version=5,0,0,0";
constexpr const char* kPluginPage =
    "http://www.quorvane.example/shockwave/download/index.cgi?P1_Prod_Version=ShockwaveFlash";
constexpr const char* kCrLf = "\r\n";

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The lines of an INI text, cut at CR LF, LF or CR as the reader cuts them.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// What a line is to the reader: a section header (with its name), a key line (with its
// key), or nothing.
struct IniLine
{
    enum class Kind
    {
        Other,
        Section,
        Key,
    } kind = Kind::Other;
    std::string_view name;
};

IniLine Classify(std::string_view raw)
{
    if (const auto nul = raw.find('\0'); nul != std::string_view::npos)
        raw = raw.substr(0, nul);
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == ';')
        return {};
    if (line.front() == '[') {
        const auto close = line.find(']');
        if (close == std::string_view::npos)
            return {};
        return {IniLine::Kind::Section, Trim(line.substr(1, close - 1))};
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return {};
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty())
        return {};
    return {IniLine::Kind::Key, key};
}

std::string ReadFileOrThrow(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FileError("Cannot read the file \"" + path + "\".");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Removes the temporary copy of a "theme.cfg" however the reading ends.
class TemporaryFile
{
public:
    TemporaryFile(std::string path, std::string_view bytes) : m_path(std::move(path))
    {
        std::error_code ignored;
        fs::remove(m_path, ignored); // never write through a link left there
        std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(m_path, ignored);
            throw FileError("Cannot write the temporary file \"" + m_path +
                            "\"; does the folder advThemes_/Recycled exist?");
        }
    }
    ~TemporaryFile()
    {
        std::error_code ignored;
        fs::remove(m_path, ignored);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

std::string JoinInside(const std::string& folder, std::string_view relative)
{
    const auto safe = SafeMemberPath(relative);
    if (!safe || safe->empty())
        throw ArchiveError("The path \"" + std::string(relative) + "\" leaves the theme's folder.");
    return (fs::path(folder) / *safe).string();
}

} // namespace

std::string ThemeEnvironment::StoreFolder() const
{
    return AppPath(AppDir, "\\advThemes_");
}

std::string ThemeEnvironment::RecycleFolder() const
{
    return AppPath(AppDir, "\\advThemes_\\Recycled");
}

std::string ThemeEnvironment::WorkFolder() const
{
    return AppPath(AppDir, "\\advThemes_\\WorkDir");
}

std::uint32_t ThemeEnvironment::Tick() const
{
    return clock != nullptr ? clock->TickCount() : 0;
}

long long RoundHalfEven(double value)
{
    // The default rounding mode of the floating-point unit is to nearest, ties to even.
    return std::llrint(value);
}

std::string FormatGeneral(double value)
{
    if (value == 0 || !std::isfinite(value))
        return value == 0 ? "0" : std::to_string(value);
    char buffer[64];
    // Rounded to four significant digits first, so that 9999.5 counts as 1E+4.
    std::snprintf(buffer, sizeof buffer, "%.3e", value);
    const double rounded = std::strtod(buffer, nullptr);
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(rounded))));
    std::string text;
    if (exponent >= 4 || std::fabs(rounded) < 0.00001) {
        std::string mantissa(buffer, std::string_view(buffer).find('e'));
        if (mantissa.find('.') != std::string::npos) {
            while (mantissa.back() == '0')
                mantissa.pop_back();
            if (mantissa.back() == '.')
                mantissa.pop_back();
        }
        return mantissa + "E" + (exponent < 0 ? "-" : "+") + std::to_string(std::abs(exponent));
    }
    std::snprintf(buffer, sizeof buffer, "%.*f", std::max(0, 3 - exponent), rounded);
    text = buffer;
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    return text;
}

std::int32_t ParseIniInteger(std::string_view text, std::int32_t fallback)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty())
        return fallback;
    std::uint64_t number = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return fallback;
        number = number * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (number > 0xFFFFFFFFull)
            return fallback;
    }
    if (base == 10) {
        if (number > (negative ? 2147483648ull : 2147483647ull))
            return fallback;
        return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(number)
                                                  : static_cast<std::int64_t>(number));
    }
    // Hexadecimal numbers fill the 32 bits: $FFFFFFFF is -1.
    const auto bits = static_cast<std::uint32_t>(number);
    const auto value = static_cast<std::int32_t>(bits);
    return negative ? static_cast<std::int32_t>(0u - bits) : value;
}

std::int32_t ReadIniInteger(const IniFile& ini, std::string_view section, std::string_view key,
                            std::int32_t fallback)
{
    return ParseIniInteger(ini.Read(section, key), fallback);
}

bool SectionHasKeys(std::string_view iniText, std::string_view section)
{
    bool inside = false;
    for (std::string_view raw : SplitLines(iniText)) {
        const IniLine line = Classify(raw);
        if (line.kind == IniLine::Kind::Section)
            inside = SameIgnoringCase(line.name, section);
        else if (line.kind == IniLine::Kind::Key && inside)
            return true;
    }
    return false;
}

std::string SetIniValue(std::string_view iniText, std::string_view section, std::string_view key,
                        std::string_view value)
{
    std::vector<std::string> lines;
    for (std::string_view raw : SplitLines(iniText))
        lines.emplace_back(raw);
    const std::string newLine = std::string(key) + "=" + std::string(value);

    // The reader takes the first key line of the section in the whole file; a new key goes
    // after the last key line of the section's first occurrence.
    std::optional<std::size_t> keyLine;
    std::optional<std::size_t> insertAt;
    bool inside = false;
    bool inFirst = false;
    for (std::size_t i = 0; i < lines.size() && !keyLine; ++i) {
        const IniLine line = Classify(lines[i]);
        if (line.kind == IniLine::Kind::Section) {
            inside = SameIgnoringCase(line.name, section);
            inFirst = inside && !insertAt;
            if (inFirst)
                insertAt = i + 1;
        } else if (inside && line.kind == IniLine::Kind::Key) {
            if (SameIgnoringCase(line.name, key))
                keyLine = i;
            else if (inFirst)
                insertAt = i + 1;
        }
    }
    if (keyLine) {
        lines[*keyLine] = newLine;
    } else if (insertAt) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*insertAt), newLine);
    } else {
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(newLine);
    }
    std::string out;
    for (const std::string& line : lines)
        out += line + kCrLf;
    return out;
}

void WriteFlashObject(std::string& out, const tTheme& theme, const std::string& movie, DesktopSize screen,
                      FlashPosition position)
{
    const TFlashOptions& flash = theme.FlashOptions;
    const std::string w = FormatGeneral(static_cast<double>(RoundHalfEven(screen.width * flash.Width / 100)));
    const std::string h =
        FormatGeneral(static_cast<double>(RoundHalfEven(screen.height * flash.Height / 100)));
    const bool knownQuality =
        flash.Quality >= 0 && flash.Quality < static_cast<int>(FlashQualityNames.size());
    // A quality without a name plays as the default one.
    const std::string q = FlashQualityNames[knownQuality ? static_cast<std::size_t>(flash.Quality) : 2];
    const bool bgColor = !flash.BgColor.empty() && flash.BgColor != "000000";
    auto line = [&out](const std::string& text) { out += text + kCrLf; };

    if (theme.Name == "js") {
        line("<script language=" + Quoted("JavaScript") + ">");
        line("<!--");
        line("document.writeln('<object classid=" + Quoted(kClassId) + " codebase=" + Quoted(kCabinet) +
             "');");
        line("WriteLT(" + std::to_string(position.Left) + "," + std::to_string(position.Top) + ")");
        line("WriteWH(" + FormatGeneral(flash.Width) + "," + FormatGeneral(flash.Height) + ")");
        line("document.writeln('>');");
        line("//-->");
        line("</script>");
    } else {
        line("<object ");
        line("classid=" + Quoted(kClassId));
        line("codebase=" + Quoted(kCabinet));
        line("WIDTH=" + Quoted(w) + " HEIGHT=" + Quoted(h) + ">");
    }
    line("<param name=movie value=" + Quoted(movie) + ">");
    line("<param name=quality value=" + q + ">");
    line("<param name=menu value=false>");
    if (bgColor)
        line("<param name=bgcolor value=" + flash.BgColor + ">");
    line("<embed src=" + Quoted(movie) + " quality=" + q + " menu=false");
    if (bgColor)
        line("bgcolor=" + flash.BgColor + " ");
    line("pluginspage=" + Quoted(kPluginPage) + " type=" + Quoted("application/x-shockwave-flash") +
         " width=" + Quoted(w) + " height=" + Quoted(h) + "></embed></object>");
}

TThemeInfo ThemeInfoOf(std::string_view themeCfg)
{
    const IniFile ini = IniFile::Parse(themeCfg);
    TThemeInfo info;
    info.Name = ini.Read("Name", "ThemeName", "No name");
    info.Style = SectionHasKeys(themeCfg, "Style")
                     ? static_cast<std::uint8_t>(ReadIniInteger(ini, "Style", "index", 0) & 0xFF)
                     : 255;
    return info;
}

std::optional<std::string> ReadThemeCfg(const ThemeEnvironment& env, const std::string& packagePath)
{
    const ZipReader archive(packagePath);
    const auto themeCfg = archive.ReadMember("theme.cfg", kMaxThemeCfgBytes);
    if (!themeCfg || themeCfg->empty())
        return std::nullopt;
    const TemporaryFile copy(env.RecycleFolder() + "/" + std::to_string(env.Tick()) + ".tmp", *themeCfg);
    return ReadFileOrThrow(copy.Path());
}

bool ReadThemeInfo(const ThemeEnvironment& env, const std::string& packagePath, TThemeInfo& info)
{
    const auto themeCfg = ReadThemeCfg(env, packagePath);
    if (!themeCfg)
        return false;
    info = ThemeInfoOf(*themeCfg);
    return true;
}

std::string UnpackTheme(const ThemeEnvironment& env, const std::string& packagePath)
{
    const ZipReader archive(packagePath);
    std::uint32_t tick = env.Tick();
    std::string folder;
    std::error_code ec;
    do {
        folder = env.WorkFolder() + "/" + std::to_string(tick++);
    } while (fs::exists(fs::symlink_status(folder, ec)));
    try {
        archive.ExtractAll(folder, env.limits);
    } catch (...) {
        fs::remove_all(folder, ec);
        throw;
    }
    return folder;
}

std::string StartPageOf(const std::string& workFolder)
{
    const IniFile ini = IniFile::Load(workFolder + "/theme.cfg");
    std::string startup = ini.Read("Files", "startup");
    if (startup.empty())
        startup = "\\ondrix.htm";
    // The value begins with a separator: it is relative to the work folder all the same.
    const std::string_view relative =
        std::string_view(startup).substr(startup.front() == '\\' || startup.front() == '/' ? 1 : 0);
    if (!SafeMemberPath(relative))
        throw ArchiveError("The start page \"" + startup +
                           "\" of the theme lies outside the theme's folder.");
    return AppPath(workFolder, startup);
}

bool ConvertLegacyTheme(const ThemeEnvironment& env, const std::string& packagePath)
{
    const std::string folder = UnpackTheme(env, packagePath);
    const std::string cfgPath = folder + "/theme.cfg";
    std::string cfg = ReadFileOrThrow(cfgPath);
    cfg = SetIniValue(cfg, "Style", "index", "0");
    cfg = SetIniValue(cfg, "Files", "startup", "\\ondrix.htm");
    WriteFileAtomically(cfgPath, cfg, false);

    const IniFile ini = IniFile::Parse(cfg);
    tTheme theme;
    theme.Name = ini.Read("Name", "ThemeName", "Nameless");
    theme.Author = ini.Read("Author", "ThemeAuthor", "Unknown");
    theme.Description = ini.Read("Description", "Description", "None");
    theme.FlashOptions.Width = ReadIniInteger(ini, "FlashFile", "DefaultWidth(in percents)", 100);
    theme.FlashOptions.Height = ReadIniInteger(ini, "FlashFile", "DefaultHeight(in percents)", 100);
    theme.FlashOptions.Quality = ReadIniInteger(ini, "FlashFile", "Quality", 2);
    theme.FlashOptions.BgColor = ini.Read("FlashFile", "bgcolor", "000000");
    const std::string movie = ini.Read("Files", "FlashMovie", "NoneFile");
    const std::string css = ini.Read("Files", "css", "NoneFile");

    std::string page;
    for (const char* text : {"<html>", "<head>", "<style>"})
        page += std::string(text) + kCrLf;
    page += "@import url(" + Quoted(css) + ");" + kCrLf;
    page += "body{background-color:#" + theme.FlashOptions.BgColor + ";}" + kCrLf;
    for (const char* text : {"</style>", "</head>", "<body>"})
        page += std::string(text) + kCrLf;
    WriteFlashObject(page, theme, movie, env.screenSize ? env.screenSize() : DesktopSize{});
    page += std::string("</body>") + kCrLf + "</html>" + kCrLf;
    WriteFileAtomically(folder + "/ondrix.htm", page, false);

    try {
        std::vector<ZipMember> members;
        members.push_back({"theme.cfg", cfg});
        members.push_back({"ondrix.htm", page});
        for (const std::string& value : {css, movie}) {
            // A value written with a leading separator ("\\movie.swf") names the same member.
            std::string_view relative = value;
            if (!relative.empty() && (relative.front() == '\\' || relative.front() == '/'))
                relative.remove_prefix(1);
            const std::string file = JoinInside(folder, relative);
            std::error_code ec;
            if (!fs::is_regular_file(file, ec))
                return false;
            members.push_back({FileNamePart(value), ReadFileOrThrow(file)});
        }
        WriteFileAtomically(packagePath, BuildZip(members), false);
    } catch (const ArchiveError&) {
        return false;
    } catch (const FileError&) {
        return false;
    }
    return true;
}

} // namespace ondrix
