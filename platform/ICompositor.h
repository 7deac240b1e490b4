#pragma once
// Whether a compositing manager draws the desktop. Translucent windows only look translucent
// with one; without it their alpha is ignored and a dimmed overlay turns solid black, so the
// effects ask before every show and pick shaped windows instead.

namespace platform {

class ICompositor {
public:
    virtual ~ICompositor() = default;
    // True while a compositing manager runs on the display. Any thread; asks the display each
    // time, so a manager started or stopped later is seen at the next call.
    virtual bool IsRunning() = 0;
};

} // namespace platform
