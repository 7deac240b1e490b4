#include "LayerShellConnection.h"

#include "WaylandDispatch.h"

#include "xdg-output-unstable-v1-client-protocol.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

// The generated header names an argument `namespace`, a C++ keyword.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>

namespace platform {
namespace {

LayerShellOutput& OutputOf(void* data) { return *static_cast<LayerShellOutput*>(data); }

// Outputs are read from other threads (the monitor list): changed under the connection's lock.
std::unique_lock<std::mutex> Locked(void* data) { return std::unique_lock(OutputOf(data).owner->Lock()); }

const wl_output_listener kOutputListener = {
    [](void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*, const char*, int32_t) {
        LayerShellOutput& out = OutputOf(data);
        const auto guard = Locked(data);
        if (out.xdgOutput == nullptr) {
            out.logical.x = x;
            out.logical.y = y;
        }
    },
    [](void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
        LayerShellOutput& out = OutputOf(data);
        const auto guard = Locked(data);
        if ((flags & WL_OUTPUT_MODE_CURRENT) && out.xdgOutput == nullptr) {
            out.logical.width = width;
            out.logical.height = height;
        }
    },
    [](void*, wl_output*) {},
    [](void* data, wl_output*, int32_t factor) {
        const auto guard = Locked(data);
        OutputOf(data).scale = std::max(1, factor);
    },
    [](void*, wl_output*, const char*) {},
    [](void*, wl_output*, const char*) {},
};

const zxdg_output_v1_listener kXdgOutputListener = {
    [](void* data, zxdg_output_v1*, int32_t x, int32_t y) {
        const auto guard = Locked(data);
        OutputOf(data).logical.x = x;
        OutputOf(data).logical.y = y;
    },
    [](void* data, zxdg_output_v1*, int32_t width, int32_t height) {
        const auto guard = Locked(data);
        OutputOf(data).logical.width = width;
        OutputOf(data).logical.height = height;
    },
    [](void*, zxdg_output_v1*) {},
    [](void*, zxdg_output_v1*, const char*) {},
    [](void*, zxdg_output_v1*, const char*) {},
};

LayerShellConnection& ConnectionOf(void* data) { return *static_cast<LayerShellConnection*>(data); }

} // namespace

std::shared_ptr<LayerShellConnection> LayerShellConnection::Open(const char* display)
{
    std::shared_ptr<LayerShellConnection> connection(new LayerShellConnection());
    if (!connection->Setup(display))
        return nullptr;
    connection->m_thread = std::thread([raw = connection.get()] { raw->Run(); });
    return connection;
}

bool LayerShellConnection::Setup(const char* display)
{
    // Globals first, then what the outputs and their xdg-outputs say about themselves.
    if (!m_client.Connect(
            display,
            [this](wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
                OnGlobal(this, registry, name, interface, version);
            },
            [this](uint32_t name) { OnGlobalRemoved(name); }))
        return false;
    if (m_xdgOutputs != nullptr) {
        for (auto& output : m_outputs)
            WatchOutput(*output);
    }
    if (!WaylandRoundtrip(Display()))
        return false;
    m_setUp = true;
    if (m_compositor == nullptr || m_subcompositor == nullptr || m_shm == nullptr || m_layerShell == nullptr)
        return false;
    m_cursor.Attach(m_compositor, m_shm);
    return ::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) == 0;
}

