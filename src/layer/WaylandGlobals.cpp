#include "WaylandGlobals.h"

#include <chrono>
#include <cstring>
#include <poll.h>
#include <wayland-client.h>

namespace ondrix {

namespace {

struct Sync
{
    wl_callback* callback = nullptr;
    bool done = false;
};

void SyncDone(void* data, wl_callback* callback, std::uint32_t /*serial*/)
{
    auto* sync = static_cast<Sync*>(data);
    sync->done = true;
    wl_callback_destroy(callback);
    sync->callback = nullptr;
}

const wl_callback_listener kSyncListener{SyncDone};

struct Search
{
    const std::string* name = nullptr;
    bool found = false;
};

void Global(void* data, wl_registry* /*registry*/, std::uint32_t /*name*/, const char* interface,
            std::uint32_t /*version*/)
{
    auto* search = static_cast<Search*>(data);
    if (interface != nullptr && *search->name == interface)
        search->found = true;
}

void GlobalRemove(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}

const wl_registry_listener kSearchListener{Global, GlobalRemove};

} // namespace

bool WaylandRoundTrip(wl_display* display, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    Sync sync;
    sync.callback = wl_display_sync(display);
    wl_callback_add_listener(sync.callback, &kSyncListener, &sync);
    while (!sync.done) {
        // Events already queued are dispatched before anything is read.
        if (wl_display_prepare_read(display) != 0) {
            if (wl_display_dispatch_pending(display) < 0)
                break;
            continue;
        }
        wl_display_flush(display);
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd descriptor{wl_display_get_fd(display), POLLIN, 0};
        if (left <= 0 || ::poll(&descriptor, 1, static_cast<int>(left)) <= 0) {
            wl_display_cancel_read(display);
            break;
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0)
            break;
    }
    if (sync.callback != nullptr)
        wl_callback_destroy(sync.callback);
    return sync.done && wl_display_get_error(display) == 0;
}

bool WaylandAnnounces(const std::string& interfaceName, int timeoutMs)
{
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return false;
    Search search{&interfaceName};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kSearchListener, &search);
    const bool answered = WaylandRoundTrip(display, timeoutMs);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return answered && search.found;
}

} // namespace ondrix
