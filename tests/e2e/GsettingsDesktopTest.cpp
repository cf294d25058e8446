// The real program against the real settings store of the GNOME family, Cinnamon and MATE:
// gsettings with the dconf backend on a D-Bus session of the test's own (these desktops'
// shells cannot run here, so no screen is looked at). While Ondrix runs, the desktop's picture
// keys point at its work file; after exit every key is what the user had, and the store holds
// nothing the user did not write.
#include "DesktopScenes.h"
#include "DesktopSession.h"
#include "ProcessRunner.h"
#include "platform/RegFileRegistry.h"
#include "wallpaper/Bitmap.h"
#include "wallpaper/BmpCodec.h"

#include <gtest/gtest.h>

#include <csignal>

namespace ondrix::test {
namespace {

using namespace std::chrono_literals;

constexpr Rgb kFirstPicture{200, 40, 40};
constexpr Rgb kSecondPicture{40, 180, 60};

struct Scheme
{
    const char* desktop; // XDG_CURRENT_DESKTOP
    const char* schema;
    std::vector<const char*> pictureKeys;
    bool uri; // the picture keys hold file URIs, not paths
    // The user's own values, as gsettings prints them.
    std::vector<std::pair<const char*, const char*>> own;
};

std::ostream& operator<<(std::ostream& out, const Scheme& scheme)
{
    return out << scheme.desktop;
}

const Scheme kSchemes[] = {
    {"GNOME",
     "org.gnome.desktop.background",
     {"picture-uri", "picture-uri-dark"},
     true,
     {{"picture-uri", "'file:///usr/share/backgrounds/my%20own.jpg'"},
      {"picture-uri-dark", "'file:///home/someone/dark.png'"},
      {"picture-options", "'scaled'"},
      {"primary-color", "'#102030'"}}},
    {"X-Cinnamon",
     "org.cinnamon.desktop.background",
     {"picture-uri"},
     true,
     {{"picture-uri", "'file:///home/someone/own.jpg'"}, {"picture-options", "'spanned'"}}},
    {"MATE",
     "org.mate.background",
     {"picture-filename"},
     false,
     {{"picture-filename", "\"/home/someone/it's mine.png\""}, {"picture-options", "'stretched'"}}},
};

class GsettingsDesktop : public ::testing::TestWithParam<Scheme>
{
protected:
    void SetUp() override
    {
        const std::string missing = MissingPrograms({"gsettings", "dbus-daemon"});
        if (!missing.empty())
            GTEST_SKIP() << "not installed: " << missing << " (scripts/deps installs them)";
        if (!std::filesystem::exists("/usr/lib/x86_64-linux-gnu/gio/modules/libdconfsettings.so") &&
            !std::filesystem::exists("/usr/lib/aarch64-linux-gnu/gio/modules/libdconfsettings.so"))
            GTEST_SKIP() << "the dconf backend of GSettings is not installed (dconf-gsettings-backend)";
        std::string why;
        const auto account = DesktopAccount(why);
        if (!account)
            GTEST_SKIP() << why;
        m_session = std::make_unique<DesktopSession>(*account);
        m_session->environment["GSETTINGS_BACKEND"] = "dconf";
        ASSERT_TRUE(m_session->StartDbus(why)) << why;
        const RunResult keys = m_session->Run({"gsettings", "list-keys", GetParam().schema});
        if (keys.exitCode != 0)
            GTEST_SKIP() << "the schema " << GetParam().schema << " is not installed: " << keys.err;
    }

    std::string Get(const std::string& key)
    {
        const RunResult result = m_session->Run({"gsettings", "get", GetParam().schema, key});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.out.substr(0, result.out.find('\n'));
    }

    void Set(const std::string& key, const std::string& value)
    {
        const RunResult result = m_session->Run({"gsettings", "set", GetParam().schema, key, value});
        ASSERT_EQ(result.exitCode, 0) << result.err;
    }

