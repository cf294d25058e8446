#pragma once

#include "platform/CommandRunner.h"

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace ondrix {

// Records every command and answers from a script: a handler sees each command first and may
// answer it; otherwise the queued answers are given in order; otherwise exit code 0 and no output.
class FakeCommandRunner final : public CommandRunner
{
public:
    using Handler = std::function<bool(const std::vector<std::string>& argv, CommandResult& answer)>;

    CommandResult Run(const std::vector<std::string>& argv) override
    {
        calls.push_back(argv);
        CommandResult answer{0, {}, {}};
        if (handler && handler(argv, answer))
            return answer;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        return answer;
    }
    bool IsInstalled(const std::string& program) override { return installed.count(program) > 0; }

    std::vector<std::vector<std::string>> calls;
    std::deque<CommandResult> answers;
    std::set<std::string> installed;
    Handler handler;
};

} // namespace ondrix
