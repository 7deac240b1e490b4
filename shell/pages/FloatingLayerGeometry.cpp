#include "FloatingLayerGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kDefaultRatio = 0.5f;

float Finite(float value) { return std::isfinite(value) ? value : kDefaultRatio; }

} // namespace

FloatingLayerGeometry::Effect FloatingLayerGeometry::EffectFor(bool mainWindowVisible, int subPage)
{
    if (!mainWindowVisible)
        return Effect::None;
    if (subPage == kSpotlightSubPage)
        return Effect::Spotlight;
    if (subPage == kMagnifierSubPage)
        return Effect::Magnifier;
    return Effect::None;
}

FloatingLayerGeometry::Shape FloatingLayerGeometry::ShapeFor(float aspectRatio, float borderRound)
{
    const float aspect = std::max(Finite(aspectRatio), kMinAspect);
    const float round = std::clamp(Finite(borderRound), 0.0f, 1.0f);
    // A hand-edited aspect above 1.11 would push the hole out of the panel.
    const int height = std::min(static_cast<int>(static_cast<float>(kHoleWidth) * aspect), kHeight - kHoleTop);
    Shape shape;
    shape.hole = RECT{kHoleLeft, kHoleTop, kHoleLeft + kHoleWidth, kHoleTop + height};
    shape.round = SIZE{static_cast<long>(static_cast<float>(kHoleWidth) * round),
                       static_cast<long>(static_cast<float>(height) * round)};
    shape.centre = POINT{kHoleLeft + kHoleWidth / 2, kHoleTop + height / 2};
    return shape;
}

RECT FloatingLayerGeometry::PanelRect(int mainLeft, int mainTop)
{
    return RECT{mainLeft + kOffsetX, mainTop + kOffsetY, mainLeft + kOffsetX + kWidth, mainTop + kOffsetY + kHeight};
}

RECT FloatingLayerGeometry::MainMarkerRect(POINT centre)
{
    const int half = kMarkerSize / 2;
    return RECT{centre.x + kOffsetX - half, centre.y + kOffsetY - half, centre.x + kOffsetX + half,
                centre.y + kOffsetY + half};
}

RECT FloatingLayerGeometry::LayerMarkerRect(POINT centre)
{
    const int half = kMarkerSize / 2;
    return RECT{centre.x - half, centre.y - half, centre.x + half, centre.y + half};
}
