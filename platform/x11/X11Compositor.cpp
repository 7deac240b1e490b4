#include "X11Compositor.h"

#include <X11/Xlib.h>

#include <cstdio>

namespace platform {

bool X11Compositor::IsRunning()
{
    X11Connection::Lock lock(m_connection);
    if (!lock)
        return false;
    Display* display = lock.Display();
    if (m_atom == 0) {
        char name[32];
        std::snprintf(name, sizeof name, "_NET_WM_CM_S%d", DefaultScreen(display));
        m_atom = XInternAtom(display, name, False);
    }
    return XGetSelectionOwner(display, static_cast<Atom>(m_atom)) != 0;
}

} // namespace platform
