#include "X11DesktopHints.h"

#include "core/Errors.h"

#include <QGuiApplication>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace ondrix {

namespace {

struct FreeDeleter
{
    void operator()(void* pointer) const { std::free(pointer); }
};

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(
        connection, 0, static_cast<std::uint16_t>(std::char_traits<char>::length(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr));
    if (!reply || reply->atom == XCB_ATOM_NONE)
        throw PlatformError(std::string("The X server has no atom ") + name + ".");
    return reply->atom;
}

void Check(xcb_connection_t* connection, xcb_void_cookie_t cookie, const char* what)
{
    std::unique_ptr<xcb_generic_error_t, FreeDeleter> error(xcb_request_check(connection, cookie));
    if (error)
        throw PlatformError(std::string("The X server refused to ") + what + " of the theme layer (error " +
                            std::to_string(error->error_code) + ").");
}

xcb_connection_t* QtConnection()
{
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

// The atoms of a window's (or the root window's) ATOM or WINDOW list property.
std::vector<std::uint32_t> ListProperty(xcb_connection_t* connection, xcb_window_t window,
                                        xcb_atom_t property, xcb_atom_t type)
{
    const xcb_get_property_cookie_t cookie = xcb_get_property(connection, 0, window, property, type, 0, 4096);
    std::unique_ptr<xcb_get_property_reply_t, FreeDeleter> reply(
        xcb_get_property_reply(connection, cookie, nullptr));
    if (!reply || reply->format != 32 || reply->type != type)
        return {};
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::vector<std::uint32_t>(values, values + count);
}

} // namespace

bool OtherDesktopWindowPresent(const QWindow* ours)
{
    xcb_connection_t* connection = QtConnection();
    if (connection == nullptr)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t clients = Atom(connection, "_NET_CLIENT_LIST");
    const xcb_atom_t windowType = Atom(connection, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t desktopType = Atom(connection, "_NET_WM_WINDOW_TYPE_DESKTOP");
    const xcb_window_t own =
        ours != nullptr ? static_cast<xcb_window_t>(ours->winId()) : xcb_window_t{XCB_WINDOW_NONE};
    for (const std::uint32_t client : ListProperty(connection, root, clients, XCB_ATOM_WINDOW)) {
        if (client == own)
            continue;
        const std::vector<std::uint32_t> types = ListProperty(connection, client, windowType, XCB_ATOM_ATOM);
        if (std::find(types.begin(), types.end(), desktopType) != types.end())
            return true;
    }
    return false;
}

bool OtherDesktopWindowAbove(const QWindow& ours)
{
    xcb_connection_t* connection = QtConnection();
    if (connection == nullptr)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t windowType = Atom(connection, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t desktopType = Atom(connection, "_NET_WM_WINDOW_TYPE_DESKTOP");
    const auto own = static_cast<xcb_window_t>(ours.winId());
    // Bottom to top: every desktop window after ours is above it.
    bool oursSeen = false;
    for (const std::uint32_t client :
         ListProperty(connection, root, Atom(connection, "_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW)) {
        if (client == own) {
            oursSeen = true;
            continue;
        }
        if (!oursSeen)
            continue;
        const std::vector<std::uint32_t> types = ListProperty(connection, client, windowType, XCB_ATOM_ATOM);
        if (std::find(types.begin(), types.end(), desktopType) != types.end())
            return true;
    }
    return false;
}

std::vector<ClientWindow> ReadClientWindows(const QWindow* ours)
{
    xcb_connection_t* connection = QtConnection();
    if (connection == nullptr)
        return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t windowType = Atom(connection, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t desktopType = Atom(connection, "_NET_WM_WINDOW_TYPE_DESKTOP");
    const xcb_atom_t state = Atom(connection, "_NET_WM_STATE");
    const xcb_atom_t fullScreen = Atom(connection, "_NET_WM_STATE_FULLSCREEN");
    const xcb_atom_t maximizedHorz = Atom(connection, "_NET_WM_STATE_MAXIMIZED_HORZ");
    const xcb_atom_t maximizedVert = Atom(connection, "_NET_WM_STATE_MAXIMIZED_VERT");
    const xcb_atom_t hidden = Atom(connection, "_NET_WM_STATE_HIDDEN");
    const xcb_atom_t desktop = Atom(connection, "_NET_WM_DESKTOP");
    const std::vector<std::uint32_t> current =
        ListProperty(connection, root, Atom(connection, "_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL);
    const xcb_window_t own =
        ours != nullptr ? static_cast<xcb_window_t>(ours->winId()) : xcb_window_t{XCB_WINDOW_NONE};

    std::vector<ClientWindow> out;
    for (const std::uint32_t client :
         ListProperty(connection, root, Atom(connection, "_NET_CLIENT_LIST"), XCB_ATOM_WINDOW)) {
        if (client == own)
            continue;
        const auto has = [](const std::vector<std::uint32_t>& list, xcb_atom_t atom) {
            return std::find(list.begin(), list.end(), atom) != list.end();
        };
        const std::vector<std::uint32_t> types = ListProperty(connection, client, windowType, XCB_ATOM_ATOM);
        const std::vector<std::uint32_t> states = ListProperty(connection, client, state, XCB_ATOM_ATOM);
        const std::vector<std::uint32_t> workspace =
            ListProperty(connection, client, desktop, XCB_ATOM_CARDINAL);
        ClientWindow window;
        window.desktopType = has(types, desktopType);
        window.fullScreen = has(states, fullScreen);
        window.maximizedHorz = has(states, maximizedHorz);
        window.maximizedVert = has(states, maximizedVert);
        window.hidden = has(states, hidden);
        window.onCurrentWorkspace =
            workspace.empty() || current.empty() || workspace[0] == 0xFFFFFFFF || workspace[0] == current[0];
        out.push_back(window);
    }
    return out;
}

void ApplyDesktopWindowHints(QWindow& window)
{
    xcb_connection_t* connection = QtConnection();
    if (connection == nullptr)
        throw PlatformError("The theme layer needs an X11 session.");
    const auto id = static_cast<xcb_window_t>(window.winId());

    const xcb_atom_t windowType = Atom(connection, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t desktopType = Atom(connection, "_NET_WM_WINDOW_TYPE_DESKTOP");
    const xcb_atom_t state = Atom(connection, "_NET_WM_STATE");
    const xcb_atom_t desktop = Atom(connection, "_NET_WM_DESKTOP");
    const std::array<xcb_atom_t, 4> states{
        Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"), Atom(connection, "_NET_WM_STATE_SKIP_PAGER"),
        Atom(connection, "_NET_WM_STATE_BELOW"), Atom(connection, "_NET_WM_STATE_STICKY")};
    const std::uint32_t allDesktops = 0xFFFFFFFF;

    Check(connection,
          xcb_change_property_checked(connection, XCB_PROP_MODE_REPLACE, id, windowType, XCB_ATOM_ATOM, 32, 1,
                                      &desktopType),
          "set the window type");
    Check(connection,
          xcb_change_property_checked(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                                      static_cast<std::uint32_t>(states.size()), states.data()),
          "set the window state");
    Check(connection,
          xcb_change_property_checked(connection, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32,
                                      1, &allDesktops),
          "set the workspace");

    if (!window.isVisible())
        return;
    // A mapped window's state belongs to the window manager: ask it, two states a message.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    for (std::size_t i = 0; i < states.size(); i += 2) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = id;
        event.type = state;
        event.data.data32[0] = 1; // add
        event.data.data32[1] = states[i];
        event.data.data32[2] = states[i + 1];
        event.data.data32[3] = 1; // a normal application
        xcb_send_event(connection, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_flush(connection);
}

} // namespace ondrix
