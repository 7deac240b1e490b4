#include "WaylandGlobals.h"

#include "WaylandClient.h"

namespace platform {

std::optional<std::vector<WaylandGlobal>> ListWaylandGlobals(const char* display)
{
    std::vector<WaylandGlobal> globals;
    WaylandClient client;
    if (!client.Connect(display, [&globals](wl_registry*, uint32_t, const char* interface, uint32_t version) {
            globals.push_back({interface, version});
        }))
        return std::nullopt;
    return globals;
}

} // namespace platform
