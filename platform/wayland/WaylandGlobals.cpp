#include "WaylandGlobals.h"

#include <wayland-client.h>

namespace platform {
namespace {

void OnGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t version)
{
    static_cast<std::vector<WaylandGlobal>*>(data)->push_back({interface, version});
}

void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kListener = {OnGlobal, OnGlobalRemove};

} // namespace

std::optional<std::vector<WaylandGlobal>> ListWaylandGlobals(const char* display)
{
    wl_display* connection = wl_display_connect(display);
    if (!connection)
        return std::nullopt;
    std::vector<WaylandGlobal> globals;
    wl_registry* registry = wl_display_get_registry(connection);
    wl_registry_add_listener(registry, &kListener, &globals);
    const bool answered = wl_display_roundtrip(connection) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(connection);
    if (!answered)
        return std::nullopt;
    return globals;
}

} // namespace platform
