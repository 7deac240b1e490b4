#include "CoverPainter.h"

#include "CControlUI.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

QPainterPath HolePath(const QRectF& rect, const SIZE& round)
{
    QPainterPath path;
    path.addRoundedRect(rect, round.cx / 2.0, round.cy / 2.0);
    return path;
}

QRegion HoleRegion(const QRectF& rect, const SIZE& round)
{
    return QRegion(HolePath(rect, round).toFillPolygon().toPolygon());
}

bool CoverPainter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Paint)
        return false;
    auto* cover = static_cast<QWidget*>(watched);
    const QRect holeRect = hole.toAlignedRect();
    const QImage* tile = clearHole && !holeRect.isEmpty() ? &Tile(holeRect.size(), cover->devicePixelRatioF()) : nullptr;
    QPainter painter(cover);
    painter.setCompositionMode(blend ? QPainter::CompositionMode_SourceOver : QPainter::CompositionMode_Source);
    // One rectangle at a time: under a plain rectangular clip Qt fills and copies pixels
    // directly, where a clip of many rectangles goes through its span machinery.
    for (const QRect& rect : static_cast<QPaintEvent*>(event)->region()) {
        painter.setClipRect(rect);
        if (blend && tile != nullptr) {
            // The tile brings the cover's colour around the hole; blended twice it would darken.
            for (const QRect& part : QRegion(rect).subtracted(holeRect))
                painter.fillRect(part, colour);
        } else {
            painter.fillRect(rect, colour);
        }
        if (tile != nullptr && rect.intersects(holeRect))
            painter.drawImage(holeRect.topLeft(), *tile);
    }
    return true;
}

const QImage& CoverPainter::Tile(const QSize& size, qreal ratio)
{
    if (m_tile.isNull() || m_tileSize != size || m_tileRound.cx != round.cx || m_tileRound.cy != round.cy ||
        m_tileColour != colour || m_tile.devicePixelRatio() != ratio) {
        m_tileSize = size;
        m_tileRound = round;
        m_tileColour = colour;
        m_tile = QImage((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        m_tile.setDevicePixelRatio(ratio);
        m_tile.fill(colour);
        QPainter painter(&m_tile);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.fillPath(HolePath(QRectF(QPointF(0, 0), QSizeF(size)), round), Qt::black);
    }
    return m_tile;
}

std::unique_ptr<CoverPainter> InstallCoverPainter(CControlUI* cover)
{
    if (cover == nullptr)
        return nullptr;
    cover->SetBkColor(0xFF000000u);
    auto painter = std::make_unique<CoverPainter>();
    cover->installEventFilter(painter.get());
    return painter;
}
