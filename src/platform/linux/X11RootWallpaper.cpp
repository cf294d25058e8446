#include "X11RootWallpaper.h"

#include "RootPicture.h"
#include "core/Errors.h"
#include "platform/PictureFiles.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <unistd.h>

namespace ondrix {

namespace {

constexpr const char* kStateHeader = "x11-root";
constexpr const char* kRootPixmap = "_XROOTPMAP_ID";
constexpr const char* kSetrootPixmap = "ESETROOT_PMAP_ID";

struct ImageDeleter
{
    void operator()(XImage* image) const { XDestroyImage(image); }
};
using ImagePtr = std::unique_ptr<XImage, ImageDeleter>;

std::optional<Pixmap> ReadPixmapProperty(Display* display, Window root, const char* name)
{
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None)
        return std::nullopt;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, root, atom, 0, 1, False, XA_PIXMAP, &type, &format, &count,
                                          &after, &data);
    std::optional<Pixmap> pixmap;
    if (status == Success && type == XA_PIXMAP && format == 32 && count == 1 && data != nullptr)
        pixmap = *reinterpret_cast<Pixmap*>(data);
    if (data != nullptr)
        XFree(data);
    return pixmap;
}

ColourMasks RootMasks(Display* display, int screen)
{
    Visual* visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    if ((visual->c_class != TrueColor && visual->c_class != DirectColor) || depth < 15)
        throw PlatformError("The X screen's visual is not a TrueColor visual of 15 bits or more (depth " +
                            std::to_string(depth) + "); the wallpaper cannot be drawn on it");
    return {visual->red_mask, visual->green_mask, visual->blue_mask};
}

// An XImage of the root's visual holding the pixels.
ImagePtr MakeImage(Display* display, int screen, const BgrPixels& pixels)
{
    const ColourMasks masks = RootMasks(display, screen);
    const int depth = DefaultDepth(display, screen);
    XImage* image = XCreateImage(display, DefaultVisual(display, screen), static_cast<unsigned>(depth),
                                 ZPixmap, 0, nullptr, static_cast<unsigned>(pixels.width),
                                 static_cast<unsigned>(pixels.height), 32, 0);
    if (image == nullptr)
        throw PlatformError("Cannot make an X image of " + std::to_string(pixels.width) + "x" +
                            std::to_string(pixels.height) + " pixels");
    ImagePtr owned(image);
    // XDestroyImage frees data with free().
    image->data = static_cast<char*>(std::calloc(
        static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(pixels.height), 1));
    if (image->data == nullptr)
        throw PlatformError("Out of memory for the desktop picture");
    const std::uint8_t* p = pixels.bgr.data();
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x, p += 3)
            XPutPixel(image, x, y, PackColour(masks, p[2], p[1], p[0]));
    }
    return owned;
}

std::string UserId()
{
    return std::to_string(::getuid());
}

} // namespace

X11RootWallpaper::X11RootWallpaper(PictureFiles& pictures, const std::string& displayName,
                                   const std::string& stateFolder)
    : m_pictures(pictures), m_displayName(displayName), m_stateFolder(stateFolder), m_connection(displayName)
{
}

std::string X11RootWallpaper::SavedBackgroundFile() const
{
    std::filesystem::path folder = m_stateFolder;
    if (folder.empty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        folder = runtime != nullptr && *runtime != '\0' ? std::filesystem::path(runtime)
                                                        : std::filesystem::temp_directory_path();
    }
    return (folder / ("ondrix-saved-background-" + UserId() + ".bmp")).string();
}

void X11RootWallpaper::KillPreviousPixmap()
{
    Display* display = m_connection.Get();
    const Window root = DefaultRootWindow(display);
    const auto rootPixmap = ReadPixmapProperty(display, root, kRootPixmap);
    const auto setrootPixmap = ReadPixmapProperty(display, root, kSetrootPixmap);
    // Only a pixmap both properties name was left behind by a setter on purpose; any other
    // may belong to a program that still runs.
    if (rootPixmap && setrootPixmap && *rootPixmap == *setrootPixmap) {
        XKillClient(display, *rootPixmap);
        // The pixmap may already be gone; that is no failure.
        m_connection.ClearErrors();
    }
}

