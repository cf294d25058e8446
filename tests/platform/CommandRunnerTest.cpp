#include "platform/CommandRunner.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ondrix {
namespace {

TEST(ProcessCommandRunner, PassesArgumentsUnchangedWithoutAShell)
{
    ProcessCommandRunner runner;
    const auto result = runner.Run({"/bin/echo", "a b", "it's", "x;y", "$HOME", "*"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "a b it's x;y $HOME *\n");
    EXPECT_EQ(result.err, "");
}

TEST(ProcessCommandRunner, ReportsTheExitCodeAndBothStreams)
{
    ProcessCommandRunner runner;
    const auto result = runner.Run({"sh", "-c", "echo out; echo err >&2; exit 3"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.out, "out\n");
    EXPECT_EQ(result.err, "err\n");
}

TEST(ProcessCommandRunner, ReadsLargeOutputOnBothStreamsWithoutDeadlock)
{
    // Far more than a pipe holds, written to stderr first so a reader of stdout alone would hang.
    ProcessCommandRunner runner(std::chrono::seconds(20));
    const auto result = runner.Run(
        {"sh", "-c", "head -c 1000000 /dev/zero | tr '\\0' e >&2; head -c 700000 /dev/zero | tr '\\0' o"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err.size(), 1000000u);
    EXPECT_EQ(result.out.size(), 700000u);
    EXPECT_EQ(result.out.find_first_not_of('o'), std::string::npos);
}

TEST(ProcessCommandRunner, MissingProgram)
{
    ProcessCommandRunner runner;
    const auto result = runner.Run({"ondrix-no-such-program-here", "x"});
    EXPECT_EQ(result.exitCode, 127);
    EXPECT_NE(result.err.find("ondrix-no-such-program-here"), std::string::npos);
    EXPECT_FALSE(runner.IsInstalled("ondrix-no-such-program-here"));
    EXPECT_EQ(runner.Run({}).exitCode, 127);
}

TEST(ProcessCommandRunner, KillsAProgramThatRunsTooLong)
{
    ProcessCommandRunner runner(std::chrono::milliseconds(300));
    const auto start = std::chrono::steady_clock::now();
    const auto result = runner.Run({"sleep", "30"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(result.exitCode, -1);
    EXPECT_NE(result.err.find("did not finish"), std::string::npos);
}

TEST(FindProgram, LooksUpThePathInOrder)
{
    test::TempDir first, second;
    const auto make = [](const test::TempDir& dir, const std::string& name, bool executable) {
        const auto file = dir.Write(name, "#!/bin/sh\n");
        std::filesystem::permissions(file, executable ? std::filesystem::perms::owner_all
                                                      : std::filesystem::perms::owner_read);
        return file.string();
    };
    make(first, "tool", false); // not executable: passed over
    const auto found = make(second, "tool", true);
    const std::string path = first.str() + ":" + second.str();
    EXPECT_EQ(FindProgram("tool", path), second.str() + "/tool");
    EXPECT_EQ(FindProgram("other", path), "");
    EXPECT_EQ(FindProgram(found, ""), found);
    EXPECT_EQ(FindProgram("", path), "");
    ProcessCommandRunner runner;
    EXPECT_TRUE(runner.IsInstalled("sh"));
}

} // namespace
} // namespace ondrix
