#pragma once

#include "core/EscapedText.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ondrix {

// The command line of the program and the requests it sends to the running copy.
//
// Without a command the program starts. A command (--next, --on, --off, --mode, --apply-theme,
// --set-picture, --status) is sent to the copy already running for this user's settings, over
// the single-instance socket, as one request line; the running copy answers with a status
// line and, for --status, "name: value" lines, then closes the connection.
//
//   request: "ONDRIX/1 <verb>[ <argument>]\n"
//   answer:  "ONDRIX/1 ok\n" ["<name>: <value>\n"]...   or   "ONDRIX/1 error <message>\n"
//
// Arguments, values and messages escape "%", the control characters and DEL as "%XX".

enum class Verb
{
    Start, // no command: run the program
    Help,
    Next,
    On,
    Off,
    Mode,
    ApplyTheme,
    SetPicture,
    Status,
};

// The process's exit status for each outcome of a command.
enum class ExitCode : int
{
    Done = 0,
    Failed = 1,     // the running copy refused or failed, or did not answer
    Usage = 2,      // unknown option, missing or wrong argument
    NotRunning = 3, // no running copy to send the command to
};

struct Command
{
    Verb verb = Verb::Start;
    std::string argument; // "pictures"/"themes" for Mode, an absolute path for the two files
    friend bool operator==(const Command&, const Command&) = default;
};

// The longest request line the running copy reads, and the longest answer the client reads.
inline constexpr std::size_t kMaxRequestBytes = 16384;
inline constexpr std::size_t kMaxAnswerBytes = 65536;
inline constexpr std::string_view kProtocol = "ONDRIX/1";

struct ParsedArguments
{
    Command command;
    std::string error; // not empty: a usage error, said in one sentence
};

// arguments: argv without the program name; currentFolder makes the file arguments absolute
// (the running copy works in its own folder). Options are ours when they begin with "--" (or
// are "-h"); other arguments without a command are left to the toolkit (-platform, -session).
ParsedArguments ParseArguments(const std::vector<std::string>& arguments, const std::string& currentFolder);

// The text of --help: the commands, the exit codes.
std::string UsageText();
// "--next", "--mode" and so on: how a verb is written on the command line.
std::string OptionName(Verb verb);

std::string EncodeRequest(const Command& command);
struct DecodedRequest
{
    std::optional<Command> command;
    std::string error; // why the line was refused
};
// line: one request line, without its line end.
DecodedRequest DecodeRequest(std::string_view line);

using StatusFields = std::vector<std::pair<std::string, std::string>>;
struct Answer
{
    bool ok = false;
    std::string message; // why it failed
    StatusFields fields;
    friend bool operator==(const Answer&, const Answer&) = default;
};
std::string EncodeAnswer(const Answer& answer);
// Nothing when the bytes are not a whole answer of this protocol.
std::optional<Answer> DecodeAnswer(std::string_view bytes);

// The fields of --status, in the order they are printed.
StatusFields StatusFieldsOf(bool pictureMode, bool enabled, const std::string& list,
                            const std::string& picture, const std::string& theme);

// What the client prints and returns for an exchange with the running copy.
enum class Delivery
{
    NotRunning, // nobody listens on the socket
    Answered,   // the running copy answered and closed the connection
    NoAnswer,   // connected, but no whole answer came in time
};
struct ClientReport
{
    ExitCode exitCode = ExitCode::Failed;
    std::string out; // for the standard output: the --status lines
    std::string err; // for the standard error: every message
};
ClientReport ReportExchange(const Command& command, Delivery delivery, std::string_view answer);
// The report of a usage error: the reason, then the --help text.
ClientReport ReportUsageError(const std::string& error);

} // namespace ondrix
