#pragma once

#include <string>

using Display = struct _XDisplay;

namespace ondrix {

// An Xlib connection of our own. X errors are recorded instead of ending the process; a lost
// connection is recorded too (where the library allows it) and reported as PlatformError by
// Check.
class X11Connection
{
public:
    // displayName empty: the DISPLAY of the environment. Throws PlatformError when the display
    // cannot be opened.
    explicit X11Connection(const std::string& displayName = {});
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    Display* Get() const { return m_display; }
    // Waits for the server to handle every request so far and throws PlatformError naming what
    // when one of them failed since the last check.
    void Check(const std::string& what) const;
    // Forgets errors recorded so far (after a sync).
    void ClearErrors() const;
    // Closing hands the connection's resources to the server's close-down mode.
    void Close();

private:
    Display* m_display = nullptr;
};

} // namespace ondrix
