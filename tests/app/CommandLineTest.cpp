#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace ondrix {
namespace {

ParsedArguments Parse(std::vector<std::string> arguments)
{
    return ParseArguments(arguments, "/home/u/work");
}

TEST(CommandLineArguments, EachCommandWithItsValue)
{
    EXPECT_EQ(Parse({}).command, (Command{Verb::Start, ""}));
    EXPECT_EQ(Parse({"--next"}).command, (Command{Verb::Next, ""}));
    EXPECT_EQ(Parse({"--on"}).command, (Command{Verb::On, ""}));
    EXPECT_EQ(Parse({"--off"}).command, (Command{Verb::Off, ""}));
    EXPECT_EQ(Parse({"--status"}).command, (Command{Verb::Status, ""}));
    EXPECT_EQ(Parse({"--mode", "pictures"}).command, (Command{Verb::Mode, "pictures"}));
    EXPECT_EQ(Parse({"--mode=themes"}).command, (Command{Verb::Mode, "themes"}));
    // Files are made absolute from the current folder: the running copy works in its own.
    EXPECT_EQ(Parse({"--set-picture", "a b.jpg"}).command,
              (Command{Verb::SetPicture, "/home/u/work/a b.jpg"}));
    EXPECT_EQ(Parse({"--apply-theme=/t/x.ond"}).command, (Command{Verb::ApplyTheme, "/t/x.ond"}));
    EXPECT_EQ(Parse({"--apply-theme=--odd.ond"}).command,
              (Command{Verb::ApplyTheme, "/home/u/work/--odd.ond"}));
    for (const auto& arguments : std::vector<std::vector<std::string>>{{"--next"}, {"--mode", "themes"}, {}})
        EXPECT_TRUE(Parse(arguments).error.empty());
}

TEST(CommandLineArguments, HelpWinsOverEverythingElse)
{
    EXPECT_EQ(Parse({"--help"}).command.verb, Verb::Help);
    EXPECT_EQ(Parse({"-h"}).command.verb, Verb::Help);
    EXPECT_EQ(Parse({"--next", "--bogus", "--help"}).command.verb, Verb::Help);
    EXPECT_TRUE(Parse({"--bogus", "-h"}).error.empty());
}

TEST(CommandLineArguments, UsageErrorsSayWhatIsWrong)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bogus"}, "unknown option \"--bogus\""},
        {{"--bogus=1"}, "unknown option \"--bogus\""},
        {{"--mode"}, "--mode needs a value: pictures or themes"},
        {{"--mode", "--next"}, "--mode needs a value: pictures or themes"},
        {{"--mode", "Pictures"}, "--mode takes pictures or themes, not \"Pictures\""},
        {{"--mode="}, "--mode needs a value: pictures or themes"},
        {{"--set-picture"}, "--set-picture needs a FILE"},
        {{"--apply-theme", "--on"}, "--apply-theme needs a FILE"},
        {{"--apply-theme="}, "--apply-theme needs a FILE"},
        {{"--next=3"}, "--next takes no value"},
        {{"--next", "--off"}, "one command at a time: --next and --off"},
        {{"--next", "extra"}, "unexpected argument \"extra\""},
        {{"-platform", "offscreen", "--status"}, "unexpected argument \"-platform\""},
        {{"--mode", "a\nb"}, "--mode takes pictures or themes, not \"a%0Ab\""},
    };
    for (const auto& [arguments, error] : cases) {
        const ParsedArguments parsed = Parse(arguments);
        EXPECT_EQ(parsed.error, error) << arguments.front();
        EXPECT_EQ(parsed.command.verb, Verb::Start) << arguments.front();
    }
}

TEST(CommandLineArguments, ToolkitArgumentsStillStartTheProgram)
{
    const ParsedArguments parsed = Parse({"-platform", "offscreen", "-session", "abc"});
    EXPECT_TRUE(parsed.error.empty());
    EXPECT_EQ(parsed.command.verb, Verb::Start);
}

TEST(CommandLineArguments, UsageErrorReportHasExitCodeTwoAndTheHelpOnStandardError)
{
    const ClientReport report = ReportUsageError("unknown option \"--x\"");
    EXPECT_EQ(report.exitCode, ExitCode::Usage);
    EXPECT_TRUE(report.out.empty());
    EXPECT_EQ(report.err.rfind("ondrix: unknown option \"--x\"\n\nUsage: ondrix [COMMAND]\n", 0), 0u)
        << report.err;
    for (const char* option : {"--next", "--on", "--off", "--mode pictures|themes", "--apply-theme FILE",
                               "--set-picture FILE", "--status", "--help"})
        EXPECT_NE(UsageText().find(option), std::string::npos) << option;
    EXPECT_NE(UsageText().find("3 Ondrix is not running"), std::string::npos);
}

