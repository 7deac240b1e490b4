#include "WaylandDispatch.h"

#include <poll.h>
#include <wayland-client.h>

#include <cerrno>
#include <chrono>

namespace platform {

bool WaylandDispatchUntil(wl_display* display, const std::function<bool()>& done, int limitMs)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (wl_display_dispatch_pending(display) < 0)
            return false;
        if (done())
            break;
        while (wl_display_prepare_read(display) != 0) {
            if (wl_display_dispatch_pending(display) < 0)
                return false;
        }
        // What was queued may have been the awaited event: no read is waited for then.
        if (done()) {
            wl_display_cancel_read(display);
            break;
        }
        if (wl_display_flush(display) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(display);
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - std::chrono::steady_clock::now());
        pollfd fd{wl_display_get_fd(display), POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&fd, 1, static_cast<int>(left.count())) : 0;
        if (ready <= 0) {
            wl_display_cancel_read(display);
            if (ready < 0 && errno == EINTR)
                continue;
            return false;
        }
        if (wl_display_read_events(display) < 0)
            return false;
    }
    return true;
}

bool WaylandRoundtrip(wl_display* display, int limitMs)
{
    bool done = false;
    wl_callback* callback = wl_display_sync(display);
    static const wl_callback_listener listener = {
        [](void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; }};
    wl_callback_add_listener(callback, &listener, &done);
    const bool ok = WaylandDispatchUntil(display, [&] { return done; }, limitMs);
    wl_callback_destroy(callback);
    return ok;
}

} // namespace platform
