#include "EffectSizes.h"

#include <algorithm>

SearchlightHole SearchlightHoleAt(EffectPoint centre, int width, float aspectRatio, float borderRound)
{
    const int holeHeight = static_cast<int>(static_cast<float>(width) * aspectRatio);
    SearchlightHole hole;
    hole.roundX = static_cast<int>(static_cast<float>(width) * borderRound);
    hole.roundY = static_cast<int>(static_cast<float>(holeHeight) * borderRound);
    hole.rect = {centre.x - width / 2, centre.y - holeHeight / 2, centre.x + width / 2, centre.y + holeHeight / 2};
    return hole;
}

bool SearchlightStepUp(EffectSize& size, int screenWidth, bool largeScreen)
{
    if (!(static_cast<double>(screenWidth) * 0.5 > size.width))
        return false;
    const int step = largeScreen ? 30 : 15;
    size.width += step;
    size.height += step;
    return true;
}

bool SearchlightStepDown(EffectSize& size, bool largeScreen)
{
    if (size.width <= 213)
        return false;
    const int step = largeScreen ? 30 : 15;
    size.width -= step;
    size.height -= step;
    return true;
}

EffectSize LaserStepUp(EffectSize size, bool largeScreen)
{
    if (size.width < 253) {
        const int step = largeScreen ? 56 : 28;
        size.width += step;
        size.height += step;
        if (size.width > kLaserDotMax || size.height > kLaserDotMax)
            size = {kLaserDotMax, kLaserDotMax};
    }
    return size;
}

EffectSize LaserStepDown(EffectSize size)
{
    if (size.width > kLaserDotMin) {
        size.width = std::max(size.width - 28, kLaserDotMin);
        size.height = std::max(size.height - 28, kLaserDotMin);
    }
    return size;
}

EffectSize LaserClamp(EffectSize size)
{
    return {std::clamp(size.width, kLaserDotMin, kLaserDotMax), std::clamp(size.height, kLaserDotMin, kLaserDotMax)};
}

LensSource LensSourceAt(EffectPoint p, int w, int h, float zoom)
{
    const float z = zoom > 0.0f ? zoom : 1.0f;
    const auto fw = static_cast<float>(w), fh = static_cast<float>(h);
    return {static_cast<int>(static_cast<float>(p.x) - fw / z / 2.0f),
            static_cast<int>(static_cast<float>(p.y) - fh / z / 2.0f), static_cast<int>(fw / z),
            static_cast<int>(fh / z)};
}

int LensHeight(int width, float aspectRatio) { return static_cast<int>(static_cast<float>(width) * aspectRatio); }
