#pragma once
// A frozen picture of the whole virtual screen: every monitor, every window on it (our own
// overlays included), taken at one moment. Effects that freeze the screen take one per show
// and drop it at hide.

#include <cstdint>
#include <memory>

namespace platform {

struct CapturedScreen {
    // Where the picture's (0, 0) lies on the desktop, physical pixels.
    int originX = 0;
    int originY = 0;
    int width = 0;
    int height = 0;
    // width x height pixels 0xFFRRGGBB, rows top-down without padding; null when nothing was taken.
    std::unique_ptr<uint32_t[]> pixels;
};

class IScreenCapture {
public:
    virtual ~IScreenCapture() = default;
    // Reads the whole virtual screen from the display. False (and `out` empty) when there is no
    // display or it could not be read. Any thread.
    virtual bool CaptureVirtualScreen(CapturedScreen& out) = 0;
    // Returns once a compositing manager has repainted the screen after every window unmapped
    // before the call, so that a capture taken next no longer shows them; false when it did not
    // within `limitMs`. Without a compositor the server repaints at once and nothing is waited for.
    virtual bool WaitForRepaint(int limitMs) { (void)limitMs; return true; }
};

} // namespace platform
