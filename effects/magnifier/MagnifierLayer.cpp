#include "MagnifierLayer.h"

#include <QPainter>

#include <cmath>

bool MagnifierLayer::Cover(const platform::ScreenRect& screen, int alpha)
{
    bool fresh = false;
    if (!m_cover.Open(screen, &fresh))
        return false;
    if (fresh || alpha != m_alpha) {
        m_alpha = alpha;
        const QColor colour(0, 0, 0, alpha & 0xFF);
        m_cover.Surface()->Paint(QRegion(QRect(QPoint(0, 0), m_cover.Size())), [&colour](QPainter& painter) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(painter.clipBoundingRect(), colour);
        });
    }
    return true;
}

void MagnifierLayer::ShowLens(const QImage& frame, EffectPoint at)
{
    if (frame.isNull())
        return;
    const QPointF centre = m_cover.ToCover(at.x, at.y);
    m_lens.ShowAt(frame, QPoint(static_cast<int>(std::lround(centre.x() - frame.width() / 2.0)),
                                static_cast<int>(std::lround(centre.y() - frame.height() / 2.0))));
}

void MagnifierLayer::Hide()
{
    m_cover.Close();
    m_alpha = -1;
}
