#include "WlrootsDesktopWallpaper.h"

#include "DesktopCommands.h"
#include "SwayOutputs.h"
#include "core/Errors.h"
#include "platform/CommandRunner.h"
#include "platform/PictureFiles.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace ondrix {

namespace {

constexpr const char* kStateHeader = "wlroots";

// Piece n of the picture at path: "<name>-<n>.bmp" beside it.
std::string PiecePath(const std::string& path, std::size_t n)
{
    const std::filesystem::path picture(path);
    return (picture.parent_path() / (picture.stem().string() + "-" + std::to_string(n) + ".bmp")).string();
}

std::string Trimmed(const std::string& text)
{
    const auto end = text.find_last_not_of(" \t\r\n");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

} // namespace

int PosixChildProcesses::Start(const std::vector<std::string>& argv)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw PlatformError("Cannot start " + argv.at(0) + ": " + std::strerror(error));
    return pid;
}

bool PosixChildProcesses::Running(int pid)
{
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == 0;
}

void PosixChildProcesses::Stop(int pid)
{
    if (::kill(pid, SIGTERM) != 0)
        return;
    for (int i = 0; i < 50; ++i) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) != 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

WlrootsDesktopWallpaper::WlrootsDesktopWallpaper(CommandRunner& runner, bool swaySocket,
                                                 std::unique_ptr<ChildProcesses> children,
                                                 PictureFiles* pictures)
    : m_runner(runner), m_swaySocket(swaySocket), m_children(std::move(children)), m_pictures(pictures)
{
}

WlrootsDesktopWallpaper::~WlrootsDesktopWallpaper()
{
    StopChild();
}

void WlrootsDesktopWallpaper::StopChild()
{
    if (m_child > 0)
        m_children->Stop(m_child);
    m_child = -1;
}

void WlrootsDesktopWallpaper::Write(const Values& values)
{
    const bool tiled = values.tileWallpaper == "1";
    const bool empty = values.wallpaper.empty();
    if (m_swaySocket && (empty || SwaySafePath(values.wallpaper)) && m_runner.IsInstalled("swaymsg")) {
        if (empty || tiled || !WritePieces(values.wallpaper)) {
            RunSwaymsg(SwaymsgBackground(values.wallpaper, tiled), values.wallpaper);
            RemovePieces({});
        }
        StopChild();
        m_usedSwaymsg = true;
    } else {
        if (!m_runner.IsInstalled("swaybg"))
            throw PlatformError(
                "The program swaybg is not installed; it is needed to set the wallpaper of this "
                "Wayland desktop (Debian package swaybg)");
        // The new background is up before the old one goes, so the desktop never shows bare.
        const int child = m_children->Start(SwaybgCommand(values.wallpaper, tiled));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (!m_children->Running(child))
            throw PlatformError(
                "swaybg ended at once: the desktop is not a wlroots compositor, or it cannot read " +
                values.wallpaper);
        StopChild();
        m_child = child;
    }
    m_values = values;
    m_written = true;
}

void WlrootsDesktopWallpaper::RunSwaymsg(const std::vector<std::string>& argv, const std::string& path)
{
    const auto result = m_runner.Run(argv);
    if (result.exitCode != 0 || result.out.find("\"success\": false") != std::string::npos)
        throw PlatformError("sway did not take the wallpaper " + path + ": " +
                            Trimmed(result.err.empty() ? result.out : result.err));
}

