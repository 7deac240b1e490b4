#include "EwmhForegroundWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform {

namespace {

Window ReadActiveWindow(Display* display)
{
    const Atom property = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    Window window = 0;
    if (XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr) {
        if (type == XA_WINDOW && format == 32 && count == 1)
            window = *reinterpret_cast<Window*>(data);
        XFree(data);
    }
    return window;
}

} // namespace

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
    Display* display = lock.Display();
    const Window window = ReadActiveWindow(display);
    if (window == 0)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;  // source: a pager, so the window manager does not refuse it
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, DefaultRootWindow(display), False,
                                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);
    return sent != 0;
}

} // namespace platform
