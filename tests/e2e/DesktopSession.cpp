#include "DesktopSession.h"

#include "ProcessRunner.h"

#include <cctype>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <pwd.h>
#include <random>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ondrix::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kAccountName = "ondrixtest";
constexpr const char* kMarker = "ONDRIX_TEST_SESSION";

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<Account> AccountOf(const passwd* entry)
{
    if (entry == nullptr)
        return std::nullopt;
    return Account{entry->pw_uid, entry->pw_gid, entry->pw_name};
}

// The full path of a program in the PATH of env, or empty.
std::string Locate(const std::string& program, const Environment& env)
{
    if (program.find('/') != std::string::npos)
        return program;
    const auto path = env.find("PATH");
    std::stringstream folders(path == env.end() ? std::string("/usr/bin:/bin") : path->second);
    for (std::string folder; std::getline(folders, folder, ':');) {
        const fs::path candidate = fs::path(folder.empty() ? "." : folder) / program;
        if (::access(candidate.c_str(), X_OK) == 0 && !fs::is_directory(candidate))
            return candidate.string();
    }
    return {};
}

Environment ProcessPath()
{
    const char* path = std::getenv("PATH");
    return {{"PATH", path != nullptr && *path != '\0' ? path : "/usr/local/bin:/usr/bin:/bin"}};
}

} // namespace

std::optional<Account> DesktopAccount(std::string& whyNot)
{
    if (::geteuid() != 0) {
        if (auto own = AccountOf(::getpwuid(::geteuid())))
            return own;
        whyNot = "the tests' own account has no entry in the user database";
        return std::nullopt;
    }
    if (auto existing = AccountOf(::getpwnam(kAccountName)))
        return existing;
    // Tests running at once may both try; the loser's "already exists" is fine.
    const int status =
        std::system("useradd --no-create-home --user-group --shell /usr/sbin/nologin ondrixtest "
                    ">/dev/null 2>&1");
    if (auto made = AccountOf(::getpwnam(kAccountName)))
        return made;
    whyNot =
        "running as root, and the unprivileged account ondrixtest could not be made (useradd ended with " +
        std::to_string(status) + "); sway refuses to run as root";
    return std::nullopt;
}

std::string MissingPrograms(const std::vector<std::string>& names)
{
    std::string missing;
    for (const auto& name : names) {
        if (Locate(name, ProcessPath()).empty())
            missing += (missing.empty() ? "" : ", ") + name;
    }
    return missing;
}

std::ostream& operator<<(std::ostream& out, const Rgb& colour)
{
    return out << "(" << colour.r << "," << colour.g << "," << colour.b << ")";
}

Rgb Screenshot::At(int x, int y) const
{
    const auto at =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
    return {rgb.at(at), rgb.at(at + 1), rgb.at(at + 2)};
}

Screenshot ReadPpm(const fs::path& file)
{
    const std::string bytes = ReadAll(file);
    std::size_t pos = 0;
    // The header: "P6", width, height, maximum, each after white space or a comment line.
    const auto token = [&] {
        while (pos < bytes.size()) {
            if (bytes[pos] == '#') {
                while (pos < bytes.size() && bytes[pos] != '\n')
                    ++pos;
            } else if (std::isspace(static_cast<unsigned char>(bytes[pos])) != 0) {
                ++pos;
            } else {
                break;
            }
        }
        const std::size_t start = pos;
        while (pos < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[pos])) == 0)
            ++pos;
        return bytes.substr(start, pos - start);
    };
    if (token() != "P6")
        throw std::runtime_error("not a binary PPM: " + file.string());
    Screenshot shot;
    try {
        shot.width = std::stoi(token());
        shot.height = std::stoi(token());
        if (std::stoi(token()) != 255)
            throw std::runtime_error("not 8 bits");
    } catch (const std::exception&) {
        throw std::runtime_error("a damaged PPM header: " + file.string());
    }
    ++pos; // the one white-space byte before the samples
    const std::size_t size = static_cast<std::size_t>(shot.width) * static_cast<std::size_t>(shot.height) * 3;
    if (shot.width <= 0 || shot.height <= 0 || bytes.size() < pos + size)
        throw std::runtime_error("a short PPM: " + file.string());
    shot.rgb.assign(bytes.begin() + static_cast<long>(pos), bytes.begin() + static_cast<long>(pos + size));
    return shot;
}

