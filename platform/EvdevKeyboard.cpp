#include "EvdevKeyboard.h"

#include "LinuxKeyCodes.h"

namespace platform {

void EvdevKeyboard::SendKey(int vk, bool up, bool)
{
    const int code = LinuxKeyCodeForVirtualKey(vk);
    if (code < 0)
        return;
    std::lock_guard lock(m_mutex);
    m_held.Set(code, !up);
    Press(code, !up);
}

bool EvdevKeyboard::IsKeyDown(int vk)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_held.IsDown(vk))
            return true;
    }
    return m_liveState && m_liveState(vk);
}

void EvdevKeyboard::ReleaseAll()
{
    std::lock_guard lock(m_mutex);
    for (int code : m_held.Codes()) {
        m_held.Set(code, false);
        Press(code, false);
    }
}

} // namespace platform
