#include "PostilColor.h"

#include <algorithm>

namespace {

struct FixedColour {
    int code, r, g, b;
};
constexpr FixedColour kFixedColours[] = {{POSTIL_RED, 255, 0, 0},
                                         {POSTIL_GREEN, 0, 255, 0},
                                         {POSTIL_BLUE, 0, 0, 255},
                                         {POSTIL_WHITE, 255, 255, 255},
                                         {POSTIL_BLACK, 0, 0, 0}};

} // namespace

void UpdatePostilColor(PostilColor& c, int code, int dx, int dy)
{
    for (const FixedColour& f : kFixedColours) {
        if (f.code == code)
            c.r = f.r, c.g = f.g, c.b = f.b;
    }
    if (code == POSTIL_RAINBOW) {
        if (c.previousCode != POSTIL_RAINBOW)
            c.r = 250, c.g = 0, c.b = 0;
        const int d = std::max(std::max(dx, dy) / 10, 1) * 5;
        // Each test sees what the earlier ones left: one step may turn a corner of the circle.
        if (c.r == 250 && c.g < 250 && c.b == 0)
            c.g += d;
        if (c.r > 0 && c.g == 250 && c.b == 0)
            c.r -= d;
        if (c.r == 0 && c.g == 250 && c.b < 250)
            c.b += d;
        if (c.r == 0 && c.g > 0 && c.b == 250)
            c.g -= d;
        if (c.r < 250 && c.g == 0 && c.b == 250)
            c.r += d;
        if (c.r == 250 && c.g == 0 && c.b > 0)
            c.b -= d;
        c.r = std::clamp(c.r, 0, 250);
        c.g = std::clamp(c.g, 0, 250);
        c.b = std::clamp(c.b, 0, 250);
    }
    c.previousCode = code;
}

int PostilWidthUp(int width) { return std::min(width + 1, kPostilWidthMax); }

int PostilWidthDown(int width) { return width >= 5 ? width - 1 : kPostilWidthMin; }
