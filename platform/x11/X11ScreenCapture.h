#pragma once
// Screen capture on X11: the root window read from the server on a private connection, through
// a shared-memory segment (MIT-SHM) when the server offers one to this client, else through the
// ordinary image request. The root window holds what every monitor shows, composited or not.

#include "IScreenCapture.h"
#include "X11Connection.h"

namespace platform {

class X11ScreenCapture final : public IScreenCapture {
public:
    X11ScreenCapture() = default;
    bool CaptureVirtualScreen(CapturedScreen& out) override;
    // A one-pixel window of a colour unlike the pixel beneath it is mapped and destroyed, each
    // time waiting until the root window shows the change: the compositor handles events in order,
    // so once it has painted the probe away, and the pixel has settled (no fade going on), it
    // has painted away every window unmapped before.
    bool WaitForRepaint(int limitMs) override;
    // Whether the last capture went through shared memory; for benchmarks.
    bool LastUsedSharedMemory() const { return m_lastShm; }

private:
    X11Connection m_connection;
    bool m_lastShm = false;
    bool m_shmFailed = false; // the server refused a segment once: not asked again
};

} // namespace platform
