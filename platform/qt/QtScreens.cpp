#include "QtScreens.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace platform {

namespace {

// Qt keeps a screen's top-left corner where the window system has it and divides only its size
// by the ratio; the physical size is the logical one multiplied back.
ScreenRect PhysicalOf(const QScreen& screen)
{
    const QRect g = screen.geometry();
    const qreal ratio = screen.devicePixelRatio();
    auto scaled = [ratio](int v) { return static_cast<int>(std::lround(v * ratio)); };
    return {g.x(), g.y(), scaled(g.width()), scaled(g.height())};
}

long long DistanceSquared(const ScreenRect& r, int x, int y)
{
    const auto gap = [](int v, int low, int size) -> long long {
        if (v < low)
            return low - v;
        return v >= low + size ? v - (low + size - 1) : 0;
    };
    const long long dx = gap(x, r.x, r.width);
    const long long dy = gap(y, r.y, r.height);
    return dx * dx + dy * dy;
}

} // namespace

std::vector<ScreenRect> QtScreens::Monitors() const
{
    std::vector<ScreenRect> monitors;
    if (QGuiApplication::instance() == nullptr)
        return monitors;
    const auto screens = QGuiApplication::screens();
    monitors.reserve(static_cast<size_t>(screens.size()));
    for (const QScreen* screen : screens)
        monitors.push_back(PhysicalOf(*screen));
    return monitors;
}

ScreenScale ScaleForPhysical(const ScreenRect& physical)
{
    ScreenScale scale;
    if (QGuiApplication::instance() == nullptr)
        return scale;
    const int cx = physical.x + physical.width / 2;
    const int cy = physical.y + physical.height / 2;
    const QScreen* best = nullptr;
    long long bestDistance = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const long long distance = DistanceSquared(PhysicalOf(*screen), cx, cy);
        if (best == nullptr || distance < bestDistance) {
            best = screen;
            bestDistance = distance;
        }
    }
    if (best == nullptr)
        return scale;
    scale.originX = best->geometry().x();
    scale.originY = best->geometry().y();
    if (best->devicePixelRatio() > 0)
        scale.ratio = best->devicePixelRatio();
    return scale;
}

ScreenRect LogicalFromPhysical(const ScreenRect& physical)
{
    const ScreenScale scale = ScaleForPhysical(physical);
    // Both edges are mapped, so neighbouring rectangles stay neighbours after rounding.
    auto map = [&scale](int v, int o) { return o + static_cast<int>(std::lround((v - o) / scale.ratio)); };
    const int left = map(physical.x, scale.originX);
    const int top = map(physical.y, scale.originY);
    const int right = map(physical.x + physical.width, scale.originX);
    const int bottom = map(physical.y + physical.height, scale.originY);
    return {left, top, right - left, bottom - top};
}

std::vector<ScreenRect> LogicalMonitors(const IScreens& screens)
{
    std::vector<ScreenRect> monitors = screens.Monitors();
    for (ScreenRect& monitor : monitors)
        monitor = LogicalFromPhysical(monitor);
    return monitors;
}

} // namespace platform
