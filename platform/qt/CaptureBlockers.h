#pragma once
// Windows of our own that must be off the screen before the screen is frozen: the effects'
// windows and the function tooltip, which a function switch hides on the UI thread while the
// next function captures the screen on another thread. UI thread.

class QWidget;

namespace platform {

class CaptureBlockers {
public:
    // Counts `window` until it is destroyed or removed.
    static void Add(QWidget* window);
    static void Remove(QWidget* window);
    // Whether one of them is shown.
    static bool AnyShown();
};

} // namespace platform
