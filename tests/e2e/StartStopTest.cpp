#include "ProcessRunner.h"
#include "platform/RegFileRegistry.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>

namespace ondrix::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kOptionsKey = "SOFTWARE\\Quorvane\\Ondrix2\\Options";

std::string ReadAll(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Starts the program, waits until it has read its options, ends it with a signal.
int RunUntilSignal(AppSandbox& sandbox, int signalNumber)
{
    const pid_t pid = sandbox.Start();
    const auto list = sandbox.appDir() / "imgLists" / "quorvane.lst";
    EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(list); }, 20s)) << "no first-run list written";
    // Give the program a moment to reach its message loop (a signal before it is also handled).
    WaitUntil([] { return false; }, 500ms);
    ::kill(pid, signalNumber);
    const auto status = sandbox.WaitForExit(pid, 30s);
    EXPECT_TRUE(status.has_value()) << "the program did not end after the signal";
    return status.value_or(-1);
}

TEST(StartStop, FirstRunEndedBySigtermSavesEveryOption)
{
    AppSandbox sandbox;
    EXPECT_EQ(RunUntilSignal(sandbox, SIGTERM), 0);

    ASSERT_TRUE(std::filesystem::exists(sandbox.registryFile()));
    RegFileRegistry registry(sandbox.registryFile().string());
    const auto hive = Hive::LocalMachine;
    const auto appDir = sandbox.appDir().string();

    EXPECT_EQ(registry.ReadString(hive, kOptionsKey, "LanguageFileName"), appDir + "/Languages/english.lng");
    for (const char* name : {"cadvTheme", "cIList", "cImg"})
        EXPECT_EQ(registry.ReadString(hive, kOptionsKey, name), std::string()) << name;
    const std::pair<const char*, std::uint32_t> numbers[] = {
        {"lvadvSortType", 0},  {"ActivePage", 0},     {"lvIListsSortType", 0},
        {"Enabled", 1},        {"state", 0},          {"ShowAboutWindow", 1},
        {"firstrun", 1},       {"RunAtStartup", 1},   {"advChType", 0},
        {"advRandOrOrder", 0}, {"AdvSec", 0},         {"advMin", 60},
        {"ilChType", 0},       {"ilRandOrOrder", 0},  {"ilSec", 0},
        {"ilMin", 60},         {"ilShowType", 0},     {"LastPos", 0},
        {"ilDisplType", 0},    {"ilgrDispl", 100222},
    };
    for (const auto& [name, value] : numbers)
        EXPECT_EQ(registry.ReadDword(hive, kOptionsKey, name), value) << name;

    EXPECT_EQ(ReadAll(sandbox.appDir() / "imgLists" / "quorvane.lst"),
              appDir + "/imgLists/Quorvane/ilwallpap.jpg?800*600\r\n");

    // "Run at start-up" is on by default: the exit's commit made the logon entry.
    const std::string entry = ReadAll(sandbox.root() / "config" / "autostart" / "Ondrix.desktop");
    EXPECT_NE(entry.find("\nExec=" + appDir + "/ondrix\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nPath=" + appDir + "\n"), std::string::npos) << entry;
}

TEST(StartStop, LaterRunKeepsTheFirstRunListAndHonoursSigint)
{
    AppSandbox sandbox;
    ASSERT_EQ(RunUntilSignal(sandbox, SIGTERM), 0);
    const auto list = sandbox.appDir() / "imgLists" / "quorvane.lst";
    std::ofstream(list, std::ios::binary | std::ios::trunc) << "edited by the user\r\n";

    const pid_t pid = sandbox.Start();
    WaitUntil([] { return false; }, 1500ms);
    ::kill(pid, SIGINT);
    EXPECT_EQ(sandbox.WaitForExit(pid, 30s), 0);
    EXPECT_EQ(ReadAll(list), "edited by the user\r\n");
}

TEST(StartStop, SecondCopyHandsOverAndEnds)
{
    AppSandbox sandbox;
    const pid_t first = sandbox.Start();
    const auto list = sandbox.appDir() / "imgLists" / "quorvane.lst";
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(list); }, 20s));
    WaitUntil([] { return false; }, 500ms);

    const pid_t second = sandbox.Start();
    EXPECT_EQ(sandbox.WaitForExit(second, 10s), 0) << "the second copy did not end by itself";
    EXPECT_EQ(::kill(first, 0), 0) << "the first copy must still run";

    ::kill(first, SIGTERM);
    EXPECT_EQ(sandbox.WaitForExit(first, 30s), 0);
}

} // namespace
} // namespace ondrix::test
