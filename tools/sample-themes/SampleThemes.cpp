// Builds the sample theme packages the application folder ships:
//   ondrix-sample-themes <folder>
// Three current packages (two in the script form of the start page, one in the fixed form)
// and one package of the older generation, which the store converts when it first meets it.
#include "creator/ThemeGenerator.h"
#include "swf/Scenes.h"
#include "themes/ThemePackage.h"
#include "themes/ZipArchive.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

using ondrix::ZipMember;

constexpr const char* kCrLf = "\r\n";

std::string ColourText(const ondrix::swf::Rgba& colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour.r, colour.g, colour.b);
    return text;
}

std::string Lines(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += line + kCrLf;
    return out;
}

constexpr ondrix::DesktopSize kBuildScreen{1920, 1080};

// A package as the theme generator makes it (its own texts): the script form, placed at the
// top left and filling the screen.
std::vector<ZipMember> ScriptFormTheme(const std::string& name, const std::string& scene,
                                       const std::string& description)
{
    const ondrix::swf::Movie movie = ondrix::swf::Scene(scene);
    const std::string colour = ColourText(movie.background);
    const std::string movieName = scene + ".swf";
    const ondrix::TFlashOptions flash{100, 100, 4, colour};
    return {{"index.htm", ondrix::ThemeStartPageText(colour, "", movieName, flash, kBuildScreen, {0, 0})},
            {"theme.cfg", ondrix::NewThemeCfgText(name, "Ondrix", description)},
            {movieName, ondrix::swf::WriteMovie(movie)},
            {"resol.js", ondrix::ResolScriptText()},
            {"css.css", ondrix::ThemeCssText(colour)}};
}

// A current package whose start page holds the fixed form, sized to the whole page.
std::vector<ZipMember> FixedFormTheme(const std::string& name, const std::string& scene,
                                      const std::string& description)
{
    const ondrix::swf::Movie movie = ondrix::swf::Scene(scene);
    const std::string colour = ColourText(movie.background);
    const std::string movieName = scene + ".swf";
    ondrix::tTheme theme;
    theme.Name = name;
    theme.FlashOptions = {100, 100, 4, colour};
    std::string fragment;
    ondrix::WriteFlashObject(fragment, theme, movieName, kBuildScreen);
    for (const std::string size : {"\"1920\"", "\"1080\""})
        for (auto at = fragment.find(size); at != std::string::npos; at = fragment.find(size))
            fragment.replace(at, size.size(), "\"100%\"");
    const std::string page =
        Lines({"<html>", "<head>", "<style>",
               "html,body{width:100%;height:100%;margin:0;overflow:hidden;background-color:" + colour + ";}",
               "</style>", "</head>", "<body>"}) +
        fragment + Lines({"</body>", "</html>"});
    return {{"index.htm", page},
            {"theme.cfg", ondrix::NewThemeCfgText(name, "Ondrix", description)},
            {movieName, ondrix::swf::WriteMovie(movie)}};
}

// A package of the older generation: no [Style], the movie and style sheet named in
// [Files], the placement in [FlashFile].
std::vector<ZipMember> LegacyTheme(const std::string& name, const std::string& scene,
                                   const std::string& description)
{
    const ondrix::swf::Movie movie = ondrix::swf::Scene(scene);
    char colour[8];
    std::snprintf(colour, sizeof colour, "%02X%02X%02X", movie.background.r, movie.background.g,
                  movie.background.b);
    const std::string cfg =
        Lines({"[Name]", "ThemeName=" + name, "[Author]", "ThemeAuthor=Ondrix", "[Description]",
               "Description=" + description, "[Files]", "FlashMovie=" + scene + ".swf",
               "css=" + scene + ".css", "[FlashFile]", "DefaultWidth(in percents)=100",
               "DefaultHeight(in percents)=100", "Quality=4", "bgcolor=" + std::string(colour)});
    return {{"theme.cfg", cfg},
            {scene + ".swf", ondrix::swf::WriteMovie(movie)},
            {scene + ".css", "html,body{margin:0;overflow:hidden;}\r\n"}};
}

bool Write(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: ondrix-sample-themes <folder>\n";
        return 2;
    }
    const std::string folder = argv[1];
    try {
        const std::vector<std::pair<std::string, std::vector<ZipMember>>> packages{
            {"Aurora.ond",
             ScriptFormTheme("Aurora", "aurora", "Veils of northern light drifting over the night")},
            {"Lanterns.ond",
             ScriptFormTheme("Lanterns", "lanterns", "Paper lanterns rising into a dusk sky")},
            {"Tide.ond", FixedFormTheme("Tide", "tide", "Sea-coloured squares turning slowly in the tide")},
            {"Starlight.ond", LegacyTheme("Starlight", "starlight", "Stars twinkling over a quiet night")},
        };
        for (const auto& [name, members] : packages) {
            if (!Write(folder + "/" + name, ondrix::BuildZip(members))) {
                std::cerr << "ondrix-sample-themes: cannot write " << folder << "/" << name << '\n';
                return 1;
            }
        }
    } catch (const std::exception& error) {
        std::cerr << "ondrix-sample-themes: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
