#pragma once

#include <filesystem>
#include <string>

namespace ondrix {

// Where the program's files are. Two layouts:
// - portable: the executable's folder holds imgLists and advThemes_ (the build folder, a copied
//   folder); everything is in it, as it always was;
// - installed: the executable is <prefix>/bin/ondrix beside <prefix>/share/ondrix; the
//   read-only files are under the prefix (languages, help and what a new user is given in
//   share/ondrix, the layer program and the player in lib/ondrix) and the user's files in
//   $XDG_DATA_HOME/ondrix (~/.local/share/ondrix).
// Every path of a user's file is appDir with its literal; the read-only ones are dataDir or
// libDir with theirs.
struct AppLayout
{
    std::string appDir;  // the user's files: image lists, theme store, links.ini, work folders
    std::string dataDir; // Languages, Help, and what a new user folder is filled from
    std::string libDir;  // ondrix-layer and the player (ruffle/)
    bool installed = false;
};

// The layout of the executable in executableDir. xdgDataHome and home are the environment's
// (null or empty when unset; relative ones count as unset, and the account's home folder then
// stands in for HOME). Throws FileError for an installed program without a home folder.
AppLayout FindAppLayout(const std::filesystem::path& executableDir, const char* xdgDataHome,
                        const char* home);

// For the installed layout: makes the user's folder with the folders that must exist and gives
// it the shipped files it lacks (links.ini, the first-run picture, the sample themes). A file
// once given is never given again, so a file the user changed or removed stays so; a sample
// theme new to a later package is added. The files given are recorded in "shipped.lst" of the
// user's folder. Each copy is written whole or not at all. Throws FileError when the folder
// cannot be made; a file that cannot be copied is skipped, and said so on the error output.
void FillUserFolder(const AppLayout& layout);

} // namespace ondrix
