#include "MagnifierLens.h"

#include "OverlayWindow.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMarkerSide = 28;

} // namespace

QPainterPath LensOutline(EffectSize size, float borderRound)
{
    const double w = size.width, h = size.height;
    const double rx = std::clamp(static_cast<int>(w * borderRound * 2) / 2.0, 0.0, w / 2);
    const double ry = std::clamp(static_cast<int>(h * borderRound * 2) / 2.0, 0.0, h / 2);
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, w, h), rx, ry, Qt::AbsoluteSize);
    return path;
}

MagnifierLens::MagnifierLens() : QWidget(nullptr)
{
    setObjectName(QStringLiteral("ZoomLensWnd"));
    SetOverlayTraits(this, true);
}

void MagnifierLens::Rebuild(const Look& look, qreal ratio)
{
    ++m_builds;
    m_built = look;
    m_ratio = ratio;
    const EffectSize size = look.size;
    m_mask = QImage(size.width, size.height, QImage::Format_ARGB32_Premultiplied);
    m_mask.fill(Qt::transparent);
    {
        QPainter painter(&m_mask);
        painter.setRenderHint(QPainter::Antialiasing, look.composited);
        painter.fillPath(LensOutline(size, look.borderRound), Qt::white);
    }
    m_mask.setDevicePixelRatio(ratio);
    resize(static_cast<int>(std::ceil(size.width / ratio)), static_cast<int>(std::ceil(size.height / ratio)));
    if (look.composited) {
        clearMask();
    } else {
        // No compositor: the corners leave the window's shape instead of turning black.
        QTransform toLogical;
        toLogical.scale(1 / ratio, 1 / ratio);
        setMask(QRegion(toLogical.map(LensOutline(size, look.borderRound)).toFillPolygon().toPolygon()));
    }
}

void MagnifierLens::Prepare(const QImage& frozen, EffectPoint capturePoint, const Look& look, const QImage* marker,
                            qreal ratio)
{
    if (m_mask.isNull() || !(look.size == m_built.size) || look.borderRound != m_built.borderRound ||
        look.composited != m_built.composited || ratio != m_ratio)
        Rebuild(look, ratio);
    m_built.zoom = look.zoom;
    ++m_renders;
    const LensSource source = LensSourceAt(capturePoint, look.size.width, look.size.height, look.zoom);
    m_source = QRect(source.left, source.top, source.width, source.height);
    m_frozen = frozen;
    m_marker = marker != nullptr ? *marker : QImage();
}

void MagnifierLens::Render(const QImage& frozen, EffectPoint capturePoint, const Look& look, const QImage* marker,
                           const EffectSurface& surface, EffectPoint at)
{
    if (look.size.width <= 0 || look.size.height <= 0)
        return;
    Prepare(frozen, capturePoint, look, marker, surface.ratio);
    const QPointF topLeft = surface.ToLogical(at.x - static_cast<int>(look.size.width * 0.5),
                                              at.y - static_cast<int>(look.size.height * 0.5));
    move(static_cast<int>(std::lround(topLeft.x())), static_cast<int>(std::lround(topLeft.y())));
    update();
    if (!isVisible()) {
        show();
        raise();
    }
}

void MagnifierLens::Paint(QPainter& painter) const
{
    const QRectF target(0, 0, m_built.size.width / m_ratio, m_built.size.height / m_ratio);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // Beyond the edge of the picture the lens shows black.
    if (!m_frozen.rect().contains(m_source))
        painter.fillRect(target, Qt::black);
    // Nearest-pixel enlargement, as sharp as the screen it magnifies and cheap enough per move.
    painter.drawImage(target, m_frozen, QRectF(m_source));
    if (m_built.composited) {
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.drawImage(QPointF(0, 0), m_mask);
    }
    if (!m_marker.isNull()) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        const QRectF spot((m_built.size.width / 2 - kMarkerSide / 2) / m_ratio,
                          (m_built.size.height / 2 - kMarkerSide / 2) / m_ratio, kMarkerSide / m_ratio,
                          kMarkerSide / m_ratio);
        painter.drawImage(spot, m_marker);
    }
}

QImage MagnifierLens::Frame() const
{
    if (m_mask.isNull() || m_frozen.isNull())
        return {};
    QImage frame(m_built.size.width, m_built.size.height, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    frame.setDevicePixelRatio(m_ratio);
    QPainter painter(&frame);
    Paint(painter);
    return frame;
}

void MagnifierLens::Collapse()
{
    hide();
    m_frozen = QImage();
    m_marker = QImage();
    m_mask = QImage();
    m_built = Look{};
    m_ratio = 0.0;
}

void MagnifierLens::paintEvent(QPaintEvent*)
{
    if (m_mask.isNull() || m_frozen.isNull())
        return;
    QPainter painter(this);
    Paint(painter);
}
