#pragma once
// Key events through the XTest extension on a private connection. A keysym the keymap lacks is
// put on a spare keycode while its key is down and the keycode is emptied again at its release,
// so media keys reach the desktop even on keymaps without them. Virtual keys without a keysym
// (the punctuation keys) press the key at their position on the keyboard.

#include "IKeyboard.h"
#include "X11Connection.h"

#include <functional>
#include <map>

namespace platform {

class XTestKeyboard final : public IKeyboard {
public:
    XTestKeyboard() = default;
    ~XTestKeyboard() override;
    void SendKey(int vk, bool up, bool extended) override;
    bool IsKeyDown(int vk) override;
    // Called with the X keycode right before each injected event (the keyboard hook's filter).
    void SetInjectionObserver(std::function<void(unsigned keycode, bool down)> observer);

private:
    // One event on `code`, announced to the observer first; under the connection's lock.
    void Inject(_XDisplay* display, unsigned char code, bool up);

    X11Connection m_connection;
    // Keysym -> spare keycode lent to it while its key is down. Guarded by the connection's lock.
    std::map<unsigned long, unsigned char> m_lent;
    std::function<void(unsigned keycode, bool down)> m_observer;  // guarded by the connection's lock
};

} // namespace platform
