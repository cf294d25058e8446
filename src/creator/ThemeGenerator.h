#pragma once

#include "platform/ScreenInfo.h"
#include "themes/ThemePackage.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ondrix {

struct Rgb
{
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
};

// "#" and two upper-case hexadecimal digits each for red, green and blue: #800000 for maroon.
std::string ColourText(Rgb colour);

// The three files of a new theme's page and its "theme.cfg", exactly as the program writes them.
std::string ThemeCssText(const std::string& colourText);
std::string ResolScriptText();
// backgroundPictureName: the picture's file name without folder, empty for none.
std::string ThemeStartPageText(const std::string& colourText, const std::string& backgroundPictureName,
                               const std::string& movieName, const TFlashOptions& flash, DesktopSize screen,
                               FlashPosition position);
std::string NewThemeCfgText(const std::string& name, const std::string& author,
                            const std::string& description);

// Everything the creation page hands to the generator.
struct ThemeDesign
{
    std::string MoviePath; // a ".swf" file
    std::string Name;      // becomes the package's file name
    std::string Author;
    std::string Description;           // may hold several lines
    std::string BackgroundPicturePath; // empty for none; a JPEG
    Rgb Colour;
    std::int32_t Quality = 4; // index into FlashQualityNames
    double Width = 50;        // percent of the screen
    double Height = 50;
    FlashPosition Position; // the placement rectangle's left and top in percent, rounded
};

// Why a theme could not be made; each has its own text on the page.
class ThemeCreationError : public std::runtime_error
{
public:
    enum class Reason
    {
        FileNotFound,  // the movie or the picture names no existing file
        UnsafeName,    // the theme name is not a safe file name
        NotAMovie,     // the movie has no SWF signature
        NotAJpeg,      // the picture has no JPEG signature
        PackingFailed, // the package could not be built or put in place
        NameClash,     // the movie's or the picture's file name cannot be a member of its own:
                       // one of the page's files, the other file's name, or a name the page
                       // cannot quote
        TooLarge,      // the movie and picture are larger than a package may unpack to
        TextTooLong,   // the name, author and description are more than "theme.cfg" may hold
    };

    ThemeCreationError(Reason reason, const std::string& detail);
    Reason WhatFailed() const { return m_reason; }

private:
    Reason m_reason;
};

// Whether the name can be a package's file name in the store on every file system the
// program runs on: not empty, at most 200 bytes, no separators, no control characters,
// not "." or "..", no leading dot, none of the names or characters Windows refuses.
bool IsSafeThemeName(std::string_view name);

// Builds the package AppDir/advThemes_/<Name>.ond: the build folder
// WorkDir/<tick - 100>/Files receives the movie, the picture and the three generated files,
// and the package is written beside its final name and renamed into place only when
// complete, so an existing package of that name is replaced only by a complete new one.
// Returns the package's path. Throws ThemeCreationError for refused inputs and for a
// package that cannot be built or put in place; FileError when the build folder or the files
// in it cannot be written or a chosen file cannot be read. Nothing is written outside the
// store.
std::string GenerateTheme(const ThemeEnvironment& env, const ThemeDesign& design);

} // namespace ondrix