DesktopSession::DesktopSession(const Account& account) : m_account(account)
{
    std::random_device device;
    m_root = fs::temp_directory_path() / ("ondrix-desktop-" + std::to_string(device()));
    for (const char* folder : {"runtime", "home", "config", "cache", "data", "logs"})
        fs::create_directories(m_root / folder);
    fs::permissions(m_root / "runtime", fs::perms::owner_all);
    GiveToAccount(m_root);

    environment = ProcessPath();
    environment["HOME"] = (m_root / "home").string();
    environment["USER"] = m_account.name;
    environment["LOGNAME"] = m_account.name;
    environment["XDG_CONFIG_HOME"] = (m_root / "config").string();
    environment["XDG_CACHE_HOME"] = (m_root / "cache").string();
    environment["XDG_DATA_HOME"] = (m_root / "data").string();
    environment["XDG_RUNTIME_DIR"] = runtimeDir().string();
    environment["TMPDIR"] = runtimeDir().string();
    environment["LANG"] = "C.UTF-8";
    // The sanitizer builds' settings reach the program too.
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            environment[name] = value;
}

DesktopSession::~DesktopSession()
{
    for (auto pid = m_started.rbegin(); pid != m_started.rend(); ++pid)
        Stop(*pid);
    EndStrays();
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

void DesktopSession::GiveToAccount(const fs::path& path) const
{
    if (::geteuid() != 0)
        return;
    const auto give = [&](const fs::path& item) {
        if (::lchown(item.c_str(), m_account.uid, m_account.gid) != 0)
            throw std::runtime_error("cannot give " + item.string() + " to " + m_account.name);
    };
    give(path);
    if (fs::is_directory(fs::symlink_status(path)))
        for (const auto& entry : fs::recursive_directory_iterator(path))
            give(entry.path());
}

Environment DesktopSession::Merged(const Environment& extra) const
{
    Environment env = environment;
    for (const auto& [name, value] : extra)
        env[name] = value;
    // Every program of the session carries the mark, so that none outlives the session.
    env[kMarker] = m_root.string();
    return env;
}

pid_t DesktopSession::Spawn(const std::vector<std::string>& argv, const Environment& env, const fs::path& out,
                            const fs::path& err)
{
    const std::string program = Locate(argv.at(0), env);
    if (program.empty())
        throw std::runtime_error(argv.at(0) + " is not installed");
    // Everything the child needs is made before the fork: after it only plain system calls run.
    std::vector<std::string> envText;
    for (const auto& [name, value] : env)
        envText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& text : envText)
        envp.push_back(text.data());
    envp.push_back(nullptr);
    std::vector<std::string> argText = argv;
    std::vector<char*> args;
    for (auto& text : argText)
        args.push_back(text.data());
    args.push_back(nullptr);
    const std::string outPath = out.string();
    const std::string errPath = err.string();
    const std::string home = (m_root / "home").string();
    const bool switchAccount = ::geteuid() == 0 && m_account.uid != 0;
    const uid_t uid = m_account.uid;
    const gid_t gid = m_account.gid;

    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("cannot fork for " + argv.at(0));
    if (pid == 0) {
        ::setpgid(0, 0);
        const int in = ::open("/dev/null", O_RDONLY);
        const int o = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const int e = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (in < 0 || o < 0 || e < 0)
            ::_exit(126);
        ::dup2(in, STDIN_FILENO);
        ::dup2(o, STDOUT_FILENO);
        ::dup2(e, STDERR_FILENO);
        if (switchAccount) {
            if (::fchown(o, uid, gid) != 0 || ::fchown(e, uid, gid) != 0 || ::setgroups(1, &gid) != 0 ||
                ::setgid(gid) != 0 || ::setuid(uid) != 0)
                ::_exit(126);
        }
        if (::chdir(home.c_str()) != 0)
            ::_exit(126);
        ::execve(program.c_str(), args.data(), envp.data());
        ::_exit(127);
    }
    ::setpgid(pid, pid);
    return pid;
}

pid_t DesktopSession::Start(const std::vector<std::string>& argv, const std::string& name,
                            const Environment& extra)
{
    const pid_t pid =
        Spawn(argv, Merged(extra), m_root / "logs" / (name + ".out"), m_root / "logs" / (name + ".err"));
    m_started.push_back(pid);
    return pid;
}

RunResult DesktopSession::Run(const std::vector<std::string>& argv, const Environment& extra,
                              std::chrono::milliseconds timeout)
{
    static int runs = 0;
    const std::string name = "run-" + std::to_string(++runs);
    const fs::path out = m_root / "logs" / (name + ".out");
    const fs::path err = m_root / "logs" / (name + ".err");
    const pid_t pid = Spawn(argv, Merged(extra), out, err);
    int status = 0;
    const bool ended = WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, timeout);
    RunResult result;
    if (!ended) {
        ::kill(-pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        result.err = argv.at(0) + " did not end within its time\n";
    } else if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    result.out = ReadAll(out);
    result.err += ReadAll(err);
    return result;
}

bool DesktopSession::Running(pid_t pid)
{
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == 0;
}

