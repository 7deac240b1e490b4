#include "PenLayer.h"

#include <QPainter>

#include <cmath>

bool PenLayer::Cover(const platform::ScreenRect& screen, const QImage& canvas)
{
    if (!m_cover.Open(screen))
        return false;
    Update(canvas, QRect(QPoint(0, 0), m_cover.Size()));
    return true;
}

void PenLayer::Update(const QImage& canvas, const QRect& damage)
{
    platform::IOverlaySurface* surface = m_cover.Surface();
    if (surface == nullptr)
        return;
    // The canvas in cover pixels, whatever scale its window would show it at.
    QImage pixels = canvas;
    pixels.setDevicePixelRatio(1.0);
    const qreal ratio = m_cover.Ratio();
    const QRect target = QRectF(damage.x() * ratio, damage.y() * ratio, damage.width() * ratio, damage.height() * ratio)
                             .toAlignedRect()
                             .intersected(QRect(QPoint(0, 0), m_cover.Size()));
    surface->Paint(QRegion(target), [&](QPainter& painter) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (pixels.isNull()) {
            painter.fillRect(target, Qt::black);
            return;
        }
        painter.drawImage(QRectF(QPointF(0, 0), QSizeF(m_cover.Size())), pixels);
    });
}

void PenLayer::PlacePencil(const QImage& picture, int x, int y)
{
    const QPointF corner = m_cover.ToCover(x, y);
    m_pencil.ShowAt(picture, QPoint(static_cast<int>(std::lround(corner.x())), static_cast<int>(std::lround(corner.y()))));
}

void PenLayer::ShowTip(const QImage& picture)
{
    const QSize room = m_cover.Size() - picture.size();
    m_tip.ShowAt(picture, QPoint(room.width() / 2, room.height() / 2));
}