TEST(CommandLineEscapes, ControlCharactersAndPercentTravelAsHex)
{
    EXPECT_EQ(EscapeText("a b%c\n\r\x7f\x01/é"), "a b%25c%0A%0D%7F%01/é");
    EXPECT_EQ(UnescapeText("a b%25c%0a%0D%7F"), "a b%c\n\r\x7f");
    EXPECT_EQ(UnescapeText("%00"), std::string(1, '\0'));
    for (const char* broken : {"%", "%4", "x%G0", "%0G", "end%"})
        EXPECT_EQ(UnescapeText(broken), std::nullopt) << broken;
}

TEST(CommandLineRequests, EncodedAsOneVersionedLine)
{
    EXPECT_EQ(EncodeRequest({Verb::Next, ""}), "ONDRIX/1 next\n");
    EXPECT_EQ(EncodeRequest({Verb::Status, ""}), "ONDRIX/1 status\n");
    EXPECT_EQ(EncodeRequest({Verb::Mode, "themes"}), "ONDRIX/1 mode themes\n");
    EXPECT_EQ(EncodeRequest({Verb::SetPicture, "/p/new\nline 100%.bmp"}),
              "ONDRIX/1 set-picture /p/new%0Aline 100%25.bmp\n");
}

TEST(CommandLineRequests, DecodedBackWhole)
{
    const Command commands[] = {{Verb::Next, ""},
                                {Verb::On, ""},
                                {Verb::Off, ""},
                                {Verb::Status, ""},
                                {Verb::Mode, "pictures"},
                                {Verb::ApplyTheme, "/t/a b.ond"},
                                {Verb::SetPicture, "/p/%\t\r.jpg"}};
    for (const Command& command : commands) {
        std::string line = EncodeRequest(command);
        line.pop_back();
        const DecodedRequest decoded = DecodeRequest(line);
        ASSERT_TRUE(decoded.command) << line << ": " << decoded.error;
        EXPECT_EQ(*decoded.command, command);
    }
    // A client that ends its line with CR LF is understood too.
    EXPECT_EQ(DecodeRequest("ONDRIX/1 off\r").command, (Command{Verb::Off, ""}));
}

TEST(CommandLineRequests, HostileLinesAreRefusedWithAReason)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", "not a request of this program"},
        {"GET / HTTP/1.1", "not a request of this program"},
        {"show me", "not a request of this program"},
        {"ONDRIX/2 next", "protocol ONDRIX/2 is not understood (ONDRIX/1 is)"},
        {"ONDRIX/1", "the request names no command"},
        {"ONDRIX/1 ", "unknown command \"\""},
        {"ONDRIX/1 reboot", "unknown command \"reboot\""},
        {"ONDRIX/1 NEXT", "unknown command \"NEXT\""},
        {"ONDRIX/1 \x1b[2J", "unknown command \"%1B[2J\""},
        {"ONDRIX/1 next now", "--next takes no value"},
        {"ONDRIX/1 status ", "--status takes no value"},
        {"ONDRIX/1 mode", "--mode needs a value"},
        {"ONDRIX/1 mode ", "--mode needs a value"},
        {"ONDRIX/1 mode sideways", "--mode takes pictures or themes, not \"sideways\""},
        {"ONDRIX/1 set-picture /a%zz", "--set-picture has a badly escaped value"},
        {"ONDRIX/1 set-picture relative.bmp", "the file \"relative.bmp\" is not given with its full path"},
        {"ONDRIX/1 apply-theme /t/a%00.ond", "a file name cannot hold a NUL byte"},
        {"ONDRIX/1 apply-theme /" + std::string(kMaxRequestBytes, 'a'), "the request is too long"},
    };
    for (const auto& [line, error] : cases) {
        const DecodedRequest decoded = DecodeRequest(line);
        EXPECT_FALSE(decoded.command) << line;
        EXPECT_EQ(decoded.error, error) << line.substr(0, 40);
    }
    // A long verb is cut short in the message.
    const DecodedRequest longVerb = DecodeRequest("ONDRIX/1 " + std::string(500, 'x'));
    EXPECT_EQ(longVerb.error, "unknown command \"" + std::string(60, 'x') + "...\"");
}

