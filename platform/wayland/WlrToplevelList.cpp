#include "WlrToplevelList.h"

#include "WaylandClient.h"
#include "WaylandDispatch.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <string>

namespace platform {
namespace {

struct Properties {
    std::string title;
    std::string appId;
    bool fullScreen = false;
    bool activated = false;
};

struct Toplevel {
    zwlr_foreign_toplevel_handle_v1* handle = nullptr;
    unsigned long id = 0;
    Properties pending;  // as sent since the last done
    Properties current;  // as of the last done
    bool known = false;  // one done came: current holds
    bool closed = false;
};

DesktopWindow ToDesktopWindow(const Toplevel& toplevel)
{
    DesktopWindow window;
    window.handle = toplevel.id;
    window.title = toplevel.current.title;
    window.className = toplevel.current.appId;
    window.instanceName = toplevel.current.appId;
    window.fullScreenState = toplevel.current.fullScreen;
    return window;
}

} // namespace

struct WlrToplevelList::Connection {
    std::string displayName;
    bool hasName = false;
    WaylandClient client;
    wl_seat* seat = nullptr;
    zwlr_foreign_toplevel_manager_v1* manager = nullptr;
    // Stable addresses: each toplevel's listener data points at its entry.
    std::list<Toplevel> toplevels;
    unsigned long nextId = 1;

    ~Connection() { Close(); }

    void Close()
    {
        for (Toplevel& t : toplevels)
            zwlr_foreign_toplevel_handle_v1_destroy(t.handle);
        toplevels.clear();
        if (manager)
            zwlr_foreign_toplevel_manager_v1_destroy(manager);
        if (seat)
            wl_seat_destroy(seat);
        client.Disconnect();
        manager = nullptr;
        seat = nullptr;
    }

    bool Open()
    {
        // The connection brings the globals, a round trip then the windows there are now.
        return client.Connect(hasName ? displayName.c_str() : nullptr,
                              [this](wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
                                  OnGlobal(registry, name, interface, version);
                              }) &&
               manager && WaylandRoundtrip(client.Display());
    }

    // Drops the entries of closed windows, whose handles the compositor no longer uses.
    void ForgetClosed()
    {
        for (auto it = toplevels.begin(); it != toplevels.end();) {
            if (it->closed) {
                zwlr_foreign_toplevel_handle_v1_destroy(it->handle);
                it = toplevels.erase(it);
            } else {
                ++it;
            }
        }
    }

    void OnGlobal(wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
    {
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && !seat) {
            seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        } else if (std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0 && !manager) {
            // Version 2 adds the full-screen state; 3 only the parent, which is not used.
            manager = static_cast<zwlr_foreign_toplevel_manager_v1*>(wl_registry_bind(
                registry, name, &zwlr_foreign_toplevel_manager_v1_interface, std::min(version, 2u)));
            static const zwlr_foreign_toplevel_manager_v1_listener managerListener = {OnToplevel,
                                                                                      [](void*, zwlr_foreign_toplevel_manager_v1*) {}};
            zwlr_foreign_toplevel_manager_v1_add_listener(manager, &managerListener, this);
        }
    }

    static void OnToplevel(void* data, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle)
    {
        auto* self = static_cast<Connection*>(data);
        Toplevel& toplevel = self->toplevels.emplace_back();
        toplevel.handle = handle;
        toplevel.id = self->nextId++;
        static const zwlr_foreign_toplevel_handle_v1_listener listener = {
            [](void* t, zwlr_foreign_toplevel_handle_v1*, const char* title) {
                static_cast<Toplevel*>(t)->pending.title = title ? title : "";
            },
            [](void* t, zwlr_foreign_toplevel_handle_v1*, const char* appId) {
                static_cast<Toplevel*>(t)->pending.appId = appId ? appId : "";
            },
            [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
            [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
            [](void* t, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
                Properties& p = static_cast<Toplevel*>(t)->pending;
                p.fullScreen = false;
                p.activated = false;
                const auto* state = static_cast<const uint32_t*>(states->data);
                for (size_t i = 0; i < states->size / sizeof(uint32_t); ++i) {
                    p.fullScreen = p.fullScreen || state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_FULLSCREEN;
                    p.activated = p.activated || state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
                }
            },
            [](void* t, zwlr_foreign_toplevel_handle_v1*) {
                auto* toplevel = static_cast<Toplevel*>(t);
                toplevel->current = toplevel->pending;
                toplevel->known = true;
            },
            [](void* t, zwlr_foreign_toplevel_handle_v1*) { static_cast<Toplevel*>(t)->closed = true; },
            [](void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {},
        };
        zwlr_foreign_toplevel_handle_v1_add_listener(handle, &listener, &toplevel);
    }
};

WlrToplevelList::WlrToplevelList(const char* display) : m_connection(std::make_unique<Connection>())
{
    if (display) {
        m_connection->displayName = display;
        m_connection->hasName = true;
    }
}

WlrToplevelList::~WlrToplevelList() = default;

bool WlrToplevelList::Refresh()
{
    Connection& c = *m_connection;
    if (c.client.Connected() && wl_display_get_error(c.client.Display()) == 0 && WaylandRoundtrip(c.client.Display())) {
        c.ForgetClosed();
        return true;
    }
    c.Close();
    if (!c.Open()) {
        c.Close();
        return false;
    }
    c.ForgetClosed();
    return true;
}

std::vector<DesktopWindow> WlrToplevelList::Windows()
{
    std::lock_guard lock(m_mutex);
    std::vector<DesktopWindow> windows;
    if (!Refresh())
        return windows;
    for (const Toplevel& toplevel : m_connection->toplevels) {
        if (toplevel.known)
            windows.push_back(ToDesktopWindow(toplevel));
    }
    return windows;
}

std::optional<DesktopWindow> WlrToplevelList::Foreground()
{
    std::lock_guard lock(m_mutex);
    if (!Refresh())
        return std::nullopt;
    for (const Toplevel& toplevel : m_connection->toplevels) {
        if (toplevel.known && toplevel.current.activated)
            return ToDesktopWindow(toplevel);
    }
    return std::nullopt;
}

bool WlrToplevelList::Activate(unsigned long handle)
{
    std::lock_guard lock(m_mutex);
    if (!Refresh() || !m_connection->seat)
        return false;
    for (const Toplevel& toplevel : m_connection->toplevels) {
        if (toplevel.id == handle) {
            zwlr_foreign_toplevel_handle_v1_activate(toplevel.handle, m_connection->seat);
            return WaylandRoundtrip(m_connection->client.Display());
        }
    }
    return false;
}

bool WlrToplevelList::GiveFocusBack()
{
    const std::optional<DesktopWindow> active = Foreground();
    return active && Activate(active->handle);
}

} // namespace platform
