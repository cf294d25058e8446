#include "core/Errors.h"
#include "platform/PictureFiles.h"
#include "platform/ScreenInfo.h"
#include "platform/fake/FakeCommandRunner.h"
#include "platform/linux/DesktopCommands.h"
#include "platform/linux/GsettingsDesktopWallpaper.h"
#include "platform/linux/KdeDesktopWallpaper.h"
#include "platform/linux/WlrootsDesktopWallpaper.h"
#include "platform/linux/XfceDesktopWallpaper.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace ondrix {
namespace {

TEST(FileUri, EncodesEverythingButPlainCharacters)
{
    EXPECT_EQ(FileUri("/home/ann/My Pictures/a#1%.bmp"), "file:///home/ann/My%20Pictures/a%231%25.bmp");
    EXPECT_EQ(FileUri("/tmp/caf\xC3\xA9;'\"?.bmp"), "file:///tmp/caf%C3%A9%3B%27%22%3F.bmp");
    for (const std::string path :
         {"/home/ann/My Pictures/a#1%.bmp", "/tmp/caf\xC3\xA9 \n\\x", "/plain/a-b_c~d.bmp"})
        EXPECT_EQ(PathFromUri(FileUri(path)), path);
    EXPECT_EQ(PathFromUri("file://localhost/a%20b"), "/a b");
    EXPECT_EQ(PathFromUri("/not/a/uri"), "/not/a/uri");
    EXPECT_EQ(PercentDecode("100%"), "100%"); // a lone percent stays
}

TEST(GVariantText, QuotesAndParsesStrings)
{
    EXPECT_EQ(GVariantString("it's a\\b"), "'it\\'s a\\\\b'");
    EXPECT_EQ(GVariantString("line\nnext"), "'line\\nnext'");
    for (const std::string text : {"it's \"q\" \\ \n\t end", "", "caf\xC3\xA9"})
        EXPECT_EQ(ParseGVariantString(GVariantString(text)), text);
    // As gsettings prints values.
    EXPECT_EQ(ParseGVariantString("'file:///a.bmp'\n"), "file:///a.bmp");
    EXPECT_EQ(ParseGVariantString("\"it's\""), "it's");
    EXPECT_EQ(ParseGVariantString("@s 'x'"), "x");
    EXPECT_EQ(ParseGVariantString("'\\u00e9'"), "\xC3\xA9");
    EXPECT_EQ(ParseGVariantString("zoom"), "zoom");
}

TEST(GsettingsBuilders, ExactCommandLines)
{
    EXPECT_EQ(GsettingsGet("org.gnome.desktop.background", "picture-uri"),
              (Argv{"gsettings", "get", "org.gnome.desktop.background", "picture-uri"}));
    EXPECT_EQ(GsettingsSet("org.mate.background", "picture-filename", "'/a b'"),
              (Argv{"gsettings", "set", "org.mate.background", "picture-filename", "'/a b'"}));
    EXPECT_EQ(GsettingsGetDefault("org.mate.background", "picture-options"),
              (Argv{"env", "GSETTINGS_BACKEND=memory", "gsettings", "get", "org.mate.background",
                    "picture-options"}));
    EXPECT_EQ(GsettingsReset("org.gnome.desktop.background", "picture-uri"),
              (Argv{"gsettings", "reset", "org.gnome.desktop.background", "picture-uri"}));
    EXPECT_EQ(GsettingsPictureOptions(true, true, std::nullopt, std::nullopt), "none");
    EXPECT_EQ(GsettingsPictureOptions(false, true, DesktopSize{2048, 768}, DesktopSize{2048, 768}),
              "wallpaper");
    EXPECT_EQ(GsettingsPictureOptions(false, false, DesktopSize{2048, 768}, DesktopSize{2048, 768}),
              "spanned");
    EXPECT_EQ(GsettingsPictureOptions(false, false, DesktopSize{100, 80}, DesktopSize{2048, 768}),
              "centered");
    EXPECT_EQ(GsettingsPictureOptions(false, false, std::nullopt, DesktopSize{2048, 768}), "centered");
}

TEST(XfconfBuilders, ExactCommandLines)
{
    EXPECT_EQ(XfconfList(), (Argv{"xfconf-query", "-c", "xfce4-desktop", "-l"}));
    EXPECT_EQ(
        XfconfSetString("/backdrop/screen0/monitor0/workspace0/last-image", "/a b;c"),
        (Argv{"xfconf-query", "-c", "xfce4-desktop", "-p", "/backdrop/screen0/monitor0/workspace0/last-image",
              "-n", "-t", "string", "-s", "/a b;c"}));
    EXPECT_EQ(XfconfSetInt("/p", 2),
              (Argv{"xfconf-query", "-c", "xfce4-desktop", "-p", "/p", "-n", "-t", "int", "-s", "2"}));
    EXPECT_EQ(XfconfReset("/p"), (Argv{"xfconf-query", "-c", "xfce4-desktop", "-p", "/p", "-r"}));
    EXPECT_EQ(XfceImageStyle(true, true), 0);
    EXPECT_EQ(XfceImageStyle(false, false), 1);
    EXPECT_EQ(XfceImageStyle(false, true), 2);
}

TEST(XfconfBuilders, FindsEveryMonitorAndWorkspace)
{
    const std::string listing = "/backdrop/screen0/monitor0/image-path\n"
                                "/backdrop/screen0/monitor0/workspace0/last-image\n"
                                "/backdrop/screen0/monitor0/workspace0/image-style\n"
                                "/backdrop/screen0/monitor0/workspace1/color-style\n"
                                "/backdrop/screen0/monitoreDP-1/workspace0/last-image\n"
                                "/backdrop/screen0/monitorHDMI-A-1/workspace12/image-style\n"
                                "/backdrop/screen0/monitor/workspace0/last-image\n"
                                "/backdrop/screen0/monitor1/workspacex/last-image\n"
                                "/backdrop/single-workspace-mode\n"
                                "/desktop-icons/style\n";
    EXPECT_EQ(XfceWorkspacePrefixes(listing),
              (std::vector<std::string>{"/backdrop/screen0/monitor0/workspace0/",
                                        "/backdrop/screen0/monitor0/workspace1/",
                                        "/backdrop/screen0/monitoreDP-1/workspace0/",
                                        "/backdrop/screen0/monitorHDMI-A-1/workspace12/"}));
    EXPECT_EQ(
        XfceMonitorPrefixes("/backdrop/screen0/monitorVGA-1/image-path\n/backdrop/screen0/monitorVGA-1/x\n"),
        (std::vector<std::string>{"/backdrop/screen0/monitorVGA-1/"}));
    EXPECT_TRUE(XfceWorkspacePrefixes("").empty());
}

TEST(KdeBuilders, EscapesJavaScriptStrings)
{
    EXPECT_EQ(JsString("a\"b\\c\nd\r\te"), "\"a\\\"b\\\\c\\nd\\r\\te\"");
    EXPECT_EQ(JsString("x\x01y"), "\"x\\u0001y\"");
    EXPECT_EQ(JsString("\xE2\x80\xA8|\xE2\x80\xA9|caf\xC3\xA9"), "\"\\u2028|\\u2029|caf\xC3\xA9\"");
    EXPECT_EQ(JsString("</script>'"), "\"</script>'\"");
}

TEST(KdeBuilders, ScriptsAndTheirOutput)
{
    const std::string script = KdeWriteScript("file:///a%20b.bmp", 3);
    EXPECT_NE(script.find("d.wallpaperPlugin = \"org.kde.image\";"), std::string::npos);
    EXPECT_NE(script.find("d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];"),
              std::string::npos);
    EXPECT_NE(script.find("d.writeConfig(\"Image\", \"file:///a%20b.bmp\");"), std::string::npos);
    EXPECT_NE(script.find("d.writeConfig(\"FillMode\", 3);"), std::string::npos);
    // A hostile value stays inside its string literal.
    EXPECT_NE(KdeWriteScript("\");evil();(\"", 6).find("\"\\\");evil();(\\\"\""), std::string::npos);

    EXPECT_EQ(KdeEvaluateGdbus("S"),
              (Argv{"gdbus", "call", "--session", "--dest", "org.kde.plasmashell", "--object-path",
                    "/PlasmaShell", "--method", "org.kde.PlasmaShell.evaluateScript", "S"}));
    EXPECT_EQ(KdeEvaluateQdbus("qdbus", "S"), (Argv{"qdbus", "org.kde.plasmashell", "/PlasmaShell",
                                                    "org.kde.PlasmaShell.evaluateScript", "S"}));

    const std::string gdbusOutput =
        "('org.kde.image\\t3\\tfile%3A%2F%2F%2Fa%20b.bmp\\norg.kde.color\\t6\\t\\n',)\n";
    const auto desktops = ParseKdeReadOutput(ParseEvaluateOutput(gdbusOutput));
    ASSERT_EQ(desktops.size(), 2u);
    EXPECT_EQ(desktops[0], (KdeDesktopState{"org.kde.image", "3", "file:///a b.bmp"}));
    EXPECT_EQ(desktops[1], (KdeDesktopState{"org.kde.color", "6", ""}));
    EXPECT_EQ(ParseKdeReadOutput(ParseEvaluateOutput("org.kde.image\t6\tx\n")).size(),
              1u); // qdbus prints plainly

    const std::string restore = KdeRestoreScript(desktops);
    EXPECT_NE(restore.find("d.writeConfig(\"Image\", \"file:///a b.bmp\");"), std::string::npos);
    EXPECT_NE(restore.find("d.wallpaperPlugin = \"org.kde.color\";"), std::string::npos);
}

TEST(WlrootsBuilders, ExactCommandLines)
{
    EXPECT_EQ(SwaymsgBackground("/a/w.bmp", false),
              (Argv{"swaymsg", "output", "*", "bg", "/a/w.bmp", "center"}));
    EXPECT_EQ(SwaymsgBackground("/a/w.bmp", true),
              (Argv{"swaymsg", "output", "*", "bg", "/a/w.bmp", "tile"}));
    EXPECT_EQ(SwaybgCommand("/a b/w.bmp", true), (Argv{"swaybg", "-i", "/a b/w.bmp", "-m", "tile"}));
    EXPECT_EQ(SwaybgCommand("/a b/w.bmp", false), (Argv{"swaybg", "-i", "/a b/w.bmp", "-m", "center"}));
    EXPECT_TRUE(SwaySafePath("/home/ann/Ondrix/imgLists/WorkDir/wallpaper.bmp"));
    for (const char* unsafe : {"/a b.bmp", "/a'b", "/a\"b", "/$HOME", "/a;b", "/a`b`", "~/x", ""})
        EXPECT_FALSE(SwaySafePath(unsafe)) << unsafe;
}

// gsettings with an in-memory store of GVariant texts.
class FakeGsettings
{
public:
    explicit FakeGsettings(FakeCommandRunner& runner, std::map<std::string, std::string> values)
        : store(std::move(values))
    {
        runner.installed.insert("gsettings");
        runner.handler = [this](const Argv& argv, CommandResult& answer) {
            if (argv.size() == 3 && argv[1] == "list-keys") {
                for (const auto& [key, value] : store)
                    answer.out += key + "\n";
            } else if (argv.size() == 4 && argv[1] == "get") {
                answer.out = store.at(argv[3]) + "\n";
            } else if (argv.size() == 5 && argv[1] == "set" && argv[3] == "picture-options" &&
                       !optionsRange.empty() && optionsRange.count(ParseGVariantString(argv[4])) == 0) {
                answer = {1, "", "The provided value is outside of the valid range\n"};
            } else if (argv.size() == 5 && argv[1] == "set" && !refuse) {
                // gsettings stores the parsed value and prints it back in its own quoting.
                store.at(argv[3]) = GVariantString(ParseGVariantString(argv[4]));
                sets.push_back(argv[3] + "=" + argv[4]);
            } else if (argv.size() == 4 && argv[1] == "reset" && !refuse) {
                store.at(argv[3]) = defaults.at(argv[3]);
                resets.push_back(argv[3]);
            } else if (argv.size() == 6 && argv[0] == "env" && argv[1] == "GSETTINGS_BACKEND=memory" &&
                       argv[2] == "gsettings" && argv[3] == "get") {
                const auto found = defaults.find(argv[5]);
                if (found == defaults.end())
                    answer = {1, "", "No such key"};
                else
                    answer.out = found->second + "\n";
            }
            return true;
        };
    }
    std::map<std::string, std::string> store;
    // What an empty store shows; a key without one cannot be asked for its default.
    std::map<std::string, std::string> defaults;
    std::vector<std::string> sets;
    std::vector<std::string> resets;
    // The values picture-options takes, when the schema's enumeration is to be checked.
    std::set<std::string> optionsRange;
    bool refuse = false;
};

class FixedPictureFiles final : public PictureFiles
{
public:
    BgrPixels Load(const std::string&) override { return {}; }
    DesktopSize SizeOf(const std::string&) override { return size; }
    void Save(const BgrPixels&, const std::string&) override {}
    DesktopSize size;
};

TEST(GsettingsDesktopWallpaper, WritesBothUrisAndReadsThemBack)
{
    FakeCommandRunner runner;
    FakeGsettings gsettings(runner, {{"picture-uri", "'file:///usr/share/bg.jpg'"},
                                     {"picture-uri-dark", "'file:///usr/share/bg-dark.jpg'"},
                                     {"picture-options", "'zoom'"},
                                     {"primary-color", "'#023c88'"}});
    GsettingsDesktopWallpaper gnome(GnomeScheme(), runner);
    EXPECT_EQ(gnome.Read(), (DesktopWallpaper::Values{"/usr/share/bg.jpg", "0"}));

    const std::string work = "/home/ann/My Ondrix/wall#1.bmp";
    gnome.Write({work, "1"});
    EXPECT_EQ(gsettings.store["picture-uri"], "'file:///home/ann/My%20Ondrix/wall%231.bmp'");
    EXPECT_EQ(gsettings.store["picture-uri-dark"], gsettings.store["picture-uri"]);
    EXPECT_EQ(gsettings.store["picture-options"], "'wallpaper'");
    EXPECT_EQ(gnome.Read(), (DesktopWallpaper::Values{work, "1"}));

    // The same path again: the desktop must see a change, so the picture goes off first.
    gsettings.sets.clear();
    gnome.Write({work, "0"});
    ASSERT_FALSE(gsettings.sets.empty());
    EXPECT_EQ(gsettings.sets.front(), "picture-options='none'");
    EXPECT_EQ(gsettings.store["picture-options"], "'centered'");

    gnome.Write({"", "0"});
    EXPECT_EQ(gsettings.store["picture-options"], "'none'");
    EXPECT_EQ(gnome.Read(), (DesktopWallpaper::Values{"", "0"}));
}

TEST(GsettingsDesktopWallpaper, SpansADesktopSizedPicture)
{
    FakeCommandRunner runner;
    FakeGsettings gsettings(runner, {{"picture-uri", "''"}, {"picture-options", "'zoom'"}});
    FixedPictureFiles pictures;
    FixedScreenInfo screen({2048, 768});
    GsettingsDesktopWallpaper cinnamon(CinnamonScheme(), runner, &pictures, &screen);
    pictures.size = {2048, 768};
    cinnamon.Write({"/w.bmp", "0"});
    EXPECT_EQ(gsettings.store["picture-options"], "'spanned'");
    pictures.size = {1024, 768};
    cinnamon.Write({"/w.bmp", "0"});
    EXPECT_EQ(gsettings.store["picture-options"], "'centered'");
}

TEST(GsettingsDesktopWallpaper, SaveAndRestoreKeepTheExactValues)
{
    FakeCommandRunner runner;
    const std::map<std::string, std::string> user{{"picture-filename", "'/home/ann/it\\'s.png'"},
                                                  {"picture-options", "'zoom'"},
                                                  {"primary-color", "'#3c8f25'"}};
    FakeGsettings gsettings(runner, user);
    GsettingsDesktopWallpaper mate(MateScheme(), runner);
    EXPECT_EQ(mate.Read().wallpaper, "/home/ann/it's.png");
    const std::string state = mate.SaveState();
    mate.Write({"/tmp/a b.bmp", "1"});
    EXPECT_EQ(gsettings.store["picture-filename"], "'/tmp/a b.bmp'");
    gsettings.store["primary-color"] = "'#000000'";
    mate.RestoreState(state);
    EXPECT_EQ(gsettings.store, user);
}

TEST(GsettingsDesktopWallpaper, MateHasNoNoneOptionSoAnEmptyPictureKeyStandsForIt)
{
    FakeCommandRunner runner;
    FakeGsettings gsettings(runner, {{"picture-filename", "'/usr/share/mate.png'"},
                                     {"picture-options", "'zoom'"},
                                     {"primary-color", "'#5891BC'"}});
    // MATE's enumeration, as its schema has it.
    gsettings.optionsRange = {"wallpaper", "zoom", "centered", "scaled", "stretched", "spanned"};
    GsettingsDesktopWallpaper mate(MateScheme(), runner);

    mate.Write({"/work/wallpaper.bmp", "1"});
    EXPECT_EQ(gsettings.store["picture-filename"], "'/work/wallpaper.bmp'");
    // The same work file again (the next picture): the picture goes away for a moment, so that
    // the desktop loads the file afresh.
    gsettings.sets.clear();
    EXPECT_NO_THROW(mate.Write({"/work/wallpaper.bmp", "0"}));
    EXPECT_EQ(gsettings.sets,
              (std::vector<std::string>{"picture-filename=''", "picture-filename='/work/wallpaper.bmp'",
                                        "picture-options='centered'"}));
    EXPECT_NO_THROW(mate.Write({"", "0"}));
    EXPECT_EQ(gsettings.store["picture-filename"], "''");
    EXPECT_EQ(mate.Read().wallpaper, "");
}

TEST(GsettingsDesktopWallpaper, KeysAtTheirDefaultAreResetNotPinned)
{
    FakeCommandRunner runner;
    // The user chose a picture; the options and the colour were never touched.
    FakeGsettings gsettings(runner, {{"picture-uri", "'file:///home/ann/own.jpg'"},
                                     {"picture-uri-dark", "'file:///usr/share/dark.webp'"},
                                     {"picture-options", "'zoom'"},
                                     {"primary-color", "'#023c88'"}});
    gsettings.defaults = {{"picture-uri", "'file:///usr/share/light.webp'"},
                          {"picture-uri-dark", "'file:///usr/share/dark.webp'"},
                          {"picture-options", "'zoom'"},
                          {"primary-color", "'#023c88'"}};
    GsettingsDesktopWallpaper gnome(GnomeScheme(), runner);
    const std::string state = gnome.SaveState();
    gnome.Write({"/w.bmp", "1"});
    gsettings.store["primary-color"] = "'#000000'";
    gsettings.sets.clear();
    gnome.RestoreState(state);

    EXPECT_EQ(gsettings.sets, (std::vector<std::string>{"picture-uri='file:///home/ann/own.jpg'"}));
    EXPECT_EQ(gsettings.resets,
              (std::vector<std::string>{"picture-uri-dark", "picture-options", "primary-color"}));
    EXPECT_EQ(gsettings.store["picture-uri"], "'file:///home/ann/own.jpg'");
    EXPECT_EQ(gsettings.store["picture-uri-dark"], "'file:///usr/share/dark.webp'");
    EXPECT_EQ(gsettings.store["picture-options"], "'zoom'");
    EXPECT_EQ(gsettings.store["primary-color"], "'#023c88'");

    // A state saved before keys were reset (no "!reset" lines) is still written back whole.
    gsettings.resets.clear();
    gnome.RestoreState("gsettings\npicture-options\t'scaled'\n");
    EXPECT_TRUE(gsettings.resets.empty());
    EXPECT_EQ(gsettings.store["picture-options"], "'scaled'");
}

TEST(GsettingsDesktopWallpaper, FailuresAreReported)
{
    FakeCommandRunner missing;
    GsettingsDesktopWallpaper gnome(GnomeScheme(), missing);
    EXPECT_THROW(gnome.Read(), PlatformError); // gsettings not installed

    FakeCommandRunner runner;
    FakeGsettings gsettings(runner, {{"picture-uri", "''"}, {"picture-options", "'zoom'"}});
    GsettingsDesktopWallpaper gnome2(GnomeScheme(), runner);
    gsettings.refuse = true; // e.g. no dconf: values are not kept
    EXPECT_THROW(gnome2.Write({"/w.bmp", "0"}), PlatformError);

    FakeCommandRunner noSchema;
    noSchema.installed.insert("gsettings");
    noSchema.answers.push_back({1, "", "No such schema “org.cinnamon.desktop.background”"});
    GsettingsDesktopWallpaper cinnamon(CinnamonScheme(), noSchema);
    EXPECT_THROW(cinnamon.Read(), PlatformError);
}

// xfconf-query with an in-memory channel.
class FakeXfconf
{
public:
    explicit FakeXfconf(FakeCommandRunner& runner, std::map<std::string, std::string> values)
        : store(std::move(values))
    {
        runner.installed.insert("xfconf-query");
        runner.handler = [this](const Argv& argv, CommandResult& answer) {
            if (argv.size() == 4 && argv[3] == "-l") {
                for (const auto& [property, value] : store)
                    answer.out += property + "\n";
            } else if (argv.size() == 5) {
                const auto found = store.find(argv[4]);
                if (found == store.end())
                    answer = {1, "",
                              "Property \"" + argv[4] + "\" does not exist on channel \"xfce4-desktop\".\n"};
                else
                    answer.out = found->second + "\n";
            } else if (argv.size() == 6 && argv[5] == "-r") {
                store.erase(argv[4]);
            } else if (argv.size() == 10) {
                store[argv[4]] = argv[9];
            } else {
                answer.exitCode = 2;
            }
            return true;
        };
    }
    std::map<std::string, std::string> store;
};

TEST(XfceDesktopWallpaper, WritesEveryMonitorAndWorkspace)
{
    FakeCommandRunner runner;
    const std::map<std::string, std::string> user{
        {"/backdrop/screen0/monitorHDMI-1/workspace0/last-image", "/usr/share/a.png"},
        {"/backdrop/screen0/monitorHDMI-1/workspace0/image-style", "5"},
        {"/backdrop/screen0/monitorHDMI-1/workspace1/color-style", "0"},
        {"/backdrop/screen0/monitoreDP-1/workspace0/last-image", "/usr/share/b\nc.png"},
        {"/backdrop/screen0/monitoreDP-1/workspace0/image-style", "1"},
    };
    FakeXfconf xfconf(runner, user);
    XfceDesktopWallpaper xfce(runner);
    EXPECT_EQ(xfce.Read(), (DesktopWallpaper::Values{"/usr/share/a.png", "0"}));
    const std::string state = xfce.SaveState();

    xfce.Write({"/w a.bmp", "1"});
    for (const char* prefix :
         {"/backdrop/screen0/monitorHDMI-1/workspace0/", "/backdrop/screen0/monitorHDMI-1/workspace1/",
          "/backdrop/screen0/monitoreDP-1/workspace0/"}) {
        EXPECT_EQ(xfconf.store[std::string(prefix) + "last-image"], "/w a.bmp") << prefix;
        EXPECT_EQ(xfconf.store[std::string(prefix) + "image-style"], "2") << prefix;
    }
    EXPECT_EQ(xfce.Read(), (DesktopWallpaper::Values{"/w a.bmp", "1"}));
    xfce.Write({"", "0"});
    EXPECT_EQ(xfconf.store["/backdrop/screen0/monitoreDP-1/workspace0/image-style"], "0");
    EXPECT_EQ(xfce.Read(), (DesktopWallpaper::Values{"", "0"}));

    // Back to exactly what the user had: the properties we created are gone again.
    xfce.RestoreState(state);
    EXPECT_EQ(xfconf.store, user);
}

TEST(XfceDesktopWallpaper, CreatesPropertiesWhenNoneExist)
{
    FakeCommandRunner runner;
    FakeXfconf xfconf(runner, {{"/backdrop/screen0/monitorVGA-1/image-path", "/x.png"}});
    XfceDesktopWallpaper xfce(runner);
    xfce.Write({"/w.bmp", "0"});
    EXPECT_EQ(xfconf.store["/backdrop/screen0/monitorVGA-1/workspace0/last-image"], "/w.bmp");
    EXPECT_EQ(xfconf.store["/backdrop/screen0/monitorVGA-1/workspace0/image-style"], "1");

    FakeCommandRunner bare;
    FakeXfconf empty(bare, {});
    XfceDesktopWallpaper xfce2(bare);
    xfce2.Write({"/w.bmp", "1"});
    EXPECT_EQ(empty.store["/backdrop/screen0/monitor0/workspace0/image-style"], "2");
}

// A picture of the desktop's size on two monitors spans the screens, so each shows its part;
// on one monitor, or of another size, it is centred as ever.
TEST(XfceDesktopWallpaper, APictureOfTheDesktopsSizeSpansSeveralMonitors)
{
    FakeCommandRunner runner;
    FakeXfconf xfconf(runner, {{"/backdrop/screen0/monitorHDMI-1/workspace0/image-style", "1"},
                               {"/backdrop/screen0/monitorDP-1/workspace0/image-style", "1"}});
    FixedPictureFiles pictures;
    pictures.size = {3840, 1080};
    FixedScreenInfo screen({3840, 1080});
    screen.SetMonitors({{0, 0, 1920, 1080}, {1920, 0, 1920, 1080}});
    XfceDesktopWallpaper xfce(runner, &pictures, &screen);
    const auto styles = [&] {
        return std::vector<std::string>{
            xfconf.store["/backdrop/screen0/monitorHDMI-1/workspace0/image-style"],
            xfconf.store["/backdrop/screen0/monitorDP-1/workspace0/image-style"]};
    };
    xfce.Write({"/w.bmp", "0"});
    EXPECT_EQ(styles(), (std::vector<std::string>{"6", "6"}));
    EXPECT_EQ(xfce.Read(), (DesktopWallpaper::Values{"/w.bmp", "0"}));
    xfce.Write({"/w.bmp", "1"}); // tiled stays tiled
    EXPECT_EQ(styles(), (std::vector<std::string>{"2", "2"}));
    pictures.size = {800, 600};
    xfce.Write({"/w.bmp", "0"});
    EXPECT_EQ(styles(), (std::vector<std::string>{"1", "1"}));
    pictures.size = {3840, 1080};
    screen.SetMonitors({{0, 0, 3840, 1080}});
    xfce.Write({"/w.bmp", "0"});
    EXPECT_EQ(styles(), (std::vector<std::string>{"1", "1"}));
    // One monitor that leaves part of the desktop uncovered: its part is in its place only spanned.
    screen.SetMonitors({{0, 0, 1920, 1080}});
    xfce.Write({"/w.bmp", "0"});
    EXPECT_EQ(styles(), (std::vector<std::string>{"6", "6"}));
}

TEST(KdeDesktopWallpaper, WritesThroughGdbusAndChecksTheResult)
{
    FakeCommandRunner runner;
    runner.installed = {"gdbus"};
    std::string image = "file:///usr/share/wallpapers/x.png";
    std::string fill = "2";
    runner.handler = [&](const Argv& argv, CommandResult& answer) {
        const std::string& script = argv.back();
        if (script.find("print(") != std::string::npos) {
            // Plasma prints the image through encodeURIComponent; FileUri's encoding decodes alike.
            answer.out = "('org.kde.image\\t" + fill + "\\t" + FileUri(image).substr(7) + "\\n',)\n";
        } else {
            const auto at = script.find("writeConfig(\"Image\", ");
            image = script.substr(at + 22, script.find("\");", at) - at - 22);
            const auto fillAt = script.find("writeConfig(\"FillMode\", ");
            fill = script.substr(fillAt + 24, script.find(')', fillAt) - fillAt - 24);
        }
        return true;
    };
    KdeDesktopWallpaper kde(runner);
    EXPECT_EQ(kde.Read(), (DesktopWallpaper::Values{"/usr/share/wallpapers/x.png", "0"}));
    kde.Write({"/a b.bmp", "1"});
    EXPECT_EQ(image, "file:///a%20b.bmp");
    EXPECT_EQ(fill, "3");
    EXPECT_EQ(kde.Read(), (DesktopWallpaper::Values{"/a b.bmp", "1"}));
    EXPECT_EQ(runner.calls.back().front(), "gdbus");

    FakeCommandRunner none;
    KdeDesktopWallpaper kde2(none);
    EXPECT_THROW(kde2.Read(), PlatformError);
}

// What the children did; kept by the test, so that it outlives the backend that owns the fake.
struct ChildRecord
{
    std::vector<std::vector<std::string>> started;
    std::set<int> running;
    std::vector<int> stopped;
    int nextPid = 100;
    bool dieAtOnce = false;
};

class FakeChildren final : public ChildProcesses
{
public:
    explicit FakeChildren(ChildRecord& record) : m_record(record) {}
    int Start(const std::vector<std::string>& argv) override
    {
        m_record.started.push_back(argv);
        m_record.running.insert(m_record.nextPid);
        return m_record.nextPid++;
    }
    bool Running(int pid) override { return m_record.running.count(pid) > 0 && !m_record.dieAtOnce; }
    void Stop(int pid) override
    {
        m_record.running.erase(pid);
        m_record.stopped.push_back(pid);
    }

private:
    ChildRecord& m_record;
};

TEST(WlrootsDesktopWallpaper, ReplacesItsSwaybgChild)
{
    FakeCommandRunner runner;
    runner.installed = {"swaybg"};
    ChildRecord children;
    {
        WlrootsDesktopWallpaper wlroots(runner, false, std::make_unique<FakeChildren>(children));
        const std::string untouched = wlroots.SaveState();
        wlroots.Write({"/a b.bmp", "1"});
        wlroots.Write({"/a b.bmp", "0"});
        ASSERT_EQ(children.started.size(), 2u);
        EXPECT_EQ(children.started[1], (Argv{"swaybg", "-i", "/a b.bmp", "-m", "center"}));
        EXPECT_EQ(children.stopped, (std::vector<int>{100}));
        EXPECT_EQ(wlroots.Read(), (DesktopWallpaper::Values{"/a b.bmp", "0"}));
        wlroots.RestoreState(untouched);
        EXPECT_EQ(children.stopped, (std::vector<int>{100, 101}));
        wlroots.Write({"/c.bmp", "0"});
    }
    EXPECT_TRUE(children.running.empty()); // ended at exit
}

TEST(WlrootsDesktopWallpaper, UsesSwaymsgWithASwaySocket)
{
    FakeCommandRunner runner;
    runner.installed = {"swaymsg", "swaybg"};
    ChildRecord children;
    WlrootsDesktopWallpaper wlroots(runner, true, std::make_unique<FakeChildren>(children));
    wlroots.Write({"/w/wallpaper.bmp", "1"});
    ASSERT_EQ(runner.calls.size(), 1u);
    EXPECT_EQ(runner.calls[0], (Argv{"swaymsg", "output", "*", "bg", "/w/wallpaper.bmp", "tile"}));
    // A path sway would split goes to a swaybg child instead.
    wlroots.Write({"/my pictures/wallpaper.bmp", "1"});
    EXPECT_EQ(children.started.size(), 1u);
    runner.answers.push_back({0, "[ { \"success\": false, \"error\": \"no\" } ]", ""});
    EXPECT_THROW(wlroots.Write({"/w/wallpaper.bmp", "0"}), PlatformError);
    children.dieAtOnce = true;
    EXPECT_THROW(wlroots.Write({"/my pictures/x.bmp", "0"}), PlatformError);
}

} // namespace
} // namespace ondrix
