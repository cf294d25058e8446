#include "DesktopScenes.h"

#include "platform/RegFileRegistry.h"
#include "themes/ZipArchive.h"
#include "wallpaper/Bitmap.h"
#include "wallpaper/BmpCodec.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace ondrix::test {

namespace {

constexpr auto kOptions = "SOFTWARE\\Quorvane\\Ondrix2\\Options";

std::vector<std::pair<int, int>> LookPoints(const Screenshot& shot)
{
    const int w = shot.width - 1;
    const int h = shot.height - 1;
    // Below the top strip, where a test's notification area may sit.
    return {{0, 40}, {w, 40}, {0, h}, {w, h}, {w / 2, h / 2}, {w / 4, h / 3}, {3 * w / 4, 2 * h / 3}};
}

void WriteNumbers(RegFileRegistry& registry,
                  std::initializer_list<std::pair<const char*, std::uint32_t>> values)
{
    for (const auto& [name, value] : values)
        registry.WriteDword(Hive::LocalMachine, kOptions, name, value);
}

std::string Hex(const Rgb& colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour.r, colour.g, colour.b);
    return text;
}

} // namespace

std::vector<std::string> MakeSolidPictureList(AppSandbox& sandbox, const std::vector<Rgb>& colours)
{
    const auto folder = sandbox.root() / "pictures";
    std::filesystem::create_directories(folder);
    std::ofstream list(sandbox.appDir() / "imgLists" / "solid.lst", std::ios::binary);
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::string path = (folder / ("solid" + std::to_string(i) + ".bmp")).string();
        Bitmap bitmap(64, 48, path);
        bitmap.Fill(static_cast<std::uint8_t>(colours[i].b), static_cast<std::uint8_t>(colours[i].g),
                    static_cast<std::uint8_t>(colours[i].r));
        WriteBmp(bitmap, path);
        list << path << "?64*48\r\n";
        paths.push_back(path);
    }
    return paths;
}

void WritePictureSettings(AppSandbox& sandbox, const std::vector<std::string>& pictures, int timerSeconds)
{
    std::filesystem::create_directories(sandbox.registryFile().parent_path());
    RegFileRegistry registry(sandbox.registryFile().string());
    WriteNumbers(registry, {{"state", 1},
                            {"Enabled", 1},
                            {"firstrun", 1},
                            {"ShowAboutWindow", 0},
                            {"RunAtStartup", 0},
                            {"ilChType", 2},
                            {"ilMin", 0},
                            {"ilSec", static_cast<std::uint32_t>(timerSeconds)},
                            {"ilRandOrOrder", 0},
                            {"ilShowType", 0},
                            {"ilDisplType", 0}});
    registry.WriteString(Hive::LocalMachine, kOptions, "cIList",
                         (sandbox.appDir() / "imgLists" / "solid.lst").string());
    registry.WriteString(Hive::LocalMachine, kOptions, "cImg", pictures.at(0));
}

void WriteMarkedPictureSettings(AppSandbox& sandbox, int mode, bool eachMonitor)
{
    const auto pictures = MakeSolidPictureList(sandbox, {kBlack});
    Bitmap picture(400, 200, pictures.at(0));
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 400; ++x) {
            const Rgb c = y < 20 ? kYellow : y < 100 ? (x < 200 ? kRed : kGreen) : (x < 200 ? kBlue : kWhite);
            std::uint8_t* p = picture.Row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(c.b);
            p[1] = static_cast<std::uint8_t>(c.g);
            p[2] = static_cast<std::uint8_t>(c.r);
        }
    WriteBmp(picture, pictures.at(0));
    WritePictureSettings(sandbox, pictures, 60);
    RegFileRegistry registry(sandbox.registryFile().string());
    WriteNumbers(registry, {{"ilChType", 0},
                            {"ilDisplType", static_cast<std::uint32_t>(mode)},
                            {"FitEachMonitor", eachMonitor ? 1u : 0u}});
}

bool ShowsPoints(const Screenshot& shot, const std::vector<Point>& points, std::string& seen)
{
    std::ostringstream text;
    bool all = true;
    for (const Point& point : points) {
        const Rgb at = shot.At(point.x, point.y);
        const bool near = std::abs(at.r - point.colour.r) <= 6 && std::abs(at.g - point.colour.g) <= 6 &&
                          std::abs(at.b - point.colour.b) <= 6;
        all = all && near;
        text << " " << point.x << "," << point.y << "=" << at;
        if (!near)
            text << " (want " << point.colour << ")";
    }
    seen = text.str();
    return all;
}

std::string MakeTheme(AppSandbox& sandbox, const std::string& name,
                      const std::vector<std::pair<std::string, std::string>>& files)
{
    const std::string cfg =
        "[Name]\r\nThemeName=" + name +
        "\r\n[Author]\r\nThemeAuthor=Ondrix tests\r\n[Style]\r\n"
        "index=0\r\n[Description]\r\nDescription=A test theme\r\n[Files]\r\nstartup=\\index.htm";
    std::vector<ZipMember> members{{"theme.cfg", cfg}};
    for (const auto& [file, bytes] : files)
        members.push_back({file, bytes});
    const std::string path = (sandbox.appDir() / "advThemes_" / (name + ".ond")).string();
    std::ofstream(path, std::ios::binary) << BuildZip(members);
    return path;
}

