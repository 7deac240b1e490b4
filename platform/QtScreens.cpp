#include "QtScreens.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace platform {

std::vector<ScreenRect> QtScreens::Monitors() const
{
    std::vector<ScreenRect> monitors;
    if (QGuiApplication::instance() == nullptr)
        return monitors;
    const auto screens = QGuiApplication::screens();
    monitors.reserve(static_cast<size_t>(screens.size()));
    for (const QScreen* screen : screens) {
        // Qt reports device-independent pixels; effects draw in physical ones.
        const QRect g = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        auto physical = [ratio](int v) { return static_cast<int>(std::lround(v * ratio)); };
        monitors.push_back({physical(g.x()), physical(g.y()), physical(g.width()), physical(g.height())});
    }
    return monitors;
}

} // namespace platform
