#pragma once
// Overlay surfaces on a Wayland compositor that offers zwlr_layer_shell_v1 (wlroots compositors,
// KWin): layer surfaces in the overlay layer, anchored to one output, exclusive zone -1, an empty
// input region and no keyboard unless asked, painted with QPainter into double-buffered wl_shm
// buffers; children are subsurfaces of their layer surface, since two layer surfaces of one layer
// have no defined order between them.
//
// One connection of our own whose events are read and dispatched on a thread of its own; the
// painting happens on the caller's thread, straight into the shared buffers.

#include "IOverlaySurfaces.h"

#include <memory>

namespace platform {

class LayerShellOverlays final : public IOverlaySurfaces {
public:
    // Connects to `display` (null: WAYLAND_DISPLAY's); null when nothing answers there or the
    // compositor lacks layer-shell, shared memory or subsurfaces.
    static std::unique_ptr<LayerShellOverlays> Connect(const char* display = nullptr);
    ~LayerShellOverlays() override;
    LayerShellOverlays(const LayerShellOverlays&) = delete;
    LayerShellOverlays& operator=(const LayerShellOverlays&) = delete;

    std::unique_ptr<IOverlaySurface> Create(const ScreenRect& screen, const OverlayPlacement& placement) override;
    std::vector<ScreenRect> Outputs() const override;
    int ShownCount() const override;
    void Sync() override;

    struct Connection;

private:
    explicit LayerShellOverlays(std::shared_ptr<Connection> connection);
    std::shared_ptr<Connection> m_connection;
};

} // namespace platform
