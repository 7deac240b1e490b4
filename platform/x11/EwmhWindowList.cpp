#include "EwmhWindowList.h"

#include "X11Ewmh.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>

namespace platform {

namespace {

std::string ReadTitle(Display* display, Window window)
{
    std::string title;
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False, utf8,
                           &actualType, &format, &count, &after, &data) == Success &&
        data != nullptr) {
        if (actualType == utf8 && format == 8)
            title.assign(reinterpret_cast<const char*>(data), count);
        XFree(data);
    }
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(display, window, &name) != 0 && name != nullptr) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

bool Describe(Display* display, Window window, DesktopWindow& out)
{
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0)
        return false;
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    out.handle = window;
    out.rect = {x, y, attributes.width, attributes.height};
    out.title = ReadTitle(display, window);
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint) != 0) {
        out.instanceName = hint.res_name != nullptr ? hint.res_name : "";
        out.className = hint.res_class != nullptr ? hint.res_class : "";
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    const Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    out.fullScreenState = false;
    for (unsigned long state : ReadLongProperty(display, window, "_NET_WM_STATE", XA_ATOM))
        out.fullScreenState = out.fullScreenState || state == fullScreen;
    return true;
}

// The bits of a resource id that a client chooses; the rest names the client. The same for every
// client of a server, so our own connection's mask serves (Xlib keeps it in a private field).
unsigned long ClientIdMask(Display* display)
{
    return reinterpret_cast<_XPrivDisplay>(display)->private4;
}

// Mapped override-redirect windows with a title: a slide show may bypass the window manager
// (LibreOffice does, depending on its back end). Such a window often has no WM_CLASS; it gets the
// class of a managed window of the same X client.
void AddUnmanaged(Display* display, std::vector<DesktopWindow>& windows)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0)
        return;
    const unsigned long mask = ClientIdMask(display);
    const size_t managed = windows.size();
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) == 0 || !attributes.override_redirect ||
            attributes.map_state != IsViewable)
            continue;
        DesktopWindow window;
        if (!Describe(display, children[i], window) || window.title.empty())
            continue;
        for (size_t m = 0; m < managed && window.className.empty(); ++m) {
            if ((windows[m].handle & ~mask) == (window.handle & ~mask)) {
                window.className = windows[m].className;
                window.instanceName = windows[m].instanceName;
            }
        }
        windows.push_back(std::move(window));
    }
    if (children != nullptr)
        XFree(children);
}

} // namespace

std::vector<DesktopWindow> EwmhWindowList::Windows()
{
    std::vector<DesktopWindow> windows;
    X11Connection::Lock lock(m_connection);
    if (!lock)
        return windows;
    Display* display = lock.Display();
    const Window root = DefaultRootWindow(display);
    std::vector<unsigned long> handles = ReadLongProperty(display, root, "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
    if (handles.empty())
        handles = ReadLongProperty(display, root, "_NET_CLIENT_LIST", XA_WINDOW);
    for (unsigned long handle : handles) {
        DesktopWindow window;
        if (Describe(display, handle, window))
            windows.push_back(std::move(window));
    }
    AddUnmanaged(display, windows);
    return windows;
}

std::optional<DesktopWindow> EwmhWindowList::Foreground()
{
    X11Connection::Lock lock(m_connection);
    if (!lock)
        return std::nullopt;
    Display* display = lock.Display();
    const unsigned long active = ReadActiveWindow(display);
    DesktopWindow window;
    if (active == 0 || !Describe(display, active, window))
        return std::nullopt;
    return window;
}

bool EwmhWindowList::Activate(unsigned long handle)
{
    X11Connection::Lock lock(m_connection);
    if (!lock)
        return false;
    Display* display = lock.Display();
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, handle, &attributes) == 0)
        return false;
    RequestActivation(display, handle);
    XRaiseWindow(display, handle);
    if (attributes.map_state == IsViewable)
        XSetInputFocus(display, handle, RevertToParent, CurrentTime);
    XSync(display, False);
    return true;
}

} // namespace platform
