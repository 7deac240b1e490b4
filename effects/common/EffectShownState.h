#pragma once
// Whether an effect with a worker counts as shown. IsShown answers the key handling at once, while
// the worker carries show and hide out later: a show or hide therefore counts from the moment it is
// asked for, and the worker marks it done. Any thread.

#include <cstdint>
#include <mutex>

class EffectShownState {
public:
    enum State : int32_t { STATE_HIDE_REQUESTED = 0, STATE_HIDDEN = 1, STATE_SHOW_REQUESTED = 2, STATE_SHOWN = 3 };

    // Asks for a show; false when one is asked for or done already, so it is not queued twice.
    bool RequestShow();
    void RequestHide();
    // The worker has shown or hidden the effect.
    void MarkShown();
    void MarkHidden();

    State Get() const;
    // Shown, or asked to be.
    bool IsShown() const;

private:
    mutable std::mutex m_lock;
    State m_state = STATE_HIDDEN;
};
