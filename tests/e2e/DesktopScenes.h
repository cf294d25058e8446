#pragma once

// What the real-desktop tests show Ondrix: solid pictures in a list, a theme whose page is one
// solid colour, and the settings that put the program in picture or theme mode.

#include "DesktopSession.h"
#include "ProcessRunner.h"

#include <string>
#include <vector>

namespace ondrix::test {

// Solid pictures of the given colours written as BMP files, and a list "solid.lst" of them in
// the sandbox's image lists; returns the pictures' paths.
std::vector<std::string> MakeSolidPictureList(AppSandbox& sandbox, const std::vector<Rgb>& colours);

// Picture mode, changing on: every picture stretched to the desktop, the list's first picture
// shown at start, and the next one every timerSeconds.
void WritePictureSettings(AppSandbox& sandbox, const std::vector<std::string>& pictures, int timerSeconds);

// A theme package "<name>.ond" in the sandbox's store with these files; its start page is
// "index.htm".
std::string MakeTheme(AppSandbox& sandbox, const std::string& name,
                      const std::vector<std::pair<std::string, std::string>>& files);

// A theme package "Solid.ond" in the sandbox's store whose start page is the colour alone.
std::string MakeSolidTheme(AppSandbox& sandbox, const Rgb& colour);

// Theme mode, changing on, the theme shown at start and kept.
void WriteThemeSettings(AppSandbox& sandbox, const std::string& package);

// The marked picture, 400x200: a yellow strip over the top 20 rows, then red top left, green top
// right, blue bottom left, white bottom right (the halves split at column 200 and row 100).
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};

// Picture mode showing the marked picture at start and never changing, in one display mode
// (ilDisplType), on each monitor or across the whole desktop.
void WriteMarkedPictureSettings(AppSandbox& sandbox, int mode, bool eachMonitor);

// A point of the screen and the colour it should show.
struct Point
{
    int x;
    int y;
    Rgb colour;
};

// Whether every point shows its colour, give or take the scaling's rounding at the edges of a
// colour; seen gets what the points show, for failure messages.
bool ShowsPoints(const Screenshot& shot, const std::vector<Point>& points, std::string& seen);

// Whether the points a user looks at (the corners, the middle and points between; none in the
// top 40 rows) all show
// the colour, give or take a little for the renderer's rounding.
bool ShowsEverywhere(const Screenshot& shot, const Rgb& colour);
// How the screen looks, for failure messages: the colours at those points.
std::string Describe(const Screenshot& shot);

// Whether the X11 desktop's icon window (named "Desktop", of the file manager's windowClass) is
// mapped and takes a click: a right click on it opens the file manager's desktop menu (a new
// window of that class), which Escape closes again. whyNot says what failed.
bool IconWindowTakesClicks(DesktopSession& session, const std::string& windowClass, std::string& whyNot);

// The running processes (zombies aside) whose program is this file: the sandbox's own layer
// program, say.
std::vector<pid_t> ProcessesRunning(const std::filesystem::path& program);

// The sandbox set up for the session's account and environment: the program runs as that
// account with the session's environment only, plus extra.
void HandToSession(AppSandbox& sandbox, const DesktopSession& session, const Environment& extra);

// What a user's sway session gives the program on top of the session's own: the Wayland
// platform, the session type and the desktop's name, no forced backend or screen size.
Environment SwayUserEnvironment();

} // namespace ondrix::test