void X11RootWallpaper::ShowOnRoot(const BgrPixels& pixels)
{
    // The pixmap is made on a connection of its own, kept by the server after we close it
    // (RetainPermanent), so the background outlives this program as other setters' do and can
    // be ended by the next setter.
    X11Connection keeper(m_displayName);
    Display* display = keeper.Get();
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    ImagePtr image = MakeImage(display, screen, pixels);

    const Pixmap pixmap = XCreatePixmap(display, root, static_cast<unsigned>(pixels.width),
                                        static_cast<unsigned>(pixels.height),
                                        static_cast<unsigned>(DefaultDepth(display, screen)));
    GC gc = XCreateGC(display, pixmap, 0, nullptr);
    XPutImage(display, pixmap, gc, image.get(), 0, 0, 0, 0, static_cast<unsigned>(pixels.width),
              static_cast<unsigned>(pixels.height));
    XFreeGC(display, gc);
    keeper.Check("drawing the desktop picture");

    KillPreviousPixmap();

    const Atom rootAtom = XInternAtom(display, kRootPixmap, False);
    const Atom setrootAtom = XInternAtom(display, kSetrootPixmap, False);
    XChangeProperty(display, root, rootAtom, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XChangeProperty(display, root, setrootAtom, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XSetWindowBackgroundPixmap(display, root, pixmap);
    XClearWindow(display, root);
    XSetCloseDownMode(display, RetainPermanent);
    keeper.Check("setting the desktop background");
    keeper.Close();
}

void X11RootWallpaper::RemoveRootPicture()
{
    KillPreviousPixmap();
    Display* display = m_connection.Get();
    const Window root = DefaultRootWindow(display);
    for (const char* name : {kRootPixmap, kSetrootPixmap}) {
        const Atom atom = XInternAtom(display, name, True);
        if (atom != None)
            XDeleteProperty(display, root, atom);
    }
    // None on the root window brings back the server's own background.
    XSetWindowBackgroundPixmap(display, root, None);
    XClearWindow(display, root);
    m_connection.Check("restoring the server's background");
}

void X11RootWallpaper::Write(const Values& values)
{
    Display* display = m_connection.Get();
    Window root = DefaultRootWindow(display);
    Window unusedRoot = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    XGetGeometry(display, root, &unusedRoot, &x, &y, &width, &height, &border, &depth);
    m_connection.Check("reading the size of the root window");

    BgrPixels picture;
    if (!values.wallpaper.empty())
        picture = m_pictures.Load(values.wallpaper);
    ShowOnRoot(ComposeDesktop(picture, static_cast<int>(width), static_cast<int>(height),
                              values.tileWallpaper == "1"));
    m_values = values;
}

std::string X11RootWallpaper::SaveState()
{
    Display* display = m_connection.Get();
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    const std::string values = m_values.tileWallpaper + "\n" + m_values.wallpaper;
    const auto pixmap = ReadPixmapProperty(display, root, kRootPixmap);
    if (!pixmap)
        return std::string(kStateHeader) + "\nnone\n" + values;

    Window unusedRoot = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    m_connection.ClearErrors();
    const Status known =
        XGetGeometry(display, *pixmap, &unusedRoot, &x, &y, &width, &height, &border, &depth);
    XSync(display, False);
    m_connection.ClearErrors();
    // A property naming a pixmap that is gone shows nothing but the server's background.
    if (known == 0 || width == 0 || height == 0)
        return std::string(kStateHeader) + "\nnone\n" + values;
    if (static_cast<int>(depth) != DefaultDepth(display, screen))
        throw PlatformError("The desktop picture has depth " + std::to_string(depth) +
                            ", not the screen's; it cannot be saved");

    ImagePtr image(XGetImage(display, *pixmap, 0, 0, width, height, AllPlanes, ZPixmap));
    m_connection.Check("reading the desktop picture");
    if (!image)
        throw PlatformError("Cannot read the desktop picture from the X server");
    const ColourMasks masks = RootMasks(display, screen);
    BgrPixels pixels;
    pixels.width = static_cast<int>(width);
    pixels.height = static_cast<int>(height);
    pixels.bgr.resize(static_cast<std::size_t>(width) * height * 3);
    std::uint8_t* p = pixels.bgr.data();
    for (int row = 0; row < pixels.height; ++row) {
        for (int column = 0; column < pixels.width; ++column, p += 3)
            UnpackColour(masks, XGetPixel(image.get(), column, row), p[2], p[1], p[0]);
    }
    const std::string file = SavedBackgroundFile();
    m_pictures.Save(pixels, file);
    return std::string(kStateHeader) + "\npicture " + file + "\n" + values;
}

void X11RootWallpaper::RestoreState(const std::string& state)
{
    const std::string header = std::string(kStateHeader) + "\n";
    if (state.compare(0, header.size(), header) != 0) {
        DesktopWallpaper::RestoreState(state);
        return;
    }
    const auto pictureEnd = state.find('\n', header.size());
    const auto tileEnd = pictureEnd == std::string::npos ? pictureEnd : state.find('\n', pictureEnd + 1);
    if (tileEnd == std::string::npos)
        throw PlatformError("The saved state of the X desktop background is damaged");
    const std::string picture = state.substr(header.size(), pictureEnd - header.size());
    const Values values{state.substr(tileEnd + 1), state.substr(pictureEnd + 1, tileEnd - pictureEnd - 1)};

    constexpr std::string_view kPicture = "picture ";
    if (picture.compare(0, kPicture.size(), kPicture) == 0) {
        const std::string file = picture.substr(kPicture.size());
        ShowOnRoot(m_pictures.Load(file));
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    } else {
        RemoveRootPicture();
    }
    m_values = values;
}

} // namespace ondrix
