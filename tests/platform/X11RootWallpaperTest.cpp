#include "platform/linux/X11RootWallpaper.h"

#include "core/Errors.h"
#include "platform/CommandRunner.h"
#include "platform/RegFileRegistry.h"
#include "platform/fake/FakeCommandRunner.h"
#include "platform/linux/DesktopWallpaperFactory.h"
#include "platform/linux/RootPicture.h"
#include "platform/linux/X11ScreenInfo.h"
#include "support/TempDir.h"
#include "wallpaper/BmpPictureFiles.h"
#include "wallpaper/ResolutionAgent.h"

#include <gtest/gtest.h>
// Xlib's macros (None, Bool, Status) must come after GoogleTest's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace ondrix {
namespace {

// An Xvfb of our own on a display number it picks itself (-displayfd), ended by the destructor.
class VirtualDisplay
{
public:
    explicit VirtualDisplay(const std::string& screen)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        std::vector<std::string> argv{"Xvfb", "-displayfd", "3",         "-screen", "0",
                                      screen, "-noreset",   "-nolisten", "tcp"};
        std::vector<char*> args;
        for (auto& arg : argv)
            args.push_back(arg.data());
        args.push_back(nullptr);
        if (::posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, args.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        // Xvfb writes its display number when it is ready for clients.
        std::string number;
        pollfd readable{fds[0], POLLIN, 0};
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (m_pid > 0 && std::chrono::steady_clock::now() < deadline && ::poll(&readable, 1, 200) >= 0) {
            char c = 0;
            if ((readable.revents & (POLLIN | POLLHUP)) == 0)
                continue;
            if (::read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            number += c;
        }
        ::close(fds[0]);
        if (!number.empty())
            m_name = ":" + number;
    }
    ~VirtualDisplay()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;
    const std::string& Name() const { return m_name; }

private:
    pid_t m_pid = -1;
    std::string m_name;
};

struct Rgb
{
    int r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c)
{
    return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

constexpr Rgb kTopLeft{255, 0, 0}, kTopRight{0, 255, 0}, kBottomLeft{0, 0, 255}, kBottomRight{255, 255, 255},
    kInside{255, 0, 255}, kBlack{0, 0, 0};

// A 100x80 picture with distinct corners.
BgrPixels CornerPicture()
{
    BgrPixels picture{100, 80, std::vector<std::uint8_t>(100 * 80 * 3)};
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 100; ++x) {
            Rgb c = kInside;
            if (x == 0 && y == 0)
                c = kTopLeft;
            else if (x == 99 && y == 0)
                c = kTopRight;
            else if (x == 0 && y == 79)
                c = kBottomLeft;
            else if (x == 99 && y == 79)
                c = kBottomRight;
            auto* p = &picture.bgr[(static_cast<std::size_t>(y) * 100 + static_cast<std::size_t>(x)) * 3];
            p[0] = static_cast<std::uint8_t>(c.b);
            p[1] = static_cast<std::uint8_t>(c.g);
            p[2] = static_cast<std::uint8_t>(c.r);
        }
    }
    return picture;
}

class X11RootWallpaperTest : public ::testing::Test
{
protected:
    void Start(const std::string& screen = "640x480x24")
    {
        ProcessCommandRunner runner;
        if (!runner.IsInstalled("Xvfb"))
            GTEST_SKIP() << "Xvfb is not installed";
        m_xvfb = std::make_unique<VirtualDisplay>(screen);
        ASSERT_FALSE(m_xvfb->Name().empty()) << "Xvfb did not start";
        m_display = XOpenDisplay(m_xvfb->Name().c_str());
        ASSERT_NE(m_display, nullptr);
        m_picturePath = m_folder.path() / "wallpaper.bmp";
        m_files.Save(CornerPicture(), m_picturePath.string());
    }
    void TearDown() override
    {
        if (m_display != nullptr)
            XCloseDisplay(m_display);
        m_xvfb.reset();
    }

    Window Root() const { return DefaultRootWindow(m_display); }

    // Every pixel value of the root window as the screen shows it.
    std::vector<unsigned long> RootPixels() const
    {
        XSync(m_display, False);
        XImage* image = XGetImage(m_display, Root(), 0, 0, 640, 480, AllPlanes, ZPixmap);
        std::vector<unsigned long> pixels;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                pixels.push_back(XGetPixel(image, x, y));
        XDestroyImage(image);
        return pixels;
    }

