#include "EffectSurface.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace {

platform::ScreenRect PhysicalOf(const QScreen& screen)
{
    const QRect g = screen.geometry();
    const qreal ratio = screen.devicePixelRatio();
    return {g.x(), g.y(), static_cast<int>(std::lround(g.width() * ratio)),
            static_cast<int>(std::lround(g.height() * ratio))};
}

long long Gap(int v, int low, int size)
{
    if (v < low)
        return low - v;
    return v >= low + size ? v - (low + size - 1) : 0;
}

} // namespace

EffectSurface EffectSurface::For(const platform::ScreenRect& physical)
{
    EffectSurface surface;
    surface.physical = physical;
    surface.logical = QRect(physical.x, physical.y, physical.width, physical.height);
    if (QGuiApplication::instance() == nullptr)
        return surface;
    const int cx = physical.x + physical.width / 2;
    const int cy = physical.y + physical.height / 2;
    const QScreen* best = nullptr;
    long long bestDistance = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const platform::ScreenRect r = PhysicalOf(*screen);
        const long long dx = Gap(cx, r.x, r.width);
        const long long dy = Gap(cy, r.y, r.height);
        if (best == nullptr || dx * dx + dy * dy < bestDistance) {
            best = screen;
            bestDistance = dx * dx + dy * dy;
        }
    }
    if (best == nullptr)
        return surface;
    surface.ratio = best->devicePixelRatio() > 0 ? best->devicePixelRatio() : 1.0;
    surface.origin = best->geometry().topLeft();
    const QPointF topLeft = surface.ToLogical(physical.x, physical.y);
    const QPointF bottomRight = surface.ToLogical(physical.x + physical.width, physical.y + physical.height);
    surface.logical = QRect(QPoint(static_cast<int>(std::lround(topLeft.x())), static_cast<int>(std::lround(topLeft.y()))),
                            QPoint(static_cast<int>(std::lround(bottomRight.x())) - 1,
                                   static_cast<int>(std::lround(bottomRight.y())) - 1));
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
