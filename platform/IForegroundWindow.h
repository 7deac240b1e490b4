#pragma once
// Hands the keyboard focus back to the window the user works in (the foreground window of the
// desktop), after our own key handling may have taken it. Callable from any thread.

namespace platform {

class IForegroundWindow {
public:
    virtual ~IForegroundWindow() = default;
    // Activates and focuses the current foreground window; false when there is none or it
    // could not be focused.
    virtual bool GiveFocusBack() = 0;
};

} // namespace platform
