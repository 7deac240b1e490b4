#pragma once
// The frozen picture on KDE Plasma, whose compositor copies the screen for programs it trusts
// through its screenshot service on the session bus (org.kde.KWin.ScreenShot2): the whole
// workspace, without the pointer, written raw into a pipe. KWin trusts a program whose desktop
// entry names the service under X-KDE-DBUS-Restricted-Interfaces (the package's entry does).

#include "IScreenCapture.h"

#include <mutex>

namespace platform {

class KWinScreenCapture final : public IScreenCapture {
public:
    // Any thread.
    bool CaptureVirtualScreen(CapturedScreen& out) override;

private:
    std::mutex m_lock; // one capture at a time
};

} // namespace platform
