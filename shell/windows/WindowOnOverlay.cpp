#include "WindowOnOverlay.h"

#include "KVOLog.h"

#include <QPainter>
#include <QWidget>

namespace {

platform::IOverlaySurfaces* g_overlays = nullptr;

bool Same(const platform::ScreenRect& a, const platform::ScreenRect& b)
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

} // namespace

void WindowOnOverlay::SetOverlays(platform::IOverlaySurfaces* overlays) { g_overlays = overlays; }

bool WindowOnOverlay::Available() { return g_overlays != nullptr; }

bool WindowOnOverlay::Show(QWidget& window, const platform::ScreenRect& screen, int margin)
{
    if (g_overlays == nullptr)
        return false;
    QImage picture = window.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(1.0);
    if (picture.isNull())
        return false;
    if (m_surface && (m_surface->Gone() || m_surface->Size() != picture.size() || !Same(screen, m_screen) ||
                      margin != m_margin))
        m_surface.reset();
    if (!m_surface) {
        platform::OverlayPlacement placement;
        placement.anchor = m_anchor;
        placement.size = picture.size();
        placement.margin = margin;
        placement.blocksCapture = m_blocksCapture;
        m_surface = g_overlays->Create(screen, placement);
        if (!m_surface)
            return false;
        WriteLog(KVO_LOG_INFO, "%s on the compositor's overlay layer", m_who);
        m_screen = screen;
        m_margin = margin;
    }
    m_surface->Paint(QRegion(picture.rect()), [&picture](QPainter& painter) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, picture);
    });
    return true;
}
