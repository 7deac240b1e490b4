#pragma once
// The desktop's top-level windows as the slide-show toggle sees them: title, class, geometry and
// the window manager's full-screen state, the foreground window, and activating one. Rectangles
// are in physical pixels on the virtual desktop. Callable from any thread.

#include "IScreens.h"

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct DesktopWindow {
    unsigned long handle = 0;
    std::string title;         // UTF-8
    std::string className;     // WM_CLASS class part
    std::string instanceName;  // WM_CLASS instance part
    ScreenRect rect;
    bool fullScreenState = false;  // the window manager reports it full screen
};

class IWindowList {
public:
    virtual ~IWindowList() = default;
    // Every managed top-level window, bottom of the stack first.
    virtual std::vector<DesktopWindow> Windows() = 0;
    virtual std::optional<DesktopWindow> Foreground() = 0;
    // Raises, activates and focuses the window; false when it is gone.
    virtual bool Activate(unsigned long handle) = 0;
    // False where some windows are out of the list's sight: XWayland's list on a Wayland desktop
    // holds no native window.
    virtual bool SeesEveryWindow() const { return true; }
};

} // namespace platform
