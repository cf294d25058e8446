#include "CommandRunner.h"

#include "core/Errors.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace ondrix {

namespace {

class Fd
{
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { Close(); }
    int Get() const { return m_fd; }
    void Reset(int fd)
    {
        Close();
        m_fd = fd;
    }
    void Close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
};

void MakePipe(Fd& readEnd, Fd& writeEnd)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw PlatformError(std::string("Cannot create a pipe: ") + std::strerror(errno));
    readEnd.Reset(fds[0]);
    writeEnd.Reset(fds[1]);
}

// Reads what is there; false at end of file.
bool Drain(Fd& fd, std::string& into)
{
    char buffer[65536];
    const ssize_t count = ::read(fd.Get(), buffer, sizeof buffer);
    if (count > 0) {
        into.append(buffer, static_cast<std::size_t>(count));
        return true;
    }
    if (count < 0 && (errno == EINTR || errno == EAGAIN))
        return true;
    fd.Close();
    return false;
}

int WaitForChild(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

std::string FindProgram(const std::string& program, const std::string& pathValue)
{
    if (program.empty())
        return {};
    const auto executable = [](const std::string& path) {
        struct stat info
        {
        };
        return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
    };
    if (program.find('/') != std::string::npos)
        return executable(program) ? program : std::string();
    std::size_t start = 0;
    while (start <= pathValue.size()) {
        auto end = pathValue.find(':', start);
        if (end == std::string::npos)
            end = pathValue.size();
        // An empty entry means the current folder, as in a shell.
        const std::string folder = end == start ? "." : pathValue.substr(start, end - start);
        const std::string candidate = folder + "/" + program;
        if (executable(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

bool ProcessCommandRunner::IsInstalled(const std::string& program)
{
    const char* path = std::getenv("PATH");
    return !FindProgram(program, path ? path : "/usr/local/bin:/usr/bin:/bin").empty();
}

CommandResult ProcessCommandRunner::Run(const std::vector<std::string>& argv)
{
    CommandResult result;
    if (argv.empty()) {
        result.exitCode = 127;
        result.err = "No program to run";
        return result;
    }

    Fd outRead, outWrite, errRead, errWrite;
    MakePipe(outRead, outWrite);
    MakePipe(errRead, errWrite);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outWrite.Get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errWrite.Get(), STDERR_FILENO);

    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    pid_t pid = 0;
    const int spawnError = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    outWrite.Close();
    errWrite.Close();
    if (spawnError != 0) {
        result.exitCode = 127;
        result.err = "Cannot run " + argv[0] + ": " + std::strerror(spawnError);
        return result;
    }

    // Both pipes are read as data arrives, so a child filling one of them never blocks.
    const auto deadline = std::chrono::steady_clock::now() + m_timeout;
    bool timedOut = false;
    while (outRead.Get() >= 0 || errRead.Get() >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd fds[2] = {{outRead.Get(), POLLIN, 0}, {errRead.Get(), POLLIN, 0}};
        const int ready = ::poll(fds, 2, static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        if (fds[0].revents != 0)
            Drain(outRead, result.out);
        if (fds[1].revents != 0)
            Drain(errRead, result.err);
    }
    if (timedOut) {
        ::kill(pid, SIGKILL);
        WaitForChild(pid);
        result.exitCode = -1;
        result.err += "\n" + argv[0] + " did not finish within " + std::to_string(m_timeout.count()) +
                      " ms and was ended";
        return result;
    }
    result.exitCode = WaitForChild(pid);
    return result;
}

} // namespace ondrix