void LayerShellConnection::OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
                                    uint32_t version)
{
    LayerShellConnection& self = ConnectionOf(data);
    const std::string kind = interface;
    if (kind == wl_compositor_interface.name && version >= 4)
        self.m_compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    else if (kind == wl_subcompositor_interface.name)
        self.m_subcompositor =
            static_cast<wl_subcompositor*>(wl_registry_bind(registry, name, &wl_subcompositor_interface, 1));
    else if (kind == wl_shm_interface.name)
        self.m_shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (kind == zwlr_layer_shell_v1_interface.name)
        self.m_layerShell = static_cast<zwlr_layer_shell_v1*>(
            wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, std::min<uint32_t>(version, 3)));
    else if (kind == zxdg_output_manager_v1_interface.name)
        self.m_xdgOutputs = static_cast<zxdg_output_manager_v1*>(
            wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, std::min<uint32_t>(version, 2)));
    else if (kind == wl_output_interface.name) {
        auto output = std::make_unique<LayerShellOutput>();
        output->owner = &self;
        output->name = name;
        output->output =
            static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, std::min<uint32_t>(version, 2)));
        wl_output_add_listener(output->output, &kOutputListener, output.get());
        // A monitor plugged in later: its logical place comes from xdg-output at once.
        if (self.m_setUp && self.m_xdgOutputs != nullptr)
            self.WatchOutput(*output);
        std::lock_guard guard(self.m_lock);
        self.m_outputs.push_back(std::move(output));
    } else if (kind == wl_seat_interface.name && self.m_seat == nullptr) {
        self.m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        static const wl_seat_listener seatListener = {
            [](void* seatData, wl_seat*, uint32_t capabilities) { ConnectionOf(seatData).OnSeatCapabilities(capabilities); },
            [](void*, wl_seat*, const char*) {},
        };
        wl_seat_add_listener(self.m_seat, &seatListener, &self);
    }
}

void LayerShellConnection::WatchOutput(LayerShellOutput& output)
{
    output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(m_xdgOutputs, output.output);
    zxdg_output_v1_add_listener(output.xdgOutput, &kXdgOutputListener, &output);
}

void LayerShellConnection::OnSeatCapabilities(uint32_t capabilities)
{
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (keyboard && m_keyboard == nullptr) {
        m_keyboard = wl_seat_get_keyboard(m_seat);
        static const wl_keyboard_listener keyboardListener = {
            [](void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
                if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1)
                    ConnectionOf(data).m_keymap.Load(fd, size);
                else
                    ::close(fd);
            },
            [](void* data, wl_keyboard*, uint32_t, wl_surface* surface, wl_array*) {
                ConnectionOf(data).m_keyboardFocus = surface;
            },
            [](void* data, wl_keyboard*, uint32_t, wl_surface*) { ConnectionOf(data).m_keyboardFocus = nullptr; },
            [](void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
                ConnectionOf(data).OnKey(key, state);
            },
            [](void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched, uint32_t locked, uint32_t group) {
                ConnectionOf(data).m_keymap.SetModifiers(depressed, latched, locked, group);
            },
            [](void*, wl_keyboard*, int32_t, int32_t) {},
        };
        wl_keyboard_add_listener(m_keyboard, &keyboardListener, this);
    } else if (!keyboard && m_keyboard != nullptr) {
        wl_keyboard_destroy(m_keyboard);
        m_keyboard = nullptr;
        m_keyboardFocus = nullptr;
    }
    using Kind = OverlayPointerEvent::Kind;
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (pointer && m_pointer == nullptr) {
        m_pointer = wl_seat_get_pointer(m_seat);
        static const wl_pointer_listener pointerListener = {
            [](void* data, wl_pointer*, uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
                ConnectionOf(data).OnPointerEnter(serial, surface, wl_fixed_to_double(x), wl_fixed_to_double(y));
            },
            [](void* data, wl_pointer*, uint32_t, wl_surface*) { ConnectionOf(data).m_pointerFocus = nullptr; },
            [](void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
                LayerShellConnection& self = ConnectionOf(data);
                self.m_pointerX = wl_fixed_to_double(x);
                self.m_pointerY = wl_fixed_to_double(y);
                self.OnPointer(Kind::Motion, Qt::NoButton);
            },
            [](void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
                // The buttons' Linux input codes (BTN_LEFT, BTN_RIGHT, BTN_MIDDLE).
                const Qt::MouseButton which = button == 0x110   ? Qt::LeftButton
                                              : button == 0x111 ? Qt::RightButton
                                              : button == 0x112 ? Qt::MiddleButton
                                                                : Qt::NoButton;
                if (which != Qt::NoButton)
                    ConnectionOf(data).OnPointer(state == WL_POINTER_BUTTON_STATE_PRESSED ? Kind::Press : Kind::Release,
                                                 which);
            },
            [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {},
            // Events of later seat versions; the seat is bound at version 1.
            nullptr, nullptr, nullptr, nullptr, nullptr,
        };
        wl_pointer_add_listener(m_pointer, &pointerListener, this);
    } else if (!pointer && m_pointer != nullptr) {
        wl_pointer_destroy(m_pointer);
        m_pointer = nullptr;
        m_pointerFocus = nullptr;
    }
}

