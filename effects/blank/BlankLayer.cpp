#include "BlankLayer.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

void BlankLayer::SetContent(QColor colour, QImage picture)
{
    m_colour = colour;
    m_picture = std::move(picture);
    m_scaled = QImage();
}

bool BlankLayer::Roll(const platform::ScreenRect& screen, int height)
{
    if (height <= 0) {
        m_surface.reset();
        m_height = 0;
        return true;
    }
    // A curtain whose monitor went away is made anew.
    if (m_surface && m_surface->Gone())
        m_surface.reset();
    if (!m_surface) {
        if (m_overlays == nullptr || screen.width <= 0)
            return false;
        platform::OverlayPlacement placement;
        placement.takesKeys = true;
        // A frozen picture may be taken under the curtain, as with its window.
        placement.blocksCapture = false;
        placement.onKey = [onKey = m_onKey](int) {
            if (onKey)
                onKey();
        };
        m_surface = m_overlays->Create(screen, placement);
        if (!m_surface)
            return false;
        m_ratio = static_cast<qreal>(m_surface->Size().width()) / screen.width;
        m_height = 0;
        // Clear until the curtain reaches it.
        Paint(0, m_surface->Size().height(), false);
    }
    const int target = std::min(m_surface->Size().height(), static_cast<int>(std::lround(height * m_ratio)));
    if (target > m_height)
        Paint(m_height, target, true);
    else if (target < m_height)
        Paint(target, m_height, false);
    m_height = target;
    return true;
}

void BlankLayer::Paint(int from, int to, bool curtain)
{
    const QSize size = m_surface->Size();
    if (curtain && !m_picture.isNull() && m_scaled.size() != size)
        m_scaled = m_picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRect strip(0, from, size.width(), to - from);
    m_surface->Paint(QRegion(strip), [&](QPainter& painter) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (!curtain)
            painter.fillRect(strip, Qt::transparent);
        else if (!m_scaled.isNull())
            painter.drawImage(strip, m_scaled, strip);
        else
            painter.fillRect(strip, m_colour);
    });
}
