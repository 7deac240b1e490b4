#include "LayerShellOverlays.h"

#include "LayerShellConnection.h"
#include "LayerShellSurface.h"

namespace platform {

struct LayerShellOverlays::Connection {
    std::shared_ptr<LayerShellConnection> wayland;
};

LayerShellOverlays::LayerShellOverlays(std::shared_ptr<Connection> connection) : m_connection(std::move(connection)) {}

LayerShellOverlays::~LayerShellOverlays() = default;

std::unique_ptr<LayerShellOverlays> LayerShellOverlays::Connect(const char* display)
{
    std::shared_ptr<LayerShellConnection> wayland = LayerShellConnection::Open(display);
    if (!wayland)
        return nullptr;
    return std::unique_ptr<LayerShellOverlays>(
        new LayerShellOverlays(std::make_shared<Connection>(Connection{std::move(wayland)})));
}

std::unique_ptr<IOverlaySurface> LayerShellOverlays::Create(const ScreenRect& screen, const OverlayPlacement& placement)
{
    if (m_connection->wayland->Broken())
        return nullptr;
    return LayerShellSurface::CreateLayer(m_connection->wayland, screen, placement);
}

std::vector<ScreenRect> LayerShellOverlays::Outputs() const { return m_connection->wayland->Outputs(); }

int LayerShellOverlays::ShownCount() const { return m_connection->wayland->shown.load(); }

void LayerShellOverlays::Sync() { m_connection->wayland->Sync(); }

} // namespace platform
