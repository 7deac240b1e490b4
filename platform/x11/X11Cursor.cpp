#include "X11Cursor.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

namespace platform {

namespace {

bool HasXFixes(Display* display)
{
    int eventBase = 0;
    int errorBase = 0;
    return XFixesQueryExtension(display, &eventBase, &errorBase) != 0;
}

} // namespace

X11Cursor::~X11Cursor()
{
    // A cursor hidden by us must not stay hidden after the program ends.
    X11Connection::Lock lock(m_connection);
    if (lock && m_hides > 0 && HasXFixes(lock.Display())) {
        XFixesShowCursor(lock.Display(), DefaultRootWindow(lock.Display()));
        XFlush(lock.Display());
    }
}

CursorPoint X11Cursor::GetPos() const
{
    X11Connection::Lock lock(m_connection);
    CursorPoint point;
    if (!lock)
        return point;
    Display* display = lock.Display();
    Window root = 0;
    Window child = 0;
    int winX = 0;
    int winY = 0;
    unsigned int mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &point.x, &point.y, &winX, &winY, &mask);
    return point;
}

void X11Cursor::SetPos(CursorPoint point)
{
    X11Connection::Lock lock(m_connection);
    if (!lock)
        return;
    Display* display = lock.Display();
    XWarpPointer(display, 0, DefaultRootWindow(display), 0, 0, 0, 0, point.x, point.y);
    XFlush(display);
}

void X11Cursor::Hide()
{
    X11Connection::Lock lock(m_connection);
    if (++m_hides != 1 || !lock || !HasXFixes(lock.Display()))
        return;
    XFixesHideCursor(lock.Display(), DefaultRootWindow(lock.Display()));
    XFlush(lock.Display());
}

void X11Cursor::Show()
{
    X11Connection::Lock lock(m_connection);
    if (m_hides == 0)
        return;  // more shows than hides: the cursor is visible already
    if (--m_hides != 0 || !lock || !HasXFixes(lock.Display()))
        return;
    XFixesShowCursor(lock.Display(), DefaultRootWindow(lock.Display()));
    XFlush(lock.Display());
}

int X11Cursor::HideCount() const
{
    X11Connection::Lock lock(m_connection);
    return m_hides;
}

} // namespace platform