    Rgb At(int x, int y) const
    {
        const unsigned long pixel =
            RootPixels()[static_cast<std::size_t>(y) * 640 + static_cast<std::size_t>(x)];
        Visual* visual = DefaultVisual(m_display, DefaultScreen(m_display));
        std::uint8_t r = 0, g = 0, b = 0;
        UnpackColour({visual->red_mask, visual->green_mask, visual->blue_mask}, pixel, r, g, b);
        return {r, g, b};
    }

    std::optional<Pixmap> Property(const char* name) const
    {
        const Atom atom = XInternAtom(m_display, name, False);
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(m_display, Root(), atom, 0, 1, False, XA_PIXMAP, &type, &format, &count, &after,
                           &data);
        std::optional<Pixmap> pixmap;
        if (type == XA_PIXMAP && count == 1)
            pixmap = *reinterpret_cast<Pixmap*>(data);
        if (data != nullptr)
            XFree(data);
        return pixmap;
    }

    bool PixmapExists(Pixmap pixmap) const
    {
        // Our connection's error handler (installed by the backend) records the BadDrawable.
        X11Connection probe(m_xvfb->Name());
        Window root = 0;
        int x = 0, y = 0;
        unsigned w = 0, h = 0, border = 0, depth = 0;
        XGetGeometry(probe.Get(), pixmap, &root, &x, &y, &w, &h, &border, &depth);
        try {
            probe.Check("probing a pixmap");
            return true;
        } catch (const PlatformError&) {
            return false;
        }
    }

    // A user's background as another setter leaves it: a retained pixmap named by both properties.
    Pixmap PutUserPattern()
    {
        Display* setter = XOpenDisplay(m_xvfb->Name().c_str());
        const int screen = DefaultScreen(setter);
        const Pixmap pixmap =
            XCreatePixmap(setter, Root(), 640, 480, static_cast<unsigned>(DefaultDepth(setter, screen)));
        GC gc = XCreateGC(setter, pixmap, 0, nullptr);
        for (int y = 0; y < 480; y += 8) {
            for (int x = 0; x < 640; x += 8) {
                XSetForeground(setter, gc, static_cast<unsigned long>((x * 977 + y * 131) & 0xFFFFFF));
                XFillRectangle(setter, pixmap, gc, x, y, 8, 8);
            }
        }
        XFreeGC(setter, gc);
        for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"})
            XChangeProperty(setter, Root(), XInternAtom(setter, name, False), XA_PIXMAP, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&pixmap), 1);
        XSetWindowBackgroundPixmap(setter, Root(), pixmap);
        XClearWindow(setter, Root());
        XSetCloseDownMode(setter, RetainPermanent);
        XCloseDisplay(setter);
        return pixmap;
    }

    std::unique_ptr<VirtualDisplay> m_xvfb;
    Display* m_display = nullptr;
    test::TempDir m_folder;
    std::filesystem::path m_picturePath;
    BmpPictureFiles m_files;
};

TEST_F(X11RootWallpaperTest, CentresTilesAndRestoresTheUsersPicture)
{
    Start();
    const Pixmap userPixmap = PutUserPattern();
    const auto userPixels = RootPixels();

    X11RootWallpaper wallpaper(m_files, m_xvfb->Name(), m_folder.str());
    const std::string state = wallpaper.SaveState();
    EXPECT_TRUE(std::filesystem::exists(wallpaper.SavedBackgroundFile()));

    wallpaper.Write({m_picturePath.string(), "0"});
    EXPECT_EQ(wallpaper.Read(), (DesktopWallpaper::Values{m_picturePath.string(), "0"}));
    // Centred on 640x480: the picture covers (270,200)..(369,279).
    EXPECT_EQ(At(270, 200), kTopLeft);
    EXPECT_EQ(At(369, 200), kTopRight);
    EXPECT_EQ(At(270, 279), kBottomLeft);
    EXPECT_EQ(At(369, 279), kBottomRight);
    EXPECT_EQ(At(320, 240), kInside);
    for (const auto& [x, y] : {std::pair{269, 200}, {370, 279}, {270, 199}, {369, 280}, {0, 0}, {639, 479}})
        EXPECT_EQ(At(x, y), kBlack) << x << "," << y;
    // The user's retained pixmap was ended; both properties name ours.
    EXPECT_FALSE(PixmapExists(userPixmap));
    const auto first = Property("_XROOTPMAP_ID");
    ASSERT_TRUE(first);
    EXPECT_EQ(Property("ESETROOT_PMAP_ID"), first);

    wallpaper.Write({m_picturePath.string(), "1"});
    for (const auto& [x, y] : {std::pair{0, 0}, {100, 80}, {300, 400}, {600, 0}})
        EXPECT_EQ(At(x, y), kTopLeft) << x << "," << y;
    for (const auto& [x, y] : {std::pair{99, 79}, {199, 159}, {599, 479}})
        EXPECT_EQ(At(x, y), kBottomRight) << x << "," << y;
    EXPECT_EQ(At(199, 80), kTopRight);
    EXPECT_FALSE(PixmapExists(*first)); // our previous picture does not pile up

    wallpaper.RestoreState(state);
    EXPECT_EQ(RootPixels(), userPixels);
    EXPECT_EQ(wallpaper.Read(), (DesktopWallpaper::Values{"", "0"}));
    EXPECT_FALSE(std::filesystem::exists(wallpaper.SavedBackgroundFile()));
    ASSERT_TRUE(Property("_XROOTPMAP_ID"));
    EXPECT_EQ(Property("ESETROOT_PMAP_ID"), Property("_XROOTPMAP_ID"));
}

