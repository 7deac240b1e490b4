#include "LaserLayer.h"

#include <QPainter>

#include <cmath>

bool LaserLayer::Draw(const platform::ScreenRect& screen, const QImage& picture, EffectSize size, EffectPoint point)
{
    if (picture.isNull() || size.width <= 0 || size.height <= 0) {
        Hide();
        return true;
    }
    bool fresh = false;
    if (!m_cover.Open(screen, &fresh))
        return false;
    if (fresh) {
        // The dot's surface shows only above a cover that has a picture: a clear one.
        m_cover.Surface()->Paint(QRegion(QRect(QPoint(0, 0), m_cover.Size())), [](QPainter& painter) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(painter.clipBoundingRect(), Qt::transparent);
        });
    }
    if (picture.cacheKey() != m_pictureKey || !(size == m_size) || m_scaled.isNull()) {
        m_pictureKey = picture.cacheKey();
        m_size = size;
        const qreal ratio = m_cover.Ratio();
        // Area-averaged scaling: the large picture shrinks to a few pixels without aliasing.
        m_scaled = picture
                       .scaled(std::max(1, static_cast<int>(std::lround(size.width * ratio))),
                               std::max(1, static_cast<int>(std::lround(size.height * ratio))), Qt::IgnoreAspectRatio,
                               Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    const QPointF centre = m_cover.ToCover(point.x, point.y);
    m_dot.ShowAt(m_scaled, QPoint(static_cast<int>(std::lround(centre.x() - m_scaled.width() / 2.0)),
                                  static_cast<int>(std::lround(centre.y() - m_scaled.height() / 2.0))));
    return true;
}
