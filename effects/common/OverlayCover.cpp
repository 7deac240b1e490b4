#include "OverlayCover.h"

#include <QPainter>

#include <algorithm>

bool OverlayCover::Open(const platform::ScreenRect& screen, bool* fresh)
{
    if (fresh != nullptr)
        *fresh = false;
    // A cover whose monitor went away (and perhaps came back) is made anew.
    if (m_surface && !m_surface->Gone() && screen.x == m_screen.x && screen.y == m_screen.y &&
        screen.width == m_screen.width && screen.height == m_screen.height)
        return true;
    Close();
    if (m_overlays == nullptr || screen.width <= 0 || screen.height <= 0)
        return false;
    m_surface = m_overlays->Create(screen, platform::OverlayPlacement{});
    if (!m_surface)
        return false;
    m_screen = screen;
    m_ratio = static_cast<qreal>(m_surface->Size().width()) / screen.width;
    if (fresh != nullptr)
        *fresh = true;
    return true;
}

void OverlayCover::Close()
{
    // Pictures are children of the cover's surface: they go first.
    for (OverlayPicture* picture : m_pictures)
        picture->Drop();
    m_surface.reset();
}

QPointF OverlayCover::ToCover(int x, int y) const
{
    return QPointF((x - m_screen.x) * m_ratio, (y - m_screen.y) * m_ratio);
}

QRectF OverlayCover::ToCover(const QRectF& desktop) const
{
    return QRectF((desktop.x() - m_screen.x) * m_ratio, (desktop.y() - m_screen.y) * m_ratio,
                  desktop.width() * m_ratio, desktop.height() * m_ratio);
}

OverlayPicture::OverlayPicture(OverlayCover& cover) : m_cover(cover) { m_cover.m_pictures.push_back(this); }

OverlayPicture::~OverlayPicture()
{
    Drop();
    auto& list = m_cover.m_pictures;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void OverlayPicture::Drop()
{
    m_surface.reset();
    m_shown = false;
    m_key = 0;
}

void OverlayPicture::ShowAt(const QImage& picture, QPoint topLeft)
{
    platform::IOverlaySurface* cover = m_cover.Surface();
    if (cover == nullptr || picture.isNull())
        return;
    if (m_surface && m_surface->Size() != picture.size())
        Drop();
    if (!m_surface) {
        m_surface = cover->AddChild(picture.size());
        if (!m_surface)
            return;
    }
    if (topLeft != m_topLeft || !m_shown) {
        m_surface->MoveTo(topLeft);
        m_topLeft = topLeft;
    }
    if (!m_shown || picture.cacheKey() != m_key) {
        m_key = picture.cacheKey();
        Repaint(picture, QRegion(picture.rect()));
    }
}

void OverlayPicture::Repaint(const QImage& picture, const QRegion& damage)
{
    if (!m_surface)
        return;
    // Drawn pixel for pixel, whatever scale a window of the picture's may have set.
    QImage pixels = picture;
    pixels.setDevicePixelRatio(1.0);
    m_surface->Paint(damage, [&pixels](QPainter& painter) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, pixels);
    });
    m_shown = true;
}

void OverlayPicture::Hide()
{
    if (m_surface && m_shown)
        m_surface->Hide();
    m_shown = false;
}
