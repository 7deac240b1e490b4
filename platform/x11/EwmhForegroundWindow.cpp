#include "EwmhForegroundWindow.h"

#include "X11Ewmh.h"

namespace platform {

unsigned long EwmhForegroundWindow::ActiveWindow()
{
    X11Connection::Lock lock(m_connection);
    return lock ? ReadActiveWindow(lock.Display()) : 0;
}

bool EwmhForegroundWindow::GiveFocusBack()
{
    X11Connection::Lock lock(m_connection);
    if (!lock)
        return false;
    const unsigned long window = ReadActiveWindow(lock.Display());
    return window != 0 && RequestActivation(lock.Display(), window);
}

} // namespace platform
