#pragma once
// Every effect window of the program, so that a frozen picture is taken only once they have
// left the screen: switching functions hides the running effect through the UI thread, while the
// next one captures the screen on another thread and another X connection.

#include <chrono>

class QWidget;
struct EffectServices;

class EffectWindows {
public:
    // Counts `window` as an effect window until it is destroyed. UI thread.
    static void Track(QWidget* window);
    // Leaves `window` out (a window that may stay up while a picture is frozen). UI thread.
    static void Untrack(QWidget* window);
    // Whether an effect window (or another window that must not be frozen, the function
    // tooltip) is shown. UI thread.
    static bool AnyShown();

    // Returns once no effect window is shown, the X server has unmapped them and, with a
    // compositor, the screen has been repainted without them; false (logged with `who`) when
    // that did not happen within `limit` (windows fading out take their time), and the caller
    // captures anyway. On the UI thread the
    // windows are only checked: the hides it has still to carry out cannot run while it waits.
    static bool WaitUntilGone(const EffectServices& services, const char* who,
                              std::chrono::milliseconds limit = std::chrono::milliseconds(2000));
};
