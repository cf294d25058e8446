#pragma once

#include "TextTable.h"

#include <array>
#include <string>
#include <vector>

namespace ondrix {

// One available language of the Languages folder.
struct TMLang
{
    std::string FileName; // full path of the .lng file
    std::string Name;     // LANGUAGE_NAME/name, never empty
    std::string FlagPath; // AppDir + COUNTRY_FLAG/filename (AppDir alone when the key is missing);
                          // the window falls back to the default flag when it cannot load it
};

struct LanguageHeader
{
    std::string name;
    std::string flagPath;
};

// Display name and flag path of one language file. The flag path is appDir followed by the
// file's COUNTRY_FLAG/filename exactly as written (see AppPath).
LanguageHeader ReadLanguageHeader(const std::string& path, const std::string& appDir);

// Appends one TMLang for every "*.lng" file in folder that has a display name, in the order
// the folder listing gives. A missing folder adds nothing.
void ScanLanguages(const std::string& folder, const std::string& appDir, std::vector<TMLang>& list);

// The default flag, used when a language's own flag cannot be loaded.
inline constexpr const char* kDefaultFlagLiteral = "\\Languages\\flags\\flag.ico";

// One loaded language: the window caption and the fixed table of texts.
class TLanguage
{
public:
    TLanguage() = default;
    explicit TLanguage(const std::string& path) { Load(path); }

    // Reads every text of the table from the file; a missing file or key gives the default,
    // so no text of a previous language survives a reload.
    void Load(const std::string& path);

    const std::string& Text(Txt id) const { return Texts[static_cast<std::size_t>(id)]; }

    std::string Caption;
    std::array<std::string, kTextCount> Texts;
};

} // namespace ondrix
