#include "LaserOverlay.h"

#include "OverlayWindow.h"
#include "X11NativeWindow.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

LaserOverlay::LaserOverlay(std::function<void()> onRightButtonUp)
    : QWidget(nullptr), m_onRightButtonUp(std::move(onRightButtonUp))
{
    setObjectName(QStringLiteral("DigitalLaserOverlayWnd"));
    SetOverlayTraits(this, false);
}

void LaserOverlay::Render(const QImage& picture, EffectSize size, const EffectSurface& surface, int x, int y,
                          bool composited)
{
    if (size.width <= 0 || size.height <= 0)
        return;
    const qint64 key = picture.isNull() ? 0 : picture.cacheKey();
    if (key != m_pictureKey || !(size == m_size) || surface.ratio != m_ratio || m_frame.isNull()) {
        Unmute(); // Qt resizes the window and must hear how that went
        m_pictureKey = key;
        m_size = size;
        m_ratio = surface.ratio;
        ++m_renders;
        if (picture.isNull()) {
            m_frame = QImage(size.width, size.height, QImage::Format_ARGB32_Premultiplied);
            m_frame.fill(Qt::transparent);
        } else {
            // Area-averaged scaling: the large picture shrinks to a few pixels without aliasing.
            m_frame = picture.scaled(size.width, size.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        }
        m_frame.setDevicePixelRatio(m_ratio);
        m_bEmpty = picture.isNull();
        resize(static_cast<int>(std::ceil(size.width / m_ratio)), static_cast<int>(std::ceil(size.height / m_ratio)));
        m_shapedFor = -1;
        update();
    }
    if (m_bEmpty) {
        Conceal();
        return;
    }
    if (m_shapedFor != (composited ? 0 : 1)) {
        m_shapedFor = composited ? 0 : 1;
        if (composited)
            clearMask();
        else
            setMask(QBitmap::fromImage(m_frame.createAlphaMask().scaled(QWidget::size())));
    }
    const QPointF topLeft = surface.ToLogical(x - size.width / 2, y - size.height / 2);
    const QPoint logical(static_cast<int>(std::lround(topLeft.x())), static_cast<int>(std::lround(topLeft.y())));
    // While shown, a move is one request to the server and nothing else; the first placement
    // goes through Qt, which maps the window where it believes it is.
    if (isVisible()) {
        if (m_mutedMask == 0)
            m_mutedMask = platform::MuteStructureNotifications(windowHandle());
        if (m_mutedMask != 0 &&
            platform::MoveNativeWindow(windowHandle(), x - size.width / 2, y - size.height / 2)) {
            m_movedTo = logical;
            return;
        }
    }
    move(logical);
    if (!isVisible()) {
        show();
        raise();
    }
}

void LaserOverlay::Conceal()
{
    Unmute();
    hide();
}

void LaserOverlay::Unmute()
{
    if (m_mutedMask == 0)
        return;
    platform::RestoreEventMask(windowHandle(), m_mutedMask);
    m_mutedMask = 0;
    move(m_movedTo); // where the native moves left it, which Qt did not hear of
}

void LaserOverlay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(0, 0), m_frame);
}

void LaserOverlay::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton && m_onRightButtonUp)
        m_onRightButtonUp();
    event->accept();
}