TEST_F(X11RootWallpaperTest, WithoutAPreviousPictureRestoresTheServersBackground)
{
    Start();
    const auto serverPixels = RootPixels();
    X11RootWallpaper wallpaper(m_files, m_xvfb->Name(), m_folder.str());
    const std::string state = wallpaper.SaveState();
    EXPECT_FALSE(std::filesystem::exists(wallpaper.SavedBackgroundFile()));

    wallpaper.Write({m_picturePath.string(), "0"});
    EXPECT_EQ(At(270, 200), kTopLeft);
    const auto ours = Property("_XROOTPMAP_ID");
    ASSERT_TRUE(ours);
    wallpaper.Write({"", "0"}); // no picture: the plain background
    EXPECT_EQ(At(270, 200), kBlack);

    wallpaper.RestoreState(state);
    EXPECT_FALSE(Property("_XROOTPMAP_ID"));
    EXPECT_FALSE(Property("ESETROOT_PMAP_ID"));
    EXPECT_EQ(RootPixels(), serverPixels);
}

TEST_F(X11RootWallpaperTest, SixteenBitScreen)
{
    Start("640x480x16");
    ASSERT_EQ(DefaultDepth(m_display, DefaultScreen(m_display)), 16);
    const Pixmap userPixmap = PutUserPattern();
    (void)userPixmap;
    const auto userPixels = RootPixels();
    X11RootWallpaper wallpaper(m_files, m_xvfb->Name(), m_folder.str());
    const std::string state = wallpaper.SaveState();
    wallpaper.Write({m_picturePath.string(), "0"});
    // These colours are exact in five and six bits.
    EXPECT_EQ(At(270, 200), kTopLeft);
    EXPECT_EQ(At(369, 279), kBottomRight);
    EXPECT_EQ(At(0, 0), kBlack);
    wallpaper.RestoreState(state);
    EXPECT_EQ(RootPixels(), userPixels);
}

TEST_F(X11RootWallpaperTest, MissingPictureFileLeavesTheDesktopAlone)
{
    Start();
    PutUserPattern();
    const auto userPixels = RootPixels();
    X11RootWallpaper wallpaper(m_files, m_xvfb->Name(), m_folder.str());
    EXPECT_THROW(wallpaper.Write({(m_folder.path() / "missing.bmp").string(), "0"}), FileError);
    EXPECT_EQ(RootPixels(), userPixels);
    EXPECT_EQ(wallpaper.Read(), (DesktopWallpaper::Values{"", "0"}));
}

TEST_F(X11RootWallpaperTest, ScreenInfoReadsTheSizeLive)
{
    Start();
    X11ScreenInfo screen(m_xvfb->Name());
    EXPECT_EQ(screen.CurrentDesktopSize(), (DesktopSize{640, 480}));
    // The resolution agent on this screen: the program polls it once a second.
    TRAgent agent(screen);
    int changes = 0;
    agent.OnChange = [&changes](TRAgent&) { ++changes; };
    agent.Poll();
    EXPECT_EQ(changes, 0);
    // Xvfb cannot grow past its start size, but RandR can make the screen smaller once its
    // monitor (CRTC) is switched off.
    XRRScreenResources* resources = XRRGetScreenResources(m_display, Root());
    ASSERT_NE(resources, nullptr);
    for (int i = 0; i < resources->ncrtc; ++i)
        XRRSetCrtcConfig(m_display, resources, resources->crtcs[i], CurrentTime, 0, 0, None, RR_Rotate_0,
                         nullptr, 0);
    XRRFreeScreenResources(resources);
    XRRSetScreenSize(m_display, Root(), 320, 240, 81, 61);
    XSync(m_display, False);
    EXPECT_EQ(screen.CurrentDesktopSize(), (DesktopSize{320, 240}));
    EXPECT_EQ(agent.DesktopSizeText(), "640x480");
    agent.Poll(); // the next tick of the poll sees the new size
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(agent.DesktopSizeText(), "320x240");
}

