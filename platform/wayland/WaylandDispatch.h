#pragma once
// Waiting for a compositor's answers on a connection of our own, with a limit: a compositor that
// stops answering fails the wait instead of hanging the caller.

#include <functional>

struct wl_display;

namespace platform {

// A compositor that does not answer within this is taken as failed.
constexpr int kWaylandReplyLimitMs = 2000;

// Reads and dispatches events until `done` holds; false when the connection failed or the
// compositor did not answer within `limitMs`.
bool WaylandDispatchUntil(wl_display* display, const std::function<bool()>& done, int limitMs = kWaylandReplyLimitMs);
// Every request sent so far answered and every event it caused dispatched.
bool WaylandRoundtrip(wl_display* display, int limitMs = kWaylandReplyLimitMs);

} // namespace platform
