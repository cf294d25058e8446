#pragma once

// A real desktop for the end-to-end tests: its programs (a compositor, an X server, a D-Bus
// session, the desktop's own tools) started as an unprivileged account with their own HOME,
// XDG_CONFIG_HOME and XDG_RUNTIME_DIR, and all of them ended when the session goes, even when
// the test failed.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace ondrix::test {

using Environment = std::map<std::string, std::string>;

// Who runs the desktop and the program: the tests' own account, or, when the tests run as root
// (compositors refuse to), the account "ondrixtest", made when it is missing.
struct Account
{
    uid_t uid = 0;
    gid_t gid = 0;
    std::string name;
};

// The account, or nothing with the reason in whyNot.
std::optional<Account> DesktopAccount(std::string& whyNot);

// The programs of names that are not found in PATH, joined with ", " (empty when all are there).
std::string MissingPrograms(const std::vector<std::string>& names);

struct Rgb
{
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& colour);

// A screenshot read from a binary PPM (P6, 8 bits).
struct Screenshot
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    Rgb At(int x, int y) const;
};

// The picture of a P6 file; throws std::runtime_error for anything else.
Screenshot ReadPpm(const std::filesystem::path& file);

struct RunResult
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

class DesktopSession
{
public:
    explicit DesktopSession(const Account& account);
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    const Account& account() const { return m_account; }
    const std::filesystem::path& root() const { return m_root; }
    std::filesystem::path runtimeDir() const { return m_root / "runtime"; }

    // The environment every program of the session gets: PATH, HOME, XDG_CONFIG_HOME,
    // XDG_RUNTIME_DIR, TMPDIR, and, once started, DISPLAY, WAYLAND_DISPLAY, SWAYSOCK and
    // DBUS_SESSION_BUS_ADDRESS. Tests add their own.
    Environment environment;

    // Starts a long-running program in a process group of its own; its output goes to
    // <root>/logs/<name>.out and .err.
    pid_t Start(const std::vector<std::string>& argv, const std::string& name, const Environment& extra = {});
    // Runs a short program to its end (killed after the timeout) and returns what it printed.
    RunResult Run(const std::vector<std::string>& argv, const Environment& extra = {},
                  std::chrono::milliseconds timeout = std::chrono::seconds(20));
    bool Running(pid_t pid);
    // Ends the program and its process group: TERM, then KILL after a grace time.
    void Stop(pid_t pid);
    // The last part of a program's error output, for failure messages.
    std::string Log(const std::string& name) const;

    // A D-Bus session bus of our own (services such as xfconfd and dconf start on it).
    bool StartDbus(std::string& whyNot);
    // An Xvfb of the given size; sets DISPLAY.
    bool StartXvfb(int width, int height, std::string& whyNot);
    // openbox as the window manager and trayer as the notification area, on the X server.
    void StartWindowManagerAndTray();
    // Headless sway with outputs of the given size side by side (HEADLESS-1 at the left) and the
    // given extra configuration lines; sets WAYLAND_DISPLAY and SWAYSOCK.
    bool StartSway(int width, int height, const std::string& config, std::string& whyNot, int outputs = 1);

    // Headless mutter (GNOME's compositor) with one virtual monitor and XWayland, and PipeWire
    // for its screen casts; needs StartDbus first. Sets WAYLAND_DISPLAY, DISPLAY and XAUTHORITY.
    bool StartMutter(int width, int height, std::string& whyNot);
    // Headless KWin (KDE's compositor) with one virtual output and XWayland; sets WAYLAND_DISPLAY
    // and DISPLAY. Its screenshot service answers without asking.
    bool StartKWin(int width, int height, std::string& whyNot);

    // The screen as a user sees it: grim on Wayland, the root window on X11, and through the
    // services of mutter and KWin ("mutter", "kwin": the program ondrix-compositor-shot, given
    // by the tests).
    std::optional<Screenshot> GrabWayland(std::string& whyNot);
    std::optional<Screenshot> GrabX11(std::string& whyNot);
    std::optional<Screenshot> GrabCompositor(const std::string& shotProgram, const std::string& compositor,
                                             std::string& whyNot);

    // Makes a file or folder tree the account's own.
    void GiveToAccount(const std::filesystem::path& path) const;

    // The session's environment with extra on top, as its programs get it.
    Environment Merged(const Environment& extra = {}) const;

private:
    pid_t Spawn(const std::vector<std::string>& argv, const Environment& env,
                const std::filesystem::path& out, const std::filesystem::path& err);
    void EndStrays();
    bool TakeDisplays(const std::filesystem::path& displays, std::string& whyNot);

    Account m_account;
    std::filesystem::path m_root;
    std::vector<pid_t> m_started;
    int m_shots = 0;
};

} // namespace ondrix::test
