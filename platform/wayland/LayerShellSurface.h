#pragma once
// One overlay surface: a layer surface of the overlay layer, or a subsurface of one. Its picture
// lives in wl_shm buffers, two as a rule: one the compositor may still read, one to paint. A
// buffer catches up on what the other frames changed before it is painted again, so a paint
// touches only the damaged pixels.

#include "IOverlaySurfaces.h"
#include "LayerShellConnection.h"

#include <memory>
#include <vector>

struct wl_subsurface;
struct zwlr_layer_surface_v1;

namespace platform {

class LayerShellSurface final : public IOverlaySurface {
public:
    // A layer surface on the output of `screen`, configured by the compositor; null when it was
    // not (closed, or no answer).
    static std::unique_ptr<LayerShellSurface> CreateLayer(std::shared_ptr<LayerShellConnection> connection,
                                                          const ScreenRect& screen, const OverlayPlacement& placement);
    ~LayerShellSurface() override;
    LayerShellSurface(const LayerShellSurface&) = delete;
    LayerShellSurface& operator=(const LayerShellSurface&) = delete;

    QSize Size() const override { return m_size; }
    bool Paint(const QRegion& damage, const std::function<void(QPainter&)>& draw) override;
    bool Gone() const override;
    void MoveTo(QPoint topLeft) override;
    void Hide() override;
    std::unique_ptr<IOverlaySurface> AddChild(QSize size) override;

    struct Buffer;
    struct LayerState;

private:
    LayerShellSurface(std::shared_ptr<LayerShellConnection> connection, LayerShellSurface* parent);
    Buffer* FreeBuffer();

    std::shared_ptr<LayerShellConnection> m_connection;
    LayerShellSurface* m_parent = nullptr;
    wl_surface* m_surface = nullptr;
    zwlr_layer_surface_v1* m_layer = nullptr;
    wl_subsurface* m_subsurface = nullptr;
    std::unique_ptr<LayerState> m_state;
    std::vector<std::unique_ptr<Buffer>> m_buffers;
    Buffer* m_front = nullptr; // the buffer last shown
    QRegion m_missed;          // damage of paints that found no free buffer
    QSize m_size;              // picture pixels
    int m_scale = 1;           // picture pixels per surface unit
    bool m_routed = false; // the seat's input goes to it
    bool m_counted = false;
};

} // namespace platform
