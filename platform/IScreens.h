#pragma once
// The monitor layout as every part of the program sees it: one list in one fixed order, so that
// "display 0" and "the last display" name the same monitor everywhere. Rectangles are in
// physical pixels on the virtual desktop (what X11, the cursor and the effects use); widget
// geometry is in Qt's logical pixels, so a window is placed through LogicalFromPhysical
// (QtScreens.h).

#include <vector>

namespace platform {

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class IScreens {
public:
    virtual ~IScreens() = default;
    // Every monitor, display 0 first. Empty when no monitor is known.
    virtual std::vector<ScreenRect> Monitors() const = 0;
};

} // namespace platform
