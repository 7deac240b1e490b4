#pragma once
// The keys a virtual keyboard of ours holds down, by input key code (LinuxKeyCodes.h), and the
// question "is this virtual key held" answered from them. Not locked: its keyboard locks.

#include <set>
#include <vector>

namespace platform {

class HeldKeys {
public:
    void Set(int code, bool down);
    // The codes held now, lowest first.
    std::vector<int> Codes() const { return {m_down.begin(), m_down.end()}; }
    // 16, 17 and 18 (Shift, Control, Alt) mean either side.
    bool IsDown(int vk) const;

private:
    std::set<int> m_down;
};

} // namespace platform
