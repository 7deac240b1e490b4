#include "DesktopSession.h"

#include <algorithm>

#include "FileAccess.h"

#include <cstdlib>

namespace platform {
namespace {

// The protocols that matter to the effects, the keys and the window list, in log order.
constexpr const char* kInteresting[] = {
    "zwlr_layer_shell_v1",         "zwlr_screencopy_manager_v1", "zwlr_foreign_toplevel_manager_v1",
    "zwp_virtual_keyboard_manager_v1", "zxdg_output_manager_v1",
};

bool Offers(const std::vector<WaylandGlobal>& globals, const char* interface)
{
    for (const WaylandGlobal& global : globals) {
        if (global.interface == interface)
            return true;
    }
    return false;
}

bool Named(const char* variable)
{
    const char* value = std::getenv(variable);
    return value != nullptr && value[0] != '\0';
}

DesktopSession& Current()
{
    static DesktopSession session;
    return session;
}

const char* OverlayWord(OverlayPath path)
{
    switch (path) {
    case OverlayPath::X11:
        return "X11 windows";
    case OverlayPath::XWayland:
        return "X11 windows on XWayland";
    case OverlayPath::LayerShell:
        return "compositor overlay layer";
    case OverlayPath::None:
        return "none";
    }
    return "?";
}

const char* CaptureWord(CapturePath path)
{
    switch (path) {
    case CapturePath::X11:
        return "X11 root window";
    case CapturePath::WlrScreencopy:
        return "compositor screencopy";
    case CapturePath::GnomeScreenCast:
        return "GNOME screen cast (PipeWire)";
    case CapturePath::KWinScreenShot:
        return "KWin screenshot service";
    case CapturePath::XWaylandRoot:
        return "XWayland root window (native windows black)";
    case CapturePath::None:
        return "none";
    }
    return "?";
}

const char* KeyWord(KeyPath path)
{
    switch (path) {
    case KeyPath::XTest:
        return "XTest (X11 programs only; /dev/uinput is not writable)";
    case KeyPath::Uinput:
        return "uinput virtual keyboard";
    case KeyPath::WlrVirtualKeyboard:
        return "compositor's virtual keyboard (/dev/uinput is not writable)";
    case KeyPath::GnomeRemoteDesktop:
        return "GNOME remote desktop (/dev/uinput is not writable)";
    }
    return "?";
}

} // namespace

DesktopSession ChooseDesktopSession(bool waylandNamed, const std::optional<std::vector<WaylandGlobal>>& globals,
                                    bool x11Named, bool uinputWritable)
{
    DesktopSession session;
    // A Wayland display that does not answer is a stale variable: the X11 display decides.
    if (!waylandNamed || !globals)
        return session;
    session.wayland = true;
    for (const char* interface : kInteresting) {
        if (Offers(*globals, interface))
            session.offered.push_back(interface);
    }
    for (const WaylandGlobal& global : *globals)
        session.weston = session.weston || global.interface.rfind("weston_", 0) == 0;
    session.xwayland = x11Named;
    if (Offers(*globals, "zwlr_layer_shell_v1"))
        session.overlay = OverlayPath::LayerShell;
    else
        session.overlay = x11Named && !session.weston ? OverlayPath::XWayland : OverlayPath::None;
    const bool gnome = Offers(*globals, "gtk_shell1"); // offered by GNOME's compositor alone
    session.gnome = gnome;
    if (Offers(*globals, "zwlr_screencopy_manager_v1"))
        session.capture = CapturePath::WlrScreencopy;
    else if (gnome)
        session.capture = CapturePath::GnomeScreenCast;
    else if (Offers(*globals, "org_kde_plasma_shell")) // offered by KDE Plasma's compositor
        session.capture = CapturePath::KWinScreenShot;
    else
        session.capture = x11Named ? CapturePath::XWaylandRoot : CapturePath::None;
    // XTest would be next (it reaches XWayland's programs), then the desktop's remote desktop
    // service; but XTest reaches no native window, while a compositor that offers its own
    // virtual keyboard (wlroots) or remote desktop service (GNOME, on the session bus, without
    // asking the user as the portal's does) hands the keys to every window of the seat: so
    // those come first there.
    if (uinputWritable)
        session.keys = KeyPath::Uinput;
    else if (Offers(*globals, "zwp_virtual_keyboard_manager_v1"))
        session.keys = KeyPath::WlrVirtualKeyboard;
    else if (gnome)
        session.keys = KeyPath::GnomeRemoteDesktop;
    else
        session.keys = KeyPath::XTest;
    if (Offers(*globals, "zwlr_foreign_toplevel_manager_v1"))
        session.windows = WindowListPath::WlrForeignToplevel;
    return session;
}

std::vector<KeyPath> DesktopSession::KeyPathsInOrder() const
{
    std::vector<KeyPath> paths;
    if (keys == KeyPath::Uinput)
        paths.push_back(KeyPath::Uinput);
    if (std::find(offered.begin(), offered.end(), "zwp_virtual_keyboard_manager_v1") != offered.end())
        paths.push_back(KeyPath::WlrVirtualKeyboard);
    if (gnome)
        paths.push_back(KeyPath::GnomeRemoteDesktop);
    paths.push_back(KeyPath::XTest);
    return paths;
}

std::string DesktopSession::Describe() const
{
    if (!wayland)
        return "Desktop session: X11; effects as X11 windows, frozen pictures from the X11 root window";
    std::string line = "Desktop session: Wayland, offering ";
    if (offered.empty()) {
        line += "none of layer-shell, screencopy, foreign-toplevel, virtual keyboard";
    } else {
        for (size_t i = 0; i < offered.size(); ++i)
            line += (i ? ", " : "") + offered[i];
    }
    line += std::string("; effects: ") + OverlayWord(overlay);
    if (overlay == OverlayPath::None)
        line += weston ? " (weston shows no window above a full-screen one)" : " (no XWayland)";
    line += std::string("; frozen pictures: ") + CaptureWord(capture);
    line += std::string("; keys: ") + KeyWord(keys);
    line += windows == WindowListPath::WlrForeignToplevel
                ? "; slide-show windows: compositor's toplevel list"
                : "; slide-show windows: X11 programs only (native windows not detected: the keys go to the focused window)";
    line += keys == KeyPath::Uinput ? "; cursor moves: uinput virtual pointer" : "; cursor moves: XWayland's pointer only";
    if (NeedsXcbPlatform())
        line += "; Qt platform xcb";
    return line;
}

const DesktopSession& ProbeDesktopSession()
{
    const bool waylandNamed = Named("WAYLAND_DISPLAY");
    std::optional<std::vector<WaylandGlobal>> globals;
    if (waylandNamed)
        globals = ListWaylandGlobals();
    Current() = ChooseDesktopSession(waylandNamed, globals, Named("DISPLAY"), IsWritableByUser(kUinputPath));
    if (Current().NeedsXcbPlatform() && !Named("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    return Current();
}

const DesktopSession& CurrentDesktopSession() { return Current(); }

} // namespace platform
