#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace ondrix::test {

// The real executable started in a copy of the application folder with its own HOME and
// XDG_CONFIG_HOME, so that a test never touches the user's settings.
class AppSandbox
{
public:
    AppSandbox();
    ~AppSandbox();
    AppSandbox(const AppSandbox&) = delete;
    AppSandbox& operator=(const AppSandbox&) = delete;

    const std::filesystem::path& root() const { return m_root; }
    std::filesystem::path appDir() const { return m_root / "Ondrix"; }
    std::filesystem::path configDir() const { return m_config; }
    std::filesystem::path registryFile() const { return m_config / "Quorvane" / "Ondrix2.reg"; }
    // The program's XDG_CONFIG_HOME becomes folder (a desktop session's own, whose settings
    // store its tools read from there); what the sandbox's folder holds is copied over.
    void UseConfigDir(const std::filesystem::path& folder);

    // Extra environment for the next start (on top of the sandbox's own).
    std::map<std::string, std::string> environment;
    // False: the program gets none of the tests' own environment (a real desktop's session
    // hands in all it needs through environment).
    bool inheritEnvironment = true;
    // Runs the program as that account from now on; the sandbox becomes the account's.
    void RunAs(uid_t uid, gid_t gid);

    pid_t Start(const std::vector<std::string>& arguments = {});
    // The program started with its standard output and error going to files of the sandbox.
    struct Output
    {
        std::filesystem::path out;
        std::filesystem::path err;
    };
    pid_t Start(const std::vector<std::string>& arguments, const Output& output);
    // Runs the program to its end (a command-line client): exit status and what it printed.
    struct Run
    {
        std::optional<int> status;
        std::string out;
        std::string err;
    };
    Run RunToEnd(const std::vector<std::string>& arguments,
                 std::chrono::milliseconds timeout = std::chrono::seconds(40));
    Run Finish(pid_t pid, const Output& output, std::chrono::milliseconds timeout);
    // Exit status of a finished process, or nothing when it did not end in time.
    std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds timeout);

private:
    std::filesystem::path m_root;
    std::filesystem::path m_config;
    std::vector<pid_t> m_started;
    std::optional<std::pair<uid_t, gid_t>> m_runAs;
    int m_runs = 0;
};

// Polls until the predicate holds or the time is up.
template <typename Predicate> bool WaitUntil(Predicate predicate, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (predicate())
            return true;
        timespec pause{0, 50'000'000};
        nanosleep(&pause, nullptr);
    }
    return predicate();
}

} // namespace ondrix::test