std::string MakeSolidTheme(AppSandbox& sandbox, const Rgb& colour)
{
    const std::string page =
        "<html><head><style>html,body{margin:0;width:100%;height:100%;background-color:" + Hex(colour) +
        ";}</style></head><body></body></html>\r\n";
    return MakeTheme(sandbox, "Solid", {{"index.htm", page}});
}

void WriteThemeSettings(AppSandbox& sandbox, const std::string& package)
{
    std::filesystem::create_directories(sandbox.registryFile().parent_path());
    RegFileRegistry registry(sandbox.registryFile().string());
    WriteNumbers(registry, {{"state", 0},
                            {"Enabled", 1},
                            {"firstrun", 1},
                            {"ShowAboutWindow", 0},
                            {"RunAtStartup", 0},
                            {"advChType", 0},
                            {"ThemeSound", 0}});
    registry.WriteString(Hive::LocalMachine, kOptions, "cadvTheme", package);
}

bool ShowsEverywhere(const Screenshot& shot, const Rgb& colour)
{
    for (const auto& [x, y] : LookPoints(shot)) {
        const Rgb seen = shot.At(x, y);
        if (std::abs(seen.r - colour.r) > 2 || std::abs(seen.g - colour.g) > 2 ||
            std::abs(seen.b - colour.b) > 2)
            return false;
    }
    return true;
}

std::string Describe(const Screenshot& shot)
{
    std::ostringstream out;
    out << shot.width << "x" << shot.height << ":";
    for (const auto& [x, y] : LookPoints(shot))
        out << " " << x << "," << y << "=" << shot.At(x, y);
    return out.str();
}

bool IconWindowTakesClicks(DesktopSession& session, const std::string& windowClass, std::string& whyNot)
{
    using namespace std::chrono_literals;
    const auto visible = [&] {
        std::set<std::string> windows;
        std::istringstream lines(
            session.Run({"xdotool", "search", "--onlyvisible", "--class", windowClass}).out);
        for (std::string line; std::getline(lines, line);)
            if (!line.empty())
                windows.insert(line);
        return windows;
    };
    // The desktop may map its window anew while it takes a new background: a moment is allowed.
    const bool mapped = WaitUntil(
        [&] {
            return !session.Run({"xdotool", "search", "--onlyvisible", "--name", "^Desktop$"}).out.empty();
        },
        5s);
    if (!mapped) {
        whyNot = "the icon window is not mapped";
        return false;
    }
    const auto before = visible();
    // The windows the click opened (its menu); others of the desktop may come and go meanwhile.
    std::set<std::string> opened;
    session.Run({"xdotool", "mousemove", "320", "300", "click", "3"});
    const bool menu = WaitUntil(
        [&] {
            opened.clear();
            for (const std::string& window : visible())
                if (before.count(window) == 0)
                    opened.insert(window);
            return !opened.empty();
        },
        5s);
    if (!menu) {
        whyNot = "a right click on the desktop opened no menu of " + windowClass;
        return false;
    }
    const auto closed = [&] {
        const std::set<std::string> now = visible();
        for (const std::string& window : opened)
            if (now.count(window) != 0)
                return false;
        return true;
    };
    // Escape closes the menu when it holds the keyboard, a click beside it otherwise. The menu
    // having opened is the proof; closing it is only tidying up (the desktop may keep another
    // window of its own up), so it is tried but not required.
    session.Run({"xdotool", "key", "Escape"});
    for (int attempt = 0; attempt < 3 && !WaitUntil(closed, 2s); ++attempt)
        session.Run({"xdotool", "mousemove", "600", "420", "click", "1"});
    return true;
}

void HandToSession(AppSandbox& sandbox, const DesktopSession& session, const Environment& extra)
{
    sandbox.inheritEnvironment = false;
    sandbox.environment = session.Merged(extra);
    // The sandbox keeps its own HOME; the settings folder is the session's, where the
    // desktop's own settings store lives too.
    sandbox.environment.erase("HOME");
    sandbox.environment.erase("XDG_CONFIG_HOME");
    sandbox.UseConfigDir(session.root() / "config");
    sandbox.RunAs(session.account().uid, session.account().gid);
    session.GiveToAccount(sandbox.configDir());
}

Environment SwayUserEnvironment()
{
    return {{"QT_QPA_PLATFORM", "wayland"},
            {"XDG_SESSION_TYPE", "wayland"},
            {"XDG_CURRENT_DESKTOP", "sway"},
            {"ONDRIX_DESKTOP", ""},
            {"ONDRIX_SCREEN", ""}};
}

std::vector<pid_t> ProcessesRunning(const std::filesystem::path& program)
{
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        // A process may end while it is read: reading its files then fails, and it is not counted.
        std::string line;
        try {
            std::ifstream in(entry.path() / "cmdline", std::ios::binary);
            line.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        } catch (const std::ios_base::failure&) {
            continue;
        }
        std::ifstream status(entry.path() / "stat");
        std::string pid, command, state;
        status >> pid >> command >> state;
        if (line.substr(0, line.find('\0')) == program.string() && state != "Z")
            found.push_back(static_cast<pid_t>(std::stoi(name)));
    }
    return found;
}

} // namespace ondrix::test