    // Every key of the schema as gsettings prints it.
    std::string AllKeys()
    {
        const RunResult result = m_session->Run({"gsettings", "list-recursively", GetParam().schema});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.out;
    }

    // Everything the session's store holds, by dconf's own tool; nothing without it.
    std::optional<std::string> Stored()
    {
        if (!MissingPrograms({"dconf"}).empty())
            return std::nullopt;
        const RunResult result = m_session->Run({"dconf", "dump", "/"});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.out;
    }

    void HandOver(AppSandbox& sandbox)
    {
        HandToSession(sandbox, *m_session,
                      {{"QT_QPA_PLATFORM", "offscreen"},
                       {"XDG_SESSION_TYPE", "x11"},
                       {"XDG_CURRENT_DESKTOP", GetParam().desktop},
                       {"ONDRIX_DESKTOP", ""},
                       {"ONDRIX_SCREEN", "640x480"}});
    }

    // Runs the program in tiled picture mode with two pictures on a 3-second timer and checks
    // the picture keys while it runs.
    void RunPictures(AppSandbox& sandbox)
    {
        const auto pictures = MakeSolidPictureList(sandbox, {kFirstPicture, kSecondPicture});
        WritePictureSettings(sandbox, pictures, 3);
        {
            RegFileRegistry registry(sandbox.registryFile().string());
            registry.WriteDword(Hive::LocalMachine, "SOFTWARE\\Quorvane\\Ondrix2\\Options", "ilDisplType", 2);
        }
        HandOver(sandbox);
        const auto workFile = sandbox.appDir() / "imgLists" / "WorkDir" / "wallpaper.bmp";
        const std::string expected =
            GetParam().uri ? "'file://" + workFile.string() + "'" : "'" + workFile.string() + "'";

        const pid_t pid = sandbox.Start();
        for (const Rgb& colour : {kFirstPicture, kSecondPicture}) {
            SCOPED_TRACE(::testing::Message() << "picture " << colour);
            // Every picture key and the tiled mode are checked in one look: the timer's next change
            // may begin right after (on MATE it empties the picture key for a moment).
            EXPECT_TRUE(WaitUntil(
                [&] {
                    for (const char* key : GetParam().pictureKeys)
                        if (Get(key) != expected)
                            return false;
                    // Tiled: the desktop repeats the picture at its own size.
                    if (Get("picture-options") != "'wallpaper'" || !std::filesystem::exists(workFile))
                        return false;
                    try {
                        const Bitmap shown = ReadBmp(workFile.string());
                        const std::uint8_t* pixel = shown.Row(0);
                        return shown.Width() == 64 && pixel[2] == colour.r && pixel[1] == colour.g &&
                               pixel[0] == colour.b;
                    } catch (const std::exception&) {
                        return false; // being rewritten
                    }
                },
                20s))
                << "expected " << expected << " in every picture key, tiled:\n"
                << AllKeys();
        }
        ::kill(pid, SIGTERM);
        ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
    }

