#pragma once
// What a Wayland compositor offers: the globals of its registry, read once over a connection of
// our own that is closed again.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct WaylandGlobal {
    std::string interface;
    uint32_t version = 0;
};

// The globals of the compositor at `display` (a socket name or path; null: WAYLAND_DISPLAY's).
// Empty optional when no compositor answers there.
std::optional<std::vector<WaylandGlobal>> ListWaylandGlobals(const char* display = nullptr);

} // namespace platform