void DesktopSession::Stop(pid_t pid)
{
    if (::kill(-pid, SIGTERM) != 0 && ::kill(pid, SIGTERM) != 0) {
        ::waitpid(pid, nullptr, WNOHANG);
        return;
    }
    int status = 0;
    if (!WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) != 0; }, 3s)) {
        ::kill(-pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    // What the leader started in its group goes with it.
    ::kill(-pid, SIGKILL);
}

void DesktopSession::EndStrays()
{
    const std::string mark = std::string(kMarker) + "=" + m_root.string();
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string env = ReadAll(entry.path() / "environ");
        std::size_t at = 0;
        bool ours = false;
        while (at < env.size() && !ours) {
            const std::size_t end = env.find('\0', at);
            ours = env.compare(at, (end == std::string::npos ? env.size() : end) - at, mark) == 0;
            at = end == std::string::npos ? env.size() : end + 1;
        }
        if (ours) {
            const pid_t pid = static_cast<pid_t>(std::stol(name));
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, WNOHANG);
        }
    }
}

std::string DesktopSession::Log(const std::string& name) const
{
    const std::string text = ReadAll(m_root / "logs" / (name + ".err"));
    return text.size() > 3000 ? text.substr(text.size() - 3000) : text;
}

bool DesktopSession::StartDbus(std::string& whyNot)
{
    const fs::path socket = runtimeDir() / "bus";
    const pid_t pid = Start(
        {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=unix:path=" + socket.string()},
        "dbus");
    if (!WaitUntil([&] { return fs::exists(socket); }, 10s) || !Running(pid)) {
        whyNot = "the D-Bus session did not start: " + Log("dbus");
        return false;
    }
    environment["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + socket.string();
    return true;
}

bool DesktopSession::StartXvfb(int width, int height, std::string& whyNot)
{
    // Xvfb keeps its socket there; only root may make the folder.
    const fs::path sockets = "/tmp/.X11-unix";
    if (!fs::exists(sockets) && ::geteuid() == 0) {
        fs::create_directories(sockets);
        ::chmod(sockets.c_str(), 01777);
    }
    const pid_t pid =
        Start({"Xvfb", "-displayfd", "1", "-screen", "0",
               std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp", "-noreset"},
              "xvfb");
    std::string number;
    const bool up = WaitUntil(
        [&] {
            const std::string out = ReadAll(m_root / "logs" / "xvfb.out");
            if (out.find('\n') == std::string::npos)
                return false;
            number = out.substr(0, out.find('\n'));
            return true;
        },
        15s);
    if (!up || !Running(pid) || number.empty()) {
        whyNot = "Xvfb did not start: " + Log("xvfb");
        return false;
    }
    environment["DISPLAY"] = ":" + number;
    return true;
}

bool DesktopSession::StartSway(int width, int height, const std::string& config, std::string& whyNot,
                               int outputs)
{
    const fs::path file = m_root / "sway.config";
    {
        std::ofstream lines(file);
        for (int i = 0; i < outputs; ++i)
            lines << "output HEADLESS-" << i + 1 << " resolution " << width << "x" << height << " position "
                  << i * width << " 0\n";
        lines << config << "\n";
    }
    GiveToAccount(file);
    const pid_t pid = Start({"sway", "-c", file.string()}, "sway",
                            {{"WLR_BACKENDS", "headless"},
                             {"WLR_HEADLESS_OUTPUTS", std::to_string(outputs)},
                             {"WLR_LIBINPUT_NO_DEVICES", "1"},
                             {"WLR_RENDERER", "pixman"},
                             {"XDG_SESSION_TYPE", "wayland"}});
    std::string display, ipc;
    const bool up = WaitUntil(
        [&] {
            std::error_code error;
            for (const auto& entry : fs::directory_iterator(runtimeDir(), error)) {
                const std::string name = entry.path().filename().string();
                if (name.starts_with("wayland-") && !name.ends_with(".lock"))
                    display = name;
                if (name.starts_with("sway-ipc.") && name.ends_with(".sock"))
                    ipc = entry.path().string();
            }
            return !display.empty() && !ipc.empty();
        },
        15s);
    if (!up || !Running(pid)) {
        whyNot = "sway did not start: " + Log("sway");
        return false;
    }
    environment["WAYLAND_DISPLAY"] = display;
    environment["SWAYSOCK"] = ipc;
    // The outputs are up once sway answers on its socket.
    if (!WaitUntil([&] { return Run({"swaymsg", "-t", "get_outputs"}).exitCode == 0; }, 10s)) {
        whyNot = "sway does not answer on " + ipc + ": " + Log("sway");
        return false;
    }
    return true;
}

void DesktopSession::StartWindowManagerAndTray()
{
    Start({"openbox"}, "openbox");
    Start({"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
           "--height", "24", "--transparent", "false"},
          "trayer");
}

bool DesktopSession::StartMutter(int width, int height, std::string& whyNot)
{
    for (const char* program : {"pipewire", "wireplumber"}) {
        const pid_t pid = Start({program}, program);
        WaitUntil([] { return false; }, 300ms);
        if (!Running(pid)) {
            whyNot = std::string(program) + " did not start: " + Log(program);
            return false;
        }
    }
    // Mutter hands its displays to the program it runs: that one writes them down and waits.
    const fs::path displays = m_root / "mutter.env";
    const pid_t pid = Start({"mutter", "--headless", "--wayland", "--virtual-monitor",
                             std::to_string(width) + "x" + std::to_string(height), "--", "sh", "-c",
                             "env > '" + displays.string() + ".part' && mv '" + displays.string() +
                                 ".part' '" + displays.string() + "' && exec sleep 86400"},
                            "mutter");
    if (!WaitUntil([&] { return fs::exists(displays); }, 30s) || !Running(pid)) {
        whyNot = "mutter did not start: " + Log("mutter");
        return false;
    }
    return TakeDisplays(displays, whyNot);
}

bool DesktopSession::TakeDisplays(const fs::path& displays, std::string& whyNot)
{
    std::istringstream lines(ReadAll(displays));
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        const std::string name = line.substr(0, equals);
        if (equals != std::string::npos &&
            (name == "WAYLAND_DISPLAY" || name == "DISPLAY" || name == "XAUTHORITY"))
            environment[name] = line.substr(equals + 1);
    }
    if (environment["DISPLAY"].empty() || environment["WAYLAND_DISPLAY"].empty()) {
        whyNot = "the compositor named no displays: " + ReadAll(displays);
        return false;
    }
    return true;
}

bool DesktopSession::StartKWin(int width, int height, std::string& whyNot)
{
    // The installed program carries a file capability that a container refuses; a plain copy
    // (without it) runs.
    const fs::path kwin = m_root / "kwin_wayland";
    std::error_code error;
    fs::copy_file("/usr/bin/kwin_wayland", kwin, fs::copy_options::overwrite_existing, error);
    if (error) {
        whyNot = "kwin_wayland cannot be copied: " + error.message();
        return false;
    }
    GiveToAccount(kwin);
    // KWin hands its displays to the program it runs: that one writes them down and waits.
    const fs::path displays = m_root / "kwin.env";
    const fs::path inner = m_root / "kwin-session.sh";
    {
        std::ofstream script(inner);
        script << "env > '" << displays.string() << ".part' && mv '" << displays.string() << ".part' '"
               << displays.string() << "' && exec sleep 86400\n";
    }
    GiveToAccount(inner);
    const pid_t pid =
        Start({kwin.string(), "--virtual", "--xwayland", "--width", std::to_string(width), "--height",
               std::to_string(height), "--no-lockscreen", "--exit-with-session", "sh " + inner.string()},
              "kwin", {{"KWIN_SCREENSHOT_NO_PERMISSION_CHECKS", "1"}});
    if (!WaitUntil([&] { return fs::exists(displays); }, 30s) || !Running(pid)) {
        whyNot = "KWin did not start: " + Log("kwin");
        return false;
    }
    return TakeDisplays(displays, whyNot);
}

std::optional<Screenshot> DesktopSession::GrabCompositor(const std::string& shotProgram,
                                                         const std::string& compositor, std::string& whyNot)
{
    const fs::path png = runtimeDir() / ("shot-" + std::to_string(++m_shots) + ".png");
    const fs::path ppm = runtimeDir() / ("shot-" + std::to_string(m_shots) + ".ppm");
    const RunResult shot = Run({shotProgram, compositor, png.string()});
    if (shot.exitCode != 0) {
        whyNot = "the screen cast failed: " + shot.err;
        return std::nullopt;
    }
    const RunResult converted = Run({"convert", png.string(), "-depth", "8", "ppm:" + ppm.string()});
    if (converted.exitCode != 0) {
        whyNot = "convert failed: " + converted.err;
        return std::nullopt;
    }
    return ReadPpm(ppm);
}

std::optional<Screenshot> DesktopSession::GrabWayland(std::string& whyNot)
{
    const fs::path file = runtimeDir() / ("shot-" + std::to_string(++m_shots) + ".ppm");
    const RunResult result = Run({"grim", "-t", "ppm", file.string()});
    if (result.exitCode != 0) {
        whyNot = "grim failed: " + result.err;
        return std::nullopt;
    }
    return ReadPpm(file);
}

std::optional<Screenshot> DesktopSession::GrabX11(std::string& whyNot)
{
    const fs::path file = runtimeDir() / ("shot-" + std::to_string(++m_shots) + ".ppm");
    const RunResult result = Run({"import", "-window", "root", "-depth", "8", "ppm:" + file.string()});
    if (result.exitCode != 0) {
        whyNot = "import failed: " + result.err;
        return std::nullopt;
    }
    return ReadPpm(file);
}

} // namespace ondrix::test
