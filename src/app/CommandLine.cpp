#include "CommandLine.h"

#include <array>
#include <filesystem>

namespace ondrix {

namespace {

struct VerbName
{
    Verb verb;
    std::string_view name; // on the command line after "--", and in requests
    bool takesValue;
};

constexpr std::array kVerbs{
    VerbName{Verb::Next, "next", false},
    VerbName{Verb::On, "on", false},
    VerbName{Verb::Off, "off", false},
    VerbName{Verb::Mode, "mode", true},
    VerbName{Verb::ApplyTheme, "apply-theme", true},
    VerbName{Verb::SetPicture, "set-picture", true},
    VerbName{Verb::Status, "status", false},
};

const VerbName* FindVerb(std::string_view name)
{
    for (const VerbName& entry : kVerbs)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

const VerbName& EntryOf(Verb verb)
{
    for (const VerbName& entry : kVerbs)
        if (entry.verb == verb)
            return entry;
    return kVerbs.front();
}

bool IsFileVerb(Verb verb)
{
    return verb == Verb::ApplyTheme || verb == Verb::SetPicture;
}

bool IsModeName(std::string_view value)
{
    return value == "pictures" || value == "themes";
}

// Text taken from outside shown in a message: escaped and cut short.
std::string Shown(std::string_view text)
{
    constexpr std::size_t kShownBytes = 60;
    std::string shown = EscapeText(text.substr(0, kShownBytes));
    if (text.size() > kShownBytes)
        shown += "...";
    return shown;
}

// Control characters of an answer are shown, never sent to the terminal.
std::string Printable(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::string AbsoluteFrom(const std::string& currentFolder, const std::string& path)
{
    if (!path.empty() && path.front() == '/')
        return path;
    return (std::filesystem::path(currentFolder) / path).string();
}

} // namespace

std::string OptionName(Verb verb)
{
    if (verb == Verb::Help)
        return "--help";
    if (verb == Verb::Start)
        return {};
    return "--" + std::string(EntryOf(verb).name);
}

ParsedArguments ParseArguments(const std::vector<std::string>& arguments, const std::string& currentFolder)
{
    ParsedArguments parsed;
    bool help = false;
    std::string toolkitArgument; // the first argument left to the toolkit
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            help = true;
            continue;
        }
        if (argument.rfind("--", 0) != 0) {
            if (toolkitArgument.empty())
                toolkitArgument = argument.empty() ? std::string("\"\"") : argument;
            continue;
        }
        if (!parsed.error.empty())
            continue;
        const std::size_t equals = argument.find('=');
        const std::string name =
            argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        const VerbName* entry = FindVerb(name);
        if (entry == nullptr) {
            parsed.error = "unknown option \"" + Shown(argument.substr(0, equals)) + "\"";
            continue;
        }
        if (parsed.command.verb != Verb::Start) {
            parsed.error = "one command at a time: " + OptionName(parsed.command.verb) + " and --" +
                           std::string(entry->name);
            continue;
        }
        std::string value;
        if (!entry->takesValue) {
            if (equals != std::string::npos) {
                parsed.error = "--" + std::string(entry->name) + " takes no value";
                continue;
            }
        } else if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size() && arguments[i + 1].rfind("--", 0) != 0) {
            value = arguments[++i];
        }
        const std::string option = "--" + std::string(entry->name);
        if (entry->verb == Verb::Mode && !IsModeName(value)) {
            parsed.error = value.empty() ? option + " needs a value: pictures or themes"
                                         : option + " takes pictures or themes, not \"" + Shown(value) + "\"";
            continue;
        }
        if (IsFileVerb(entry->verb)) {
            if (value.empty()) {
                parsed.error = option + " needs a FILE";
                continue;
            }
            value = AbsoluteFrom(currentFolder, value);
        }
        parsed.command = Command{entry->verb, value};
    }
    if (help)
        return ParsedArguments{Command{Verb::Help, {}}, {}};
    if (parsed.error.empty() && parsed.command.verb != Verb::Start && !toolkitArgument.empty())
        parsed.error = "unexpected argument \"" + Shown(toolkitArgument) + "\"";
    if (!parsed.error.empty())
        parsed.command = Command{};
    return parsed;
}

std::string UsageText()
{
    return "Usage: ondrix [COMMAND]\n"
           "\n"
           "Without a command Ondrix starts; when it runs already, its window is shown.\n"
           "A command is carried out by the running copy of Ondrix:\n"
           "\n"
           "  --next                  change to the next picture or theme now\n"
           "  --on                    switch changing on\n"
           "  --off                   switch changing off\n"
           "  --mode pictures|themes  change pictures (image lists) or desktop themes\n"
           "  --apply-theme FILE      show the theme package FILE; a package from elsewhere\n"
           "                          is first taken into the theme store\n"
           "  --set-picture FILE      show the picture FILE (BMP or JPEG) in picture mode\n"
           "  --status                print the mode, on/off, the current list, picture and theme\n"
           "  -h, --help              print this text\n"
           "\n"
           "Exit codes: 0 done; 1 the running copy refused or failed (the reason is printed);\n"
           "2 wrong command line; 3 Ondrix is not running.\n";
}

std::string EncodeRequest(const Command& command)
{
    std::string line(kProtocol);
    line += ' ';
    line += EntryOf(command.verb).name;
    if (!command.argument.empty() || EntryOf(command.verb).takesValue) {
        line += ' ';
        line += EscapeText(command.argument);
    }
    line += '\n';
    return line;
}

