#pragma once
// The pointer's look over our surfaces that take the pointer: an image of the user's cursor theme
// (XCURSOR_THEME and XCURSOR_SIZE, as every Wayland client reads them), set on each entry. Used on
// the connection's event thread only.

#include <Qt>

#include <map>

struct wl_compositor;
struct wl_cursor_theme;
struct wl_pointer;
struct wl_shm;
struct wl_surface;

namespace platform {

class SeatCursor {
public:
    SeatCursor() = default;
    ~SeatCursor();
    SeatCursor(const SeatCursor&) = delete;
    SeatCursor& operator=(const SeatCursor&) = delete;

    void Attach(wl_compositor* compositor, wl_shm* shm);
    // Gives back the surface and the themes' buffers; before the connection closes.
    void Release();
    // Shows `shape` for the entry of `serial`, drawn for an output of `scale`. Where the theme has
    // no such image its arrow is shown; without a theme the pointer keeps what it had.
    void Show(wl_pointer* pointer, uint32_t serial, Qt::CursorShape shape, int scale);

private:
    wl_cursor_theme* ThemeFor(int scale);

    wl_compositor* m_compositor = nullptr;
    wl_shm* m_shm = nullptr;
    wl_surface* m_surface = nullptr;
    std::map<int, wl_cursor_theme*> m_themes; // by output scale; null where none loads
};

} // namespace platform
