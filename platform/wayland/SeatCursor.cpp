#include "SeatCursor.h"

#include <wayland-client.h>
#include <wayland-cursor.h>

#include <cstdlib>
#include <span>

namespace platform {
namespace {

constexpr int kDefaultCursorSize = 24;

int CursorSize()
{
    const char* size = std::getenv("XCURSOR_SIZE");
    const int value = size != nullptr ? std::atoi(size) : 0;
    return value > 0 && value <= 256 ? value : kDefaultCursorSize;
}

// The theme's names for a shape, the freedesktop name first and the older X11 ones after it.
std::span<const char* const> NamesOf(Qt::CursorShape shape)
{
    static constexpr const char* kCross[] = {"crosshair", "cross"};
    static constexpr const char* kHand[] = {"pointer", "hand2", "hand1"};
    static constexpr const char* kText[] = {"text", "xterm"};
    static constexpr const char* kArrow[] = {"default", "left_ptr"};
    switch (shape) {
    case Qt::CrossCursor:
        return kCross;
    case Qt::PointingHandCursor:
        return kHand;
    case Qt::IBeamCursor:
        return kText;
    default:
        return kArrow;
    }
}

wl_cursor* Find(wl_cursor_theme* theme, Qt::CursorShape shape)
{
    for (const char* name : NamesOf(shape)) {
        if (wl_cursor* cursor = wl_cursor_theme_get_cursor(theme, name))
            return cursor;
    }
    return shape == Qt::ArrowCursor ? nullptr : Find(theme, Qt::ArrowCursor);
}

} // namespace

SeatCursor::~SeatCursor() { Release(); }

void SeatCursor::Release()
{
    if (m_surface != nullptr)
        wl_surface_destroy(m_surface);
    m_surface = nullptr;
    for (const auto& [scale, theme] : m_themes) {
        if (theme != nullptr)
            wl_cursor_theme_destroy(theme);
    }
    m_themes.clear();
}

void SeatCursor::Attach(wl_compositor* compositor, wl_shm* shm)
{
    m_compositor = compositor;
    m_shm = shm;
}

wl_cursor_theme* SeatCursor::ThemeFor(int scale)
{
    const auto known = m_themes.find(scale);
    if (known != m_themes.end())
        return known->second;
    wl_cursor_theme* theme = wl_cursor_theme_load(std::getenv("XCURSOR_THEME"), CursorSize() * scale, m_shm);
    m_themes[scale] = theme;
    return theme;
}

void SeatCursor::Show(wl_pointer* pointer, uint32_t serial, Qt::CursorShape shape, int scale)
{
    if (pointer == nullptr || m_compositor == nullptr || m_shm == nullptr)
        return;
    scale = scale > 0 ? scale : 1;
    wl_cursor_theme* theme = ThemeFor(scale);
    wl_cursor* cursor = theme != nullptr ? Find(theme, shape) : nullptr;
    if (cursor == nullptr || cursor->image_count == 0)
        return;
    wl_cursor_image* image = cursor->images[0];
    wl_buffer* buffer = wl_cursor_image_get_buffer(image);
    if (buffer == nullptr)
        return;
    // A buffer scale must divide the image; a theme without an image of that size shows its own
    // at one pixel a pixel.
    const int bufferScale = image->width % scale == 0 && image->height % scale == 0 ? scale : 1;
    if (m_surface == nullptr)
        m_surface = wl_compositor_create_surface(m_compositor);
    wl_surface_set_buffer_scale(m_surface, bufferScale);
    wl_surface_attach(m_surface, buffer, 0, 0);
    wl_surface_damage(m_surface, 0, 0, static_cast<int32_t>(image->width), static_cast<int32_t>(image->height));
    wl_surface_commit(m_surface);
    wl_pointer_set_cursor(pointer, serial, m_surface, static_cast<int32_t>(image->hotspot_x) / bufferScale,
                          static_cast<int32_t>(image->hotspot_y) / bufferScale);
}

} // namespace platform
