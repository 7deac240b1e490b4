#pragma once
// A keyboard that types Linux input codes (LinuxKeyCodes.h) through some device of the desktop's
// (the kernel's uinput, the compositor's virtual keyboard, its remote desktop service). What
// each of them shares lives here: the virtual key's code, the keys held, the live state of the
// desktop's own keyboards and the release of every held key before the device goes. Keys are
// named by position.

#include "HeldKeys.h"
#include "IKeyboard.h"

#include <functional>
#include <mutex>

namespace platform {

class EvdevKeyboard : public IKeyboard {
public:
    void SendKey(int vk, bool up, bool extended) override;
    // The keys this keyboard holds down; where `liveState` was given, also what it says (the
    // desktop's view of every keyboard).
    bool IsKeyDown(int vk) override;
    void SetLiveState(std::function<bool(int vk)> liveState) { m_liveState = std::move(liveState); }

protected:
    // Types one key event of input code `code`; called one at a time, in order.
    virtual void Press(int code, bool down) = 0;
    // Releases every key still held; the derived keyboard's destructor calls it while it can
    // still type.
    void ReleaseAll();

private:
    std::mutex m_mutex;
    HeldKeys m_held; // guarded by m_mutex
    std::function<bool(int vk)> m_liveState;
};

} // namespace platform
