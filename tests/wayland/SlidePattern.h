#pragma once
// The picture the test slide shows full screen: four coloured quarters, so a frozen picture can
// be checked for where each part of the screen went. Shared by the slide and the checks.

#include <cstdint>

namespace slide {

// 0xFFRRGGBB of the quarter that holds the point (x, y) of a width x height screen.
constexpr uint32_t QuarterColour(int x, int y, int width, int height)
{
    const bool right = x >= width / 2;
    const bool bottom = y >= height / 2;
    if (!bottom)
        return right ? 0xFF2E7D32u : 0xFFC62828u;  // green, red
    return right ? 0xFFF9A825u : 0xFF1565C0u;      // amber, blue
}

} // namespace slide
