#pragma once
// Which kind of desktop session the program runs in, and the way each capability is served
// there. Decided once at start, before the Qt application exists (the effects' windows need
// the platform plug-in chosen here), and read by the backend factory afterwards.
//
// Without a Wayland compositor everything is X11, exactly as on an X11 desktop. Under a Wayland
// compositor that offers layer-shell the effects are surfaces of its overlay layer; under the
// others they are X11 override-redirect windows on XWayland, which those compositors stack
// above native full-screen windows; a frozen picture read from
// XWayland's root window holds only X11 clients (native windows come out black), so it comes
// from the compositor itself where it offers a copy of its outputs: through a protocol on
// wlroots compositors, through its screen cast service and PipeWire on GNOME.

#include "WaylandGlobals.h"

#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class OverlayPath {
    X11,       // an X11 desktop
    XWayland,  // X11 windows on the compositor's XWayland
    LayerShell, // surfaces of the compositor's overlay layer (zwlr_layer_shell_v1), on a connection of our own
    None,      // no effect can be shown: no XWayland, or a compositor that stacks XWayland's
               // windows under native full-screen ones (weston)
};

enum class CapturePath {
    X11,            // the X11 root window of an X11 desktop
    WlrScreencopy,  // the compositor copies its outputs (zwlr_screencopy_manager_v1)
    GnomeScreenCast, // GNOME's screen cast service on the session bus, a PipeWire frame per monitor
    KWinScreenShot, // KDE Plasma's screenshot service on the session bus
    XWaylandRoot,   // XWayland's root window: X11 clients only, native windows black
    None,
};

enum class KeyPath {
    XTest,               // the X server's (on Wayland: XWayland's, which reaches X11 programs only)
    Uinput,              // a kernel virtual keyboard of our own: every program of any desktop
    WlrVirtualKeyboard,  // the compositor's virtual keyboard (wlroots): every program of its seat
    GnomeRemoteDesktop,  // GNOME's remote desktop service types them: every program of its seat
};

// Where the slide-show toggle finds the presentation program's windows.
enum class WindowListPath {
    Ewmh,                // the X11 window manager's list (on Wayland: XWayland's windows only)
    WlrForeignToplevel,  // the compositor's list of every toplevel, native ones included
};

struct DesktopSession {
    bool wayland = false;
    // weston: its XWayland windows go under a native full-screen window, whatever they ask for.
    bool weston = false;
    // GNOME's compositor, whose services on the session bus copy the screen and type keys.
    bool gnome = false;
    OverlayPath overlay = OverlayPath::X11;
    CapturePath capture = CapturePath::X11;
    KeyPath keys = KeyPath::XTest;
    WindowListPath windows = WindowListPath::Ewmh;
    // The protocols of interest the compositor offers, in a fixed order, for the log.
    std::vector<std::string> offered;

    // One line for the log: the session kind, what the compositor offers, and each choice.
    std::string Describe() const;
    // Every way this session can type keys, the best first (`keys`): where one cannot be made
    // after all, the next is tried. XTest comes last, and always.
    std::vector<KeyPath> KeyPathsInOrder() const;
    // The effects draw X11 windows: Qt must use its xcb plug-in even where it would pick its
    // Wayland one.
    // With native overlays the rest of the program (settings window, tray, cursor) stays on
    // XWayland where there is one, as on the other Wayland desktops.
    bool NeedsXcbPlatform() const
    {
        return overlay == OverlayPath::XWayland || (overlay == OverlayPath::LayerShell && xwayland);
    }
    // An X11 display (XWayland) was named beside the Wayland one.
    bool xwayland = false;
};

// The choice for a session in which a Wayland display is named (`waylandNamed`) and answered
// with `globals` (empty optional: it did not answer), an X11 display is named or not, and the
// kernel's uinput may be written or not. X11 sessions keep XTest, whose keys every program sees.
// On Wayland the keys go through uinput where it may be written, else through the compositor's
// virtual keyboard where it offers one, else XTest.
DesktopSession ChooseDesktopSession(bool waylandNamed, const std::optional<std::vector<WaylandGlobal>>& globals,
                                    bool x11Named, bool uinputWritable = false);

// The kernel's uinput device, through which the virtual keyboard is made.
constexpr const char* kUinputPath = "/dev/uinput";

// Probes the session from the environment (WAYLAND_DISPLAY, DISPLAY) and uinput, records the choice as
// the current one and, where the effects need it and the user chose no platform plug-in, sets
// QT_QPA_PLATFORM=xcb. Call before the Qt application is made.
const DesktopSession& ProbeDesktopSession();
// The choice ProbeDesktopSession made; an X11 session when it was never called.
const DesktopSession& CurrentDesktopSession();

} // namespace platform
