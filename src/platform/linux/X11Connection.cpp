#include "X11Connection.h"

#include "core/Errors.h"

#include <X11/Xlib.h>

#include <map>
#include <mutex>

namespace ondrix {

namespace {

// What went wrong, per connection: Xlib has one error handler for the whole process.
struct Trouble
{
    int errorCode = 0;
    int requestCode = 0;
    bool lost = false;
};

std::mutex g_troubleMutex;
std::map<Display*, Trouble> g_trouble;

int RecordError(Display* display, XErrorEvent* event)
{
    std::lock_guard lock(g_troubleMutex);
    Trouble& trouble = g_trouble[display];
    // The first error of a batch is the one that explains what went wrong.
    if (trouble.errorCode == 0) {
        trouble.errorCode = event->error_code;
        trouble.requestCode = event->request_code;
    }
    return 0;
}

void MarkLost(Display* display)
{
    std::lock_guard lock(g_troubleMutex);
    g_trouble[display].lost = true;
}

int RecordIoError(Display* display)
{
    MarkLost(display);
    return 0;
}

void RecordIoErrorExit(Display* display, void*)
{
    // Returning instead of exiting leaves the connection dead; the next Check reports it.
    MarkLost(display);
}

bool Lost(Display* display)
{
    std::lock_guard lock(g_troubleMutex);
    const auto found = g_trouble.find(display);
    return found != g_trouble.end() && found->second.lost;
}

// Takes the recorded error away.
Trouble TakeError(Display* display)
{
    std::lock_guard lock(g_troubleMutex);
    Trouble& trouble = g_trouble[display];
    Trouble taken = trouble;
    trouble.errorCode = 0;
    trouble.requestCode = 0;
    return taken;
}

void Forget(Display* display)
{
    std::lock_guard lock(g_troubleMutex);
    g_trouble.erase(display);
}

void InstallHandlers()
{
    static std::once_flag once;
    std::call_once(once, [] {
        XSetErrorHandler(RecordError);
        XSetIOErrorHandler(RecordIoError);
    });
}

} // namespace

X11Connection::X11Connection(const std::string& displayName)
{
    InstallHandlers();
    m_display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (m_display == nullptr)
        throw PlatformError("Cannot open the X display \"" + displayName +
                            "\" (is DISPLAY set and the X server running?)");
    XSetIOErrorExitHandler(m_display, RecordIoErrorExit, nullptr);
}

X11Connection::~X11Connection()
{
    Close();
}

void X11Connection::Close()
{
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
        Forget(m_display);
    }
    m_display = nullptr;
}

void X11Connection::Check(const std::string& what) const
{
    if (Lost(m_display))
        throw PlatformError("The connection to the X display was lost while " + what);
    XSync(m_display, False);
    if (Lost(m_display))
        throw PlatformError("The connection to the X display was lost while " + what);
    const Trouble trouble = TakeError(m_display);
    if (trouble.errorCode != 0) {
        char text[256] = {};
        XGetErrorText(m_display, trouble.errorCode, text, sizeof text);
        throw PlatformError("The X server refused " + what + ": " + text + " (request " +
                            std::to_string(trouble.requestCode) + ")");
    }
}

void X11Connection::ClearErrors() const
{
    XSync(m_display, False);
    TakeError(m_display);
}

} // namespace ondrix
