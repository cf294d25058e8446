#pragma once

#include <QIcon>
#include <QString>

#include <string>

namespace ondrix {

// Makes the program's pictures reachable under ":/icons/"; every user of them calls it.
void EnsureIconResources();

// A picture of the program's resources by its short name: "IDB_BITMAP19" is
// ":/icons/IDB_BITMAP19.svg".
QString GlyphPath(const char* resourceName);
QIcon Glyph(const char* resourceName);

// Texts of the language files and paths are UTF-8 bytes.
inline QString ToQ(const std::string& text)
{
    return QString::fromStdString(text);
}

// Loads an icon from a file; a null icon when the file is missing or holds no picture.
QIcon LoadIconFile(const std::string& path);

} // namespace ondrix
