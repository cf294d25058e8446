#include "ThemeGenerator.h"

#include "core/AtomicFile.h"
#include "core/Errors.h"
#include "core/Paths.h"
#include "core/RegularFile.h"
#include "creator/Placement.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <system_error>
#include <vector>

namespace ondrix {

namespace fs = std::filesystem;

namespace {

using Reason = ThemeCreationError::Reason;

constexpr const char* kCrLf = "\r\n";

// The members the generator writes itself; a chosen file of one of these names would
// overwrite them in the build folder and in the package.
constexpr std::array<const char*, 4> kGeneratedNames{"index.htm", "theme.cfg", "resol.js", "css.css"};

char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Names compared as a file system that ignores letter case compares them, since the
// package is unpacked on such systems too.
bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Upper(x) == Upper(y); });
}

std::string Joined(std::initializer_list<std::string> lines, const char* separator)
{
    std::string text;
    bool first = true;
    for (const std::string& line : lines) {
        if (!first)
            text += separator;
        text += line;
        first = false;
    }
    return text;
}

std::string SizeText(std::uint64_t bytes)
{
    if (bytes >= (std::uint64_t{1} << 20) && bytes % (std::uint64_t{1} << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

bool IsDeviceName(std::string_view name)
{
    // Windows refuses these with any extension and with blanks before it.
    std::string stem(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    std::transform(stem.begin(), stem.end(), stem.begin(), Upper);
    for (const char* device : {"CON", "PRN", "AUX", "NUL"})
        if (stem == device)
            return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

bool HasSwfSignature(std::string_view bytes)
{
    const std::string_view head = bytes.substr(0, 3);
    return head == "FWS" || head == "CWS" || head == "ZWS";
}

bool HasJpegSignature(std::string_view bytes)
{
    return bytes.substr(0, 3) == "\xFF\xD8\xFF";
}

// A file the user chose, read whole (it becomes a member of the package).
struct ChosenFile
{
    std::string name;
    std::string bytes;
};

struct ChosenKind
{
    const char* what; // "movie", "picture"
    bool (*signature)(std::string_view);
    Reason notIt;
    const char* notItText;
};

ChosenFile ReadChosenFile(const std::string& path, const ChosenKind& kind, std::uint64_t budget,
                          const std::vector<std::string>& takenNames)
{
    std::error_code ec;
    // A pipe or a device is no file to copy: opening it could wait for ever.
    if (!fs::is_regular_file(fs::status(path, ec)))
        throw ThemeCreationError(Reason::FileNotFound, "File not found.");
    ChosenFile file{FileNamePart(path), {}};
    const auto safe = SafeMemberPath(file.name);
    const bool quotable = std::none_of(file.name.begin(), file.name.end(), [](char c) {
        // A quote ends the page's attribute; "#", "?" and "%" make the page's relative address
        // name another file (a fragment, a query, an escape).
        return c == '"' || c == '#' || c == '?' || c == '%' || static_cast<unsigned char>(c) < 0x20 ||
               c == '\x7F';
    });
    if (!safe || *safe != file.name || !quotable)
        throw ThemeCreationError(Reason::NameClash, "The " + std::string(kind.what) + " \"" + path +
                                                        "\" has a file name that the theme's page cannot "
                                                        "name; give it a plainer name.");
    for (const std::string& taken : takenNames)
        if (SameName(file.name, taken))
            throw ThemeCreationError(Reason::NameClash,
                                     "The " + std::string(kind.what) + " \"" + path +
                                         "\" has the name of another file of the theme (\"" + taken +
                                         "\"); give it another name.");
    const auto size = fs::file_size(path, ec);
    if (!ec && size > budget)
        throw ThemeCreationError(Reason::TooLarge, "The " + std::string(kind.what) + " \"" + path +
                                                       "\" is too large for a theme: a package may hold " +
                                                       SizeText(budget) + " in all.");
    try {
        file.bytes = ReadRegularFile(path, budget, kind.what);
    } catch (const FileError&) {
        // Grown past the bound since it was measured, or gone; other failures are the file's.
        if (fs::file_size(path, ec) > budget && !ec)
            throw ThemeCreationError(Reason::TooLarge, "The " + std::string(kind.what) + " \"" + path +
                                                           "\" is too large for a theme.");
        throw;
    }
    if (!kind.signature(file.bytes))
        throw ThemeCreationError(kind.notIt, "The file \"" + path + "\" is not " + kind.notItText + ".");
    return file;
}

// WorkDir/<tick - 100>/Files, made level by level; the store itself is never made up. A
// work folder that is a link to a folder is that folder, as it is where themes are unpacked.
std::string MakeBuildFolder(const ThemeEnvironment& env)
{
    const std::uint32_t n = env.Tick() - 100u;
    const fs::path work = env.WorkFolder();
    const fs::path files = work / std::to_string(n) / "Files";
    for (const fs::path& folder : {work, work / std::to_string(n), files}) {
        // Below the work folder only folders of our own making count.
        const auto isFolder = [&folder, &work](std::error_code& ec) {
            return fs::is_directory(folder == work ? fs::status(folder, ec) : fs::symlink_status(folder, ec));
        };
        std::error_code ec;
        if (isFolder(ec))
            continue;
        fs::create_directory(folder, ec);
        if (ec || !isFolder(ec))
            throw FileError("Cannot make the build folder \"" + folder.string() +
                            "\"; does the folder advThemes_ exist and may it be written?");
    }
    return files.string();
}

} // namespace

ThemeCreationError::ThemeCreationError(Reason reason, const std::string& detail)
    : std::runtime_error(detail), m_reason(reason)
{
}

std::string ColourText(Rgb colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", unsigned{colour.Red}, unsigned{colour.Green},
                  unsigned{colour.Blue});
    return text;
}

std::string ThemeCssText(const std::string& colourText)
{
    const std::string eight(8, ' ');
    // The pieces are separated by a bare carriage return; only the last one ends in CR LF.
    return Joined({"body{",
                   "\tbackground-color: " + colourText + ";",
                   "\tbackground-position: center;",
                   "\tbackground-repeat: no-repeat;",
                   "\tborder: 0px;",
                   eight + "margin-top :0px;",
                   eight + "margin-left :0px;",
                   std::string(7, ' ') + "margin-right:0px;",
                   eight + "margin-bottom:0px;",
                   "}",
                   "img{",
                   "position: absolute;\tleft: 0;",
                   "\tright: 0;",
                   "}",
                   "object{",
                   "position: absolute;\tborder: 0px;",
                   "",
                   eight + "margin-top :0px;",
                   eight + "margin-left :0px;  ",
                   eight + "margin-right:0px;     ",
                   eight + "margin-bottom:0px;       ",
                   "}"},
                  "\r") +
           kCrLf;
}

std::string ResolScriptText()
{
    const std::string l14(14, ' ');
    const std::string l16(16, ' ');
    return Joined({"var height=0;",
                   l14 + "var width=0;",
                   l14 + "if (self.screen)",
                   l14 + "{width = screen.width;",
                   l14 + "height = screen.height;",
                   l14 + "}else",
                   l14 + "if (self.java)",
                   l14 + "{" + l16,
                   l16 + "var jkit = java.awt.Toolkit.getDefaultToolkit();",
                   l16 + "var scrsize = jkit.getScreenSize();",
                   l16 + "width = scrsize.width;",
                   l16 + "height = scrsize.height; }",
                   l16 + "function WriteWH(PW, PH){",
                   l16 + "var w = PW/100*width;",
                   l16 + "var h = PH/100*height;  ",
                   l16 + "document.writeln(\"WIDTH=\",w,\" HEIGHT=\",h);",
                   l16 + "return true;",
                   l16 + "}",
                   l16 + "function WriteLT(PL, PT){",
                   l16 + "var l = PL/100*width;",
                   l16 + "var t = PT/100*height;  ",
                   l16 + "document.writeln(\" style='left:\",l,\";top:\",t,\";' \");",
                   l16 + "return true;",
                   l16 + "}"},
                  kCrLf) +
           kCrLf;
}

std::string ThemeStartPageText(const std::string& colourText, const std::string& backgroundPictureName,
                               const std::string& movieName, const TFlashOptions& flash, DesktopSize screen,
                               FlashPosition position)
{
    std::string page;
    auto line = [&page](const std::string& text) { page += text + kCrLf; };
    line("<html>");
    line("<head>");
    line("<SCRIPT language=JavaScript src=\"resol.js\"> </SCRIPT>");
    line("<style>");
    line("@import url(\"css.css\");");
    line("body{background-color:" + colourText + ";}");
    line("</style>");
    line("</head>");
    line("<body>");
    if (!backgroundPictureName.empty())
        line("<img src=\"" + backgroundPictureName + "\" width=100% height=100%>");
    tTheme theme;
    theme.Name = "js"; // the script form, which places and sizes the movie in the browser
    theme.FlashOptions = flash;
    WriteFlashObject(page, theme, movieName, screen, position);
    line("</body>");
    line("</html>");
    return page;
}

std::string NewThemeCfgText(const std::string& name, const std::string& author,
                            const std::string& description)
{
    return Joined({"[Name]", "ThemeName=" + name, "[Author]", "ThemeAuthor=" + author, "[Style]", "index=0",
                   "[Description]", "Description=" + description, "[Files]", "startup=\\index.htm"},
                  kCrLf);
}

bool IsSafeThemeName(std::string_view name)
{
    // A leading dot also rules out "." and ".." and names the store would take as hidden.
    if (name.empty() || name.size() > 200 || name.front() == '.')
        return false;
    constexpr std::string_view kRefused = "<>:\"/\\|?*";
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || kRefused.find(c) != std::string_view::npos)
            return false;
    }
    return !IsDeviceName(name);
}

std::string GenerateTheme(const ThemeEnvironment& env, const ThemeDesign& design)
{
    if (!IsSafeThemeName(design.Name))
        throw ThemeCreationError(Reason::UnsafeName,
                                 "The theme name \"" + design.Name +
                                     "\" cannot be a file name; leave out / \\ : * ? \" < > | and a "
                                     "leading dot.");
    std::string themeCfg = NewThemeCfgText(design.Name, design.Author, design.Description);
    // The store refuses to read a bigger description; such a package could never be listed.
    if (themeCfg.size() > kMaxThemeCfgBytes)
        throw ThemeCreationError(Reason::TextTooLong,
                                 "The theme's name, author and description are longer than a "
                                 "theme can hold (1 MiB in all).");
    const std::string files = MakeBuildFolder(env);
    const std::uint64_t budget = env.limits.maxTotalBytes;

    std::vector<std::string> taken(kGeneratedNames.begin(), kGeneratedNames.end());
    ChosenFile movie = ReadChosenFile(
        design.MoviePath, {"movie", HasSwfSignature, Reason::NotAMovie, "a Shockwave Flash movie"}, budget,
        taken);
    WriteFileAtomically(files + "/" + movie.name, movie.bytes, false);

    std::optional<ChosenFile> picture;
    if (!design.BackgroundPicturePath.empty()) {
        taken.push_back(movie.name);
        picture = ReadChosenFile(design.BackgroundPicturePath,
                                 {"picture", HasJpegSignature, Reason::NotAJpeg, "a JPEG picture"},
                                 budget - movie.bytes.size(), taken);
        WriteFileAtomically(files + "/" + picture->name, picture->bytes, false);
    }

    const std::string colour = ColourText(design.Colour);
    TFlashOptions flash;
    flash.Width = ClampPercent(design.Width);
    flash.Height = ClampPercent(design.Height);
    flash.Quality = design.Quality;
    flash.BgColor = colour;
    const std::string css = ThemeCssText(colour);
    const std::string script = ResolScriptText();
    const std::string page =
        ThemeStartPageText(colour, picture ? picture->name : std::string(), movie.name, flash,
                           env.screenSize ? env.screenSize() : DesktopSize{}, design.Position);
    WriteFileAtomically(files + "/css.css", css, false);
    WriteFileAtomically(files + "/resol.js", script, false);
    WriteFileAtomically(files + "/index.htm", page, false);

    std::vector<ZipMember> members;
    members.push_back({"index.htm", page});
    members.push_back({"theme.cfg", std::move(themeCfg)});
    members.push_back({movie.name, std::move(movie.bytes)});
    if (picture)
        members.push_back({picture->name, std::move(picture->bytes)});
    members.push_back({"resol.js", script});
    members.push_back({"css.css", css});
    std::uint64_t total = 0;
    for (const ZipMember& member : members)
        total += member.bytes.size();
    if (total > budget)
        throw ThemeCreationError(Reason::TooLarge, "The theme's files are too large for a package: it may "
                                                   "hold " +
                                                       SizeText(budget) + " in all.");

    // Built whole and written beside its final name: an existing package of that name is
    // replaced only by a complete new one. A crash leaves "<name>.ond.tmp-<pid>", which the
    // store does not list and the next start removes.
    const std::string packagePath = env.StoreFolder() + "/" + design.Name + ".ond";
    try {
        WriteFileAtomically(packagePath, BuildZip(members), false);
    } catch (const ArchiveError& error) {
        throw ThemeCreationError(Reason::PackingFailed, error.what());
    } catch (const FileError& error) {
        throw ThemeCreationError(Reason::PackingFailed, error.what());
    }
    return packagePath;
}

} // namespace ondrix
