#include "HeldKeys.h"

#include "LinuxKeyCodes.h"

namespace platform {

void HeldKeys::Set(int code, bool down)
{
    if (down)
        m_down.insert(code);
    else
        m_down.erase(code);
}

bool HeldKeys::IsDown(int vk) const
{
    const int code = LinuxKeyCodeForVirtualKey(vk);
    if (code >= 0 && m_down.count(code))
        return true;
    const auto sideDown = [&](int left, int right) { return m_down.count(left) || m_down.count(right); };
    return (vk == 16 && sideDown(42, 54)) || (vk == 17 && sideDown(29, 97)) || (vk == 18 && sideDown(56, 100));
}

} // namespace platform
