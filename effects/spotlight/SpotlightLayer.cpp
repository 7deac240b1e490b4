#include "SpotlightLayer.h"

#include "CoverPainter.h"

#include <QPainter>

#include <cmath>

bool SpotlightLayer::Show(const platform::ScreenRect& screen, int alpha, const SearchlightHole& hole,
                          const QImage* marker, EffectPoint point)
{
    bool fresh = false;
    if (!m_cover.Open(screen, &fresh))
        return false;
    const QRectF rect = m_cover.ToCover(QRectF(QPointF(screen.x + hole.rect.left, screen.y + hole.rect.top),
                                               QPointF(screen.x + hole.rect.right, screen.y + hole.rect.bottom)));
    const qreal ratio = m_cover.Ratio();
    const SIZE round{std::lround(hole.roundX * ratio), std::lround(hole.roundY * ratio)};
    QRegion damage;
    if (fresh || alpha != m_alpha)
        damage = QRegion(QRect(QPoint(0, 0), m_cover.Size()));
    else if (rect != m_hole || round.cx != m_round.cx || round.cy != m_round.cy)
        // Antialiased edges reach into the pixel around each hole.
        damage = QRegion(m_hole.toAlignedRect().adjusted(-1, -1, 1, 1)) + QRegion(rect.toAlignedRect().adjusted(-1, -1, 1, 1));
    m_hole = rect;
    m_round = round;
    m_alpha = alpha;
    if (!damage.isEmpty()) {
        const QColor colour(0, 0, 0, alpha);
        m_cover.Surface()->Paint(damage, [&](QPainter& painter) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(QRect(QPoint(0, 0), m_cover.Size()), colour);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.fillPath(HolePath(rect, round), Qt::transparent);
        });
    }
    if (marker != nullptr && !marker->isNull()) {
        const QPointF centre = m_cover.ToCover(point.x, point.y);
        m_marker.ShowAt(*marker, QPoint(static_cast<int>(std::lround(centre.x() - marker->width() / 2.0)),
                                         static_cast<int>(std::lround(centre.y() - marker->height() / 2.0))));
    } else {
        m_marker.Hide();
    }
    return true;
}

void SpotlightLayer::Hide()
{
    m_cover.Close();
    m_alpha = -1;
}
