#pragma once
// The frozen picture on GNOME, whose compositor copies its monitors only through its screen
// cast service on the session bus (org.gnome.Mutter.ScreenCast) and PipeWire. Each capture opens
// a cast of every monitor without the pointer, takes one frame of each, places it at the
// monitor's position and closes the cast: nothing records between captures.

#include "IScreenCapture.h"
#include "PipeWireFrame.h"

#include <mutex>

namespace platform {

class MutterScreenCapture final : public IScreenCapture {
public:
    MutterScreenCapture();
    ~MutterScreenCapture() override;
    MutterScreenCapture(const MutterScreenCapture&) = delete;
    MutterScreenCapture& operator=(const MutterScreenCapture&) = delete;

    // Any thread; the bus is spoken to from a thread of the capture's own, so the caller's event
    // loop (the UI's, say) never runs while it waits.
    bool CaptureVirtualScreen(CapturedScreen& out) override;

private:
    bool Capture(CapturedScreen& out);

    std::mutex m_lock; // one capture at a time
    PipeWireFrame m_frame;
};

} // namespace platform
