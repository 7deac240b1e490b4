#pragma once
// The overlays' own Wayland connection: the globals they need, the outputs with their logical
// places, the seat's keyboard and pointer for surfaces that take them, and the thread that reads and
// dispatches every event. Requests may be made from any thread (libwayland serialises them);
// events run on the connection's thread only, and so does the destruction of whatever their
// listeners point at (RunOnEventThread).

#include "IOverlaySurfaces.h"
#include "IScreens.h"
#include "SeatCursor.h"
#include "SeatKeymap.h"
#include "WaylandClient.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct wl_compositor;
struct wl_display;
struct wl_keyboard;
struct wl_output;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_subcompositor;
struct wl_surface;
struct zwlr_layer_shell_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace platform {

class LayerShellConnection;

struct LayerShellOutput {
    LayerShellConnection* owner = nullptr;
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    uint32_t name = 0;
    ScreenRect logical; // the mode's size until xdg-output gives the logical one
    int scale = 1;
    bool removed = false; // the compositor withdrew it (unplugged, switched off)
};

class LayerShellConnection {
public:
    // Null when nothing answers at `display` or a needed global is missing.
    static std::shared_ptr<LayerShellConnection> Open(const char* display);
    ~LayerShellConnection();
    LayerShellConnection(const LayerShellConnection&) = delete;
    LayerShellConnection& operator=(const LayerShellConnection&) = delete;

    wl_display* Display() const { return m_client.Display(); }
    wl_compositor* Compositor() const { return m_compositor; }
    wl_subcompositor* Subcompositor() const { return m_subcompositor; }
    wl_shm* Shm() const { return m_shm; }
    zwlr_layer_shell_v1* LayerShell() const { return m_layerShell; }

    // The output that holds the centre of `screen`, the nearest one when none does; null without
    // outputs. Its fields are stable while the connection lives.
    const LayerShellOutput* OutputFor(const ScreenRect& screen) const;
    std::vector<ScreenRect> Outputs() const;

    // Waits until `ready` (checked under Lock(), woken by Notify()) or `limitMs` passed.
    bool WaitFor(const std::function<bool()>& ready, int limitMs);
    std::mutex& Lock() { return m_lock; }
    void Notify() { m_changed.notify_all(); }
    // Runs `task` on the event thread and returns when it ran (at once on that thread).
    void RunOnEventThread(const std::function<void()>& task);
    // Sends what the caller's requests left in the buffer.
    void Flush();
    // A round trip through the compositor; false when it did not answer within `limitMs`.
    bool Sync(int limitMs = 2000);
    bool Broken() const { return m_broken.load(); }

    // What the seat gives a surface of ours: key presses while it has the keyboard (the Qt keys
    // the seat's keymap makes of them), pointer moves and buttons while the pointer is over it (positions in picture
    // pixels: surface units times `scale`), and the pointer takes the look of `cursor` over it.
    struct InputRoute {
        std::function<void(int)> onKey;
        std::function<void(const OverlayPointerEvent&)> onPointer;
        int scale = 1;
        Qt::CursorShape cursor = Qt::ArrowCursor;
    };
    void Route(wl_surface* surface, InputRoute route);
    void StopRouting(wl_surface* surface);

    std::atomic<int> shown{0};

private:
    LayerShellConnection() = default;
    bool Setup(const char* display);
    void Run();
    void RunTasks();
    static void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
    void AddOutput(uint32_t name);
    void OnGlobalRemoved(uint32_t name);
    void WatchOutput(LayerShellOutput& output);
    void OnSeatCapabilities(uint32_t capabilities);
    void OnKey(uint32_t key, uint32_t state);
    InputRoute RouteOf(wl_surface* surface) const; // a copy, empty for a surface not routed
    void OnPointerEnter(uint32_t serial, wl_surface* surface, double x, double y);
    void OnPointer(OverlayPointerEvent::Kind kind, Qt::MouseButton button);

    WaylandClient m_client;
    wl_compositor* m_compositor = nullptr;
    wl_subcompositor* m_subcompositor = nullptr;
    wl_shm* m_shm = nullptr;
    zwlr_layer_shell_v1* m_layerShell = nullptr;
    zxdg_output_manager_v1* m_xdgOutputs = nullptr;
    wl_seat* m_seat = nullptr;
    wl_keyboard* m_keyboard = nullptr;
    wl_pointer* m_pointer = nullptr;
    std::vector<std::unique_ptr<LayerShellOutput>> m_outputs; // grows under m_lock; fields change under it
    bool m_setUp = false;

    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    struct Task {
        const std::function<void()>* run = nullptr;
        bool done = false;
    };
    std::vector<Task*> m_tasks; // under m_lock
    std::map<wl_surface*, InputRoute> m_routes; // under m_lock
    SeatKeymap m_keymap;                       // event thread
    SeatCursor m_cursor;                       // event thread
    wl_surface* m_keyboardFocus = nullptr;     // event thread
    wl_surface* m_pointerFocus = nullptr;      // event thread
    double m_pointerX = 0;                     // event thread, surface units
    double m_pointerY = 0;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_broken{false};
    std::thread m_thread;
};

} // namespace platform
