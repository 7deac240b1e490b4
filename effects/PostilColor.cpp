#include "PostilColor.h"

#include <algorithm>

void UpdatePostilColor(PostilColor& c, int code, int dx, int dy)
{
    switch (code) {
    case POSTIL_RED:
        c.r = 255, c.g = 0, c.b = 0;
        break;
    case POSTIL_GREEN:
        c.r = 0, c.g = 255, c.b = 0;
        break;
    case POSTIL_BLUE:
        c.r = 0, c.g = 0, c.b = 255;
        break;
    case POSTIL_WHITE:
        c.r = 255, c.g = 255, c.b = 255;
        break;
    case POSTIL_BLACK:
        c.r = 0, c.g = 0, c.b = 0;
        break;
    case POSTIL_RAINBOW: {
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
        break;
    }
    default:
        break;
    }
    c.previousCode = code;
}

int PostilWidthUp(int width) { return std::min(width + 1, kPostilWidthMax); }

int PostilWidthDown(int width) { return width >= 5 ? width - 1 : kPostilWidthMin; }
