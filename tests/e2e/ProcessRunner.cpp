#include "ProcessRunner.h"

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <random>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace ondrix::test {

AppSandbox::AppSandbox()
{
    std::random_device device;
    m_root = std::filesystem::temp_directory_path() / ("ondrix-e2e-" + std::to_string(device()));
    std::filesystem::create_directories(m_root / "home");
    m_config = m_root / "config";
    std::filesystem::create_directories(m_config);
    std::filesystem::copy(ONDRIX_APP_DIR, appDir(), std::filesystem::copy_options::recursive);
    // A copy of a used build folder may hold a first-run list already, and sample themes that
    // a run of the program has converted: the samples are written afresh.
    std::filesystem::remove(appDir() / "imgLists" / "quorvane.lst");
    const std::string samples =
        std::string("'") + ONDRIX_SAMPLE_THEMES_TOOL + "' '" + (appDir() / "advThemes_").string() + "'";
    if (std::system(samples.c_str()) != 0)
        throw std::runtime_error("the sample themes could not be written into " + appDir().string());
}

AppSandbox::~AppSandbox()
{
    for (const pid_t pid : m_started) {
        if (::kill(pid, 0) == 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}

pid_t AppSandbox::Start(const std::vector<std::string>& arguments)
{
    return Start(arguments, Output{});
}

pid_t AppSandbox::Start(const std::vector<std::string>& arguments, const Output& output)
{
    std::map<std::string, std::string> variables;
    for (char** entry = environ; inheritEnvironment && *entry; ++entry) {
        const std::string text = *entry;
        const auto equals = text.find('=');
        if (equals != std::string::npos)
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    variables["HOME"] = (m_root / "home").string();
    variables["XDG_CONFIG_HOME"] = m_config.string();
    variables["QT_QPA_PLATFORM"] = "offscreen";
    variables["ONDRIX_SCREEN"] = "1024x768";
    variables["ONDRIX_DESKTOP"] = "file";
    variables.erase("DISPLAY");
    variables.erase("WAYLAND_DISPLAY");
    for (const auto& [name, value] : environment)
        variables[name] = value;

    std::vector<std::string> envText;
    for (const auto& [name, value] : variables)
        envText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& text : envText)
        envp.push_back(text.data());
    envp.push_back(nullptr);

    std::vector<std::string> argText{(appDir() / "ondrix").string()};
    argText.insert(argText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : argText)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    if (m_runAs) {
        // As the test account: its own groups and ids, in the sandbox (which is the account's).
        const auto [uid, gid] = *m_runAs;
        const std::string folder = m_root.string();
        pid = ::fork();
        if (pid < 0)
            throw std::runtime_error("could not start " + argText[0]);
        if (pid == 0) {
            const auto redirect = [](const std::filesystem::path& file, int to) {
                if (file.empty())
                    return true;
                const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
                return fd >= 0 && ::dup2(fd, to) >= 0 && ::close(fd) == 0;
            };
            if (!redirect(output.out, 1) || !redirect(output.err, 2) || ::setgroups(1, &gid) != 0 ||
                ::setgid(gid) != 0 || ::setuid(uid) != 0 || ::chdir(folder.c_str()) != 0)
                ::_exit(126);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
    } else {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!output.out.empty())
            posix_spawn_file_actions_addopen(&actions, 1, output.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                             0600);
        if (!output.err.empty())
            posix_spawn_file_actions_addopen(&actions, 2, output.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                             0600);
        const int failed = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0)
            throw std::runtime_error("could not start " + argText[0]);
    }
    m_started.push_back(pid);
    return pid;
}

AppSandbox::Run AppSandbox::RunToEnd(const std::vector<std::string>& arguments,
                                     std::chrono::milliseconds timeout)
{
    const std::string id = std::to_string(++m_runs);
    const Output output{m_root / ("run" + id + ".out"), m_root / ("run" + id + ".err")};
    return Finish(Start(arguments, output), output, timeout);
}

AppSandbox::Run AppSandbox::Finish(pid_t pid, const Output& output, std::chrono::milliseconds timeout)
{
    const auto read = [](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    Run run;
    run.status = WaitForExit(pid, timeout);
    run.out = read(output.out);
    run.err = read(output.err);
    return run;
}

void AppSandbox::UseConfigDir(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder);
    std::filesystem::copy(m_config, folder,
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    m_config = folder;
}

void AppSandbox::RunAs(uid_t uid, gid_t gid)
{
    if (::geteuid() != 0 || uid == 0)
        return;
    const auto give = [&](const std::filesystem::path& item) {
        if (::lchown(item.c_str(), uid, gid) != 0)
            throw std::runtime_error("could not give " + item.string() + " to the test account");
    };
    give(m_root);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_root))
        give(entry.path());
    m_runAs = std::pair{uid, gid};
}

std::optional<int> AppSandbox::WaitForExit(pid_t pid, std::chrono::milliseconds timeout)
{
    int status = 0;
    const bool ended = WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, timeout);
    if (!ended)
        return std::nullopt;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

} // namespace ondrix::test
