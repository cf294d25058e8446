// The command line against the real program: every command sent to a running copy and seen
// in its settings file, the file desktop's values and --status; without a running copy each
// command says so; hostile clients on the socket; a command sent while a change is running.
#include "ProcessRunner.h"
#include "platform/RegFileRegistry.h"
#include "platform/linux/SingleInstance.h"
#include "wallpaper/BmpCodec.h"

#include <QDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ondrix::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr auto kOptions = "SOFTWARE\\Quorvane\\Ondrix2\\Options";
constexpr auto kDesktop = "Control Panel\\Desktop";
constexpr auto kLayer = "Software\\Microsoft\\Internet Explorer\\Desktop\\General";

struct Setting
{
    const char* name;
    std::uint32_t value;
};

void WriteSettings(const AppSandbox& sandbox, std::initializer_list<Setting> numbers,
                   std::initializer_list<std::pair<const char*, std::string>> strings)
{
    fs::create_directories(sandbox.registryFile().parent_path());
    RegFileRegistry registry(sandbox.registryFile().string());
    for (const Setting& setting : numbers)
        registry.WriteDword(Hive::LocalMachine, kOptions, setting.name, setting.value);
    for (const auto& [name, value] : strings)
        registry.WriteString(Hive::LocalMachine, kOptions, name, value);
}

// Picture i of the list is (30 + 10i) x (20 + 5i) pixels, so the work file tells which one is shown.
std::vector<std::string> WritePictureList(const AppSandbox& sandbox, const fs::path& list, int count)
{
    fs::create_directories(sandbox.root() / "pictures");
    std::vector<std::string> pictures;
    std::ofstream out(list, std::ios::binary);
    for (int i = 0; i < count; ++i) {
        const std::string path = (sandbox.root() / "pictures" / ("p" + std::to_string(i) + ".bmp")).string();
        Bitmap bitmap(30 + 10 * i, 20 + 5 * i, path);
        bitmap.Fill(static_cast<std::uint8_t>(60 * i), 128, 0);
        WriteBmp(bitmap, path);
        out << path << "?" << 30 + 10 * i << "*" << 20 + 5 * i << "\r\n";
        pictures.push_back(path);
    }
    return pictures;
}

int WidthOf(const fs::path& bmp)
{
    return fs::exists(bmp) ? ReadBmp(bmp.string()).Width() : 0;
}

std::string Read(const AppSandbox& sandbox, Hive hive, const char* key, const char* name)
{
    RegFileRegistry registry(sandbox.registryFile().string());
    return registry.ReadString(hive, key, name).value_or("<none>");
}

std::string StatusText(const std::string& mode, const std::string& changing, const std::string& list,
                       const std::string& picture, const std::string& theme)
{
    return "mode: " + mode + "\nchanging: " + changing + "\nlist: " + list + "\npicture: " + picture +
           "\ntheme: " + theme + "\n";
}

// A client of our own on the program's socket, for what the real client never sends.
class RawClient
{
public:
    explicit RawClient(const AppSandbox& sandbox)
    {
        const QString name =
            SingleInstance(QString::fromStdString(sandbox.registryFile().string())).ServerName();
        const std::string path = (QDir::tempPath() + QLatin1Char('/') + name).toStdString();
        m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof(address.sun_path) - 1);
        connected = ::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~RawClient() { ::close(m_fd); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    void Send(const std::string& bytes)
    {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            sent += static_cast<std::size_t>(n);
        }
    }
    // Everything until the program closes the connection; nothing when it does not in time.
    std::optional<std::string> ReadToClose(std::chrono::milliseconds timeout)
    {
        std::string answer;
        const auto end = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            pollfd entry{m_fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0)
                return std::nullopt;
            char buffer[4096];
            const ssize_t n = ::recv(m_fd, buffer, sizeof(buffer), 0);
            if (n <= 0)
                return answer;
            answer.append(buffer, static_cast<std::size_t>(n));
        }
    }

    bool connected = false;

