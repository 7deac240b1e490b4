#pragma once
// The monitor the effects and the virtual pointer live on: the last display when two or more
// are connected, else display 0 (same display order as IScreens). Callable from any thread; the
// answer follows the current monitor layout.

#include "IScreens.h"

namespace platform {

class IPresentationScreen {
public:
    virtual ~IPresentationScreen() = default;
    // Empty (width and height 0) when no monitor is known.
    virtual ScreenRect Rect() const = 0;
};

} // namespace platform
