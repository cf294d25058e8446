// Theme mode of the real program on the settings-file layer: each start shows the next theme
// of the store, a legacy package is converted at start, and exit leaves the layer off and
// nothing unpacked behind.
#include "ProcessRunner.h"
#include "platform/RegFileRegistry.h"
#include "themes/ThemePackage.h"

#include <gtest/gtest.h>

#include <csignal>
#include <regex>

namespace ondrix::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr auto kOptions = "SOFTWARE\\Quorvane\\Ondrix2\\Options";
constexpr auto kLayer = "Software\\Microsoft\\Internet Explorer\\Desktop\\General";

std::vector<std::string> EntriesOf(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST(ThemeMode, EachStartShowsTheNextThemeAndExitSwitchesTheLayerOff)
{
    AppSandbox sandbox;
    const fs::path store = sandbox.appDir() / "advThemes_";
    const std::string appDir = sandbox.appDir().string();
    ASSERT_TRUE(fs::exists(store / "Aurora.ond")) << "the sample themes are missing from the build";
    ThemeEnvironment env;
    env.AppDir = appDir;
    TThemeInfo legacy;
    ASSERT_TRUE(ReadThemeInfo(env, (store / "Starlight.ond").string(), legacy));
    ASSERT_EQ(legacy.Style, 255) << "the legacy sample is not legacy";

    fs::create_directories(sandbox.registryFile().parent_path());
    {
        RegFileRegistry registry(sandbox.registryFile().string());
        for (const auto& [name, value] :
             std::initializer_list<std::pair<const char*, std::uint32_t>>{{"state", 0},
                                                                          {"Enabled", 1},
                                                                          {"firstrun", 1},
                                                                          {"ShowAboutWindow", 0},
                                                                          {"advChType", 1},
                                                                          {"lvadvSortType", 0}})
            registry.WriteDword(Hive::LocalMachine, kOptions, name, value);
        registry.WriteString(Hive::LocalMachine, kOptions, "cadvTheme", (store / "Aurora.ond").string());
    }

    // By name: Aurora, Lanterns, Starlight, Tide; each start moves one on.
    const char* const expected[] = {"Lanterns", "Starlight"};
    for (const char* theme : expected) {
        SCOPED_TRACE(theme);
        const pid_t pid = sandbox.Start();
        std::string page;
        const bool shown = WaitUntil(
            [&] {
                RegFileRegistry running(sandbox.registryFile().string());
                if (running.ReadDword(Hive::CurrentUser, kLayer, "ActiveDesktop") != 1u)
                    return false;
                page = running.ReadString(Hive::CurrentUser, kLayer, "Wallpaper").value_or("");
                return !page.empty() && fs::exists(page);
            },
            20s);
        ASSERT_TRUE(shown) << "no theme page was shown";
        // The start page lies in a tick-named folder below the work folder.
        const std::string startPage = std::string(theme) == "Starlight" ? "ondrix.htm" : "index.htm";
        EXPECT_TRUE(std::regex_match(
            page, std::regex(std::regex_replace((store / "WorkDir").string(),
                                                std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)") +
                             "/[0-9]+/" + startPage)))
            << page;

        ::kill(pid, SIGTERM);
        ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
        RegFileRegistry registry(sandbox.registryFile().string());
        EXPECT_EQ(registry.ReadString(Hive::LocalMachine, kOptions, "cadvTheme"),
                  (store / (std::string(theme) + ".ond")).string());
        EXPECT_EQ(registry.ReadDword(Hive::CurrentUser, kLayer, "ActiveDesktop"), 0u)
            << "the layer stayed on";
        EXPECT_TRUE(EntriesOf(store / "WorkDir").empty()) << "unpacked themes were left behind";
        for (const std::string& name : EntriesOf(store / "Recycled"))
            EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
    }

    // The legacy package was converted in the store at the first start.
    TThemeInfo converted;
    ASSERT_TRUE(ReadThemeInfo(env, (store / "Starlight.ond").string(), converted));
    EXPECT_EQ(converted.Style, 0);
    EXPECT_EQ(converted.Name, "Starlight");
}

// The player's script is missing, so a theme cannot be shown: the start-up change says so
// and opens the help file of the language, which is found although the main window is still
// being made then.
TEST(ThemeMode, AMissingPlayerAtStartOpensTheLanguagesHelpFile)
{
    AppSandbox sandbox;
    const fs::path store = sandbox.appDir() / "advThemes_";
    fs::remove(sandbox.appDir() / "ruffle" / "ruffle.js");
    ASSERT_TRUE(fs::exists(sandbox.appDir() / "Help" / "index.html"));
    fs::create_directories(sandbox.registryFile().parent_path());
    {
        RegFileRegistry registry(sandbox.registryFile().string());
        for (const auto& [name, value] : std::initializer_list<std::pair<const char*, std::uint32_t>>{
                 {"state", 0}, {"Enabled", 1}, {"firstrun", 1}, {"ShowAboutWindow", 0}, {"advChType", 0}})
            registry.WriteDword(Hive::LocalMachine, kOptions, name, value);
        registry.WriteString(Hive::LocalMachine, kOptions, "cadvTheme", (store / "Aurora.ond").string());
    }
    const AppSandbox::Output output{sandbox.root() / "out", sandbox.root() / "err"};
    const pid_t pid = sandbox.Start({}, output);
    // The missing-component box waits for a click; the termination closes it, and the help
    // file follows.
    WaitUntil([] { return false; }, 2s);
    ::kill(pid, SIGTERM);
    const AppSandbox::Run run = sandbox.Finish(pid, output, 30s);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("Help file not found"), std::string::npos) << run.err;
    // The offscreen platform has no opener; it names the document it was asked to open.
    EXPECT_NE(run.err.find("file://" + (sandbox.appDir() / "Help" / "index.html").string()),
              std::string::npos)
        << run.err;
}

} // namespace
} // namespace ondrix::test
