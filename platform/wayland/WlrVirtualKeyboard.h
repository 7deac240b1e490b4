#pragma once
// Key events through the compositor's own virtual keyboard (zwp_virtual_keyboard_manager_v1,
// offered by sway and other wlroots compositors), for sessions where /dev/uinput may not be
// written: the compositor hands the keys to the focused window of its seat, native or XWayland,
// as if typed. The keyboard is made once on a connection of our own and kept. Keys are named by
// position (LinuxKeyCodes.h) and read with a US keymap, which is sent along with them.
//
// The compositor takes the modifier state from the client, not from the keys: every change of
// it is sent after the key that changed it.

#include "HeldKeys.h"
#include "IKeyboard.h"

#include <functional>
#include <memory>
#include <mutex>

namespace platform {

class WlrVirtualKeyboard final : public IKeyboard {
public:
    // Connects to `display` (null: WAYLAND_DISPLAY's) and makes the keyboard on its first seat;
    // null when there is no compositor there, it offers no virtual keyboard or no seat, refuses
    // one, or no keymap can be compiled.
    static std::unique_ptr<WlrVirtualKeyboard> Create(const char* display = nullptr);
    // Releases every key still held, then removes the keyboard.
    ~WlrVirtualKeyboard() override;
    WlrVirtualKeyboard(const WlrVirtualKeyboard&) = delete;
    WlrVirtualKeyboard& operator=(const WlrVirtualKeyboard&) = delete;

    void SendKey(int vk, bool up, bool extended) override;
    // The keys this keyboard holds down; where `liveState` was given, also what it says.
    bool IsKeyDown(int vk) override;
    void SetLiveState(std::function<bool(int vk)> liveState) { m_liveState = std::move(liveState); }

private:
    struct Connection;
    explicit WlrVirtualKeyboard(std::unique_ptr<Connection> connection);
    // One key event and the modifier state it leaves; under m_mutex.
    void Emit(int code, bool down);

    std::unique_ptr<Connection> m_connection;
    std::mutex m_mutex;
    HeldKeys m_held;  // guarded by m_mutex
    std::function<bool(int vk)> m_liveState;
};

} // namespace platform
