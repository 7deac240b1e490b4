#include "X11Connection.h"

#include <X11/Xlib.h>

#include <cstdio>

namespace platform {

namespace {

// Xlib's own handler ends the process on any protocol error; a window that closes between the
// list and the query of it (BadWindow) is normal for us and only makes that query fail.
int IgnoreProtocolError(Display*, XErrorEvent*) { return 0; }

} // namespace

X11Connection::~X11Connection()
{
    if (m_display != nullptr)
        XCloseDisplay(m_display);
}

_XDisplay* X11Connection::OpenLocked()
{
    if (!m_tried) {
        m_tried = true;
        m_display = XOpenDisplay(nullptr);
        static std::once_flag s_handler;
        std::call_once(s_handler, [] { XSetErrorHandler(&IgnoreProtocolError); });
        if (m_display == nullptr)
            std::fprintf(stderr, "Orvelle: no X server for cursor and focus control\n");
    }
    return m_display;
}

X11Connection::Lock::Lock(X11Connection& connection) : m_guard(connection.m_mutex), m_display(connection.OpenLocked())
{
}

} // namespace platform
