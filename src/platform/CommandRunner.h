#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace ondrix {

struct CommandResult
{
    int exitCode = -1; // the program's exit status; -1 when it could not run or was ended by a signal
    std::string out;
    std::string err;
};

// Runs outside programs. Arguments travel as an argument vector, never through a shell, so a
// file name with spaces, quotes or ";" reaches the program as one argument.
class CommandRunner
{
public:
    virtual ~CommandRunner() = default;
    virtual CommandResult Run(const std::vector<std::string>& argv) = 0;
    // Whether program can be found (a name is looked up in PATH, a path is checked as it is).
    virtual bool IsInstalled(const std::string& program) = 0;
};

// Runs the program as a child process and collects its output. A program still running after
// the timeout is killed and reported with exit code -1 and a note on err. A program that
// cannot be started gives exit code 127 and the reason on err, as a shell would.
class ProcessCommandRunner final : public CommandRunner
{
public:
    explicit ProcessCommandRunner(std::chrono::milliseconds timeout = std::chrono::seconds(10))
        : m_timeout(timeout)
    {
    }
    CommandResult Run(const std::vector<std::string>& argv) override;
    bool IsInstalled(const std::string& program) override;

private:
    std::chrono::milliseconds m_timeout;
};

// The full path of program found in the PATH value given (or the program itself when it holds
// a "/" and is executable); empty when there is none.
std::string FindProgram(const std::string& program, const std::string& pathValue);

} // namespace ondrix
