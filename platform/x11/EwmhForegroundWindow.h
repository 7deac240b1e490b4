#pragma once
// Gives the keyboard focus back to the desktop's active window by asking the window manager
// (EWMH _NET_ACTIVE_WINDOW) to activate it again.

#include "IForegroundWindow.h"
#include "X11Connection.h"

namespace platform {

class EwmhForegroundWindow final : public IForegroundWindow {
public:
    bool GiveFocusBack() override;
    // The window _NET_ACTIVE_WINDOW names; 0 when none.
    unsigned long ActiveWindow();

private:
    X11Connection m_connection;
};

} // namespace platform