    std::unique_ptr<DesktopSession> m_session;
};

TEST_P(GsettingsDesktop, TheUsersOwnValuesComeBackAfterThePicturesShown)
{
    for (const auto& [key, value] : GetParam().own)
        Set(key, value);
    const std::string before = AllKeys();
    for (const auto& [key, value] : GetParam().own)
        ASSERT_EQ(Get(key), value) << "gsettings did not keep " << key;
    const auto storedBefore = Stored();

    AppSandbox sandbox;
    RunPictures(sandbox);

    EXPECT_EQ(AllKeys(), before);
    for (const auto& [key, value] : GetParam().own)
        EXPECT_EQ(Get(key), value) << key;
    EXPECT_EQ(Stored(), storedBefore) << "the settings store differs from before";
}

TEST_P(GsettingsDesktop, KeysTheUserNeverSetAreLeftUnset)
{
    const std::string before = AllKeys();
    AppSandbox sandbox;
    RunPictures(sandbox);

    EXPECT_EQ(AllKeys(), before);
    // Left at the desktop's defaults, the keys follow them when the desktop's defaults change.
    const RunResult stored = m_session->Run({"gsettings", "list-recursively", GetParam().schema},
                                            {{"GSETTINGS_BACKEND", "memory"}});
    EXPECT_EQ(stored.out, before) << "sanity: the defaults differ from the session's values";
    EXPECT_EQ(Stored().value_or(""), "") << "keys the user never set were written";
}

// The theme on a Wayland session of the GNOME family: the still picture, set through the
// picture keys. gnome-shell cannot run here, so headless sway stands in for the compositor the
// program's window system connects to; the settings are GNOME's, in the real dconf store.
TEST(GnomeOnWayland, ThemeIsAStillPictureInThePictureKeysAndTheKeysComeBack)
{
    const std::string missing = MissingPrograms({"sway", "swaymsg", "swaybg", "gsettings", "dbus-daemon"});
    if (!missing.empty())
        GTEST_SKIP() << "not installed: " << missing << " (scripts/deps installs them)";
    std::string why;
    const auto account = DesktopAccount(why);
    if (!account)
        GTEST_SKIP() << why;
    DesktopSession session(*account);
    session.environment["GSETTINGS_BACKEND"] = "dconf";
    ASSERT_TRUE(session.StartDbus(why)) << why;
    ASSERT_TRUE(session.StartSway(640, 480, "for_window [title=\".*\"] move scratchpad", why)) << why;
    const char* const schema = "org.gnome.desktop.background";
    const auto get = [&](const char* key) {
        const RunResult result = session.Run({"gsettings", "get", schema, key});
        return result.out.substr(0, result.out.find('\n'));
    };
    ASSERT_EQ(
        session.Run({"gsettings", "set", schema, "picture-uri", "'file:///home/someone/own.jpg'"}).exitCode,
        0);
    const std::string before = session.Run({"gsettings", "list-recursively", schema}).out;

    AppSandbox sandbox;
    constexpr Rgb kThemeColour{0xE0, 0xB0, 0x20};
    WriteThemeSettings(sandbox, MakeSolidTheme(sandbox, kThemeColour));
    HandToSession(sandbox, session,
                  {{"QT_QPA_PLATFORM", "wayland"},
                   {"XDG_SESSION_TYPE", "wayland"},
                   {"XDG_CURRENT_DESKTOP", "GNOME"},
                   {"ONDRIX_DESKTOP", ""},
                   {"ONDRIX_SCREEN", ""}});
    const auto workFile = sandbox.appDir() / "imgLists" / "WorkDir" / "wallpaper.bmp";
    const std::string expected = "'file://" + workFile.string() + "'";

    const pid_t pid = sandbox.Start();
    EXPECT_TRUE(WaitUntil(
        [&] {
            if (get("picture-uri") != expected || get("picture-uri-dark") != expected)
                return false;
            try {
                const Bitmap shown = ReadBmp(workFile.string());
                const std::uint8_t* pixel = shown.Row(shown.Height() / 2) + 3 * (shown.Width() / 2);
                return shown.Width() == 640 && shown.Height() == 480 && pixel[2] == kThemeColour.r &&
                       pixel[1] == kThemeColour.g && pixel[0] == kThemeColour.b;
            } catch (const std::exception&) {
                return false;
            }
        },
        60s))
        << "the picture keys do not show the theme's still picture: " << get("picture-uri");

    ::kill(pid, SIGTERM);
    ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
    EXPECT_EQ(session.Run({"gsettings", "list-recursively", schema}).out, before);
}

INSTANTIATE_TEST_SUITE_P(RealSettings, GsettingsDesktop, ::testing::ValuesIn(kSchemes),
                         [](const auto& param) {
                             std::string name = param.param.desktop;
                             std::erase(name, '-');
                             return name;
                         });

} // namespace
} // namespace ondrix::test
