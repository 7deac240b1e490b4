#include "EffectSurface.h"

#include "QtScreens.h"

EffectSurface EffectSurface::For(const platform::ScreenRect& physical)
{
    EffectSurface surface;
    surface.physical = physical;
    const platform::ScreenScale scale = platform::ScaleForPhysical(physical);
    surface.ratio = scale.ratio;
    surface.origin = QPoint(scale.originX, scale.originY);
    const platform::ScreenRect logical = platform::LogicalFromPhysical(physical);
    surface.logical = QRect(logical.x, logical.y, logical.width, logical.height);
    return surface;
}

QPointF EffectSurface::ToLogical(int x, int y) const
{
    return QPointF(origin.x() + (x - origin.x()) / ratio, origin.y() + (y - origin.y()) / ratio);
}

QRectF EffectSurface::ToLogical(int left, int top, int width, int height) const
{
    return QRectF(ToLogical(left, top), QSizeF(width / ratio, height / ratio));
}
