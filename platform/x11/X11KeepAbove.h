#pragma once
// Keeps windows above everything raised after them. Override-redirect windows are stacked once,
// when they appear; a slide show that goes full screen later, or any window a window manager
// raises, would cover them until they are hidden and shown again. While one of the kept windows
// is shown, every top-level window mapped or restacked by another client makes the shown ones
// go back to the top, in the order they had among themselves. UI thread.

class QWidget;

namespace platform {

class X11KeepAbove {
public:
    // Keeps `window` above the rest while it is shown, until it is destroyed. Does nothing
    // without an X11 connection.
    static void Track(QWidget* window);
    // Raises the shown kept windows now; what a restack by another client triggers.
    static void RaiseShown();
};

} // namespace platform