// A RandR monitor as "xrandr --setmonitor" makes one; with takeOutput it takes the screen's
// one output from the monitor the server made for it.
void AddMonitor(Display* display, const char* name, MonitorRect rect, bool takeOutput)
{
    XRRMonitorInfo* monitor = XRRAllocateMonitor(display, takeOutput ? 1 : 0);
    monitor->name = XInternAtom(display, name, False);
    monitor->x = rect.x;
    monitor->y = rect.y;
    monitor->width = rect.width;
    monitor->height = rect.height;
    monitor->mwidth = rect.width / 4;
    monitor->mheight = rect.height / 4;
    if (takeOutput) {
        XRRScreenResources* resources = XRRGetScreenResources(display, DefaultRootWindow(display));
        monitor->outputs[0] = resources->outputs[0];
        XRRFreeScreenResources(resources);
    }
    XRRSetMonitor(display, DefaultRootWindow(display), monitor);
    XRRFreeMonitors(monitor);
    XSync(display, False);
}

TEST_F(X11RootWallpaperTest, ScreenInfoReadsTheMonitorsLive)
{
    Start();
    X11ScreenInfo screen(m_xvfb->Name());
    EXPECT_EQ(screen.CurrentMonitors(), (std::vector<MonitorRect>{{0, 0, 640, 480}}));
    // The wide screen split in two, as a user does with xrandr: the left half takes the output,
    // so the server's own monitor for the whole goes.
    AddMonitor(m_display, "left", {0, 0, 320, 480}, true);
    AddMonitor(m_display, "right", {320, 40, 320, 440}, false);
    auto monitors = screen.CurrentMonitors();
    std::sort(monitors.begin(), monitors.end(),
              [](const MonitorRect& a, const MonitorRect& b) { return a.x < b.x; });
    EXPECT_EQ(monitors, (std::vector<MonitorRect>{{0, 0, 320, 480}, {320, 40, 320, 440}}));
    TRAgent agent(screen);
    EXPECT_EQ(agent.GetMonitors(screen.CurrentDesktopSize()).size(), 2u);
}

TEST_F(X11RootWallpaperTest, FactoryPicksTheScreenSource)
{
    Start();
    DesktopEnvironment env;
    env.ondrixScreen = "800x600";
    env.display = m_xvfb->Name();
    EXPECT_EQ(MakeScreenInfo(env)->CurrentDesktopSize(), (DesktopSize{800, 600}));
    env.ondrixScreen = "wide";
    EXPECT_EQ(MakeScreenInfo(env)->CurrentDesktopSize(), (DesktopSize{1024, 768}));
    env.ondrixScreen.reset();
    EXPECT_EQ(MakeScreenInfo(env)->CurrentDesktopSize(), (DesktopSize{640, 480})); // the X root window
    env.ondrixDesktop = "file";
    EXPECT_EQ(MakeScreenInfo(env)->CurrentDesktopSize(), (DesktopSize{1024, 768}));
    env.ondrixDesktop = "gnome";
    env.display.reset();
    EXPECT_EQ(MakeScreenInfo(env), nullptr); // the toolkit's screens
    env.display = ":65000";                  // unreachable
    EXPECT_EQ(MakeScreenInfo(env), nullptr);
}

TEST(DesktopWallpaperFactory, EveryKindHasItsBackend)
{
    test::TempDir folder;
    RegFileRegistry registry((folder.path() / "settings.reg").string());
    FakeCommandRunner runner;
    BmpPictureFiles pictures;
    for (const char* name : {"gnome", "cinnamon", "mate", "xfce", "kde", "wlroots", "file"}) {
        const auto backend = MakeDesktopWallpaper(*DesktopKindFromName(name), registry, runner, pictures);
        EXPECT_EQ(backend->Name(), name);
    }
}

TEST(X11Connection, NoDisplayIsAPlatformError)
{
    EXPECT_THROW(X11Connection(":65000"), PlatformError);
}

} // namespace
} // namespace ondrix