TEST(CommandLineAnswers, RoundTripAndExactBytes)
{
    const Answer status{true, {}, StatusFieldsOf(true, false, "/l/a.lst", "/p/new\nline.bmp", "")};
    EXPECT_EQ(EncodeAnswer(status), "ONDRIX/1 ok\n"
                                    "mode: pictures\n"
                                    "changing: off\n"
                                    "list: /l/a.lst\n"
                                    "picture: /p/new%0Aline.bmp\n"
                                    "theme: \n");
    EXPECT_EQ(DecodeAnswer(EncodeAnswer(status)), status);
    const Answer failed{false, "The file \"/x\" does not exist.\n50%", {}};
    EXPECT_EQ(EncodeAnswer(failed), "ONDRIX/1 error The file \"/x\" does not exist.%0A50%25\n");
    EXPECT_EQ(DecodeAnswer(EncodeAnswer(failed)), failed);
    EXPECT_EQ(DecodeAnswer("ONDRIX/1 ok\n"), (Answer{true, {}, {}}));
}

TEST(CommandLineAnswers, BrokenAnswersAreNotTakenForOnes)
{
    for (const std::string& bytes :
         {std::string(), std::string("ONDRIX/1 ok"), std::string("ONDRIX/1 fine\n"), std::string("ok\n"),
          std::string("ONDRIX/1 ok\nno colon\n"), std::string("ONDRIX/1 ok\n: empty name\n"),
          std::string("ONDRIX/1 ok\nBad Name: x\n"), std::string("ONDRIX/1 ok\nmode: %zz\n"),
          std::string("ONDRIX/1 error a\nmode: pictures\n"), std::string("ONDRIX/1 error %\n"),
          "ONDRIX/1 ok\nlist: " + std::string(kMaxAnswerBytes, 'a') + "\n"})
        EXPECT_EQ(DecodeAnswer(bytes), std::nullopt) << bytes.substr(0, 40);
}

TEST(CommandLineClient, ExitCodesAndMessagesForEachOutcome)
{
    const Command next{Verb::Next, ""};
    const ClientReport notRunning = ReportExchange(next, Delivery::NotRunning, "");
    EXPECT_EQ(notRunning.exitCode, ExitCode::NotRunning);
    EXPECT_EQ(
        notRunning.err,
        "ondrix: Ondrix is not running, so --next was not carried out; start it with \"ondrix\" first.\n");
    EXPECT_TRUE(notRunning.out.empty());

    const ClientReport silent = ReportExchange({Verb::Mode, "themes"}, Delivery::NoAnswer, "");
    EXPECT_EQ(silent.exitCode, ExitCode::Failed);
    EXPECT_EQ(silent.err, "ondrix: the running copy of Ondrix did not answer --mode in time.\n");

    const ClientReport garbage = ReportExchange(next, Delivery::Answered, "HTTP/1.1 200 OK\n");
    EXPECT_EQ(garbage.exitCode, ExitCode::Failed);
    EXPECT_EQ(garbage.err,
              "ondrix: the running copy of Ondrix gave an answer to --next that cannot be read.\n");

    const ClientReport refused =
        ReportExchange(next, Delivery::Answered, "ONDRIX/1 error Changing is off%0A\x1b\n");
    EXPECT_EQ(refused.exitCode, ExitCode::Failed);
    EXPECT_EQ(refused.err, "ondrix: Changing is off\\x0A\\x1B\n");

    const ClientReport done = ReportExchange(next, Delivery::Answered, "ONDRIX/1 ok\n");
    EXPECT_EQ(done.exitCode, ExitCode::Done);
    EXPECT_TRUE(done.out.empty());
    EXPECT_TRUE(done.err.empty());

    const ClientReport status = ReportExchange(
        {Verb::Status, ""}, Delivery::Answered,
        "ONDRIX/1 ok\nmode: themes\nchanging: on\nlist: \npicture: /p/a%0Ab.bmp\ntheme: /t/x.ond\n");
    EXPECT_EQ(status.exitCode, ExitCode::Done);
    EXPECT_EQ(status.out, "mode: themes\nchanging: on\nlist: \npicture: /p/a\\x0Ab.bmp\ntheme: /t/x.ond\n");
    EXPECT_TRUE(status.err.empty());
}

} // namespace
} // namespace ondrix