LayerShellConnection::InputRoute LayerShellConnection::RouteOf(wl_surface* surface) const
{
    std::lock_guard guard(m_lock);
    const auto found = m_routes.find(surface);
    return found != m_routes.end() ? found->second : InputRoute{};
}

void LayerShellConnection::OnPointerEnter(uint32_t serial, wl_surface* surface, double x, double y)
{
    m_pointerFocus = surface;
    m_pointerX = x;
    m_pointerY = y;
    const InputRoute route = RouteOf(surface);
    m_cursor.Show(m_pointer, serial, route.cursor, route.scale);
    OnPointer(OverlayPointerEvent::Kind::Motion, Qt::NoButton);
}

void LayerShellConnection::OnPointer(OverlayPointerEvent::Kind kind, Qt::MouseButton button)
{
    if (m_pointerFocus == nullptr)
        return;
    const InputRoute route = RouteOf(m_pointerFocus);
    if (route.onPointer)
        route.onPointer(OverlayPointerEvent{kind, QPointF(m_pointerX * route.scale, m_pointerY * route.scale), button});
}

void LayerShellConnection::OnKey(uint32_t key, uint32_t state)
{
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED || m_keyboardFocus == nullptr)
        return;
    const InputRoute route = RouteOf(m_keyboardFocus);
    if (route.onKey)
        route.onKey(m_keymap.QtKeyFor(key));
}

void LayerShellConnection::Route(wl_surface* surface, InputRoute route)
{
    std::lock_guard guard(m_lock);
    m_routes[surface] = std::move(route);
}

void LayerShellConnection::StopRouting(wl_surface* surface)
{
    std::lock_guard guard(m_lock);
    m_routes.erase(surface);
}

const LayerShellOutput* LayerShellConnection::OutputFor(const ScreenRect& screen) const
{
    std::lock_guard guard(m_lock);
    const LayerShellOutput* best = nullptr;
    long long bestDistance = LLONG_MAX;
    const long long cx = screen.x + screen.width / 2;
    const long long cy = screen.y + screen.height / 2;
    for (const auto& output : m_outputs) {
        if (output->removed)
            continue;
        const ScreenRect& r = output->logical;
        const long long dx = cx < r.x ? r.x - cx : cx >= r.x + r.width ? cx - (r.x + r.width - 1) : 0;
        const long long dy = cy < r.y ? r.y - cy : cy >= r.y + r.height ? cy - (r.y + r.height - 1) : 0;
        const long long distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            best = output.get();
            bestDistance = distance;
        }
    }
    return best;
}

std::vector<ScreenRect> LayerShellConnection::Outputs() const
{
    std::lock_guard guard(m_lock);
    std::vector<ScreenRect> rects;
    for (const auto& output : m_outputs) {
        if (!output->removed)
            rects.push_back(output->logical);
    }
    return rects;
}

void LayerShellConnection::OnGlobalRemoved(uint32_t name)
{
    // The entry stays (callers may hold it), out of every choice from now on; its surfaces are
    // closed by the compositor. A monitor that comes back is a new global.
    {
        std::lock_guard guard(m_lock);
        for (auto& output : m_outputs) {
            if (output->name == name)
                output->removed = true;
        }
    }
    Notify();
}

bool LayerShellConnection::WaitFor(const std::function<bool()>& ready, int limitMs)
{
    std::unique_lock guard(m_lock);
    return m_changed.wait_for(guard, std::chrono::milliseconds(limitMs),
                              [&] { return ready() || m_broken.load(); }) &&
           !m_broken.load();
}

void LayerShellConnection::Flush()
{
    if (wl_display_flush(Display()) < 0 && errno != EAGAIN)
        m_broken.store(true);
}

