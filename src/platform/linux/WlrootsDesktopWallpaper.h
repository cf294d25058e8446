#pragma once

#include "platform/DesktopWallpaper.h"

#include <memory>
#include <string>
#include <vector>

namespace ondrix {

class CommandRunner;
class PictureFiles;

// Long-running helper programs (the swaybg that draws the background).
class ChildProcesses
{
public:
    virtual ~ChildProcesses() = default;
    // Starts the program without a shell; throws PlatformError when it cannot be started.
    virtual int Start(const std::vector<std::string>& argv) = 0;
    virtual bool Running(int pid) = 0;
    // Ends the program and collects it.
    virtual void Stop(int pid) = 0;
};

class PosixChildProcesses final : public ChildProcesses
{
public:
    int Start(const std::vector<std::string>& argv) override;
    bool Running(int pid) override;
    void Stop(int pid) override;
};

// The background of wlroots compositors: "output * bg" through swaymsg when sway runs, else a
// swaybg child of our own. Neither can be asked for the current background, so Read gives
// the values written last. sway puts a picture on each output: a picture of the size of its
// whole layout of several outputs (a stretched picture, or one fitted to each monitor) is cut
// into one piece per output, "<work file>-<n>.bmp" beside it, each given to its own output;
// pieces no output shows any more are removed.
class WlrootsDesktopWallpaper final : public DesktopWallpaper
{
public:
    // Without pictures no picture is cut.
    WlrootsDesktopWallpaper(CommandRunner& runner, bool swaySocket, std::unique_ptr<ChildProcesses> children,
                            PictureFiles* pictures = nullptr);
    ~WlrootsDesktopWallpaper() override;
    WlrootsDesktopWallpaper(const WlrootsDesktopWallpaper&) = delete;
    WlrootsDesktopWallpaper& operator=(const WlrootsDesktopWallpaper&) = delete;

    Values Read() override { return m_values; }
    void Write(const Values& values) override;
    std::string Name() const override { return "wlroots"; }
    std::string SaveState() override;
    void RestoreState(const std::string& state) override;

private:
    void StopChild();
    // Gives every output of sway its piece of the picture; false (nothing done) when the
    // picture does not span several outputs exactly.
    bool WritePieces(const std::string& path);
    void RunSwaymsg(const std::vector<std::string>& argv, const std::string& path);
    // Removes the pieces written before that are not in keep, which become the pieces.
    void RemovePieces(const std::vector<std::string>& keep);

    CommandRunner& m_runner;
    bool m_swaySocket;
    std::unique_ptr<ChildProcesses> m_children;
    PictureFiles* m_pictures;
    int m_child = -1;
    bool m_written = false;
    bool m_usedSwaymsg = false;
    Values m_values{"", "0"};
    std::vector<std::string> m_pieces;
};

} // namespace ondrix
