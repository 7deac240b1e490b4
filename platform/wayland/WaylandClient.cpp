#include "WaylandClient.h"

#include "WaylandDispatch.h"

#include <wayland-client.h>

namespace platform {

bool WaylandClient::Connect(const char* display, GlobalHandler onGlobal, RemovalHandler onRemoved)
{
    Disconnect();
    m_display = wl_display_connect(display);
    if (m_display == nullptr)
        return false;
    m_onGlobal = std::move(onGlobal);
    m_onRemoved = std::move(onRemoved);
    m_registry = wl_display_get_registry(m_display);
    static const wl_registry_listener listener = {
        [](void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
            auto* self = static_cast<WaylandClient*>(data);
            if (self->m_onGlobal)
                self->m_onGlobal(registry, name, interface, version);
        },
        [](void* data, wl_registry*, uint32_t name) {
            auto* self = static_cast<WaylandClient*>(data);
            if (self->m_onRemoved)
                self->m_onRemoved(name);
        },
    };
    wl_registry_add_listener(m_registry, &listener, this);
    if (WaylandRoundtrip(m_display))
        return true;
    Disconnect();
    return false;
}

void WaylandClient::Disconnect()
{
    if (m_registry != nullptr)
        wl_registry_destroy(m_registry);
    if (m_display != nullptr)
        wl_display_disconnect(m_display);
    m_registry = nullptr;
    m_display = nullptr;
    m_onGlobal = nullptr;
    m_onRemoved = nullptr;
}

} // namespace platform