bool LayerShellConnection::Sync(int limitMs)
{
    struct Done {
        LayerShellConnection* self;
        bool done = false;
    };
    auto done = std::make_shared<Done>(Done{this});
    static const wl_callback_listener listener = {[](void* data, wl_callback* callback, uint32_t) {
        auto* d = static_cast<Done*>(data);
        wl_callback_destroy(callback);
        {
            std::lock_guard guard(d->self->m_lock);
            d->done = true;
        }
        d->self->Notify();
    }};
    // The callback is made and its listener set on the event thread, so its answer cannot be
    // dispatched before it has a listener; `done` lives until it answered.
    RunOnEventThread([&] {
        wl_callback_add_listener(wl_display_sync(Display()), &listener, done.get());
        Flush();
    });
    const bool answered = WaitFor([&] { return done->done; }, limitMs);
    if (!answered) {
        // Kept for a callback that may still come.
        static std::mutex leakLock;
        static std::vector<std::shared_ptr<Done>> late;
        std::lock_guard guard(leakLock);
        late.push_back(done);
    }
    return answered;
}

void LayerShellConnection::RunOnEventThread(const std::function<void()>& task)
{
    if (std::this_thread::get_id() == m_thread.get_id() || !m_thread.joinable()) {
        task();
        return;
    }
    Task pending{&task, false};
    {
        std::lock_guard guard(m_lock);
        m_tasks.push_back(&pending);
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wake[1], &byte, 1);
    std::unique_lock guard(m_lock);
    m_changed.wait(guard, [&] { return pending.done; });
}

void LayerShellConnection::RunTasks()
{
    char sink[64];
    while (::read(m_wake[0], sink, sizeof sink) > 0) {
    }
    std::vector<Task*> tasks;
    {
        std::lock_guard guard(m_lock);
        tasks.swap(m_tasks);
    }
    for (Task* task : tasks) {
        (*task->run)();
        std::lock_guard guard(m_lock);
        task->done = true;
    }
    if (!tasks.empty())
        Notify();
}

void LayerShellConnection::Run()
{
    const int fd = wl_display_get_fd(Display());
    while (!m_stop.load()) {
        while (wl_display_prepare_read(Display()) != 0) {
            if (wl_display_dispatch_pending(Display()) < 0)
                break;
        }
        Flush();
        pollfd fds[2] = {{fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
            wl_display_cancel_read(Display());
            break;
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            if (wl_display_read_events(Display()) < 0)
                break;
        } else {
            wl_display_cancel_read(Display());
        }
        if (wl_display_dispatch_pending(Display()) < 0)
            break;
        RunTasks();
    }
    if (!m_stop.load()) {
        m_broken.store(true);
        Notify();
        // Whoever waits for a task is let go; the tasks still run, on a dead connection.
        while (!m_stop.load()) {
            pollfd wake = {m_wake[0], POLLIN, 0};
            ::poll(&wake, 1, 200);
            RunTasks();
        }
    }
    RunTasks();
}

LayerShellConnection::~LayerShellConnection()
{
    if (m_thread.joinable()) {
        m_stop.store(true);
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wake[1], &byte, 1);
        m_thread.join();
    }
    for (int fd : m_wake) {
        if (fd >= 0)
            ::close(fd);
    }
    if (!m_client.Connected())
        return;
    for (auto& output : m_outputs) {
        if (output->xdgOutput)
            zxdg_output_v1_destroy(output->xdgOutput);
        wl_output_destroy(output->output);
    }
    m_cursor.Release();
    if (m_keyboard)
        wl_keyboard_destroy(m_keyboard);
    if (m_pointer)
        wl_pointer_destroy(m_pointer);
    if (m_seat)
        wl_seat_destroy(m_seat);
    if (m_xdgOutputs)
        zxdg_output_manager_v1_destroy(m_xdgOutputs);
    if (m_layerShell)
        zwlr_layer_shell_v1_destroy(m_layerShell);
    if (m_shm)
        wl_shm_destroy(m_shm);
    if (m_subcompositor)
        wl_subcompositor_destroy(m_subcompositor);
    if (m_compositor)
        wl_compositor_destroy(m_compositor);
    m_client.Disconnect();
}

} // namespace platform
