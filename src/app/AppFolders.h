#pragma once

#include <string>

namespace ondrix {

// The program's own folders inside the application folder: the work and recycle folders of
// the image lists and of the themes. One that was deleted is made again, as long as the store
// folder that holds it is there (the stores themselves hold the user's files and are never
// made up). Failures are left to the operations that need the folder.
void MakeMissingWorkFolders(const std::string& appDir);

// Temporary files that a crash left behind: beside the wallpaper work file and the settings,
// half-written packages in the theme store and description copies in its recycle folder.
void RemoveLeftoverTemporaries(const std::string& appDir, const std::string& settingsPath);

} // namespace ondrix
