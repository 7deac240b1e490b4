#pragma once
// The window list over EWMH: _NET_CLIENT_LIST_STACKING (or _NET_CLIENT_LIST), _NET_ACTIVE_WINDOW,
// _NET_WM_NAME (UTF-8, else WM_NAME), WM_CLASS, _NET_WM_STATE and the geometry on the root.

#include "IWindowList.h"
#include "X11Connection.h"

namespace platform {

class EwmhWindowList final : public IWindowList {
public:
    // `seesEveryWindow` false on a Wayland desktop, where the X server is XWayland.
    explicit EwmhWindowList(bool seesEveryWindow = true) : m_seesEveryWindow(seesEveryWindow) {}

    std::vector<DesktopWindow> Windows() override;
    std::optional<DesktopWindow> Foreground() override;
    bool Activate(unsigned long handle) override;
    bool SeesEveryWindow() const override { return m_seesEveryWindow; }

private:
    X11Connection m_connection;
    const bool m_seesEveryWindow;
};

} // namespace platform