private:
    int m_fd = -1;
};

// Starts the program and waits until it answers on its socket.
pid_t StartAndWait(AppSandbox& sandbox)
{
    const pid_t pid = sandbox.Start();
    const bool answering = WaitUntil([&] { return sandbox.RunToEnd({"--status"}).status == 0; }, 30s);
    EXPECT_TRUE(answering) << "the running copy never answered --status";
    return pid;
}

TEST(CommandLine, WithoutARunningCopyEachCommandSaysSoAndExitsThree)
{
    AppSandbox sandbox;
    const std::string picture = (sandbox.root() / "a.bmp").string();
    const std::vector<std::vector<std::string>> commands = {
        {"--next"},
        {"--on"},
        {"--off"},
        {"--mode", "pictures"},
        {"--mode=themes"},
        {"--apply-theme", (sandbox.appDir() / "advThemes_" / "Aurora.ond").string()},
        {"--set-picture", picture},
        {"--status"}};
    for (const auto& command : commands) {
        SCOPED_TRACE(command.front());
        const AppSandbox::Run run = sandbox.RunToEnd(command, 20s);
        EXPECT_EQ(run.status, 3);
        const std::string option = command.front().substr(0, command.front().find('='));
        EXPECT_EQ(run.err, "ondrix: Ondrix is not running, so " + option +
                               " was not carried out; start it with \"ondrix\" first.\n");
        EXPECT_EQ(run.out, "");
    }
    // Nothing of the program was started: no settings were written.
    EXPECT_FALSE(fs::exists(sandbox.registryFile()));

    const AppSandbox::Run help = sandbox.RunToEnd({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: ondrix [COMMAND]\n", 0), 0u) << help.out;
    EXPECT_EQ(help.err, "");

    const AppSandbox::Run wrong = sandbox.RunToEnd({"--mode", "sideways"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(
        wrong.err.rfind("ondrix: --mode takes pictures or themes, not \"sideways\"\n\nUsage: ondrix", 0), 0u)
        << wrong.err;
    EXPECT_EQ(sandbox.RunToEnd({"--next", "--off"}).status, 2);
    EXPECT_EQ(sandbox.RunToEnd({"--frobnicate"}).status, 2);
}

TEST(CommandLine, EveryCommandAgainstARunningCopy)
{
    AppSandbox sandbox;
    const fs::path lists = sandbox.appDir() / "imgLists";
    const fs::path store = sandbox.appDir() / "advThemes_";
    const fs::path workFile = lists / "WorkDir" / "wallpaper.bmp";
    fs::remove(workFile);
    const std::string list = (lists / "four.lst").string();
    const std::vector<std::string> pictures = WritePictureList(sandbox, list, 4);
    WriteSettings(sandbox,
                  {{"state", 1},
                   {"Enabled", 1},
                   {"firstrun", 0},
                   {"ShowAboutWindow", 0},
                   {"ilChType", 0},
                   {"advChType", 0},
                   {"ilShowType", 0},
                   {"ilDisplType", 1},
                   {"lvadvSortType", 0}},
                  {{"cIList", list}, {"cImg", pictures[0]}});
    const pid_t pid = StartAndWait(sandbox);
    const std::string work = workFile.string();

    {
        SCOPED_TRACE("status after start");
        const AppSandbox::Run run = sandbox.RunToEnd({"--status"});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, StatusText("pictures", "on", list, pictures[0], ""));
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(WidthOf(workFile), 30);
    }
    {
        SCOPED_TRACE("--next in picture mode");
        const AppSandbox::Run run = sandbox.RunToEnd({"--next"});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(WidthOf(workFile), 40);
        EXPECT_EQ(Read(sandbox, Hive::CurrentUser, kDesktop, "Wallpaper"), work);
        EXPECT_EQ(sandbox.RunToEnd({"--status"}).out, StatusText("pictures", "on", list, pictures[1], ""));
    }
    {
        SCOPED_TRACE("--off, then --next refused");
        EXPECT_EQ(sandbox.RunToEnd({"--off"}).status, 0);
        EXPECT_EQ(Read(sandbox, Hive::CurrentUser, kDesktop, "Wallpaper"), "");
        const AppSandbox::Run next = sandbox.RunToEnd({"--next"});
        EXPECT_EQ(next.status, 1);
        EXPECT_EQ(next.err, "ondrix: Changing is off; switch it on first (ondrix --on).\n");
        EXPECT_EQ(sandbox.RunToEnd({"--status"}).out, StatusText("pictures", "off", list, pictures[1], ""));
    }
    {
        SCOPED_TRACE("--on shows the current picture again without moving on");
        fs::remove(workFile);
        EXPECT_EQ(sandbox.RunToEnd({"--on"}).status, 0);
        EXPECT_EQ(WidthOf(workFile), 40);
        EXPECT_EQ(Read(sandbox, Hive::CurrentUser, kDesktop, "Wallpaper"), work);
        EXPECT_EQ(sandbox.RunToEnd({"--on"}).status, 0) << "switching on twice is no error";
        EXPECT_EQ(sandbox.RunToEnd({"--status"}).out, StatusText("pictures", "on", list, pictures[1], ""));
    }
    const std::string outside = (sandbox.root() / "outside.bmp").string();
    {
        SCOPED_TRACE("--set-picture");
        Bitmap bitmap(77, 33, outside);
        bitmap.Fill(1, 2, 3);
        WriteBmp(bitmap, outside);
        EXPECT_EQ(sandbox.RunToEnd({"--set-picture", outside}).status, 0);
        EXPECT_EQ(WidthOf(workFile), 77);
        EXPECT_EQ(Read(sandbox, Hive::CurrentUser, kDesktop, "TileWallpaper"), "0");

        const fs::path text = sandbox.root() / "notes.bmp";
        std::ofstream(text) << "not a picture\n";
        const AppSandbox::Run bad = sandbox.RunToEnd({"--set-picture", text.string()});
        EXPECT_EQ(bad.status, 1);
        EXPECT_NE(bad.err.find(text.string()), std::string::npos) << bad.err;
        const AppSandbox::Run missing = sandbox.RunToEnd({"--set-picture", "/nowhere/x.jpg"});
        EXPECT_EQ(missing.status, 1);
        EXPECT_EQ(missing.err, "ondrix: The file \"/nowhere/x.jpg\" does not exist.\n");
        const AppSandbox::Run folder = sandbox.RunToEnd({"--set-picture", sandbox.root().string()});
        EXPECT_EQ(folder.status, 1);
        EXPECT_EQ(folder.err, "ondrix: \"" + sandbox.root().string() + "\" is not a regular file.\n");
        // Nothing changed by the refused files.
        EXPECT_EQ(WidthOf(workFile), 77);
        EXPECT_EQ(sandbox.RunToEnd({"--status"}).out, StatusText("pictures", "on", list, outside, ""));
    }
    const std::string fresh = (store / "Fresh.ond").string();
    {
        SCOPED_TRACE("--apply-theme of a package from elsewhere");
        fs::create_directories(sandbox.root() / "downloads");
        const fs::path download = sandbox.root() / "downloads" / "Fresh.ond";
        fs::copy_file(store / "Lanterns.ond", download);
        const AppSandbox::Run run = sandbox.RunToEnd({"--apply-theme", download.string()});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(fs::exists(fresh)) << "the package was not taken into the store";
        EXPECT_TRUE(fs::exists(download)) << "the package from elsewhere must stay where it was";
        RegFileRegistry running(sandbox.registryFile().string());
        EXPECT_EQ(running.ReadDword(Hive::CurrentUser, kLayer, "ActiveDesktop"), 1u);
        const std::string page = running.ReadString(Hive::CurrentUser, kLayer, "Wallpaper").value_or("");
        EXPECT_EQ(page.rfind((store / "WorkDir").string() + "/", 0), 0u) << page;
        EXPECT_TRUE(fs::exists(page)) << page;
        EXPECT_EQ(sandbox.RunToEnd({"--status"}).out, StatusText("themes", "on", list, outside, fresh));

        const fs::path junk = sandbox.root() / "downloads" / "Junk.ond";
        std::ofstream(junk) << "not a zip";
        const AppSandbox::Run bad = sandbox.RunToEnd({"--apply-theme", junk.string()});
        EXPECT_EQ(bad.status, 1);
        EXPECT_FALSE(bad.err.empty());
        EXPECT_FALSE(fs::exists(store / "Junk.ond"));
        EXPECT_EQ(sandbox.RunToEnd({"--status"}).out, StatusText("themes", "on", list, outside, fresh));
    }
    {
        SCOPED_TRACE("--apply-theme of a store package, then --next in theme mode");
        EXPECT_EQ(sandbox.RunToEnd({"--apply-theme", (store / "Starlight.ond").string()}).status, 0);
        // By name: Aurora, Lanterns (twice: Fresh is a copy), Starlight, Tide.
        EXPECT_EQ(sandbox.RunToEnd({"--next"}).status, 0);
        EXPECT_EQ(sandbox.RunToEnd({"--status"}).out,
                  StatusText("themes", "on", list, outside, (store / "Tide.ond").string()));
    }
    {
        SCOPED_TRACE("--mode");
        EXPECT_EQ(sandbox.RunToEnd({"--mode", "pictures"}).status, 0);
        EXPECT_EQ(Read(sandbox, Hive::CurrentUser, kDesktop, "Wallpaper"), work);
        EXPECT_EQ(WidthOf(workFile), 77);
        {
            RegFileRegistry running(sandbox.registryFile().string());
            EXPECT_EQ(running.ReadDword(Hive::CurrentUser, kLayer, "ActiveDesktop"), 0u);
        }
        EXPECT_EQ(sandbox.RunToEnd({"--mode=pictures"}).status, 0) << "the mode it has already is no error";
        EXPECT_EQ(sandbox.RunToEnd({"--status"}).out,
                  StatusText("pictures", "on", list, outside, (store / "Tide.ond").string()));
        EXPECT_EQ(sandbox.RunToEnd({"--mode", "themes"}).status, 0);
        RegFileRegistry running(sandbox.registryFile().string());
        EXPECT_EQ(running.ReadDword(Hive::CurrentUser, kLayer, "ActiveDesktop"), 1u);
        EXPECT_EQ(sandbox.RunToEnd({"--status"}).out.substr(0, 13), "mode: themes\n");
    }

    ::kill(pid, SIGTERM);
    ASSERT_EQ(sandbox.WaitForExit(pid, 30s), 0);
    RegFileRegistry saved(sandbox.registryFile().string());
    EXPECT_EQ(saved.ReadDword(Hive::LocalMachine, kOptions, "state"), 0u);
    EXPECT_EQ(saved.ReadString(Hive::LocalMachine, kOptions, "cImg"), outside);
    EXPECT_EQ(saved.ReadString(Hive::LocalMachine, kOptions, "cadvTheme"), (store / "Tide.ond").string());
}

TEST(CommandLine, HostileClientsGetAnAnswerOrAreDroppedAndNeverHoldTheProgram)
{
    AppSandbox sandbox;
    WriteSettings(sandbox, {{"firstrun", 0}, {"ShowAboutWindow", 0}, {"Enabled", 0}}, {});
    const pid_t pid = StartAndWait(sandbox);

    {
        RawClient garbage(sandbox);
        ASSERT_TRUE(garbage.connected);
        garbage.Send("GET / HTTP/1.1\r\n\r\n");
        EXPECT_EQ(garbage.ReadToClose(10s),
                  "ONDRIX/1 error The request was refused: not a request of this program.\n");
    }
    {
        RawClient unknown(sandbox);
        unknown.Send("ONDRIX/1 format-disk /\n");
        EXPECT_EQ(unknown.ReadToClose(10s),
                  "ONDRIX/1 error The request was refused: unknown command \"format-disk\".\n");
    }
    {
        RawClient endless(sandbox);
        endless.Send(std::string(100000, 'x'));
        EXPECT_EQ(endless.ReadToClose(10s), "ONDRIX/1 error The request was refused: it is too long.\n");
    }
    {
        // Half a line, then gone.
        RawClient gone(sandbox);
        gone.Send("ONDRIX/1 sta");
    }
    {
        // A client that never ends its line is dropped, and others are answered meanwhile.
        RawClient slow(sandbox);
        slow.Send("ONDRIX/1 sta");
        const auto before = std::chrono::steady_clock::now();
        const AppSandbox::Run status = sandbox.RunToEnd({"--status"});
        EXPECT_EQ(status.status, 0);
        EXPECT_LT(std::chrono::steady_clock::now() - before, 4s) << "the slow client held the program";
        EXPECT_EQ(slow.ReadToClose(15s), "") << "the slow client was not dropped";
    }
    // A plain second start still only shows the running copy's window.
    EXPECT_EQ(sandbox.WaitForExit(sandbox.Start(), 10s), 0);
    EXPECT_EQ(sandbox.RunToEnd({"--status"}).out.substr(0, 27), "mode: themes\nchanging: off\n");

    ::kill(pid, SIGTERM);
    EXPECT_EQ(sandbox.WaitForExit(pid, 30s), 0);
}

// The picture timer's change fails on a damaged picture and its error box stays open: the
// change is still running. A command sent meanwhile waits; it is not run inside the change.
TEST(CommandLine, ACommandSentWhileAChangeIsRunningWaitsForIt)
{
    AppSandbox sandbox;
    const fs::path lists = sandbox.appDir() / "imgLists";
    const std::string list = (lists / "two.lst").string();
    const std::vector<std::string> pictures = WritePictureList(sandbox, list, 1);
    const std::string damaged = (sandbox.root() / "pictures" / "damaged.bmp").string();
    std::ofstream(damaged) << "BM but nothing more";
    std::ofstream(list, std::ios::app | std::ios::binary) << damaged << "?10*10\r\n";
    WriteSettings(sandbox,
                  {{"state", 1},
                   {"Enabled", 1},
                   {"firstrun", 0},
                   {"ShowAboutWindow", 0},
                   {"ilChType", 2},
                   {"ilMin", 0},
                   {"ilSec", 2},
                   {"ilDisplType", 1}},
                  {{"cIList", list}, {"cImg", pictures[0]}});
    const pid_t pid = StartAndWait(sandbox);
    EXPECT_EQ(sandbox.RunToEnd({"--status"}).out, StatusText("pictures", "on", list, pictures[0], ""));

    // The tick takes the damaged picture; the settings keep it as soon as it is current.
    ASSERT_TRUE(
        WaitUntil([&] { return Read(sandbox, Hive::LocalMachine, kOptions, "cImg") == damaged; }, 20s));

    const AppSandbox::Output output{sandbox.root() / "waiting.out", sandbox.root() / "waiting.err"};
    const pid_t waiting = sandbox.Start({"--status"}, output);
    EXPECT_FALSE(sandbox.WaitForExit(waiting, 3s).has_value())
        << "the command was answered inside the running change";

    // The program ends: the box closes, the change ends. The waiting command is answered
    // after it, or not at all when the program is gone first; never with "not running".
    ::kill(pid, SIGTERM);
    EXPECT_EQ(sandbox.WaitForExit(pid, 30s), 0);
    const AppSandbox::Run run = sandbox.Finish(waiting, output, 10s);
    ASSERT_TRUE(run.status == 0 || run.status == 1) << run.status.value_or(-1) << run.err;
    if (run.status == 0) {
        EXPECT_EQ(run.out, StatusText("pictures", "on", list, damaged, ""));
    }
}

} // namespace
} // namespace ondrix::test
