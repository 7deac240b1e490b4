#include "EffectShownState.h"

bool EffectShownState::RequestShow()
{
    std::lock_guard lock(m_lock);
    if (m_state == STATE_SHOW_REQUESTED || m_state == STATE_SHOWN)
        return false;
    m_state = STATE_SHOW_REQUESTED;
    return true;
}

void EffectShownState::RequestHide()
{
    std::lock_guard lock(m_lock);
    m_state = STATE_HIDE_REQUESTED;
}

void EffectShownState::MarkShown()
{
    std::lock_guard lock(m_lock);
    m_state = STATE_SHOWN;
}

void EffectShownState::MarkHidden()
{
    std::lock_guard lock(m_lock);
    m_state = STATE_HIDDEN;
}

EffectShownState::State EffectShownState::Get() const
{
    std::lock_guard lock(m_lock);
    return m_state;
}

bool EffectShownState::IsShown() const
{
    const State state = Get();
    return state == STATE_SHOW_REQUESTED || state == STATE_SHOWN;
}
