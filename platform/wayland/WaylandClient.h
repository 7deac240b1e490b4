#pragma once
// A connection of our own to the compositor, with its registry: every global the compositor
// announces, now or later, is handed to the owner, which binds what it needs. The owner destroys
// what it bound before the client disconnects. Not copied or moved: the registry's listener
// points at it.

#include <cstdint>
#include <functional>

struct wl_display;
struct wl_registry;

namespace platform {

class WaylandClient {
public:
    using GlobalHandler = std::function<void(wl_registry* registry, uint32_t name, const char* interface, uint32_t version)>;
    using RemovalHandler = std::function<void(uint32_t name)>;

    WaylandClient() = default;
    ~WaylandClient() { Disconnect(); }
    WaylandClient(const WaylandClient&) = delete;
    WaylandClient& operator=(const WaylandClient&) = delete;

    // Connects to `display` (null: the one the environment names) and returns once the globals
    // there are have been handed to `onGlobal`; globals the compositor withdraws later (a monitor
    // unplugged) go to `onRemoved`. False, and disconnected again, when nothing answers there in
    // time.
    bool Connect(const char* display, GlobalHandler onGlobal, RemovalHandler onRemoved = nullptr);
    // Destroys the registry and closes the connection.
    void Disconnect();

    wl_display* Display() const { return m_display; }
    bool Connected() const { return m_display != nullptr; }

private:
    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    GlobalHandler m_onGlobal;
    RemovalHandler m_onRemoved;
};

} // namespace platform