DecodedRequest DecodeRequest(std::string_view line)
{
    DecodedRequest decoded;
    if (line.size() > kMaxRequestBytes) {
        decoded.error = "the request is too long";
        return decoded;
    }
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    const std::size_t space = line.find(' ');
    const std::string_view protocol = line.substr(0, space);
    if (protocol != kProtocol) {
        decoded.error =
            protocol.rfind("ONDRIX/", 0) == 0
                ? "protocol " + Shown(protocol) + " is not understood (" + std::string(kProtocol) + " is)"
                : std::string("not a request of this program");
        return decoded;
    }
    if (space == std::string_view::npos) {
        decoded.error = "the request names no command";
        return decoded;
    }
    const std::string_view rest = line.substr(space + 1);
    const std::size_t argumentAt = rest.find(' ');
    const std::string_view verbName = rest.substr(0, argumentAt);
    const VerbName* entry = FindVerb(verbName);
    if (entry == nullptr) {
        decoded.error = "unknown command \"" + Shown(verbName) + "\"";
        return decoded;
    }
    const std::string option = "--" + std::string(entry->name);
    if (!entry->takesValue) {
        if (argumentAt != std::string_view::npos)
            decoded.error = option + " takes no value";
        else
            decoded.command = Command{entry->verb, {}};
        return decoded;
    }
    if (argumentAt == std::string_view::npos || argumentAt + 1 == rest.size()) {
        decoded.error = option + " needs a value";
        return decoded;
    }
    const std::optional<std::string> argument = UnescapeText(rest.substr(argumentAt + 1));
    if (!argument) {
        decoded.error = option + " has a badly escaped value";
        return decoded;
    }
    if (entry->verb == Verb::Mode && !IsModeName(*argument)) {
        decoded.error = option + " takes pictures or themes, not \"" + Shown(*argument) + "\"";
        return decoded;
    }
    if (IsFileVerb(entry->verb)) {
        if (argument->find('\0') != std::string::npos) {
            decoded.error = "a file name cannot hold a NUL byte";
            return decoded;
        }
        if (argument->front() != '/') {
            decoded.error = "the file \"" + Shown(*argument) + "\" is not given with its full path";
            return decoded;
        }
    }
    decoded.command = Command{entry->verb, *argument};
    return decoded;
}

std::string EncodeAnswer(const Answer& answer)
{
    std::string bytes(kProtocol);
    if (!answer.ok)
        return bytes + " error " + EscapeText(answer.message) + "\n";
    bytes += " ok\n";
    for (const auto& [name, value] : answer.fields)
        bytes += name + ": " + EscapeText(value) + "\n";
    return bytes;
}

std::optional<Answer> DecodeAnswer(std::string_view bytes)
{
    if (bytes.size() > kMaxAnswerBytes || bytes.empty() || bytes.back() != '\n')
        return std::nullopt;
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = bytes.find('\n', start);
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    const std::string okLine = std::string(kProtocol) + " ok";
    const std::string errorStart = std::string(kProtocol) + " error ";
    Answer answer;
    if (lines.front().rfind(errorStart, 0) == 0) {
        const auto message = UnescapeText(lines.front().substr(errorStart.size()));
        if (!message || lines.size() != 1)
            return std::nullopt;
        answer.message = *message;
        return answer;
    }
    if (lines.front() != okLine)
        return std::nullopt;
    answer.ok = true;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t colon = lines[i].find(": ");
        if (colon == 0 || colon == std::string_view::npos)
            return std::nullopt;
        const std::string_view name = lines[i].substr(0, colon);
        for (const char c : name)
            if (!(c >= 'a' && c <= 'z') && c != '-')
                return std::nullopt;
        const auto value = UnescapeText(lines[i].substr(colon + 2));
        if (!value)
            return std::nullopt;
        answer.fields.emplace_back(std::string(name), *value);
    }
    return answer;
}

StatusFields StatusFieldsOf(bool pictureMode, bool enabled, const std::string& list,
                            const std::string& picture, const std::string& theme)
{
    return {{"mode", pictureMode ? "pictures" : "themes"},
            {"changing", enabled ? "on" : "off"},
            {"list", list},
            {"picture", picture},
            {"theme", theme}};
}

ClientReport ReportExchange(const Command& command, Delivery delivery, std::string_view answerBytes)
{
    ClientReport report;
    const std::string option = OptionName(command.verb);
    if (delivery == Delivery::NotRunning) {
        report.exitCode = ExitCode::NotRunning;
        report.err = "ondrix: Ondrix is not running, so " + option +
                     " was not carried out; start it with \"ondrix\" first.\n";
        return report;
    }
    if (delivery == Delivery::NoAnswer) {
        report.err = "ondrix: the running copy of Ondrix did not answer " + option + " in time.\n";
        return report;
    }
    const std::optional<Answer> answer = DecodeAnswer(answerBytes);
    if (!answer) {
        report.err =
            "ondrix: the running copy of Ondrix gave an answer to " + option + " that cannot be read.\n";
        return report;
    }
    if (!answer->ok) {
        report.err = "ondrix: " + Printable(answer->message) + "\n";
        return report;
    }
    report.exitCode = ExitCode::Done;
    for (const auto& [name, value] : answer->fields)
        report.out += name + ": " + Printable(value) + "\n";
    return report;
}

ClientReport ReportUsageError(const std::string& error)
{
    ClientReport report;
    report.exitCode = ExitCode::Usage;
    report.err = "ondrix: " + error + "\n\n" + UsageText();
    return report;
}

} // namespace ondrix