bool WlrootsDesktopWallpaper::WritePieces(const std::string& path)
{
    // Pieces are written only beside the program's own work picture, never beside another file.
    if (m_pictures == nullptr || std::filesystem::path(path).parent_path().filename() != "WorkDir")
        return false;
    const auto listing = m_runner.Run({"swaymsg", "-t", "get_outputs", "-r"});
    if (listing.exitCode != 0)
        return false;
    auto outputs = ParseSwayOutputs(listing.out);
    if (!outputs)
        return false;
    std::erase_if(*outputs, [](const SwayOutput& output) { return !output.active; });
    // Only where the layout's pixels are the picture's: several outputs, each at scale 1 and
    // with a name that can stand in a command, their layout exactly the picture's size.
    if (outputs->size() < 2)
        return false;
    long long left = LLONG_MAX, top = LLONG_MAX, right = LLONG_MIN, bottom = LLONG_MIN;
    for (const SwayOutput& output : *outputs) {
        if (std::abs(output.scale - 1.0) > 1e-6 || !SwaySafePath(output.name) || output.name.front() == '-' ||
            output.rect.width < 1 || output.rect.height < 1)
            return false;
        left = std::min<long long>(left, output.rect.x);
        top = std::min<long long>(top, output.rect.y);
        right = std::max<long long>(right, static_cast<long long>(output.rect.x) + output.rect.width);
        bottom = std::max<long long>(bottom, static_cast<long long>(output.rect.y) + output.rect.height);
    }
    const DesktopSize size = m_pictures->SizeOf(path);
    if (size.width != right - left || size.height != bottom - top)
        return false;

    const BgrPixels picture = m_pictures->Load(path);
    if (picture.width != size.width || picture.height != size.height ||
        picture.bgr.size() != std::size_t(picture.width) * std::size_t(picture.height) * 3)
        return false;
    const std::filesystem::path work(path);
    std::vector<std::pair<std::string, std::string>> pieces;
    for (std::size_t i = 0; i < outputs->size(); ++i) {
        const SwayOutput& output = (*outputs)[i];
        const auto x = static_cast<std::size_t>(output.rect.x - left);
        const auto y = static_cast<std::size_t>(output.rect.y - top);
        BgrPixels piece{output.rect.width, output.rect.height, {}};
        piece.bgr.resize(std::size_t(piece.width) * std::size_t(piece.height) * 3);
        const std::size_t stride = std::size_t(picture.width) * 3;
        const std::size_t row = std::size_t(piece.width) * 3;
        for (std::size_t r = 0; r < std::size_t(piece.height); ++r)
            std::memcpy(piece.bgr.data() + r * row, picture.bgr.data() + (y + r) * stride + x * 3, row);
        const std::string file = PiecePath(path, i + 1);
        // Known as ours from the moment it exists, so that a failure further on leaves none behind.
        if (std::find(m_pieces.begin(), m_pieces.end(), file) == m_pieces.end())
            m_pieces.push_back(file);
        m_pictures->Save(piece, file);
        pieces.emplace_back(output.name, file);
    }
    for (const auto& [name, file] : pieces)
        RunSwaymsg({"swaymsg", "output", name, "bg", file, "center"}, file);
    std::vector<std::string> written;
    for (const auto& piece : pieces)
        written.push_back(piece.second);
    RemovePieces(written);
    return true;
}

void WlrootsDesktopWallpaper::RemovePieces(const std::vector<std::string>& keep)
{
    std::error_code error;
    for (const std::string& piece : m_pieces)
        if (std::find(keep.begin(), keep.end(), piece) == keep.end())
            std::filesystem::remove(piece, error);
    m_pieces = keep;
}

std::string WlrootsDesktopWallpaper::SaveState()
{
    return std::string(kStateHeader) + "\n" + (m_written ? "1" : "0") + "\n" + m_values.tileWallpaper + "\n" +
           m_values.wallpaper;
}

void WlrootsDesktopWallpaper::RestoreState(const std::string& state)
{
    const std::string header = std::string(kStateHeader) + "\n";
    if (state.compare(0, header.size(), header) != 0) {
        DesktopWallpaper::RestoreState(state);
        return;
    }
    const auto writtenEnd = state.find('\n', header.size());
    const auto tileEnd = writtenEnd == std::string::npos ? writtenEnd : state.find('\n', writtenEnd + 1);
    if (tileEnd == std::string::npos)
        throw PlatformError("The saved wallpaper state of the wlroots desktop is damaged");
    const bool written = state.substr(header.size(), writtenEnd - header.size()) == "1";
    const Values values{state.substr(tileEnd + 1), state.substr(writtenEnd + 1, tileEnd - writtenEnd - 1)};
    if (written) {
        Write(values);
        return;
    }
    // The user's own background was never touched through us: ending our swaybg uncovers it,
    // and sway draws its configured one again after a reload.
    StopChild();
    RemovePieces({});
    if (m_usedSwaymsg) {
        const auto result = m_runner.Run({"swaymsg", "reload"});
        if (result.exitCode != 0)
            throw PlatformError("sway did not reload its configured background: " + Trimmed(result.err));
        m_usedSwaymsg = false;
    }
    m_values = values;
    m_written = false;
}

} // namespace ondrix
